// Histogram segmentation: least-bending boundary search against a reference written from the
// definition, its enumeration and merging, and the two monotone fits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "hist_fixture.h"
#include "hist_xx.h"

using histtest::setCounts;

namespace {

// ---------------------------------------------------------------------------------------
// Reference: every boundary vector from scratch, in lexicographic order, the bending summed
// term by term; the first least one kept; segments written back with merging.
// ---------------------------------------------------------------------------------------

struct RefResult {
  int numPow;
  std::vector<double> pow, x, _x;
};

struct Sums {
  std::vector<int64_t> a, b, c, d;
};

Sums sumsOf(const HistXX &h, const std::vector<int> &bou) {
  const int n = (int)bou.size() - 1;
  Sums s{std::vector<int64_t>(n), std::vector<int64_t>(n), std::vector<int64_t>(n),
         std::vector<int64_t>(n)};
  for (int k = 0; k < n; k++)
    for (int i = bou[k]; i < bou[k + 1]; i++) {
      s.a[k] += (int)h.qXbX[i];
      s.b[k] += (int)h.qXb_X[i];
      s.c[k] += (int)h.q_XbX[i];
      s.d[k] += (int)h.q_Xb_X[i];
    }
  return s;
}

double ratioOf(int64_t has, int64_t lacks) { return has ? (double)has / (double)(has + lacks) : 0.0; }

void enumerate(int k, int numSegm, int minNum, int numPow, std::vector<int> &bou,
               std::vector<std::vector<int>> &out) {
  if (k == numSegm) {
    if (numPow - bou[numSegm - 1] >= minNum) out.push_back(bou);
    return;
  }
  for (int b = bou[k - 1] + minNum; b <= numPow - minNum; b++) {
    bou[k] = b;
    enumerate(k + 1, numSegm, minNum, numPow, bou, out);
  }
}

RefResult referenceIncrEq(const HistXX &h, int numSegm, double coe, double freq) {
  const int numPow = h.numPow;
  numSegm = std::min(std::max(numSegm, 3), numPow / 2);
  RefResult r;
  if (numSegm < 1) {
    r.numPow = 0;
    return r;
  }
  int minNum = std::max(1, (int)(coe * numPow / numSegm));
  minNum = std::min(minNum, numPow / numSegm);
  std::vector<int> bou(numSegm + 1, 0);
  bou[numSegm] = numPow;
  std::vector<std::vector<int>> all;
  if (numSegm == 1)
    all.push_back(bou);
  else
    enumerate(1, numSegm, minNum, numPow, bou, all);

  double minDer = 1000000.0;
  std::vector<int> best;
  for (const auto &v : all) {
    const Sums s = sumsOf(h, v);
    std::vector<double> P(numSegm + 2), Q(numSegm + 2);
    P[0] = freq * freq;
    Q[0] = (1 - freq) * (1 - freq);
    P[numSegm + 1] = 1.0;
    Q[numSegm + 1] = 0.0;
    for (int k = 0; k < numSegm; k++) {
      P[k + 1] = ratioOf(s.a[k], s.b[k]);
      Q[k + 1] = ratioOf(s.c[k], s.d[k]);
    }
    double der = 0;
    for (int k = 1; k <= numSegm; k++) {
      der += std::fabs((P[k] - P[k - 1]) - (P[k + 1] - P[k]));
      der += std::fabs((Q[k] - Q[k - 1]) - (Q[k + 1] - Q[k]));
    }
    if (der < minDer) {
      minDer = der;
      best = v;
    }
  }
  const Sums s = sumsOf(h, best);
  for (int k = 0; k < numSegm; k++) {
    double x = ratioOf(s.a[k], s.b[k]), _x = ratioOf(s.c[k], s.d[k]);
    if (freq != 0) {
      x = (9 * x + freq) / 10;
      _x = (9 * _x + freq) / 10;
    }
    if (r.x.empty() || std::fabs(x - r.x.back()) > 0.001 || std::fabs(_x - r._x.back()) > 0.001) {
      r.x.push_back(x);
      r._x.push_back(_x);
      r.pow.push_back(h.Pow[best[k]]);
    }
  }
  r.numPow = (int)r.x.size();
  return r;
}

void expectSame(const HistXX &h, const RefResult &r, const std::string &what) {
  ASSERT_EQ(h.numPow, r.numPow) << what;
  for (int k = 0; k < r.numPow; k++) {
    EXPECT_EQ(h.Pow[k], r.pow[k]) << what << " segment " << k;
    EXPECT_EQ(h.qXbX[k], r.x[k]) << what << " segment " << k;
    EXPECT_EQ(h.q_XbX[k], r._x[k]) << what << " segment " << k;
  }
}

// Random counts on a grid of n bins; about one bin in five empty.
HistXX randomHist(std::mt19937 &rng, int n) {
  HistXX h(0, n - 1, 1, "R", 0);
  std::uniform_int_distribution<int> count(0, 40), empty(0, 4);
  for (int i = 0; i < n; i++) {
    const bool none = empty(rng) == 0;
    h.qXbX[i] = none ? 0 : count(rng);
    h.qXb_X[i] = none ? 0 : count(rng) + 0.75;  // fractions are cut before summing
    h.q_XbX[i] = count(rng) / 4;
    h.q_Xb_X[i] = count(rng) * 3;
  }
  return h;
}

TEST(HistSegm, IncrEqAgreesWithTheReference) {
  std::mt19937 rng(20240611);
  struct {
    int bins, segm;
    double coe, freq;
  } runs[] = {{6, 3, 0.3, 0.0},  {10, 3, 0.3, 0.2},  {10, 4, 0.0, 0.05}, {12, 5, 0.1, 0.5},
              {51, 3, 0.3, 0.1}, {20, 6, 0.2, 0.01}, {9, 3, 1.0, 0.3},   {15, 4, 2.5, 0.4},
              {7, 9, 0.3, 0.0},  {3, 3, 0.3, 0.2},   {2, 5, 0.3, 0.2},   {30, 3, 0.3, 1.0}};
  for (auto &run : runs)
    for (int rep = 0; rep < 6; rep++) {
      HistXX h = randomHist(rng, run.bins);
      const RefResult want = referenceIncrEq(h, run.segm, run.coe, run.freq);
      h.incrEq(run.segm, run.coe, run.freq);
      EXPECT_EQ(h.freq, run.freq);
      expectSame(h, want, std::to_string(run.bins) + " bins, " + std::to_string(run.segm) +
                              " segments, coe " + std::to_string(run.coe));
    }
}

TEST(HistSegm, EqualBendingKeepsTheFirstVector) {
  // Boundaries (1,3) and (2,3) both give the ratios 1/4, 1/2, 3/4 (bin 1 is empty), the
  // least bending; (1,3) comes first. Without freq nothing is smoothed.
  HistXX h(0, 5, 1, "T", 0);
  setCounts(h, {1, 0, 1, 3, 3, 3}, {3, 0, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1});
  h.incrEq(3, 0.3, 0.0);
  ASSERT_EQ(h.numPow, 3);
  EXPECT_EQ(h.Pow[0], 0.0);
  EXPECT_EQ(h.Pow[1], 1.0);
  EXPECT_EQ(h.Pow[2], 3.0);
  EXPECT_EQ(h.qXbX[0], 0.25);
  EXPECT_EQ(h.qXbX[1], 0.5);
  EXPECT_EQ(h.qXbX[2], 0.75);
  EXPECT_EQ(h.q_XbX[1], 0.0);
  EXPECT_EQ(h.freq, 0.0);
}

TEST(HistSegm, NeighboursWithin0001Merge) {
  // coe 1 on 6 bins and 3 segments: the single vector 0, 2, 4, 6. Segment ratios 0.5, 0.501
  // and 0.9 become 0.5, 0.5009 and 0.86 with freq 0.5.
  HistXX h(0, 5, 1, "M", 0);
  setCounts(h, {250, 250, 250, 251, 450, 450}, {250, 250, 250, 249, 50, 50},
            {50, 50, 50, 50, 50, 50}, {450, 450, 450, 450, 450, 450});
  h.incrEq(3, 1.0, 0.5);
  ASSERT_EQ(h.numPow, 2);
  EXPECT_EQ(h.Pow[0], 0.0);  // the first segment's bound and values stay
  EXPECT_EQ(h.Pow[1], 4.0);
  EXPECT_EQ(h.qXbX[0], (9 * 0.5 + 0.5) / 10);
  EXPECT_EQ(h.qXbX[1], (9 * 0.9 + 0.5) / 10);

  // The same ratios of "has X", but the other ratio 0.002 apart: kept apart.
  HistXX k(0, 5, 1, "K", 0);
  setCounts(k, {250, 250, 250, 251, 450, 450}, {250, 250, 250, 249, 50, 50},
            {50, 50, 51, 51, 50, 50}, {450, 450, 449, 449, 450, 450});
  k.incrEq(3, 1.0, 0.5);
  EXPECT_EQ(k.numPow, 3);

  // A last segment close to the one before it is absorbed, not counted.
  HistXX l(0, 5, 1, "L", 0);
  setCounts(l, {100, 100, 450, 450, 451, 450}, {400, 400, 50, 50, 49, 50},
            {50, 50, 50, 50, 50, 50}, {450, 450, 450, 450, 450, 450});
  l.incrEq(3, 1.0, 0.5);
  ASSERT_EQ(l.numPow, 2);
  EXPECT_EQ(l.Pow[1], 2.0);
  EXPECT_EQ(l.qXbX[1], (9 * 0.9 + 0.5) / 10);
}

TEST(HistSegm, EmptySegmentsAndSmallGrids) {
  // A segment without counts has ratio 0, not 0/0.
  HistXX h(0, 5, 1, "E", 0);
  setCounts(h, {0, 0, 4, 4, 9, 9}, {0, 0, 4, 4, 1, 1}, {0, 0, 0, 0, 1, 1}, {0, 0, 8, 8, 9, 9});
  h.incrEq(3, 1.0, 0.0);
  ASSERT_EQ(h.numPow, 3);
  EXPECT_EQ(h.qXbX[0], 0.0);
  EXPECT_EQ(h.q_XbX[0], 0.0);
  EXPECT_EQ(h.qXbX[1], 0.5);
  EXPECT_EQ(h.q_XbX[2], 0.1);

  HistXX one(0, 0, 1, "1", 0);
  ASSERT_EQ(one.numPow, 1);
  one.qXbX[0] = 5;
  one.incrEq(3, 0.3, 0.2);
  EXPECT_EQ(one.numPow, 0);
  testing::internal::CaptureStdout();
  const std::string out = histtest::written([&](FILE *f) { one.save(f, "KW", 1, 0.0); });
  fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "   All qXbX are equal to zero...");
  EXPECT_EQ(out, "");

