// The quick proof that a diagonal profile holds no segment.
//
// Contents, in order:
//   bands          the lengths grouped into bands, each with its line under the need
//   whole profile  rejects
//   suffix scan    rejectsSuffix's backward scan of stretches sharing an end (plain and
//                  AVX-512 forms)
//   batch screen   eight interleaved profiles at once (64-bit twin and AVX2 form)
#include "helix_filter.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "intrin.h"
#include "inv_sqrt.h"

// ---------------------------------------------------------------- bands

namespace {

// Longest segment that can have a power: the length factor is 0 beyond.
constexpr int kLongestFactor = 32767;
// Each band of lengths spans this ratio: the secant of sqrt over [x, 4x] stays within 5 %.
constexpr int kBandRatio = 4;

// The least sum whose power at n positions reaches P (n within the factor's range).
inline long long needSum(int P, int n) {
  const long long f = lenFactor(n);
  return (P + f - 1) / f;
}

}  // namespace

void HelixFilter::prepare(int length_low_threshold, int power_low_threshold) {
  const int L = length_low_threshold < 1 ? 1 : length_low_threshold;
  const int P = power_low_threshold < 1 ? 1 : power_low_threshold;
  if (L == L_ && P == P_) return;
  L_ = L;
  P_ = P;
  bands_.clear();
  newProfile();
}

void HelixFilter::newProfile() {
  sufElem_ = nullptr;
  sufEnd_ = -1;
}

void HelixFilter::addBand() {
  const int lo = bands_.empty() ? L_ : bands_.back().hi + 1;
  const int hi = (int)std::min<long long>((long long)lo * kBandRatio - 1, kLongestFactor);
  Band b{lo, hi, 0, 0};
  if (hi > lo) b.beta = (needSum(P_, hi) - needSum(P_, lo)) / (hi - lo);
  b.alpha = needSum(P_, lo) - b.beta * lo;
  for (int n = lo + 1; n <= hi; n++) b.alpha = std::min(b.alpha, needSum(P_, n) - b.beta * n);
  bands_.push_back(b);
}

// ---------------------------------------------------------------- whole profile

namespace {

// Best sums of (elem - beta) over all runs, for two slopes at once (independent chains).
inline void bestRuns2(const int *elem, int n, long long beta0, long long beta1, long long &best0,
                      long long &best1) {
  long long c0 = 0, c1 = 0, b0 = LLONG_MIN, b1 = LLONG_MIN;
  for (int i = 0; i < n; i++) {
    const long long x = elem[i];
    c0 = std::max(c0, 0LL) + (x - beta0);
    c1 = std::max(c1, 0LL) + (x - beta1);
    b0 = std::max(b0, c0);
    b1 = std::max(b1, c1);
  }
  best0 = b0;
  best1 = b1;
}

}  // namespace

bool HelixFilter::rejects(const int *elem, int length) {
  if (length < L_) return true;
  const int top = std::min(length, kLongestFactor);
  while (top >= L_ && (bands_.empty() || bands_.back().hi < top)) addBand();
  size_t nb = 0;
  while (nb < bands_.size() && bands_[nb].lo <= length) nb++;
  for (size_t k = 0; k < nb; k += 2) {
    const Band &a = bands_[k];
    const Band &b = k + 1 < nb ? bands_[k + 1] : a;
    long long best0, best1;
    bestRuns2(elem, length, a.beta, b.beta, best0, best1);
    if (best0 >= a.alpha || best1 >= b.alpha) return false;
  }
  return true;
}

// ---------------------------------------------------------------- suffix scan

