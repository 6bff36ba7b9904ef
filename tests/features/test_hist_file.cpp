// Feature histograms: counting bins, the blocks byte for byte, and the reader over round
// trips, mixed files, orisk -F files and truncated or corrupt blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>

#include "hist_fixture.h"
#include "hist_xx.h"
#include "params.h"
#include "testutil.h"

using namespace histtest;

namespace {

struct Deleter {
  void operator()(char *p) const { delete[] p; }
};
using Str = std::unique_ptr<char, Deleter>;

double counted(const HistXX &h, int b) { return h.qXbX[b] + h.qXb_X[b] + h.q_XbX[b] + h.q_Xb_X[b]; }

TEST(HistCount, GridAndBins) {
  HistXX h(0, 10, 0.1, "ZN", 0);
  EXPECT_EQ(h.numPow, 101);  // in double; 100 with an extended quotient
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = INFINITY;
  const double power[] = {0.3, 0.25, -5, -inf, 9.99, 10, 25, inf, nan};
  const int bin[] = {2, 2, 0, 0, 99, 100, 100, 100, 100};  // 0.3/0.1 = 2.9999999999999996
  for (int i = 0; i < 9; i++) EXPECT_EQ(h.getIdxPow(power[i]), bin[i]) << power[i];
  HistXX empty;
  EXPECT_TRUE(empty.numPow == 0 && !empty.Pow && !empty.FTname && empty.freq == 0.0);
  // 0/0, a negative step, a reversed grid: no bins, and counting does nothing.
  for (HistXX *g : {new HistXX(1, 1, 0, "a", 0), new HistXX(0, 10, -1, "b", 0),
                    new HistXX(10, 0, 1, nullptr, 0)}) {
    EXPECT_EQ(g->numPow, 0);
    g->addKW(1, 1, 5.0);
    EXPECT_EQ(g->getNumPow(5.0) + g->getProb(5.0), 0.0);
    delete g;
  }
  EXPECT_EXIT((testutil::stdoutToStderr(), HistXX(0, 2000000, 1, "e", 0)),
              testing::ExitedWithCode(7), "Not enough rooms for new 16000008");
  static_assert(
      !std::is_copy_constructible<HistXX>::value && !std::is_copy_assignable<HistXX>::value,
      "copies would share the arrays");
}

TEST(HistCount, AddKWAndAdd) {
  HistXX h(0, 1, 0.5, "K", 0);
  h.addKW(1, 1, 0.1);
  h.addKW(1, 0, 0.6);
  h.addKW(0, 1, 0.6);
  h.addKW(0, 0, 7.0);
  EXPECT_TRUE(h.qXbX[0] == 1 && h.qXb_X[1] == 1 && h.q_XbX[1] == 1 && h.q_Xb_X[2] == 1);

  const int q[] = {1, 1, 0, 0, 1, 0}, b[] = {1, 0, 1, 0, 0, 0, 0, 1}, none[8] = {};
  HistXX a(0, 1, 0.5, "F", 0);
  a.add(nullptr, b, 0, 0, 4, 0.2, 8, 6);
  a.add(q, none, 0, 0, 4, 0.2, 8, 6);
  EXPECT_EQ(counted(a, 0), 0.0);
  a.add(q, b, 0, 0, 4, 0.2, 8, 6);
  EXPECT_TRUE(a.qXbX[0] == 1 && a.qXb_X[0] == 1 && a.q_XbX[0] == 1 && a.q_Xb_X[0] == 1);
  a.add(q, b, 4, 6, 4, 0.7, 8, 6);  // two pairs inside a query of 6 and a bank of 8
  EXPECT_TRUE(counted(a, 1) == 2 && a.qXb_X[1] == 1 && a.q_XbX[1] == 1);
  a.add(q, b, -1, 0, 3, 2.0, 8, 6);  // the pair before position 0 is skipped
  EXPECT_TRUE(counted(a, 2) == 2 && a.qXbX[2] == 1);
  // Flags past the query length are not the query's: pairs 6 and 7 are skipped.
  const int qLong[] = {1, 1, 0, 0, 1, 0, 1, 1};
  HistXX c(0, 1, 0.5, "Q", 0);
  c.add(qLong, b, 4, 0, 4, 0.2, 8, 6);
  EXPECT_TRUE(counted(c, 0) == 2 && c.qXbX[0] == 1 && c.q_Xb_X[0] == 1);
}

TEST(HistAccess, SegmentNameShares) {
  HistXX h(0, 10, 0.2, "ZINC_FINGER", 0);
  setRows(h, {0, 2, 6}, {0.3, 0.5, 0.9}, {0.1, 0.05, 0.02});
  const double power[] = {-1, 1.99, 2, 5.9, 6, 1e9};
  const int seg[] = {0, 0, 1, 1, 2, 2};
  for (int i = 0; i < 6; i++) EXPECT_EQ(h.getNumPow(power[i]), seg[i]) << power[i];
  EXPECT_EQ(h.getProb(3.0), 0.5);
  Str nice(h.getNiceFTname());
  EXPECT_STREQ(nice.get(), "ZINC FINGER");
  EXPECT_STREQ(h.FTname, "ZINC_FINGER");
  setRows(h, {4}, {0.7}, {0.1});
  EXPECT_EQ(h.getNumPow(-3.0) + h.getNumPow(30.0), 0);
  setCounts(h, {3}, {1}, {0.25}, {0.25});
  h.update();
  EXPECT_TRUE(h.qXbX[0] == 0.75 && h.qXb_X[0] == 0.25 && h.q_XbX[0] == 0.25);  // sum below 1: 1
}

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

TEST(HistWrite, BlockBytes) {
  HistXX h = zinc();
  EXPECT_EQ(written([&](FILE *f) { h.save(f, "KW", 1, 0.0); }), kZincBlock);
  h.paramType = 1;
  EXPECT_EQ(written([&](FILE *f) { h.save(f, "KW", 0, 0.5); }).substr(0, 90),
            "\nminPow  0.00 maxPow 10.00 stepPow  0.20 numPow     3 Freq 0.250000 Prob 0.500000"
            "\nHom     ");

  HistXX c(0, 1, 0.5, "Z", 0);
  setCounts(c, {3, 0, 12}, {1, 2, 0}, {0, 5, 1}, {7, 0, 1234567});
  EXPECT_EQ(
      written([&](FILE *f) { c.savePxx(f, "FT"); }),
      std::string(
          "\n\n Z FT_statistics\nminPow 0.000000 maxPow 1.000000 stepPow 0.500000 numPow     3") +
          "\nPow   " + "  0.0000  0.5000  1.0000" + "\nqXbX  " + "       3       0      12" +
          "\nqXb_X " + "       1       2       0" + "\nq_XbX " + "       0       5       1" +
          "\nq_Xb_X" + "       7       0 1234567");
  HistXX z(0, 1, 0.5, "Z", 0), empty;
  z.q_XbX[1] = 4;
  for (HistXX *e : {&z, &empty}) {
    std::string out;
    EXPECT_EQ(printed([&] {
                out = written([&](FILE *f) {
                  e->save(f, "KW", 1, 0);
                  e->savePxx(f, "KW");
                });
              }),
              "   All qXbX are equal to zero...   All qXbX are equal to zero...");
    EXPECT_EQ(out, "");
  }
}

TEST(HistRead, CommittedFileRoundTrips) {
  const std::string path = testutil::dataPath("features/hist/roundtrip.stat");
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
  EXPECT_EQ(written([&](FILE *o) {
              ft.save(o, "FT", 1, 0.0);
              kw.save(o, "KW", 1, 0.5);
              cc.save(o, "CC   -!- FUNCTION:", 1, 0.0);
            }),
            testutil::readFile(path));
  // The fields read are the printed roundings ("-0.00", ties to even).
  EXPECT_STREQ(kw.FTname, "Zinc finger protein");
  EXPECT_TRUE(kw.paramType == 1 && kw.numPow == 4 && std::signbit(kw.minPow) && kw.minPow == 0.0);
  EXPECT_TRUE(kw.maxPow == 3.12 && kw.stepPow == 0.12 && kw.freq == 0.333333 && kw.Pow[1] == 0.062);
  EXPECT_TRUE(kw.qXbX[1] == 0.33333 && kw.qXb_X[1] == 1 - 0.33333 && kw.q_Xb_X[3] == 0.5);
  EXPECT_STREQ(cc.FTname, "Binds DNA");
}

TEST(HistRead, MixedFileInSequence) {
  HistXX k2 = zinc();
  delete[] k2.FTname;
  k2.FTname = _strdup_("Zinc  finger");
  k2.qXbX[0] = 0.5;
  const std::string text = testutil::toCRLF(written([&](FILE *f) {
    HistXX z = zinc();
    z.save(f, "FT", 1, 0);
    z.save(f, "FT", 1, 0);
    fputs("\n        Increments equivalence dividing 3\n", f);
    z.save(f, "KW", 1, 0);
    k2.save(f, "KW", 1, 0);
    z.save(f, "CC   -!- FUNCTION:", 1, 0);
  }));
  FILE *f = streamOf(text);
  HistXX h[4];
  EXPECT_EQ(h[0].load(f, "FT"), 0);
  EXPECT_EQ(h[1].load(f, "FT"), 0);
  const long at = ftell(f);
  EXPECT_EQ(h[2].load(f, "FT"), 1);
  EXPECT_EQ(ftell(f), at);
  EXPECT_TRUE(h[2].FTname && !*h[2].FTname && h[2].numPow == 0);
  Str kw(getKwType(f));
  ASSERT_STREQ(kw.get(), "KW");
  EXPECT_EQ(h[2].load(f, kw.get()), 0);
  EXPECT_EQ(h[3].load(f, kw.get()), 0);
  EXPECT_STREQ(h[3].FTname, "Zinc  finger");
  EXPECT_EQ(h[3].qXbX[0], 0.5);
  EXPECT_EQ(h[0].load(f, kw.get()), 1);
  Str cc(getKwType(f));
  ASSERT_STREQ(cc.get(), "CC   -!- FUNCTION:");
  EXPECT_EQ(h[0].load(f, cc.get()), 0);
  EXPECT_EQ(h[0].q_XbX[2], 0.025);
  EXPECT_EQ(getKwType(f), nullptr);
  fclose(f);
}

TEST(HistRead, HeaderTypeAndName) {
  const char *cases[][4] = {
      {"   my  name   KW_statistics", "KW", "my  name"},
      {"  KW_statistics", "KW", ""},  // empty name
      {"KW_statistics", "KW", ""},    // no blank before the type
      {" Dimer CC   -!- SUBUNIT:_statistics", "CC   -!- SUBUNIT:", "Dimer"},
      {"CC   -!- PTM:_statistics", "CC   -!- PTM:", ""},
      {" a b_statistics_statistics", "b", "a"},
  };
  for (auto &c : cases) {
    FILE *f =
        streamOf(std::string("x\n") + c[0] +
                 "\nminPow 0 maxPow 1 stepPow 1 numPow 1 Freq 0.5\nPow 0\nqXbX 0.5\nq_XbX 0.25\n");
    Str t(getKwType(f));
    ASSERT_STREQ(t.get(), c[1]);
    EXPECT_EQ(ftell(f), 0);
    HistXX h;
    ASSERT_EQ(h.load(f, c[1]), 0) << c[0];
    EXPECT_STREQ(h.FTname, c[2]);
    EXPECT_EQ(h.q_Xb_X[0], 0.75);
    fclose(f);
  }
  // A name end before its first non-blank gives the empty name, not a negative length.
  char out[8] = "x";
  const char blanks[] = "    KW";
  loadKW(blanks, blanks + 2, out);
  EXPECT_STREQ(out, "");
  // The type is whole: "S" does not find "OS", nor "FT" "xFT".
  FILE *f = streamOf(
      " a OS_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 1 Freq 0\n b xFT_statistics\n");
  HistXX h;
  EXPECT_EQ(h.load(f, "S") + h.load(f, "FT"), 2);
  fclose(f);
}

TEST(HistRead, CountBlocksAreNeverTakenForStatistics) {
  HistXX ft(0, 1, 0.5, "DOMAIN", 0), kw(0, 1, 0.5, "Zinc", 1), stat = zinc();
  setCounts(ft, {7, 12, 30}, {2, 3, 4}, {5, 6, 8}, {9, 10, 11});
  setCounts(kw, {17, 2, 3}, {2, 3, 4}, {5, 6, 8}, {9, 10, 11});
  const std::string text = written([&](FILE *f) {
    for (int i = 0; i < 2; i++) ft.savePxx(f, "FT"), stat.save(f, "FT", 0, 0.0);  // orisk -F
    for (int i = 0; i < 2; i++) kw.savePxx(f, "KW"), stat.save(f, "KW", 1, 0.0);
  });
  FILE *f = streamOf(text);
  HistXX h[5];
  for (int i = 0; i < 4; i++) {
    ASSERT_EQ(h[i].load(f, i < 2 ? "FT" : "KW"), 0) << i;
    EXPECT_STREQ(h[i].FTname, i < 2 ? "DOMAIN" : "ZINC");
    EXPECT_TRUE(h[i].numPow == 3 && h[i].freq == 0.25 && h[i].qXbX[0] == 0.325 &&
                h[i].paramType == 0)
        << i;
    if (i == 1) {
      EXPECT_EQ(h[4].load(f, "FT"), 1);
    }
  }
  EXPECT_EQ(h[4].load(f, "KW"), 1);
  fclose(f);

  // A count block read as one, onto a grid widened to cover both ranges.
  f = streamOf(text);
  HistXX p(-1, 2, 0.5, "x", 0);
  ASSERT_EQ(p.loadPxx(f, "FT"), 0);
  EXPECT_TRUE(p.numPow == 9 && p.minPow == -1.5 && p.maxPow == 2.5 && p.Pow[8] == 2.5);
  EXPECT_TRUE(p.qXbX[2] == 0 && p.qXbX[3] == 7 && p.q_Xb_X[5] == 11 && p.q_Xb_X[6] == 0);
  fclose(f);
}

// The block's step replaces the object's, and the widening is counted in it.
TEST(HistRead, CountBlockTakesItsStep) {
  const std::string block =
      "\n\n D FT_statistics\nminPow 1.000000 maxPow 2.000000 stepPow 0.500000 numPow     3"
      "\nPow    1.0000  1.5000  2.0000\nqXbX        4       5       6\nqXb_X       1       1       1"
      "\nq_XbX       2       2       2\nq_Xb_X      3       3       3";
  FILE *f = streamOf(block);
  HistXX p(0, 3, 1, "x", 0);
  ASSERT_EQ(p.loadPxx(f, "FT"), 0);
  fclose(f);
  // Three zero bins of 0.5 on each side: (1 - 0)/0.5 + 1 and (3 - 2)/0.5 + 1.
  EXPECT_TRUE(p.stepPow == 0.5 && p.numPow == 9 && p.minPow == -0.5 && p.maxPow == 3.5);
  EXPECT_TRUE(p.Pow[1] == 0.0 && p.Pow[8] == 3.5 && p.qXbX[2] == 0 && p.qXbX[3] == 4 &&
              p.qXbX[5] == 6 && p.qXbX[6] == 0 && p.q_Xb_X[4] == 3);
  EXPECT_STREQ(p.FTname, "D");

  // A step of 0 can't widen: that block is passed over; on the block's own grid it is read.
  std::string flat = block;
  flat.replace(flat.find("0.500000"), 8, "0.000000");
  f = streamOf(flat);
  HistXX wide(0, 3, 1, "x", 0), same(1, 2, 1, "y", 0);
  EXPECT_EQ(wide.loadPxx(f, "FT"), 1);
  EXPECT_TRUE(wide.numPow == 4 && wide.stepPow == 1);
  rewind(f);
  ASSERT_EQ(same.loadPxx(f, "FT"), 0);
  EXPECT_TRUE(same.numPow == 3 && same.stepPow == 0 && same.Pow[2] == 1 && same.qXbX[2] == 6);
  fclose(f);
}

// Each case: the loads of "KW" that succeed, then the first block's numPow, qXbX[0] and last
// q_XbX. After the failing load nothing is left to read: no header is read twice.
TEST(HistRead, TruncatedAndCorruptBlocks) {
  const std::string good =
      "\n\n G KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 2 Freq 0.5 Prob 0"
      "\nPow 0 1\nqXbX 0.5 0.25\nq_XbX 0.125 0.75";
  const std::string grid = "\n B KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow ";
  struct {
    std::string text;
    int loads, numPow;
    double x0, _xLast;
  } cases[] = {
      {grid + "-3 Freq 0" + good, 1, 2, 0.5, 0.75},
      {grid + "0 Freq 0" + good, 1, 2, 0.5, 0.75},
      {grid + "1000001 Freq 0" + good, 1, 2, 0.5, 0.75},
      {grid + "99999999999 Freq 0" + good, 1, 2, 0.5, 0.75},
      {"\n B KW_statistics\nPow 0 1\nqXbX 1 1\nq_XbX 1 1" + good, 1, 2, 0.5, 0.75},  // no grid line
      {"\n B KW_statistics" + good, 1, 2, 0.5, 0.75},                   // header after header
      {good + "\n\n B KW_statistics", 1, 2, 0.5, 0.75},                 // header on the last line
      {grid + "3 Freq 0\nPow 0\nqXbX\nq_XbX 0.5 0.5", 1, 3, 0.0, 0.0},  // short rows
      {grid + "2" + good, 2, 2, 0.0, 0.0},                              // rows missing
      {grid + "2 Freq x\nPow a b\nqXbX - 0.5\nq_XbX 0.5 x", 1, 2, 0.0, 0.0},  // unreadable values
      {grid + "2\nPow 0 1\nqXbX 0.5 0.5\nq_XbX 1 0.25", 1, 2, 0.5, 0.25},     // no Freq, no counts
      {grid + "1\nPow 0\nqXbX 3\nqXb_X 1\nq_XbX 1\nq_Xb_X 1", 0, 0, 0, 0},    // a count block alone
  };
  for (auto &c : cases) {
    FILE *f = streamOf(c.text);
    HistXX h[3];
    int n = 0;
    while (n < 3 && h[n].load(f, "KW") == 0) n++;
    EXPECT_EQ(n, c.loads) << c.text;
    if (n) {
      EXPECT_EQ(h[0].numPow, c.numPow) << c.text;
      EXPECT_EQ(h[0].qXbX[0], c.x0) << c.text;
      EXPECT_EQ(h[0].qXb_X[0], 1 - c.x0) << c.text;
      EXPECT_EQ(h[0].q_XbX[h[0].numPow - 1], c._xLast) << c.text;
    }
    EXPECT_EQ(getKwType(f), nullptr) << c.text;
    fclose(f);
  }
}

TEST(HistRead, TypeLoopAlwaysProgresses) {
  FILE *f = streamOf(
      "\n X KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow -1\n Y KW_statistics"
      "\nKW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 1 Freq 1\nqXbX 1\nq_XbX 0\n V "
      "KW_statistics"
      "\n Z DE_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 2\nPow 0"
      "\n_statistics\n W _statistics\nminPow 0 maxPow 1 stepPow 1 numPow 1 Freq 0");
  std::string types;
  int blocks = 0;
  for (int round = 0; round < 20; round++) {
    Str t(getKwType(f));
    if (!t) break;
    types += std::string(t.get()) + "|";
    const long before = ftell(f);
    for (HistXX h; h.load(f, t.get()) == 0;) blocks++;
    ASSERT_GT(ftell(f), before) << t.get();
  }
  EXPECT_EQ(types, "KW|DE||");
  EXPECT_EQ(blocks, 3);  // one of each type; X, Y and V are refused
  fclose(f);
}

// Each row: a file and the line where statFileWhole sees it cut (0: whole). The fixture's
// tables promise blocks for KINASE and TRANSFERASE (two or more sequences each).
TEST(HistRead, WholeFileCheck) {
  const std::string stat = testutil::readFile(testutil::dataPath("vantel/fixture/stat.sta"));
  const std::string mon = stat.substr(0, stat.find("\n\n BINDING")),
                    upToT = stat.substr(0, stat.find("\n\n TRANSFERASE"));
  auto equ = [](std::string t) { return t.replace(t.find("Monotonous segment"), 18, "Increments equivalence"); };
  HistXX h = zinc();
  delete[] h.FTname;
  h.FTname = _strdup_("TRANSFERASE");
  const std::string count = written([&](FILE *f) { h.savePxx(f, "KW"); });  // orisk -F
  const std::string grid = "\n\n Z KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow 2 Freq 0\nPow 0 1\n";
  const struct {
    std::string text;
    long line;
  } rows[] = {
      {stat, 0},
      {testutil::readFile(testutil::dataPath("orisk/golden.sta")), 0},
      {upToT + count + written([&](FILE *f) { h.save(f, "KW", 1, 0); }), 0},
      {equ(mon), 0},  // no block: the grid may have been too short to segment
      {"\n Z KW_statistics\nminPow 0 maxPow 1 stepPow 1 numPow -3 Freq nan\nHom\nqXbX\nq_XbX\n", 0},
      {mon, 21},
      {upToT, 34},
      {equ(upToT), 34},
      {upToT + count, 42},                          // a count block without its statistics
      {stat.substr(0, stat.size() - 2), 40},        // inside the last value
      {stat.substr(0, stat.find("        Mono")), 20},  // no segmentation line after the tables
      {stat + "\n\n KINASE KW_statistics", 42},     // a header as the last line
      {grid + "qXbX 0.5 0.5\nq_XbX 0.5 0.50000", 0},  // the last value as written
      {grid + "qXbX 0.5 0.5\nq_XbX 0.5 0.5", 7},
      {grid + "qXbX 0.5\nq_XbX 0.5 0.5\n", 6},       // a row too short
      {grid + "q_XbX 0.5 0.5\n", 6},                 // a row missing
      {grid + "qXbX 0.5 0.5" + grid, 8},             // a header inside a block
      {"\n Z KW_statistics\n W KW_statistics\n", 3},
      {"minPow 0 maxPow 1 stepPow 1\n", 1},          // no numPow
  };
  for (const auto &r : rows) {
    FILE *f = streamOf(r.text);
    fseek(f, 5, SEEK_SET);
    bool ok = true;
    const std::string out = printed([&] { ok = statFileWhole(f, "s.sta"); });
    EXPECT_EQ(out, r.line ? "\n Statistics file s.sta is cut short at line " + std::to_string(r.line) : "") << r.text;
    EXPECT_TRUE(ok == !r.line && ftell(f) == 0) << r.text;
    fclose(f);
  }
}

}  // namespace
