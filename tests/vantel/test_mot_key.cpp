// The keyword listing of a motif file's similar sequences ("mot_key.mke"): exact lines,
// appending, and its exits.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "mot_key.h"
#include "testutil.h"

namespace {

using testutil::readFile;
using testutil::writeFile;

// A scratch directory made the working one: q.bnk (entry 0: ZINC, METAL-BINDING, KINASE),
// the bank b.sp, both indexed, and q.sta, the statistics orisk learnt from them.
class MotKey : public ::testing::Test {
 protected:
  testutil::TempDir dir;
  std::string back;
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    back = cwd;
    const std::string bank = readFile(testutil::dataPath("orisk/b.sp"));
    writeFile(dir.file("q.bnk"), bank);
    writeFile(dir.file("b.sp"), bank);
    writeFile(dir.file("q.sta"), readFile(testutil::dataPath("orisk/golden.sta")));
    ASSERT_TRUE(testutil::makeIndex(dir.file("q.bnk")));
    ASSERT_TRUE(testutil::makeIndex(dir.file("b.sp")));
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(back.c_str()), 0); }
};

std::string line(const char *type, const std::string &kw, int has, const char *prob, const char *pow) {
  char buf[200];
  snprintf(buf, sizeof buf, "%s %-100s   %d %s %s \n", type, kw.c_str(), has, prob, pow);
  return buf;
}

const char *const kTypes[] = {"KW", "DE"};

TEST_F(MotKey, OneLinePerKeywordOfEachSimilarSequence) {
  // b.sp 1: ZINC, METAL-BINDING, REPEAT; b.sp 3: KINASE, TRANSPORT. At power 20 (the grid's
  // top) the last segment of each learnt keyword gives the probability; REPEAT has none.
  writeFile("q.mot", "Query: q\n\n"
                     "Supermotif q.bnk 0 b.sp 1  20.00 1 query-bank\n     '+' 0 0 10 5000 81920000\n"
                     "Supermotif q.bnk 0 b.sp 3  20.00 1 query-bank\n     '+' 0 0 10 5000 81920000\n");
  writeFile("mot_key.mke", "kept\n");
  ASSERT_EQ(wrtMotKey("q.mot", 1, kTypes), 0);
  const char *p = "20.000000";
  EXPECT_EQ(readFile("mot_key.mke"),
            "kept\n" + line("KW", "ZINC", 1, "0.950000", p) + line("KW", "METAL-BINDING", 1, "0.950000", p) +
                line("KW", "REPEAT", 0, "0.000000", p) + line("KW", "KINASE", 1, "0.500000", p) +
                line("KW", "TRANSPORT", 0, "0.050000", p));
}

TEST_F(MotKey, WithoutStatisticsEveryProbabilityIsZero) {
  unlink("q.sta");
  writeFile("q.mot", "Supermotif q.bnk 0 b.sp 2  4.50 1 query-bank\n     '+' 0 0 10 5000 18432000\n");
  ASSERT_EQ(wrtMotKey("q.mot", 2, kTypes), 0);
  // b.sp 2 (YGAM_MOUSE): KW "Hypothetical protein; Transport", DE "Hypothetical protein gamma".
  const char *p = "4.500000";
  EXPECT_EQ(readFile("mot_key.mke"), line("KW", "HYPOTHETICAL PROTEIN", 0, "0.000000", p) +
                                         line("KW", "TRANSPORT", 0, "0.000000", p) +
                                         line("DE", "HYPOTHETICAL", 0, "0.000000", p) +
                                         line("DE", "PROTEIN", 0, "0.000000", p) +
                                         line("DE", "GAMMA", 0, "0.000000", p));
}

TEST_F(MotKey, MissingMotifFileIsReported) { EXPECT_EQ(wrtMotKey("q.mot", 1, kTypes), 1); }

using MotKeyDeathTest = MotKey;

TEST_F(MotKeyDeathTest, UnreadableQueryOrSimilarEntryEndsTheRun) {
  writeFile("q.mot", "Supermotif q.bnk 0 b.sp 9  4.50 1 query-bank\n     '+' 0 0 10 5000 18432000\n");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        wrtMotKey("q.mot", 1, kTypes);
      },
      ::testing::ExitedWithCode(111), "Can't load sequence: Addres b.sp Index 9");
  writeFile("r.mot", "");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        wrtMotKey("r.mot", 1, kTypes);
      },
      ::testing::ExitedWithCode(111), "Can't load sequence: Addres r.bnk Index 0");
}

}  // namespace
