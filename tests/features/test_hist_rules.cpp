// Segmentation (least bending against a reference written from the definition, the boundary
// enumeration, merging, the monotone fits) and the prediction rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "hist_fixture.h"
#include "hist_xx.h"

using namespace histtest;

namespace {

// Reference least bending: every vector from scratch in lexicographic order, terms added one
// by one, the first least kept, segments written back with merging.
void referenceIncrEq(const HistXX &h, int numSegm, double coe, double freq,
                     std::vector<double> &out) {
  const int n = h.numPow;
  numSegm = std::min(std::max(numSegm, 3), n / 2);
  if (numSegm < 1) return;
  const int minNum = std::min(std::max(1, (int)(coe * n / numSegm)), n / numSegm);
  auto ratios = [&](const std::vector<int> &v, std::vector<double> &P, std::vector<double> &Q) {
    for (int k = 0; k < numSegm; k++) {
      int64_t s[4] = {};
      for (int i = v[k]; i < v[k + 1]; i++)
        s[0] += (int)h.qXbX[i], s[1] += (int)h.qXb_X[i], s[2] += (int)h.q_XbX[i],
            s[3] += (int)h.q_Xb_X[i];
      P[k + 1] = s[0] ? (double)s[0] / (s[0] + s[1]) : 0.0;
      Q[k + 1] = s[2] ? (double)s[2] / (s[2] + s[3]) : 0.0;
    }
  };
  std::vector<int> v(numSegm + 1), best;
  std::vector<double> P(numSegm + 2), Q(numSegm + 2);
  double minDer = 1000000.0;
  std::function<void(int)> walk = [&](int k) {
    if (k < numSegm) {
      for (v[k] = k ? v[k - 1] + minNum : 0; v[k] <= n - minNum; v[k]++) walk(k + 1);
      return;
    }
    v[numSegm] = n;
    if (k && n - v[numSegm - 1] < minNum) return;
    P[0] = freq * freq, Q[0] = (1 - freq) * (1 - freq), P[numSegm + 1] = 1.0, Q[numSegm + 1] = 0.0;
    ratios(v, P, Q);
    double der = 0;
    for (int s = 1; s <= numSegm; s++) {
      der += std::fabs((P[s] - P[s - 1]) - (P[s + 1] - P[s]));
      der += std::fabs((Q[s] - Q[s - 1]) - (Q[s + 1] - Q[s]));
    }
    if (der < minDer) minDer = der, best = v;
  };
  walk(1);
  ratios(best, P, Q);
  for (int k = 0; k < numSegm; k++) {
    const double x = freq != 0 ? (9 * P[k + 1] + freq) / 10 : P[k + 1];
    const double _x = freq != 0 ? (9 * Q[k + 1] + freq) / 10 : Q[k + 1];
    const size_t m = out.size();
    if (!m || std::fabs(x - out[m - 2]) > 0.001 || std::fabs(_x - out[m - 1]) > 0.001)
      out.insert(out.end(), {h.Pow[best[k]], x, _x});
  }
}

TEST(HistSegm, IncrEqAgreesWithTheReference) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> count(0, 40);
  const struct {
    int bins, segm;
    double coe, freq;
  } runs[] = {{6, 3, 0.3, 0.0},   {10, 4, 0.0, 0.05}, {12, 5, 0.1, 0.5}, {51, 3, 0.3, 0.1},
              {20, 6, 0.2, 0.01}, {15, 4, 2.5, 0.4},  {7, 9, 0.3, 0.0},  {3, 3, 0.3, 0.2}};
  for (auto &r : runs)
    for (int rep = 0; rep < 6; rep++) {
      HistXX h(0, r.bins - 1, 1, "R", 0);
      for (int i = 0; i < r.bins; i++) {
        const bool none = count(rng) < 8;  // empty bins: ratio 0, not 0/0
        h.qXbX[i] = none ? 0 : count(rng);
        h.qXb_X[i] = none ? 0 : count(rng) + 0.75;  // fractions are cut before summing
        h.q_XbX[i] = count(rng) / 4;
        h.q_Xb_X[i] = count(rng) * 3;
      }
      std::vector<double> want;
      referenceIncrEq(h, r.segm, r.coe, r.freq, want);
      h.incrEq(r.segm, r.coe, r.freq);
      ASSERT_EQ(h.numPow * 3, (int)want.size()) << r.bins << " bins, coe " << r.coe;
      for (int k = 0; k < h.numPow; k++)
        EXPECT_TRUE(h.Pow[k] == want[3 * k] && h.qXbX[k] == want[3 * k + 1] &&
                    h.q_XbX[k] == want[3 * k + 2])
            << r.bins << " bins, segment " << k;
    }
}

