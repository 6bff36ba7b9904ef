// The keyword report of one sequence against its motif file: exact bytes, and its two exits.
#include <gtest/gtest.h>

#include <string>

#include "orisk.h"
#include "testutil.h"

namespace {

using testutil::readFile;
using testutil::writeFile;

// A query bank q.bnk (entry 0: ZINC, METAL-BINDING, KINASE) and the bank b.sp, both indexed.
class CountKW : public ::testing::Test {
 protected:
  testutil::TempDir dir;
  std::string name() const { return dir.file("q"); }
  void SetUp() override {
    const std::string bank = readFile(testutil::dataPath("orisk/b.sp"));
    writeFile(dir.file("q.bnk"), bank);
    writeFile(dir.file("b.sp"), bank);
    ASSERT_TRUE(testutil::makeIndex(dir.file("q.bnk")));
    ASSERT_TRUE(testutil::makeIndex(dir.file("b.sp")));
  }
  std::string sup(int num, const char *pow, int nMot) const {
    std::string s = "Supermotif " + dir.file("q.bnk") + " 0 " + dir.file("b.sp") + " " + std::to_string(num) +
                    " " + pow + " " + std::to_string(nMot) + "   query-bank\n";
    for (int i = 0; i < nMot; i++) s += "     '+'      1     10     30      70560   37255680\n";
    return s;
  }
};

std::string row(const std::string &kw, int q, int n, const std::string &marks) {
  char head[160];
  snprintf(head, sizeof head, "KW %-100s  %d  %3d   ", kw.c_str(), q, n);
  return head + marks + "\n";
}

TEST_F(CountKW, ReportLinesAppended) {
  // b.sp 1 (ZINC, METAL-BINDING, REPEAT) twice, b.sp 3 (KINASE, TRANSPORT), b.sp 9 unreadable.
  writeFile(dir.file("q.mot"), "Query: q\n\n" + sup(1, "20.00", 1) + sup(3, "10.00", 2) + sup(1, "8.00", 1) +
                                   sup(9, "5.00", 1));
  writeFile(dir.file("r.txt"), "before\n");
  ASSERT_EQ(countKW(name().c_str(), 0, "KW", dir.file("r.txt").c_str()), 0);
  const std::string want = "before\n\nFile " + name() + "      5 Keywords  3 Sequences 4 Supermotifs 5 Motifs\n" +
                           row("ZINC", 1, 1, " 1 0 0") + row("METAL-BINDING", 1, 1, " 1 0 0") +
                           row("KINASE", 1, 1, " 0 1 0") + row("REPEAT", 0, 1, " 1 0 0") +
                           row("TRANSPORT", 0, 1, " 0 1 0");
  EXPECT_EQ(readFile(dir.file("r.txt")), want);
}

TEST_F(CountKW, CrossResultsReadTheSecondMotifFile) {
  writeFile(dir.file("q.mot"), sup(1, "20.00", 1));
  writeFile(dir.file("q.mot1"), sup(3, "20.00", 3));
  ASSERT_EQ(countKW(name().c_str(), 1, "KW", dir.file("r.txt").c_str()), 0);
  EXPECT_NE(readFile(dir.file("r.txt")).find("      4 Keywords  1 Sequences 1 Supermotifs 3 Motifs\n"),
            std::string::npos);
}

TEST_F(CountKW, UnwritableReportIsReported) {
  writeFile(dir.file("q.mot"), sup(1, "20.00", 1));
  EXPECT_EQ(countKW(name().c_str(), 0, "KW", dir.path().c_str()), 1);
}

using CountKWDeathTest = CountKW;

TEST_F(CountKWDeathTest, NoQueryOrNoMotifFileEndsTheRun) {
  writeFile(dir.file("q.mot"), sup(1, "20.00", 1));
  const std::string none = dir.file("none");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        countKW(none.c_str(), 0, "KW", dir.file("r.txt").c_str());
      },
      ::testing::ExitedWithCode(111),
              "Can't load sequence: Addres " + none + ".bnk Index 0");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        countKW(name().c_str(), 1, "KW", dir.file("r.txt").c_str());
      },
      ::testing::ExitedWithCode(114),
              "Can't open motif file " + name() + ".mot1");
}

}  // namespace
