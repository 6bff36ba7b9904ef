// Dot-helix segment finder: golden profiles and a recursive twin written from the definition.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <tuple>
#include <vector>

#include "dothelix.h"
#include "inv_sqrt.h"
#include "testutil.h"

namespace {

using Seg = std::tuple<int, int, int, int>;  // left, length, sum, power

std::vector<Seg> run(const std::vector<int> &prof, int L, int P, int accurate) {
  int n = -1;
  Homology_info *h = DotHelix(prof.data(), (int)prof.size(), L, P, n, accurate);
  std::vector<Seg> out;
  for (int i = 0; i < n; i++) out.emplace_back(h[i].left, h[i].length, h[i].sum, h[i].power);
  EXPECT_EQ(n == 0, h == nullptr);
  delete[] h;
  return out;
}

int refPower(long long sum, int len) {
  long long p = sum * (long long)lenFactor(len);
  return p > INT_MAX ? INT_MAX : (p < INT_MIN ? INT_MIN : (int)p);
}

// Twin: one interval at a time, the right rest searched (fully) before the left one.
void refSearch(const std::vector<int> &e, int s, int n, int L, int P, bool accurate,
               std::vector<Seg> &out) {
  while (n > 0 && e[s + n - 1] <= 0) n--;
  while (n > 0 && e[s] <= 0) s++, n--;
  if (n < L) return;
  int a = s, w = n, bestPow = 0;
  long long sum = 0;
  bool emitOk = true;
  while (true) {
    // Best prefix.
    long long r = 0, best = 0;
    int end = 0;
    bestPow = 0;
    for (int i = 0; i < w && r + e[a + i] >= 0; i++) {
      r += e[a + i];
      if (r > best) {
        best = r;
        if (refPower(r, i + 1) >= bestPow) bestPow = refPower(r, i + 1), end = i + 1;
      }
    }
    w = end;
    if (w == 0) return;
    if (w < L) {
      emitOk = false;
      break;
    }
    // Best suffix of it.
    r = 0, best = 0, bestPow = 0;
    int st = 0;
    for (int j = w - 1; j >= 0; j--) {
      r += e[a + j];
      if (r > best) {
        best = r;
        if (refPower(r, w - j) >= bestPow) bestPow = refPower(r, w - j), st = j, sum = r;
      }
    }
    a += st, w -= st;
    if (!accurate || st == 0) break;
    if (w < L) {
      emitOk = false;
      break;
    }
  }
  if (emitOk && w >= L && bestPow >= P) out.emplace_back(a, w, (int)sum, bestPow);
  if (s + n - (a + w) >= L) refSearch(e, a + w, s + n - (a + w), L, P, accurate, out);
  if (a - s >= L) refSearch(e, s, a - s, L, P, accurate, out);
}

// The segments a reusable DotHelix call left in its work space.
std::vector<Seg> foundOf(const DotHelixWork &work, int n) {
  std::vector<Seg> out;
  for (int i = 0; i < n; i++)
    out.emplace_back(work.found[(size_t)i].left, work.found[(size_t)i].length,
                     work.found[(size_t)i].sum, work.found[(size_t)i].power);
  return out;
}

std::vector<Seg> ref(const std::vector<int> &prof, int L, int P, int accurate) {
  std::vector<Seg> out;
  L = L < 1 ? 1 : L;
  P = P < 1 ? 1 : P;
  if ((int)prof.size() >= L) refSearch(prof, 0, (int)prof.size(), L, P, accurate != 0, out);
  return out;
}

TEST(DotHelix, GoldenProfiles) {
  // The weaker first segment comes out first: the forward scan stops at the -10.
  EXPECT_EQ(run({5, -10, 5, 5}, 1, 1, 0),
            (std::vector<Seg>{{0, 1, 5, 20480}, {2, 2, 10, 28960}}));
  EXPECT_EQ(run({2, -1, 0, 5, 2}, 2, 1, 0), (std::vector<Seg>{{3, 2, 7, 20272}}));
  // Narrowed again, (5, 2) prefers the lone 5, which is shorter than L.
  EXPECT_TRUE(run({2, -1, 0, 5, 2}, 2, 1, 1).empty());
  // The right rest is searched before the left one.
  EXPECT_EQ(run({2, -1, 10, -20, 3}, 1, 1, 0),
            (std::vector<Seg>{{2, 1, 10, 40960}, {4, 1, 3, 12288}, {0, 1, 2, 8192}}));
  // Zeros at the ends of a stretch are trimmed like negative values.
  EXPECT_EQ(run({0, 2, -1, 10, 0, -20, 3, 0}, 1, 1, 0),
            (std::vector<Seg>{{3, 1, 10, 40960}, {6, 1, 3, 12288}, {1, 1, 2, 8192}}));
  // A zero inside a segment stays part of it.
  EXPECT_EQ(run({4, 0, 4}, 1, 1, 1), (std::vector<Seg>{{0, 3, 8, 8 * 2364}}));
}

TEST(DotHelix, ThresholdsAndEmptyResults) {
  EXPECT_TRUE(run({0, -3, 0, -1}, 1, 1, 1).empty());
  EXPECT_TRUE(run({}, 1, 1, 0).empty());
  int n = 7;
  EXPECT_EQ(DotHelix(std::vector<int>{9, 9}.data(), 2, 3, 1, n, 0), nullptr);  // length < L
  EXPECT_EQ(n, 0);
  // L and P of 0 or below act as 1.
  EXPECT_EQ(run({3}, 0, -5, 0), (std::vector<Seg>{{0, 1, 3, 12288}}));
  EXPECT_EQ(run({3}, -2, 0, 1), (std::vector<Seg>{{0, 1, 3, 12288}}));
  // Power threshold: reached exactly, and missed by one.
  EXPECT_EQ(run({3}, 1, 12288, 0).size(), 1u);
  EXPECT_TRUE(run({3}, 1, 12289, 0).empty());
}

TEST(DotHelix, HugeScoresSaturateAndEnd) {
  // 1e6 x 4096 is beyond int32: the power saturates and the search still ends.
  EXPECT_EQ(run({1000000}, 1, 1, 1), (std::vector<Seg>{{0, 1, 1000000, INT_MAX}}));
  EXPECT_EQ(run({1000000, 5, 1000000}, 1, 1, 1),
            (std::vector<Seg>{{0, 3, 2000005, INT_MAX}}));
  EXPECT_EQ(run({600000, -700000, 600000}, 2, 1, 0), std::vector<Seg>{});
}

TEST(DotHelix, AgreesWithTwinOnRandomProfiles) {
  std::mt19937 rng(12345);
  DotHelixWork work;
  for (int iter = 0; iter < 3000; iter++) {
    const int len = iter % 50 == 0 ? 2000 + (int)(rng() % 2000) : (int)(rng() % 60);
    const int spread = 1 + (int)(rng() % 3000);
    const int bias = (int)(rng() % 400) - 250;
    std::vector<int> p((size_t)len);
    for (int &v : p) v = (int)(rng() % (2 * spread + 1)) - spread + bias;
    const int L = (int)(rng() % 9) - 1;
    const int P = (int)(rng() % 3 == 0 ? 0 : rng() % 400000);
    const int acc = (int)(rng() % 2);
    const std::vector<Seg> want = ref(p, L, P, acc);
    ASSERT_EQ(run(p, L, P, acc), want) << "iteration " << iter;
    // The reusable form gives the same segments.
    const int n = DotHelix(work, p.data(), len, L, P, acc);
    ASSERT_EQ(foundOf(work, n), want);
  }
}

// Windows just within and just past 2048 positions, with scores whose powers saturate (their
// sums still within int32): the short scans and the general ones meet there, and both must
// give the twin's segments.
TEST(DotHelix, WindowsAroundTwoThousandFortyEightAgreeWithTwin) {
  std::mt19937 rng(2048);
  DotHelixWork work;
  for (int iter = 0; iter < 60; iter++) {
    const int len = 2040 + (int)(rng() % 20);
    const bool huge = iter % 3 == 0;
    std::vector<int> p((size_t)len);
    for (int &v : p) {
      v = huge ? (int)(rng() % 2 ? 1000000 - (int)(rng() % 1000) : -(int)(rng() % 1000000))
               : (int)(rng() % 2001) - 600;
    }
    if (iter % 4 == 1) p[(size_t)(rng() % (unsigned)len)] = INT_MIN;  // a wall somewhere
    const int acc = (int)(rng() % 2), L = 1 + (int)(rng() % 5);
    const int P = huge ? INT_MAX : (int)(rng() % 3000000);
    const std::vector<Seg> want = ref(p, L, P, acc);
    const int n = DotHelix(work, p.data(), len, L, P, acc);
    ASSERT_EQ(foundOf(work, n), want) << "iteration " << iter;
  }
}

// Diagonals of the default search: noise with a few strong stretches planted, so that the
// rests left and right of each segment are often provably empty and skipped; the segments
// must be those of the twin, which searches every rest.
TEST(DotHelix, RestsBesidePlantedSegmentsAgreeWithTwin) {
  std::mt19937 rng(2024);
  std::normal_distribution<double> noise(-150.0, 1000.0);
  DotHelixWork work;
  int withSeveral = 0;
  for (int iter = 0; iter < 2000; iter++) {
    const int len = 20 + (int)(rng() % 400);
    std::vector<int> p((size_t)len);
    for (int &v : p) v = (int)noise(rng);
    const int planted = (int)(rng() % 5);
    for (int k = 0; k < planted; k++) {
      const int w = 5 + (int)(rng() % 30);
      const int at = (int)(rng() % (unsigned)len);
      for (int i = at; i < at + w && i < len; i++) p[(size_t)i] += 800 + (int)(rng() % 1500);
    }
    const int acc = (int)(rng() % 2);
    const std::vector<Seg> want = ref(p, 7, 16384000, acc);
    if (want.size() > 1) withSeveral++;
    const int n = DotHelix(work, p.data(), len, 7, 16384000, acc);
    ASSERT_EQ(foundOf(work, n), want) << "iteration " << iter;
  }
  EXPECT_GT(withSeveral, 100);  // the rests were really searched
}

// Runs of 0 to 20 values of 0 or below between short positive stretches: the trim skips
// them several values at a time and must land on the first positive one.
TEST(DotHelix, LongRunsOfNonPositiveValuesAgreeWithTwin) {
  std::mt19937 rng(808);
  DotHelixWork work;
  for (int iter = 0; iter < 3000; iter++) {
    std::vector<int> p;
    while (p.size() < 120) {
      const int gap = (int)(rng() % 21);
      for (int i = 0; i < gap; i++) p.push_back(rng() % 3 ? 0 : -(int)(rng() % 500));
      const int run = 1 + (int)(rng() % 9);
      for (int i = 0; i < run; i++) p.push_back(1 + (int)(rng() % 900));
    }
    const int L = 1 + (int)(rng() % 8), acc = (int)(rng() % 2);
    const std::vector<Seg> want = ref(p, L, 20000, acc);
    const int n = DotHelix(work, p.data(), (int)p.size(), L, 20000, acc);
    ASSERT_EQ(foundOf(work, n), want) << "iteration " << iter;
  }
}

// The vector window scans against the plain ones, and both against the twin: search-like
// profiles, values just inside the vector form's bound (sums near 2^31 over 2048 positions,
// saturated powers) and just outside it, windows around every block boundary, and profiles
// long enough for their 32-bit prefix sums to wrap.
// The two forms of the window scans, side by side.
struct BothForms {
  DotHelixWork wide, plain;
  BothForms() {
    wide.vectorForm = VectorForm::Wide;
    plain.vectorForm = VectorForm::Plain;
  }
};
constexpr unsigned kWideDotHelix = kWideWindowScan | kWideBandScan;

TEST(DotHelix, VectorScansMatchThePlainOnes) {
  SKIP_WITHOUT_WIDE(kWideDotHelix);
  std::mt19937 rng(4096);
  std::normal_distribution<double> noise(-150.0, 1000.0);
  BothForms forms;
  DotHelixWork &wide = forms.wide, &plain = forms.plain;
  for (int iter = 0; iter < 1500; iter++) {
    const int kind = iter % 3;
    const int len = kind == 1 ? 1 + (int)(rng() % (iter % 15 == 1 ? 12000 : 2100))
                              : 1 + (int)(rng() % 70);
    std::vector<int> p((size_t)len);
    for (int &v : p) {
      if (kind == 0) {
        v = (int)noise(rng);
      } else {
        const int bound = (1 << 20) - (iter % 2 == 0 ? 1 : 0);  // odd iterations at the bound
        v = (int)(rng() % (2u * (unsigned)bound + 1)) - bound;
        if (rng() % 4 == 0) v = bound - (int)(rng() % 50);
      }
    }
    const int L = 1 + (int)(rng() % 9);
    const int P = kind == 0 ? 16384000 : (int)(rng() % 2 ? INT_MAX : rng() % 2000000000);
    const int acc = (int)(rng() % 2);
    const int n = DotHelix(wide, p.data(), len, L, P, acc);
    ASSERT_EQ(DotHelix(plain, p.data(), len, L, P, acc), n) << "iteration " << iter;
    const std::vector<Seg> want = len <= 300 ? ref(p, L, P, acc) : std::vector<Seg>{};
    if (len <= 300) {
      ASSERT_EQ(n, (int)want.size()) << "iteration " << iter;
    }
    for (int i = 0; i < n; i++) {
      const Homology_info &a = wide.found[(size_t)i], &b = plain.found[(size_t)i];
      ASSERT_EQ(Seg(a.left, a.length, a.sum, a.power), Seg(b.left, b.length, b.sum, b.power))
          << "iteration " << iter;
      if (len <= 300) {
        ASSERT_EQ(Seg(a.left, a.length, a.sum, a.power), want[(size_t)i]);
      }
    }
  }
}

// One value past the vector bound, at every place of a block and of a short tail, sends the
// whole profile to the plain scans: in 32-bit lanes its sums would wrap.
TEST(DotHelix, OneValueBeyondTheVectorBoundAnywhereTakesThePlainScan) {
  SKIP_WITHOUT_WIDE(kWideDotHelix);
  BothForms forms;
  DotHelixWork &wide = forms.wide, &plain = forms.plain;
  for (const int big : {1 << 20, INT_MAX - 1000, -(1 << 20) - 1}) {
    for (int len = 1; len <= 40; len++) {
      for (int k = 0; k < len; k++) {
        std::vector<int> p((size_t)len, 300);
        p[(size_t)k] = big;
        if (big < 0 && k + 1 < len) p[(size_t)k + 1] = 1 << 19;  // a run past the low value
        for (int acc = 0; acc < 2; acc++) {
          const std::vector<Seg> want = ref(p, 1, 1, acc);
          ASSERT_EQ(DotHelix(wide, p.data(), len, 1, 1, acc), (int)want.size())
              << big << " at " << k << " of " << len;
          ASSERT_EQ(DotHelix(plain, p.data(), len, 1, 1, acc), (int)want.size());
          // The twin casts a sum past int32 where the search clamps it: the sum is compared
          // with the plain scan's only.
          for (size_t i = 0; i < want.size(); i++) {
            const Homology_info &a = wide.found[i], &b = plain.found[i];
            ASSERT_EQ(Seg(a.left, a.length, a.sum, a.power), Seg(b.left, b.length, b.sum, b.power))
                << big << " at " << k << " of " << len;
            ASSERT_EQ(Seg(a.left, a.length, 0, a.power),
                      Seg(std::get<0>(want[i]), std::get<1>(want[i]), 0, std::get<3>(want[i])));
          }
        }
      }
    }
  }
}

// Past a long strong stretch the profile's 32-bit prefix sums have wrapped; the windows
// scanned there in vectors must still see their exact sums.
TEST(DotHelix, VectorScansPastWrappedPrefixSums) {
  SKIP_WITHOUT_WIDE(kWideDotHelix);
  std::mt19937 rng(31);
  std::normal_distribution<double> noise(-150.0, 1000.0);
  BothForms forms;
  for (int lead : {2100, 3000, 4200}) {
    DotHelixWork &wide = forms.wide, &plain = forms.plain;
    std::vector<int> p((size_t)lead, (1 << 20) - 1);
    for (int k = 0; k < 200; k++) p.push_back(-((1 << 20) - 1));
    for (int k = 0; k < 1500; k++) p.push_back((int)noise(rng));
    const int n = DotHelix(wide, p.data(), (int)p.size(), 5, 4096000, 1);
    ASSERT_EQ(DotHelix(plain, p.data(), (int)p.size(), 5, 4096000, 1), n);
    int past = 0;
    for (int i = 0; i < n; i++) {
      const Homology_info &a = wide.found[(size_t)i], &b = plain.found[(size_t)i];
      ASSERT_EQ(Seg(a.left, a.length, a.sum, a.power), Seg(b.left, b.length, b.sum, b.power))
          << "lead " << lead;
      past += a.left > lead;
    }
    EXPECT_GT(past, 5) << "lead " << lead;
  }
}

}  // namespace