TEST(HistSegm, TiesMergesAndSmallGrids) {
  // Boundaries (1,3) and (2,3) both give 1/4, 1/2, 3/4 (bin 1 is empty): the first wins.
  HistXX h(0, 5, 1, "T", 0);
  setCounts(h, {1, 0, 1, 3, 3, 3}, {3, 0, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1});
  h.incrEq(3, 0.3, 0.0);
  ASSERT_EQ(h.numPow, 3);
  EXPECT_TRUE(h.Pow[1] == 1.0 && h.Pow[2] == 3.0 && h.qXbX[0] == 0.25 && h.qXbX[2] == 0.75);

  // coe 1 on 6 bins: the one vector 0, 2, 4, 6. Ratios 0.5, 0.501 (0.5009 smoothed toward
  // 0.5: merged, the first bound kept) and 0.9; then the other ratio 0.002 apart: kept.
  for (double other : {50.0, 51.0}) {
    HistXX m(0, 5, 1, "M", 0);
    setCounts(m, {250, 250, 250, 251, 450, 450}, {250, 250, 250, 249, 50, 50},
              {50, 50, other, other, 50, 50}, {450, 450, 500 - other, 500 - other, 450, 450});
    m.incrEq(3, 1.0, 0.5);
    ASSERT_EQ(m.numPow, other == 50 ? 2 : 3);
    EXPECT_EQ(m.Pow[m.numPow - 1], 4.0);
    EXPECT_EQ(m.qXbX[m.numPow - 1], (9 * 0.9 + 0.5) / 10);
  }
  // coe 5 would ask for 16 of 10 bins per segment: cut to 3, and the search stays inside.
  HistXX c(0, 9, 1, "C", 0);
  setCounts(c, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, {}, {});
  c.incrEq(3, 5.0, 0.0);
  EXPECT_TRUE(c.numPow >= 1 && c.Pow[0] == 0);

  HistXX one(0, 0, 1, "1", 0), two(0, 1, 1, "2", 0), three(0, 2, 1, "3", 0);
  one.qXbX[0] = 5;
  one.incrEq(3, 0.3, 0.2);
  EXPECT_EQ(one.numPow, 0);  // no block will be written
  setCounts(two, {1, 2}, {3, 3}, {}, {});
  two.incrEq(5, 0.3, 0.0);
  EXPECT_TRUE(two.numPow == 1 && two.qXbX[0] == 3.0 / 9);
  setCounts(three, {1, 2, 9}, {3, 3, 0}, {1, 0, 0}, {0, 0, 4});
  three.incrEq(3, 0.3, 0.0);
  EXPECT_TRUE(three.numPow == 1 && three.qXbX[0] == 12.0 / 18 && three.q_XbX[0] == 1.0 / 5);
}

TEST(HistSegm, BoundaryEnumeration) {
  // 51 bins, 3 segments, coe 0.3: segments of at least 5 bins (0.3*51/3 = 5.0999...).
  HistXX h(0, 50, 1, "B", 0);
  for (int i = 0; i < 51; i++) h.qXbX[i] = i % 7, h.qXb_X[i] = i % 5 + 0.5, h.q_XbX[i] = i % 3;
  int bou[4] = {0, 5, 10, 51}, vectors = 1, twos = 0;
  int64_t s[4][3], t[4][3];
  h.makeFreq(0, 3, bou, s[0], s[1], s[2], s[3]);
  while (int rc = h.nextBou(3, 5, bou, s[0], s[1], s[2], s[3])) {
    vectors++;
    twos += rc == 2;
    ASSERT_TRUE(bou[2] - bou[1] >= 5 && bou[3] - bou[2] >= 5);
    h.makeFreq(0, 3, bou, t[0], t[1], t[2], t[3]);
    ASSERT_EQ(0, memcmp(s, t, sizeof s)) << bou[1] << " " << bou[2];  // running sums hold
  }
  EXPECT_EQ(vectors, 703);
  EXPECT_EQ(twos, 36);
  EXPECT_TRUE(bou[1] == 41 && bou[2] == 46);
  int64_t a[] = {1, 2, 3}, b[] = {3, 2, 1}, c[] = {0, 0, 0}, d[] = {1, 1, 1};
  EXPECT_EQ(h.makeDer(3, a, b, c, d, 0.0), 1.0);
}

