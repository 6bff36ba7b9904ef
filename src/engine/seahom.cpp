// The comparison engine: one query frame against one bank sequence.
//
// Contents, in order:
//   set-up             construction, the query division, frequencies and matrix
//   scoring            score rows from matrix indices, one diagonal's profile
//   comparison         compTwoSeq: parts, shifts, batch screen, segments, motifs
//   motif records      MotifWei records with their running sums
//   alignment blocks   compAliSeq against the rows of an alignment
//   diagonal layouts   interleaveDiagonals, scoreDiagonal, screenDiagonals (plain and AVX-512)
//   whole profile      checkThres
#include "seahom.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "alibase.h"
#include "errormsg.h"
#include "intrin.h"
#include "params.h"
#include "seqbase.h"
#include "w_matrix.h"

// ---------------------------------------------------------------- set-up

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
  division = allocObject<Seq_division>(gen);
  queryRow_.clear();  // another query: its letters are coded again on the next comparison
  // A part is partSize + thLength letters, or up to 2 x partSize - 1 for the last one.
  ensureWeight(gen.longestPart());
  // A part's diagonals span at most its length around any of them, plus a block of 8.
  bankMargin_ = std::max(gen.longestPart(), 0) + 16;
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

// ---------------------------------------------------------------- scoring

void SearchHomol::recastMatr(const BankSeq *bank) {
  double f[kAlphabetSize];
  wm->makeFreq(bank->len(), bank->seq(), f);
  wm->recast(queryFreq, f);
}

void SearchHomol::scoreProfile(int ishCurr, int ishBank, int n, int *weight) const {
  scoreDiagonal(weight, n, queryRow_.data() + ishCurr, bankAt() + ishBank, &score_[0][0],
                VectorForm::Wide);
}

void SearchHomol::prepareScores(const BankSeq &bank, int homFac) {
  const Weight_matrix *fast = static_cast<const Weight_matrix *>(wm);
  const int ql = query->len(), bl = bank.len() > 0 ? bank.len() : 0;
  if ((int)queryRow_.size() != ql) {
    queryRow_.resize((size_t)ql);
    for (int k = 0; k < ql; k++)
      queryRow_[(size_t)k] = (uint16_t)(fast->ord(query->seq()[k]) * kScoreRow);
  }
  const size_t need = (size_t)bl + 2 * (size_t)bankMargin_;
  if (bankIdx_.size() < need) bankIdx_.resize(need);
  unsigned char *b = bankIdx_.data() + bankMargin_;
  translateBytes(fast->nalpha, bank.seq(), bl, b);
  // Past the bank a diagonal reads the pad letter, whose scores end every run there.
  std::memset(b - bankMargin_, kPadLetter, (size_t)bankMargin_);
  std::memset(b + bl, kPadLetter, (size_t)bankMargin_);
  int lo, hi;
  tableRange(fast->elem, lo, hi);
  for (int i = 0; i < kAlphabetSize; i++) {
    if (homFac == 0) {  // the usual case: the scores as they are
      for (int j = 0; j < kAlphabetSize; j++) score_[i][j] = fast->elem[i][j];
    } else {
      for (int j = 0; j < kAlphabetSize; j++)
        score_[i][j] = clampInt32((long long)fast->elem[i][j] - homFac);
    }
    for (int j = kAlphabetSize; j < kScoreRow; j++) score_[i][j] = j == kPadLetter ? HelixFilter::kPad : 0;
  }
  // The largest |elem - homFac| is at the smallest or the largest elem.
  const long long top =
      std::max(std::llabs((long long)lo - homFac), std::llabs((long long)hi - homFac));
  maxScore_ = (int)std::min<long long>(top, INT32_MAX);
}

// ---------------------------------------------------------------- comparison

