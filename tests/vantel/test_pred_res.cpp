// The result list of one keyword type: merging, ordering, dropping and writing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "hist_xx.h"
#include "pred_res.h"
#include "testutil.h"

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
  p.add("ATP", 24, 30, 1.0, 0.5, 0.1, nullptr);
  p.add("ATP", 1, 10, 1.0, 0.5, 0.1, nullptr);      // the same, the later one first
  p.add("GTP", 25, 30, 1.0, 0.5, 0.1, nullptr);
  p.add("GTP", 1, 10, 1.0, 0.5, 0.1, nullptr);
  p.join();
  ASSERT_EQ(keysOf(p), (std::vector<std::string>{"KINASE", "ZINC", "ZINC", "ATP", "GTP", "GTP"}));
  EXPECT_EQ(p.res[3].beg, 1);
  EXPECT_EQ(p.res[3].end, 30);
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

TEST(PredResDelGen, GeneralKeysGo) {
  TPredResProc p(10000);
  p.add("KINASE", 1, 10, 9.0, 0, 0, nullptr);  // stronger, yet a sub-key: it goes
  p.add("PROTEIN KINASE", 1, 10, 2.0, 0, 0, nullptr);
  p.add("PROTEIN KINASE C", 50, 60, 1.0, 0, 0, nullptr);
  p.add("ZINC", 1, 10, 0.5, 0, 0, nullptr);
  p.delGen(0.0);
  EXPECT_EQ(keysOf(p), (std::vector<std::string>{"PROTEIN KINASE C", "ZINC"}));
}

TEST(PredResDelGen, NegativePowGoesAndRemovesNothing) {
  TPredResProc p(10000);
  p.add("PROTEIN KINASE", 1, 10, -1.0, 0, 0, nullptr);
  p.add("KINASE", 1, 10, 2.0, 0, 0, nullptr);
  p.add("ZINC", 1, 10, 0.0, 0, 0, nullptr);  // at the threshold: kept
  p.delGen(0.0);
  EXPECT_EQ(keysOf(p), (std::vector<std::string>{"KINASE", "ZINC"}));
  TPredResProc empty(10000);
  empty.delGen(0.0);
  EXPECT_EQ(empty.num(), 0);
}

TEST(PredResDelGen, OfEqualKeysTheStrongerStays) {
  TPredResProc p(10000);
  p.add("KINASE", 100, 120, 3.0, 0, 0.2, nullptr);
  p.add("KINASE", 1, 10, 5.0, 0, 0.9, nullptr);
  p.add("KINASE", 300, 310, 1.0, 0, 0.1, nullptr);
  p.sort();
  p.delGen(0.0);
  ASSERT_EQ(p.num(), 1);
  EXPECT_EQ(p.res[0].beg, 1);
  EXPECT_EQ(p.res[0].prob, 0.9);
  // Keys made of the same words in another order hold each other too.
  TPredResProc q(10000);
  q.add("KINASE PROTEIN", 1, 10, 4.0, 0, 0, nullptr);
  q.add("PROTEIN KINASE", 1, 10, 4.0, 0, 0, nullptr);
  q.delGen(0.0);
  EXPECT_EQ(keysOf(q), (std::vector<std::string>{"KINASE PROTEIN"}));
}

TEST(PredResPrint, Lines) {
  TPredResProc p(10000);
  p.add("KINASE", 6, 26, 250.0, 0, 1.0, nullptr);
  p.add("ATP-BINDING;GTP", 3, 9, 14.0712, 0, 0.00644, nullptr);
  p.add("A; B;;", 1, 2, 1.0, 0, 0.5, nullptr);
  const std::string out = testutil::writtenBy([&](FILE *f) { p.print("KW", f, nullptr, 0); });
  EXPECT_EQ(out,
            "CC   _______________________________ KW fields\n"
            "KW   KINASE                                            6      26  Prob 1.0000 SD 100.00\n"
            "KW   ATP-BINDING                                       3       9  Prob 0.0064 SD  14.07\n"
            "KW   GTP                                               3       9  Prob 0.0064 SD  14.07\n"
            "KW   A                                                 1       2  Prob 0.5000 SD   1.00\n"
            "KW    B                                                1       2  Prob 0.5000 SD   1.00\n");
  TPredResProc none(10000);
  EXPECT_EQ(testutil::writtenBy([&](FILE *f) { none.print("KW", f, nullptr, 1); }), "");
}

TEST(PredResPrint, WidthFollowsTheType) {
  TPredResProc p(10000);
  p.add("X", 1, 2, 1.0, 0, 0.5, nullptr);
  const std::string cc = "CC   -!- FUNCTION:";
  std::string out = testutil::writtenBy([&](FILE *f) { p.print(cc.c_str(), f, nullptr, 0); });
  EXPECT_EQ(out, "CC   _______________________________ " + cc + " fields\n" + cc + "   X" +
                     std::string(28, ' ') + "     1       2  Prob 0.5000 SD   1.00\n");
  // Longer than 47: the negative width left-justifies to its size.
  const std::string longType(50, 'T');
  out = testutil::writtenBy([&](FILE *f) { p.print(longType.c_str(), f, nullptr, 0); });
  EXPECT_NE(out.find(longType + "   X  " + "     1       2"), std::string::npos) << out;
}

TEST(PredResPrint, EachLineAppendsItsBlock) {
  const std::string block =
      "\n\n ATP-BINDING;GTP KW_statistics"
      "\nminPow  0.00 maxPow 100.00 stepPow  1.00 numPow     2 Freq 0.100000 Prob 0.000000"
      "\nPow      0.000  12.340\nqXbX   0.95000 0.01000\nq_XbX  0.01000 0.01000";
  FILE *in = testutil::streamOf(block);
  ASSERT_NE(in, nullptr);
  HistXX h;
  ASSERT_EQ(h.load(in, "KW"), 0);
  fclose(in);
  TPredResProc p(10000);
  p.add("ATP-BINDING;GTP", 3, 9, 14.0, 0, 0.25, &h);
  const std::string pro = testutil::writtenBy(
      [&](FILE *g) { testutil::writtenBy([&](FILE *f) { p.print("KW", f, g, 1); }); });
  // The same block twice, each with the result's probability; no line end at the end.
  std::string withProb = block;
  withProb.replace(withProb.find("Prob 0.000000"), 13, "Prob 0.250000");
  EXPECT_EQ(pro, withProb + withProb);
}
