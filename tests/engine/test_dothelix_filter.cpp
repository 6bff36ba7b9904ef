// The quick proof that a profile holds no segment: never wrong (checked against every run of
// the profile), exact at the threshold, and useful on noise at the search's own scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "dothelix.h"
#include "inv_sqrt.h"
#include "testutil.h"

namespace {

// Some run of at least L positions reaches power P (the definition, over every run).
bool somethingPasses(const std::vector<int> &e, int L, int P) {
  L = L < 1 ? 1 : L;
  P = P < 1 ? 1 : P;
  const int n = (int)e.size();
  for (int i = 0; i < n; i++) {
    long long s = 0;
    for (int j = i; j < n; j++) {
      s += e[(size_t)j];
      if (j - i + 1 >= L && powerOf(s, j - i + 1) >= P) return true;
    }
  }
  return false;
}

// The least sum a run of n positions needs to reach P.
long long need(int P, int n) {
  long long f = lenFactor(n);
  return (P + f - 1) / f;
}

// A run of n positions summing to `sum` (spread evenly, the rest on the first) between walls.
std::vector<int> plantedRun(int n, long long sum, int wall) {
  std::vector<int> p(3, -wall);
  for (int i = 0; i < n; i++) p.push_back((int)(sum / n + (i == 0 ? sum % n : 0)));
  p.insert(p.end(), 3, -wall);
  return p;
}

TEST(HelixFilter, NeverRejectsAProfileWithAPassingRun) {
  std::mt19937 rng(777);
  HelixFilter filter;
  int rejected = 0, passing = 0;
  for (int iter = 0; iter < 4000; iter++) {
    const int len = 1 + (int)(rng() % 250);
    const int spread = 1 + (int)(rng() % 3000);
    const int bias = (int)(rng() % 600) - 400;
    std::vector<int> p((size_t)len);
    for (int &v : p) v = (int)(rng() % (2 * spread + 1)) - spread + bias;
    // A few related stretches, as a kept diagonal of two relatives shows them.
    if (rng() % 3 == 0) {
      const int at = (int)(rng() % (unsigned)len), run = 1 + (int)(rng() % 40);
      for (int i = at; i < len && i < at + run; i++) p[(size_t)i] += 1500;
    }
    const int L = (int)(rng() % 12) - 1;
    const int P = iter % 2 ? 16384000 : (int)(rng() % 20000000);
    filter.prepare(L, P);
    const bool passes = somethingPasses(p, L, P);
    passing += passes;
    if (filter.rejects(p.data(), len)) {
      rejected++;
      ASSERT_FALSE(passes) << "iteration " << iter;
      // And so the search finds nothing.
      int num = -1;
      Homology_info *h = DotHelix(p.data(), len, L, P, num, (int)(rng() % 2));
      ASSERT_EQ(h, nullptr);
      ASSERT_EQ(num, 0);
    }
  }
  // Both outcomes occur, so the check above is not empty.
  EXPECT_GT(rejected, 1000);
  EXPECT_GT(passing, 200);
}

TEST(HelixFilter, ExactAtThePowerThreshold) {
  // A run that just reaches P at lengths across several bands is let through; one short of it
  // is proved empty when nothing else in the profile comes near.
  const int P = 16384000, L = 7;
  HelixFilter filter;
  filter.prepare(L, P);
  for (int n : {7, 8, 13, 27, 28, 55, 56, 107, 111, 112, 199, 447, 448, 2048, 2049, 5000}) {
    const long long s = need(P, n);
    std::vector<int> hit = plantedRun(n, s, 1000000);
    ASSERT_TRUE(somethingPasses(hit, L, P)) << n;
    EXPECT_FALSE(filter.rejects(hit.data(), (int)hit.size())) << n;
    int num = 0;
    Homology_info *h = DotHelix(hit.data(), (int)hit.size(), L, P, num, 1);
    EXPECT_EQ(num, 1) << n;
    delete[] h;
  }
  // One below the need at the shortest length: the best run of the profile misses P.
  std::vector<int> miss = plantedRun(L, need(P, L) - 1, 1000000);
  ASSERT_FALSE(somethingPasses(miss, L, P));
  EXPECT_TRUE(filter.rejects(miss.data(), (int)miss.size()));
}

TEST(HelixFilter, ShortProfilesAndLengthsWithoutFactor) {
  HelixFilter filter;
  filter.prepare(5, 1);
  std::vector<int> p{100, 100, 100, 100};
  EXPECT_TRUE(filter.rejects(p.data(), 4));  // shorter than L
  filter.prepare(0, 0);                      // act as 1 and 1
  EXPECT_FALSE(filter.rejects(p.data(), 1));
  std::vector<int> neg{0, -1, 0};
  EXPECT_TRUE(filter.rejects(neg.data(), 3));
  // Beyond 32767 positions the length factor is 0: such runs have no power.
  filter.prepare(33000, 1);
  std::vector<int> lng(33100, 50);
  EXPECT_TRUE(filter.rejects(lng.data(), (int)lng.size()));
  int num = -1;
  EXPECT_EQ(DotHelix(lng.data(), (int)lng.size(), 33000, 1, num, 1), nullptr);
  // The same profile with a shorter L has segments, and the bands grow to cover it.
  filter.prepare(20000, 1);
  EXPECT_FALSE(filter.rejects(lng.data(), (int)lng.size()));
}

TEST(HelixFilter, HugeScoresDoNotOverflow) {
  HelixFilter filter;
  filter.prepare(2, 2147483647);
  std::vector<int> p(3000, 2000000000);
  EXPECT_FALSE(filter.rejects(p.data(), (int)p.size()));
  std::vector<int> q(3000, -2000000000);
  EXPECT_TRUE(filter.rejects(q.data(), (int)q.size()));
  // Alternating extremes: sums far beyond 32 bits, and no run of two or more reaches P.
  for (size_t i = 0; i < q.size(); i += 2) q[i] = 2000000000;
  q[0] = -2000000000;
  for (size_t i = 0; i + 1 < q.size(); i += 2) q[i + 1] = -2000000001;
  EXPECT_EQ(filter.rejects(q.data(), (int)q.size()) && somethingPasses(q, 2, 2147483647), false);
}

// Stretches asked in any order (same end, starts moving either way, ends changing, values
// rewritten in place) give what the check of the stretch on its own gives (in the wide form,
// with L 1 an end past 255 has five bands: the plain scan then).
void checkSharedEnds(VectorForm form) {
  std::mt19937 rng(4242);
  HelixFilter filter, whole;
  filter.vectorForm = form;
  int rejected = 0, passed = 0;
  std::vector<int> p(300);
  for (int round = 0; round < 600; round++) {
    const int spread = 200 + (int)(rng() % 2000), bias = (int)(rng() % 400) - 300;
    for (int &v : p) v = (int)(rng() % (2 * spread + 1)) - spread + bias;
    for (int k = 0; k < 3; k++) {
      const int at = (int)(rng() % 300), run = 1 + (int)(rng() % 30);
      for (int i = at; i < 300 && i < at + run; i++) p[(size_t)i] += 1200;
    }
    const int L = 1 + (int)(rng() % 12), P = (int)(rng() % 30000000);
    filter.prepare(L, P);
    whole.prepare(L, P);
    filter.newProfile();  // the values changed under the same pointer
    int end = 1 + (int)(rng() % 300);
    for (int q = 0; q < 40; q++) {
      if (rng() % 8 == 0) end = 1 + (int)(rng() % 300);
      const int s = (int)(rng() % (unsigned)end);
      const bool twin = whole.rejects(p.data() + s, end - s);
      ASSERT_EQ(filter.rejectsSuffix(p.data(), s, end), twin)
          << "round " << round << " stretch " << s << ".." << end;
      (twin ? rejected : passed)++;
    }
  }
  EXPECT_GT(rejected, 2000);
  EXPECT_GT(passed, 2000);
}

TEST(HelixFilter, StretchesSharingAnEndAgreeWithTheWholeCheck) {
  checkSharedEnds(VectorForm::Plain);
}

TEST(HelixFilter, WideScanOfStretchesSharingAnEndAgreesWithTheWholeCheck) {
  SKIP_WITHOUT_WIDE(kWideBandScan);
  checkSharedEnds(VectorForm::Wide);
}

// The walk of the segment finder: one end, starts moving right one by one. The answer flips
// from pass to reject exactly once, at the twin's place, also when the passing run sits
// within a few values of a group boundary of the scan.
void checkRightwardStarts(VectorForm form) {
  std::mt19937 rng(77);
  for (int round = 0; round < 400; round++) {
    const int n = 20 + (int)(rng() % 200);
    std::vector<int> p((size_t)n);
    for (int &v : p) v = -(int)(rng() % 900);
    const int w = 7 + (int)(rng() % 10), at = (int)(rng() % (unsigned)(n - w));
    for (int i = at; i < at + w; i++) p[(size_t)i] = 3000 + (int)(rng() % 200);
    HelixFilter filter, whole;
    filter.vectorForm = form;
    filter.prepare(7, 16384000);
    whole.prepare(7, 16384000);
    for (int s = 0; s < n; s++)
      ASSERT_EQ(filter.rejectsSuffix(p.data(), s, n), whole.rejects(p.data() + s, n - s))
          << "round " << round << " start " << s;
  }
}

TEST(HelixFilter, StartsWalkedRightwardsFindTheFirstPassingStart) {
  checkRightwardStarts(VectorForm::Plain);
}

TEST(HelixFilter, WideScanOfStartsWalkedRightwardsFindsTheFirstPassingStart) {
  SKIP_WITHOUT_WIDE(kWideBandScan);
  checkRightwardStarts(VectorForm::Wide);
}

TEST(HelixFilter, ProvesMostNoiseEmptyAtTheSearchScale) {
  // Scores of unrelated letters: mean 0, spread about 1000; thresholds of the default search.
  std::mt19937 rng(99);
  std::normal_distribution<double> noise(0.0, 1000.0);
  HelixFilter filter;
  filter.prepare(7, 16384000);
  int rejected = 0;
  for (int iter = 0; iter < 500; iter++) {
    std::vector<int> p(107);
    for (int &v : p) v = (int)noise(rng);
    if (filter.rejects(p.data(), 107)) rejected++;
  }
  EXPECT_GT(rejected, 400);
}

}  // namespace

