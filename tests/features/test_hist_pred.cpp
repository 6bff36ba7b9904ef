// The prediction rule: the normal distribution function, segment weights, the threshold,
// strength and probability, and the fixed answers of histograms that do not separate.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "hist_fixture.h"
#include "hist_xx.h"

using histtest::setRows;

namespace {

TEST(HistPred, FnormalValues) {
  struct {
    double x, want;
  } cases[] = {{0.01, 0.503989}, {1.0, 0.840558},   {1.96, 0.973299},
               {2.999, 0.996633}, {3.0, 0.998523}};
  for (auto &c : cases) EXPECT_NEAR(Fnormal(c.x), c.want, 5e-7) << c.x;
  EXPECT_EQ(Fnormal(0.0), 0.5);
  EXPECT_EQ(Fnormal(0.005), 0.5);
  // n = (int)(x/0.01): 0.29 sums to k = 28 as 0.28 does, 0.57 to 56 as 0.56 does.
  EXPECT_EQ(Fnormal(0.29), Fnormal(0.28));
  EXPECT_EQ(Fnormal(0.57), Fnormal(0.56));
  EXPECT_NE(Fnormal(0.3), Fnormal(0.29));
  for (double x : {0.01, 0.37, 1.0, 2.5, 2.999, 3.0, 7.5})
    EXPECT_EQ(Fnormal(-x), 1 - Fnormal(x)) << x;
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Fnormal(std::numeric_limits<double>::quiet_NaN()), 0.5);
  EXPECT_EQ(Fnormal(inf), 1.0);
  EXPECT_EQ(Fnormal(-inf), 0.0);
  EXPECT_EQ(Fnormal(40.0), 1.0);
}

TEST(HistPred, NoObservationsDependsOnFreqAlone) {
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0, 4}, {0.6, 0.9}, {0.1, 0.2});
  const int all[] = {0, 0}, ksi[] = {0, 0};
  predPAR p;
  h.freq = 0.6;
  p.P1divP2 = 0.77;  // a value left from an earlier call must not survive
  h.predFT(&p, all, ksi, 0, 0);
  EXPECT_EQ(p.isPred, 1);
  EXPECT_EQ(p.ita, 0.6);
  EXPECT_EQ(p.gamma, 0.6 - 0.001);
  EXPECT_EQ(p.P1, 99.0);
  EXPECT_EQ(p.P1divP2, 0.0);

  h.freq = 0.59;
  p.isPred = 1;
  p.gamma = p.ita = p.P1 = p.P1divP2 = 5;
  h.predFT(&p, all, ksi, 1, 0);
  EXPECT_EQ(p.isPred, 0);
  EXPECT_EQ(p.gamma, 0.0);
  EXPECT_EQ(p.ita, 0.0);
  EXPECT_EQ(p.P1, 0.0);
  EXPECT_EQ(p.P1divP2, 0.0);

  // qXbX at or below q_XbX wherever there are observations: no separation either.
  const int some[] = {0, 7}, hits[] = {0, 7};
  setRows(h, {0, 4}, {0.6, 0.3}, {0.1, 0.4});
  h.freq = 0.7;
  h.predFT(&p, some, hits, 0, 0);
  EXPECT_EQ(p.isPred, 1);
  EXPECT_EQ(p.P1, 99.0);
  EXPECT_EQ(p.ita, 0.7);
}

TEST(HistPred, WeakSegmentsGetTheMeanAndNoWeight) {
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0, 4}, {0.2, 0.9}, {0.4, 0.1});
  const int all[] = {5, 5}, ksi[] = {1, 4};
  double Pxx[2], Px_x[2], A[2];
  EXPECT_EQ(h.makePxP_x(Pxx, Px_x, all), 0);
  EXPECT_EQ(Pxx[0], (0.2 + 0.4) * 0.5);
  EXPECT_EQ(Px_x[0], Pxx[0]);
  EXPECT_EQ(Pxx[1], 0.9);
  EXPECT_EQ(Px_x[1], 0.1);
  h.makeA(Pxx, Px_x, all, ksi, A);
  EXPECT_EQ(A[0], 0.0);
  EXPECT_NEAR(A[1] * 5, 1.0, 1e-12);  // the weights are normalised: sum A*all = 1
  predPAR p;
  h.predFT(&p, all, ksi, 0, 0);
  EXPECT_NEAR(p.ita, 0.8, 1e-12);
  EXPECT_EQ(p.isPred, 1);
}