namespace {

// The backward scan of rejectsSuffix for NB bands side by side (independent chains), from
// pos down to at most `to`: the first start where a band passes, or -1 when none does down
// to `to`. The state is left where the scan ended.
template <int NB>
int scanBands(const int *elem, int &pos, int to, const long long *beta, const long long *alpha,
              const int *lim, long long *cs, long long *bs) {
  long long c[NB], b[NB];
  for (int k = 0; k < NB; k++) {
    c[k] = cs[k];
    b[k] = bs[k];
  }
  int p = pos, found = -1;
  while (p > to) {
    p--;
    const long long x = elem[p];
    bool pass = false;
    for (int k = 0; k < NB; k++) {
      c[k] = std::max(c[k], 0LL) + (x - beta[k]);
      b[k] = std::max(b[k], c[k]);
      pass |= (b[k] >= alpha[k]) & (p <= lim[k]);
    }
    if (pass) {
      found = p;
      break;
    }
  }
  for (int k = 0; k < NB; k++) {
    cs[k] = c[k];
    bs[k] = b[k];
  }
  pos = p;
  return found;
}

// scanBands for up to four bands, one per 64-bit lane (the spare lanes never pass). A band
// that passes at some start still passes at every start further left where it counts, so
// the test is made once per four values; a group that passes is gone through again value by
// value for the first start that does.
#if SEQ_VECTOR
__attribute__((target("avx512f,avx512vl"))) int scanBandsWide(const int *elem, int &pos, int to,
                                                                const long long *beta,
                                                                const long long *alpha,
                                                                const int *lim, long long *cs,
                                                                long long *bs) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i be = _mm256_loadu_si256((const __m256i *)beta);
  const __m256i al = _mm256_loadu_si256((const __m256i *)alpha);
  const __m256i li = _mm256_cvtepi32_epi64(_mm_loadu_si128((const __m128i *)lim));
  __m256i c = _mm256_loadu_si256((const __m256i *)cs), b = _mm256_loadu_si256((const __m256i *)bs);
  int p = pos, found = -1;
  bool oneByOne = false;
  while (found < 0 && p > to) {
    const int g = oneByOne || p - to < 4 ? 1 : 4;
    const __m256i c0 = c, b0 = b;
    if (g == 4) {
      // Two values per link of the chain: max(max(c, 0) + y1, 0) + y2 is
      // max(c + (y1 + y2), y2 + max(y1, 0)), so c moves on by an add and a max per pair.
      const __m256i y1 = _mm256_sub_epi64(_mm256_set1_epi64x(elem[p - 1]), be);
      const __m256i y2 = _mm256_sub_epi64(_mm256_set1_epi64x(elem[p - 2]), be);
      const __m256i y3 = _mm256_sub_epi64(_mm256_set1_epi64x(elem[p - 3]), be);
      const __m256i y4 = _mm256_sub_epi64(_mm256_set1_epi64x(elem[p - 4]), be);
      const __m256i t12 = _mm256_add_epi64(y1, y2), t34 = _mm256_add_epi64(y3, y4);
      const __m256i q12 = _mm256_add_epi64(y2, _mm256_max_epi64(y1, zero));
      const __m256i q34 = _mm256_add_epi64(y4, _mm256_max_epi64(y3, zero));
      const __m256i c1 = _mm256_add_epi64(_mm256_max_epi64(c, zero), y1);
      const __m256i c2 = _mm256_max_epi64(_mm256_add_epi64(c, t12), q12);
      const __m256i c3 = _mm256_add_epi64(_mm256_max_epi64(c2, zero), y3);
      c = _mm256_max_epi64(_mm256_add_epi64(c2, t34), q34);
      b = _mm256_max_epi64(b, _mm256_max_epi64(_mm256_max_epi64(c1, c2), _mm256_max_epi64(c3, c)));
    } else {
      const __m256i x = _mm256_sub_epi64(_mm256_set1_epi64x(elem[p - 1]), be);
      c = _mm256_add_epi64(_mm256_max_epi64(c, zero), x);
      b = _mm256_max_epi64(b, c);
    }
    const __mmask8 counts = _mm256_cmpge_epi64_mask(li, _mm256_set1_epi64x(p - g));
    if (_mm256_mask_cmpge_epi64_mask(counts, b, al)) {
      if (g == 4) {
        c = c0;
        b = b0;
        oneByOne = true;
        continue;
      }
      found = p - 1;
    }
    p -= g;
  }
  _mm256_storeu_si256((__m256i *)cs, c);
  _mm256_storeu_si256((__m256i *)bs, b);
  pos = p;
  return found;
}
#endif

