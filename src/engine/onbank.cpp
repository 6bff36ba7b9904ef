#include "onbank.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "errormsg.h"
#include "params.h"
#include "seqbase.h"
#include "w_matrix.h"

namespace {

template <class T>
T *checkedArray(size_t n) {
  T *p = new (std::nothrow) T[n];
  if (!p) noRoom((long long)(n * sizeof(T)));
  return p;
}

inline int diagonal(const Motif &m) { return m.bBeg - m.qBeg; }

// b lies inside a on the query and their diagonals are at most 3 apart.
inline bool insideNear(const Motif &a, const Motif &b) {
  if (b.qBeg < a.qBeg) return false;
  if ((long long)b.qBeg + b.len > (long long)a.qBeg + a.len) return false;
  long long d = (long long)diagonal(a) - diagonal(b);
  return d >= -3 && d <= 3;
}

inline void copyMotif(Motif &to, const Motif &m) {
  to.update(m.qBeg, m.bBeg, m.len, m.sum, m.pow, m.frame);
}

// The piece of a over [s, s + n) with its sum from the running sums.
inline void emitPiece(int &to, const MotifWei &a, int s, int n, Motif *newMot) {
  int sum = a.wei[s + n] - a.wei[s];
  newMot[to++].update(a.qBeg + s, a.bBeg + s, n, sum, powerOf(sum, n), a.frame);
}

// Pro-rata sum of n letters of m; below 1 counts as 0.
inline int proRata(const Motif &m, int n) {
  if (m.len <= 0) return 0;
  int v = scaleToInt((long double)m.sum / m.len, n);
  return v < 1 ? 0 : v;
}

bool powerAbove(const Supermotif *a, const Supermotif *b) { return a->power > b->power; }

}  // namespace

// ---------------------------------------------------------------- splitting across frames

void split(int &to, MotifWei &mot1, MotifWei &mot2, Motif *newMot) {
  const int minEnd = 5;  // an end piece shorter than this stays with the middle
  int F = mot2.qBeg - mot1.qBeg;
  int E = (mot1.qBeg + mot1.len) - (mot2.qBeg + mot2.len);
  if (!mot1.wei) {  // no running sums to cut with: keep the motif whole
    copyMotif(newMot[to++], mot1);
    return;
  }
  if (F >= minEnd) {
    emitPiece(to, mot1, 0, F, newMot);
    if (E >= minEnd) {
      emitPiece(to, mot1, F, mot2.len, newMot);
      emitPiece(to, mot1, F + mot2.len, E, newMot);
    } else {
      emitPiece(to, mot1, F, mot2.len + E, newMot);
    }
  } else if (E < minEnd) {
    copyMotif(newMot[to++], mot1);
  } else {
    emitPiece(to, mot1, 0, F + mot2.len, newMot);
    emitPiece(to, mot1, F + mot2.len, E, newMot);
  }
}

void motSplit2(int &nMot, MotifWei *mot, Motif *&newMot, int each) {
  int to = 0;
  if (nMot > 0) {
    char f0 = mot[0].frame;
    bool plain = f0 == '+' || f0 == '-' || each != 0;
    for (int a = 0; a < nMot; a++) {
      MotifWei &A = mot[a];
      int found = -1;
      if (!plain) {
        for (int b = 0; b < nMot; b++) {
          if (mot[b].frame != A.frame && insideNear(A, mot[b])) {
            found = b;
            break;
          }
        }
      }
      if (found >= 0)
        split(to, A, mot[found], newMot);
      else
        copyMotif(newMot[to++], A);
    }
  }
  for (int i = 0; i < nMot; i++) {
    delete[] mot[i].wei;
    mot[i].wei = nullptr;
  }
  nMot = to;
}

