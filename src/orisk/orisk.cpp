// The orisk program. Sections, in order:
//   1. command line: usage texts, the power range, getOptions
//   2. power grids: the motif store, powSort, makePow, estimatePow
//   3. presence tables and the column file
//   4. the learning run (run_orisk)
#include "orisk.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "errormsg.h"
#include "motif.h"
#include "params.h"

const char kOriskUsageText[] =
    "\nExtracting feature table statistics from the given MOTIFs or SUBBASE\n"
    "USAGE: orisk motif_file [ minPow maxPow stepPow ] result_FT_file [options]\n"
    "Options: -KW KE DE ...\n"
    "         -D monX | -D equX_Y\n"
    "         -I        0 & Infinity motifs are added.\n";

const char kPowUsageText[] =
    "Extracting feature table statistics from the given MOTIFs or SUBBASE\n"
    "USAGE: orisk motif_file [minPow maxPow stepPow] result_FT_file [options]\n";

// ---- 1. command line ----

bool isPowNumber(const char *w) {
  for (; *w; w++)
    if (!((*w >= '0' && *w <= '9') || *w == '.')) return false;
  return true;
}

int powRangeKind(int argc, char **argv) {
  if (argc < 3 || !isPowNumber(argv[2])) return kRangeEstimate;
  int n = 0;
  while (n < 3 && 2 + n < argc && isPowNumber(argv[2 + n])) n++;
  // Three numbers need the result name after them.
  return n == 3 && argc > 5 ? kRangeGiven : kRangePartial;
}

int readPowRange(char **argv, double &minPow, double &maxPow, double &stepPow) {
  minPow = atof(argv[2]);
  maxPow = atof(argv[3]);
  stepPow = atof(argv[4]);
  if (!std::isfinite(minPow) || !std::isfinite(maxPow) || !std::isfinite(stepPow)) return 1;
  if (!(stepPow > 0) || !(maxPow >= minPow)) return 1;
  const double bins = (maxPow - minPow) / stepPow + 1;
  return std::isfinite(bins) && bins <= kMaxGridBins ? 0 : 1;
}

namespace {

inline bool isOptionWord(const char *w) { return w[0] == '-' || w[0] == '/'; }

// "monX" or "equX_Y": X from the fourth character on, Y after the first '_'.
void readDivision(const char *v, OriskOptions &opt) {
  if (!strncmp(v, "mon", 3)) {
    opt.divSegm = 1;
  } else {
    opt.divSegm = 0;
    if (const char *u = strchr(v, '_')) opt.minPart = parseLong(u + 1) / 100.0;
  }
  opt.numSegm = strlen(v) > 3 ? parseLong(v + 3) : 0;
}

}  // namespace

void getOptions(int argc, char **argv, int first, OriskOptions &opt) {
  opt = OriskOptions();
  int w = first;
  while (w < argc) {
    const char *s = argv[w];
    if (!isOptionWord(s)) {
      w++;
      continue;
    }
    if (!strncmp(s + 1, "KW", 2)) {
      // A second -KW adds its types after the first one's.
      for (w++; w < argc && !isOptionWord(argv[w]); w++) {
        if (!strncmp(argv[w], "CC", 2))
          for (int c = 0; c < numCC; c++) opt.KW.push_back(funCC[c]);
        else
          opt.KW.push_back(argv[w]);
      }
      continue;
    }
    const bool hasValue = w + 1 < argc;
    switch (toupper((unsigned char)s[1])) {
      case 'M':
        if (hasValue) opt.meshPath = argv[++w];
        break;
      case 'D':
        if (hasValue) readDivision(argv[++w], opt);
        break;
      case 'C':
        if (hasValue) {
          opt.hasCol = true;
          opt.writeCol = argv[++w];
        }
        break;
      case 'I': opt.zerInfMot = 1; break;
      case 'F': opt.fullPxx = 1; break;
      case 'H': opt.paramType = 1; break;
      default: break;
    }
    w++;
  }
  opt.numKW = (int)opt.KW.size();
}

// ---- 2. power grids ----

