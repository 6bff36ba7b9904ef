// The keyword listing "mot_key.mke".
#include "mot_key.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "feat_tab.h"
#include "hist_xx.h"
#include "motif.h"
#include "params.h"
#include "bank_file.h"
#include "seqinfo.h"
#include "stat_tables.h"

int wrtMotKey(const char *motName, int numKWType, const char *const *KWtype) {
  std::unique_ptr<char[]> bnk(chExt(motName, ".bnk")), sta(chExt(motName, ".sta"));
  SeqInfo query;
  if (!query.readSeq(bnk.get(), 0)) {
    printf("Can't load sequence: Addres %s Index 0\n", bnk.get());
    exit(111);
  }
  std::vector<std::vector<std::string>> queryKW((size_t)std::max(numKWType, 0));
  std::vector<std::vector<HistPtr>> stats(queryKW.size());
  FILE *fs = fopen(sta.get(), "r");
  for (int t = 0; t < numKWType; t++) {
    int n = 0;
    char **list = getKWList(&query, nullptr, n, KWtype[t]);
    for (int k = 0; k < n; k++) {
      queryKW[(size_t)t].emplace_back(list[k]);
      delete[] list[k];
    }
    delete[] list;
    // No statistics file: every probability is 0.
    if (fs) {
      rewind(fs);
      loadBlocks(fs, KWtype[t], stats[(size_t)t]);
    }
  }
  if (fs) fclose(fs);

  FILE *fm = fopen(motName, "r");
  if (!fm) {
    printf("\n Can't open motif file %s", motName);
    return 1;
  }
  FILE *fout = fopen("mot_key.mke", "at");
  if (!fout) {
    fclose(fm);
    printf("\n Can't open file %s", "mot_key.mke");
    return 1;
  }
  Supermotif sup;
  while (sup.load(fm)) {
    SeqInfo bank;
    if (!bank.readSeq(sup.getbAdr(), sup.getbNum())) {
      printf("Can't load sequence: Addres %s Index %d\n", sup.getbAdr(), sup.getbNum());
      exit(111);
    }
    const double power = sup.power / 4096000.0;
    for (int t = 0; t < numKWType; t++) {
      int n = 0;
      char **list = getKWList(&bank, nullptr, n, KWtype[t]);
      const auto &mine = queryKW[(size_t)t];
      for (int k = 0; k < n; k++) {
        const int has = std::find(mine.begin(), mine.end(), list[k]) != mine.end();
        double prob = 0;
        for (const HistPtr &h : stats[(size_t)t])
          if (h->getFTname() && strcmp(h->getFTname(), list[k]) == 0) {
            prob = h->getProb(power);
            break;
          }
        fprintf(fout, "%s %-*s   %1d %f %f \n", KWtype[t], 100, list[k], has, prob, power);
        delete[] list[k];
      }
      delete[] list;
    }
    sup.del();
  }
  fclose(fm);
  if (ferror(fout) | fclose(fout)) {
    printf("\n Can't write file %s", "mot_key.mke");
    return 1;
  }
  return 0;
}
