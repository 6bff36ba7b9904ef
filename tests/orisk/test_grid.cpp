// Power grids: the estimate from sorted powers, the sort order, the powers of a motif file
// and the command-line decision with its exits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "motif.h"
#include "orisk.h"
#include "testutil.h"

namespace {

struct Grid {
  double min, max, step;
};

Grid gridOf(std::vector<double> pow) {
  Grid g{};
  makePow(pow.data(), (int)pow.size(), g.min, g.max, g.step);
  return g;
}

TEST(MakePow, TopQuarterGapDecides) {
  // The largest gap (7.8) lies at index 2, not below infPart 2: the top quarter's first gap.
  Grid g = gridOf({10, 9.9, 9.8, 2, 1.9, 1.8, 1.7, 1.6});
  EXPECT_EQ(g.max, 10 + 0.000001);
  EXPECT_EQ(g.min, 1.6);
  EXPECT_EQ(g.step, (g.max - g.min) / 50);
  EXPECT_NEAR(g.step, 0.16800002, 1e-12);
}

TEST(MakePow, LargestGapInTheTopQuarter) {
  Grid g = gridOf({50, 10, 9, 8, 7, 6, 5, 4});
  EXPECT_EQ(g.max, 50 + 0.000001);
  EXPECT_EQ(g.min, 4);
}

TEST(MakePow, NonIntegerQuarter) {
  // Seven powers: infPart 1.75, so index 1 still counts as inside the top quarter.
  Grid g = gridOf({10, 9, 1, 0.9, 0.8, 0.7, 0.6});
  EXPECT_EQ(g.max, 9 + 0.000001);
  EXPECT_EQ(g.min, 0.6);
  // The largest gap at index 2 is outside: the largest with j < 1.75 is the first gap.
  Grid h = gridOf({10, 9.5, 9, 1, 0.9, 0.8, 0.7});
  EXPECT_EQ(h.max, 10 + 0.000001);
}

TEST(MakePow, EqualGapsFirstWinsAndZeroGapsNeverCount) {
  Grid g = gridOf({4, 3, 2, 1});
  EXPECT_EQ(g.max, 4 + 0.000001);
  EXPECT_EQ(g.min, 1);
  // No gap at all: both indexes stay 0.
  Grid e = gridOf({3, 3, 3, 3, 3});
  EXPECT_EQ(e.max, 3 + 0.000001);
  EXPECT_EQ(e.min, 3);
}

TEST(MakePow, SinglePowerAndNone) {
  for (double p : {1.0, 0.5, 3.0}) {
    Grid g = gridOf({p});
    EXPECT_EQ(g.min, p);
    EXPECT_EQ(g.max, p + 0.000001);
    EXPECT_EQ(g.step, (p + 0.000001 - p) / 50);
    EXPECT_NEAR(g.step, 0.00000002, 1e-15);
  }
  Grid z = gridOf({});
  EXPECT_EQ(z.min, 0);
  EXPECT_EQ(z.max, 0.000001);
  EXPECT_EQ(z.step, 0.000001 / 50);
}

TEST(MakePow, PowersThatAreNotNumbersTakeNoPart) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Grid g = gridOf({5, 3, nan, nan});
  EXPECT_EQ(g.min, 3);
  EXPECT_EQ(g.max, 5 + 0.000001);
  Grid n = gridOf({nan});
  EXPECT_EQ(n.min, 0);
}

TEST(PowSort, DescendingWithNaNLast) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double a = 2, b = 1;
  EXPECT_EQ(powSort(&a, &b), -1);
  EXPECT_EQ(powSort(&b, &a), 1);
  EXPECT_EQ(powSort(&a, &a), 0);
  EXPECT_EQ(powSort(&a, &nan), -1);
  EXPECT_EQ(powSort(&nan, &a), 1);
  EXPECT_EQ(powSort(&nan, &nan), 0);
  std::vector<double> v = {1, nan, 3, 2, nan, 5};
  qsort(v.data(), v.size(), sizeof(double), powSort);
  EXPECT_EQ(v[0], 5);
  EXPECT_EQ(v[3], 1);
  EXPECT_TRUE(std::isnan(v[4]) && std::isnan(v[5]));
}

const char kMotifs[] =
    "Search banner line\n"
    "Query: q.fa\n\n"
    "Supermotif q.fa      0 b.dat      1  12.34   2   query-bank\n"
    "     '+'     10     40     16       4000    4096000\n"
    "     '+'     30     60      4       1000    2048000\n"
    "Supermotif q.fa      0 b.dat      2   1.00   1   query-bank\n"
    "     '-'      5      5      9        900     900000\n"
    "Supermotif q.fa      0 b.dat      3   2.00   0   query-bank\n"
    "Supermotif q.fa      1 b.dat      1   3.00   1   query-bank\n"
    "     '+'      1      1      4        100     409600\n";

