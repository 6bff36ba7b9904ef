// The bank-search driver: the query side, the frame loop of one bank sequence, the walk over
// the banks and the search in the calling thread.
#include "onbank.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "errormsg.h"
#include "seqbase.h"
#include "w_matrix.h"

// ---------------------------------------------------------------- query side

namespace {

// The query's letters From..To into cut; the offset of the cut, -1 when it is empty.
int cutOf(const SearchHomolParams &params, const WorkSeq &query, WorkSeq &cut) {
  const int from = (params.From > 1 ? params.From : 1) - 1;
  return cut.cut(query, from, params.To) ? -1 : from;
}

}  // namespace

bool needsCode(int querMolType, int baseMolType) {
  return baseMolType == 2 || querMolType != baseMolType;
}

bool queriesNeedCode(const SearchHomolParams &params, const char *queryPath, int baseMolType) {
  SeqBase queries(queryPath);
  WorkSeq query, cut;
  char name[1024];
  int handle = 0, r;
  while ((r = queries.next(query, name, handle)) != kBankEnd)
    if (r == kEntryRead && cutOf(params, query, cut) >= 0 && cut.len() > 2 &&
        needsCode(getMolType(cut.seq(), cut.len()), baseMolType))
      return true;
  return false;
}

int cutQuery(SearchHomolParams &searchParams, const WorkSeq &_query, WorkSeq &cut, int *tail) {
  const int from = cutOf(searchParams, _query, cut);
  if (from < 0) return -1;
  if (tail) *tail = std::max(_query.len() - from - cut.len(), 0);
  searchParams.correctParam(cut);
  searchParams.requireColors();
  return from;
}

ClusterThresholds clusterThresholds(const SearchHomolParams &p) {
  ClusterThresholds th;
  th.lenThres = p.thLength;
  th.powThres = toPowerScale(p.thSubalignPower);
  th.gapPenal = scaleToInt(p.gapPenalty, 1000.0L);
  return th;
}

void QueryFrames::build(const SearchHomolParams &params, const BankSeq &cutQuery,
                        int baseMolType, int tail) {
  tail_ = tail;
  querMolType = getMolType(cutQuery.seq(), cutQuery.len());
  querIsTran = querMolType == 1 && needsCode(querMolType, baseMolType);
  ag_ = params.ag;
  dnaAg_.makeDNA();
  int n = 0;
  if (querIsTran) {
    params.requireCode();
    Translation_code tc = params.code;
    tc.update(1, 0, params.reverse);
    while (n < 6 && tc.translate(frame_[n], cutQuery)) n++;
  }
  frame_[n] = cutQuery;
  n++;
  numQFrame = n;
  for (int i = 0; i < n; i++) {
    const AA_groups *groups = (querIsTran && i == n - 1) ? &dnaAg_ : &ag_;
    gen_[i] = allocObject<Division_generator>(groups, &frame_[i], params.winWidth, params.coiNum,
                                              params.partSize, params.useLookingTable,
                                              params.thLength, 0);
  }
  makeEngines(params, engine);
}

void QueryFrames::makeEngines(const SearchHomolParams &params, SearchHomol **out) const {
  for (int i = 0; i < numQFrame; i++) {
    SearchHomol *e = allocObject<SearchHomol>(params);
    e->cutTail = tail_;
    if (querIsTran && i == numQFrame - 1) {
      // The nucleic frame of a translated query is compared with nucleic banks only.
      if (Weight_matrix *w = dynamic_cast<Weight_matrix *>(e->wm)) w->makeDiag();
      e->ag.makeDNA();
    }
    e->makeDivision(*gen_[i]);
    e->makeFreq();
    e->normMatr();
    out[i] = e;
  }
}

QueryFrames::~QueryFrames() {
  for (int i = 0; i < 7; i++) {
    delete engine[i];
    engine[i] = nullptr;
  }
  for (int i = 0; i < 7; i++) delete gen_[i];
}

// ---------------------------------------------------------------- frame loop

FrameLoopWork::FrameLoopWork() {
  mot = allocArray<MotifWei>(kMotifRoom);
  newMot = allocArray<Motif>(kSplitRoom);
}

FrameLoopWork::~FrameLoopWork() {
  delete[] mot;
  delete[] newMot;
}

