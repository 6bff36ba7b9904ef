// The orisk program: the inputs (thesaurus, motif file, address list), pass 1 over the list's
// headers, the tables, the learning pass over the supermotifs and the statistics blocks.
// Every input is read before the outputs are judged, and they are written whole at the end.
// Sections, in order:
//   1. the learning run (OriskRun): inputs, pass 1, outputs, tables, learning pass, blocks
//   2. the command line (run_orisk)
#include "orisk.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "bank_file.h"
#include "errormsg.h"
#include "feat_tab.h"
#include "hist_xx.h"
#include "inv_sqrt.h"
#include "mesh.h"
#include "motif.h"
#include "params.h"
#include "seq_adr.h"
#include "seqbase.h"
#include "seqinfo.h"
#include "whole_output.h"

// ---- 1. the learning run ----

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
  // Reads the thesaurus of -M, when given; run refuses one that can't be read.
  void loadMesh();
  // The run once the command line is judged (kind: kRangeGiven or kRangeEstimate). One of
  // OriskCode; exits as run_orisk says.
  int run(int kind);

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
  bool meshFailed = false;
  EntryLog log;  // every entry the run reads

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
  WholeOutput out;  // the statistics and column files, replaced whole at the end
  FILE *fsta = nullptr, *fcol = nullptr;

  int readInputs(int kind);
  int checkOutputs() const;
  bool readEntry(const char *bank, int num, SeqInfo &info);
  void pass1();
  int openOutputs();
  void writeTables();
  void eliminate();
  void factsOf(SeqInfo &info, SeqFacts &f, int seq);
  const SeqFacts &bankFacts(int addrId);
  void learn();
  void learnBlock(int i, const SeqFacts &q, const std::vector<std::vector<int>> &qFT, size_t b,
                  Supermotif &s);
  void finishKeywordCounts();
  void writeBlocks();
};

OriskRun::~OriskRun() {
  for (ftInfo *f : ftAll) delete f;
  for (std::vector<char *> &v : kwAll)
    for (char *k : v) delete[] k;
  for (SeqAddrPow &a : sa) delete[] a.name;
}

// The inputs other than the bank entries: the thesaurus, then the motif file, opened once
// for its address list (every "Supermotif" line), its blocks and, when the range is not
// given, the grids estimated from them. 0, or the code after its message.
int OriskRun::readInputs(int kind) {
  if (meshFailed) {
    printf("\n Can't read thesaurus %s", opt.meshPath);
    return kOriskNoThesaurus;
  }
  FILE *f = openInput(motFname);
  if (!f) {
    if (kind == kRangeEstimate)
      fatalExit(kOriskNoPowFile, "\n Can't open motifs file %s.", motFname);
    printf("\n Can't open file with motifs %s", motFname);
    return kOriskNoMotifFile;
  }
  sa.resize(kMaxSeqAddr + 1);
  std::string line;
  while (readLine(f, line)) nMot += addSeqAddr(line.c_str(), nSeq, sa.data(), 1);
  rewind(f);
  store.read(f);
  // Only a file that holds a block can be cut short; one without is told below.
  const bool whole = store.blocks.empty() || motifFileWhole(f, motFname);
  fclose(f);
  sa.resize(nSeq);
  // A report, a statistics file or an empty file names no supermotif: nothing can be learned
  // from it, and the result name may well be the motif file the user meant.
  if (store.blocks.empty()) {
    printf("\n Can't read any motif from file %s", motFname);
    return kOriskNoSupermotif;
  }
  if (!whole) return kOriskNoSupermotif;
  if (kind == kRangeEstimate)
    estimatePow(store, opt.paramType, minPowMot, maxPowMot, stepPowMot, minPowSup, maxPowSup,
                stepPowSup);
  printf("\n There are %d motifs in %d sequnces", nMot, nSeq);
  hasMot.assign((size_t)nSeq * nSeq, 0);
  listIdx.resize(store.addr.size());
  for (size_t a = 0; a < store.addr.size(); a++)
    listIdx[a] = getSeqIdx(nSeq, sa.data(), store.addr[a].name.c_str(), store.addr[a].num);
  return kOriskDone;
}

// Neither the statistics file nor the column file is made over a file the run reads (the
// motif file, the thesaurus, every bank the motif file names), nor the one over the other.
int OriskRun::checkOutputs() const {
  const char *col = opt.hasCol ? opt.writeCol.c_str() : nullptr;
  std::set<std::string> banks;
  for (const MotifStore::Addr &a : store.addr) banks.insert(a.name);
  for (const SeqAddrPow &a : sa)
    if (a.name) banks.insert(a.name);
  std::vector<std::string> files;
  for (const std::string &b : banks) files.push_back(indexPath(b.c_str()));
  std::vector<const char *> inputs = {motFname, opt.meshPath};
  for (const std::string &b : banks) inputs.push_back(b.c_str());
  for (const std::string &idx : files) inputs.push_back(idx.c_str());
  for (const char *in : inputs)
    if (wouldOverwrite("Result", fftFname, in) || wouldOverwrite("Column", col, in))
      return kOriskNoStatFile;
  return wouldOverwrite("Column", col, fftFname) ? kOriskNoStatFile : kOriskDone;
}

