// Feature histograms: counting bins, the statistics and count blocks byte for byte, and the
// reader over round trips, mixed files, orisk -F files and truncated or corrupt blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "hist_fixture.h"
#include "hist_xx.h"
#include "params.h"
#include "testutil.h"

using histtest::rest;
using histtest::setCounts;
using histtest::setRows;
using histtest::streamOf;
using histtest::written;

namespace {

struct Deleter {
  void operator()(char *p) const { delete[] p; }
};
using Str = std::unique_ptr<char, Deleter>;

double counted(const HistXX &h, int bin) {
  return h.qXbX[bin] + h.qXb_X[bin] + h.q_XbX[bin] + h.q_Xb_X[bin];
}

// ---------------------------------------------------------------------------------------
// Construction and counting
// ---------------------------------------------------------------------------------------

TEST(HistCount, GridFromTheConstructor) {
  HistXX h(0, 10, 0.1, "ZN", 0);
  EXPECT_EQ(h.numPow, 101);  // (10 - 0)/0.1 + 1 in double
  EXPECT_DOUBLE_EQ(h.Pow[3], 0.30000000000000004);
  EXPECT_STREQ(h.FTname, "ZN");
  for (int i = 0; i < h.numPow; i++) ASSERT_EQ(counted(h, i), 0.0);
  HistXX unnamed(0, 1, 0.5, nullptr, 1);
  EXPECT_EQ(unnamed.FTname, nullptr);
  EXPECT_EQ(unnamed.numPow, 3);
  HistXX empty;
  EXPECT_EQ(empty.numPow, 0);
  EXPECT_EQ(empty.Pow, nullptr);
  EXPECT_EQ(empty.FTname, nullptr);
  EXPECT_EQ(empty.freq, 0.0);
}

TEST(HistCount, BinsOnEdgesAndOutsideTheGrid) {
  HistXX h(0, 10, 0.1, "ZN", 0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct {
    double power;
    int bin;
  } cases[] = {{0.3, 2},  // 0.3/0.1 = 2.9999999999999996
               {0.0, 0},   {-5.0, 0}, {-inf, 0}, {9.99, 99},
               {10.0, 100}, {25.0, 100}, {inf, 100}, {nan, 100}, {0.25, 2}};
  for (auto &c : cases) EXPECT_EQ(h.getIdxPow(c.power), c.bin) << c.power;
}

TEST(HistCount, DegenerateGridsConvertNothingUndefined) {
  // Zero step (0/0), a negative step, a reversed grid: no bins, and counting is a no-op.
  HistXX zero(1, 1, 0, "a", 0), neg(0, 10, -1, "b", 0), rev(10, 0, 1, "c", 0);
  for (HistXX *h : {&zero, &neg, &rev}) {
    EXPECT_EQ(h->numPow, 0);
    h->addKW(1, 1, 5.0);
    EXPECT_EQ(h->getIdxPow(5.0), 0);
    EXPECT_EQ(h->getNumPow(5.0), 0);
    EXPECT_EQ(h->getProb(5.0), 0.0);
  }
  // A reversed grid with a negative step has bins; powers off it stay in range.
  HistXX down(10, 0, -0.1, "d", 0);
  ASSERT_EQ(down.numPow, 101);
  EXPECT_EQ(down.getIdxPow(-1.0), 100);
  EXPECT_EQ(down.getIdxPow(5.0), 100);
}

TEST(HistCountDeathTest, GridTooFineExitsSeven) {
  // 1/0 bins, or more than a block may hold: memory that can't be had.
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        HistXX flat(0, 1, 0, "e", 0);
      },
      testing::ExitedWithCode(7), "Not enough rooms for new");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        HistXX fine(0, 2000000, 1, "e", 0);
      },
      testing::ExitedWithCode(7), "Not enough rooms for new 16000008");
  HistXX most(0, 999999, 1, "e", 0);
  EXPECT_EQ(most.numPow, kMaxHistBins);
}

