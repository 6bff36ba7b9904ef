#include "seahom.h"

#include <algorithm>
#include <climits>
#include <new>

#include "alibase.h"
#include "errormsg.h"
#include "seqbase.h"
#include "w_matrix.h"

SearchHomol::SearchHomol() : SearchHomolParams() {}

SearchHomol::SearchHomol(const SearchHomolParams &params) : SearchHomolParams(params) {}

SearchHomol::~SearchHomol() {
  delete[] queryFreq;
  delete division;
  // wm and matrName belong to the parameter part and go with it.
}

void SearchHomol::ensureWeight(int n) {
  if (n < 1) n = 1;
  if ((size_t)n > weight_.size()) weight_.resize((size_t)n);
}

void SearchHomol::makeDivision(const Division_generator &gen) {
  Looking_tables = &gen;
  query = gen.query;
  queMolType = query ? getMolType(query->seq(), query->len()) : 0;
  delete division;
  division = new (std::nothrow) Seq_division(gen);
  if (!division) noRoom((long long)sizeof(Seq_division));
  queryRow_.clear();  // another query: its letters are coded again on the next comparison
  // A part is partSize + thLength letters, or up to 2 x partSize - 1 for the last one.
  ensureWeight(gen.longestPart());
}

double *SearchHomol::makeFreq() {
  delete[] queryFreq;
  queryFreq = wm->makeFreq(query->len(), query->seq());
  return queryFreq;
}

void SearchHomol::normMatr() {
  int mol = getMolType(query->seq(), query->len());
  wm->normalize(mol ? nu_frequences : aa_frequences, queryFreq);
}

void SearchHomol::recastMatr(const BankSeq *bank) {
  double *f = wm->makeFreq(bank->len(), bank->seq());
  wm->recast(queryFreq, f);
  delete[] f;
}

void SearchHomol::scoreProfile(int ishCurr, int ishBank, int n, int *weight) const {
  const uint16_t *q = queryRow_.data() + ishCurr;
  const unsigned char *b = bankIdx_.data() + ishBank;
  const int *sc = &score_[0][0];
  for (int k = 0; k < n; k++) weight[k] = sc[q[k] + b[k]];
}

void SearchHomol::prepareScores(const BankSeq &bank, int homFac) {
  const Weight_matrix *fast = static_cast<const Weight_matrix *>(wm);
  const int ql = query->len(), bl = bank.len() > 0 ? bank.len() : 0;
  if ((int)queryRow_.size() != ql) {
    queryRow_.resize((size_t)ql);
    for (int k = 0; k < ql; k++) queryRow_[(size_t)k] = (uint16_t)(fast->ord(query->seq()[k]) * 22);
  }
  bankIdx_.resize((size_t)bl);
  for (int k = 0; k < bl; k++) bankIdx_[(size_t)k] = fast->ord(bank.seq()[k]);
  long long top = 0;
  for (int i = 0; i < 22; i++)
    for (int j = 0; j < 22; j++) {
      const long long v = (long long)fast->elem[i][j] - homFac;
      score_[i][j] = clampInt32(v);
      top = std::max(top, v < 0 ? -v : v);
    }
  maxScore_ = (int)std::min<long long>(top, INT32_MAX);
}

void SearchHomol::segments(int ishCurr, int ishBank, int n, const BankSeq &bank, int homFac,
                           int &count, bool screened) {
  ensureWeight(n);
  scoreProfile(ishCurr, ishBank, n, weight_.data());
  const int P = toPowerScale(thPower);
  int numHelix = DotHelix(dh_, weight_.data(), n, thLength, P, accurateDotHelix, screened);
  addMotifs(count, motifs_, numHelix, dh_.found.data(), ishCurr, ishBank, bank, homFac,
            weight_.data());
}