  for (int bins = 2; bins <= 3; bins++) {
    HistXX g(0, bins - 1, 1, "g", 0);
    for (int i = 0; i < bins; i++) {
      g.qXbX[i] = 1 + i;
      g.qXb_X[i] = 3;
    }
    g.incrEq(5, 0.3, 0.0);
    ASSERT_EQ(g.numPow, 1) << bins;
    EXPECT_EQ(g.qXbX[0], bins == 2 ? 3.0 / 9 : 6.0 / 15) << bins;
  }
}

TEST(HistSegm, ShareAboveOneStaysInTheGrid) {
  // coe 5 on 10 bins would ask for segments of 16 bins; they are cut to 10/3 = 3.
  HistXX h(0, 9, 1, "C", 0);
  setCounts(h, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0},
            {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {5, 5, 5, 5, 5, 5, 5, 5, 5, 5});
  const RefResult want = referenceIncrEq(h, 3, 5.0, 0.1);
  h.incrEq(3, 5.0, 0.1);
  expectSame(h, want, "coe 5");
  EXPECT_GE(h.numPow, 1);
}

TEST(HistSegm, BoundaryEnumeration) {
  // 51 bins, 3 segments, coe 0.3: segments of at least 5 bins (0.3*51/3 = 5.0999...).
  HistXX h(0, 50, 1, "B", 0);
  for (int i = 0; i < 51; i++) {
    h.qXbX[i] = i % 7;
    h.qXb_X[i] = i % 5 + 0.5;
    h.q_XbX[i] = i % 3;
    h.q_Xb_X[i] = 2;
  }
  const int numSegm = 3, minNum = 5;
  int bou[4] = {0, 5, 10, 51};
  int64_t s[4][3];
  h.makeFreq(0, numSegm, bou, s[0], s[1], s[2], s[3]);
  int vectors = 1, ones = 0, twos = 0;
  int prev1 = bou[1], prev2 = bou[2];
  for (;;) {
    const int rc = h.nextBou(numSegm, minNum, bou, s[0], s[1], s[2], s[3]);
    if (!rc) break;
    vectors++;
    (rc == 1 ? ones : twos)++;
    // Lexicographic order, every segment at least minNum bins.
    ASSERT_TRUE(bou[1] > prev1 || (bou[1] == prev1 && bou[2] > prev2));
    ASSERT_GE(bou[1] - bou[0], minNum);
    ASSERT_GE(bou[2] - bou[1], minNum);
    ASSERT_GE(bou[3] - bou[2], minNum);
    prev1 = bou[1];
    prev2 = bou[2];
    // The running sums are those of the bins.
    int64_t t[4][3];
    h.makeFreq(0, numSegm, bou, t[0], t[1], t[2], t[3]);
    ASSERT_EQ(0, memcmp(s, t, sizeof s)) << bou[1] << " " << bou[2];
  }
  EXPECT_EQ(vectors, 703);
  EXPECT_EQ(twos, 36);  // the first boundary moves 41 - 5 = 36 times
  EXPECT_EQ(ones, 703 - 1 - 36);
  EXPECT_EQ(bou[1], 41);
  EXPECT_EQ(bou[2], 46);
  // At the end nothing changes.
  EXPECT_EQ(h.nextBou(numSegm, minNum, bou, s[0], s[1], s[2], s[3]), 0);
  EXPECT_EQ(bou[1], 41);

  // makeDer is the bending of the sums.
  int64_t a[] = {1, 2, 3}, b[] = {3, 2, 1}, c[] = {0, 0, 0}, d[] = {1, 1, 1};
  EXPECT_EQ(h.makeDer(3, a, b, c, d, 0.0), 1.0);
}

