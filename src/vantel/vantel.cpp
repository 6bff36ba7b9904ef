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
#include <ctime>
#include <filesystem>
#include <new>
#include <unordered_map>

#include "errormsg.h"
#include "feat_tab.h"
#include "hist_xx.h"
#include "mesh.h"
#include "motif.h"
#include "params.h"
#include "seq_adr.h"
#include "seqbase.h"
#include "seqinfo.h"
#include "work_seq.h"

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
  if (stat(a, &sa) == 0 && stat(b, &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  // A file not made yet: its path with the existing directories resolved ("./x", "d/../x").
  std::error_code ea, eb;
  const std::filesystem::path pa =
      std::filesystem::weakly_canonical(std::filesystem::absolute(a, ea), ea);
  const std::filesystem::path pb =
      std::filesystem::weakly_canonical(std::filesystem::absolute(b, eb), eb);
  return !ea && !eb && pa == pb;
}

// ---- 2. regions, frames and the recount ----

namespace {

std::unique_ptr<int[]> newZeroed(size_t n) {
  int *p = new (std::nothrow) int[n ? n : 1]();
  if (!p) noRoom((long long)(n * sizeof(int)));
  return std::unique_ptr<int[]>(p);
}

}  // namespace

void CountRows::reset(int _seqLen, int _numPow) {
  seqLen = _seqLen > 0 ? _seqLen : 0;
  numPow = _numPow > 0 ? _numPow : 0;
  all = newZeroed(size());
  ksi = newZeroed(size());
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

void TPredResProc::delGen(double thres) {
  if (res.empty()) return;
  const size_t n = res.size();
  std::vector<TPredRes> kept;
  for (size_t from = 0; from < n; from++) {
    TPredRes &r = res[from];
    if (r.pow < thres) continue;
    bool general = false;
    for (size_t j = 0; j < n && !general; j++) {
      const TPredRes &o = res[j];
      if (j == from || !o.live || !(o.pow >= thres)) continue;
      if (!firInsidSec(r.key.c_str(), o.key.c_str())) continue;
      // Of two keys inside each other the earlier, the stronger after the sort, stays.
      general = j < from || !firInsidSec(o.key.c_str(), r.key.c_str());
    }
    if (general)
      r.live = false;
    else
      kept.push_back(r);
  }
  res = std::move(kept);
}

namespace {

// One statistics block appended to the side file; a failure is reported and skipped.
void appendBlock(const char *fileName, HistXX &h, const char *type, double prob) {
  FILE *f = fopen(fileName, "a");
  if (!f) {
    printf("\n Can't append to file %s", fileName);
    return;
  }
  h.save(f, type, 1, prob);
  if (fflush(f) != 0 || ferror(f)) printf("\n Can't write to file %s", fileName);
  fclose(f);
}

}  // namespace

void TPredResProc::print(const char *keyType, FILE *fout, const char *fileName, int saveHist) {
  if (res.empty()) return;
  fprintf(fout, "CC   _______________________________ %s fields\n", keyType);
  // printf turns a negative width (a type longer than 47) into left justification.
  const int width = 47 - (int)strlen(keyType);
  for (TPredRes &r : res) {
    std::string key = r.key;
    char *pos = &key[0];
    while (char *part = nextToken(pos, "\n\r;")) {
      fprintf(fout, "%s   %-*s%6d  %6d  Prob %6.4f SD %6.2f\n", keyType, width, part, r.beg,
              r.end, r.prob, r.pow > 100.0 ? 100.0 : r.pow);
      if (saveHist && r.hist) appendBlock(fileName, *r.hist, keyType, r.prob);
    }
  }
  checkWrite(fout, "prediction file");
}

// ---- 4. inputs: statistics, similar sequences, side files ----

namespace {

constexpr int kMaxBlocks = 10000;   // statistics kept per type
constexpr int kMaxTypes = 100;      // keyword types kept
constexpr int kMaxResults = 10000;  // results of one keyword type

using HistPtr = std::unique_ptr<HistXX>;

struct Stats {
  std::vector<HistPtr> ft;
  std::vector<std::string> typeKW;
  std::vector<std::vector<HistPtr>> kw;
  std::vector<const char *> typePtrs;  // typeKW as the extraction routines take them
};

HistPtr newHist() {
  HistXX *h = new (std::nothrow) HistXX();
  if (!h) noRoom((long long)sizeof(HistXX));
  return HistPtr(h);
}

// The blocks of one type from the current position on, at most kMaxBlocks kept; the rest
// are read past so that they can't be taken for another type. Returns the number passed over.
int loadBlocks(FILE *f, const char *type, std::vector<HistPtr> &out) {
  int extra = 0;
  for (;;) {
    HistPtr h = newHist();
    if (h->load(f, type) != 0) break;
    if ((int)out.size() < kMaxBlocks)
      out.push_back(std::move(h));
    else
      extra++;
  }
  return extra;
}

void loadStats(FILE *f, Stats &st) {
  int extra = loadBlocks(f, "FT", st.ft);
  if (extra) printf("\n More than %d FT statistics: %d of them are not used", kMaxBlocks, extra);
  for (;;) {
    char *type = getKwType(f);
    if (!type) break;
    std::string name = type;
    delete[] type;
    if ((int)st.kw.size() >= kMaxTypes) {
      printf("\n More than %d keyword types: the statistics from type %s on are not used",
             kMaxTypes, name.c_str());
      break;
    }
    std::vector<HistPtr> blocks;
    extra = loadBlocks(f, name.c_str(), blocks);
    // A type that yields no block would be named again: the reading ends there.
    if (blocks.empty()) break;
    if (extra)
      printf("\n More than %d statistics of type %s: %d of them are not used", kMaxBlocks,
             name.c_str(), extra);
    st.typeKW.push_back(name);
    st.kw.push_back(std::move(blocks));
  }
  for (const std::string &t : st.typeKW) st.typePtrs.push_back(t.c_str());
}

// The similar-sequence list: the bank side of every supermotif of the motif file.
struct AddrList {
  std::vector<SeqAddrPow> sa = std::vector<SeqAddrPow>(kMaxSeqAddr + 1);
  int n = 0;
  ~AddrList() {
    for (int i = 0; i < n; i++) delete[] sa[(size_t)i].name;
  }
};

struct OpenFiles {
  FILE *mot = nullptr, *col = nullptr, *res = nullptr;
  ~OpenFiles() {
    for (FILE *f : {mot, col, res})
      if (f) fclose(f);
  }
};

// Closes f; 0 when every write reached the file.
int closeChecked(FILE *f) {
  const bool bad = fflush(f) != 0 || ferror(f);
  return (fclose(f) != 0 || bad) ? 1 : 0;
}

// ".inf": the headers of the listed sequences; ".pro": their accessions and the head of
// the statistics file. Returns 0, or kVantelNoFile after a message.
int writeSideFiles(const char *statFile, const char *inf, const char *pro, AddrList &list) {
  FILE *finf = fopen(inf, "w");
  if (!finf) {
    printf("\n Can't create file %s", inf);
    return kVantelNoFile;
  }
  FILE *fpro = fopen(pro, "w");
  if (!fpro) {
    fclose(finf);
    printf("\n Can't create file %s", pro);
    return kVantelNoFile;
  }
  fputs("\n List  of all similar sequences.\n", fpro);
  SeqInfo info;
  for (int i = 0; i < list.n; i++) {
    const SeqAddrPow &a = list.sa[(size_t)i];
    if (!info.readSeq(a.name, a.num)) continue;
    info.save(finf);
    char *ac = info.getAC();
    fprintf(fpro, "\n%-9s    %6d", ac, a.num);
    delete[] ac;
  }
  int bad = closeChecked(finf);
  FILE *fst = fopen(statFile, "r");
  if (!fst) {
    fclose(fpro);
    printf("\n Can't open statistics file %s", statFile);
    return kVantelNoFile;
  }
  // The head of the statistics file, line ends as they are, up to the first block.
  std::string line;
  while (readRawLine(fst, line) && line.find("_statistics") == std::string::npos)
    fwrite(line.data(), 1, line.size(), fpro);
  fclose(fst);
  bad |= closeChecked(fpro);
  if (bad) {
    printf("\n Can't write the files %s and %s", inf, pro);
    return kVantelNoFile;
  }
  return 0;
}

// ---- 5. the counting pass ----

// A supermotif counted for the keywords: its power on both scales and its motif spans.
struct SupRec {
  double param[2];
  size_t spanBeg, spanEnd;
};

// What one pass over the motif file found for the keywords.
struct KwCounts {
  std::vector<std::pair<int, int>> spans;  // (qBeg, len) of motifs inside the query
  std::vector<SupRec> sups;
  std::vector<std::vector<int>> typeSups;  // per type: the supermotifs counted for it
  std::vector<std::vector<std::vector<int>>> has;  // per type, per keyword: those that have it

  explicit KwCounts(const Stats &st) : typeSups(st.kw.size()), has(st.kw.size()) {
    for (size_t t = 0; t < st.kw.size(); t++) has[t].resize(st.kw[t].size());
  }
};

// Feature counts along the query, made only for the features some similar entry has.
struct FtCounts {
  std::vector<std::unique_ptr<int[]>> all, ksi;  // all: (L + 1) x numPow, range adds first
};

int binOf(HistXX &h, const SupRec &r) { return h.getNumPow(r.param[h.paramType != 0]); }

class Counter {
 public:
  Counter(Stats &st, const char *seqAdr, int seqNum, int seqLen, Mesh *mesh, FILE *fcol)
      : st_(st), seqAdr_(seqAdr), seqNum_(seqNum), L_(seqLen), mesh_(mesh), fcol_(fcol) {
    for (size_t f = 0; f < st.ft.size(); f++) ftByName_[nameOf(*st.ft[f])].push_back((int)f);
  }

  FtCounts ft;

  // One pass over the motif file from its current position. The recount pass (recount set)
  // counts no feature, writes no column line and prints no progress.
  void pass(FILE *fmot, bool recount, KwCounts &kc) {
    if (!recount) {
      ft.all.resize(st_.ft.size());
      ft.ksi.resize(st_.ft.size());
    }
    Supermotif sup;
    for (int number = 0; sup.load(fmot); number++) {
      if (!recount && number % 10 == 0) printf("\n Motif number %d", number);
      countOne(sup, recount, kc);
      sup.del();
    }
  }

  // The feature counts as plain counts per position (after the range adds).
  void finishFeatures() {
    for (size_t f = 0; f < ft.all.size(); f++) {
      if (!ft.all[f]) continue;
      const int np = st_.ft[f]->numPow;
      int *a = ft.all[f].get();
      for (int p = 1; p < L_; p++)
        for (int b = 0; b < np; b++) a[(size_t)p * np + b] += a[(size_t)(p - 1) * np + b];
    }
  }

 private:
  Stats &st_;
  const char *seqAdr_;
  int seqNum_;
  int L_;
  Mesh *mesh_;
  FILE *fcol_;
  SeqInfo info_;  // the similar entry's header; never the query's
  std::unordered_map<std::string, std::vector<int>> ftByName_;

  static std::string nameOf(const HistXX &h) { return h.FTname ? h.FTname : ""; }

  // A motif counts when it lies inside the query and, when the similar entry states its
  // length, inside the similar sequence: a motif file that no longer fits its banks, or a
  // reversal against another length, can't reach past either.
  bool fits(const Motif *m, int bankLen) const {
    if (m->qBeg < 0 || m->len < 0 || (long long)m->qBeg + m->len > L_) return false;
    return bankLen <= 0 || (m->bBeg >= 0 && (long long)m->bBeg + m->len <= bankLen);
  }

  void countOne(Supermotif &sup, bool recount, KwCounts &kc) {
    // 0: another query's supermotif; 2: the query stands on the bank side, where the motifs'
    // query positions belong to the other sequence.
    if (is(&sup, seqAdr_, seqNum_) != 1) return;
    if (!info_.readSeq(sup.bAdr, sup.bNum)) return;  // the holder keeps stale lines
    if (isHypoth(&info_, (int)st_.typePtrs.size(), st_.typePtrs.data())) return;
    const int bankLen = info_.getLen();
    if (sup.first && sup.first->frame == '-') sup.reverse(bankLen);
    if (!recount && !st_.ft.empty()) countFeatures(sup, bankLen);
    countKeywords(sup, bankLen, recount, kc);
  }

  void countFeatures(Supermotif &sup, int len) {
    if (len <= 0) return;  // no length, no feature mask
    // Which features each feature line names, and the line's ranges, read once per entry.
    std::vector<std::vector<char>> masks(st_.ft.size());
    std::vector<int> named;
    int beg[SeqInfo::kMaxRanges], end[SeqInfo::kMaxRanges];
    char name[1024];
    for (int j = 1; j < info_.getNum(); j++) {
      if (!info_.isFT(j, "")) continue;
      named.clear();
      bool found = false;
      if (info_.getFormat() == kFormatSwiss) {
        // A Swiss line names exactly one feature: try the name it is compared with.
        const char *text = info_[j] + 2;
        text += strspn(text, " \t");
        makeName(text, name, 2);
        if (info_.isFT(j, name)) {
          found = true;
          auto it = ftByName_.find(name);
          if (it != ftByName_.end()) named = it->second;
        }
      }
      if (!found)
        for (size_t f = 0; f < st_.ft.size(); f++)
          if (info_.isFT(j, nameOf(*st_.ft[f]).c_str())) named.push_back((int)f);
      if (named.empty()) continue;
      const int n = info_.getBegEndFT(j, beg, end);
      for (int f : named) {
        std::vector<char> &mask = masks[(size_t)f];
        if (mask.empty()) mask.assign((size_t)len + 1, 0);
        for (int k = 0; k < n; k++)
          for (int p = std::max(beg[k], 1); p <= std::min(end[k], len); p++) mask[(size_t)p - 1] = 1;
      }
    }
    for (size_t f = 0; f < masks.size(); f++) {
      const std::vector<char> &mask = masks[f];
      if (mask.empty() || std::find(mask.begin(), mask.begin() + len, 1) == mask.begin() + len)
        continue;
      HistXX &h = *st_.ft[f];
      const int np = h.numPow;
      if (!ft.all[f]) {
        ft.all[f] = newZeroed((size_t)(L_ + 1) * np);
        ft.ksi[f] = newZeroed((size_t)L_ * np);
      }
      int *all = ft.all[f].get(), *ksi = ft.ksi[f].get();
      for (Motif *m = sup.first; m; m = m->next) {
        if (!fits(m, len)) continue;
        const int b = h.getNumPow(getParam(m, h.paramType));
        all[(size_t)m->qBeg * np + b]++;
        all[(size_t)(m->qBeg + m->len) * np + b]--;
        for (int i = 0; i < m->len; i++)
          if (mask[(size_t)(m->bBeg + i)]) ksi[(size_t)(m->qBeg + i) * np + b]++;
      }
    }
  }

  void countKeywords(Supermotif &sup, int bankLen, bool recount, KwCounts &kc) {
    int idx = -1;
    for (size_t t = 0; t < st_.kw.size(); t++) {
      const char *type = st_.typeKW[t].c_str();
      if (!info_.hasKWtype(type)) continue;
      if (idx < 0) {
        SupRec r;
        r.param[0] = getParam(&sup, 0);
        r.param[1] = getParam(&sup, 1);
        r.spanBeg = kc.spans.size();
        for (Motif *m = sup.first; m; m = m->next)
          if (fits(m, bankLen)) kc.spans.emplace_back(m->qBeg, m->len);
        r.spanEnd = kc.spans.size();
        idx = (int)kc.sups.size();
        kc.sups.push_back(r);
      }
      kc.typeSups[t].push_back(idx);
      int num = 0;
      char **list = getKWList(&info_, mesh_, num, type);
      const SupRec &r = kc.sups[(size_t)idx];
      for (size_t k = 0; k < st_.kw[t].size(); k++) {
        HistXX &h = *st_.kw[t][k];
        const char *name = h.FTname ? h.FTname : "";
        int has = 0;
        for (int i = 0; i < num && !has; i++) has = firInsidSec(name, list[i]);
        if (has) kc.has[t][k].push_back(idx);
        if (fcol_ && !recount)
          fprintf(fcol_, "%s %s %3d %3d    %07.2f %3d\n", type, name, 0, 0,
                  r.param[h.paramType != 0], has);
      }
      for (int i = 0; i < num; i++) delete[] list[i];
      delete[] list;
    }
  }
};

// ---- 6. prediction and the prediction file ----

// The counts of keyword k of type t along the query; with recount, recounted by the second
// pass's supermotifs.
void keywordRows(CountRows &rows, HistXX &h, size_t t, size_t k, int L, const KwCounts &kc,
                 const KwCounts *recount) {
  const int np = h.numPow;
  rows.reset(L, np);
  std::unique_ptr<int[]> diff = newZeroed((size_t)(L + 1) * np);
  for (int ksiSide = 0; ksiSide < 2; ksiSide++) {
    const std::vector<int> &sups = ksiSide ? kc.has[t][k] : kc.typeSups[t];
    std::fill(diff.get(), diff.get() + (size_t)(L + 1) * np, 0);
    for (int s : sups) {
      const SupRec &r = kc.sups[(size_t)s];
      const int b = binOf(h, r);
      for (size_t i = r.spanBeg; i < r.spanEnd; i++) {
        diff[(size_t)kc.spans[i].first * np + b]++;
        diff[(size_t)(kc.spans[i].first + kc.spans[i].second) * np + b]--;
      }
    }
    int *out = ksiSide ? rows.ksi.get() : rows.all.get();
    for (int b = 0; b < np; b++) {
      int run = 0;
      for (int p = 0; p < L; p++) out[(size_t)p * np + b] = run += diff[(size_t)p * np + b];
    }
    if (!recount) continue;
    std::vector<BinSpan> spans;
    for (int s : ksiSide ? recount->has[t][k] : recount->typeSups[t]) {
      const SupRec &r = recount->sups[(size_t)s];
      const int b = binOf(h, r);
      for (size_t i = r.spanBeg; i < r.spanEnd; i++)
        spans.push_back({recount->spans[i].first, recount->spans[i].second, b});
    }
    recountRow(out, L, np, spans);
  }
}

int32_t scaled(int pos, int intFra) { return clampInt(((long long)pos + 1) * intFra); }

void writeKeywords(FILE *fres, Stats &st, int L, int intFra, int sumType, int wrDist,
                   const KwCounts &kc, const KwCounts *recount, const char *pro) {
  CountRows rows;
  for (size_t t = 0; t < st.kw.size(); t++) {
    const char *type = st.typeKW[t].c_str();
    const int probIdx = strcmp(type, "KW") == 0 ? 0 : 1;
    TPredResProc list(kMaxResults);
    for (size_t k = 0; k < st.kw[t].size(); k++) {
      if (kc.has[t][k].empty()) continue;  // no region without a hit
      HistXX &h = *st.kw[t][k];
      keywordRows(rows, h, t, k, L, kc, recount);
      std::vector<int> sumAll((size_t)std::max(h.numPow, 1)), sumKsi(sumAll.size());
      int beg = 0, end = -1;
      while (makeRegion(rows, beg, end, sumAll.data(), sumKsi.data(), sumType)) {
        predPAR pred{};
        h.predFT(&pred, sumAll.data(), sumKsi.data(), probIdx, wrDist);
        if (pred.isPred)
          list.add(h.FTname, scaled(beg, intFra), scaled(end, intFra), pred.P1, pred.ita,
                   pred.P1divP2, &h);
      }
    }
    list.join();
    list.sort();
    list.delGen(0.0);
    list.print(type, fres, pro, 1);
  }
}

void writeFeatures(FILE *fres, Stats &st, int L, int intFra, FtCounts &ft, const char *pro) {
  fputs("CC   _______________________________ FT fields\n", fres);
  for (size_t f = 0; f < st.ft.size(); f++) {
    HistXX &h = *st.ft[f];
    const int np = h.numPow;
    const int *all = f < ft.all.size() ? ft.all[f].get() : nullptr;
    const int *ksi = f < ft.ksi.size() ? ft.ksi[f].get() : nullptr;
    std::unique_ptr<char[]> nice(h.getNiceFTname());
    // Most positions share their counts (all zero in particular): predict once per change.
    std::vector<int> curAll((size_t)np), curKsi((size_t)np);
    predPAR pred{};
    bool known = false;
    double maxProb = 0, sumProb = 0, sumP1 = 0;
    int runBeg = -1;
    auto emit = [&](int s, int e) {
      const double n = e - s + 1;
      const double prob = sumProb / n, sd = sumP1 / n;
      fprintf(fres, "FT   %-45s%6d  %6d  Prob %6.4f SD %6.2f\n", nice ? nice.get() : "",
              scaled(s, intFra), scaled(e, intFra), prob, sd > 100.0 ? 100.0 : sd);
      if (prob > maxProb) maxProb = prob;
    };
    for (int p = 0; p < L; p++) {
      bool same = known;
      for (int b = 0; b < np; b++) {
        const int a = all ? all[(size_t)p * np + b] : 0, k = ksi ? ksi[(size_t)p * np + b] : 0;
        if (a != curAll[(size_t)b] || k != curKsi[(size_t)b]) same = false;
        curAll[(size_t)b] = a;
        curKsi[(size_t)b] = k;
      }
      if (!same) {
        pred = predPAR{};
        h.predFT(&pred, curAll.data(), curKsi.data(), 1, 0);
        known = true;
      }
      if (pred.isPred) {
        if (runBeg < 0) {
          runBeg = p;
          sumProb = sumP1 = 0;
        }
        sumProb += pred.P1divP2;
        sumP1 += pred.P1;
      } else if (runBeg >= 0) {
        emit(runBeg, p - 1);
        runBeg = -1;
      }
    }
    if (runBeg >= 0) emit(runBeg, L - 1);
    if (maxProb > 0) appendBlock(pro, h, "FT", maxProb);
  }
}

}  // namespace

// ---- the keyword listing ----

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

// ---- 7. the program ----

int run_vantel(int argc, char **argv) {
  VantelOptions opt;
  if (getOptions(argc, argv, opt) != 0) {
    fputs(kVantelUsageText, stdout);
    return kVantelUsage;
  }
  std::unique_ptr<char[]> inf(chExt(opt.statFile, ".inf")), pro(chExt(opt.statFile, ".pro"));

  // Nothing is created that would overwrite an input.
  for (const char *side : {inf.get(), pro.get()})
    for (const char *in : {opt.statFile, opt.motFile, opt.resFile, opt.colFile})
      if (sameFile(side, in)) {
        printf("\n Side file %s would overwrite %s", side, in);
        return kVantelNoFile;
      }
  if (opt.colFile)
    for (const char *in : {opt.statFile, opt.motFile, opt.meshPath})
      if (sameFile(opt.colFile, in)) {
        printf("\n Column file %s would overwrite %s", opt.colFile, in);
        return kVantelNoFile;
      }

  std::unique_ptr<Mesh> mesh;
  if (opt.meshPath) {
    mesh.reset(new Mesh());
    mesh->load(opt.meshPath);  // a thesaurus that can't be read stays empty
  }
  OpenFiles files;
  if (opt.colFile && !(files.col = fopen(opt.colFile, "w"))) {
    printf("\n Can't create column file %s", opt.colFile);
    return kVantelNoFile;
  }
  if (opt.wrDist) {
    FILE *fd = fopen("fun_dist.txt", "a");
    if (!fd) {
      printf("\n Can't open file %s", "fun_dist.txt");
      return kVantelNoFile;
    }
    fprintf(fd, "Motif %s\n", opt.motFile);
    if (closeChecked(fd)) {
      printf("\n Can't write file %s", "fun_dist.txt");
      return kVantelNoFile;
    }
  }

  Stats st;
  {
    FILE *fst = fopen(opt.statFile, "r");
    if (!fst) {
      printf("\n Can't open statistics file %s", opt.statFile);
      return kVantelNoFile;
    }
    loadStats(fst, st);
    fclose(fst);
  }

  if (!(files.mot = fopen(opt.motFile, "r"))) {
    printf("\n Can't open motif file %s", opt.motFile);
    return kVantelNoFile;
  }
  AddrList list;
  {
    std::string line;
    while (readLine(files.mot, line)) addSeqAddr(line.c_str(), list.n, list.sa.data(), 0);
    rewind(files.mot);
  }

  // The query, before the side files: a run that ends here leaves the last ones as they are.
  std::string seqAdr;
  int seqNum = 0;
  {
    Supermotif first;
    if (!first.load(files.mot)) {
      printf("\n Can't read any motif from file %s", opt.motFile);
      return kVantelNoSupermotif;
    }
    seqAdr = first.qAdr ? first.qAdr : "";
    seqNum = first.qNum;
    rewind(files.mot);
  }
  WorkSeq query;
  const int L = query.readSeq(seqAdr.c_str(), seqNum);
  if (L <= 0) {
    printf("\n Can't read sequnece number %d from file %s", seqNum, seqAdr.c_str());
    return kVantelNoQuery;
  }

  if (int rc = writeSideFiles(opt.statFile, inf.get(), pro.get(), list)) return rc;

  std::string qName = " ";
  {
    SeqInfo qInfo;
    if (qInfo.readSeq(seqAdr.c_str(), seqNum)) {
      std::unique_ptr<char[]> id(qInfo.getID());
      if (id) qName = id.get();
    }
  }
  const std::string frames = getFrames(opt.motFile);
  const int nucleic = getMolType(query.seq(), L) != 0;
  // Positions of a protein query are never scaled, whatever frames its bank side had.
  const int intFra = nucleic && !frames.empty() ? 3 : 1;

  Counter counter(st, seqAdr.c_str(), seqNum, L, mesh.get(), files.col);
  KwCounts kc(st);
  counter.pass(files.mot, false, kc);
  counter.finishFeatures();
  fclose(files.mot);
  files.mot = nullptr;
  if (files.col) {
    const int bad = closeChecked(files.col);
    files.col = nullptr;
    if (bad) printf("\n Can't write column file %s", opt.colFile);
  }

  std::unique_ptr<KwCounts> recount;
  if (opt.sumType == 0) {
    if (!(files.mot = fopen(opt.motFile, "r"))) {
      printf("\n Can't open motif file %s", opt.motFile);
      return kVantelNoFile;
    }
    recount.reset(new KwCounts(st));
    counter.pass(files.mot, true, *recount);
  }

  if (!(files.res = fopen(opt.resFile, "w"))) {
    printf("\n Can't create result file %s", opt.resFile);
    return kVantelNoFile;
  }
  FILE *fres = files.res;
  if (nucleic) {
    const std::string name = frames.empty() ? qName : qName + "(" + frames + ")";
    fprintf(fres, "ID   %-18sstandard;  RNA; ???; %10d BP.\n", name.c_str(), L);
  } else {
    fprintf(fres, "ID   %-16sSTANDARD;      PRT;%10d AA.\n", qName.c_str(), L);
  }
  const time_t now = time(nullptr);
  const char *when = ctime(&now);
  fprintf(fres, "CC   ____________ Predicted KELVA, Version 5.0, %s", when ? when : "\n");
  writeKeywords(fres, st, L, intFra, opt.sumType, opt.wrDist, kc, recount.get(), pro.get());
  if (!st.ft.empty()) writeFeatures(fres, st, L, intFra, counter.ft, pro.get());
  query.print(fres, nucleic ? 3 : 2, nucleic ? "BP" : "AA");
  checkWrite(fres, opt.resFile);
  files.res = nullptr;
  if (fclose(fres) != 0) fatalExit(kExitBadData, "\n Can't write %s\n", opt.resFile);
  return kVantelDone;
}
