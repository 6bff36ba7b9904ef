// Presence tables, their marks, and the column file line: exact bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