// The bending is summed term by term, the qXbX term of a segment before its q_XbX term:
// for these sums adding each segment's two terms first rounds differently.
TEST(HistSegm, BendingTermsAddedInOrder) {
  HistXX h(0, 5, 1, "D", 0);
  int64_t a[] = {2, 4, 5}, b[] = {9, 5, 6}, c[] = {2, 0, 1}, e[] = {2, 5, 9};
  const double freq = 0.5;
  double P[5] = {freq * freq}, Q[5] = {(1 - freq) * (1 - freq)};
  P[4] = 1.0, Q[4] = 0.0;
  for (int s = 0; s < 3; s++) {
    P[s + 1] = (double)a[s] / (a[s] + b[s]);
    Q[s + 1] = c[s] ? (double)c[s] / (c[s] + e[s]) : 0.0;
  }
  double inOrder = 0, paired = 0;
  for (int s = 1; s <= 3; s++) {
    const double x = std::fabs((P[s] - P[s - 1]) - (P[s + 1] - P[s]));
    const double y = std::fabs((Q[s] - Q[s - 1]) - (Q[s + 1] - Q[s]));
    inOrder += x;
    inOrder += y;
    paired += x + y;
  }
  ASSERT_NE(inOrder, paired);
  EXPECT_EQ(h.makeDer(3, a, b, c, e, freq), inOrder);
}

TEST(HistMonot, Fits) {
  // Rising qXbX ratio: every bin a step, the fit ends on a single bin and prints the name.
  HistXX up(0, 3, 1, "UP", 0);
  setCounts(up, {1, 2, 3, 4}, {9, 8, 7, 6}, {1, 2, 3, 4}, {9, 18, 27, 36});
  EXPECT_EQ(printed([&] { up.monot(3, 0.0); }), "\n UP ");
  ASSERT_EQ(up.numPow, 4);
  EXPECT_TRUE(up.qXbX[1] == 0.2 && up.qXbX[3] == 0.4 && up.q_XbX[3] == 0.1 && up.Pow[3] == 3);

  // One bin: both fits print, one smoothed row.
  HistXX one(0, 0, 1, "ONE", 0);
  setCounts(one, {1}, {3}, {2}, {0.5});
  EXPECT_EQ(printed([&] { one.monot(9, 0.5); }), "\n ONE \n ONE ");
  EXPECT_TRUE(one.numPow == 1 && one.qXbX[0] == (9 * 0.25 + 0.5) / 10 &&
              one.q_XbX[0] == (9 * (2 / 2.5) + 0.5) / 10);

  // Steps at {0, 2} and {0, 1}: rows a = b, a > b (qXbX carried), qXbX only (q_XbX carried).
  HistXX h(0, 3, 1, "A", 0);
  setCounts(h, {1, 1, 5, 5}, {9, 9, 5, 5}, {3, 1, 1, 2}, {7, 9, 9, 8});
  EXPECT_EQ(printed([&] { h.monot(3, 0.0); }), "");
  ASSERT_EQ(h.numPow, 3);
  EXPECT_TRUE(h.qXbX[0] == 0.1 && h.q_XbX[0] == 0.3 && h.qXbX[1] == 0.1 && h.q_XbX[1] == 4.0 / 30);
  EXPECT_TRUE(h.qXbX[2] == 0.5 && h.q_XbX[2] == 4.0 / 30 && h.Pow[1] == 1 && h.Pow[2] == 2);
  // Steps at {0, 1} and {0, 2}: a < b (q_XbX carried), then q_XbX only.
  HistXX g(0, 2, 1, "B", 0);
  setCounts(g, {1, 5, 5}, {9, 5, 5}, {3, 3, 1}, {7, 7, 9});
  g.monot(4, 0.0);
  ASSERT_EQ(g.numPow, 3);
  EXPECT_TRUE(g.qXbX[1] == 0.5 && g.q_XbX[1] == 0.3 && g.qXbX[2] == 0.5 && g.q_XbX[2] == 0.1 &&
              g.qXb_X[0] == 9);
}

