// The vantel program. Sections, in order:
//   1. command line and side-file names
//   2. regions, frames and the recount
//   3. result list of one keyword type
#include "vantel.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "errormsg.h"
#include "motif.h"
#include "params.h"

// ---- 1. command line and side-file names ----

const char kVantelUsageText[] =
    "Feature Table Prediction: for the given statistics adn motifs\n"
    "USAGE: vantel stat_file motif_file result_file [-M mesh_name] [options]\n"
    "   options:\n"
    "     -S - count all,ksi without length taking into account.\n";

int getOptions(int argc, char **argv, VantelOptions &opt) {
  if (argc < 4) return kVantelUsage;
  opt.statFile = argv[1];
  opt.motFile = argv[2];
  opt.resFile = argv[3];
  // The file names are never options: an absolute path such as /cluster/... must not
  // create its neighbour as a column file.
  for (int i = 4; i < argc; i++) {
    const char *a = argv[i];
    if ((a[0] != '-' && a[0] != '/') || !a[1]) continue;
    switch (toupper((unsigned char)a[1])) {
      case 'M':
      case 'C': {
        // A value is taken as it is, never read as an option; "-M -S" keeps its -S.
        if (i + 1 >= argc || argv[i + 1][0] == '-') break;
        const char *v = argv[++i];
        if (toupper((unsigned char)a[1]) == 'M')
          opt.meshPath = v;
        else
          opt.colFile = v;
        break;
      }
      case 'D': opt.wrDist = 1; break;
      case 'S': opt.sumType = 0; break;
      default: break;  // H has no effect, other letters none either
    }
  }
  return 0;
}

int sameFile(const char *a, const char *b) {
  if (!a || !b) return 0;
  if (strcmp(a, b) == 0) return 1;
  struct stat sa, sb;
  if (stat(a, &sa) != 0 || stat(b, &sb) != 0) return 0;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// ---- 2. regions, frames and the recount ----

void CountRows::reset(int _seqLen, int _numPow) {
  seqLen = _seqLen;
  numPow = _numPow;
  size_t n = (size_t)seqLen * (size_t)numPow;
  all.assign(n, 0);
  ksi.assign(n, 0);
}

namespace {

bool hasHits(const int *ksi, int numPow) {
  for (int s = 0; s < numPow; s++)
    if (ksi[s] != 0) return true;
  return false;
}

int32_t clampInt(long long v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v;
}

}  // namespace

int makeRegion(const CountRows &rows, int &beg, int &end, int *sumAll, int *sumKsi, int sumType) {
  const int L = rows.seqLen, np = rows.numPow;
  if (end >= L || np <= 0) return 0;
  const int *all = rows.all.data(), *ksi = rows.ksi.data();
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
    sumAll[s] = clampInt(a);
    sumKsi[s] = clampInt(k);
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
  FILE *f = fopen(motFile, "rb");
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

// ---- 3. result list of one keyword type ----

void append(TPredRes &res1, const TPredRes &res2) {
  res1.pow = std::max(res1.pow, res2.pow);
  res1.prob = std::max(res1.prob, res2.prob);
  res1.beg = std::min(res1.beg, res2.beg);
  res1.end = std::max(res1.end, res2.end);
}

int areNear(const TPredRes &res1, const TPredRes &res2, int delta) {
  if (res1.key != res2.key) return 0;
  return std::llabs((long long)res1.beg - res2.end) < delta ||
         std::llabs((long long)res2.beg - res1.end) < delta;
}

int resSort(const TPredRes &a, const TPredRes &b) {
  const bool na = std::isnan(a.pow), nb = std::isnan(b.pow);
  if (na || nb) return na == nb ? 0 : (na ? 1 : -1);
  return a.pow > b.pow ? -1 : (a.pow < b.pow ? 1 : 0);
}

void TPredResProc::add(const char *_key, int _beg, int _end, double _pow, double _ita,
                       double _prob, HistXX *_hist) {
  if (num() >= maxNum) fatalExit(kExitBadInput, "\n number of keywords is too large %d", maxNum);
  TPredRes r;
  r.key = _key ? _key : "";
  r.hist = _hist;
  r.beg = _beg;
  r.end = _end;
  r.pow = _pow;
  r.ita = _ita;
  r.prob = _prob;
  res.push_back(std::move(r));
}

void TPredResProc::join() {
  size_t to = 0;
  for (size_t from = 0; from < res.size(); from++) {
    if (!res[from].live) continue;
    if (to != from) {
      res[to] = std::move(res[from]);
      res[from].live = false;
    }
    // Nearness is measured against the region as widened so far.
    for (size_t i = from + 1; i < res.size(); i++) {
      if (!res[i].live || !areNear(res[to], res[i], 15)) continue;
      append(res[to], res[i]);
      res[i].live = false;
    }
    to++;
  }
  res.resize(to);
}

void TPredResProc::sort() {
  std::stable_sort(res.begin(), res.end(),
                   [](const TPredRes &a, const TPredRes &b) { return resSort(a, b) < 0; });
}