TEST(HistCount, AddKWPicksOneOfFourCounts) {
  HistXX h(0, 1, 0.5, "K", 0);
  h.addKW(1, 1, 0.1);
  h.addKW(1, 0, 0.6);
  h.addKW(0, 1, 0.6);
  h.addKW(0, 0, 7.0);
  h.addKW(2, -1, 0.0);
  EXPECT_EQ(h.qXbX[0], 2.0);
  EXPECT_EQ(h.qXb_X[1], 1.0);
  EXPECT_EQ(h.q_XbX[1], 1.0);
  EXPECT_EQ(h.q_Xb_X[2], 1.0);
  EXPECT_EQ(counted(h, 0) + counted(h, 1) + counted(h, 2), 5.0);
}

TEST(HistCount, AddCountsResiduePairsInsideBothSequences) {
  const int q[] = {1, 1, 0, 0, 1, 0};
  const int b[] = {1, 0, 1, 0, 0, 0, 0, 1};
  const int none[8] = {};
  HistXX h(0, 1, 0.5, "F", 0);
  h.add(nullptr, b, 0, 0, 4, 0.2, 8, 6);
  h.add(q, none, 0, 0, 4, 0.2, 8, 6);
  h.add(q, nullptr, 0, 0, 4, 0.2, 8, 6);
  EXPECT_EQ(counted(h, 0), 0.0);

  h.add(q, b, 0, 0, 4, 0.2, 8, 6);
  EXPECT_EQ(h.qXbX[0], 1.0);
  EXPECT_EQ(h.qXb_X[0], 1.0);
  EXPECT_EQ(h.q_XbX[0], 1.0);
  EXPECT_EQ(h.q_Xb_X[0], 1.0);
  EXPECT_EQ(counted(h, 0), 4.0);  // grows by motLen

  // Query positions 4..7 with qLen 6 and bank positions 6..9 with bLen 8: two pairs inside.
  h.add(q, b, 4, 6, 4, 0.7, 8, 6);
  EXPECT_EQ(counted(h, 1), 2.0);
  EXPECT_EQ(h.qXb_X[1], 1.0);  // (q[4], b[6])
  EXPECT_EQ(h.q_XbX[1], 1.0);  // (q[5], b[7])
  // Negative starts skip the pairs before position 0.
  h.add(q, b, -2, -1, 2, 2.0, 8, 6);
  EXPECT_EQ(counted(h, 2), 0.0);
  h.add(q, b, -1, 0, 3, 2.0, 8, 6);
  EXPECT_EQ(counted(h, 2), 2.0);

  EXPECT_EQ(hasFT(none, 8), 0);
  EXPECT_EQ(hasFT(b, 8), 1);
  EXPECT_EQ(hasFT(b + 1, 1), 0);
  EXPECT_EQ(hasFT(nullptr, 3), 0);
}

// ---------------------------------------------------------------------------------------
// Accessors
// ---------------------------------------------------------------------------------------

TEST(HistAccess, SegmentOfAPower) {
  HistXX h(0, 10, 0.2, "ZN", 0);
  setRows(h, {0, 2, 6}, {0.3, 0.5, 0.9}, {0.1, 0.05, 0.02});
  EXPECT_EQ(h.getNumPow(-1.0), 0);
  EXPECT_EQ(h.getNumPow(1.99), 0);
  EXPECT_EQ(h.getNumPow(2.0), 1);
  EXPECT_EQ(h.getNumPow(5.9), 1);
  EXPECT_EQ(h.getNumPow(6.0), 2);
  EXPECT_EQ(h.getNumPow(1e9), 2);
  EXPECT_EQ(h.getProb(3.0), 0.5);
  setRows(h, {4}, {0.7}, {0.1});
  EXPECT_EQ(h.getNumPow(-3.0), 0);
  EXPECT_EQ(h.getNumPow(30.0), 0);
  EXPECT_EQ(h.getNumPow(), 1);
}