// ---------------------------------------------------------------------------------------
// Monotone fits
// ---------------------------------------------------------------------------------------

std::string monotOut(HistXX &h, int numSegm, double freq) {
  testing::internal::CaptureStdout();
  h.monot(numSegm, freq);
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

TEST(HistMonot, RisingRatioKeepsEveryBin) {
  HistXX h(0, 3, 1, "UP", 0);
  setCounts(h, {1, 2, 3, 4}, {9, 8, 7, 6}, {1, 2, 3, 4}, {9, 18, 27, 36});
  EXPECT_EQ(monotOut(h, 3, 0.0), "\n UP ");  // the qXbX fit ends on a single bin
  ASSERT_EQ(h.numPow, 4);
  const double x[] = {0.1, 0.2, 0.3, 0.4};
  for (int k = 0; k < 4; k++) {
    EXPECT_EQ(h.Pow[k], (double)k);
    EXPECT_EQ(h.qXbX[k], x[k]);
    EXPECT_EQ(h.q_XbX[k], 0.1);
  }
}

TEST(HistMonot, OneBinGridPrintsTwice) {
  HistXX h(0, 0, 1, "ONE", 0);
  setCounts(h, {1}, {3}, {2}, {0.5});
  EXPECT_EQ(monotOut(h, 3, 0.5), "\n ONE \n ONE ");
  ASSERT_EQ(h.numPow, 1);
  EXPECT_EQ(h.qXbX[0], (9 * 0.25 + 0.5) / 10);
  EXPECT_EQ(h.q_XbX[0], (9 * (2 / 2.5) + 0.5) / 10);
}

TEST(HistMonot, RowsMergeBothFits) {
  // qXbX steps start at bins 0 and 2, q_XbX steps at 0 and 1: rows 0 (a = b), 1 (a > b,
  // qXbX from the row before), 2 (qXbX only, q_XbX from the row before).
  HistXX h(0, 3, 1, "A", 0);
  setCounts(h, {1, 1, 5, 5}, {9, 9, 5, 5}, {3, 1, 1, 2}, {7, 9, 9, 8});
  EXPECT_EQ(monotOut(h, 3, 0.0), "");
  ASSERT_EQ(h.numPow, 3);
  EXPECT_EQ(h.Pow[1], 1.0);
  EXPECT_EQ(h.Pow[2], 2.0);
  EXPECT_EQ(h.qXbX[0], 0.1);
  EXPECT_EQ(h.q_XbX[0], 0.3);
  EXPECT_EQ(h.qXbX[1], 0.1);
  EXPECT_EQ(h.q_XbX[1], 4.0 / 30);
  EXPECT_EQ(h.qXbX[2], 0.5);
  EXPECT_EQ(h.q_XbX[2], 4.0 / 30);

  // qXbX steps at 0 and 1, q_XbX steps at 0 and 2: row 1 takes a < b, row 2 q_XbX only.
  HistXX g(0, 2, 1, "B", 0);
  setCounts(g, {1, 5, 5}, {9, 5, 5}, {3, 3, 1}, {7, 7, 9});
  EXPECT_EQ(monotOut(g, 3, 0.0), "");
  ASSERT_EQ(g.numPow, 3);
  EXPECT_EQ(g.qXbX[1], 0.5);
  EXPECT_EQ(g.q_XbX[1], 0.3);
  EXPECT_EQ(g.qXbX[2], 0.5);
  EXPECT_EQ(g.q_XbX[2], 0.1);
  EXPECT_EQ(g.Pow[2], 2.0);
  // The counts of "lacks X" are left as they were.
  EXPECT_EQ(g.qXb_X[0], 9.0);
  EXPECT_EQ(g.q_Xb_X[2], 9.0);
}

TEST(HistMonot, SegmentCountIsIgnoredAndStepsSmoothed) {
  std::mt19937 rng(7);
  for (int rep = 0; rep < 20; rep++) {
    HistXX a = randomHist(rng, 12);
    HistXX b(0, 11, 1, "R", 0);
    for (int i = 0; i < 12; i++) {
      b.qXbX[i] = a.qXbX[i];
      b.qXb_X[i] = a.qXb_X[i];
      b.q_XbX[i] = a.q_XbX[i];
      b.q_Xb_X[i] = a.q_Xb_X[i];
    }
    const std::string outA = monotOut(a, 4, 0.2), outB = monotOut(b, 9, 0.2);
    EXPECT_EQ(outA, outB);
    ASSERT_EQ(a.numPow, b.numPow);
    ASSERT_GE(a.numPow, 1);
    for (int k = 0; k < a.numPow; k++) {
      EXPECT_EQ(a.Pow[k], b.Pow[k]);
      EXPECT_EQ(a.qXbX[k], b.qXbX[k]);
      EXPECT_EQ(a.q_XbX[k], b.q_XbX[k]);
      // Smoothed toward 0.2, so within [0.02, 0.92].
      EXPECT_GE(a.qXbX[k], 0.02);
      EXPECT_LE(a.qXbX[k], 0.92 + 1e-12);
      if (k) {
        EXPECT_GT(a.Pow[k], a.Pow[k - 1]);
      }
    }
  }
}

TEST(HistMonot, StepSearches) {
  HistXX h(0, 4, 1, "S", 0);
  // Leading (top) empty bins join the top step; ties take the lower bin.
  setCounts(h, {1, 1, 1, 0, 0}, {1, 1, 3, 0, 0}, {0, 2, 0, 1, 0}, {0, 2, 4, 1, 0});
  double xx;
  EXPECT_EQ(h.findMaxPxx(0, 5, xx), 0);
  EXPECT_EQ(xx, 3.0 / 8);
  EXPECT_EQ(h.findMaxPxx(0, 2, xx), 0);  // equal ratios: the lower bin
  EXPECT_EQ(xx, 0.5);
  EXPECT_EQ(h.findMaxPxx(3, 5, xx), 3);
  EXPECT_EQ(xx, 0.0);
  // Bottom step: ties take the higher bin.
  EXPECT_EQ(h.findMaxP_xx(1, 5, xx), 1);
  EXPECT_EQ(xx, 0.5);
  EXPECT_EQ(h.findMaxP_xx(0, 5, xx), 1);  // bin 0 empty: 0/0 keeps the running best
  EXPECT_EQ(h.findMaxP_xx(3, 5, xx), 4);  // an empty bin keeps the ratio: the higher bin
  EXPECT_EQ(xx, 0.5);
  // Pooled ratios divide by at least 1.
  double _xx;
  h.makeProb(3, 5, xx, _xx, 0);
  EXPECT_EQ(xx, 0.0);
  EXPECT_EQ(_xx, 0.5);
  h.qXbX[4] = 0.25;
  h.makeProb(4, 5, xx, _xx, 0);
  EXPECT_EQ(xx, 0.25);
  EXPECT_EQ(_xx, 0.0);
}

}  // namespace
