// Recasting reads the standardised scores from a table of the few distinct raw scores and skips
// letters of zero frequency; a plain transcription of the definition must agree to the bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "inv_sqrt.h"
#include "testutil.h"
#include "w_matrix.h"

namespace {

// The definition: every term of all 21 x 21 pairs, in order, nothing skipped.
struct Plain {
  double mean, disp, mdisp, diag, cov;
  int elem[22][22];
  Plain(const int (&o)[22][22], const double *f1, const double *f2) {
    double m = 0;
    for (int i = 0; i < 21; i++)
      for (int j = 0; j < 21; j++) m += (f1[i] * f2[j]) * o[i][j];
    double v = 0;
    for (int i = 0; i < 21; i++)
      for (int j = 0; j < 21; j++) {
        double d = o[i][j] - m;
        v += (f1[i] * f2[j]) * (d * d);
      }
    mean = m;
    disp = v < 1e-8 ? 1.0 : v;
    mdisp = std::sqrt(disp);
    double d = 0;
    for (int i = 0; i < 21; i++) d += f1[i] * o[i][i];
    double c = 0;
    for (int i = 0; i < 21; i++) {
      double r = 0;
      for (int j = 0; j < 21; j++) r += f2[j] * (o[i][j] - mean);
      c += f1[i] * (r * r);
    }
    memset(elem, 0, sizeof elem);
    for (int i = 0; i < 21; i++)
      for (int j = 0; j < 21; j++) elem[i][j] = scaleToInt(((o[i][j] - mean) / mdisp) * 1000.0, 1.0L);
    diag = (d - mean) / mdisp;
    cov = c / disp;
  }
};

void randomFreq(std::mt19937 &rng, double *f, int zeros) {
  int count[22] = {0}, total = 0;
  for (int i = 0; i < 21; i++) {
    count[i] = (int)(rng() % 50);
    total += count[i];
  }
  for (int z = 0; z < zeros; z++) {
    const int i = (int)(rng() % 21);
    total -= count[i];
    count[i] = 0;
  }
  for (int i = 0; i < 22; i++) f[i] = (double)count[i] / (total ? total : 1);
}

void expectSame(const Weight_matrix &w, const Plain &p) {
  EXPECT_EQ(memcmp(&w.mean, &p.mean, sizeof(double)), 0);
  EXPECT_EQ(memcmp(&w.dispersion, &p.disp, sizeof(double)), 0);
  EXPECT_EQ(memcmp(&w.diag_average, &p.diag, sizeof(double)), 0);
  EXPECT_EQ(memcmp(&w.covariation, &p.cov, sizeof(double)), 0);
  for (int i = 0; i < 22; i++)
    for (int j = 0; j < 22; j++) ASSERT_EQ(w.elem[i][j], p.elem[i][j]) << i << " " << j;
}

TEST(MatrixRecast, AgreesWithTheDefinitionForNarrowAndWideScoreRanges) {
  std::mt19937 rng(2024);
  for (int iter = 0; iter < 300; iter++) {
    Weight_matrix w;
    // Raw scores of BLOSUM (normalised or not), or a wide range the table cannot hold.
    const int kind = iter % 3;
    w.makeBlos62();
    if (kind == 2)
      for (int i = 0; i < 22; i++)
        for (int j = 0; j <= i; j++)
          w.orig_elem[i][j] = w.orig_elem[j][i] = (int)(rng() % 2001) - 1000;
    double f1[22], f2[22];
    randomFreq(rng, f1, (int)(rng() % 15));
    randomFreq(rng, f2, (int)(rng() % 21));  // sparse: a short bank entry
    if (kind == 1) w.normalize(aa_frequences, f1);
    w.recast(f1, f2);
    expectSame(w, Plain(w.orig_elem, f1, f2));
  }
}

TEST(MatrixRecast, ScoreRangeAtTheTableEdge) {
  // 63 apart fits the table, 64 apart does not: both must give the definition.
  for (int span : {63, 64}) {
    Weight_matrix w;
    for (int i = 0; i < 22; i++)
      for (int j = 0; j < 22; j++) w.orig_elem[i][j] = ((i * 7 + j * 3) % 2) ? span : 0;
    w.orig_elem[3][3] = span / 2;
    w.recast(aa_frequences, aa_frequences);
    expectSame(w, Plain(w.orig_elem, aa_frequences, aa_frequences));
  }
}

TEST(MatrixRecast, SegmentRescoringWithFewLetters) {
  // recalcSum shares the sparse mean and variance: compare with the definition.
  Weight_matrix w;
  w.makeBlos62();
  w.recast(aa_frequences, aa_frequences);
  const char *a = "WWCCWHHW", *b = "WCCCYHHW";
  double ca[22] = {0}, cb[22] = {0};
  for (int k = 0; k < 8; k++) {
    ca[w.ord(a[k])] += 1.0 / 8;
    cb[w.ord(b[k])] += 1.0 / 8;
  }
  const Plain p(w.orig_elem, ca, cb);
  const double mdispHel = p.disp < 1e-6 ? 1.0 : std::sqrt(p.disp);
  const int want = scaleToInt(((w.mean - p.mean) * (8.0 * 1000) + w.mdisp * 12345) / mdispHel, 1.0L);
  double mult = 0, add = 0;
  EXPECT_EQ(w.recalcSum(8, a, b, 12345, 0, mult, add), want);
}

TEST(MatrixRecast, RescoringBoundNeverDropsAKeptSegment) {
  // recalcBelow may only say "below" when recalcSum's power is below the threshold; near the
  // threshold it must leave the decision to recalcSum, and clear cases it decides.
  std::mt19937 rng(11);
  const char *letters = "ACDEFGHIKLMNPQRSTVWYXBZ*-";
  int decided = 0, clearlyBelow = 0;
  for (int iter = 0; iter < 20000; iter++) {
    Weight_matrix w;
    w.makeBlos62();
    if (iter % 3 == 1)  // other score ranges, large and small
      for (int i = 0; i < 22; i++)
        for (int j = 0; j <= i; j++)
          w.orig_elem[i][j] = w.orig_elem[j][i] = (int)(rng() % 2001) - 1000;
    if (iter % 3 == 2)
      for (int i = 0; i < 22; i++)
        for (int j = 0; j <= i; j++) w.orig_elem[i][j] = w.orig_elem[j][i] = (int)(rng() % 3);
    w.recast(aa_frequences, aa_frequences);
    const int len = 1 + (int)(rng() % (iter % 10 == 0 ? 300 : 40));
    // Few distinct letters now and then: variances near zero.
    const int span = iter % 4 == 0 ? 1 + (int)(rng() % 3) : 25;
    std::string a, b;
    for (int k = 0; k < len; k++) {
      a += letters[rng() % span];
      b += letters[rng() % span];
    }
    const int sum = (int)(rng() % 200000) - 50000;
    double mult, add;
    const int s = w.recalcSum(len, a.c_str(), b.c_str(), sum, 0, mult, add);
    const int p = powerOf(s, len);
    // Thresholds at, just around and far from the exact power.
    const long double thr[] = {(long double)p, (long double)p + 1, (long double)p - 1,
                               (long double)p * 1.5L + 10, 4000.0L * 4096, 1.0L};
    for (long double t : thr) {
      const bool below = w.recalcBelow(len, a.c_str(), b.c_str(), sum, t);
      if (below) {
        ASSERT_LT((long double)p, t) << iter << " len " << len << " sum " << sum;
        decided++;
      }
      if ((long double)p < t && (long double)(p > 0 ? p : 0) * 1.01L + 100 < t) clearlyBelow++;
    }
  }
  // The bound is tight enough to matter: it decides nearly every clear case.
  EXPECT_GT(decided, clearlyBelow * 9 / 10);
}

// Every position may hold the extreme, the last four (past the eight-wide blocks) too.
void checkTableRange(VectorForm form) {
  std::mt19937 rng(13);
  for (int at = 0; at < 22 * 22; at++) {
    int t[22][22];
    int *flat = &t[0][0];
    for (int k = 0; k < 22 * 22; k++) flat[k] = (int)(rng() % 2001) - 1000;
    flat[at] = at % 2 ? INT32_MAX : INT32_MIN;
    int lo = 0, hi = 0;
    tableRange(t, lo, hi, form);
    ASSERT_EQ(lo, *std::min_element(flat, flat + 22 * 22)) << at;
    ASSERT_EQ(hi, *std::max_element(flat, flat + 22 * 22)) << at;
  }
}

TEST(MatrixRecast, TableRangeFindsTheExtremesAnywhere) { checkTableRange(VectorForm::Plain); }

TEST(MatrixRecast, TableRangeWideFormFindsTheExtremesAnywhere) {
  SKIP_WITHOUT_WIDE(kWideTableRange);
  checkTableRange(VectorForm::Wide);
}

// Ranges up to the 32 the permutation holds, values at both ends of each, and past it (where
// the wide form takes the plain lookup). Every entry against the definition.
void checkScaledLookUp(VectorForm form) {
  std::mt19937 rng(3);
  for (int range = 1; range <= 40; range++) {
    int o[22][22], scaled[64];
    const int lo = (int)(rng() % 200) - 100;
    for (int k = 0; k < 64; k++) scaled[k] = (int)rng();
    for (int i = 0; i < 22; i++)
      for (int j = 0; j < 22; j++) o[i][j] = lo + (int)(rng() % (unsigned)range);
    o[range % 21][0] = lo;
    o[0][range % 21] = lo + range - 1;
    int got[22][22];
    for (int i = 0; i < 22; i++)
      for (int j = 0; j < 22; j++) got[i][j] = -7;
    lookUpScaled(o, lo, range, scaled, got, form);
    for (int i = 0; i < 22; i++)
      for (int j = 0; j < 22; j++)
        ASSERT_EQ(got[i][j], i < 21 && j < 21 ? scaled[o[i][j] - lo] : -7)
            << range << " " << i << " " << j;
  }
}

TEST(MatrixRecast, ScaledLookUpPlainFormFollowsTheDefinition) { checkScaledLookUp(VectorForm::Plain); }

TEST(MatrixRecast, ScaledLookUpWideFormFollowsTheDefinition) {
  SKIP_WITHOUT_WIDE(kWideLookUp);
  checkScaledLookUp(VectorForm::Wide);
}

}  // namespace
