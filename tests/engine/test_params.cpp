// Search parameters: the parameter file, the query matrix and short queries.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <cctype>
#include <sstream>
#include <string>

#include <unistd.h>

#include "params.h"
#include "seahom_params.h"
#include "testutil.h"

// Fatal messages go to standard output, which the death tests do not read: send it to
// standard error inside the dying child.
#define EXPECT_FATAL(stmt, code, regex) \
  EXPECT_EXIT(                          \
      {                                 \
        dup2(2, 1);                     \
        stmt;                           \
      },                                \
      testing::ExitedWithCode(code), regex)

namespace {

const std::string kData = std::string(SEQ_TEST_DATA) + "/engine1/";

// Reads a parameter file given as text; freadParam must return `want`.
void readParams(SearchHomolParams &p, const std::string &text, int want = 0) {
  FILE *f = tmpfile();
  fputs(text.c_str(), f);
  rewind(f);
  EXPECT_EQ(p.freadParam(f) != 0, want != 0) << text;
  fclose(f);
}

SearchHomolParams paramsOf(const std::string &text) {
  SearchHomolParams p;
  readParams(p, text);
  return p;
}

using testutil::seqOf;

TEST(Params, FileWithoutSettingsGivesTheDefaults) {
  const SearchHomolParams p = paramsOf("a parameter file\nwithout any setting\n");
  EXPECT_EQ(p.useLookingTable, 1);
  EXPECT_EQ(p.termom, 1);
  EXPECT_STREQ(p.frameList, "abcdef");
  EXPECT_STREQ(p.code.frameList, "abcdef");
  EXPECT_EQ(p.matrName, nullptr);
  EXPECT_EQ(p.wm, nullptr);
  EXPECT_FALSE(p.agRead);
  EXPECT_FALSE(p.codeRead);
  EXPECT_EQ(p.selectSup, 0);
  EXPECT_EQ(p.psiMeth, 3);
  EXPECT_EQ(p.psiColWeight, 1.0);
}

TEST(Params, OutOfRangeValuesAreIgnored) {
  struct Case {
    const char *text;
    int winWidth, coiNum;
    double coinc, minHomol;
    int thLength, partSize;
    bool refused = false;
  } cases[] = {
      {"!W 9\n", 5, 4, 0.05, 0.0, 7, 100},
      {"!W 1\n", 5, 4, 0.05, 0.0, 7, 100},
      {"!k 8\n", 5, 4, 0.05, 0.0, 7, 100},
      {"!k -1\n", 5, 4, 0.05, 0.0, 7, 100},
      {"!C 0\n", 5, 4, 0.0, 0.0, 7, 100},
      {"!C 1.5\n", 5, 4, 0.05, 0.0, 7, 100},
      {"!C 1\n!C -0.1\n", 5, 4, 1.0, 0.0, 7, 100},
      {"!H 2\n", 5, 4, 0.05, 0.0, 7, 100},
      {"!H 0.5\n", 5, 4, 0.05, 0.5, 7, 100},
      {"!W 3\n", 3, 3, 0.05, 0.0, 7, 100},  // coiNum follows the window down
      {"!k 7\n", 5, 5, 0.05, 0.0, 7, 100},
      {"!k 0\n", 5, 0, 0.05, 0.0, 7, 100},
      {"!L 0\n!p 0\n", 5, 4, 0.05, 0.0, 7, 100},
      {"!L -3\n!p -5\n", 5, 4, 0.05, 0.0, 7, 100},
      {"!L 1\n!p 1\n", 5, 4, 0.05, 0.0, 1, 1},
      {"!C NaN\n", 5, 4, 0.05, 0.0, 7, 100, true},
      {"!H +Infinity\n", 5, 4, 0.05, 0.0, 7, 100, true},
      {"!P -inf\n!W INF\n!L nan\n", 5, 4, 0.05, 0.0, 7, 100, true},
  };
  for (const Case &c : cases) {
    SearchHomolParams p;
    readParams(p, c.text, c.refused);  // nan and infinity are no numbers
    EXPECT_EQ(p.winWidth, c.winWidth) << c.text;
    EXPECT_EQ(p.coiNum, c.coiNum) << c.text;
    EXPECT_EQ(p.coincRatio, c.coinc) << c.text;
    EXPECT_EQ(p.minHomolRatio, c.minHomol) << c.text;
    EXPECT_EQ(p.thLength, c.thLength) << c.text;
    EXPECT_EQ(p.partSize, c.partSize) << c.text;
  }
}

TEST(Params, FrameKey) {
  struct Case {
    const char *text;
    const char *frames;
    int reverse;
  } cases[] = {
      {"!E B\n", "def", 1},
      {"!E Y\n", "abcdef", 2},
      {"!E Y\n!E N\n", "abc", 0},
      {"!E fca\n", "acf", 0},          // sorted, reverse unchanged
      {"!E B\n!E fca\n", "acf", 1},    // reverse kept from the earlier line
      {"!E fedcbaZZ\n", "abcdef", 0},  // the first 6 characters only
      {"!E b\n", "b", 0},              // lower case is not the B rule
  };
  for (const Case &c : cases) {
    const SearchHomolParams p = paramsOf(c.text);
    EXPECT_STREQ(p.frameList, c.frames) << c.text;
    EXPECT_STREQ(p.code.frameList, c.frames) << c.text;
    EXPECT_EQ(p.reverse, c.reverse) << c.text;
  }
}

TEST(Params, LetterKeys) {
  SearchHomolParams p = paramsOf("!A y\n!h y\n!l Y\n!D f\n");
  EXPECT_EQ(p.accurateDotHelix, 0);  // lower-case y switches the feature off
  EXPECT_EQ(p.helixFreqRecalc, 0);
  EXPECT_EQ(p.selectSup, 1);
  EXPECT_EQ(p.eachFrame, 1);
  p = paramsOf("!l y\n!D F\n!A Yes\n");
  EXPECT_EQ(p.selectSup, 0);
  EXPECT_EQ(p.eachFrame, 0);
  EXPECT_EQ(p.accurateDotHelix, 1);
  p = paramsOf("!n C\n!S C\n!o P\n!r P\n!f Q\n!I 9\n!w 2.5\n");
  EXPECT_EQ(p.psiNormal, 1);
  EXPECT_EQ(p.psiMeth, 2);
  EXPECT_EQ(p.psiPowOrSum, 1);
  EXPECT_EQ(p.psiResc, 2);
  EXPECT_EQ(p.psiFreq, 3);
  EXPECT_EQ(p.psiMaxIter, 9);
  EXPECT_EQ(p.psiColWeight, 2.5);
  p = paramsOf("!f A\n!f Z\n!S E\n!S Z\n!n P\n!r C\n!o S\n");
  EXPECT_EQ(p.psiFreq, 1);  // unknown letters leave f and S unchanged
  EXPECT_EQ(p.psiMeth, 4);
  EXPECT_EQ(p.psiNormal, 2);
  EXPECT_EQ(p.psiResc, 1);
  EXPECT_EQ(p.psiPowOrSum, 0);
  p = paramsOf("!n Z\n!r Z\n");
  EXPECT_EQ(p.psiNormal, 0);
  EXPECT_EQ(p.psiResc, 0);
}

TEST(Params, LineForms) {
  // Valueless keys, a trailing "!", a blank after the "!": no setting at all.
  SearchHomolParams p = paramsOf("!P\n!F   \t\nsome text !\n! P 5\n!m\n!c\n!e\n");
  EXPECT_EQ(p.thPower, 4.0);
  EXPECT_EQ(p.thSubalignPower, 6.0);
  EXPECT_EQ(p.matrName, nullptr);
  EXPECT_FALSE(p.agRead);
  // Label before the "!", comment after the value, the value glued to the key.
  p = paramsOf("Motif power !P4.5 threshold\nGap\t!G 2.25 per gap\r\n!L 9x\n");
  EXPECT_EQ(p.thPower, 4.5);
  EXPECT_EQ(p.gapPenalty, 2.25);
  EXPECT_EQ(p.thLength, 9);
  // A later line wins; unknown keys are ignored.
  p = paramsOf("!P 3\n!Z 8\n!P 5.5\n");
  EXPECT_EQ(p.thPower, 5.5);
  // Integers as a 32-bit long reads them.
  p = paramsOf("!t 4294967296\n!T -99999999999\n!s 0x12\n");
  EXPECT_EQ(p.To, INT_MAX);
  EXPECT_EQ(p.From, INT_MIN);
  EXPECT_EQ(p.maxShifts, 0);
  // A long line is one line.
  p = paramsOf(std::string(3000, ' ') + "!P 7\n");
  EXPECT_EQ(p.thPower, 7.0);
  // A carriage return ends the line.
  p = paramsOf("x\r!P 8\n");
  EXPECT_EQ(p.thPower, 4.0);
}

TEST(Params, GroupsCodeAndMatrixFiles) {
  SearchHomolParams p = paramsOf("!c " + kData + "protein.colors\n!e " + kData +
                                 "standard.code\n!m first.mat\n!m " + kData + "tiny.mat\n");
  EXPECT_TRUE(p.agRead);
  EXPECT_TRUE(p.codeRead);
  EXPECT_EQ(p.ag.num_colors, 7);
  EXPECT_EQ(p.ag.ord('k'), 3);
  EXPECT_EQ(p.code.code[0].aa, 'P');   // CCC
  EXPECT_EQ(p.code.code[63].aa, 'K');  // AAA
  EXPECT_STREQ(p.matrName, (kData + "tiny.mat").c_str());
}

TEST(ParamsDeathTest, BadGroupsOrCodeFilesEndTheRun) {
  EXPECT_FATAL(paramsOf("!c /nonexistent/colors\n"), 111,
              "\n Can't open file with color file /nonexistent/colors or can't read it\\.\\.\\.");
  EXPECT_FATAL(paramsOf("!c " + kData + "empty.colors\n"), 111,
              "color file .*empty.colors or can't read it");
  EXPECT_FATAL(paramsOf("!e /nonexistent/code\n"), 111,
              "\n Can't open file with translation code /nonexistent/code or can't read it");
  EXPECT_FATAL(paramsOf("!e " + kData + "protein.colors\n"), 111,
              "translation code .*protein.colors");
  const SearchHomolParams none = paramsOf("");
  EXPECT_FATAL(none.requireColors(), 111,
              "\n Can't open file with color file \\(null\\) or can't read it\\.\\.\\.");
  EXPECT_FATAL(none.requireCode(), 111,
              "\n Can't open file with translation code \\(null\\) or can't read it");
}

TEST(Params, QueryMatrix) {
  SearchHomolParams p = paramsOf("");
  testing::internal::CaptureStdout();
  p.readMatr(seqOf("MKVLAAGIVGLLLA"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\n Can't read file with Weight matrix (null) or can't load it\n Default Blosum62 will be used");
  auto *w = dynamic_cast<Weight_matrix *>(p.wm);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->type, 0);
  EXPECT_EQ(w->orig_elem[0][0], 8);

  testing::internal::CaptureStdout();
  p.readMatr(seqOf("ACGTTGCAACGT"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\n Can't read file with Weight matrix (null) or can't load it\n Default Diagonal will be used");
  w = dynamic_cast<Weight_matrix *>(p.wm);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->type, 1);
  EXPECT_EQ(w->orig_elem[3][3], 10);

  // A matrix file checked as the parameters were read but gone by now falls back as none does.
  delete[] p.matrName;
  p.matrName = _strdup_("/nonexistent.mat");
  testing::internal::CaptureStdout();
  p.readMatr(seqOf("MKV"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\n Can't read file with Weight matrix /nonexistent.mat or can't load it\n Default Blosum62 will be used");

  p = paramsOf("!m " + kData + "tiny.mat\n");
  testing::internal::CaptureStdout();
  p.readMatr(seqOf("ACGT"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  w = dynamic_cast<Weight_matrix *>(p.wm);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->orig_elem[0][0], 4);
  EXPECT_EQ(w->orig_elem[14][0], -1);  // R with A
  EXPECT_EQ(w->orig_elem[0][14], -1);
}

TEST(Params, CopiesOwnTheirNameAndMatrix) {
  SearchHomolParams p = paramsOf("!m " + kData + "tiny.mat\n!P 3.5\n");
  p.readMatr(seqOf("ACGT"));
  SearchHomolParams q(p);
  EXPECT_NE(q.matrName, p.matrName);
  EXPECT_STREQ(q.matrName, p.matrName);
  ASSERT_NE(q.wm, nullptr);
  EXPECT_NE(q.wm, p.wm);
  EXPECT_EQ(q.thPower, 3.5);
  SearchHomolParams r;
  r = q;
  r = r;
  EXPECT_NE(r.wm, q.wm);
  EXPECT_STREQ(r.matrName, p.matrName);
  // The m key drops the matrix held (a file that is not there is refused after reading).
  testing::internal::CaptureStdout();
  readParams(r, "!m other.mat\n", 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n Can't open file with Weight matrix other.mat");
  EXPECT_EQ(r.wm, nullptr);
  EXPECT_STREQ(r.matrName, "other.mat");
}

// A matrix file is checked by its shape as the parameters are read (other refusals are rows of
// the bad-input tables); the settings after a refused one are still read.
TEST(Params, MatrixFilesAreCheckedByShape) {
  testutil::TempDir dir;
  const std::string m = dir.file("x.mat");
  const struct { const char *text; int bad; } rows[] = {
      {"title\n   A  R  *\nA  4\nR -1  5\n*  -4 -4  1\n\n", 0},  // a '*' row and a blank line
      {"title\n   A  R\n# only comments\n", 1},
      {"title\n   A  R\nA  4\nR -1  5\nend of matrix\n", 1},
  };
  for (const auto &row : rows) {
    testutil::writeFile(m, row.text);
    SearchHomolParams p;
    testing::internal::CaptureStdout();
    readParams(p, "!m " + m + "\n!F 7.5\n", row.bad);
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("\n File " + m + " is no weight matrix") == 0, row.bad);
    EXPECT_EQ(p.thSubalignPower, 7.5);
  }
}

TEST(Params, ShortQueriesLowerTheThresholds) {
  struct Case {
    int len;
    int thLength, winWidth;
    double thPower, thSub;
  } cases[] = {
      {3, 1, 1, 2.7, 4.0},  {5, 3, 3, 2.7, 4.0},   {10, 7, 5, 2.7, 4.0},  {14, 7, 5, 2.7, 4.0},
      {15, 7, 5, 3.0, 5.0}, {24, 7, 5, 3.0, 5.0},  {25, 7, 5, 3.2, 5.2},  {30, 7, 5, 3.2, 5.2},
      {49, 7, 5, 3.2, 5.2}, {50, 7, 5, 4.0, 6.0},  {300, 7, 5, 4.0, 6.0},
  };
  for (const Case &c : cases) {
    SearchHomolParams p = paramsOf("");
    p.correctParam(seqOf(std::string((size_t)c.len, 'A')));
    EXPECT_EQ(p.thLength, c.thLength) << c.len;
    EXPECT_EQ(p.winWidth, c.winWidth) << c.len;
    EXPECT_EQ(p.thPower, c.thPower) << c.len;
    EXPECT_EQ(p.thSubalignPower, c.thSub) << c.len;
    EXPECT_EQ(p.coiNum, 4) << c.len;  // not capped again
  }
  // Lowered values stay for the rest of the run.
  SearchHomolParams p = paramsOf("");
  p.correctParam(seqOf("ACDEFGHIKL"));
  p.correctParam(seqOf(std::string(300, 'A')));
  EXPECT_EQ(p.thPower, 2.7);
  EXPECT_EQ(p.thSubalignPower, 4.0);
  // Lower settings are kept as they are.
  p = paramsOf("!P 1.5\n!F 2\n!L 2\n");
  p.correctParam(seqOf("ACDEFGHIKL"));
  EXPECT_EQ(p.thPower, 1.5);
  EXPECT_EQ(p.thSubalignPower, 2.0);
  EXPECT_EQ(p.thLength, 2);
}

TEST(ParamsDeathTest, TooShortQueryEndsTheRun) {
  SearchHomolParams p = paramsOf("");
  EXPECT_FATAL(p.correctParam(seqOf("AC")), 111,
              "\n Too short qury, length = 2");
  EXPECT_FATAL(p.correctParam(seqOf("")), 111,
              "\n Too short qury, length = 0");
}

}  // namespace