int SearchHomol::compTwoSeq(const BankSeq &bank, MotifWei *motifs, int room) {
  int cap = room < kMaxMotifs ? room : kMaxMotifs;
  if (cap <= 0 || !division) return 0;
  motCap_ = cap;
  division->init(bank);
  const int P = toPowerScale(thPower);
  // The only matrix kind: its scores are read from indices (any other goes through getWeight).
  const Weight_matrix *fast = dynamic_cast<const Weight_matrix *>(wm);
  bool recast = false;
  int homFac = 0;
  int count = 0;
  int ishCurr = 0, ishBank = 0, n = 0;
  if (fast) {
    // A part's diagonals are screened kLanes at a time; the survivors are cut in their order.
    // Taking all of a part's shifts at once changes nothing: the division is restarted per
    // bank sequence and the screen only skips diagonals DotHelix finds empty.
    motifs_ = motifs;
    filter_.prepare(thLength, P);
    constexpr int W = HelixFilter::kLanes;
    while (count < cap && division->nextPart(coincRatio, maxShifts)) {
      batch_.clear();
      while (division->nextShift(ishCurr, ishBank, n)) batch_.push_back({ishCurr, ishBank, n});
      if (batch_.empty()) continue;
      if (!recast) {  // a bank sequence without any shift leaves the matrix unused
        recastMatr(&bank);
        homFac = wm->rescale(minHomolRatio);
        prepareScores(bank, homFac);
        recast = true;
      }
      for (size_t at = 0; at < batch_.size() && count < cap; at += W) {
        const int lanes = (int)std::min<size_t>(W, batch_.size() - at);
        int len[W], rows = 0;
        for (int l = 0; l < W; l++) {
          len[l] = l < lanes ? batch_[at + (size_t)l].len : 0;
          rows = std::max(rows, len[l]);
        }
        unsigned rejected = 0;
        bool screened = false;
        if (lanes > 1 && rows <= HelixFilter::kBatchRows) {
          lanes_.resize((size_t)rows * W);
          int *out = lanes_.data();
          for (int l = 0; l < W; l++) {
            int i = 0;
            if (l < lanes) {
              const Diagonal &d = batch_[at + (size_t)l];
              const uint16_t *q = queryRow_.data() + d.cur;
              const unsigned char *b = bankIdx_.data() + d.bank;
              const int *sc = &score_[0][0];
              for (; i < d.len; i++) out[(size_t)i * W + l] = sc[q[i] + b[i]];
            }
            for (; i < rows; i++) out[(size_t)i * W + l] = HelixFilter::kPad;
          }
          // A lane the screen lets through is rarely proved empty by the whole-profile
          // filter of DotHelix: that one is skipped.
          rejected = filter_.rejectsBatch(out, len, rows, maxScore_, screened);
        }
        for (int l = 0; l < lanes && count < cap; l++) {
          if (rejected >> l & 1u) continue;
          const Diagonal &d = batch_[at + (size_t)l];
          segments(d.cur, d.bank, d.len, bank, homFac, count, screened);
        }
      }
    }
    return count;
  }
  // Past the cap every further segment would be dropped, so the walk stops there.
  while (count < cap && division->nextPart(coincRatio, maxShifts)) {
    while (count < cap && division->nextShift(ishCurr, shCurr_, ishBank, shBank_)) {
      if (!recast) {  // a bank sequence without any shift leaves the matrix unused
        recastMatr(&bank);
        homFac = wm->rescale(minHomolRatio);
        recast = true;
      }
      n = shCurr_.len();
      ensureWeight(n);
      wm->getWeight(shCurr_, shBank_, weight_.data(), homFac, ishCurr);
      int numHelix = DotHelix(dh_, weight_.data(), n, thLength, P, accurateDotHelix);
      addMotifs(count, motifs, numHelix, dh_.found.data(), ishCurr, ishBank, bank, homFac,
                weight_.data());
    }
  }
  return count;
}