int cmpMot(const void *a, const void *b) {
  const Motif &x = *static_cast<const Motif *>(a);
  const Motif &y = *static_cast<const Motif *>(b);
  long long dx = (long long)x.qBeg - x.bBeg, dy = (long long)y.qBeg - y.bBeg;
  if (dx != dy) return dx < dy ? -1 : 1;
  if (x.qBeg != y.qBeg) return x.qBeg < y.qBeg ? -1 : 1;
  if (x.len != y.len) return x.len < y.len ? -1 : 1;
  return 0;
}

int cmpPoi(const void *a, const void *b) {
  int x = *static_cast<const int *>(a), y = *static_cast<const int *>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int inside(const Motif &mot1, const Motif &mot2) { return insideNear(mot1, mot2) ? 1 : 0; }

Motif *motUpd(int &nMot, Motif *mot) {
  int n = nMot < 0 ? 0 : nMot;
  size_t room = std::max<size_t>(10000, (size_t)n * 2);
  Motif *out = checkedArray<Motif>(room);
  int cnt = 0;
  std::stable_sort(mot, mot + n, [](const Motif &x, const Motif &y) { return cmpMot(&x, &y) < 0; });
  std::vector<int> pos;
  int i = 0;
  while (i < n) {
    int k = i + 1;
    while (k < n && mot[k].qBeg - mot[k].bBeg == mot[i].qBeg - mot[i].bBeg) k++;
    if (k - i == 1) {
      copyMotif(out[cnt++], mot[i]);
      i = k;
      continue;
    }
    pos.clear();
    for (int m = i; m < k; m++) {
      pos.push_back(mot[m].qBeg);
      pos.push_back(mot[m].qBeg + mot[m].len);
    }
    std::sort(pos.begin(), pos.end());
    pos.erase(std::unique(pos.begin(), pos.end()), pos.end());
    for (size_t s = 0; s + 1 < pos.size(); s++) {
      int p = pos[s], len = pos[s + 1] - p;
      int best = -1, bestSum = 0;
      for (int m = i; m < k; m++) {
        if (mot[m].qBeg > p || mot[m].qBeg + mot[m].len <= p) continue;
        int ps = proRata(mot[m], len);
        if (best < 0 || ps > bestSum) {
          best = m;
          bestSum = ps;
        }
      }
      if (best < 0 || bestSum <= 0) continue;
      Motif *last = cnt > 0 ? &out[cnt - 1] : nullptr;
      if (last && last->frame == mot[best].frame && last->qBeg + last->len == p) {
        last->add(len, bestSum);
      } else {
        out[cnt++].update(p, p + diagonal(mot[best]), len, bestSum, powerOf(bestSum, len),
                          mot[best].frame);
      }
    }
    i = k;
  }
  delete[] mot;
  nMot = cnt;
  return out;
}

int motSplit(int &nMot, MotifWei *mot, Motif *&newMot) {
  const int step = 10000;
  int n = nMot < 0 ? 0 : nMot;
  std::vector<int> pos;
  pos.reserve((size_t)n * 2);
  for (int m = 0; m < n; m++) {
    pos.push_back(mot[m].qBeg);
    pos.push_back(mot[m].qBeg + mot[m].len);
  }
  std::sort(pos.begin(), pos.end());
  pos.erase(std::unique(pos.begin(), pos.end()), pos.end());
  int cnt = 0;
  size_t room = step;
  for (size_t s = 0; s + 1 < pos.size(); s++) {
    if (cnt == step) break;
    int p = pos[s], len = pos[s + 1] - p;
    int stretchStart = cnt;
    for (int m = 0; m < n; m++) {
      const MotifWei &M = mot[m];
      if (M.qBeg > p || M.qBeg + M.len <= p) continue;
      int off = p - M.qBeg;
      int sum = M.wei ? M.wei[off + len] - M.wei[off] : proRata(M, len);
      Motif piece(p, M.bBeg + off, len, sum, powerOf(sum, len), M.frame);
      bool seen = false;
      for (int e = stretchStart; e < cnt && !seen; e++) seen = newMot[e].equal(&piece) != 0;
      if (seen) continue;
      newMot[cnt++] = piece;
      if (cnt % step == 0 && (size_t)cnt == room) {
        Motif *bigger = checkedArray<Motif>(room + step);
        std::copy(newMot, newMot + cnt, bigger);
        delete[] newMot;
        newMot = bigger;
        room += step;
      }
    }
  }
  for (int m = 0; m < n; m++) {
    delete[] mot[m].wei;
    mot[m].wei = nullptr;
  }
  nMot = cnt;
  return cnt;
}

// ---------------------------------------------------------------- result list

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

// ---------------------------------------------------------------- frame loop

FrameLoopWork::FrameLoopWork() {
  mot = new (std::nothrow) MotifWei[kMotifRoom];
  if (!mot) noRoom((long long)kMotifRoom * (long long)sizeof(MotifWei));
  newMot = new (std::nothrow) Motif[kSplitRoom];
  if (!newMot) noRoom((long long)kSplitRoom * (long long)sizeof(Motif));
}

FrameLoopWork::~FrameLoopWork() {
  delete[] mot;
  delete[] newMot;
}

ClusterThresholds clusterThresholds(const SearchHomolParams &p) {
  ClusterThresholds th;
  th.lenThres = p.thLength;
  th.powThres = toPowerScale(p.thSubalignPower);
  th.gapPenal = scaleToInt(p.gapPenalty, 1000.0L);
  return th;
}

void QueryFrames::build(const SearchHomolParams &params, const BankSeq &cutQuery,
                        int baseMolType) {
  querMolType = getMolType(cutQuery.seq(), cutQuery.len());
  querIsTran = querMolType == 1 && (baseMolType == 0 || baseMolType == 2);
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
    gen_[i] = new (std::nothrow)
        Division_generator(groups, &frame_[i], params.winWidth, params.coiNum, params.partSize,
                           params.useLookingTable, params.thLength, 0);
    if (!gen_[i]) noRoom((long long)sizeof(Division_generator));
  }
  makeEngines(params, engine);
}