namespace {

// kLanes random profiles interleaved as the batch screen reads them, padded past their length.
struct Batch {
  std::vector<int> elem;
  int len[HelixFilter::kLanes];
  int rows = 0;
  std::vector<int> lane(int l) const {
    std::vector<int> v;
    for (int i = 0; i < len[l]; i++) v.push_back(elem[(size_t)i * HelixFilter::kLanes + l]);
    return v;
  }
};

Batch randomBatch(std::mt19937 &rng, int maxLen, int spread) {
  constexpr int W = HelixFilter::kLanes;
  Batch b;
  for (int l = 0; l < W; l++) {
    b.len[l] = (int)(rng() % (unsigned)(maxLen + 1));
    b.rows = std::max(b.rows, b.len[l]);
  }
  b.elem.assign((size_t)b.rows * W, HelixFilter::kPad);
  const int bias = (int)(rng() % 600) - 400;
  for (int l = 0; l < W; l++) {
    for (int i = 0; i < b.len[l]; i++)
      b.elem[(size_t)i * W + l] = (int)(rng() % (2 * spread + 1)) - spread + bias;
    if (rng() % 3 == 0 && b.len[l] > 0) {
      const int at = (int)(rng() % (unsigned)b.len[l]), run = 1 + (int)(rng() % 40);
      for (int i = at; i < b.len[l] && i < at + run; i++) b.elem[(size_t)i * W + l] += 1500;
    }
  }
  return b;
}

// The batch screen in one form against its 64-bit twin; no lane it rejects holds a segment.
void checkBatch(VectorForm form) {
  std::mt19937 rng(9191);
  HelixFilter filter;
  int rejected = 0, kept = 0;
  for (int iter = 0; iter < 1500; iter++) {
    Batch b = randomBatch(rng, iter % 10 == 0 ? 900 : 220, 1 + (int)(rng() % 3000));
    const int L = (int)(rng() % 12) - 1;
    const int P = iter % 2 ? 16384000 : (int)(rng() % 20000000);
    filter.prepare(L, P);
    const unsigned twin = filter.rejectsBatchPlain(b.elem.data(), b.len, b.rows, 5000);
    filter.vectorForm = form;
    bool ran = false;
    ASSERT_EQ(filter.rejectsBatch(b.elem.data(), b.len, b.rows, 5000, ran), twin)
        << "iteration " << iter;
    ASSERT_EQ(ran, b.rows >= (L < 1 ? 1 : L));
    for (int l = 0; l < HelixFilter::kLanes; l++) {
      const std::vector<int> v = b.lane(l);
      if (twin >> l & 1u) {
        rejected++;
        ASSERT_FALSE(somethingPasses(v, L, P)) << "iteration " << iter << " lane " << l;
      } else {
        kept++;
      }
      // DotHelix told the lane was screened finds what it finds unscreened.
      DotHelixWork a, s;
      const int n = DotHelix(a, v.data(), (int)v.size(), L, P, 1);
      ASSERT_EQ(DotHelix(s, v.data(), (int)v.size(), L, P, 1, true), n);
      for (int k = 0; k < n; k++) {
        ASSERT_EQ(a.found[(size_t)k].left, s.found[(size_t)k].left);
        ASSERT_EQ(a.found[(size_t)k].length, s.found[(size_t)k].length);
        ASSERT_EQ(a.found[(size_t)k].power, s.found[(size_t)k].power);
      }
    }
  }
  EXPECT_GT(rejected, 2000);
  EXPECT_GT(kept, 500);
}

}  // namespace

