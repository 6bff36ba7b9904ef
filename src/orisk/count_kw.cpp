// orisk's keyword report of one sequence (countKW).
#include "count_kw.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bank_file.h"
#include "errormsg.h"
#include "feat_tab.h"
#include "params.h"
#include "seq_adr.h"
#include "seqinfo.h"

// The report's own exit code when its motif file can't be opened.
constexpr int kExitNoMotifReport = 114;

namespace {

// The kept keywords of one header, in order (null info: none).
std::vector<std::string> keptKeywords(SeqInfo *info, const char *KW) {
  std::vector<std::string> out;
  if (!info) return out;
  int num = 0;
  char **list = getKWList(info, nullptr, num, KW);
  for (int k = 0; k < num; k++) {
    if (!kwIsBad(list[k])) out.emplace_back(list[k]);
    delete[] list[k];
  }
  delete[] list;
  return out;
}

}  // namespace

int countKW(const char *name, int cross, const char *KW, const char *reportName) {
  std::unique_ptr<char[]> bank(chExt(name, ".bnk")), mot(chExt(name, cross ? ".mot1" : ".mot"));
  SeqInfo query;
  if (!query.readSeq(bank.get(), 0))
    fatalExit(kExitBadInput, "Can't load sequence: Addres %s Index 0\n", bank.get());
  FILE *fm = fopen(mot.get(), "r");
  if (!fm) fatalExit(kExitNoMotifReport, "Can't open motif file %s\n", mot.get());
  std::vector<SeqAddrPow> sa(kMaxSeqAddr + 1);
  int nSeq = 0, numSup = 0, numMot = 0;
  std::string line;
  while (readLine(fm, line)) {
    if (addSeqAddr(line.c_str(), nSeq, sa.data(), 0)) {
      numSup++;
    } else {
      const size_t c = line.find_first_not_of(" \t");
      if (c != std::string::npos && line[c] == '\'') numMot++;
    }
  }
  fclose(fm);

  // The keywords in order of first appearance, the query's first; a sequence whose header
  // can't be read has none.
  std::vector<std::string> keys = keptKeywords(&query, KW);
  const size_t numQuery = keys.size();
  std::vector<std::vector<std::string>> has((size_t)nSeq);
  for (int i = 0; i < nSeq; i++) {
    SeqInfo info;
    has[(size_t)i] = keptKeywords(info.readSeq(sa[(size_t)i].name, sa[(size_t)i].num) ? &info : nullptr, KW);
    for (const std::string &k : has[(size_t)i])
      if (std::find(keys.begin(), keys.end(), k) == keys.end()) keys.push_back(k);
  }
  for (SeqAddrPow &a : sa) delete[] a.name;

  FILE *fr = fopen(reportName, "at");
  if (!fr) {
    printf("\n Can't open file %s", reportName);
    return 1;
  }
  fprintf(fr, "\nFile %s %6d Keywords  %d Sequences %d Supermotifs %d Motifs\n", name, (int)keys.size(),
          nSeq, numSup, numMot);
  for (size_t k = 0; k < keys.size(); k++) {
    std::vector<int> mark((size_t)nSeq);
    int count = 0;
    for (int i = 0; i < nSeq; i++) {
      const auto &h = has[(size_t)i];
      mark[(size_t)i] = std::find(h.begin(), h.end(), keys[k]) != h.end();
      count += mark[(size_t)i];
    }
    fprintf(fr, "%s %-*s  %1d  %3d   ", KW, 100, keys[k].c_str(), k < numQuery ? 1 : 0, count);
    for (int m : mark) fprintf(fr, " %1d", m);
    fputc('\n', fr);
  }
  if (ferror(fr) | fclose(fr)) {
    printf("\n Can't write file %s", reportName);
    return 1;
  }
  return 0;
}
