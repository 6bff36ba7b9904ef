// The capped result list of one query's supermotifs and the selection step.
#include "super_list.h"

#include <algorithm>

#include "errormsg.h"
#include "params.h"

namespace {

bool powerAbove(const Supermotif *a, const Supermotif *b) { return a->power > b->power; }

}  // namespace

int cmpSup(const void *a, const void *b) {
  const Supermotif *x = *static_cast<Supermotif *const *>(a);
  const Supermotif *y = *static_cast<Supermotif *const *>(b);
  if (x->power > y->power) return -1;
  if (x->power < y->power) return 1;
  return 0;
}

void SelectSuper(int &numSup, Supermotif **result, int seqLen, std::vector<unsigned char> &charFun) {
  if (numSup <= 0) {
    numSup = 0;
    return;
  }
  std::stable_sort(result, result + numSup, powerAbove);
  if (seqLen < 0) seqLen = 0;
  if (charFun.size() < (size_t)seqLen) charFun.resize((size_t)seqLen, 0);
  long long lenColl = 0;
  int kept = 0;
  for (int s = 0; s < numSup; s++) {
    Supermotif *sup = result[s];
    long long numCros = 0, numDiff = 0;
    for (Motif *m = sup->first; m; m = m->next) {
      if (m->qBeg < 0 || (long long)m->qBeg + m->len > seqLen)
        fatalExit(kExitBadData, "SelectSuper: mot->qBeg %d + mot->len %d >= seqLen %d\n", m->qBeg,
                  m->len, seqLen);
      for (int p = m->qBeg; p < m->qBeg + m->len; p++) {
        if (charFun[(size_t)p])
          numCros++;
        else
          numDiff++;
      }
    }
    // numCros <= 0.1 x (lenColl + numDiff), exactly, in integers.
    if (10 * numCros <= lenColl + numDiff) {
      for (Motif *m = sup->first; m; m = m->next)
        for (int p = m->qBeg; p < m->qBeg + m->len; p++) charFun[(size_t)p] = 1;
      lenColl += numDiff;
      result[kept++] = sup;
    } else {
      delete sup;
    }
  }
  // Clear only what the kept ones set, so the buffer serves the next call as is.
  for (int s = 0; s < kept; s++)
    for (Motif *m = result[s]->first; m; m = m->next)
      for (int p = m->qBeg; p < m->qBeg + m->len; p++) charFun[(size_t)p] = 0;
  numSup = kept;
}

void SelectSuper(int &numSup, Supermotif **result, int seqLen) {
  std::vector<unsigned char> charFun;
  SelectSuper(numSup, result, seqLen, charFun);
}

void addSuper(std::vector<Supermotif *> &result, int numSuper, Supermotif **super, int numMax,
              const char *bankAdr, int numSeq) {
  for (int k = 0; k < numSuper; k++) {
    Supermotif *S = super[k];
    size_t n = result.size();
    bool full = (long long)n >= (long long)numMax;
    // Equal powers stay ahead of the newcomer, so a full list rejects it at once.
    if (numMax <= 0 || (full && result[n - 1]->power >= S->power)) {
      delete S;
      continue;
    }
    auto j = std::upper_bound(result.begin(), result.end(), S, powerAbove);
    size_t at = (size_t)(j - result.begin());
    if (full) {
      delete result.back();
      result.pop_back();
    }
    result.insert(result.begin() + (long)at, S);
    S->bNum = numSeq;
    delete[] S->bAdr;
    S->bAdr = _strdup_(bankAdr);
  }
}
