// The result list of one keyword type: merging, ordering, dropping and writing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "testutil.h"
#include "vantel.h"

namespace {

std::vector<std::string> keysOf(const TPredResProc &p) {
  std::vector<std::string> k;
  for (const TPredRes &r : p.res) k.push_back(r.key);
  return k;
}

}  // namespace

TEST(PredResJoin, MergesWithinFourteen) {
  TPredResProc p(10000);
  p.add("KINASE", 1, 10, 2.0, 0.5, 0.3, nullptr);
  p.add("KINASE", 24, 30, 5.0, 0.6, 0.2, nullptr);  // 24 - 10 = 14: merged
  p.add("ZINC", 1, 10, 1.0, 0.5, 0.1, nullptr);
  p.add("ZINC", 25, 30, 1.0, 0.5, 0.1, nullptr);    // 25 - 10 = 15: kept apart
  p.join();
  ASSERT_EQ(keysOf(p), (std::vector<std::string>{"KINASE", "ZINC", "ZINC"}));
  const TPredRes &k = p.res[0];
  EXPECT_EQ(k.beg, 1);
  EXPECT_EQ(k.end, 30);
  EXPECT_EQ(k.pow, 5.0);
  EXPECT_EQ(k.prob, 0.3);
  EXPECT_EQ(k.ita, 0.5);  // the kept result's own
}

TEST(PredResJoin, ComparesWithTheWidenedRegion) {
  TPredResProc p(10000);
  p.add("A", 100, 110, 1, 0, 0, nullptr);
  p.add("A", 120, 130, 1, 0, 0, nullptr);  // near the first
  p.add("A", 140, 150, 1, 0, 0, nullptr);  // near only the widened 100..130
  p.join();
  ASSERT_EQ(p.num(), 1);
  EXPECT_EQ(p.res[0].beg, 100);
  EXPECT_EQ(p.res[0].end, 150);
}

TEST(PredResSort, DecreasingStableNanLast) {
  TPredResProc p(10000);
  p.add("a", 1, 2, 1.0, 0, 0, nullptr);
  p.add("b", 1, 2, NAN, 0, 0, nullptr);
  p.add("c", 1, 2, 3.0, 0, 0, nullptr);
  p.add("d", 1, 2, 1.0, 0, 0, nullptr);
  p.add("e", 1, 2, 3.0, 0, 0, nullptr);
  p.sort();
  EXPECT_EQ(keysOf(p), (std::vector<std::string>{"c", "e", "a", "d", "b"}));
}

TEST(PredResHelpers, AppendAndNear) {
  TPredRes a, b;
  a.key = b.key = "K";
  a.beg = 10, a.end = 20, a.pow = 1, a.prob = 0.9;
  b.beg = 5, b.end = 8, b.pow = 2, b.prob = 0.1;
  EXPECT_EQ(areNear(a, b, 15), 1);  // |10 - 8| = 2
  EXPECT_EQ(areNear(a, b, 2), 0);
  b.key = "L";
  EXPECT_EQ(areNear(a, b, 15), 0);
  append(a, b);
  EXPECT_EQ(a.beg, 5);
  EXPECT_EQ(a.end, 20);
  EXPECT_EQ(a.pow, 2);
  EXPECT_EQ(a.prob, 0.9);
  EXPECT_EQ(a.key, "K");
}

TEST(PredResDeath, TooManyResults) {
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        TPredResProc p(2);
        p.add("a", 1, 1, 1, 0, 0, nullptr);
        p.add("b", 1, 1, 1, 0, 0, nullptr);
        p.add("c", 1, 1, 1, 0, 0, nullptr);
      },
      testing::ExitedWithCode(111), "\n number of keywords is too large 2$");
}
