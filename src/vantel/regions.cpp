// Keyword regions, frame letters and the recount.
#include "regions.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bank_file.h"
#include "errormsg.h"
#include "inv_sqrt.h"
#include "motif.h"
#include "params.h"

std::unique_ptr<int[]> newZeroedInts(size_t n) {
  return std::unique_ptr<int[]>(allocArray<int>((long long)(n ? n : 1), true));
}

void CountRows::reset(int _seqLen, int _numPow) {
  seqLen = _seqLen > 0 ? _seqLen : 0;
  numPow = _numPow > 0 ? _numPow : 0;
  all = newZeroedInts(size());
  ksi = newZeroedInts(size());
}

namespace {

bool hasHits(const int *ksi, int numPow) {
  for (int s = 0; s < numPow; s++)
    if (ksi[s] != 0) return true;
  return false;
}

}  // namespace

int makeRegion(const CountRows &rows, int &beg, int &end, int *sumAll, int *sumKsi, int sumType) {
  const int L = rows.seqLen, np = rows.numPow;
  if (end >= L || np <= 0) return 0;
  const int *all = rows.all.get(), *ksi = rows.ksi.get();
  int p = end + 1 < 0 ? 0 : end + 1;
  while (p < L && !hasHits(ksi + (size_t)p * np, np)) p++;
  if (p >= L) return 0;
  beg = p;
  p = beg + 1;
  while (p < L && hasHits(ksi + (size_t)p * np, np)) p++;
  // The first position without hits closes the region and belongs to it.
  end = p < L ? p : L - 1;
  const long long n = (long long)end - beg + 1;
  for (int s = 0; s < np; s++) {
    long long a = 0, k = 0;
    for (int q = beg; q <= end; q++) {
      long long va = all[(size_t)q * np + s], vk = ksi[(size_t)q * np + s];
      if (sumType) {
        a += va;
        k += vk;
      } else {
        a = q == beg || va > a ? va : a;
        k = q == beg || vk > k ? vk : k;
      }
    }
    if (sumType) {
      a = (a + n - 1) / n;
      k = (k + n - 1) / n;
    }
    sumAll[s] = clampInt32(a);
    sumKsi[s] = clampInt32(k);
  }
  return 1;
}

void makeMean(int len, int num, int *all, int *ksi) {
  if (len == 0) return;
  for (int i = 0; i < num; i++) {
    all[i] = (all[i] + len - 1) / len;
    ksi[i] = (ksi[i] + len - 1) / len;
  }
}

std::string getFrames(const char *motFile) {
  FILE *f = openInput(motFile);
  if (!f) return std::string();
  char held[7] = {0};
  int n = 0;
  Supermotif sup;
  while (sup.load(f)) {
    for (Motif *m = sup.first; m && n < 6; m = m->next)
      if (m->frame >= 'a' && m->frame <= 'f' && !memchr(held, m->frame, (size_t)n))
        held[n++] = m->frame;
    sup.del();
  }
  fclose(f);
  qsort(held, (size_t)n, 1, letCmp);
  return std::string(held, (size_t)n);
}

void recountRow(int *row, int seqLen, int numPow, const std::vector<BinSpan> &spans) {
  if (seqLen <= 0 || numPow <= 0) return;
  const size_t n = (size_t)seqLen * (size_t)numPow;
  for (size_t i = 0; i < n; i++) row[i] = row[i] != 0;
  // Counts only grow during the walks, so the stretches of non-zero positions stay as they
  // are: each walk pair raises exactly one stretch, which is found by its start.
  std::vector<int> start(n), touches(n, 0);
  for (int s = 0; s < numPow; s++)
    for (int p = 0; p < seqLen; p++) {
      size_t i = (size_t)p * numPow + s;
      start[i] = p > 0 && row[i - numPow] ? start[i - numPow] : p;
    }
  for (const BinSpan &sp : spans) {
    if (sp.qBeg < 0 || sp.qBeg > seqLen || sp.bin < 0 || sp.bin >= numPow) continue;
    int p = sp.qBeg;
    if (p == seqLen || !row[(size_t)p * numPow + sp.bin]) p--;  // only the walk down moves
    if (p < 0 || !row[(size_t)p * numPow + sp.bin]) continue;
    touches[(size_t)start[(size_t)p * numPow + sp.bin] * numPow + sp.bin]++;
  }
  for (int s = 0; s < numPow; s++) {
    int cur = 0;
    for (int p = 0; p < seqLen; p++) {
      size_t i = (size_t)p * numPow + s;
      if (!row[i]) continue;
      if (start[i] == p) cur = touches[i];
      row[i] = cur;  // 1 + touches - 1
    }
  }
}