constexpr int kBandLanes = 4;

typedef int (*ScanBands)(const int *, int &, int, const long long *, const long long *,
                         const int *, long long *, long long *);
constexpr ScanBands kScanBands[] = {scanBands<1>, scanBands<2>, scanBands<3>, scanBands<4>,
                                    scanBands<5>, scanBands<6>, scanBands<7>, scanBands<8>};

}  // namespace

bool HelixFilter::rejectsSuffixScan(const int *elem, int s, int end) {
  if (end - s < L_) return true;
  if (elem != sufElem_ || end != sufEnd_) {
    const int top = std::min(end, kLongestFactor);
    while (bands_.empty() || bands_.back().hi < top) addBand();
    sufElem_ = elem;
    sufEnd_ = end;
    sufPos_ = end;
    sufPass_ = -1;
    int nb = 0;
    for (const Band &band : bands_) {
      if (band.lo > end || nb == kMaxBands) break;
      sufBeta_[nb] = band.beta;
      sufAlpha_[nb] = band.alpha;
      sufLim_[nb] = end - band.lo;
      sufC_[nb] = 0;
      sufB_[nb] = LLONG_MIN;
      nb++;
    }
    sufBands_ = nb;
    for (int k = nb; k < kBandLanes; k++) {  // spare lanes of the wide scan
      sufBeta_[k] = 0;
      sufAlpha_[k] = LLONG_MAX;
      sufLim_[k] = -1;
      sufC_[k] = 0;
      sufB_[k] = LLONG_MIN;
    }
  }
  // The best run within [s, end) only grows as s moves left, and a band counts for more
  // starts the further left they lie: some band passes exactly for the starts up to the
  // first one the backward scan finds passing, whatever the order of the questions.
  if (sufPass_ >= 0) return s > sufPass_;
  if (s >= sufPos_) return true;
  int p = -1;
#if SEQ_VECTOR
  if (sufBands_ <= kBandLanes && useWide(vectorForm, kWideBandScan)) {
    sufPass_ = scanBandsWide(elem, sufPos_, s, sufBeta_, sufAlpha_, sufLim_, sufC_, sufB_);
    return sufPass_ < 0;
  }
#endif
  static_assert(sizeof kScanBands / sizeof kScanBands[0] == kMaxBands, "a scan per band count");
  if (sufBands_ >= 1 && sufBands_ <= kMaxBands)
    p = kScanBands[sufBands_ - 1](elem, sufPos_, s, sufBeta_, sufAlpha_, sufLim_, sufC_, sufB_);
  sufPass_ = p;
  return p < 0;
}

// ---------------------------------------------------------------- batch screen

