// Dot-helix segment finder. The proof that a profile holds nothing is in helix_filter.cpp.
//
// Contents, in order:
//   powers          the saturated power of a sum and length (file-local)
//   window scans    the best-power scans of a window, forwards and backwards (plain and
//                   AVX-512 forms over the profile's prefix sums)
//   segment finder  DotHelix: the depth-first cut of a profile into segments
#include "dothelix.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <new>

#include "errormsg.h"
#include "intrin.h"
#include "inv_sqrt.h"

// ---------------------------------------------------------------- powers

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

// Values whose magnitude stays below this keep every running sum of a short window, and its
// product with a length factor, exact in the 32- and 64-bit lanes of the vector scan.
constexpr int kScanValue = 1 << 20;

// ---------------------------------------------------------------- window scans

// Where a forward scan stands after its first `done` values: the best running sum (or 0)
// and the best power taken so far.
struct ScanState {
  int done, best, pow;
};

#if SEQ_VECTOR
// Running maximum over the 16 lanes, lane 0 first; `fill` is shifted in below lane 0.
__attribute__((target("avx512f"), always_inline)) inline __m512i prefixMax(__m512i x,
                                                                         __m512i fill) {
  x = _mm512_max_epi32(x, _mm512_alignr_epi32(x, fill, 15));
  x = _mm512_max_epi32(x, _mm512_alignr_epi32(x, fill, 14));
  x = _mm512_max_epi32(x, _mm512_alignr_epi32(x, fill, 12));
  return _mm512_max_epi32(x, _mm512_alignr_epi32(x, fill, 8));
}

