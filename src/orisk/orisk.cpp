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
#include <memory>
#include <unordered_map>

#include "bank_file.h"
#include "errormsg.h"
#include "hist_xx.h"
#include "motif.h"
#include "params.h"
#include "seq_adr.h"
#include "seqbase.h"
#include "seqinfo.h"

#include "feat_tab.h"
#include "mesh.h"

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

std::vector<int> Marks::keys(int seq) const {
  std::vector<int> v;
  const std::vector<uint64_t> &r = rows[seq];
  for (size_t w = 0; w < r.size(); w++)
    for (uint64_t bits = r[w]; bits; bits &= bits - 1)
      v.push_back((int)(w * 64 + (size_t)__builtin_ctzll(bits)));
  return v;
}

void Marks::compact(const std::vector<char> &keep) {
  for (size_t i = 0; i < rows.size(); i++) {
    std::vector<uint64_t> out;
    int n = 0;
    for (size_t k = 0; k < keep.size(); k++) {
      if (!keep[k]) continue;
      if (at((int)i, (int)k)) {
        if ((size_t)(n >> 6) >= out.size()) out.resize((size_t)(n >> 6) + 1, 0);
        out[(size_t)n >> 6] |= uint64_t(1) << (n & 63);
      }
      n++;
    }
    rows[i] = std::move(out);
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
  if (!query.readSeq(bank.get(), 0)) {
    printf("Can't load sequence: Addres %s Index 0\n", bank.get());
    exit(111);
  }
  FILE *fm = fopen(mot.get(), "r");
  if (!fm) {
    printf("Can't open motif file %s\n", mot.get());
    exit(114);
  }
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

void writeColLine(FILE *fcol, const char *type, const char *kw, int qIdx, int qHas, double power,
                  int bHas) {
  fprintf(fcol, "%s %s %3d %3d    %07.2f %3d\n", type, kw, qIdx, qHas, power, bHas);
}


// ---- 4. the learning run ----

namespace {

// What the learning pass needs of one bank entry, taken from its header once.
struct SeqFacts {
  bool ok = false;    // header read
  bool hypo = false;  // hypothetical: takes no part in the learning pass
  int len = 0;
  // Marks of each kept feature type the entry has (types without a mark are left out).
  std::vector<std::pair<int, std::vector<int>>> masks;
  std::vector<char> hasType;  // per keyword type: the entry has a line of that type
};

class OriskRun {
 public:
  OriskRun(const OriskOptions &o, const char *motF, const char *fftF)
      : opt(o), motFname(motF), fftFname(fftF) {
    for (const std::string &t : opt.KW) kwTypes.push_back(const_cast<char *>(t.c_str()));
  }
  ~OriskRun();
  int run(int argc, char **argv, int kind);

  // Grids.
  double minPowMot = 0, maxPowMot = 0, stepPowMot = 0;
  double minPowSup = 0, maxPowSup = 0, stepPowSup = 0;
  MotifStore store;

 private:
  const OriskOptions &opt;
  const char *motFname;
  const char *fftFname;
  std::vector<char *> kwTypes;
  Mesh mesh;
  Mesh *meshUsed = nullptr;

  // Sequence list.
  int nSeq = 0;
  int nMot = 0;
  std::vector<SeqAddrPow> sa;
  std::vector<std::unique_ptr<SeqInfo>> infos;  // headers of pass 1, dropped after the facts
  std::vector<SeqFacts> facts;                  // per list sequence
  std::vector<int> listIdx;                     // per stored address: list index or -1
  std::vector<std::unique_ptr<SeqFacts>> otherFacts;  // per stored address outside the list
  std::vector<int> hasMot;                      // nSeq x nSeq

  // Feature types and keywords.
  int numFtAll = 0;
  std::vector<ftInfo *> ftAll;
  Marks ftSign;
  std::vector<int> numKwAll;
  std::vector<std::vector<char *>> kwAll;
  std::vector<Marks> kwSign;

  // Histograms.
  std::vector<std::unique_ptr<HistXX>> histFT;
  std::vector<std::vector<std::unique_ptr<HistXX>>> histKW;
  std::vector<std::vector<std::vector<int>>> marked;  // type, sequence: kept keywords held
  std::vector<std::vector<double>> typeBlocks;         // type, bin: blocks counted
  std::vector<double> freqFT;
  double lenAll = 0;
  FILE *fcol = nullptr;

  int readList(bool readBlocks);
  void pass1();
  int writeTables();
  void eliminate();
  void factsOf(SeqInfo &info, SeqFacts &f, int seq);
  const SeqFacts &bankFacts(int addrId);
  void openColumnFile();
  void learn();
  void learnBlock(int i, const SeqFacts &q, const std::vector<std::vector<int>> &qFT, size_t b,
                  Supermotif &s);
  void finishKeywordCounts();
  void addZerInf();
  int writeBlocks();
};

OriskRun::~OriskRun() {
  for (ftInfo *f : ftAll) delete f;
  for (std::vector<char *> &v : kwAll)
    for (char *k : v) delete[] k;
  for (SeqAddrPow &a : sa) delete[] a.name;
  if (fcol) fclose(fcol);
}

// The address list from every "Supermotif" line, then the blocks (parsed once).
int OriskRun::readList(bool readBlocks) {
  FILE *f = fopen(motFname, "rb");
  if (!f) {
    printf("\n Can't open file with motifs %s", motFname);
    return kOriskNoMotifFile;
  }
  sa.resize(kMaxSeqAddr + 1);
  std::string line;
  while (readLine(f, line)) nMot += addSeqAddr(line.c_str(), nSeq, sa.data(), 1);
  if (readBlocks) {
    rewind(f);
    store.read(f);
  }
  fclose(f);
  printf("\n There are %d motifs in %d sequnces", nMot, nSeq);
  sa.resize(nSeq);
  hasMot.assign((size_t)nSeq * nSeq, 0);
  listIdx.resize(store.addr.size());
  for (size_t a = 0; a < store.addr.size(); a++)
    listIdx[a] = getSeqIdx(nSeq, sa.data(), store.addr[a].name.c_str(), store.addr[a].num);
  return kOriskDone;
}

// Pass 1: feature types and keywords of every list sequence, with their presence marks.
void OriskRun::pass1() {
  ftAll.assign(kMaxKeys, nullptr);
  ftSign = Marks(nSeq);
  numKwAll.assign(opt.numKW, 0);
  kwAll.assign(opt.numKW, std::vector<char *>(kMaxKeys, nullptr));
  kwSign.assign(opt.numKW, Marks(nSeq));
  infos.resize(nSeq);
  std::vector<int> row(kMaxKeys, 0);
  int beg[SeqInfo::kMaxRanges], end[SeqInfo::kMaxRanges];
  for (int i = 0; i < nSeq; i++) {
    std::unique_ptr<SeqInfo> info(new SeqInfo);
    if (!info->readSeq(sa[i].name, sa[i].num)) {
      printf("Can't read sequnce %s %d\n", sa[i].name, sa[i].num);
      continue;
    }
    const int len = info->getLen();
    for (int j = 0; j < info->getNum(); j++) {
      if (!info->isFT(j, "")) continue;
      const int n = info->getBegEndFT(j, beg, end);
      for (int r = 0; r < n; r++) {
        const int idx = addFT(numFtAll, ftAll.data(), (*info)[j],
                              clampInt32((long long)end[r] - beg[r] + 1));
        if (idx >= 0) ftSign.set(i, idx);
      }
    }
    for (int k : ftSign.keys(i)) ftAll[k]->plus(len);
    for (int t = 0; t < opt.numKW; t++) {
      int resNum = 0;
      char **list = getKWList(info.get(), meshUsed, resNum, kwTypes[t]);
      addKW(numKwAll[t], kwAll[t].data(), list, resNum, row.data());
      for (int k = 0; k < numKwAll[t] && k < kMaxKeys; k++) {
        if (row[k]) kwSign[t].set(i, k);
        row[k] = 0;
      }
      for (int k = 0; k < resNum; k++) delete[] list[k];
      delete[] list;
    }
    infos[i] = std::move(info);
  }
}

// Feature summary and presence tables, in a file created anew. 0, or 3 when it can't be made.
int OriskRun::writeTables() {
  FILE *f = fopen(fftFname, "wb");
  if (!f) {
    printf("\n Can't create file %s", fftFname);
    return kOriskNoStatFile;
  }
  fprintf(f, "\n\n\n Feature Table       Percent   Seq Lengths   Density");
  for (int k = 0; k < numFtAll; k++) ftAll[k]->printf(f, nSeq);
  fprintf(f, "\n\n%s", kRule);
  fprintf(f, "          ============================  %s  ==========================\n", "FT");
  fprintf(f, "%s\n", kRule);
  if (numFtAll <= 0) {
    noKeywords(f, "FT");
  } else {
    std::vector<char *> names(numFtAll);
    for (int k = 0; k < numFtAll; k++) names[k] = ftAll[k]->Name;
    markRows(f, nSeq, numFtAll, names.data(), ftSign);
  }
  for (int t = 0; t < opt.numKW; t++)
    prnKWtabelNew(f, kwTypes[t], nSeq, numKwAll[t], kwAll[t].data(), kwSign[t]);
  checkWrite(f, "statistics file");
  fclose(f);
  return kOriskDone;
}

void OriskRun::eliminate() {
  numFtAll = elimFT(numFtAll, ftAll, nSeq, ftSign);
  for (int t = 0; t < opt.numKW; t++)
    numKwAll[t] = elimKW(numKwAll[t], kwAll[t], nSeq, kwSign[t]);
  printf("\n There are %d feature tables to learn...", numFtAll);
}

// seq: the entry's list index, or -1.
void OriskRun::factsOf(SeqInfo &info, SeqFacts &f, int seq) {
  f.ok = true;
  f.hypo = isHypoth(&info, opt.numKW, kwTypes.data()) != 0;
  if (f.hypo) return;
  f.len = info.getLen();
  // Swiss-Prot feature lines match a name exactly, and pass 1 marked every name that has a
  // range: an unmarked type has no mark to find. Other layouts match by prefix: ask each.
  const bool marksKnown = seq >= 0 && info.getFormat() == kFormatSwiss;
  for (int k = 0; k < numFtAll; k++) {
    if (marksKnown && !ftSign.at(seq, k)) continue;
    int len = 0;
    int *m = info.getCharFT(ftAll[k]->Name, len);
    if (hasFT(m, len)) f.masks.emplace_back(k, std::vector<int>(m, m + len));
    delete[] m;
  }
  f.hasType.resize(opt.numKW);
  for (int t = 0; t < opt.numKW; t++) f.hasType[t] = info.hasKWtype(kwTypes[t]) != 0;
}

const SeqFacts &OriskRun::bankFacts(int addrId) {
  const int li = listIdx[addrId];
  if (li >= 0) return facts[li];
  std::unique_ptr<SeqFacts> &f = otherFacts[addrId];
  if (!f) {
    f.reset(new SeqFacts);
    SeqInfo info;
    if (info.readSeq(store.addr[addrId].name.c_str(), store.addr[addrId].num)) factsOf(info, *f, -1);
  }
  return *f;
}

void OriskRun::openColumnFile() {
  if (!opt.hasCol) return;
  const char *col = opt.writeCol.c_str();
  if (!strcmp(col, fftFname) || !strcmp(col, motFname)) {
    printf("\n The column file %s would overwrite the result or the motif file: not written", col);
    return;
  }
  fcol = fopen(col, "wb");
  if (!fcol) printf("\n Can't create column file %s", col);
}

// One supermotif of query i: feature counts per motif, keyword counts per supermotif.
void OriskRun::learnBlock(int i, const SeqFacts &q, const std::vector<std::vector<int>> &qFT,
                          size_t b, Supermotif &s) {
  const MotifStore::Block &blk = store.blocks[b];
  const SeqFacts &bank = bankFacts(blk.bAddr);
  if (!bank.ok || bank.hypo) return;
  const int bIdx = listIdx[blk.bAddr];
  const int bLen = bank.len;
  store.build(b, s);
  if (s.first->frame == '-') s.reverse(bLen);
  for (const auto &km : bank.masks) {
    const int k = km.first;
    const std::vector<int> &qm = qFT[k];
    for (Motif *m = s.first; m; m = m->next) {
      // Only the residue pairs inside both sequences count: the motif is cut to them first,
      // so a motif of absurd length read from a file costs nothing.
      const long long lo = std::max({0LL, -(long long)m->qBeg, -(long long)m->bBeg});
      const long long hi = std::min({(long long)m->len, (long long)q.len - m->qBeg,
                                     (long long)bLen - m->bBeg});
      if (hi <= lo) continue;
      histFT[k]->add(qm.data(), km.second.data(), (int)(m->qBeg + lo), (int)(m->bBeg + lo),
                     (int)(hi - lo), getParam(m, opt.paramType), bLen, q.len);
    }
  }
  if (bIdx < 0) return;
  hasMot[(size_t)i * nSeq + bIdx]++;
  const double power = getParam(&s, opt.paramType);
  for (int t = 0; t < opt.numKW; t++) {
    if (!bank.hasType[t] || numKwAll[t] <= 0) continue;
    if (fcol) {
      for (int j = 0; j < numKwAll[t]; j++) {
        const int qh = kwSign[t].at(i, j), bh = kwSign[t].at(bIdx, j);
        writeColLine(fcol, kwTypes[t], kwAll[t][j], i, qh, power, bh);
        histKW[t][j]->addKW(qh, bh, power);
      }
      continue;
    }
    // Only the keywords one of the two holds are counted here; the pairs where neither holds
    // a keyword are the rest of the blocks of the bin (finishKeywordCounts).
    const int bin = histKW[t][0]->getIdxPow(power);
    if (bin < 0 || bin >= (int)typeBlocks[t].size()) continue;
    typeBlocks[t][bin]++;
    const std::vector<int> &qm = marked[t][i], &bm = marked[t][bIdx];
    size_t a = 0, c = 0;
    while (a < qm.size() || c < bm.size()) {
      const int j = c == bm.size() || (a < qm.size() && qm[a] < bm[c]) ? qm[a] : bm[c];
      const bool qh = a < qm.size() && qm[a] == j, bh = c < bm.size() && bm[c] == j;
      a += qh;
      c += bh;
      HistXX &h = *histKW[t][j];
      (qh ? (bh ? h.qXbX : h.qXb_X) : h.q_XbX)[bin] += 1.0;
    }
  }
  if (fcol) checkWrite(fcol, "column file");
}

// Adds to each keyword's q_Xb_X the blocks of its type and bin where neither sequence held it.
void OriskRun::finishKeywordCounts() {
  for (int t = 0; t < opt.numKW; t++)
    for (int j = 0; j < numKwAll[t]; j++) {
      HistXX &h = *histKW[t][j];
      for (size_t bin = 0; bin < typeBlocks[t].size(); bin++)
        h.q_Xb_X[bin] += typeBlocks[t][bin] - h.qXbX[bin] - h.qXb_X[bin] - h.q_XbX[bin];
    }
}

// The learning pass: each list sequence as query over its supermotifs, in file order.
void OriskRun::learn() {
  std::vector<std::vector<size_t>> byQuery(nSeq);
  for (size_t b = 0; b < store.blocks.size(); b++) {
    const int qi = listIdx[store.blocks[b].qAddr];
    if (qi >= 0) byQuery[qi].push_back(b);
  }
  const size_t nBlocks = store.blocks.size();
  // Per type: the kept keywords each sequence holds, and the blocks counted per bin.
  marked.assign(opt.numKW, std::vector<std::vector<int>>(nSeq));
  typeBlocks.assign(opt.numKW, std::vector<double>());
  for (int t = 0; t < opt.numKW; t++) {
    if (numKwAll[t] > 0) typeBlocks[t].assign(std::max(histKW[t][0]->numPow, 0), 0.0);
    for (int i = 0; i < nSeq; i++) marked[t][i] = kwSign[t].keys(i);
  }
  std::vector<std::vector<int>> qFT(numFtAll);
  freqFT.assign(numFtAll, 0.0);
  lenAll = 0;
  Supermotif s;
  for (int i = 0; i < nSeq; i++) {
    const SeqFacts &q = facts[i];
    if (!q.ok || q.hypo) continue;
    for (int k = 0; k < numFtAll; k++) qFT[k].assign(q.len, 0);
    for (const auto &km : q.masks) {
      qFT[km.first] = km.second;
      for (int v : km.second) freqFT[km.first] += v != 0;
    }
    lenAll += q.len;
    // Progress every thousand blocks of the file, as the blocks are met.
    size_t next = 0;
    for (size_t b : byQuery[i]) {
      for (; next <= b; next += 1000) printf("\n seq %d mot %zu from %d", i, next, nMot);
      learnBlock(i, q, qFT, b, s);
    }
    for (; next < nBlocks; next += 1000) printf("\n seq %d mot %zu from %d", i, next, nMot);
  }
  // With the column file every keyword was counted one by one.
  if (!fcol) finishKeywordCounts();
}

// Every sequence paired with itself above the keyword grid, and every ordered pair of
// different sequences without a supermotif at minPowMot - 0.5. Each case of one keyword
// falls into one bin, so the pairs are counted per keyword with bit sets and added at once:
// integer counts add exactly, as adding 1.0 that many times would.
void OriskRun::addZerInf() {
  const size_t words = ((size_t)nSeq + 63) / 64;
  std::vector<uint64_t> noMot((size_t)nSeq * words, 0);
  std::vector<int> noMotCount(nSeq, 0);
  for (int s1 = 0; s1 < nSeq; s1++)
    for (int s2 = 0; s2 < nSeq; s2++)
      if (s1 != s2 && !hasMot[(size_t)s1 * nSeq + s2]) {
        noMot[(size_t)s1 * words + s2 / 64] |= uint64_t(1) << (s2 % 64);
        noMotCount[s1]++;
      }
  std::vector<uint64_t> has(words);
  for (int t = 0; t < opt.numKW; t++) {
    for (int j = 0; j < numKwAll[t]; j++) {
      HistXX &h = *histKW[t][j];
      std::fill(has.begin(), has.end(), 0);
      int nHas = 0;
      for (int s = 0; s < nSeq; s++)
        if (kwSign[t].at(s, j)) {
          has[s / 64] |= uint64_t(1) << (s % 64);
          nHas++;
        }
      const int top = h.getIdxPow(maxPowSup + 0.5);
      h.qXbX[top] += nHas;
      h.q_Xb_X[top] += nSeq - nHas;
      const int low = h.getIdxPow(minPowMot - 0.5);
      for (int s1 = 0; s1 < nSeq; s1++) {
        long long both = 0;
        for (size_t w = 0; w < words; w++)
          both += __builtin_popcountll(noMot[(size_t)s1 * words + w] & has[w]);
        const long long rest = noMotCount[s1] - both;
        if (kwSign[t].at(s1, j)) {
          h.qXbX[low] += both;
          h.qXb_X[low] += rest;
        } else {
          h.q_XbX[low] += both;
          h.q_Xb_X[low] += rest;
        }
      }
    }
  }
}

// The segmentation line and the statistics blocks, appended.
int OriskRun::writeBlocks() {
  FILE *f = fopen(fftFname, "ab");
  if (!f) {
    printf("\n Can't create file %s", fftFname);
    return kOriskNoStatFile;
  }
  if (opt.divSegm == 1)
    fprintf(f, "\n        Monotonous segment dividing %d\n", opt.numSegm);
  else
    fprintf(f, "\n        Increments equivalence dividing %d\n", opt.numSegm);
  auto segment = [&](HistXX &h, double freq) {
    if (opt.divSegm == 1)
      h.monot(opt.numSegm, freq);
    else
      h.incrEq(opt.numSegm, opt.minPart, freq);
  };
  const char *ftType = "FT";
  for (int k = 0; k < numFtAll; k++) {
    // No query left for the learning pass: no residue, frequency 0.
    const double freq = lenAll > 0 ? freqFT[k] / lenAll : 0.0;
    printf("\n%s  %5.3f", ftAll[k]->Name, freq);
    if (opt.fullPxx) histFT[k]->savePxx(f, ftType);
    segment(*histFT[k], freq);
    histFT[k]->save(f, ftType, opt.fullPxx ? 0 : 1, 0.0);
    checkWrite(f, "statistics file");
  }
  for (int t = 0; t < opt.numKW; t++) {
    for (int j = 0; j < numKwAll[t]; j++) {
      const double freq = kwSign[t].count(j) / (double)nSeq;
      printf("\n%s  %5.3f", kwAll[t][j], freq);
      if (opt.fullPxx) histKW[t][j]->savePxx(f, kwTypes[t]);
      segment(*histKW[t][j], freq);
      histKW[t][j]->save(f, kwTypes[t], 1, 0.0);
      checkWrite(f, "statistics file");
    }
  }
  checkWrite(f, "statistics file");
  if (fclose(f) != 0) checkWrite(nullptr, "statistics file");
  return kOriskDone;
}

int OriskRun::run(int argc, char **argv, int kind) {
  // A thesaurus that can't be read leaves an empty one: no keyword is replaced.
  if (opt.meshPath) {
    mesh.load(const_cast<char *>(opt.meshPath));
    meshUsed = &mesh;
  }
  if (kind == kRangeEstimate)
    makePow(argc, argv, minPowMot, maxPowMot, stepPowMot, minPowSup, maxPowSup, stepPowSup,
            opt.paramType, &store);
  // The estimation has already stored the blocks.
  int rc = readList(kind == kRangeGiven);
  if (rc != kOriskDone) return rc;
  pass1();
  rc = writeTables();
  if (rc != kOriskDone) return rc;
  eliminate();

  facts.resize(nSeq);
  for (int i = 0; i < nSeq; i++)
    if (infos[i]) factsOf(*infos[i], facts[i], i);
  infos.clear();
  otherFacts.resize(store.addr.size());

  histFT.resize(numFtAll);
  for (int k = 0; k < numFtAll; k++)
    histFT[k].reset(new HistXX(minPowMot, maxPowMot, stepPowMot, ftAll[k]->Name, opt.paramType));
  histKW.resize(opt.numKW);
  for (int t = 0; t < opt.numKW; t++)
    for (int j = 0; j < numKwAll[t]; j++)
      histKW[t].emplace_back(
          new HistXX(minPowSup, maxPowSup, stepPowSup, kwAll[t][j], opt.paramType));
  openColumnFile();
  learn();
  if (fcol) {
    checkWrite(fcol, "column file");
    fclose(fcol);
    fcol = nullptr;
  }
  if (opt.zerInfMot) addZerInf();
  return writeBlocks();
}

}  // namespace

int elimFT(int numFtAll, std::vector<ftInfo *> &ftAll, int nSeq, Marks &_sign) {
  std::vector<char> keep(numFtAll, 0);
  int out = 0;
  for (int k = 0; k < numFtAll; k++) {
    ftInfo *f = ftAll[k];
    int n = 0;
    for (int i = 0; i < nSeq; i++) n += _sign.at(i, k) != 0;
    if (n >= 2 && !ftIsBad(f->Name, (int)strlen(f->Name))) {
      keep[k] = 1;
      ftAll[k] = nullptr;
      ftAll[out++] = f;
    } else {
      delete f;
      ftAll[k] = nullptr;
    }
  }
  _sign.compact(keep);
  return out;
}

int elimKW(int numKwAll, std::vector<char *> &KwAll, int nSeq, Marks &_sign) {
  if (numKwAll <= 0) return 0;
  std::vector<char> keep(numKwAll, 0);
  int out = 0;
  for (int k = 0; k < numKwAll; k++) {
    char *kw = KwAll[k];
    int n = 0;
    for (int i = 0; i < nSeq; i++) n += _sign.at(i, k) != 0;
    KwAll[k] = nullptr;
    if (n >= 2) {
      keep[k] = 1;
      KwAll[out++] = kw;
    } else {
      delete[] kw;
    }
  }
  _sign.compact(keep);
  return out;
}

int run_orisk(int argc, char **argv) {
  if (argc <= 2) {
    printf("%s", kOriskUsageText);
    return kOriskUsage;
  }
  const int kind = powRangeKind(argc, argv);
  if (kind == kRangePartial) {
    printf("%s", kPowUsageText);
    return kOriskUsage;
  }
  const int resultAt = kind == kRangeGiven ? 5 : 2;
  const char *motFname = argv[1];
  const char *fftFname = argv[resultAt];
  // A result name in option form is a mistyped command line, not a file to create.
  if (fftFname[0] == '-') {
    printf("%s", kOriskUsageText);
    return kOriskUsage;
  }
  OriskOptions opt;
  getOptions(argc, argv, resultAt + 1, opt);
  OriskRun r(opt, motFname, fftFname);
  if (kind == kRangeGiven) {
    double mn, mx, st;
    if (readPowRange(argv, mn, mx, st)) {
      printf("%s", kPowUsageText);
      return kOriskUsage;
    }
    r.minPowMot = r.minPowSup = mn;
    r.maxPowMot = r.maxPowSup = mx;
    r.stepPowMot = r.stepPowSup = st;
  }
  return r.run(argc, argv, kind);
}

