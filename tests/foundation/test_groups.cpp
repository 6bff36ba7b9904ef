// Letter groups: the color file reader and the nucleic grouping.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "aa_group.h"

namespace {

FILE *textFile(const std::string &text) {
  FILE *f = tmpfile();
  fwrite(text.data(), 1, text.size(), f);
  rewind(f);
  return f;
}

int readGroups(AA_groups &g, const std::string &text) {
  FILE *f = textFile(text);
  int rc = g.fread(f);
  fclose(f);
  return rc;
}

TEST(LetterGroups, TwoLinesAndTheRestClass) {
  AA_groups g;
  ASSERT_EQ(readGroups(g, "AG\nST\n"), 0);
  EXPECT_EQ(g.num_colors, 3);
  for (char c : std::string("AGag")) EXPECT_EQ(g.ord((unsigned char)c), 0) << c;
  for (char c : std::string("STst")) EXPECT_EQ(g.ord((unsigned char)c), 1) << c;
  for (char c : std::string("*-BCzx0 \n")) EXPECT_EQ(g.ord((unsigned char)c), 2) << c;
  EXPECT_EQ(g.ord(0), 2);
  EXPECT_EQ(g.ord(255), 2);
}

TEST(LetterGroups, LinesWithoutLettersDoNotCount) {
  AA_groups g;
  ASSERT_EQ(readGroups(g, "\n12 34\nA G,\n  \n--**\nS:T\n\n"), 0);
  EXPECT_EQ(g.num_colors, 3);
  EXPECT_EQ(g.ord('g'), 0);
  EXPECT_EQ(g.ord('t'), 1);
  EXPECT_EQ(g.ord('1'), 2);
}

// A byte no letter group holds refuses the file (3), leaving one class; tabs, line ends and an
// opening byte-order mark are read as the text around them.
TEST(LetterGroups, BytesOfNoLetterGroup) {
  const struct { std::string text; int rc, colors; } rows[] = {
      {"A\xe9\xc9\nC\n", 3, 1}, {std::string("A\0G\n", 4), 3, 1}, {"AG\x7f\n", 3, 1}, {"A\tG\r\nC\n", 0, 3},
      {"\xEF\xBB\xBF" "AG\r\nC\n", 0, 3}, {"AG\n\xEF\xBB\xBF" "C\n", 3, 1}};
  for (const auto &r : rows) {
    AA_groups g;
    EXPECT_EQ(readGroups(g, r.text), r.rc) << r.text;
    EXPECT_EQ(g.num_colors, r.colors) << r.text;
  }
}

TEST(LetterGroups, RepeatedLetterMovesToTheLastLine) {
  AA_groups g;
  ASSERT_EQ(readGroups(g, "A\nC\nA\n"), 0);
  EXPECT_EQ(g.num_colors, 4);  // the emptied class 0 still counts
  EXPECT_EQ(g.ord('A'), 2);
  EXPECT_EQ(g.ord('a'), 2);
  EXPECT_EQ(g.ord('C'), 1);
  EXPECT_EQ(g.ord('G'), 3);
  for (int c = 0; c < 256; c++) EXPECT_NE(g.ord((unsigned char)c), 0) << c;
}

TEST(LetterGroups, FileWithoutLetters) {
  AA_groups g;
  EXPECT_EQ(readGroups(g, "12 34\n\n***\n"), 1);
  EXPECT_EQ(g.num_colors, 1);
  for (int c = 0; c < 256; c++) EXPECT_EQ(g.ord((unsigned char)c), 0) << c;
  EXPECT_EQ(readGroups(g, ""), 1);
  EXPECT_EQ(g.num_colors, 1);
}

TEST(LetterGroups, ReadingReplacesTheEarlierGrouping) {
  AA_groups g;
  g.makeDNA();
  ASSERT_EQ(readGroups(g, "AG\n"), 0);
  EXPECT_EQ(g.num_colors, 2);
  EXPECT_EQ(g.ord('C'), 1);
  EXPECT_EQ(g.ord('t'), 1);
}

TEST(LetterGroups, LongLineIsReadInPieces) {
  // 1023 characters fill the buffer: the rest of the line is a line of its own.
  AA_groups g;
  std::string line = "A" + std::string(1022, '1') + "B\n";
  ASSERT_EQ(readGroups(g, line), 0);
  EXPECT_EQ(g.num_colors, 3);
  EXPECT_EQ(g.ord('A'), 0);
  EXPECT_EQ(g.ord('B'), 1);
  // Exactly 1023 characters and the line end: the line end alone makes no class.
  line = std::string(1022, ' ') + "C\nD\n";
  ASSERT_EQ(readGroups(g, line), 0);
  EXPECT_EQ(g.num_colors, 3);
  EXPECT_EQ(g.ord('C'), 0);
  EXPECT_EQ(g.ord('D'), 1);
}

TEST(LetterGroups, ClassNumbersFitInAByte) {
  std::string text;
  for (int i = 0; i < 255; i++) text += "A\n";
  AA_groups g;
  ASSERT_EQ(readGroups(g, text), 0);
  EXPECT_EQ(g.num_colors, 256);
  EXPECT_EQ(g.ord('a'), 254);
  EXPECT_EQ(g.ord('-'), 255);
  // A 256th letter line would wrap its class to 0, the "unnamed" mark: refused.
  text += "C\n";
  EXPECT_NE(readGroups(g, text), 0);
  EXPECT_EQ(g.num_colors, 1);
}

TEST(LetterGroups, NucleicGrouping) {
  AA_groups g;
  EXPECT_EQ(g.makeDNA(), 0);
  EXPECT_EQ(g.num_colors, 5);
  const char *classes[4] = {"Aa", "Cc", "Gg", "TtUu"};
  for (int k = 0; k < 4; k++)
    for (const char *p = classes[k]; *p; p++) EXPECT_EQ(g.ord((unsigned char)*p), k) << *p;
  for (char c : std::string("NnXx-*BR\n")) EXPECT_EQ(g.ord((unsigned char)c), 4) << c;
  EXPECT_EQ(g.ord(0), 4);
  EXPECT_EQ(g.ord(200), 4);
}

}  // namespace
