// Shorten screening: the region of each bank sequence that its supermotif covers, widened by
// 10 letters on each side, is searched against the regions of the others.
#include "tervex.h"

#include <algorithm>

#include "inv_sqrt.h"
#include "seqbase.h"

int makeSegm(std::vector<Shift> &regions, SeqList &list, const char *motifName, EntryLog &log,
             int &banksRead) {
  regions.clear();
  banksRead = 0;
  FILE *f = fopen(motifName, "rb");
  Supermotif sup;
  if (!f || !sup.load(f)) {
    if (f) fclose(f);
    printf("\n tervex: SHORTEN variant can't load supermotif from file %s\n", motifName);
    return kTervexUnknownInput;
  }
  WorkSeq seq;
  if (!readEntry(seq, sup.qAdr, sup.qNum, log)) {
    printf("\n tervex: SHORTEN variant can't read qery sequence %s %d\n", sup.qAdr, sup.qNum);
    fclose(f);
    return kTervexNoEntry;
  }
  const int queryMol = getMolType(seq.seq(), seq.len());
  sup.del();
  rewind(f);

  while (sup.load(f)) {
    WorkSeq bank;
    const bool letters = readEntry(bank, sup.bAdr, sup.bNum, log);
    if (!log.lastFailed()) banksRead++;
    if (!letters) {
      // An entry without letters gives no region, and no word.
      if (log.lastFailed())
        printf("\n tervex: SHORTEN variant can't read bank sequence %s %d\n", sup.bAdr, sup.bNum);
      sup.del();
      continue;
    }
    const int L = bank.len();
    // Positions on the bank sequence as stored: a translated bank counts codons, the
    // complementary strand counts from the other end.
    const char fr = sup.first->frame;
    if (queryMol == 0 && fr >= 'a' && fr <= 'f') {
      sup.unTransl();
      if (fr >= 'd') sup.reverse(L);
    } else if (queryMol == 1 && fr == '-') {
      sup.reverse(L);
    }
    const Motif *last = sup.first;
    while (last->next) last = last->next;
    long long x = sup.first->bBeg;
    long long len = (long long)last->bBeg + last->len - x;
    x = x - 10 < 1 ? 0 : x - 10;
    len = std::min(len + 20, (long long)L - x);
    regions.push_back({(int)x, 0, clampInt32(len)});
    list.add(sup.bAdr, sup.bNum);
    sup.del();
  }
  fclose(f);
  return 0;
}

int sho_tervex(int nSeq, SearchHomolParams &search, const char *inpFileName,
               const char *outFileName, int theSame, EntryLog &log) {
  std::vector<Shift> regions;
  SeqList list;
  int banksRead = 0;
  if (int rc = makeSegm(regions, list, inpFileName, log, banksRead)) {
    printf("\n tervex: SHORTEN variant can't read input motifs...");
    return rc;
  }
  // The query gave its molecule type, but nothing is left to screen.
  if (banksRead == 0) return kTervexNoEntry;
  BlockOutput out;
  if (!openResult(out, outFileName)) return kTervexNoResultFile;
  const int nAdr = list.size();
  const int n = nSeq > 0 ? std::min(nSeq, nAdr) : nAdr;

  ScreenWork work(log);
  std::vector<Supermotif *> result;
  WorkSeq region;
  for (int j = 0; j < n; j++) {
    const SeqAddrPow &a = list.sa[j];
    const WorkSeq *seq = work.cache.get(a.name, a.num);
    // A region outside its sequence holds nothing to search.
    if (!seq || region.cut(*seq, regions[j].x, regions[j].x + regions[j].len)) continue;
    if (j % 10 == 0) printf("\n bSeq %3d idx %d %s", j, a.num, a.name);
    search.readMatr(region);
    searchOnSa(search, list.sa.data(), n, j, region, result, regions.data(), theSame, work);
    appendSupers(out, result, a.name, a.num);
  }
  out.close();
  return 0;
}