namespace {

typedef int32_t Lanes __attribute__((vector_size(HelixFilter::kLanes * sizeof(int32_t))));

// Best runs of (elem - beta) per lane for two bands at once (independent chains) against
// their alpha: the lanes that reach either. Kadane per lane, as bestRuns2 does in 64 bits; the
// caller bounds the sums within 32 bits.
__attribute__((always_inline)) inline unsigned passingLanes(const int *elem, int rows,
                                                            int32_t beta0, int32_t alpha0,
                                                            int32_t beta1, int32_t alpha1) {
  const Lanes zero = {}, be0 = zero + beta0, be1 = zero + beta1;
  Lanes c0 = zero, c1 = zero, b0 = zero + INT32_MIN, b1 = b0;
  for (int i = 0; i < rows; i++) {
    Lanes x;
    __builtin_memcpy(&x, elem + (size_t)i * HelixFilter::kLanes, sizeof x);
    c0 = (c0 > zero ? c0 : zero) + (x - be0);
    c1 = (c1 > zero ? c1 : zero) + (x - be1);
    b0 = b0 > c0 ? b0 : c0;
    b1 = b1 > c1 ? b1 : c1;
  }
  unsigned m = 0;
  for (int l = 0; l < HelixFilter::kLanes; l++)
    m |= (unsigned)(b0[l] >= alpha0 || b1[l] >= alpha1) << l;
  return m;
}

__attribute__((always_inline)) inline unsigned passingAll(const int *elem, int rows, int nb,
                                                          const int32_t *beta,
                                                          const int32_t *alpha) {
  const unsigned all = (1u << HelixFilter::kLanes) - 1;
  unsigned pass = 0;
  for (int k = 0; k < nb && pass != all; k += 2) {
    const int k1 = k + 1 < nb ? k + 1 : k;
    pass |= passingLanes(elem, rows, beta[k], alpha[k], beta[k1], alpha[k1]);
  }
  return pass;
}

#if SEQ_VECTOR
__attribute__((target("avx2"))) unsigned passingWide(const int *elem, int rows, int nb,
                                                     const int32_t *beta, const int32_t *alpha) {
  return passingAll(elem, rows, nb, beta, alpha);
}
#endif

}  // namespace

int HelixFilter::batchBands(int rows, int maxScore) {
  if (rows < L_ || rows > kBatchRows || maxScore < 0 || maxScore > kBatchScore) return 0;
  const int top = std::min(rows, kLongestFactor);
  while (bands_.empty() || bands_.back().hi < top) addBand();
  int nb = 0;
  while (nb < (int)bands_.size() && bands_[(size_t)nb].lo <= rows) {
    // |x - beta| x rows and the pads minus beta stay far inside int32.
    const long long beta = bands_[(size_t)nb].beta;
    if (beta > kBatchScore || beta < -kBatchScore) return 0;
    nb++;
  }
  return nb <= kMaxBatchBands ? nb : 0;
}

int HelixFilter::batchThresholds(int rows, int maxScore, int32_t *beta, int32_t *alpha) {
  const int nb = batchBands(rows, maxScore);
  for (int k = 0; k < nb; k++) {
    beta[k] = (int32_t)bands_[(size_t)k].beta;
    alpha[k] = clampInt32(bands_[(size_t)k].alpha);
  }
  return nb;
}

unsigned HelixFilter::rejectsBatch(const int *elem, const int *len, int rows, int maxScore,
                                   bool &ran) {
  // Bands a lane is too short for only let more through: the proof stays sound.
  int32_t beta[kMaxBatchBands], alpha[kMaxBatchBands];
  const int nb = batchThresholds(rows, maxScore, beta, alpha);
  ran = nb > 0;
  if (!nb) return 0;
#if SEQ_VECTOR
  if (useWide(vectorForm, kWideBatch)) {
    unsigned pass = passingWide(elem, rows, nb, beta, alpha);
    for (int l = 0; l < kLanes; l++)
      if (len[l] < L_) pass &= ~(1u << l);
    return ~pass & ((1u << kLanes) - 1);
  }
#endif
  return rejectsBatchPlain(elem, len, rows, maxScore);
}

unsigned HelixFilter::rejectsBatchPlain(const int *elem, const int *len, int rows,
                                        int maxScore) {
  const int nb = batchBands(rows, maxScore);
  if (!nb) return 0;
  unsigned rejected = 0;
  for (int l = 0; l < kLanes; l++) {
    if (len[l] < L_) {
      rejected |= 1u << l;
      continue;
    }
    bool pass = false;
    for (int k = 0; k < nb && !pass; k++) {
      long long c = 0, b = LLONG_MIN;
      for (int i = 0; i < rows; i++) {
        c = std::max(c, 0LL) + ((long long)elem[(size_t)i * kLanes + l] - bands_[(size_t)k].beta);
        b = std::max(b, c);
      }
      pass = b >= bands_[(size_t)k].alpha;
    }
    if (!pass) rejected |= 1u << l;
  }
  return rejected;
}