void SearchHomol::fillRecord(int &numMot, MotifWei *motifs, Homology_info &h, int shiftCur,
                             int shiftBank, char frame, int homFac, const int *weight,
                             double mult, double add) {
  const int from = (From > 1 ? From : 1) - 1;
  MotifWei &r = motifs[numMot];
  r.qBeg = shiftCur + h.left + from;
  r.bBeg = shiftBank + h.left;
  r.len = h.length;
  r.sum = h.sum;
  r.pow = h.power;
  r.frame = frame;
  delete[] r.wei;
  r.wei = nullptr;
  if (fillWei) {
    int n = h.length < 0 ? 0 : h.length;
    r.wei = new (std::nothrow) int[(size_t)n + 1];
    if (!r.wei) noRoom(((long long)n + 1) * (long long)sizeof(int));
    r.wei[0] = 0;
    for (int k = 1; k <= n; k++) {
      // wei[k-1] + mult x (add + weight + homFac), extended, truncated at every step.
      long double t = (long double)add + weight[h.left + k - 1];
      t = t + homFac;
      t = (long double)mult * t;
      t = (long double)r.wei[k - 1] + t;
      r.wei[k] = scaleToInt(t, 1.0L);
    }
  }
  numMot++;
}

void SearchHomol::addMotifs(int &numMot, MotifWei *motifs, int numHomol, Homology_info *helix,
                            int shiftCur, int shiftBank, const BankSeq &bank, int homFac,
                            int *weight) {
  double mult = 1.0, add = 0.0;
  const long double threshold = (long double)thPower * 1000 * 4096;
  const char frame = query->frame != '+' ? query->frame : bank.frame;
  for (int i = 0; i < numHomol; i++) {
    if (numMot >= motCap_) return;
    Homology_info &h = helix[i];
    h.sum = clampInt32((long long)h.sum + (long long)homFac * h.length);
    h.power = powerOf(h.sum, h.length);
    if (helixFreqRecalc) {
      int at = shiftCur + h.left;
      int s = wm->recalcSum(h.length, query->seq() + at, bank.seq() + shiftBank + h.left, h.sum,
                            at, mult, add);
      int p = powerOf(s, h.length);
      if ((long double)p < threshold) continue;
      h.sum = s;
      h.power = p;
    }
    fillRecord(numMot, motifs, h, shiftCur, shiftBank, frame, homFac, weight, mult, add);
  }
}

void SearchHomol::addMotifs(int &numMot, MotifWei *motifs, int numHomol, Homology_info *helix,
                            int shiftCur, int shiftBank, int homFac, int *weight) {
  for (int i = 0; i < numHomol; i++) {
    if (numMot >= motCap_) return;
    Homology_info &h = helix[i];
    h.sum = clampInt32((long long)h.sum + (long long)homFac * h.length);
    h.power = powerOf(h.sum, h.length);
    fillRecord(numMot, motifs, h, shiftCur, shiftBank, query->frame, homFac, weight, 1.0, 0.0);
  }
}

int SearchHomol::compAliSeq(WorkAli &ali, MotifWei *motifs, int baseForm) {
  if (!division) return 0;
  motCap_ = kMaxMotifs;
  division->init(ali);
  const int P = toPowerScale(thPower);
  const int homFac = wm->rescale(minHomolRatio);
  int count = 0;
  int ishCurr = 0, ishAli = 0;
  while (count < kMaxMotifs && division->nextPart(coincRatio, maxShifts)) {
    while (count < kMaxMotifs && division->nextShift(ishCurr, shCurr_, ishAli, shBank_)) {
      int n = shCurr_.len();
      ensureWeight(n);
      wm->getWeight(ishCurr, *query, ishAli, ali, n, weight_.data(), homFac);
      int numHelix = 0;
      Homology_info *helix =
          baseForm == 6 ? DotHelix(weight_.data(), n, thLength, P, numHelix, accurateDotHelix)
                        : checkThres(weight_.data(), n, ali.len, P, numHelix);
      addMotifs(count, motifs, numHelix, helix, ishCurr, ishAli, homFac, weight_.data());
      delete[] helix;
    }
  }
  return count;
}

Homology_info *checkThres(int *weight, int len, int lenTh, int powTh, int &numHelix) {
  numHelix = 0;
  if (len < lenTh) return nullptr;
  long long s = 0;
  for (int k = 0; k < len; k++) s += weight[k];
  int sum = clampInt32(s);
  int p = powerOf(sum, len);
  if (p < powTh) return nullptr;
  Homology_info *h = new (std::nothrow) Homology_info[1];
  if (!h) noRoom((long long)sizeof(Homology_info));
  h->left = 0;
  h->length = len;
  h->sum = sum;
  h->power = p;
  numHelix = 1;
  return h;
}