TEST(MotifStore, KeepsEveryBlockInFileOrder) {
  FILE *f = testutil::streamOf(kMotifs);
  MotifStore st;
  EXPECT_EQ(st.read(f), 3u);
  fclose(f);
  ASSERT_EQ(st.blocks.size(), 3u);
  ASSERT_EQ(st.addr.size(), 4u);  // q.fa 0, b.dat 1, b.dat 2, q.fa 1 (b.dat 1 shared)
  EXPECT_EQ(st.blocks[0].numMot, 2);
  EXPECT_EQ(st.blocks[2].qAddr, 3);
  EXPECT_EQ(st.blocks[2].bAddr, st.blocks[0].bAddr);
  // The supermotif power is the long-double read: 12.34 gives one unit below 12.34 x 4096000.
  EXPECT_EQ(st.blocks[0].power, 50544639);
  Supermotif s;
  st.build(1, s);
  EXPECT_STREQ(s.qAdr, "q.fa");
  EXPECT_STREQ(s.bAdr, "b.dat");
  EXPECT_EQ(s.bNum, 2);
  ASSERT_NE(s.first, nullptr);
  EXPECT_EQ(s.first->frame, '-');
  EXPECT_EQ(s.first->pow, 900000);
  EXPECT_EQ(s.first->next, nullptr);
}

TEST(EstimatePow, GridsOfMotifsAndSupermotifs) {
  FILE *f = testutil::streamOf(kMotifs);
  MotifStore st;
  st.read(f);
  fclose(f);
  Grid mot{}, sup{};
  estimatePow(st, 0, mot.min, mot.max, mot.step, sup.min, sup.max, sup.step);
  // Motif powers 1.0, 0.5, 0.2197..., 0.1: infPart 1, the largest gap (0.5) at index 0.
  EXPECT_EQ(mot.min, 409600 / 4096000.0);
  EXPECT_EQ(mot.max, 1.0 + 0.000001);
  // Supermotif powers 12.33999..., 3, 1: the largest gap at index 0.
  EXPECT_EQ(sup.min, 1.0);
  EXPECT_EQ(sup.max, 50544639 / 4096000.0 + 0.000001);
  EXPECT_EQ(sup.step, (sup.max - sup.min) / 50);
  // Per square root of the length: the 16-letter motif gives 1/4.
  estimatePow(st, 1, mot.min, mot.max, mot.step, sup.min, sup.max, sup.step);
  EXPECT_EQ(mot.max, 0.25 + 0.000001);
}

TEST(EstimatePow, EmptyFileGivesTheGridOfPowerZero) {
  FILE *f = testutil::streamOf("nothing here\n");
  MotifStore st;
  EXPECT_EQ(st.read(f), 0u);
  fclose(f);
  Grid mot{}, sup{};
  estimatePow(st, 0, mot.min, mot.max, mot.step, sup.min, sup.max, sup.step);
  EXPECT_EQ(mot.min, 0);
  EXPECT_EQ(mot.max, 0.000001);
  EXPECT_EQ(sup.max, 0.000001);
}

TEST(EstimatePow, BlocksWithoutMotifsTakeNoPart) {
  FILE *f = testutil::streamOf(kMotifs);
  MotifStore st;
  st.read(f);
  fclose(f);
  Grid mot{}, sup{}, mot2{}, sup2{};
  estimatePow(st, 0, mot.min, mot.max, mot.step, sup.min, sup.max, sup.step);
  // A block the reader would never keep: no motif, a power far above the others.
  st.blocks.push_back({500 * 4096000, 0, 1, 0, st.mots.size()});
  estimatePow(st, 1, mot2.min, mot2.max, mot2.step, sup2.min, sup2.max, sup2.step);
  estimatePow(st, 0, mot2.min, mot2.max, mot2.step, sup2.min, sup2.max, sup2.step);
  EXPECT_EQ(sup2.max, sup.max);
  EXPECT_EQ(sup2.min, sup.min);
  EXPECT_EQ(mot2.max, mot.max);
}

// The command-line form: given, estimated, or an exit.
int makePowOf(std::vector<std::string> words, Grid &mot, Grid &sup) {
  std::vector<char *> argv;
  for (std::string &w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  return makePow((int)words.size(), argv.data(), mot.min, mot.max, mot.step, sup.min, sup.max,
                 sup.step, 0);
}

TEST(MakePowCommandLine, GivenOrEstimated) {
  testutil::TempDir dir;
  const std::string m = dir.file("m.txt");
  testutil::writeFile(m, kMotifs);
  Grid mot{}, sup{};
  EXPECT_EQ(makePowOf({"orisk", m, "0.5", "9", "0.2", "out"}, mot, sup), 0);
  EXPECT_EQ(makePowOf({"orisk", m, "out"}, mot, sup), 1);
  EXPECT_EQ(sup.min, 1.0);
}

TEST(MakePowCommandLineDeathTest, PartialRangeOrMissingFile) {
  Grid mot{}, sup{};
  const std::string usage =
      "Extracting feature table statistics from the given MOTIFs or SUBBASE\n"
      "USAGE: orisk motif_file \\[minPow maxPow stepPow\\] result_FT_file \\[options\\]\n";
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        makePowOf({"orisk", "m.txt", "0.5", "out"}, mot, sup);
      },
      ::testing::ExitedWithCode(1), "^" + usage + "$");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        makePowOf({"orisk", "m.txt", "123"}, mot, sup);
      },
      ::testing::ExitedWithCode(1), usage);
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        makePowOf({"orisk", "m.txt", "0", "9", "0.2"}, mot, sup);
      },
      ::testing::ExitedWithCode(1), usage);
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        makePowOf({"orisk", "/nonexistent/m.txt", "out"}, mot, sup);
      },
      ::testing::ExitedWithCode(4), "^\n Can't open motifs file /nonexistent/m.txt\\.$");
}

}  // namespace