TEST(HistMonot, LastRowAndIgnoredCount) {
  // Bins 0-2 pool to 117/182 = 9/14 = bin 2's ratio, but 182*(9/14) rounds above 117, so
  // bin 2 is a step of its own and bins 0-1 (63/98, 9/14 again) the one below: two rows with
  // both ratios equal (q_XbX one step, carried), and the last is dropped.
  ASSERT_GT(182 * (9.0 / 14), 117.0);
  HistXX d(0, 2, 1, "D", 0);
  setCounts(d, {22, 41, 54}, {4, 31, 30}, {19, 22, 58}, {27, 19, 8});
  EXPECT_EQ(printed([&] { d.monot(3, 0.0); }), "");
  ASSERT_EQ(d.numPow, 1);
  EXPECT_TRUE(d.Pow[0] == 0 && d.qXbX[0] == 63.0 / 98 && d.q_XbX[0] == 99.0 / 153);

  // The segment count is not used: mon4 and mon9 agree.
  HistXX m4(0, 5, 1, "M", 0), m9(0, 5, 1, "M", 0);
  for (HistXX *h : {&m4, &m9})
    setCounts(*h, {3, 1, 4, 1, 5, 9}, {2, 6, 5, 3, 5, 8}, {9, 7, 9, 3, 2, 3}, {8, 4, 6, 2, 6, 4});
  m4.monot(4, 0.3);
  m9.monot(9, 0.3);
  ASSERT_EQ(m4.numPow, m9.numPow);
  ASSERT_GT(m4.numPow, 1);
  for (int k = 0; k < m4.numPow; k++)
    EXPECT_TRUE(m4.Pow[k] == m9.Pow[k] && m4.qXbX[k] == m9.qXbX[k] && m4.q_XbX[k] == m9.q_XbX[k]);
}

TEST(HistPred, Fnormal) {
  const double x[] = {0.01, 1.0, 1.96, 2.999, 3.0},
               want[] = {0.503989, 0.840558, 0.973299, 0.996633, 0.998523};
  for (int i = 0; i < 5; i++) EXPECT_NEAR(Fnormal(x[i]), want[i], 5e-7) << x[i];
  EXPECT_TRUE(Fnormal(0.0) == 0.5 && Fnormal(0.005) == 0.5 && Fnormal(NAN) == 0.5);
  EXPECT_EQ(Fnormal(0.29), Fnormal(0.28));  // n = (int)(x/0.01) = 28 for both
  for (double v : {0.37, 2.5, 7.5, (double)INFINITY}) EXPECT_EQ(Fnormal(-v), 1 - Fnormal(v)) << v;
}

TEST(HistPred, NoSeparation) {
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0, 4}, {0.6, 0.3}, {0.1, 0.4});  // segment 1: qXbX < q_XbX, both the mean
  const int none[] = {0, 0}, some[] = {0, 7};
  double Pxx[2], Px_x[2];
  EXPECT_EQ(h.makePxP_x(Pxx, Px_x, some), 1);
  EXPECT_TRUE(Pxx[1] == (0.3 + 0.4) * 0.5 && Px_x[1] == Pxx[1]);
  // With observations in both segments the mean segment separates nothing: weight 0.
  const int both[] = {10, 7};
  double A[2];
  ASSERT_EQ(h.makePxP_x(Pxx, Px_x, both), 0);
  h.makeA(Pxx, Px_x, both, both, A);
  EXPECT_EQ(A[1], 0.0);
  EXPECT_NEAR(A[0], 0.1, 1e-15);
  predPAR p;
  for (double freq : {0.6, 0.59}) {
    h.freq = freq;
    p.P1divP2 = p.gamma = 5;  // nothing of an earlier call survives
    h.predFT(&p, none, none, 0, 0);
    const bool on = freq >= 0.6;
    EXPECT_TRUE(p.isPred == on && p.ita == (on ? 0.6 : 0) && p.gamma == (on ? 0.6 - 0.001 : 0) &&
                p.P1 == (on ? 99.0 : 0) && p.P1divP2 == 0.0)
        << freq;
  }
}