TEST(HistAccess, NiceNameAndShares) {
  HistXX h(0, 1, 1, "ZINC_FINGER_C2H2", 0);
  Str nice(h.getNiceFTname());
  EXPECT_STREQ(nice.get(), "ZINC FINGER C2H2");
  EXPECT_STREQ(h.FTname, "ZINC_FINGER_C2H2");
  HistXX unnamed;
  EXPECT_EQ(unnamed.getNiceFTname(), nullptr);

  setCounts(h, {3, 0}, {1, 0.5}, {0, 2}, {0, 6});
  h.update();
  EXPECT_EQ(h.qXbX[0], 0.75);
  EXPECT_EQ(h.qXb_X[0], 0.25);
  EXPECT_EQ(h.q_XbX[0], 0.0);  // sum 0 counts as 1
  EXPECT_EQ(h.qXb_X[1], 0.5);  // sum 0.5 counts as 1
  EXPECT_EQ(h.q_XbX[1], 0.25);
  EXPECT_EQ(h.q_Xb_X[1], 0.75);
}

TEST(HistAccess, MovedNotCopied) {
  static_assert(!std::is_copy_constructible<HistXX>::value, "copies would share arrays");
  static_assert(!std::is_copy_assignable<HistXX>::value, "copies would share arrays");
  HistXX a(0, 1, 0.5, "A", 0);
  a.addKW(1, 1, 0.0);
  HistXX b(std::move(a));
  EXPECT_EQ(a.qXbX, nullptr);
  EXPECT_EQ(a.numPow, 0);
  EXPECT_EQ(b.qXbX[0], 1.0);
  HistXX c;
  c = std::move(b);
  EXPECT_STREQ(c.FTname, "A");
}

// ---------------------------------------------------------------------------------------
// Writing blocks
// ---------------------------------------------------------------------------------------

const char kZincBlock[] =
    "\n\n ZINC KW_statistics"
    "\nminPow  0.00 maxPow 10.00 stepPow  0.20 numPow     3 Freq 0.250000 Prob 0.000000"
    "\nPow      0.000   2.000   6.000"
    "\nqXbX   0.32500 0.50000 0.90000"
    "\nq_XbX  0.10000 0.05000 0.02500";

HistXX zinc() {
  HistXX h(0, 10, 0.2, "ZINC", 0);
  setRows(h, {0, 2, 6}, {0.325, 0.5, 0.9}, {0.1, 0.05, 0.025});
  h.freq = 0.25;
  return h;
}

TEST(HistWrite, StatisticsBlockBytes) {
  HistXX h = zinc();
  EXPECT_EQ(written([&](FILE *f) { h.save(f, "KW", 1, 0.0); }), kZincBlock);
  // Without the glue the header line is left out; prob is only written.
  EXPECT_EQ(written([&](FILE *f) { h.save(f, "KW", 0, 0.5); }),
            "\nminPow  0.00 maxPow 10.00 stepPow  0.20 numPow     3 Freq 0.250000 Prob 0.500000"
            "\nPow      0.000   2.000   6.000"
            "\nqXbX   0.32500 0.50000 0.90000"
            "\nq_XbX  0.10000 0.05000 0.02500");
  h.paramType = 1;
  EXPECT_NE(written([&](FILE *f) { h.save(f, "KW", 0, 0.0); }).find("\nHom      0.000"),
            std::string::npos);
}

TEST(HistWrite, AllZeroWritesOnlyTheMessage) {
  HistXX h(0, 1, 0.5, "Z", 0);
  h.q_XbX[1] = 4;
  for (int pxx = 0; pxx < 2; pxx++) {
    testing::internal::CaptureStdout();
    const std::string out = written([&](FILE *f) {
      if (pxx)
        h.savePxx(f, "KW");
      else
        h.save(f, "KW", 1, 0.0);
    });
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "   All qXbX are equal to zero...");
    EXPECT_EQ(out, "");
  }
  HistXX empty;
  testing::internal::CaptureStdout();
  EXPECT_EQ(written([&](FILE *f) { empty.save(f, "FT", 1, 0.0); }), "");
  fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "   All qXbX are equal to zero...");
}

