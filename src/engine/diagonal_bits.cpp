// Diagonal counts of one pair-table part in bit planes, 512 diagonals at a time.
//
// Contents, in order:
//   bank rows      DiagonalBits::setBank: one bit row per letter group (plain, AVX-512)
//   plain kernel   countChunk: the pairs of one chunk summed by carry-save adders
//   wide kernel    countChunkWide and its dispatch over window widths (AVX-512)
//   read-out       the diagonals reaching the threshold and their counts (plain, AVX-512)
//   candidates     DiagonalBits::candidates, which puts them together
#include "diagonal_bits.h"

#include <algorithm>
#include <cstring>

#include "intrin.h"

namespace {

// The bank's bit rows, 64 letters at a time: one comparison per group.
#if SEQ_VECTOR
__attribute__((target("avx512f,avx512bw"))) void setRowsAvx512(const unsigned char *codes, int n,
                                                                int nc, uint64_t *rows,
                                                                size_t rowLen) {
  for (int j0 = 0; j0 < n; j0 += 64) {
    const __mmask64 valid = n - j0 >= 64 ? ~0ULL : (1ULL << (n - j0)) - 1;
    const __m512i v = _mm512_maskz_loadu_epi8(valid, codes + j0);
    for (int c = 0; c < nc; c++)
      rows[(size_t)c * rowLen + (size_t)(j0 >> 6)] =
          _mm512_mask_cmpeq_epi8_mask(valid, v, _mm512_set1_epi8((char)c));
  }
}
#endif

}  // namespace

void DiagonalBits::setBank(const unsigned char *codes, int n, int numColors, int longest,
                           VectorForm form) {
  numColors_ = numColors < 0 ? 0 : numColors;
  n_ = n < 0 ? 0 : n;
  longest_ = longest < 1 ? 1 : longest;
  // A row is read from 64 x (chunk words) - (L - 1) bits before the bank to past the last
  // chunk of the longest part: zero words on both sides keep every read inside.
  pad_ = (longest_ - 1) / 64 + 2;
  const long long diagonals = (long long)longest_ - 1 + n_;
  const long long words = (diagonals + 511) / 512 * 8;
  rowLen_ = (int)(pad_ + words + 2);
  rows_.assign((size_t)(numColors_ + 1) * (size_t)rowLen_, 0);
#if SEQ_VECTOR
  if (numColors_ <= 255 && useWide(form, kWideBankRows)) {
    setRowsAvx512(codes, n_, numColors_, rows_.data() + pad_, (size_t)rowLen_);
    return;
  }
#endif
  (void)form;
  for (int j = 0; j < n_; j++) {
    const unsigned c = codes[j];
    if (c >= (unsigned)numColors_) continue;
    rows_[(size_t)c * (size_t)rowLen_ + (size_t)pad_ + (size_t)(j >> 6)] |= 1ULL << (j & 63);
  }
}

