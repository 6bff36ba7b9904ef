// The length factor, its tables and the two conversions onto the power scale.
#include <gtest/gtest.h>

#include <vector>

#include <random>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include "inv_sqrt.h"

namespace {

// Independent oracle: the largest k with k*k*n <= 4096*4096, found from a floating
// estimate and corrected in integers.
int oracleFactor(long long n) {
  long long k = (long long)std::sqrt(16777216.0 / (double)n);
  while (k > 0 && k * k * n > 16777216LL) k--;
  while ((k + 1) * (k + 1) * n <= 16777216LL) k++;
  return (int)k;
}

TEST(PowerScale, FactorMatchesIntegerOracleUpTo40000) {
  for (int n = 1; n <= 40000; n++) {
    int want = n > 32767 ? 0 : oracleFactor(n);
    ASSERT_EQ(lenFactor(n), want) << "n = " << n;
    if (n > 2048) {
      ASSERT_EQ(_inv_sqrt(n), want) << "n = " << n;
    }
  }
}

TEST(PowerScale, FactorBoundaries) {
  struct {
    int n, f;
  } cases[] = {{1, 4096},   {2, 2896},   {3, 2364},   {4, 2048},   {5, 1831},  {16, 1024},
               {2048, 90},  {2049, 90},  {2071, 90},  {2072, 89},  {31714, 23}, {31715, 22},
               {32767, 22}, {32768, 0},  {100000, 0}, {INT_MAX, 0}, {0, 0},     {-5, 0},
               {INT_MIN, 0}};
  for (auto &c : cases) EXPECT_EQ(lenFactor(c.n), c.f) << "n = " << c.n;
}

TEST(PowerScale, Tables) {
  using power_scale::index;
  using power_scale::strict;
  using power_scale::value;
  EXPECT_EQ(strict[0], 0);
  for (int n = 1; n <= 2048; n++) ASSERT_EQ(strict[n], oracleFactor(n)) << n;
  const int firstIdx[] = {2049, 2072, 2119, 2167};
  for (int i = 0; i < 4; i++) EXPECT_EQ(index[i], firstIdx[i]);
  EXPECT_EQ(index[67], 29128);
  EXPECT_EQ(index[68], 31715);
  for (int i = 0; i < 69; i++) {
    EXPECT_EQ(value[i], 90 - i);
    // least n >= 2049 with factor <= value[i]
    EXPECT_LE(oracleFactor(index[i]), value[i]);
    if (index[i] > 2049) {
      EXPECT_GT(oracleFactor(index[i] - 1), value[i]);
    }
  }
}

TEST(PowerScale, InvSqrtOutsideItsRange) {
  // Below the step tables the search settles on the first step.
  for (int x : {-7, 0, 1, 100, 2048}) EXPECT_EQ(_inv_sqrt(x), 90) << x;
  for (int x : {32768, 40000, INT_MAX}) EXPECT_EQ(_inv_sqrt(x), 0) << x;
}

TEST(PowerScale, ScaledConversionIsExtendedAndTruncated) {
  // 0.7 is just below 7/10: in extended precision the product stays below 700.
  EXPECT_EQ(scaleToInt(0.7, 1000), 699);
  EXPECT_EQ(scaleToInt(-0.7, 1000), -699);
  EXPECT_EQ(toPowerScale(12.34), 50544639);
  EXPECT_EQ(toPowerScale(5.55), 22732799);
  EXPECT_EQ(toPowerScale(7.77), 31825919);
  EXPECT_EQ(toPowerScale(99.99), 409559039);
  EXPECT_EQ(toPowerScale(1.00), 4096000);
  EXPECT_EQ(toPowerScale(3.14), 12861440);
  EXPECT_EQ(toPowerScale(123.45), 505651200);
  EXPECT_EQ(toPowerScale(0.0), 0);
  EXPECT_EQ(scaleToInt(2.9, 1), 2);
  EXPECT_EQ(scaleToInt(-2.9, 1), -2);
  // Plain double would give 700 here: the helper must not round through double.
  EXPECT_NE((int)(0.7 * 1000.0), scaleToInt(0.7, 1000));
}

TEST(PowerScale, ScaledConversionSaturates) {
  EXPECT_EQ(toPowerScale(524.28), 2147450879);  // one unit low, as extended gives
  EXPECT_EQ(toPowerScale(524.29), INT32_MAX);
  EXPECT_EQ(toPowerScale(1e300), INT32_MAX);
  EXPECT_EQ(toPowerScale(-524.29), INT32_MIN);
  EXPECT_EQ(toPowerScale(-1e300), INT32_MIN);
  EXPECT_EQ(toPowerScale(std::numeric_limits<double>::infinity()), INT32_MAX);
  EXPECT_EQ(toPowerScale(-std::numeric_limits<double>::infinity()), INT32_MIN);
  EXPECT_EQ(toPowerScale(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(scaleToInt(2147483647.0, 1), INT32_MAX);
  EXPECT_EQ(scaleToInt(2147483646.9, 1), 2147483646);
  EXPECT_EQ(scaleToInt(-2147483648.0, 1), INT32_MIN);
  EXPECT_EQ(scaleToInt(-2147483647.5, 1), -2147483647);
}

TEST(PowerScale, DoubleTruncationEqualsTheExtendedOne) {
  // Boundaries, halves, values next to integers and out of range, and random reals.
  std::vector<double> xs = {0.0, -0.0, 0.5, -0.5, 0.9999999999999999, -0.9999999999999999,
                            1e-300, 2147483646.9999998, 2147483647.0, 2147483647.5,
                            -2147483648.0, -2147483648.5, -2147483647.9999998, 1e300, -1e300,
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
  std::mt19937_64 rng(5);
  for (int i = 0; i < 200000; i++) {
    const double mag = std::ldexp(1.0, (int)(rng() % 40) - 5);
    const double x = ((double)(rng() >> 11) / 9007199254740992.0 - 0.5) * mag;
    xs.push_back(x);
    xs.push_back(std::nextafter(std::trunc(x), 0.0));
  }
  for (double x : xs) ASSERT_EQ(truncToInt(x), scaleToInt(x, 1.0L)) << x;
}

TEST(PowerScale, PowerProductSaturates) {
  EXPECT_EQ(powerOf(4000, 16), 4096000);
  EXPECT_EQ(powerOf(-4000, 16), -4096000);
  EXPECT_EQ(powerOf(123456, 0), 0);
  EXPECT_EQ(powerOf(123456, 40000), 0);
  // A long, strong segment: 3500 x 32767 x 22 exceeds int32.
  EXPECT_EQ(powerOf(3500LL * 32767, 32767), INT32_MAX);
  EXPECT_EQ(powerOf(-3500LL * 32767, 32767), INT32_MIN);
  EXPECT_EQ(powerProduct(524287, 4096), 2147479552);
  EXPECT_EQ(powerProduct(524288, 4096), INT32_MAX);
  EXPECT_EQ(powerProduct(LLONG_MAX, 2), INT32_MAX);
  EXPECT_EQ(powerProduct(LLONG_MIN, 4096), INT32_MIN);
  EXPECT_EQ(powerProduct(LLONG_MIN, -1), INT32_MAX);
  EXPECT_EQ(clampInt32(-1), -1);
  EXPECT_EQ(clampInt32(1LL << 40), INT32_MAX);
}

}  // namespace