TEST(HistWrite, CountBlockAndPrintBytes) {
  HistXX h(0, 1, 0.5, "Z", 0);
  setCounts(h, {3, 0, 12}, {1, 2, 0}, {0, 5, 1}, {7, 0, 1234567});
  // Labels as written: "Pow   ", "qXbX  ", "qXb_X ", "q_XbX ", "q_Xb_X"; values " %7.4f" and
  // " %7.0f" (print: " %5.0f" with its own labels).
  const std::string v7 = std::string("       3") + "       0" + "      12";
  EXPECT_EQ(written([&](FILE *f) { h.savePxx(f, "FT"); }),
            std::string("\n\n Z FT_statistics") +
                "\nminPow 0.000000 maxPow 1.000000 stepPow 0.500000 numPow     3" +
                "\nPow   " + "  0.0000" + "  0.5000" + "  1.0000" +  //
                "\nqXbX  " + v7 +                                   //
                "\nqXb_X " + "       1" + "       2" + "       0" +  //
                "\nq_XbX " + "       0" + "       5" + "       1" +  //
                "\nq_Xb_X" + "       7" + "       0" + " 1234567");
  EXPECT_EQ(written([&](FILE *f) { h.print(f); }),
            std::string("\nqXbX  ") + "     3" + "     0" + "    12" +  //
                "\nqXb_X  " + "     1" + "     2" + "     0" +          //
                "\nq_XbX " + "     0" + "     5" + "     1" +           //
                "\nq_Xb_X " + "     7" + "     0" + " 1234567");
}

// ---------------------------------------------------------------------------------------
// Reading blocks
// ---------------------------------------------------------------------------------------

TEST(HistRead, CommittedFileRoundTripsByteForByte) {
  const std::string path = testutil::dataPath("features/hist/roundtrip.stat");
  const std::string bytes = testutil::readFile(path);
  ASSERT_FALSE(bytes.empty());
  FILE *f = fopen(path.c_str(), "rb");
  ASSERT_TRUE(f);
  HistXX ft, kw, cc;
  ASSERT_EQ(ft.load(f, "FT"), 0);
  Str t1(getKwType(f));
  ASSERT_STREQ(t1.get(), "KW");
  ASSERT_EQ(kw.load(f, t1.get()), 0);
  Str t2(getKwType(f));
  ASSERT_STREQ(t2.get(), "CC   -!- FUNCTION:");
  ASSERT_EQ(cc.load(f, t2.get()), 0);
  EXPECT_EQ(getKwType(f), nullptr);
  fclose(f);

  const std::string again = written([&](FILE *o) {
    ft.save(o, "FT", 1, 0.0);
    kw.save(o, "KW", 1, 0.5);
    cc.save(o, "CC   -!- FUNCTION:", 1, 0.0);
  });
  EXPECT_EQ(again, bytes);

  // The fields read are the printed roundings.
  EXPECT_STREQ(kw.FTname, "Zinc finger protein");
  EXPECT_EQ(kw.paramType, 1);
  EXPECT_EQ(kw.numPow, 4);
  EXPECT_TRUE(std::signbit(kw.minPow) && kw.minPow == 0.0);  // "-0.00"
  EXPECT_EQ(kw.maxPow, 3.12);
  EXPECT_EQ(kw.stepPow, 0.12);
  EXPECT_EQ(kw.freq, 0.333333);
  EXPECT_EQ(kw.Pow[0], -0.001);
  EXPECT_EQ(kw.Pow[1], 0.062);
  EXPECT_EQ(kw.qXbX[1], 0.33333);
  EXPECT_EQ(kw.qXb_X[1], 1 - 0.33333);
  EXPECT_EQ(kw.q_XbX[3], 0.5);
  EXPECT_EQ(kw.q_Xb_X[3], 0.5);
  EXPECT_STREQ(cc.FTname, "Binds DNA");
  EXPECT_EQ(ft.paramType, 0);
  EXPECT_EQ(ft.freq, 0.25);
}

TEST(HistRead, CrlfAndLongLines) {
  const std::string name(3000, 'N');
  HistXX h = zinc();
  delete[] h.FTname;
  h.FTname = _strdup_(name.c_str());
  const std::string text = testutil::toCRLF(written([&](FILE *f) { h.save(f, "KW", 1, 0.0); }));
  FILE *f = streamOf(text);
  HistXX r;
  ASSERT_EQ(r.load(f, "KW"), 0);
  EXPECT_EQ(std::string(r.FTname), name);
  EXPECT_EQ(r.numPow, 3);
  EXPECT_EQ(r.q_XbX[2], 0.025);
  fclose(f);
}