namespace {

typedef uint64_t V8 __attribute__((vector_size(64)));

// The bank row of each query position's group: codes at or above `cap` take the empty row.
struct Rows {
  const uint64_t *base;
  size_t rowLen;
  const unsigned char *code;
  unsigned cap;
  const uint64_t *of(int i) const {
    const unsigned c = code[i];
    return base + (size_t)(c < cap ? c : cap) * rowLen;
  }
};
constexpr int kChunkWords = 8;

#define SEQ_ALWAYS_INLINE inline __attribute__((always_inline))

SEQ_ALWAYS_INLINE void loadV(V8 &v, const uint64_t *p) { __builtin_memcpy(&v, p, sizeof v); }

// Carry-save adder: (hi, lo) = a + b + c, bit by bit.
SEQ_ALWAYS_INLINE void csa(V8 &hi, V8 &lo, const V8 &a, const V8 &b, const V8 &c) {
  const V8 u = a ^ b;
  hi = (a & b) | (u & c);
  lo = u ^ c;
}

// Counts the pairs of one chunk of 512 diagonals starting at word w0 into the bit planes
// out[plane x planeStride + w0 ..]: planes 0..3 as the four low digits, then `high` more.
SEQ_ALWAYS_INLINE void countChunk(const Rows &rowOf, int L, int W, int w0, int high,
                                  uint64_t *out, size_t planeStride) {
  V8 ring[64];  // S of the last W query positions, by position & 63
  V8 pend[16];  // matched pairs not yet added
  int np = 0;
  V8 ones = {}, twos = {}, fours = {}, eights = {};
  V8 hi[32] = {};
  // Four inputs into the ones and twos: the carry of fours they send up.
  auto fours4 = [&](V8 &carry, const V8 *p) __attribute__((always_inline)) {
    V8 twosA, twosB;
    csa(twosA, ones, ones, p[0], p[1]);
    csa(twosB, ones, ones, p[2], p[3]);
    csa(carry, twos, twos, twosA, twosB);
  };
  // Eight inputs on into the fours: the carry of eights.
  auto eights8 = [&](V8 &carry, const V8 *p) __attribute__((always_inline)) {
    V8 foursA, foursB;
    fours4(foursA, p);
    fours4(foursB, p + 4);
    csa(carry, fours, fours, foursA, foursB);
  };
  auto block = [&]() __attribute__((always_inline)) {
    V8 eightsA, eightsB, sixteens;
    eights8(eightsA, pend);
    eights8(eightsB, pend + 8);
    csa(sixteens, eights, eights, eightsA, eightsB);
    V8 carry = sixteens;
    for (int h = 0; h < high; h++) {
      const V8 t = hi[h] & carry;
      hi[h] ^= carry;
      carry = t;
    }
    np = 0;
  };
  for (int i = L - 1; i >= 0; i--) {
    // S_i: the row of position i's group shifted up by s = L - 1 - i bits.
    const int s = L - 1 - i;
    const int q = s >> 6, r = s & 63;
    const uint64_t *row = rowOf.of(i) + w0 - q;
    V8 a, b;
    loadV(a, row);
    loadV(b, row - 1);
    V8 &S = ring[i & 63];
    S = (a << r) | ((b >> 1) >> (63 - r));
    const int gmax = std::min(W, L - 1 - i);
    for (int g = 1; g <= gmax; g++) {
      pend[np++] = S & ring[(i + g) & 63];
      if (np == 16) block();
    }
  }
  if (np) {
    for (int k = np; k < 16; k++) pend[k] = V8{};
    block();
  }
  const V8 *planes[4] = {&ones, &twos, &fours, &eights};
  for (int p = 0; p < 4 + high; p++)
    __builtin_memcpy(out + (size_t)p * planeStride + w0, p < 4 ? planes[p] : &hi[p - 4],
                     sizeof(V8));
}

void countPlanesPlain(const Rows &rowOf, int L, int W, int chunks, int high,
                      uint64_t *out, size_t planeStride) {
  for (int c = 0; c < chunks; c++) countChunk(rowOf, L, W, c * kChunkWords, high, out, planeStride);
}

#if SEQ_VECTOR
#define SEQ_WIDE \
  __attribute__((target("avx512f,avx512vl,avx512vbmi2"), always_inline)) static inline

// The vector operations of the wide kernel at 512 and at 256 bits (the short last chunk).
struct Zmm {
  typedef __m512i V;
  SEQ_WIDE V zero() { return _mm512_setzero_si512(); }
  SEQ_WIDE V ones() { return _mm512_set1_epi64(-1); }
  SEQ_WIDE V load(const uint64_t *p) { return _mm512_loadu_si512(p); }
  SEQ_WIDE void store(uint64_t *p, V v) { _mm512_storeu_si512(p, v); }
  SEQ_WIDE V andv(V a, V b) { return _mm512_and_si512(a, b); }
  SEQ_WIDE V xorv(V a, V b) { return _mm512_xor_si512(a, b); }
  SEQ_WIDE V orv(V a, V b) { return _mm512_or_si512(a, b); }
  template <int F>
  SEQ_WIDE V tern(V a, V b, V c) { return _mm512_ternarylogic_epi64(a, b, c, F); }
  // (a << r) | (b >> (64 - r)) in every word.
  SEQ_WIDE V shld(V a, V b, int r) { return _mm512_shldv_epi64(a, b, _mm512_set1_epi64(r)); }
};
struct Ymm {
  typedef __m256i V;
  SEQ_WIDE V zero() { return _mm256_setzero_si256(); }
  SEQ_WIDE V ones() { return _mm256_set1_epi64x(-1); }
  SEQ_WIDE V load(const uint64_t *p) { return _mm256_loadu_si256((const __m256i *)p); }
  SEQ_WIDE void store(uint64_t *p, V v) { _mm256_storeu_si256((__m256i *)p, v); }
  SEQ_WIDE V andv(V a, V b) { return _mm256_and_si256(a, b); }
  SEQ_WIDE V xorv(V a, V b) { return _mm256_xor_si256(a, b); }
  SEQ_WIDE V orv(V a, V b) { return _mm256_or_si256(a, b); }
  template <int F>
  SEQ_WIDE V tern(V a, V b, V c) { return _mm256_ternarylogic_epi64(a, b, c, F); }
  SEQ_WIDE V shld(V a, V b, int r) { return _mm256_shldv_epi64(a, b, _mm256_set1_epi64x(r)); }
};

// Carry-save adder: (hi, lo) = lo + a + b, bit by bit.
template <class X>
SEQ_WIDE void csaWide(typename X::V &hi, typename X::V &lo, typename X::V a, typename X::V b) {
  const typename X::V l = lo;
  hi = X::template tern<0xE8>(l, a, b);  // majority
  lo = X::template tern<0x96>(l, a, b);  // odd parity
}

// Pair k of a group of 16 positions: position k / W with the one k % W + 1 above it.
template <class X, int W>
SEQ_WIDE typename X::V pairWide(const typename X::V *S, int k) {
  return X::andv(S[k / W], S[k / W + k % W + 1]);
}

// Pairs k0 .. k0 + 3 into the ones and twos: the carry of fours they send up.
template <class X, int W>
SEQ_WIDE void foursWide(typename X::V &carry, const typename X::V *S, int k0, typename X::V &ones,
                        typename X::V &twos) {
  typename X::V twosA, twosB;
  csaWide<X>(twosA, ones, pairWide<X, W>(S, k0), pairWide<X, W>(S, k0 + 1));
  csaWide<X>(twosB, ones, pairWide<X, W>(S, k0 + 2), pairWide<X, W>(S, k0 + 3));
  csaWide<X>(carry, twos, twosA, twosB);
}

// Pairs k0 .. k0 + 7 on into the fours: the carry of eights.
template <class X, int W>
SEQ_WIDE void eightsWide(typename X::V &carry, const typename X::V *S, int k0,
                         typename X::V &ones, typename X::V &twos, typename X::V &fours) {
  typename X::V foursA, foursB;
  foursWide<X, W>(foursA, S, k0, ones, twos);
  foursWide<X, W>(foursB, S, k0 + 4, ones, twos);
  csaWide<X>(carry, fours, foursA, foursB);
}

// The chunk as countChunk counts it (512 or 256 diagonals from word w0), with the window
// fixed at W and at most 4 + H planes: 16 query positions at a time, their 16 W pairs summed
// by W carry-save trees of 16 inputs, each of which sends one plane of sixteens up the high
// digits.
// Also writes, after the count planes, the plane of the diagonals reaching the threshold.
constexpr int kHigh = 8;
template <class X, int W, int H>
__attribute__((target("avx512f,avx512vl,avx512vbmi2"))) void countChunkWide(
    const Rows &rowOf, int L, int w0, int high, int threshold, uint64_t *out,
    size_t planeStride) {
  typedef typename X::V V;
  V S[16 + W];  // S[t]: position top - 15 + t; S[16 + g - 1]: position top + g
  for (int g = 0; g < W; g++) S[16 + g] = X::zero();
  V ones = X::zero(), twos = ones, fours = ones, eights = ones;
  V hi[H];
  for (int h = 0; h < H; h++) hi[h] = ones;
  V held = ones;  // the sixteens of the first tree of a pair
  for (int top = L - 1; top >= 0; top -= 16) {
    for (int t = 0; t < 16; t++) {
      const int i = top - 15 + t;
      if (i < 0) {
        S[t] = X::zero();
        continue;
      }
      const int s = L - 1 - i;
      const uint64_t *row = rowOf.of(i) + w0 - (s >> 6);
      S[t] = X::shld(X::load(row), X::load(row - 1), s & 63);
    }
#pragma GCC unroll 16
    for (int blk = 0; blk < W; blk++) {
      V eightsA, eightsB, sixteens;
      eightsWide<X, W>(eightsA, S, blk * 16, ones, twos, fours);
      eightsWide<X, W>(eightsB, S, blk * 16 + 8, ones, twos, fours);
      csaWide<X>(sixteens, eights, eightsA, eightsB);
      // Two trees' sixteens go up together: one adder into the sixteens plane, then the
      // carry of thirty-twos up the rest (a lone last tree goes up by itself).
      if (blk % 2 == 0 && blk + 1 < W) {
        held = sixteens;
        continue;
      }
      V carry = sixteens;
      int h = 0;
      if (blk % 2 == 1) {
        csaWide<X>(carry, hi[0], held, sixteens);
        h = 1;
      }
#pragma GCC unroll 8
      for (; h < H; h++) {
        const V c = X::andv(hi[h], carry);
        hi[h] = X::xorv(hi[h], carry);
        carry = c;
      }
    }
    // The W positions above the next 16 are the lowest W of these.
    for (int g = 0; g < W; g++) S[16 + g] = S[g];
  }
  const V planes[4] = {ones, twos, fours, eights};
  // The diagonals reaching the threshold, digit by digit from the top.
  V gt = X::zero(), eq = X::ones();
  for (int p = 4 + high - 1; p >= 0; p--) {
    const V x = p < 4 ? planes[p] : hi[p - 4];
    X::store(out + (size_t)p * planeStride + w0, x);
    if (threshold >> p & 1)
      eq = X::andv(eq, x);
    else
      gt = X::template tern<0xF8>(gt, eq, x);  // gt | (eq & x)
  }
  X::store(out + (size_t)(4 + high) * planeStride + w0, X::orv(gt, eq));
}

// Full chunks of 512 diagonals; a last one of at most 256 diagonals at half width, the rest
// of its threshold plane cleared (its diagonals are past the last).
template <int W, int H>
__attribute__((target("avx512f,avx512vl,avx512vbmi2"))) void countPlanesWideH(
    const Rows &rowOf, int L, int K, int chunks, int high, int threshold, uint64_t *out,
    size_t planeStride) {
  for (int c = 0; c < chunks; c++) {
    const int w0 = c * kChunkWords;
    if (c == chunks - 1 && K - w0 * 64 <= 256) {
      countChunkWide<Ymm, W, H>(rowOf, L, w0, high, threshold, out, planeStride);
      uint64_t *ge = out + (size_t)(4 + high) * planeStride + w0;
      for (int k = 4; k < kChunkWords; k++) ge[k] = 0;
    } else {
      countChunkWide<Zmm, W, H>(rowOf, L, w0, high, threshold, out, planeStride);
    }
  }
}

template <int W>
void countPlanesWideW(const Rows &rowOf, int L, int K, int chunks, int high, int threshold,
                      uint64_t *out, size_t planeStride) {
  if (high <= 6)
    countPlanesWideH<W, 6>(rowOf, L, K, chunks, high, threshold, out, planeStride);
  else
    countPlanesWideH<W, kHigh>(rowOf, L, K, chunks, high, threshold, out, planeStride);
}

// False when the window or the counts are beyond what the wide path holds.
bool countPlanesWide(const Rows &rowOf, int L, int W, int K, int chunks, int high,
                     int threshold, uint64_t *out, size_t planeStride) {
  if (high > kHigh) return false;
  switch (W) {
    case 1: countPlanesWideW<1>(rowOf, L, K, chunks, high, threshold, out, planeStride); return true;
    case 2: countPlanesWideW<2>(rowOf, L, K, chunks, high, threshold, out, planeStride); return true;
    case 3: countPlanesWideW<3>(rowOf, L, K, chunks, high, threshold, out, planeStride); return true;
    case 4: countPlanesWideW<4>(rowOf, L, K, chunks, high, threshold, out, planeStride); return true;
    case 5: countPlanesWideW<5>(rowOf, L, K, chunks, high, threshold, out, planeStride); return true;
    case 6: countPlanesWideW<6>(rowOf, L, K, chunks, high, threshold, out, planeStride); return true;
    case 7: countPlanesWideW<7>(rowOf, L, K, chunks, high, threshold, out, planeStride); return true;
    case 8: countPlanesWideW<8>(rowOf, L, K, chunks, high, threshold, out, planeStride); return true;
    default: return false;
  }
}
#endif

// Bits set in w[0 .. n): with the processor's popcount when it has one (the plain builtin
// calls a library routine).
SEQ_ALWAYS_INLINE size_t countBits(const uint64_t *w, size_t n) {
  size_t total = 0;
  for (size_t k = 0; k < n; k++) total += (size_t)__builtin_popcountll(w[k]);
  return total;
}
#if SEQ_VECTOR
__attribute__((target("popcnt"))) size_t countBitsFast(const uint64_t *w, size_t n) {
  return countBits(w, n);
}
#endif
size_t bitsSet(const uint64_t *w, size_t n) {
#if SEQ_VECTOR
  if (cpuHas(kCpuPopcnt)) return countBitsFast(w, n);
#endif
  return countBits(w, n);
}

#if SEQ_VECTOR
// The keys of the diagonals set in ge[0 .. words): a diagonal's count bits, one per plane, are
// picked out of the word's planes at once by a bit shuffle, and gathered low to high.
__attribute__((target("avx512f,avx512bw,avx512bitalg,bmi2"))) void readOutWide(
    const uint64_t *pl, size_t stride, int planes, const uint64_t *ge, size_t words,
    uint64_t *dst) {
  const long long d = (long long)stride;
  const __m512i step = _mm512_set_epi64(7 * d, 6 * d, 5 * d, 4 * d, 3 * d, 2 * d, d, 0);
  const __m512i high = _mm512_add_epi64(step, _mm512_set1_epi64((long long)stride * 8));
  const __mmask8 lowPlanes = (__mmask8)(planes >= 8 ? 0xFF : (1u << planes) - 1);
  const __mmask8 highPlanes = (__mmask8)(planes <= 8 ? 0 : (1u << (planes - 8)) - 1);
  constexpr uint64_t kLowBits = 0x0101010101010101ULL;
  for (size_t w = 0; w < words; w++) {
    uint64_t g = ge[w];
    if (!g) continue;
    const uint64_t *at = pl + w;
    const __m512i p0 = _mm512_mask_i64gather_epi64(_mm512_setzero_si512(), lowPlanes, step, at, 8);
    const __m512i p1 =
        _mm512_mask_i64gather_epi64(_mm512_setzero_si512(), highPlanes, high, at, 8);
    for (; g; g &= g - 1) {
      const int b = __builtin_ctzll(g);
      const __m512i sel = _mm512_set1_epi8((char)b);
      const uint64_t count = _pext_u64(_mm512_bitshuffle_epi64_mask(p0, sel), kLowBits) |
                             _pext_u64(_mm512_bitshuffle_epi64_mask(p1, sel), kLowBits) << 8;
      *dst++ = diagonalKey((int)count, (int)(w * 64) + b);
    }
  }
}
#endif

}  // namespace