void SearchHomol::segments(int ishCurr, int ishBank, int n, const BankSeq &bank, int homFac,
                           int &count, bool screened, int P) {
  ensureWeight(n);
  scoreProfile(ishCurr, ishBank, n, weight_.data());
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
  // Kept for the diagonals of this comparison only.
  struct Forget {
    const TMatrix *&of;
    ~Forget() { of = nullptr; }
  } forget{castOf_};
  castOf_ = wm;
  cast_ = fast;
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
        // Rows follow the query: every diagonal of a part lies within the part, so the
        // rows span at most its length.
        int len[W], lo[W], off[W];
        int p0 = INT32_MAX, p1 = 0;
        for (int l = 0; l < lanes; l++) {
          const Diagonal &d = batch_[at + (size_t)l];
          p0 = std::min(p0, d.cur);
          p1 = std::max(p1, d.cur + d.len);
        }
        const int rows = p1 > p0 ? p1 - p0 : 0;
        for (int l = 0; l < W; l++) {
          const Diagonal &d = batch_[at + (size_t)(l < lanes ? l : 0)];
          len[l] = l < lanes ? d.len : 0;
          lo[l] = d.cur - p0;
          off[l] = d.bank - d.cur;
        }
        unsigned rejected = 0;
        bool screened = false;
        int32_t beta[HelixFilter::kMaxBatchBands], alpha[HelixFilter::kMaxBatchBands];
        const int nb = lanes > 1 && rows + 8 <= bankMargin_
                           ? filter_.batchThresholds(rows, maxScore_, beta, alpha)
                           : 0;
        unsigned pass = 0;
        if (nb && screenDiagonals(pass, rows, p0, queryRow_.data(), &score_[0][0], bankAt(), off,
                                  nb, beta, alpha)) {
          for (int l = 0; l < W; l++)
            if (len[l] < filter_.minLength()) pass &= ~(1u << l);
          rejected = ~pass & ((1u << W) - 1);
          screened = true;
        } else if (lanes > 1 && rows <= HelixFilter::kBatchRows) {
          lanes_.resize(((size_t)rows + 8) * W);
          int *out = lanes_.data();
          interleaveDiagonals(out, rows, p0, queryRow_.data(), &score_[0][0], bankAt(), off, lo,
                              len, rows + 8 <= bankMargin_ ? VectorForm::Wide : VectorForm::Plain);
          // A lane the screen lets through is rarely proved empty by the whole-profile
          // filter of DotHelix: that one is skipped.
          rejected = filter_.rejectsBatch(out, len, rows, maxScore_, screened);
        }
        for (int l = 0; l < lanes && count < cap; l++) {
          if (rejected >> l & 1u) continue;
          const Diagonal &d = batch_[at + (size_t)l];
          segments(d.cur, d.bank, d.len, bank, homFac, count, screened, P);
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

// ---------------------------------------------------------------- motif records

void SearchHomol::fillRecord(int &numMot, MotifWei *motifs, Homology_info &h, int shiftCur,
                             int shiftBank, char frame, int homFac, const int *weight,
                             double mult, double add) {
  // Query positions name residues of the whole query: a protein or nucleic query is cut From
  // letters in, a translated frame lies on one of the whole query's frames.
  int offset = (From > 1 ? From : 1) - 1;
  if (query->frame >= 'a' && query->frame <= 'f')
    wholeFrame(query->frame, offset, cutTail, frame, offset);
  MotifWei &r = motifs[numMot];
  r.qBeg = shiftCur + h.left + offset;
  r.bBeg = shiftBank + h.left;
  r.len = h.length;
  r.sum = h.sum;
  r.pow = h.power;
  r.frame = frame;
  delete[] r.wei;
  r.wei = nullptr;
  if (fillWei) {
    int n = h.length < 0 ? 0 : h.length;
    r.wei = allocArray<int>((long long)n + 1);
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
  const Weight_matrix *rescorer =
      !helixFreqRecalc || numHomol <= 0 ? nullptr
      : wm == castOf_                   ? cast_
                                        : dynamic_cast<const Weight_matrix *>(wm);
  for (int i = 0; i < numHomol; i++) {
    if (numMot >= motCap_) return;
    Homology_info &h = helix[i];
    h.sum = clampInt32((long long)h.sum + (long long)homFac * h.length);
    h.power = powerOf(h.sum, h.length);
    if (helixFreqRecalc) {
      int at = shiftCur + h.left;
      // Most rescored segments fall well below the threshold: a cheap bound drops those.
      if (rescorer && rescorer->recalcBelow(h.length, query->seq() + at,
                                            bank.seq() + shiftBank + h.left, h.sum, threshold))
        continue;
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

// ---------------------------------------------------------------- alignment blocks

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

// ---------------------------------------------------------------- diagonal layouts

namespace {

void interleavePlain(int *out, int rows, int p0, const uint16_t *qRow, const int *score,
                     const unsigned char *bankIdx, const int *off, const int *lo,
                     const int *len) {
  constexpr int W = HelixFilter::kLanes;
  for (int l = 0; l < W; l++) {
    int r = 0;
    const int from = std::max(std::min(lo[l], rows), 0);
    const int to = std::max(std::min(lo[l] + len[l], rows), from);
    for (; r < from; r++) out[(size_t)r * W + l] = HelixFilter::kPad;
    for (; r < to; r++) {
      const int p = p0 + r;
      out[(size_t)r * W + l] = score[qRow[p] + bankIdx[p + off[l]]];
    }
    for (; r < rows; r++) out[(size_t)r * W + l] = HelixFilter::kPad;
  }
}

#if SEQ_VECTOR
// Eight rows of the eight lanes' bank bytes are loaded lane by lane and transposed in one
// byte permutation; each row then looks its eight scores up in the query letter's row.
__attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi"))) void interleaveWide(
    int *out, int rows, int p0, const uint16_t *qRow, const int *score,
    const unsigned char *bankIdx, const int *off, const int *lo, const int *len) {
  static_assert(HelixFilter::kLanes == 8, "one 64-bit load per lane and block");
  alignas(64) static constexpr unsigned char kTranspose[64] = {
      0, 8,  16, 24, 32, 40, 48, 56, 1, 9,  17, 25, 33, 41, 49, 57, 2, 10, 18, 26, 34, 42,
      50, 58, 3, 11, 19, 27, 35, 43, 51, 59, 4, 12, 20, 28, 36, 44, 52, 60, 5, 13, 21, 29,
      37, 45, 53, 61, 6, 14, 22, 30, 38, 46, 54, 62, 7, 15, 23, 31, 39, 47, 55, 63};
  const __m512i perm = _mm512_load_si512(kTranspose);
  const __m256i vlo = _mm256_loadu_si256((const __m256i *)lo);
  const __m256i vlen = _mm256_loadu_si256((const __m256i *)len);
  const __m512i pad = _mm512_set1_epi32(HelixFilter::kPad);
  __m512i base = _mm512_maskz_cvtepi32_epi64(0xff, _mm256_loadu_si256((const __m256i *)off));
  base = _mm512_add_epi64(base, _mm512_set1_epi64(p0));
  alignas(64) unsigned char block[64];
  for (int r0 = 0; r0 < rows; r0 += 8) {
    const __m512i at = _mm512_add_epi64(base, _mm512_set1_epi64(r0));
    const __m512i raw =
        _mm512_mask_i64gather_epi64(_mm512_setzero_si512(), 0xff, at, (const void *)bankIdx, 1);
    _mm512_store_si512(block, _mm512_maskz_permutexvar_epi8(~0ULL, perm, raw));
    const int n = std::min(8, rows - r0);
    for (int k = 0; k < n; k++) {
      const int r = r0 + k;
      const __m128i letters = _mm_loadl_epi64((const __m128i *)(block + 8 * k));
      const __m512i idx = _mm512_castsi256_si512(_mm256_cvtepu8_epi32(letters));
      const int *row = score + qRow[p0 + r];
      const __m512i v = _mm512_permutex2var_epi32(_mm512_loadu_si512(row), idx,
                                                  _mm512_loadu_si512(row + 16));
      const __m256i rel = _mm256_sub_epi32(_mm256_set1_epi32(r), vlo);
      const __mmask8 in = _mm256_cmp_epu32_mask(rel, vlen, _MM_CMPINT_LT);
      _mm512_mask_storeu_epi32(out + (size_t)r * HelixFilter::kLanes, 0xff,
                               _mm512_mask_blend_epi32(in, pad, v));
    }
  }
}

// The lanes twice over, lanes 8..15 the same diagonals as 0..7: chain k screens band 2k in
// the low half and band 2k + 1 in the high one. A row's sixteen letters come from the
// block's bytes by one byte permutation into the low byte of each lane.
template <int C>
__attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi"))) unsigned screenWide(
    int rows, int p0, const uint16_t *qRow, const int *score, const unsigned char *bankIdx,
    const int *off, int nb, const int32_t *beta, const int32_t *alpha) {
  const __m512i zero = _mm512_setzero_si512();
  __m512i be[C], al[C], c[C], b[C];
  for (int k = 0; k < C; k++) {
    const int k0 = std::min(2 * k, nb - 1), k1 = std::min(2 * k + 1, nb - 1);
    be[k] = _mm512_mask_blend_epi32(0xFF00, _mm512_set1_epi32(beta[k0]),
                                    _mm512_set1_epi32(beta[k1]));
    al[k] = _mm512_mask_blend_epi32(0xFF00, _mm512_set1_epi32(alpha[k0]),
                                    _mm512_set1_epi32(alpha[k1]));
    c[k] = zero;
    b[k] = _mm512_set1_epi32(INT32_MIN);
  }
  // Byte 4j of row k's selector: lane j & 7's byte of that row in the gathered block.
  __m512i sel[8];
  sel[0] = _mm512_slli_epi32(
      _mm512_and_si512(_mm512_set_epi32(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0),
                       _mm512_set1_epi32(7)),
      3);
  for (int k = 1; k < 8; k++) sel[k] = _mm512_add_epi32(sel[0], _mm512_set1_epi32(k));
  constexpr __mmask64 kLowBytes = 0x1111111111111111ULL;
  __m512i base = _mm512_maskz_cvtepi32_epi64(0xff, _mm256_loadu_si256((const __m256i *)off));
  base = _mm512_add_epi64(base, _mm512_set1_epi64(p0));
  for (int r0 = 0; r0 < rows; r0 += 8) {
    const __m512i at = _mm512_add_epi64(base, _mm512_set1_epi64(r0));
    const __m512i raw =
        _mm512_mask_i64gather_epi64(_mm512_setzero_si512(), 0xff, at, (const void *)bankIdx, 1);
    const int n = std::min(8, rows - r0);
    for (int k = 0; k < n; k++) {
      const __m512i idx = _mm512_maskz_permutexvar_epi8(kLowBytes, sel[k], raw);
      const int *row = score + qRow[p0 + r0 + k];
      const __m512i v =
          _mm512_permutex2var_epi32(_mm512_loadu_si512(row), idx, _mm512_loadu_si512(row + 16));
      for (int q = 0; q < C; q++) {
        // Kept apart from the run: folded into it, the subtraction lengthens the chain that
        // bounds this loop.
        __m512i x = _mm512_sub_epi32(v, be[q]);
        __asm__("" : "+v"(x));
        c[q] = _mm512_add_epi32(_mm512_max_epi32(c[q], zero), x);
        b[q] = _mm512_max_epi32(b[q], c[q]);
      }
    }
  }
  unsigned pass = 0;
  for (int q = 0; q < C; q++) pass |= _mm512_cmpge_epi32_mask(b[q], al[q]);
  return (pass | pass >> 8) & 0xFFu;
}

// Sixteen scores a gather, the last block masked.
__attribute__((target("avx512f,avx512bw,avx512vl"))) void scoreGather(
    int *out, int n, const uint16_t *qRow, const unsigned char *bankIdx, const int *score) {
  for (int k = 0; k < n; k += 16) {
    const __mmask16 m = n - k >= 16 ? (__mmask16)0xFFFF : (__mmask16)((1u << (n - k)) - 1);
    const __m512i q = _mm512_cvtepu16_epi32(_mm256_maskz_loadu_epi16(m, qRow + k));
    const __m512i b = _mm512_cvtepu8_epi32(_mm_maskz_loadu_epi8(m, bankIdx + k));
    const __m512i v =
        _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), m, _mm512_add_epi32(q, b), score, 4);
    _mm512_mask_storeu_epi32(out + k, m, v);
  }
}
#endif

}  // namespace

void scoreDiagonal(int *out, int n, const uint16_t *qRow, const unsigned char *bankIdx,
                   const int *score, VectorForm form) {
#if SEQ_VECTOR
  if (n >= 16 && useWide(form, kWideGather)) {
    scoreGather(out, n, qRow, bankIdx, score);
    return;
  }
#endif
  (void)form;
  for (int k = 0; k < n; k++) out[k] = score[qRow[k] + bankIdx[k]];
}

bool screenDiagonals(unsigned &pass, int rows, int p0, const uint16_t *qRow, const int *score,
                     const unsigned char *bankIdx, const int *off, int nb, const int32_t *beta,
                     const int32_t *alpha) {
#if SEQ_VECTOR
  static_assert(HelixFilter::kLanes == 8 && HelixFilter::kMaxBatchBands == 8,
                "two bands a chain, at most four chains");
  if (nb < 1 || nb > HelixFilter::kMaxBatchBands || !cpuHas(kWideInterleave)) return false;
  switch ((nb + 1) / 2) {
    case 1: pass = screenWide<1>(rows, p0, qRow, score, bankIdx, off, nb, beta, alpha); break;
    case 2: pass = screenWide<2>(rows, p0, qRow, score, bankIdx, off, nb, beta, alpha); break;
    case 3: pass = screenWide<3>(rows, p0, qRow, score, bankIdx, off, nb, beta, alpha); break;
    default: pass = screenWide<4>(rows, p0, qRow, score, bankIdx, off, nb, beta, alpha); break;
  }
  return true;
#else
  (void)pass, (void)rows, (void)p0, (void)qRow, (void)score, (void)bankIdx, (void)off, (void)nb;
  (void)beta, (void)alpha;
  return false;
#endif
}

void interleaveDiagonals(int *out, int rows, int p0, const uint16_t *qRow, const int *score,
                         const unsigned char *bankIdx, const int *off, const int *lo,
                         const int *len, VectorForm form) {
#if SEQ_VECTOR
  if (useWide(form, kWideInterleave)) {
    interleaveWide(out, rows, p0, qRow, score, bankIdx, off, lo, len);
    return;
  }
#endif
  (void)form;
  interleavePlain(out, rows, p0, qRow, score, bankIdx, off, lo, len);
}

// ---------------------------------------------------------------- whole profile

void wholeFrame(char cutFrame, int from, int tail, char &frame, int &offset) {
  // Residue i of a direct frame k is the codon at from + k + 3i of the whole query; of a
  // complementary frame k, the codon read backwards from len - 1 - tail - k - 3i.
  const bool direct = cutFrame <= 'c';
  const int k = cutFrame - (direct ? 'a' : 'd');
  const int shift = (direct ? from : tail) + k;
  frame = (char)((direct ? 'a' : 'd') + shift % 3);
  offset = shift / 3;
}

Homology_info *checkThres(int *weight, int len, int lenTh, int powTh, int &numHelix) {
  numHelix = 0;
  if (len < lenTh) return nullptr;
  long long s = 0;
  for (int k = 0; k < len; k++) s += weight[k];
  int sum = clampInt32(s);
  int p = powerOf(sum, len);
  if (p < powTh) return nullptr;
  Homology_info *h = allocArray<Homology_info>(1);
  h->left = 0;
  h->length = len;
  h->sum = sum;
  h->power = p;
  numHelix = 1;
  return h;
}