// Two FT blocks, two KW blocks (one name with inner blanks), one comment-topic block.
std::string mixedFile() {
  HistXX a = zinc(), b = zinc(), k1 = zinc(), k2 = zinc(), c = zinc();
  b.qXbX[0] = 0.125;
  k2.qXbX[0] = 0.5;
  c.qXbX[0] = 0.75;
  delete[] k2.FTname;
  k2.FTname = _strdup_("Zinc  finger");
  return "\n\n\n Feature Table       Percent   Seq Lengths   Density" + written([&](FILE *f) {
           a.save(f, "FT", 1, 0);
           b.save(f, "FT", 1, 0);
           fputs("\n        Increments equivalence dividing 3\n", f);
           k1.save(f, "KW", 1, 0);
           k2.save(f, "KW", 1, 0);
           c.save(f, "CC   -!- FUNCTION:", 1, 0);
         });
}

TEST(HistRead, MixedFileInSequence) {
  FILE *f = streamOf(mixedFile());
  HistXX h[6];
  EXPECT_EQ(h[0].load(f, "FT"), 0);
  EXPECT_EQ(h[1].load(f, "FT"), 0);
  EXPECT_EQ(h[1].qXbX[0], 0.125);
  const long at = ftell(f);
  EXPECT_EQ(h[2].load(f, "FT"), 1);
  EXPECT_EQ(ftell(f), at);
  EXPECT_STREQ(h[2].FTname, "");
  EXPECT_EQ(h[2].numPow, 0);

  Str kw(getKwType(f));
  ASSERT_STREQ(kw.get(), "KW");
  EXPECT_EQ(ftell(f), at);
  EXPECT_EQ(h[2].load(f, kw.get()), 0);
  EXPECT_EQ(h[3].load(f, kw.get()), 0);
  EXPECT_STREQ(h[3].FTname, "Zinc  finger");
  EXPECT_EQ(h[3].qXbX[0], 0.5);
  EXPECT_EQ(h[4].load(f, kw.get()), 1);
  Str cc(getKwType(f));
  ASSERT_STREQ(cc.get(), "CC   -!- FUNCTION:");
  EXPECT_EQ(h[4].load(f, cc.get()), 0);
  EXPECT_EQ(h[4].qXbX[0], 0.75);
  EXPECT_EQ(h[5].load(f, cc.get()), 1);
  EXPECT_EQ(getKwType(f), nullptr);
  fclose(f);
}

TEST(HistRead, TypeAndNameOfAHeader) {
  struct {
    const char *line, *type, *loadAs, *name;
  } cases[] = {
      {" Apo KW_statistics", "KW", "KW", "Apo"},
      {"   my  name   KW_statistics", "KW", "KW", "my  name"},
      {"  KW_statistics", "KW", "KW", ""},  // empty name
      {"KW_statistics", "KW", "KW", ""},    // no blank before the type
      {" Dimer CC   -!- SUBUNIT:_statistics", "CC   -!- SUBUNIT:", "CC   -!- SUBUNIT:", "Dimer"},
      {"CC   -!- PTM:_statistics", "CC   -!- PTM:", "CC   -!- PTM:", ""},
      {" a b_statistics_statistics", "b", "b", "a"},
  };
  for (auto &c : cases) {
    const std::string text = std::string("junk\n") + c.line + "\nminPow 0 maxPow 1 stepPow 1 numPow 1 Freq 0.5" +
                             "\nPow 0\nqXbX 0.5\nq_XbX 0.25\n";
    FILE *f = streamOf(text);
    Str t(getKwType(f));
    ASSERT_STREQ(t.get(), c.type) << c.line;
    EXPECT_EQ(ftell(f), 0);
    HistXX h;
    ASSERT_EQ(h.load(f, c.loadAs), 0) << c.line;
    EXPECT_STREQ(h.FTname, c.name) << c.line;
    EXPECT_EQ(h.freq, 0.5);
    EXPECT_EQ(h.q_Xb_X[0], 0.75);
    fclose(f);
  }
  // The key is the whole type after a blank: "S" does not find "OS", "FT" not "xFT".
  FILE *f = streamOf(" a OS_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 1 Freq 0\n"
                     " b xFT_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 1 Freq 0\n");
  HistXX h;
  EXPECT_EQ(h.load(f, "S"), 1);
  EXPECT_EQ(h.load(f, "FT"), 1);
  fclose(f);

  char name[16];
  const char line[] = "    KW";
  loadKW(line, line + 4, name);
  EXPECT_STREQ(name, "");
}