void QueryFrames::makeEngines(const SearchHomolParams &params, SearchHomol **out) const {
  for (int i = 0; i < numQFrame; i++) {
    SearchHomol *e = new (std::nothrow) SearchHomol(params);
    if (!e) noRoom((long long)sizeof(SearchHomol));
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

void writeProgress(const char *bankPath, int nBank) {
  FILE *f = fopen("ctr", nBank == 0 ? "wb" : "ab");
  if (!f) return;
  fprintf(f, " \n Bank %s  ", bankPath);
  checkWrite(f, "the progress file ctr");
  fclose(f);
}

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

}  // namespace

int cutQuery(SearchHomolParams &searchParams, const WorkSeq &_query, WorkSeq &cut) {
  const int from = (searchParams.From > 1 ? searchParams.From : 1) - 1;
  if (cut.cut(_query, from, searchParams.To)) return -1;
  searchParams.correctParam(cut);
  searchParams.requireColors();
  return from;
}

int searchOnBank(SearchHomolParams &searchParams, char **base_list, const WorkSeq &_query,
                 std::vector<Supermotif *> &result, int select) {
  result.clear();
  WorkSeq cut;
  const int from = cutQuery(searchParams, _query, cut);
  if (from < 0) return 0;
  QueryFrames qf;
  qf.build(searchParams, cut, searchParams.baseMolType);
  const ClusterThresholds th = clusterThresholds(searchParams);
  // Motif query positions carry the offset of the cut.
  const int seqLen = cut.len() + from;

  FrameLoopWork work;
  ListSink sink(result, searchParams.maxSuper);
  WorkSeq bankSeq;
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
    if (qf.querMolType == 0 && bankMol == 1) searchParams.requireCode();
    sink.bankPath = path;
    int handle = 0;
    for (int nSeq = 0; base.next(bankSeq, name, handle); nSeq++) {
      sink.nSeq = nSeq;
      compareBankSeq(qf.engine, qf.numQFrame, qf.querMolType, qf.querIsTran, bankSeq, bankMol, th,
                     select, seqLen, work, sink);
    }
  }
  return (int)result.size();
}
