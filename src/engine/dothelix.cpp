// Dot-helix segment finder.
#include "dothelix.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <new>

#include "errormsg.h"
#include "inv_sqrt.h"

#if defined(__x86_64__)
// GCC 12's AVX-512 intrinsics pass an undefined vector through and warn about it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif

namespace {

// powerOf without the call: the same saturated product of sum and length factor.
inline int power(long long sum, int len) {
  long long p;
  if (__builtin_mul_overflow(sum, (long long)lenFactor(len), &p)) return sum < 0 ? INT32_MIN : INT32_MAX;
  return clampInt32(p);
}

// Windows up to this length take the branch-free scans: a run of them stays within 2^42 and
// its factor within 2^12, so the product cannot overflow and only the top clamp is needed.
constexpr int kShortWindow = 2048;
// power() for 0 <= sum, len <= kShortWindow, as just said.
inline int shortPower(long long sum, int len) {
  return (int)std::min<long long>(sum * power_scale::strict[len], INT32_MAX);
}

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
  scan_.clear();
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

bool HelixFilter::rejectsSuffix(const int *elem, int s, int end) {
  const int n = end - s;
  if (n < L_) return true;
  const int top = std::min(n, kLongestFactor);
  while (top >= L_ && (bands_.empty() || bands_.back().hi < top)) addBand();
  if (elem != sufElem_ || end != sufEnd_) {
    sufElem_ = elem;
    sufEnd_ = end;
    scan_.clear();
  }
  // The best run within [s, end) only grows as s moves left, so each band passes exactly
  // from some start leftwards: a backward scan finds it once for every stretch ending here.
  for (size_t k = 0; k < bands_.size() && bands_[k].lo <= n; k++) {
    if (k == scan_.size()) scan_.push_back({end, -1, 0, LLONG_MIN});
    SuffixScan &st = scan_[k];
    if (st.passAt >= 0) {
      if (s <= st.passAt) return false;
      continue;
    }
    const long long beta = bands_[k].beta, alpha = bands_[k].alpha;
    int p = st.pos;
    long long c = st.c, b = st.b;
    while (p > s && b < alpha) {
      p--;
      c = std::max(c, 0LL) + ((long long)elem[p] - beta);
      b = std::max(b, c);
    }
    st.pos = p;
    st.c = c;
    st.b = b;
    if (b >= alpha) {
      st.passAt = p;
      return false;
    }
  }
  return true;
}

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

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) unsigned passingWide(const int *elem, int rows, int nb,
                                                     const int32_t *beta, const int32_t *alpha) {
  return passingAll(elem, rows, nb, beta, alpha);
}
bool haveWide() { return __builtin_cpu_supports("avx2"); }
#else
unsigned passingWide(const int *, int, int, const int32_t *, const int32_t *) { return 0; }
bool haveWide() { return false; }
#endif

constexpr int kMaxBatchBands = 8;

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

