#include "inv_sqrt.h"

#include <cmath>

int _inv_sqrt(int x) {
  using power_scale::index;
  using power_scale::value;
  if (x > 32767) return 0;
  if (x > 31714) return 22;
  // index[high] stays above x, so low and high meet only at 0 (x below 2049).
  int low = 0, high = 68, middle = 0;
  while (low < high) {
    middle = (low + high) / 2;
    if (x < index[middle])
      high = middle;
    else if (x >= index[middle + 1])
      low = middle;
    else
      return value[middle];
  }
  return value[middle];
}

int32_t scaleToInt(long double x, long double f1, long double f2) {
  long double v = x * f1 * f2;
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0L) return INT32_MAX;
  if (v <= -2147483648.0L) return INT32_MIN;
  return (int32_t)v;  // in range: the conversion truncates toward zero
}

int32_t powerProduct(long long sum, long long factor) {
  long long p;
  if (__builtin_mul_overflow(sum, factor, &p)) return ((sum < 0) != (factor < 0)) ? INT32_MIN : INT32_MAX;
  return clampInt32(p);
}