size_t MotifStore::read(FILE *f) {
  std::unordered_map<std::string, int> known;
  auto intern = [&](const char *name, int num) {
    std::string key(name);
    key += '\n';
    key += std::to_string(num);
    auto it = known.find(key);
    if (it != known.end()) return it->second;
    const int id = (int)addr.size();
    addr.push_back({name, num});
    known.emplace(std::move(key), id);
    return id;
  };
  size_t n = 0;
  Supermotif s;
  while (s.load(f)) {
    Block b;
    b.power = s.power;
    b.qAddr = intern(s.qAdr, s.qNum);
    b.bAddr = intern(s.bAdr, s.bNum);
    b.firstMot = mots.size();
    b.numMot = 0;
    for (const Motif *m = s.first; m; m = m->next, b.numMot++)
      mots.push_back({m->qBeg, m->bBeg, m->len, m->sum, m->pow, m->frame});
    blocks.push_back(b);
    s.del();
    n++;
  }
  return n;
}

void MotifStore::build(size_t b, Supermotif &s) const {
  s.del();
  const Block &k = blocks[b];
  s.power = k.power;
  s.numMot = k.numMot;
  s.qAdr = _strdup_(addr[k.qAddr].name.c_str());
  s.qNum = addr[k.qAddr].num;
  s.bAdr = _strdup_(addr[k.bAddr].name.c_str());
  s.bNum = addr[k.bAddr].num;
  Motif **tail = &s.first;
  for (int i = 0; i < k.numMot; i++) {
    const Mot &m = mots[k.firstMot + i];
    Motif *p = new Motif(m.qBeg, m.bBeg, m.len, m.sum, m.pow, m.frame);
    *tail = p;
    tail = &p->next;
  }
}

int powSort(const void *a, const void *b) {
  const double x = *static_cast<const double *>(a), y = *static_cast<const double *>(b);
  const bool nx = std::isnan(x), ny = std::isnan(y);
  if (nx || ny) return nx == ny ? 0 : nx ? 1 : -1;
  return x > y ? -1 : x < y ? 1 : 0;
}

void makePow(const double *pow, int nPow, double &minPow, double &maxPow, double &stepPow) {
  // Powers that are not numbers sort last and take no part in the grid.
  while (nPow > 0 && std::isnan(pow[nPow - 1])) nPow--;
  if (nPow <= 0) {
    minPow = 0;
    maxPow = 0.000001;
    stepPow = (maxPow - minPow) / 50;
    return;
  }
  const double infPart = nPow * 0.25;
  double maxDel = 0, maxDel_14 = 0;
  int maxJ = 0, maxJ_14 = 0;
  for (int j = 1; j < nPow; j++) {
    const double del = pow[j - 1] - pow[j];
    if (del > maxDel) {
      maxDel = del;
      maxJ = j - 1;
    }
    if (j < infPart && del > maxDel_14) {
      maxDel_14 = del;
      maxJ_14 = j - 1;
    }
  }
  minPow = pow[nPow - 1];
  maxPow = (maxJ < infPart ? pow[maxJ] : pow[maxJ_14]) + 0.000001;
  stepPow = (maxPow - minPow) / 50;
}

namespace {

void sortedGrid(std::vector<double> &pow, double &minPow, double &maxPow, double &stepPow) {
  std::stable_sort(pow.begin(), pow.end(),
                   [](const double &a, const double &b) { return powSort(&a, &b) < 0; });
  makePow(pow.data(), (int)std::min<size_t>(pow.size(), INT32_MAX), minPow, maxPow, stepPow);
}

}  // namespace

void estimatePow(const MotifStore &store, int paramType, double &minPowMot, double &maxPowMot,
                 double &stepPowMot, double &minPowSup, double &maxPowSup, double &stepPowSup) {
  std::vector<double> motPow, supPow;
  motPow.reserve(std::max<size_t>(store.mots.size(), 1));
  supPow.reserve(std::max<size_t>(store.blocks.size(), 1));
  Supermotif s;
  for (size_t b = 0; b < store.blocks.size(); b++) {
    store.build(b, s);
    supPow.push_back(getParam(&s, paramType));
    for (Motif *m = s.first; m; m = m->next) motPow.push_back(getParam(m, paramType));
  }
  sortedGrid(motPow, minPowMot, maxPowMot, stepPowMot);
  sortedGrid(supPow, minPowSup, maxPowSup, stepPowSup);
}