// The header of a bank entry by its address: every entry the run reads comes through here.
bool OriskRun::readEntry(const char *bank, int num, SeqInfo &info) {
  return info.readSeq(bank, num, &log) != 0;
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
    const int told = log.told();
    if (!readEntry(sa[i].name, sa[i].num, *info)) {
      if (log.told() != told) putchar('\n');  // the log's message ends no line
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

// The statistics file, then the column file of -C: both are judged before either is begun,
// so one that can't be made leaves both as they were. 0, or 3 after the message.
int OriskRun::openOutputs() {
  const char *col = opt.hasCol ? opt.writeCol.c_str() : nullptr;
  const char *bad = outputRefusal(fftFname) ? fftFname : col && outputRefusal(col) ? col : nullptr;
  if (!bad && !(fsta = out.open("statistics file", fftFname))) bad = fftFname;
  if (!bad && col && !(fcol = out.open("column file", col))) bad = col;
  if (!bad) return kOriskDone;
  printf(bad == fftFname ? "\n Can't create file %s" : "\n Can't create column file %s", bad);
  return kOriskNoStatFile;
}

// Feature summary and presence tables.
void OriskRun::writeTables() {
  FILE *f = fsta;
  fprintf(f, "\n\n\n Feature Table       Percent   Seq Lengths   Density");
  for (int k = 0; k < numFtAll; k++) ftAll[k]->printf(f, nSeq);
  prnFTtabel(f, nSeq, numFtAll, ftAll.data(), ftSign);
  for (int t = 0; t < opt.numKW; t++)
    prnKWtabelNew(f, kwTypes[t], nSeq, numKwAll[t], kwAll[t].data(), kwSign[t]);
  checkWrite(f, "statistics file");
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
    if (readEntry(store.addr[addrId].name.c_str(), store.addr[addrId].num, info))
      factsOf(info, *f, -1);
  }
  return *f;
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
  if (!s.first) return;  // the reader keeps no block without a motif; a guard all the same
  // On the complementary strand the chain is mirrored, then residue qBeg+i is still paired
  // with bBeg+i (not with its true partner bBeg+len-1-i), as vantel pairs them: the learned
  // statistics and the predictions rely on the same pairing.
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

// The segmentation line and the statistics blocks, after the tables.
void OriskRun::writeBlocks() {
  FILE *f = fsta;
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
}

void OriskRun::loadMesh() {
  if (!opt.meshPath) return;
  meshUsed = &mesh;
  meshFailed = mesh.load(opt.meshPath) != 0;
}

int OriskRun::run(int kind) {
  int rc = readInputs(kind);
  if (rc == kOriskDone) rc = checkOutputs();
  if (rc != kOriskDone) return rc;
  pass1();
  // Nothing can be learned, and an empty statistics file would pass for a learned one: no
  // entry could be read, or a single one (a query whose bank has no index, say).
  const int readable = log.asked() - log.unreadable();
  if (log.unreadable() > 0 && readable < 2) {
    if (readable == 0)
      printf("\n Can't read any of the %d entries named in %s: nothing to learn", log.asked(),
             motFname);
    else
      printf("\n Can read only one of the %d entries named in %s: nothing to learn",
             log.asked(), motFname);
    return kOriskNoEntry;
  }
  // The outputs, once every input is read.
  rc = openOutputs();
  if (rc != kOriskDone) return rc;
  writeTables();
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
  learn();
  if (opt.zerInfMot)
    addZerInf(opt.numKW, nSeq, numKwAll, kwSign, histKW, hasMot, maxPowSup, minPowMot);
  writeBlocks();
  out.commit();
  log.printEnd();
  return kOriskDone;
}

}  // namespace

// ---- 2. the command line ----

int run_orisk(int argc, char **argv) {
  if (argc <= 2) {
    printf("%s", kOriskUsageText);
    return kOriskUsage;
  }
  const int kind = powRangeKind(argc, argv);
  // The result name follows the numbers of the range; after a partial range, the first word
  // that is not a number stands there.
  int resultAt = kind == kRangeGiven ? 5 : 2;
  if (kind == kRangePartial)
    while (resultAt < 5 && resultAt < argc && isPowNumber(argv[resultAt])) resultAt++;
  const char *motFname = argv[1];
  const char *fftFname = resultAt < argc ? argv[resultAt] : "";
  // A result name in option form is a mistyped command line, not a file to create.
  if (kind != kRangePartial && fftFname[0] == '-') {
    printf("%s", kOriskUsageText);
    return kOriskUsage;
  }
  OriskOptions opt;
  getOptions(argc, argv, resultAt + 1, opt);
  OriskRun r(opt, motFname, fftFname);
  // The thesaurus is read before the range is judged, so its message comes first; a usage
  // error still wins over a thesaurus that can't be read.
  r.loadMesh();
  if (kind == kRangePartial) {
    printf("%s", kPowUsageText);
    return kOriskUsage;
  }
  // A word left over between the result name and the options would otherwise pass unseen.
  if (const int w = strayWord(argc, argv, resultAt)) {
    printf("\n Word %s is neither an option nor a number of the power range\n%s", argv[w],
           kPowUsageText);
    return kOriskUsage;
  }
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
  return r.run(kind);
}
