// Whole result files of the search program against committed expected files: a protein
// search, a translated search (a nucleic query against protein banks) and a nucleic search of
// both strands, each in one thread and with threads. The inputs lie in
// tests/data/search/golden (made by its make_inputs.py) and are copied into a fresh directory,
// so every path in the files is the relative one given on the command line. Only the
// banner's date is masked (testutil::maskDate). With SEQ_UPDATE_GOLDEN=1 in the environment
// the tests write the expected files instead of comparing with them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "testutil.h"

namespace {

const std::string kGolden = SEQ_TEST_DATA "/search/golden/";
const std::string kSearchData = SEQ_TEST_DATA "/search/";
const std::string kBin = SEQ_BIN_DIR "/search";

struct Outcome {
  int code = -1;
  std::string out, result, ctr;
};

struct Case {
  const char *name;    // expected files <name>.expected and <name>.stdout
  const char *params;  // settings after the color and code files
  const char *banks;   // the bank list
  const char *queries;
};

Outcome run(const Case &c, const std::string &option) {
  testutil::TempDir dir;
  for (const char *f : {"prot_queries.fa", "prot_bank.fa", "nuc_queries.fa", "nuc_bank.fa"})
    testutil::writeFile(dir.file(f), testutil::readFile(kGolden + f));
  for (const char *f : {"colors.txt", "code.txt"})
    testutil::writeFile(dir.file(f), testutil::readFile(kSearchData + f));
  testutil::writeFile(dir.file("params.txt"),
                      std::string("Search parameters\n!c colors.txt\n!e code.txt\n") + c.params);
  testutil::writeFile(dir.file("banks.txt"), c.banks);
  const std::string cmd = "cd '" + dir.path() + "' && timeout 120 '" + kBin + "' " + option +
                          " params.txt banks.txt " + c.queries + " result.txt > stdout.txt";
  const int st = std::system(cmd.c_str());
  Outcome o;
  o.code = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  o.out = testutil::readFile(dir.file("stdout.txt"));
  o.result = testutil::maskDate(testutil::readFile(dir.file("result.txt")));
  o.ctr = testutil::readFile(dir.file("ctr"));
  return o;
}

// Standard output up to its last line, the elapsed time, whose form is checked apart.
std::string withoutElapsedTime(const std::string &out) {
  const std::string mark = "\n Elapsed time: ";
  const size_t at = out.rfind(mark);
  if (at == std::string::npos) return out + "<no elapsed time>";
  const std::string tail = out.substr(at + mark.size());
  EXPECT_EQ(tail.size(), 16u) << tail;
  EXPECT_EQ(tail.substr(10), " min \n") << tail;
  return out.substr(0, at);
}

void checkGolden(const Case &c) {
  const bool update = std::getenv("SEQ_UPDATE_GOLDEN") != nullptr;
  const Outcome one = run(c, "-1");
  ASSERT_EQ(one.code, 0) << one.out;
  if (update) {
    testutil::writeFile(kGolden + c.name + ".expected", one.result);
    testutil::writeFile(kGolden + c.name + ".stdout", withoutElapsedTime(one.out));
  }
  EXPECT_EQ(one.result, testutil::readFile(kGolden + c.name + ".expected")) << c.name;
  EXPECT_EQ(withoutElapsedTime(one.out), testutil::readFile(kGolden + c.name + ".stdout"))
      << c.name;
  EXPECT_EQ(one.ctr, " \n Bank " + std::string(c.banks).substr(0, std::string(c.banks).find('\n')) + "  ");
  // The threaded pipeline writes the same file.
  const Outcome two = run(c, "-2");
  ASSERT_EQ(two.code, 0) << two.out;
  EXPECT_EQ(two.result, one.result) << c.name;
  EXPECT_EQ(two.ctr, one.ctr);
}

TEST(SearchGolden, ProteinQueriesAgainstAProteinBank) {
  checkGolden({"protein", "", "prot_bank.fa\n", "prot_queries.fa"});
}

TEST(SearchGolden, NucleicQueriesTranslatedAgainstAProteinBank) {
  checkGolden({"translated", "!E Y\n!D f\n", "prot_bank.fa\n", "nuc_queries.fa"});
}

// Cut from the 61st to the 600th letter: the translated frames' positions name residues of
// the whole queries' frames.
TEST(SearchGolden, NucleicQueriesCutAndTranslated) {
  checkGolden({"translated_cut", "!E Y\n!T 61\n!t 600\n!l Y\n", "prot_bank.fa\n", "nuc_queries.fa"});
}

TEST(SearchGolden, NucleicQueriesAgainstANucleicBankOnBothStrands) {
  checkGolden({"nucleic", "!E Y\n", "nuc_bank.fa\n", "nuc_queries.fa"});
}

// The date rule masks a date ending a line (the banner's, a prediction's head) and nothing else.
TEST(SearchGolden, MaskRuleTakesTheDateLineOnly) {
  EXPECT_EQ(testutil::maskDate("**\n           Mon Dec  9 05:51:52 2026\n\n Query x\n"),
            "**\n           <date>\n\n Query x\n");
  EXPECT_EQ(testutil::maskDate("           Tue Jan 10 12:00:00 2023"), "           <date>");
  EXPECT_EQ(testutil::maskDate(" Fri Dec 19 23:59:59 2025\n"), " <date>\n");
  EXPECT_EQ(testutil::maskDate("ID   Q\nCC   __ Predicted KELVA, Version 5.0, Wed Dec  9 08:38:29 2026\nKW"),
            "ID   Q\nCC   __ Predicted KELVA, Version 5.0, <date>\nKW");
  // Not a date as ctime writes it, not after blanks or ", ", or not at the line's end: left alone.
  for (const char *keep : {"           Mon Dec  9 05:51 2026\n", "Mon Dec  9 05:51:52 2026\n",
                           "           mon Dec  9 05:51:52 2026\n", "a,Mon Dec  9 05:51:52 2026\n",
                           "Query: Mon Dec  9 05:51:52 2026\n",
                           "           Mon Dec  9 05:51:52 2026 x\n"})
    EXPECT_EQ(testutil::maskDate(keep), keep);
}

}  // namespace