int makePow(int argc, char **argv, double &minPowMot, double &maxPowMot, double &stepPowMot,
            double &minPowSup, double &maxPowSup, double &stepPowSup, int paramType,
            MotifStore *store) {
  const int kind = powRangeKind(argc, argv);
  if (kind == kRangeGiven) return 0;
  if (kind == kRangePartial) fatalExit(kOriskUsage, "%s", kPowUsageText);
  FILE *f = argc > 1 ? fopen(argv[1], "rb") : nullptr;
  if (!f) fatalExit(kOriskNoPowFile, "\n Can't open motifs file %s.", argc > 1 ? argv[1] : "");
  MotifStore local;
  MotifStore &st = store ? *store : local;
  st.read(f);
  fclose(f);
  estimatePow(st, paramType, minPowMot, maxPowMot, stepPowMot, minPowSup, maxPowSup, stepPowSup);
  return 1;
}

// ---- 3. presence tables and the column file ----

int Marks::count(int key) const {
  int n = 0;
  for (size_t i = 0; i < rows.size(); i++) n += at((int)i, key) != 0;
  return n;
}

void Marks::compact(const std::vector<char> &keep) {
  for (std::vector<uint8_t> &r : rows) {
    size_t out = 0;
    for (size_t k = 0; k < r.size() && k < keep.size(); k++)
      if (keep[k]) r[out++] = r[k];
    r.resize(out);
  }
}

namespace {

const char kRule[] = "          ============================================================\n";
const char kRun41[] = "=========================================";

void noKeywords(FILE *fft, const char *KW) {
  fprintf(fft, "\n\n          = There are no keywords of type %s in the found sequences \n\n", KW);
}

// Rows "\n%*s;   " then " %1d" per sequence, the names right-aligned to the longest.
void markRows(FILE *fft, int nSeq, int numKeys, char *const *names, const Marks &marks) {
  int width = 0;
  for (int k = 0; k < numKeys; k++) width = std::max(width, (int)strlen(names[k]));
  for (int k = 0; k < numKeys; k++) {
    fprintf(fft, "\n%*s;   ", width, names[k]);
    for (int i = 0; i < nSeq; i++) fprintf(fft, " %1d", marks.at(i, k));
  }
}

}  // namespace

void prnKWtabelNew(FILE *fft, const char *KW, int nSeq, int numKwAll, char *const *kwAll,
                   const Marks &kwSign) {
  // A type too long for the ruler gets the whole run on each side, as a negative precision.
  const int len = (int)strlen(KW);
  const int pad = len > 56 ? 41 : (60 - len) / 2 - 2;
  fprintf(fft, "\n\n%s", kRule);
  fprintf(fft, "          %.*s  %s  %.*s\n", pad, kRun41, KW, pad, kRun41);
  fprintf(fft, "%s\n", kRule);
  if (numKwAll <= 0) {
    noKeywords(fft, KW);
    return;
  }
  markRows(fft, nSeq, numKwAll, kwAll, kwSign);
}

void prnKWtabel(FILE *fft, const char *KW, int nSeq, int numKwAll, char *const *kwAll,
                const Marks &kwSign, char *const *acc) {
  fprintf(fft, "\n\n%s", kRule);
  fprintf(fft, "          ============================  %s  ==========================\n", KW);
  fprintf(fft, "%s\n", kRule);
  if (numKwAll <= 0) {
    noKeywords(fft, KW);
    return;
  }
  // The keywords stand downwards, each in its own pair of columns, ending on the last row.
  int height = 0;
  for (int k = 0; k < numKwAll; k++) height = std::max(height, (int)strlen(kwAll[k]));
  std::string row;
  for (int r = 0; r < height; r++) {
    row.assign((size_t)numKwAll * 2, ' ');
    for (int k = 0; k < numKwAll; k++) {
      const int len = (int)strlen(kwAll[k]);
      const int c = r - (height - len);
      if (c >= 0) row[(size_t)k * 2] = kwAll[k][c];
    }
    fprintf(fft, "\n         %.*s", (int)row.size(), row.c_str());
  }
  for (int i = 0; i < nSeq; i++) {
    fprintf(fft, "\n%-9s", acc[i]);
    for (int k = 0; k < numKwAll; k++) fprintf(fft, "%-2s", kwSign.at(i, k) ? "+ " : "  ");
  }
}

void writeColLine(FILE *fcol, const char *type, const char *kw, int qIdx, int qHas, double power,
                  int bHas) {
  fprintf(fcol, "%s %s %3d %3d    %07.2f %3d\n", type, kw, qIdx, qHas, power, bHas);
}
