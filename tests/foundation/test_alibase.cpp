// Alignment blocks: the four readers, the consensus and the row checks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <unistd.h>

#include "alibase.h"

namespace {

const std::string kData = SEQ_TEST_DATA "/f2/";

std::string row(const WorkAli &w, int r) { return std::string(w.ali[r], (size_t)w.len); }

FILE *textFile(const std::string &text) {
  FILE *f = tmpfile();
  fwrite(text.data(), 1, text.size(), f);
  rewind(f);
  return f;
}

TEST(Alignment, InterleavedRows) {
  WorkAli w;
  ASSERT_EQ(w.readFast((kData + "interleaved.aln").c_str()), 1);
  ASSERT_EQ(w.nSeq, 3);
  EXPECT_EQ(w.len, 10);
  EXPECT_EQ(row(w, 0), "ACDEFGHIKL");
  EXPECT_EQ(row(w, 1), "ACEKFGHIRL");
  EXPECT_EQ(row(w, 2), "WCDEKFHI--");  // short rows padded with '-'
  // Reading again replaces the rows.
  ASSERT_EQ(w.readFast((kData + "interleaved.aln").c_str()), 1);
  EXPECT_EQ(w.nSeq, 3);
  EXPECT_EQ(w.readFast((kData + "no-such-file").c_str()), 0);
}

TEST(Alignment, BlocksAndPfamRows) {
  WorkAli w;
  FILE *f = fopen((kData + "small.blk").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(w.readBlocks(f), 1);
  ASSERT_EQ(w.nSeq, 3);
  EXPECT_EQ(w.len, 8);
  EXPECT_STREQ(w.ali[0], "ACDEFGHI");
  EXPECT_STREQ(w.ali[2], "SCDEFAHI");
  fclose(f);

  f = fopen((kData + "small.sth").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(w.readPFam(f), 1);
  ASSERT_EQ(w.nSeq, 3);
  EXPECT_EQ(w.len, 6);
  EXPECT_STREQ(w.ali[0], "AC--DE");
  EXPECT_STREQ(w.ali[1], "ACGHDE");
  EXPECT_STREQ(w.ali[2], "A-G-D-");
  fclose(f);
  FILE *none = textFile("# STOCKHOLM 1.0\n#=GF ID x\n//\n");
  EXPECT_EQ(w.readPFam(none), 0);
  EXPECT_EQ(w.nSeq, 0);
  fclose(none);
}

TEST(AlignmentDeath, RowsOfDifferentLength) {
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        FILE *f = fopen((kData + "small.blk").c_str(), "rb");
        WorkAli w;
        w.readBlocks(f);
        w.readBlocks(f);
      },
      ::testing::ExitedWithCode(8),
      "^\n Different length of the rows in alignment\n\n len_#1=4 len_#1=3\n$");
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        FILE *f = fopen((kData + "small.sth").c_str(), "rb");
        WorkAli w;
        w.readPFam(f);
        w.readPFam(f);
      },
      ::testing::ExitedWithCode(8),
      "^\n Different length of the rows in alignment\n\n len_#1=4 len_#1=3\n\nnSeq 2\nACDE\nACD$");
}

TEST(AlignmentDeath, TooManyRows) {
  std::string blocks = "ID   BIG; BLOCK\nBL   X;\n", pfam = "# STOCKHOLM 1.0\n";
  for (int k = 0; k <= 100000; k++) {
    blocks += "S (1) ACGT\n";
    pfam += "s ACGT\n";
  }
  blocks += "//\n";
  pfam += "//\n";
  for (int which = 0; which < 2; which++) {
    const std::string &text = which ? pfam : blocks;
    EXPECT_EXIT(
        {
          dup2(STDERR_FILENO, STDOUT_FILENO);
          FILE *f = textFile(text);
          WorkAli w;
          if (which) w.readPFam(f); else w.readBlocks(f);
        },
        ::testing::ExitedWithCode(111), "^\n Too large number of rows in the alignment\n$");
  }
  // Exactly 100000 rows are held.
  blocks.erase(blocks.size() - 14);  // drop one row line and "//"
  blocks += "//\n";
  FILE *f = textFile(blocks);
  WorkAli w;
  EXPECT_EQ(w.readBlocks(f), 1);
  EXPECT_EQ(w.nSeq, 100000);
  fclose(f);
}

