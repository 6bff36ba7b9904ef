// The power scale: the length factor floor(4096/sqrt(n)) and the two conversions every
// component uses to put values on the integer scale. No other copy of these rules exists.
#pragma once

#include <cfloat>
#include <climits>
#include <cstdint>

// Motif-file powers and thresholds must truncate exactly as the x87 80-bit format does.
static_assert(LDBL_MANT_DIG == 64, "the power scale needs the 80-bit extended long double");

// The tables live in a namespace: a global `index` would clash with the C library's index().
namespace power_scale {

struct StrictTable {
  int v[2049];
};
constexpr StrictTable makeStrict() {
  StrictTable t{};
  t.v[0] = 0;
  // k*k*n <= 2^24 walks down by at most one step per n above 1, so no square roots are needed.
  int k = 4096;
  for (int n = 1; n <= 2048; n++) {
    while ((long long)k * k * n > 16777216LL) k--;
    t.v[n] = k;
  }
  return t;
}

struct StepTables {
  int index[69];
  int value[69];
};
constexpr StepTables makeSteps() {
  StepTables t{};
  int n = 2049;
  for (int i = 0; i < 69; i++) {
    const int want = 90 - i;
    while ((long long)(want + 1) * (want + 1) * n <= 16777216LL) n++;
    t.index[i] = n;
    t.value[i] = want;
  }
  return t;
}

inline constexpr StrictTable kStrict = makeStrict();
inline constexpr StepTables kSteps = makeSteps();

// strict[n] = floor(4096/sqrt(n)) for 1 <= n <= 2048, strict[0] = 0.
inline constexpr const int (&strict)[2049] = kStrict.v;
// index[i]: the least n >= 2049 whose factor is at most value[i] = 90 - i.
inline constexpr const int (&index)[69] = kSteps.index;
inline constexpr const int (&value)[69] = kSteps.value;

static_assert(strict[1] == 4096 && strict[2] == 2896 && strict[3] == 2364 && strict[2048] == 90,
              "strict table");
static_assert(index[0] == 2049 && index[1] == 2072 && index[2] == 2119 && index[3] == 2167 &&
                  index[67] == 29128 && index[68] == 31715 && value[68] == 22,
              "step tables");

}  // namespace power_scale

// floor(4096/sqrt(x)) for 2049 <= x <= 32767 by binary search in the step tables,
// 0 above 32767, 90 below 2049 (not a factor there).
int _inv_sqrt(int x);

// The length factor of a segment of n letters: floor(4096/sqrt(n)), 0 for n <= 0 and n > 32767.
inline int lenFactor(int n) {
  if (n <= 0) return 0;
  return n <= 2048 ? power_scale::strict[n] : _inv_sqrt(n);
}

// Saturates a 64-bit value to int32.
inline int32_t clampInt32(long long v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return (int32_t)v;
}

// The scaled conversion: (x * f1) * f2 in long double, operand order as written, truncated
// toward zero and saturated to int32 (NaN gives 0). Thresholds go to the power scale with
// f1 = 1000, f2 = 4096; other scalings pass their own factors (f2 = 1 for a single factor).
// Pass the operands as the caller holds them: widening a double to long double is exact.
int32_t scaleToInt(long double x, long double f1, long double f2 = 1.0L);

// scaleToInt(x, 1.0L) for a double: widening a double and multiplying it by 1 are exact, so
// the double itself is truncated and saturated, without the extended unit.
inline int32_t truncToInt(double x) {
  if (x != x) return 0;
  if (x >= 2147483647.0) return INT32_MAX;
  if (x <= -2147483648.0) return INT32_MIN;
  return (int32_t)x;
}

// A real threshold or printed power on the power scale: scaleToInt(x, 1000, 4096).
inline int32_t toPowerScale(long double x) { return scaleToInt(x, 1000.0L, 4096.0L); }

// The power product sum x factor in 64 bits, saturated to int32.
int32_t powerProduct(long long sum, long long factor);

// The power of a segment of `len` letters with score sum `sum`: sum x lenFactor(len), saturated.
inline int32_t powerOf(long long sum, int len) { return powerProduct(sum, lenFactor(len)); }