// An orisk -F file: count blocks before the statistics, FT statistics without a header.
TEST(HistRead, CountBlocksAreNeverTakenForStatistics) {
  HistXX ft(0, 1, 0.5, "DOMAIN", 0), kw(0, 1, 0.5, "Zinc", 1);
  setCounts(ft, {7, 12, 30}, {2, 3, 4}, {5, 6, 8}, {9, 10, 11});
  setCounts(kw, {17, 2, 3}, {2, 3, 4}, {5, 6, 8}, {9, 10, 11});
  HistXX ftStat = zinc(), kwStat = zinc();
  kwStat.qXbX[2] = 0.875;
  const std::string text = written([&](FILE *f) {
    fputs("\n        Monotonous segment dividing 3\n", f);
    for (int i = 0; i < 2; i++) {
      ft.savePxx(f, "FT");
      ftStat.save(f, "FT", 0, 0.0);
    }
    for (int i = 0; i < 2; i++) {
      kw.savePxx(f, "KW");
      kwStat.save(f, "KW", 1, 0.0);
    }
  });
  FILE *f = streamOf(text);
  HistXX h[4];
  for (int i = 0; i < 2; i++) {
    ASSERT_EQ(h[i].load(f, "FT"), 0);
    EXPECT_STREQ(h[i].FTname, "DOMAIN");
    EXPECT_EQ(h[i].numPow, 3);
    EXPECT_EQ(h[i].freq, 0.25);
    EXPECT_EQ(h[i].qXbX[0], 0.325);
    EXPECT_EQ(h[i].Pow[2], 6.0);
  }
  HistXX none;
  EXPECT_EQ(none.load(f, "FT"), 1);
  Str t(getKwType(f));
  ASSERT_STREQ(t.get(), "KW");
  for (int i = 2; i < 4; i++) {
    ASSERT_EQ(h[i].load(f, "KW"), 0);
    EXPECT_STREQ(h[i].FTname, "ZINC");
    EXPECT_EQ(h[i].qXbX[2], 0.875);
    EXPECT_EQ(h[i].paramType, 0);
  }
  EXPECT_EQ(none.load(f, "KW"), 1);
  EXPECT_EQ(getKwType(f), nullptr);
  fclose(f);

  // A count block read as one: the grid is widened to cover this object's range.
  f = streamOf(text);
  HistXX p(-1, 2, 0.5, "x", 0);
  ASSERT_EQ(p.loadPxx(f, "FT"), 0);
  EXPECT_STREQ(p.FTname, "DOMAIN");
  EXPECT_EQ(p.numPow, 3 + 3 + 3);  // (0 - -1)/0.5 + 1 left, (2 - 1)/0.5 + 1 right
  EXPECT_EQ(p.minPow, -1.5);
  EXPECT_EQ(p.maxPow, 2.5);
  EXPECT_EQ(p.Pow[8], 2.5);
  EXPECT_EQ(p.qXbX[2], 0.0);
  EXPECT_EQ(p.qXbX[3], 7.0);
  EXPECT_EQ(p.qXbX[5], 30.0);
  EXPECT_EQ(p.q_Xb_X[5], 11.0);
  EXPECT_EQ(p.q_Xb_X[6], 0.0);
  ASSERT_EQ(p.loadPxx(f, "FT"), 0);
  EXPECT_EQ(p.loadPxx(f, "FT"), 1);
  fclose(f);
}