TEST(Alignment, PrintsEntriesByFirstWord) {
  AliBase bank((kData + "small.prn").c_str());
  ASSERT_TRUE(bank.valid());
  EXPECT_EQ(bank.getFormat(), 4);
  WorkAli w;
  // The first word of an "fd;" row is its tag.
  ASSERT_EQ(bank.next(w), 1);
  ASSERT_EQ(w.nSeq, 3);
  EXPECT_EQ(w.len, 2);
  EXPECT_EQ(row(w, 2), "fd");
  // Rows take the longest count; shorter ones are zero-filled.
  ASSERT_EQ(bank.next(w), 1);
  ASSERT_EQ(w.nSeq, 2);
  EXPECT_EQ(w.len, 8);
  EXPECT_EQ(row(w, 0), "fdEKKPQE");
  EXPECT_EQ(row(w, 1), std::string("fd\0\0\0\0\0\0", 8));
  EXPECT_EQ(bank.next(w), 0);
}

TEST(Alignment, BankOfPublicFiles) {
  AliBase pfam("/usr/share/EMBOSS/test/data/PF00032_seed.sth");
  ASSERT_TRUE(pfam.valid()) << "package emboss-test is needed";
  EXPECT_EQ(pfam.getFormat(), 6);
  WorkAli w;
  ASSERT_EQ(pfam.next(w), 1);
  EXPECT_EQ(w.nSeq, 9);
  EXPECT_EQ(w.len, 116);
  EXPECT_EQ(std::string(w.ali[8], 10), "IVDTLKTSDK");
  EXPECT_EQ(pfam.next(w), 0);

  AliBase blocks((kData + "small.blk").c_str());
  EXPECT_EQ(blocks.getFormat(), 5);
  ASSERT_EQ(blocks.next(w), 1);
  EXPECT_EQ(w.nSeq, 3);

  AliBase missing((kData + "no-such-file").c_str());
  EXPECT_FALSE(missing.valid());
  EXPECT_EQ(missing.next(w), 0);
  AliBase code((kData + "standard.code").c_str());
  testing::internal::CaptureStdout();
  EXPECT_EQ(code.next(w), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unknown alinment format -1");
}

TEST(Alignment, ConsensusAndColumns) {
  WorkAli w(3, 5);
  EXPECT_EQ(w.nSeq, 3);
  EXPECT_EQ(w.len, 5);
  memcpy(w.ali[0], "ACDE-", 5);
  memcpy(w.ali[1], "aCDF-", 5);
  memcpy(w.ali[2], "GCDW-", 5);
  std::unique_ptr<WorkSeq> c(w.makeConsen());
  // Shares (top count over the 5 columns): .4 .6 .6 .2 0. Four columns must lie above
  // the threshold, so it falls to about .1 and only the letterless column is X.
  EXPECT_STREQ(c->seq(), "ACDEX");
  EXPECT_EQ(c->frame, ' ');
  EXPECT_EQ(w.empty(4), 1);  // '-' is not counted
  EXPECT_EQ(w.empty(3), 0);
  w.alloc(2, 3);  // the earlier rows are freed
  w.ali[0][1] = 'A';
  EXPECT_EQ(w.equal(0, 1), 0);
  EXPECT_EQ(w.equal(1, 0), 1);
  testing::internal::CaptureStdout();
  w.printf();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("\n\n\0A\0\n\0\0\0\n", 10));
  WorkAli none(0, 0);
  std::unique_ptr<WorkSeq> e(none.makeConsen());
  EXPECT_STREQ(e->seq(), "");
}

TEST(Alignment, AlignedPartOfALine) {
  char a[] = "  seq1/1-10   AC--DE  more\n";
  EXPECT_STREQ(getStrAliStr(a), "AC--DE  more\n");
  EXPECT_EQ(getLenAliStr(a), 6);
  char b[] = "name 123 -AC";
  EXPECT_STREQ(getStrAliStr(b), "-AC");
  EXPECT_EQ(getLenAliStr(b), 3);
  char c[] = "onlyname\n";
  EXPECT_STREQ(getStrAliStr(c), "");
  EXPECT_EQ(getLenAliStr(c), 0);
}

}  // namespace