void compareBankSeq(SearchHomol *const *engine, int numQFrame, int querMolType, int querIsTran,
                    const BankSeq &bankSeq, int bankMolType, const ClusterThresholds &th,
                    int select, int seqLen, FrameLoopWork &work, SuperSink &sink) {
  if (numQFrame <= 0) return;
  // The bank frame iterator is the first engine's code. A protein bank gets one frame, the
  // sequence as it is, also against a translated query.
  Translation_code &it = engine[0]->code;
  if (querMolType == 0 || bankMolType == 1)
    it.update(querMolType, bankMolType, engine[0]->reverse);
  else
    it.update(0, 0, engine[0]->reverse);

  int first = 0, num = numQFrame;
  if (querIsTran) {
    if (bankMolType == 0)
      num = numQFrame - 1;
    else
      first = numQFrame - 1;
  }
  const int each = engine[0]->eachFrame;

  int nMot = 0;
  while (it.translate(work.bankFrame, bankSeq)) {
    for (int i = first; i < num; i++) {
      SearchHomol *e = engine[i];
      char qf = e->query->frame;
      char f = qf != '+' ? qf : work.bankFrame.frame;
      // Only a pooled translated comparison can split motifs with their running sums.
      e->fillWei = each == 0 && f != '+' && f != '-';
      nMot += e->compTwoSeq(work.bankFrame, work.mot + nMot, kMotifRoom - nMot);
      if (each == 0 && !(lastFrame(i, num, it.frameList) && it.lastFrame())) continue;
      int numSuper = 0;
      Supermotif **super = nullptr;
      if (nMot > 0) {
        motSplit2(nMot, work.mot, work.newMot, each);
        numSuper = Find_clusters(nMot, work.newMot, super, th.lenThres, th.powThres, th.gapPenal);
        if (select) SelectSuper(numSuper, super, seqLen, work.charFun);
      }
      sink.take(numSuper, super);
      nMot = 0;
    }
  }
  for (int i = 0; i < nMot; i++) {  // a pool left unclustered (not reached with valid frames)
    delete[] work.mot[i].wei;
    work.mot[i].wei = nullptr;
  }
}

// ---------------------------------------------------------------- bank walk

void writeProgress(const char *bankPath, int nBank) {
  FILE *f = fopen(kProgressFile, nBank == 0 ? "wb" : "ab");
  if (!f) return;
  fprintf(f, " \n Bank %s  ", bankPath);
  checkWrite(f, "the progress file ctr");
  fclose(f);
}

void walkBanks(char **base_list, int querMolType, const SearchHomolParams &params,
               BankSeqHandler &handler) {
  char name[1024];
  for (int nBank = 0; base_list && base_list[nBank]; nBank++) {
    const char *path = base_list[nBank];
    writeProgress(path, nBank);
    SeqBase base(path);
    if (!base.valid()) {
      printf("\n Base %s invalid", path);
      continue;
    }
    const int bankMol = base.getMolType();
    if (querMolType == 0 && needsCode(querMolType, bankMol)) params.requireCode();
    int handle = 0;
    for (int nSeq = 0;; nSeq++) {
      WorkSeq &seq = handler.place();
      int r;
      // An entry without residues is passed over, its number counted: the numbers of the
      // entries after it still match the bank's index.
      while ((r = base.next(seq, name, handle)) == kEntryEmpty) nSeq++;
      if (r == kBankEnd) {
        handler.unused();
        break;
      }
      handler.handle(path, bankMol, nSeq);
    }
  }
}

// ---------------------------------------------------------------- one thread

namespace {

// Merges each clustering into the query's result list.
class ListSink : public SuperSink {
 public:
  std::vector<Supermotif *> &result;
  int numMax;
  const char *bankPath = nullptr;
  int nSeq = 0;
  ListSink(std::vector<Supermotif *> &r, int m) : result(r), numMax(m) {}
  void take(int numSuper, Supermotif **super) override {
    if (super) addSuper(result, numSuper, super, numMax, bankPath, nSeq);
    delete[] super;
  }
};

// Runs the frame loop on each bank sequence as it is read.
class CompareEach : public BankSeqHandler {
 public:
  CompareEach(const QueryFrames &qf, const ClusterThresholds &th, int select, int seqLen,
              ListSink &sink)
      : qf_(qf), th_(th), select_(select), seqLen_(seqLen), sink_(sink) {}
  WorkSeq &place() override { return seq_; }
  void handle(const char *bankPath, int bankMolType, int nSeq) override {
    sink_.bankPath = bankPath;
    sink_.nSeq = nSeq;
    compareBankSeq(qf_.engine, qf_.numQFrame, qf_.querMolType, qf_.querIsTran, seq_,
                   bankMolType, th_, select_, seqLen_, work_, sink_);
  }

 private:
  const QueryFrames &qf_;
  const ClusterThresholds &th_;
  const int select_, seqLen_;
  ListSink &sink_;
  WorkSeq seq_;
  FrameLoopWork work_;
};

}  // namespace

int searchOnBank(SearchHomolParams &searchParams, char **base_list, const WorkSeq &_query,
                 std::vector<Supermotif *> &result, int select) {
  result.clear();
  if (select < 0) select = searchParams.selectSup;
  WorkSeq cut;
  int tail = 0;
  const int from = cutQuery(searchParams, _query, cut, &tail);
  if (from < 0) return 0;
  QueryFrames qf;
  qf.build(searchParams, cut, searchParams.baseMolType, tail);
  const ClusterThresholds th = clusterThresholds(searchParams);
  // Motif query positions name letters of the whole query (residues of its frames for a
  // translated one): its length bounds them all.
  const int seqLen = cut.len() + from + tail;

  ListSink sink(result, searchParams.maxSuper);
  CompareEach each(qf, th, select, seqLen, sink);
  walkBanks(base_list, qf.querMolType, searchParams, each);
  return (int)result.size();
}