TEST(HelixFilterBatch, PlainFormMatchesItsTwinAndNeverRejectsAPassingLane) {
  checkBatch(VectorForm::Plain);
}

TEST(HelixFilterBatch, VectorFormMatchesItsTwinAndNeverRejectsAPassingLane) {
  SKIP_WITHOUT_WIDE(kWideBatch);
  checkBatch(VectorForm::Wide);
}

TEST(HelixFilterBatch, ScreensNothingPastItsBounds) {

  HelixFilter filter;
  filter.prepare(7, 16384000);
  constexpr int W = HelixFilter::kLanes;
  // Flat noise: every lane is proved empty within the bounds.
  Batch b;
  for (int l = 0; l < W; l++) b.len[l] = 100;
  b.rows = 100;
  b.elem.assign((size_t)b.rows * W, -50);
  bool ran = false;
  EXPECT_EQ(filter.rejectsBatch(b.elem.data(), b.len, b.rows, 50, ran), (1u << W) - 1);
  EXPECT_TRUE(ran);
  // Scores the 32-bit sums cannot vouch for, or profiles too long: no lane is touched.
  EXPECT_EQ(filter.rejectsBatch(b.elem.data(), b.len, b.rows, HelixFilter::kBatchScore + 1, ran),
            0u);
  EXPECT_FALSE(ran);
  EXPECT_EQ(filter.rejectsBatchPlain(b.elem.data(), b.len, b.rows, -1), 0u);
  Batch longer;
  for (int l = 0; l < W; l++) longer.len[l] = HelixFilter::kBatchRows + 1;
  longer.rows = HelixFilter::kBatchRows + 1;
  longer.elem.assign((size_t)longer.rows * W, -50);
  EXPECT_EQ(filter.rejectsBatch(longer.elem.data(), longer.len, longer.rows, 50, ran), 0u);
  EXPECT_FALSE(ran);
  // Lanes shorter than the length threshold hold nothing; a strong one next to them is kept.
  for (int l = 0; l < W; l++) b.len[l] = l == 3 ? 100 : 6;
  for (int i = 0; i < b.rows; i++)
    for (int l = 0; l < W; l++)
      b.elem[(size_t)i * W + l] = l == 3 ? 20000 : (i < 6 ? 20000 : HelixFilter::kPad);
  EXPECT_EQ(filter.rejectsBatch(b.elem.data(), b.len, b.rows, 20000, ran), 0xffu & ~(1u << 3));
  // The sums of the largest admitted scores over the longest admitted profile stay exact.
  for (int l = 0; l < W; l++) longer.len[l] = HelixFilter::kBatchRows;
  longer.rows = HelixFilter::kBatchRows;
  for (int i = 0; i < longer.rows; i++)
    for (int l = 0; l < W; l++)
      longer.elem[(size_t)i * W + l] = (l % 2 ? 1 : -1) * HelixFilter::kBatchScore;
  for (VectorForm form : {VectorForm::Plain, VectorForm::Wide}) {
    filter.vectorForm = form;
    EXPECT_EQ(filter.rejectsBatch(longer.elem.data(), longer.len, longer.rows,
                                  HelixFilter::kBatchScore, ran),
              0x55u);
  }
  EXPECT_EQ(filter.rejectsBatchPlain(longer.elem.data(), longer.len, longer.rows,
                                     HelixFilter::kBatchScore),
            0x55u);
}
