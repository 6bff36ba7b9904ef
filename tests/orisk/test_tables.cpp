// Presence tables, their marks, and the column file line: exact bytes.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "hist_xx.h"
#include "orisk.h"
#include "testutil.h"

namespace {

const std::string kRule =
    "          ============================================================\n";

std::string eq(int n) { return std::string((size_t)n, '='); }

TEST(Marks, RowsGrowAndCompact) {
  Marks m(3);
  m.set(0, 0);
  m.set(2, 4);
  m.set(1, 2);
  m.set(2, 2);
  EXPECT_EQ(m.at(0, 0), 1);
  EXPECT_EQ(m.at(0, 4), 0);  // past the row: not marked
  EXPECT_EQ(m.count(2), 2);
  EXPECT_EQ(m.count(3), 0);
  m.set(1, 130);
  EXPECT_EQ(m.keys(1), (std::vector<int>{2, 130}));
  EXPECT_EQ(m.keys(0), (std::vector<int>{0}));
  m.compact({0, 0, 1, 0, 1});
  EXPECT_EQ(m.at(1, 0), 1);
  EXPECT_EQ(m.at(2, 0), 1);
  EXPECT_EQ(m.at(2, 1), 1);
  EXPECT_EQ(m.at(0, 0), 0);
  EXPECT_EQ(m.count(0), 2);
}

TEST(PresenceTable, RowsRightAlignedToTheLongestKeyword) {
  char k1[] = "ZINC", k2[] = "ATP-BINDING";
  char *kw[] = {k1, k2};
  Marks m(3);
  m.set(0, 0);
  m.set(2, 0);
  m.set(1, 1);
  const std::string out =
      testutil::writtenBy([&](FILE *f) { prnKWtabelNew(f, "KW", 3, 2, kw, m); });
  EXPECT_EQ(out, "\n\n" + kRule + "          " + eq(27) + "  KW  " + eq(27) + "\n" + kRule +
                     "\n" +
                     "\n       ZINC;    1 0 1"
                     "\nATP-BINDING;    0 1 0");
}

TEST(PresenceTable, TitleWidths) {
  Marks m(1);
  const std::string cc = "CC   -!- FUNCTION:";  // 18 characters: pad 19
  std::string out =
      testutil::writtenBy([&](FILE *f) { prnKWtabelNew(f, cc.c_str(), 1, 0, nullptr, m); });
  EXPECT_EQ(out, "\n\n" + kRule + "          " + eq(19) + "  " + cc + "  " + eq(19) + "\n" +
                     kRule + "\n" + "\n\n          = There are no keywords of type " + cc +
                     " in the found sequences \n\n");
  // 56 characters leave no '='; 57 and more give the whole run of 41 on each side.
  for (int len : {56, 57, 58, 61, 80}) {
    const std::string t(len, 'T');
    out = testutil::writtenBy([&](FILE *f) { prnKWtabelNew(f, t.c_str(), 1, 0, nullptr, m); });
    const int pad = len > 56 ? 41 : 0;
    EXPECT_EQ(out.substr(0, out.find(" in the found")),
              "\n\n" + kRule + "          " + eq(pad) + "  " + t + "  " + eq(pad) + "\n" + kRule +
                  "\n" + "\n\n          = There are no keywords of type " + t)
        << len;
  }
}

TEST(PresenceTable, OlderFormWritesKeywordsDownwards) {
  char k1[] = "AB", k2[] = "XYZ";
  char *kw[] = {k1, k2};
  char a1[] = "P1", a2[] = "Q12345678";
  char *acc[] = {a1, a2};
  Marks m(2);
  m.set(0, 1);
  m.set(1, 0);
  m.set(1, 1);
  const std::string out =
      testutil::writtenBy([&](FILE *f) { prnKWtabel(f, "KW", 2, 2, kw, m, acc); });
  EXPECT_EQ(out, "\n\n" + kRule + "          ============================  KW  " + eq(26) + "\n" +
                     kRule + "\n" +
                     "\n           X "
                     "\n         A Y "
                     "\n         B Z "
                     "\nP1         + "
                     "\nQ12345678+ + ");
}

TEST(ColumnFile, LineFormat) {
  std::string out = testutil::writtenBy([](FILE *f) {
    writeColLine(f, "KW", "ZINC", 3, 1, 12.339999755859375, 0);
    writeColLine(f, "CC   -!- FUNCTION:", "TWO WORDS", 12, 0, -1.5, 1);
  });
  EXPECT_EQ(out,
            "KW ZINC   3   1    0012.34   0\n"
            "CC   -!- FUNCTION: TWO WORDS  12   0    -001.50   1\n");
}

// addZerInf against the pairs counted one by one, as the definition says, on random marks
// of more sequences than one word of bits holds.
TEST(ZeroAndInfinity, SameCountsAsEveryPairOneByOne) {
  std::mt19937 rng(19);
  const int nSeq = 70, numKW = 2;
  const std::vector<int> numKwAll = {3, 0};
  std::vector<Marks> kwSign(numKW, Marks(nSeq));
  for (int t = 0; t < numKW; t++)
    for (int i = 0; i < nSeq; i++)
      for (int j = 0; j < numKwAll[t]; j++)
        if (rng() % 3 == 0) kwSign[t].set(i, j);
  std::vector<int> hasMot((size_t)nSeq * nSeq);
  for (int &c : hasMot) c = rng() % 4 == 0 ? (int)(rng() % 3) + 1 : 0;
  const double maxPowSup = 20, minPowMot = 0.3;
  auto grids = [&]() {
    std::vector<std::vector<std::unique_ptr<HistXX>>> h(numKW);
    for (int t = 0; t < numKW; t++)
      for (int j = 0; j < numKwAll[t]; j++) {
        h[t].emplace_back(new HistXX(0, 20, 1, "K", 0));
        h[t][j]->addKW(1, 0, 7.5);  // a count of the learning pass, kept
      }
    return h;
  };
  auto fast = grids(), slow = grids();
  addZerInf(numKW, nSeq, numKwAll, kwSign, fast, hasMot, maxPowSup, minPowMot);
  for (int t = 0; t < numKW; t++)
    for (int j = 0; j < numKwAll[t]; j++) {
      HistXX &h = *slow[t][j];
      for (int i = 0; i < nSeq; i++) h.addKW(kwSign[t].at(i, j), kwSign[t].at(i, j), maxPowSup + 0.5);
      for (int s1 = 0; s1 < nSeq; s1++)
        for (int s2 = 0; s2 < nSeq; s2++)
          if (s1 != s2 && !hasMot[(size_t)s1 * nSeq + s2])
            h.addKW(kwSign[t].at(s1, j), kwSign[t].at(s2, j), minPowMot - 0.5);
    }
  for (int j = 0; j < numKwAll[0]; j++) {
    const HistXX &a = *fast[0][j], &b = *slow[0][j];
    ASSERT_EQ(a.numPow, 21);
    for (int bin = 0; bin < a.numPow; bin++) {
      EXPECT_EQ(a.qXbX[bin], b.qXbX[bin]) << j << " " << bin;
      EXPECT_EQ(a.qXb_X[bin], b.qXb_X[bin]) << j << " " << bin;
      EXPECT_EQ(a.q_XbX[bin], b.q_XbX[bin]) << j << " " << bin;
      EXPECT_EQ(a.q_Xb_X[bin], b.q_Xb_X[bin]) << j << " " << bin;
    }
    // Every sequence with itself, and every ordered pair without a supermotif.
    double top = 0, low = 0;
    top += a.qXbX[20] + a.qXb_X[20] + a.q_XbX[20] + a.q_Xb_X[20];
    low += a.qXbX[0] + a.qXb_X[0] + a.q_XbX[0] + a.q_Xb_X[0];
    int pairs = 0;
    for (int s1 = 0; s1 < nSeq; s1++)
      for (int s2 = 0; s2 < nSeq; s2++) pairs += s1 != s2 && !hasMot[(size_t)s1 * nSeq + s2];
    EXPECT_EQ(top, nSeq);
    EXPECT_EQ(low, pairs);
  }
}

TEST(ZeroAndInfinity, HistogramWithoutBinsIsLeftAlone) {
  Marks m(2);
  m.set(0, 0);
  std::vector<Marks> kwSign = {m};
  std::vector<std::vector<std::unique_ptr<HistXX>>> h(1);
  h[0].emplace_back(new HistXX(1, 0, 1, "K", 0));
  ASSERT_EQ(h[0][0]->numPow, 0);
  addZerInf(1, 2, {1}, kwSign, h, {0, 0, 0, 0}, 20, 0);
  EXPECT_EQ(h[0][0]->numPow, 0);
}

}  // namespace