// The best-power scan of the window scans, 16 values at a time. Over v[0 .. n) (the values
// after a forward scan's first from.done, or a window read backwards when Reverse) with S the
// running sum, a value is "better" when S exceeds every earlier S and 0, and "taken" when
// better and S x strict[i + 1] (clamped) is at least the power of every earlier better value:
// the running best of the scalar loops, since a better value that is not taken is below one
// that was. StopNeg ends the scan before the first negative S. The running sums come from
// the profile's prefix sums, wrapped to 32 bits (a window's sums are exact within them): S of
// value i is pre[i + 1] - origin forwards, origin - pre[n - 1 - i] backwards. A forward scan
// resumed `from` a state has its best S and power so far and counts lengths from done + 1.
// Returns the last taken index (-1 for none) with its S and power.
template <bool Reverse, bool StopNeg>
__attribute__((target("avx512f"))) int bestScanWide(const int32_t *pre, int32_t origin, int n,
                                                    long long &sumAt, int &powAt,
                                                    const ScanState &from) {
  const __m512i zero = _mm512_setzero_si512(), low = _mm512_set1_epi32(INT32_MIN);
  const __m512i top = _mm512_set1_epi64(INT32_MAX), last = _mm512_set1_epi32(15);
  const __m512i reverse = _mm512_set_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m512i o = _mm512_set1_epi32(origin);
  const int *factor = power_scale::strict + from.done + 1;
  __m512i bc = _mm512_set1_epi32(from.best);
  __m512i pc = _mm512_set1_epi32(from.pow);
  int found = -1, foundSum = 0, foundPow = 0;
  for (int i0 = 0; i0 < n; i0 += 16) {
    const int left = n - i0;
    __mmask16 valid = left >= 16 ? (__mmask16)0xFFFF : (__mmask16)((1u << left) - 1);
    __m512i s;
    if (Reverse) {
      // pre[n-1-i0-k] for lanes k: memory from n-16-i0 upwards, lane order reversed.
      const __mmask16 mem = left >= 16 ? (__mmask16)0xFFFF : (__mmask16)(0xFFFFu << (16 - left));
      const __m512i x = _mm512_maskz_loadu_epi32(mem, pre + (n - 16 - i0));
      s = _mm512_sub_epi32(o, _mm512_permutexvar_epi32(reverse, x));
    } else {
      s = _mm512_sub_epi32(_mm512_maskz_loadu_epi32(valid, pre + i0 + 1), o);
    }
    bool stop = false;
    // Most blocks of a window hold no new best S, and then nothing else changes.
    __mmask16 up = _mm512_mask_cmpgt_epi32_mask(valid, s, bc);
    if (StopNeg) {  // branch-free: where a scan stops is unpredictable
      // Both compares at once, the lanes past the first negative dropped from either after.
      const unsigned neg = _mm512_mask_cmplt_epi32_mask(valid, s, zero);
      const __mmask16 before = (__mmask16)((neg & (0u - neg)) - 1u);
      valid &= before;
      up &= before;
      stop = neg != 0;
    }
    if (!up) {
      if (stop) break;
      continue;
    }
    // Best S before each lane.
    const __m512i mx = prefixMax(s, low);
    const __m512i bex = _mm512_max_epi32(_mm512_alignr_epi32(mx, low, 15), bc);
    const __mmask16 better = _mm512_mask_cmpgt_epi32_mask(up, s, bex);
    // Powers of the positive lanes: 64-bit products, clamped, even and odd lanes. The best
    // power before a lane is taken over all of them, not only the better ones: a value that
    // is not better has at most the S of an earlier better one (or 0) over a longer stretch,
    // so its power is no larger (the factor falls with the length). The two best-before scans
    // then run side by side.
    const __mmask16 pos = _mm512_mask_cmpgt_epi32_mask(valid, s, zero);
    const __m512i f = _mm512_maskz_loadu_epi32(pos, factor + i0);
    const __m512i even = _mm512_min_epi64(_mm512_mul_epi32(s, f), top);
    const __m512i odd = _mm512_min_epi64(
        _mm512_mul_epi32(_mm512_srli_epi64(s, 32), _mm512_srli_epi64(f, 32)), top);
    const __m512i pw =
        _mm512_maskz_mov_epi32(pos, _mm512_mask_blend_epi32(0xAAAA, even,
                                                            _mm512_slli_epi64(odd, 32)));
    const __m512i pm = prefixMax(pw, zero);
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

// pre[0] = 0 and pre[k + 1] = pre[k] + elem[k] for k < n, wrapped to 32 bits; whether every
// value lies within (-kScanValue, kScanValue).
__attribute__((target("avx512f"))) bool prefixSums(const int *elem, int n, int32_t *pre) {
  const __m512i zero = _mm512_setzero_si512(), last = _mm512_set1_epi32(15);
  const __m512i shift = _mm512_set1_epi32(kScanValue), span = _mm512_set1_epi32(2 * kScanValue);
  __m512i carry = zero;
  __mmask16 big = 0;
  pre[0] = 0;
  for (int i0 = 0; i0 < n; i0 += 16) {
    const int left = n - i0;
    const __mmask16 valid = left >= 16 ? (__mmask16)0xFFFF : (__mmask16)((1u << left) - 1);
    __m512i x = _mm512_maskz_loadu_epi32(valid, elem + i0);
    big |= _mm512_cmpge_epu32_mask(_mm512_add_epi32(x, shift), span);
    x = _mm512_add_epi32(x, _mm512_alignr_epi32(x, zero, 15));
    x = _mm512_add_epi32(x, _mm512_alignr_epi32(x, zero, 14));
    x = _mm512_add_epi32(x, _mm512_alignr_epi32(x, zero, 12));
    x = _mm512_add_epi32(x, _mm512_alignr_epi32(x, zero, 8));
    x = _mm512_add_epi32(x, carry);
    _mm512_mask_storeu_epi32(pre + i0 + 1, valid, x);
    carry = _mm512_permutexvar_epi32(last, x);
  }
  return big == 0;
}

#else
// Never called without vector paths: no prefix sums are made then.
template <bool Reverse, bool StopNeg>
int bestScanWide(const int32_t *, int32_t, int, long long &, int &, const ScanState &) {
  return -1;
}
#endif

// The first position of [s, e) holding a positive value (e when none), eight at a time.
inline int firstPositive(const int *elem, int s, int e) {
#if SEQ_VECTOR
  const __m128i zero = _mm_setzero_si128();
  while (e - s >= 8) {
    const __m128i lo = _mm_cmpgt_epi32(_mm_loadu_si128((const __m128i *)(elem + s)), zero);
    const __m128i hi = _mm_cmpgt_epi32(_mm_loadu_si128((const __m128i *)(elem + s + 4)), zero);
    const unsigned m = (unsigned)_mm_movemask_ps(_mm_castsi128_ps(lo)) |
                       (unsigned)_mm_movemask_ps(_mm_castsi128_ps(hi)) << 4;
    if (m) return s + __builtin_ctz(m);
    s += 8;
  }
#endif
  while (s < e && elem[s] <= 0) s++;
  return s;
}

// Forward scan of the window x[0 .. w): the end of its best prefix (0 for none), stopping at
// the first negative running sum, and that prefix's power. Most scans stop within a few
// values, so the first ones go one by one and only a scan that lasts takes the vectors, which
// read the prefix sums pre (pre[k] - pre[0] the sum of x[0 .. k); null when there are none).
inline int forwardEnd(const int *x, const int32_t *pre, int w, int &bestPow) {
  constexpr int kHead = 4;
  long long run = 0, best = 0;
  int end = 0, pow = 0, i = 0;
  // One value of the scan, branch-free but for the stop: false at the first negative sum.
  auto step = [&](int k) {
    run += x[k];
    if (run < 0) return false;
    const bool better = run > best;
    best = better ? run : best;
    const int pw = shortPower(run, k + 1);
    const bool take = better & (pw >= pow);
    pow = take ? pw : pow;
    end = take ? k + 1 : end;
    return true;
  };
  const int head = std::min(w, kHead);
  for (; i < head; i++) {
    if (!step(i)) {
      bestPow = pow;
      return end;
    }
  }
  if (i < w) {
    if (pre && w <= kShortWindow) {
      // Within the vector bound the head's sums fit 32 bits.
      long long atSum = 0;
      const int k = bestScanWide<false, true>(pre + i, pre[0], w - i, atSum, pow,
                                              ScanState{i, (int)best, pow});
      end = k < 0 ? end : i + k + 1;
    } else if (w <= kShortWindow) {
      for (; i < w && step(i); i++) {
      }
    } else {
      for (; i < w; i++) {
        run += x[i];
        if (run < 0) break;
        if (run > best) {
          best = run;
          const int pw = power(run, i + 1);
          if (pw >= pow) {
            pow = pw;
            end = i + 1;
          }
        }
      }
    }
  }
  bestPow = pow;
  return end;
}

// Backward scan of the window x[0 .. w): the start of its best suffix, with the suffix's sum
// and power (start 0, sum 0 and power 0 when no suffix sum is positive). The vectors read the
// prefix sums pre, as forwardEnd's do.
inline int backwardStart(const int *x, const int32_t *pre, int w, long long &segSum,
                         int &bestPow) {
  long long run = 0, best = 0, sum = 0;
  int start = 0, pow = 0;
  if (pre && w <= kShortWindow) {
    const int k = bestScanWide<true, false>(pre, pre[w], w, sum, pow, ScanState{0, 0, 0});
    start = k < 0 ? 0 : w - 1 - k;
  } else if (w <= kShortWindow) {
    for (int j = w - 1; j >= 0; j--) {
      run += x[j];
      const bool better = run > best;
      best = better ? run : best;
      const int pw = shortPower(better ? run : 0, w - j);
      const bool take = better & (pw >= pow);
      pow = take ? pw : pow;
      start = take ? j : start;
      sum = take ? run : sum;
    }
  } else {
    for (int j = w - 1; j >= 0; j--) {
      run += x[j];
      if (run > best) {
        best = run;
        const int pw = power(run, w - j);
        if (pw >= pow) {
          pow = pw;
          start = j;
          sum = run;
        }
      }
    }
  }
  segSum = sum;
  bestPow = pow;
  return start;
}

}  // namespace

// ---------------------------------------------------------------- segment finder

int DotHelix(DotHelixWork &work, const int *elem, int length, int length_low_threshold,
             int power_low_threshold, int accurate, bool screened) {
  std::vector<Homology_info> &found = work.found;
  found.clear();
  const int L = length_low_threshold < 1 ? 1 : length_low_threshold;
  const int P = power_low_threshold < 1 ? 1 : power_low_threshold;
  if (length < L) return 0;
  HelixFilter &filter = work.filter_;
  filter.prepare(L, P);
  filter.newProfile();
  // Most diagonals hold nothing: a cheap proof of that spares the search.
  if (!screened && filter.rejects(elem, length)) return 0;
  filter.vectorForm = work.vectorForm;
  // Prefix sums for the vector scans, wrapped to 32 bits: the difference of two is exact for
  // any window they scan when every value is small enough.
  std::vector<int32_t> &pre = work.prefix_;
  bool haveSums = false;
#if SEQ_VECTOR
  if (useWide(work.vectorForm, kWideWindowScan)) {
    if (pre.size() < (size_t)length + 1) pre.resize((size_t)length + 1);
    haveSums = prefixSums(elem, length, pre.data());
  }
#endif
  // The prefix sums from position k on (null without them).
  auto sumsAt = [&](int k) { return haveSums ? pre.data() + k : nullptr; };

  // The intervals waiting are disjoint and at least L long each: never more than length / L + 1.
  std::vector<DotHelixWork::Interval> &room = work.stack_;
  if (room.size() < (size_t)(length / L) + 2) room.resize((size_t)(length / L) + 2);
  DotHelixWork::Interval *stack = room.data();
  int depth = 0;
  stack[depth++] = {0, length};
  while (depth > 0) {
    depth--;
    int s = stack[depth].left, e = s + stack[depth].length;
    while (e > s && elem[e - 1] <= 0) e--;
    // A piece whose best prefix is shorter than L leaves only its right rest, which ends where
    // the piece did (already trimmed there): the stretch is walked piece by piece in place.
    for (;;) {
      s = firstPositive(elem, s, e);
      const int n = e - s;
      // A rest left of or right of a segment is searched only when it may hold one: what the
      // filter proves empty yields nothing, and neither do its own rests.
      if (n < L || (n < length && filter.rejectsSuffix(elem, s, e))) break;
      int bestPow = 0;
      int w = forwardEnd(elem + s, sumsAt(s), n, bestPow);
      if (w == 0) break;  // nothing to cut around: the stretch is given up whole
      if (w < L) {
        s += w;
        continue;
      }
      // Backward: the start of the best suffix of that prefix, over the whole window.
      int a = s;
      long long segSum = 0;
      bool noWindow = false;
      for (;;) {
        const int start = backwardStart(elem + a, sumsAt(a), w, segSum, bestPow);
        a += start;
        w -= start;
        if (!accurate || start == 0 || w < L) break;
        const int whole = w;
        w = forwardEnd(elem + a, sumsAt(a), w, bestPow);
        if (w == 0) {
          noWindow = true;
          break;
        }
        // The backward scan of the same window would retrace the last one from the right end
        // and stop at start 0, with this sum and a power equal to the whole prefix's.
        if (w == whole || w < L) break;
      }
      if (noWindow) break;
      if (w >= L && bestPow >= P) found.push_back({a, w, clampInt32(segSum), bestPow});
      // The left rest goes below the right one, so the right rest is searched first.
      if (a - s >= L) stack[depth++] = {s, a - s};
      if (e - (a + w) >= L) stack[depth++] = {a + w, e - (a + w)};
      break;
    }
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
  Homology_info *res = allocArray<Homology_info>(n);
  for (int i = 0; i < n; i++) res[i] = work.found[(size_t)i];
  num_found = n;
  return res;
}