// One segment of n observations: the weight is 1/n and everything has a closed form.
TEST(HistPred, OneSegmentWorkedExample) {
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0}, {0.8}, {0.2});
  h.freq = 0.3;
  const int all[] = {10}, ksi[] = {6};
  predPAR p;
  h.predFT(&p, all, ksi, 0, 0);
  const double sig = std::sqrt(0.8 * 0.2 / 10);
  EXPECT_NEAR(p.ita, 0.6, 1e-12);
  EXPECT_NEAR(p.gamma, 0.5, 1e-12);
  EXPECT_EQ(p.isPred, 1);
  const double a = (0.6 - 0.2) / sig, b = (0.6 - 0.8) / sig;
  EXPECT_NEAR(p.P1, std::sqrt(a * a - b * b), 1e-9);
  // x = Fnormal(b) / (1 - Fnormal(a)), about 67: the first thresholds above it are 75.9
  // (row 0) and 81.2 (row 1).
  const double x = Fnormal(b) / (1 - Fnormal(a));
  EXPECT_GT(x, 60);
  EXPECT_LT(x, 75);
  EXPECT_EQ(p.P1divP2, 0.75);
  h.predFT(&p, all, ksi, 1, 0);
  EXPECT_EQ(p.P1divP2, 0.6875);

  // Fewer hits: below gamma, and a^2 < b^2 gives strength 0.
  const int few[] = {3};
  h.predFT(&p, all, few, 0, 0);
  EXPECT_NEAR(p.ita, 0.3, 1e-12);
  EXPECT_EQ(p.isPred, 0);
  EXPECT_EQ(p.P1, 0.0);
}

TEST(HistPred, TwoSegmentWeightsConverge) {
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0, 3}, {0.55, 0.95}, {0.3, 0.05});
  const int all[] = {20, 8}, ksi[] = {13, 7};
  double Pxx[2], Px_x[2], A[2];
  ASSERT_EQ(h.makePxP_x(Pxx, Px_x, all), 0);
  h.makeA(Pxx, Px_x, all, ksi, A);
  EXPECT_NEAR(A[0] * 20 + A[1] * 8, 1.0, 1e-12);
  // At the fixed point A is proportional to (P - Q) / (P(1-P)/sigX + Q(1-Q)/sig_X).
  const double sx = std::sqrt(A[0] * A[0] * 20 * 0.55 * 0.45 + A[1] * A[1] * 8 * 0.95 * 0.05);
  const double s_x = std::sqrt(A[0] * A[0] * 20 * 0.3 * 0.7 + A[1] * A[1] * 8 * 0.05 * 0.95);
  const double d0 = 0.55 * 0.45 / sx + 0.3 * 0.7 / s_x, d1 = 0.95 * 0.05 / sx + 0.05 * 0.95 / s_x;
  const double want = (0.9 / d1) / (0.25 / d0);
  EXPECT_NEAR(A[1] / A[0], want, 1e-4 * want);
  predPAR p;
  h.predFT(&p, all, ksi, 0, 0);
  EXPECT_NEAR(p.ita, A[0] * 13 + A[1] * 7, 1e-12);
  EXPECT_EQ(p.isPred, p.ita >= p.gamma ? 1 : 0);
  EXPECT_GT(p.P1divP2, 0.0);
}

TEST(HistPred, BothDeviationsZero) {
  // Ratios 1 and 0: no spread. gamma is freq's or the midpoint of the two expectations.
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0}, {1.0}, {0.0});
  const int all[] = {2}, one[] = {1}, none[] = {0};
  predPAR p;
  h.freq = 0.59;
  h.predFT(&p, all, one, 0, 0);
  EXPECT_EQ(p.ita, 0.5);
  EXPECT_EQ(p.gamma, 0.5);  // ita equal to gamma is predicted
  EXPECT_EQ(p.isPred, 1);
  EXPECT_EQ(p.P1, 100.0);
  EXPECT_EQ(p.P1divP2, 0.0);
  h.freq = 0.8;
  h.predFT(&p, all, one, 0, 0);
  EXPECT_EQ(p.gamma, 0.5 - 0.00001);
  EXPECT_EQ(p.isPred, 1);
  EXPECT_EQ(p.P1, 100.0);
  EXPECT_EQ(p.P1divP2, (0.8 - 0.6) / 0.4);
  // Below 0.3 nothing is predicted, whatever freq says.
  h.predFT(&p, all, none, 0, 0);
  EXPECT_EQ(p.ita, 0.0);
  EXPECT_EQ(p.gamma, 0.0001);
  EXPECT_EQ(p.isPred, 0);
}