unsigned HelixFilter::rejectsBatch(const int *elem, const int *len, int rows, int maxScore,
                                   bool &ran) {
  const int nb = batchBands(rows, maxScore);
  ran = nb > 0;
  if (!nb) return 0;
  // Bands a lane is too short for only let more through: the proof stays sound.
  int32_t beta[kMaxBatchBands], alpha[kMaxBatchBands];
  for (int k = 0; k < nb; k++) {
    beta[k] = (int32_t)bands_[(size_t)k].beta;
    alpha[k] = clampInt32(bands_[(size_t)k].alpha);
  }
  if (vectorForm < 0) vectorForm = haveWide() ? 1 : 0;
  if (vectorForm != 1 || !haveWide()) return rejectsBatchPlain(elem, len, rows, maxScore);
  unsigned pass = passingWide(elem, rows, nb, beta, alpha);
  for (int l = 0; l < kLanes; l++)
    if (len[l] < L_) pass &= ~(1u << l);
  return ~pass & ((1u << kLanes) - 1);
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

namespace {

// Values whose magnitude stays below this keep every running sum of a short window, and its
// product with a length factor, exact in the 32- and 64-bit lanes of the vector scan.
constexpr int kScanValue = 1 << 20;

// The best-power scan of the window scans, 16 values at a time. Over v[0 .. n) (elem[i], or
// elem[n - 1 - i] when Reverse) with S the running sum, a value is "better" when S exceeds
// every earlier S and 0, and "taken" when better and S x strict[i + 1] (clamped) is at least
// the power of every earlier better value: the running best of the scalar loops, since a
// better value that is not taken is below one that was. StopNeg ends the scan before the
// first negative S. Returns the last taken index (-1 for none) with its S and power.
#if defined(__x86_64__)
template <bool Reverse, bool StopNeg>
__attribute__((target("avx512f"))) int bestScanWide(const int *elem, int n, long long &sumAt,
                                                    int &powAt) {
  const __m512i zero = _mm512_setzero_si512(), low = _mm512_set1_epi32(INT32_MIN);
  const __m512i top = _mm512_set1_epi64(INT32_MAX), last = _mm512_set1_epi32(15);
  const __m512i reverse = _mm512_set_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  __m512i sc = zero, bc = zero, pc = zero;
  int found = -1, foundSum = 0, foundPow = 0;
  for (int i0 = 0; i0 < n; i0 += 16) {
    const int left = n - i0;
    __mmask16 valid = left >= 16 ? (__mmask16)0xFFFF : (__mmask16)((1u << left) - 1);
    __m512i x;
    if (Reverse) {
      // Values n-1-i0-k for lanes k: memory from n-16-i0 upwards, lane order reversed.
      const __mmask16 mem = left >= 16 ? (__mmask16)0xFFFF : (__mmask16)(0xFFFFu << (16 - left));
      x = _mm512_maskz_loadu_epi32(mem, elem + (n - 16 - i0));
      x = _mm512_permutexvar_epi32(reverse, x);
    } else {
      x = _mm512_maskz_loadu_epi32(valid, elem + i0);
    }
    // Inclusive running sums of the block, then the carry.
    x = _mm512_add_epi32(x, _mm512_alignr_epi32(x, zero, 15));
    x = _mm512_add_epi32(x, _mm512_alignr_epi32(x, zero, 14));
    x = _mm512_add_epi32(x, _mm512_alignr_epi32(x, zero, 12));
    x = _mm512_add_epi32(x, _mm512_alignr_epi32(x, zero, 8));
    const __m512i s = _mm512_add_epi32(x, sc);
    bool stop = false;
    if (StopNeg) {  // branch-free: where a scan stops is unpredictable
      const unsigned neg = _mm512_mask_cmplt_epi32_mask(valid, s, zero);
      valid &= (__mmask16)((neg & (0u - neg)) - 1u);  // the lanes before the first negative
      stop = neg != 0;
    }
    sc = _mm512_permutexvar_epi32(last, s);
    // Most blocks of a window hold no new best S, and then nothing else changes.
    const __mmask16 up = _mm512_mask_cmpgt_epi32_mask(valid, s, bc);
    if (!up) {
      if (stop) break;
      continue;
    }
    // Best S before each lane.
    __m512i mx = _mm512_max_epi32(s, _mm512_alignr_epi32(s, low, 15));
    mx = _mm512_max_epi32(mx, _mm512_alignr_epi32(mx, low, 14));
    mx = _mm512_max_epi32(mx, _mm512_alignr_epi32(mx, low, 12));
    mx = _mm512_max_epi32(mx, _mm512_alignr_epi32(mx, low, 8));
    const __m512i bex = _mm512_max_epi32(_mm512_alignr_epi32(mx, low, 15), bc);
    const __mmask16 better = _mm512_mask_cmpgt_epi32_mask(up, s, bex);
    // Powers of the positive lanes: 64-bit products, clamped, even and odd lanes. The best
    // power before a lane is taken over all of them, not only the better ones: a value that
    // is not better has at most the S of an earlier better one (or 0) over a longer stretch,
    // so its power is no larger (the factor falls with the length). The two best-before scans
    // then run side by side.
    const __mmask16 pos = _mm512_mask_cmpgt_epi32_mask(valid, s, zero);
    const __m512i f = _mm512_maskz_loadu_epi32(pos, power_scale::strict + i0 + 1);
    const __m512i even = _mm512_min_epi64(_mm512_mul_epi32(s, f), top);
    const __m512i odd = _mm512_min_epi64(
        _mm512_mul_epi32(_mm512_srli_epi64(s, 32), _mm512_srli_epi64(f, 32)), top);
    const __m512i pw =
        _mm512_maskz_mov_epi32(pos, _mm512_mask_blend_epi32(0xAAAA, even,
                                                            _mm512_slli_epi64(odd, 32)));
    __m512i pm = _mm512_max_epi32(pw, _mm512_alignr_epi32(pw, zero, 15));
    pm = _mm512_max_epi32(pm, _mm512_alignr_epi32(pm, zero, 14));
    pm = _mm512_max_epi32(pm, _mm512_alignr_epi32(pm, zero, 12));
    pm = _mm512_max_epi32(pm, _mm512_alignr_epi32(pm, zero, 8));
    const __m512i pex = _mm512_max_epi32(_mm512_alignr_epi32(pm, zero, 15), pc);
    const unsigned take = _mm512_mask_cmpge_epi32_mask(better, pw, pex);
    {  // branch-free as well
      const int k = 31 - __builtin_clz(take | 1u);
      const __m512i at = _mm512_set1_epi32(k);
      const int sum = _mm512_cvtsi512_si32(_mm512_permutexvar_epi32(at, s));
      const int pow = _mm512_cvtsi512_si32(_mm512_permutexvar_epi32(at, pw));
      found = take ? i0 + k : found;
      foundSum = take ? sum : foundSum;
      foundPow = take ? pow : foundPow;
    }
    if (stop) break;
    bc = _mm512_max_epi32(bc, _mm512_permutexvar_epi32(last, mx));
    pc = _mm512_max_epi32(pc, _mm512_permutexvar_epi32(last, pm));
  }
  if (found >= 0) {
    sumAt = foundSum;
    powAt = foundPow;
  }
  return found;
}

// elem[s .. s + n) without its non-positive values at both ends, 16 at a time.
__attribute__((target("avx512f"))) void trimWide(const int *elem, int &s, int &n) {
  const __m512i zero = _mm512_setzero_si512();
  while (n > 0) {
    const int k = std::min(n, 16);
    const __mmask16 in = (__mmask16)(0xFFFFu << (16 - k));  // the last k of 16
    const unsigned pos =
        _mm512_mask_cmpgt_epi32_mask(in, _mm512_maskz_loadu_epi32(in, elem + s + n - 16), zero);
    if (pos) {
      n -= 15 - (31 - __builtin_clz(pos));
      break;
    }
    n -= k;
  }
  while (n > 0) {
    const int k = std::min(n, 16);
    const __mmask16 in = (__mmask16)((1u << k) - 1);
    const unsigned pos =
        _mm512_mask_cmpgt_epi32_mask(in, _mm512_maskz_loadu_epi32(in, elem + s), zero);
    if (pos) {
      const int skip = __builtin_ctz(pos);
      s += skip;
      n -= skip;
      break;
    }
    s += k;
    n -= k;
  }
}

bool haveScanWide() { return __builtin_cpu_supports("avx512f"); }
#else
void trimWide(const int *, int &, int &) {}
template <bool Reverse, bool StopNeg>
int bestScanWide(const int *, int, long long &, int &) {
  return -1;
}
bool haveScanWide() { return false; }
#endif

// Every value of elem[0 .. n) within (-kScanValue, kScanValue).
bool smallValues(const int *elem, int n) {
  unsigned out = 0;
  for (int i = 0; i < n; i++) out |= (unsigned)elem[i] + kScanValue >= 2u * kScanValue;
  return out == 0;
}

}  // namespace

int DotHelix(DotHelixWork &work, const int *elem, int length, int length_low_threshold,
             int power_low_threshold, int accurate, bool screened) {
  std::vector<Homology_info> &found = work.found;
  std::vector<DotHelixWork::Interval> &stack = work.stack_;
  found.clear();
  stack.clear();
  const int L = length_low_threshold < 1 ? 1 : length_low_threshold;
  const int P = power_low_threshold < 1 ? 1 : power_low_threshold;
  if (length < L) return 0;
  work.filter_.prepare(L, P);
  work.filter_.newProfile();
  // Most diagonals hold nothing: a cheap proof of that spares the search.
  if (!screened && work.filter_.rejects(elem, length)) return 0;
  if (work.vectorForm < 0) work.vectorForm = haveScanWide() ? 1 : 0;
  const bool wide = work.vectorForm == 1 && haveScanWide() && smallValues(elem, length);

  stack.push_back({0, length});
  while (!stack.empty()) {
    int s = stack.back().left, n = stack.back().length;
    if (wide) {
      trimWide(elem, s, n);
    } else {
      while (n > 0 && elem[s + n - 1] <= 0) n--;
      while (n > 0 && elem[s] <= 0) {
        s++;
        n--;
      }
    }
    // A rest left of or right of a segment is searched only when it may hold one: what the
    // filter proves empty yields nothing, and neither do its own rests.
    if (n < L || (n < length && work.filter_.rejectsSuffix(elem, s, s + n))) {
      stack.pop_back();
      continue;
    }
    const int t = s, m = n;
    int a = s, w = n;
    int bestPow = 0, start = 0;
    long long segSum = 0;
    bool noWindow = false;
    for (;;) {
      // Forward: the end of the best prefix, stopping at the first negative running sum.
      long long run = 0, best = 0;
      int end = 0;
      bestPow = 0;
      if (wide && w <= kShortWindow) {
        long long atSum = 0;
        end = bestScanWide<false, true>(elem + a, w, atSum, bestPow) + 1;
      } else if (w <= kShortWindow) {
        for (int i = 0; i < w; i++) {
          run += elem[a + i];
          if (run < 0) break;
          const bool better = run > best;
          best = better ? run : best;
          const int pw = shortPower(run, i + 1);
          const bool take = better & (pw >= bestPow);
          bestPow = take ? pw : bestPow;
          end = take ? i + 1 : end;
        }
      } else {
        for (int i = 0; i < w; i++) {
          run += elem[a + i];
          if (run < 0) break;
          if (run > best) {
            best = run;
            const int pw = power(run, i + 1);
            if (pw >= bestPow) {
              bestPow = pw;
              end = i + 1;
            }
          }
        }
      }
      w = end;
      if (w == 0) {  // nothing to cut around: the interval is given up whole
        noWindow = true;
        break;
      }
      if (w < L) break;
      // Backward: the start of the best suffix of that prefix, over the whole window.
      run = 0;
      best = 0;
      bestPow = 0;
      start = 0;
      segSum = 0;
      if (wide && w <= kShortWindow) {
        const int k = bestScanWide<true, false>(elem + a, w, segSum, bestPow);
        start = k < 0 ? 0 : w - 1 - k;
      } else if (w <= kShortWindow) {
        for (int j = w - 1; j >= 0; j--) {
          run += elem[a + j];
          const bool better = run > best;
          best = better ? run : best;
          const int pw = shortPower(better ? run : 0, w - j);
          const bool take = better & (pw >= bestPow);
          bestPow = take ? pw : bestPow;
          start = take ? j : start;
          segSum = take ? run : segSum;
        }
      } else {
        for (int j = w - 1; j >= 0; j--) {
          run += elem[a + j];
          if (run > best) {
            best = run;
            const int pw = power(run, w - j);
            if (pw >= bestPow) {
              bestPow = pw;
              start = j;
              segSum = run;
            }
          }
        }
      }
      a += start;
      w -= start;
      if (!accurate || start == 0 || w < L) break;
    }
    stack.pop_back();
    if (noWindow) continue;
    if (w >= L && bestPow >= P) found.push_back({a, w, clampInt32(segSum), bestPow});
    // The left rest goes below the right one, so the right rest is searched first.
    if (a - t >= L) stack.push_back({t, a - t});
    if (t + m - (a + w) >= L) stack.push_back({a + w, t + m - (a + w)});
  }
  return (int)found.size();
}

Homology_info *DotHelix(const int *elem, int length, int length_low_threshold,
                        int power_low_threshold, int &num_found, int accurate) {
  num_found = 0;
  if (length < (length_low_threshold < 1 ? 1 : length_low_threshold)) return nullptr;
  DotHelixWork work;
  const int n = DotHelix(work, elem, length, length_low_threshold, power_low_threshold, accurate);
  if (!n) return nullptr;
  Homology_info *res = new (std::nothrow) Homology_info[(size_t)n];
  if (!res) noRoom((long long)n * (long long)sizeof(Homology_info));
  for (int i = 0; i < n; i++) res[i] = work.found[(size_t)i];
  num_found = n;
  return res;
}