// Each case: the text, what the loads of "KW" return in turn, and the first loaded block's
// numPow, qXbX[0] and q_XbX[last].
TEST(HistRead, TruncatedAndCorruptBlocks) {
  const std::string good =
      "\n\n G KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 2 Freq 0.5 Prob 0"
      "\nPow 0 1\nqXbX 0.5 0.25\nq_XbX 0.125 0.75";
  struct Case {
    const char *what;
    std::string text;
    int loads;  // blocks read before the load that returns 1
    int numPow;
    double x0, _xLast;
  } cases[] = {
      {"negative numPow", "\n B KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow -3 Freq 0" + good, 1, 2, 0.5, 0.75},
      {"zero numPow", "\n B KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 0 Freq 0" + good, 1, 2, 0.5, 0.75},
      {"huge numPow", "\n B KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 1000001 Freq 0" + good, 1, 2, 0.5, 0.75},
      {"numPow past int", "\n B KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 99999999999 Freq 0" + good, 1, 2, 0.5, 0.75},
      {"no grid line", "\n B KW_statistics\nPow 0 1\nqXbX 1 1\nq_XbX 1 1" + good, 1, 2, 0.5, 0.75},
      {"header right after header", "\n B KW_statistics" + good, 1, 2, 0.5, 0.75},
      {"header on the last line", good + "\n\n B KW_statistics", 1, 2, 0.5, 0.75},
      {"header on the last line, line end", good + "\n B KW_statistics\n", 1, 2, 0.5, 0.75},
      {"short rows", "\n S KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 3 Freq 0\nPow 0\nqXbX\nq_XbX 0.5 0.5", 1, 3, 0.0, 0.0},
      {"rows missing before the next block", "\n S KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 2" + good, 2, 2, 0.0, 0.0},
      {"unreadable values", "\n S KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 2 Freq x\nPow a b\nqXbX - 0.5\nq_XbX 0.5 x", 1, 2, 0.0, 0.0},
      {"no Freq, no count rows", "\n S KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 2\nPow 0 1\nqXbX 0.5 0.5\nq_XbX 1 0.25", 1, 2, 0.5, 0.25},
      {"count block alone", "\n C KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 1\nPow 0\nqXbX 3\nqXb_X 1\nq_XbX 1\nq_Xb_X 1", 0, 0, 0, 0},
      {"empty file", "", 0, 0, 0, 0},
  };
  for (const Case &c : cases) {
    FILE *f = streamOf(c.text);
    HistXX h[3];
    int n = 0;
    while (n < 3 && h[n].load(f, "KW") == 0) n++;
    EXPECT_EQ(n, c.loads) << c.what;
    if (n && c.loads) {
      EXPECT_EQ(h[0].numPow, c.numPow) << c.what;
      EXPECT_EQ(h[0].qXbX[0], c.x0) << c.what;
      EXPECT_EQ(h[0].qXb_X[0], 1 - c.x0) << c.what;
      EXPECT_EQ(h[0].q_XbX[h[0].numPow - 1], c._xLast) << c.what;
    }
    // What the failed load leaves is past every header it read: nothing is read twice.
    EXPECT_EQ(getKwType(f), nullptr) << c.what;
    fclose(f);
  }
}

// A reader that loops over getKwType and load always moves on, however broken the blocks.
TEST(HistRead, TypeLoopAlwaysProgresses) {
  const std::string text =
      "\n X KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow -1"
      "\n Y KW_statistics"
      "\nKW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 1 Freq 1\nqXbX 1\nq_XbX 0"
      "\n V KW_statistics"
      "\n Z DE_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 2\nPow 0"
      "\n_statistics\n W _statistics\nminPow 0 maxPow 1 stepPow 1 numPow 1 Freq 0";
  FILE *f = streamOf(text);
  int rounds = 0, blocks = 0;
  std::string types;
  while (rounds < 20) {
    Str t(getKwType(f));
    if (!t) break;
    types += std::string(t.get()) + "|";
    const long before = ftell(f);
    HistXX h;
    while (h.load(f, t.get()) == 0) blocks++;
    ASSERT_GT(ftell(f), before) << t.get();
    rounds++;
  }
  EXPECT_EQ(types, "KW|DE||");
  EXPECT_EQ(blocks, 3);  // one of each type; X, Y and V are refused
  fclose(f);
}

}  // namespace