// One segment of n observations: the weight is 1/n and the rest has a closed form.
TEST(HistPred, OneSegment) {
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0}, {0.8}, {0.2});
  const int all[] = {10}, six[] = {6}, three[] = {3};
  predPAR p;
  h.predFT(&p, all, six, 0, 0);
  const double sig = std::sqrt(0.8 * 0.2 / 10), a = 0.4 / sig, b = -0.2 / sig;
  EXPECT_NEAR(p.ita, 0.6, 1e-12);
  EXPECT_NEAR(p.gamma, 0.5, 1e-12);
  EXPECT_NEAR(p.P1, std::sqrt(a * a - b * b), 1e-9);
  const double x = Fnormal(b) / (1 - Fnormal(a));  // about 67: thresholds 75.9 and 81.2
  EXPECT_TRUE(p.isPred == 1 && x > 60 && x < 75 && p.P1divP2 == 0.75);
  h.predFT(&p, all, six, 1, 0);
  EXPECT_EQ(p.P1divP2, 0.6875);
  h.predFT(&p, all, three, 0, 0);  // below gamma; a^2 < b^2 gives strength 0
  EXPECT_TRUE(p.isPred == 0 && p.P1 == 0.0);

  // Ratios 1 and 0 have no spread: gamma is the midpoint (ita equal to it is predicted) or,
  // from freq 0.6, just below ita; below 0.3 nothing is predicted.
  setRows(h, {0}, {1.0}, {0.0});
  const int two[] = {2}, one[] = {1}, zero[] = {0};
  h.freq = 0.59;
  h.predFT(&p, two, one, 0, 0);
  EXPECT_TRUE(p.ita == 0.5 && p.gamma == 0.5 && p.isPred == 1 && p.P1 == 100 && p.P1divP2 == 0);
  h.freq = 0.8;
  h.predFT(&p, two, one, 0, 0);
  EXPECT_TRUE(p.gamma == 0.5 - 0.00001 && p.isPred == 1 && p.P1divP2 == (0.8 - 0.6) / 0.4);
  h.predFT(&p, two, zero, 0, 0);
  EXPECT_TRUE(p.gamma == 0.0001 && p.isPred == 0);
}

TEST(HistPred, StrengthAndProbability) {
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0}, {0.5}, {0.0});
  const int four[] = {4}, hundred[] = {100};
  const double quarter[] = {0.25}, cent[] = {0.01};
  predPAR p;
  auto run = [&](double ita, double P, double Q, const double *A, const int *all, int row) {
    const double Pxx[] = {P}, Px_x[] = {Q};
    h.makeGamma(&p, ita, Pxx, Px_x, A, all, nullptr, row, 0);
  };
  run(0.8, 0.5, 0.0, quarter, four, 0);  // only sigX, above MX
  EXPECT_EQ(p.P1, 10000.0);
  run(0.4, 0.5, 0.0, quarter, four, 0);  // at or below MX
  EXPECT_EQ(p.P1, 100.0);
  run(0.5, 1.0, 0.5, quarter, four, 0);  // only sig_X: sqrt(0.01); x = 1/0.5
  EXPECT_TRUE(p.P1 == 0.1 && p.P1divP2 == 0.33702);
  run(0.5, 1.0, 0.5, quarter, four, 1);
  EXPECT_EQ(p.P1divP2, 0.32159);
  // MX 0.9 (sigX 0.03) and M_X 0.85: x about 0.04, then 0, then p2 below 1e-5 (x = 100).
  const double ita[] = {0.84, -0.4, 1.2}, row0[] = {0.01545, 0.00592, 1.0},
               row1[] = {0.00644, 0.00509, 1.0};
  for (int i = 0; i < 3; i++) {
    run(ita[i], 0.9, 0.85, cent, hundred, 0);
    EXPECT_EQ(p.P1divP2, row0[i]) << ita[i];
    run(ita[i], 0.9, 0.85, cent, hundred, 1);
    EXPECT_EQ(p.P1divP2, row1[i]) << ita[i];
  }
  // A not-a-number ratio reaches no conversion (the sanitizer build checks).
  setRows(h, {0, 3}, {NAN, 0.9}, {0.1, NAN});
  const int all[] = {4, 4}, ksi[] = {2, 4};
  h.predFT(&p, all, ksi, 0, 0);
  EXPECT_TRUE(p.isPred == 0 || p.isPred == 1);
}

TEST(HistPred, TwoSegmentWeights) {
  HistXX h(0, 10, 1, "K", 0);
  setRows(h, {0, 3}, {0.55, 0.95}, {0.3, 0.05});
  const int all[] = {20, 8}, ksi[] = {13, 7};
  double Pxx[2], Px_x[2], A[2];
  ASSERT_EQ(h.makePxP_x(Pxx, Px_x, all), 0);
  h.makeA(Pxx, Px_x, all, ksi, A);
  EXPECT_NEAR(A[0] * 20 + A[1] * 8, 1.0, 1e-12);  // normalised
  EXPECT_GT(A[1], A[0]);                          // the sharper segment weighs more
  double B[2] = {0, 0};
  int steps = 0;
  while (next(B, all, 2)) steps++;
  EXPECT_EQ(steps, 12 * 12 - 1);  // 0.1 added to 0.9999999999999999, then once more
}

}  // namespace