void DiagonalBits::candidates(const unsigned char *partCodes, int L, int W, int threshold,
                              std::vector<uint64_t> &out, VectorForm form) {
  if (L < 1 || n_ < 2 || W < 1 || threshold < 1) {
    // No pair fits, so every count is 0; a threshold below 1 is not served here.
    return;
  }
  if (W > L - 1) W = L - 1;
  if (W < 1 || L > longest_) return;
  const long long maxCount = (long long)W * L;
  int high = 0;
  while ((maxCount >> (4 + high)) > 0) high++;
  const int K = L - 1 + n_;
  const int chunks = (K + 511) / 512;
  const size_t stride = (size_t)chunks * kChunkWords;
  const int planes = 4 + high;
  if ((long long)threshold >> planes != 0) return;  // above every count
  planes_.resize((size_t)(planes + 1) * stride);
  const Rows rows{rows_.data() + pad_, (size_t)rowLen_, partCodes, (unsigned)numColors_};
  uint64_t *pl = planes_.data();
  uint64_t *geRow = pl + (size_t)planes * stride;
  bool counted = false;
#if SEQ_VECTOR
  counted = useWide(form, kWidePlanes) &&
            countPlanesWide(rows, L, W, K, chunks, high, threshold, pl, stride);
#endif
  if (!counted) {
    countPlanesPlain(rows, L, W, chunks, high, pl, stride);
    // The diagonals reaching the threshold, digit by digit from the top.
    for (size_t w = 0; w < stride; w++) {
      uint64_t gt = 0, eq = ~0ULL;
      for (int p = planes - 1; p >= 0; p--) {
        const uint64_t x = pl[(size_t)p * stride + w];
        if (threshold >> p & 1)
          eq &= x;
        else
          gt |= eq & x;
      }
      geRow[w] = gt | eq;
    }
  }
  // The diagonals past the last are no candidates.
  const size_t words = ((size_t)K + 63) / 64;
  if (K % 64) geRow[words - 1] &= (1ULL << (K % 64)) - 1;
  const size_t total = bitsSet(geRow, words);
  if (!total) return;
  const size_t base = out.size();
  out.resize(base + total);
  uint64_t *dst = out.data() + base;
#if SEQ_VECTOR
  if (planes <= 16 && useWide(form, kWideReadOut)) {
    readOutWide(pl, stride, planes, geRow, words, dst);
    return;
  }
#endif
  (void)form;
  for (size_t w = 0; w < words; w++) {
    for (uint64_t ge = geRow[w]; ge; ge &= ge - 1) {
      const int b = __builtin_ctzll(ge);
      int count = 0;
      for (int p = 0; p < planes; p++) count |= (int)(pl[(size_t)p * stride + w] >> b & 1) << p;
      *dst++ = diagonalKey(count, (int)(w * 64) + b);
    }
  }
}