TEST(HistPred, StrengthBranches) {
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0}, {0.5}, {0.0});
  const int all[] = {4};
  const double A[] = {0.25};
  double Pxx[] = {0.5}, Px_x[] = {0.0};
  predPAR p;
  // Only sigX: above MX (0.5) the strength is 10000, at or below it sqrt(10000).
  h.makeGamma(&p, 0.8, Pxx, Px_x, A, all, nullptr, 0, 0);
  EXPECT_EQ(p.P1, 10000.0);
  EXPECT_EQ(p.gamma, (0.5 * 0 + 0 * 0.25) / 0.25);
  h.makeGamma(&p, 0.4, Pxx, Px_x, A, all, nullptr, 0, 0);
  EXPECT_EQ(p.P1, 100.0);
  // Only sig_X at or below MX: sqrt(0.01).
  Pxx[0] = 1.0;
  Px_x[0] = 0.5;
  h.makeGamma(&p, 0.5, Pxx, Px_x, A, all, nullptr, 0, 0);
  EXPECT_EQ(p.P1, 0.1);
  EXPECT_EQ(p.P1divP2, 0.33702);  // p1 = 1, p2 = 1 - Fnormal(0) = 0.5: x = 2; row 0: 2.2
  h.makeGamma(&p, 0.5, Pxx, Px_x, A, all, nullptr, 1, 0);
  EXPECT_EQ(p.P1divP2, 0.32159);  // row 1: 2.5
}

TEST(HistPred, ProbabilityTable) {
  // One segment of 100 observations weighted 0.01: MX 0.9 with sigX 0.03, M_X 0.85 with
  // sig_X about 0.0357.
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0}, {0.9}, {0.85});
  const int all[] = {100};
  const double A[] = {0.01}, Pxx[] = {0.9}, Px_x[] = {0.85};
  predPAR p;
  struct {
    double ita, row0, row1;
  } cases[] = {
      {0.84, 0.01545, 0.00644},  // x = p1/p2 about 0.04
      {-0.4, 0.00592, 0.00509},  // p1 = 0: x = 0
      {1.2, 1.0, 1.0},           // p2 below 1e-5: x = 100
  };
  for (auto &c : cases) {
    h.makeGamma(&p, c.ita, Pxx, Px_x, A, all, nullptr, 0, 0);
    EXPECT_EQ(p.P1divP2, c.row0) << c.ita;
    h.makeGamma(&p, c.ita, Pxx, Px_x, A, all, nullptr, 1, 0);
    EXPECT_EQ(p.P1divP2, c.row1) << c.ita;
  }
  // The tables as they stand: ascending thresholds, two 100/1.0 entries ending row 0.
  for (int r = 0; r < 2; r++)
    for (int j = 1; j < 20; j++) EXPECT_GE(arProbStat[r][j], arProbStat[r][j - 1]);
  EXPECT_EQ(arProbStat[0][18], 100.0);
  EXPECT_EQ(arProbVal[0][18], 1.0);
  EXPECT_EQ(arProbStat[1][18], 99.4);
  EXPECT_EQ(arProbVal[1][18], 0.86071);
}

TEST(HistPred, NotANumberReachesNoConversion) {
  HistXX h(0, 10, 1, "K", 0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  setRows(h, {0, 3}, {nan, 0.9}, {0.1, nan});
  const int all[] = {4, 4}, ksi[] = {2, 4};
  predPAR p;
  h.predFT(&p, all, ksi, 0, 0);
  EXPECT_TRUE(p.isPred == 0 || p.isPred == 1);
}

TEST(HistPred, WeightGridSteps) {
  double A[2] = {0, 0};
  const int one[] = {1, 0}, two[] = {1, 1};
  int steps = 0;
  while (next(A, one, 2)) steps++;
  EXPECT_EQ(steps, 11);  // 0.1 added up to 0.9999999999999999, then once more
  EXPECT_EQ(A[1], 0.0);
  A[0] = A[1] = 0;
  steps = 0;
  while (next(A, two, 2)) steps++;
  EXPECT_EQ(steps, 12 * 12 - 1);
  A[0] = 0.5;
  A[1] = 0.25;
  const int none[] = {0, 0};
  EXPECT_EQ(next(A, none, 2), 0);
  EXPECT_EQ(A[0], 0.5);
}

}  // namespace
