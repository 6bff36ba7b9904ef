// Swiss-Prot headers in the older layout (length as the fifth token of the ID line, feature
// positions in two columns) and in today's ("Reviewed;   472 AA.", positions "a..b" or "n"
// with the description on a /note line) give the same lengths, ranges and feature names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "seqinfo.h"
#include "testutil.h"

namespace {

void swiss(SeqInfo &info, const std::string &text) {
  FILE *f = testutil::streamOf(text);
  info.readSwis(f);
  fclose(f);
}

std::vector<int> ranges(SeqInfo &info, int line) {
  int beg[SeqInfo::kMaxRanges], end[SeqInfo::kMaxRanges];
  int n = info.getBegEndFT(line, beg, end);
  std::vector<int> r;
  for (int i = 0; i < n; i++) {
    r.push_back(beg[i]);
    r.push_back(end[i]);
  }
  return r;
}

const char *kOld =
    "ID   CRU4_ARATH     STANDARD;      PRT;   472 AA.\n"
    "FT   SIGNAL        1     24\n"
    "FT   DOMAIN       25    282       KRINGLE 1.\n"
    "FT   DISULFID     36     69\n"
    "FT   MOD_RES     <40     40       PHOSPHOSERINE.\n"
    "SQ   SEQUENCE   472 AA;\n";

const char *kToday =
    "ID   CRU4_ARATH              Reviewed;         472 AA.\n"
    "FT   SIGNAL          1..24\n"
    "FT   DOMAIN          25..282\n"
    "FT                   /note=\"Kringle 1\"\n"
    "FT   DISULFID        36..69\n"
    "FT   MOD_RES         <40\n"
    "SQ   SEQUENCE   472 AA;\n";

}  // namespace

TEST(SwissLayouts, LengthFromEitherIdLine) {
  SeqInfo a, b;
  swiss(a, kOld);
  swiss(b, kToday);
  EXPECT_EQ(a.getLen(), 472);
  EXPECT_EQ(b.getLen(), 472);
  SeqInfo c;
  swiss(c, "ID   X_HUMAN   Unreviewed;   88 AA.\n");
  EXPECT_EQ(c.getLen(), 88);
  swiss(c, "ID   X; SV 1; linear; mRNA; STD; HUM; 366 BP.\n");
  EXPECT_EQ(c.getLen(), 366);
  swiss(c, "ID   X_HUMAN   Reviewed;   AA.\n");  // no number before the unit
  EXPECT_EQ(c.getLen(), 0);
  swiss(c, "ID   X_HUMAN   Reviewed;   12AA.\n");  // not a token of its own
  EXPECT_EQ(c.getLen(), 0);
}

TEST(SwissLayouts, SameRangesAndNames) {
  SeqInfo a, b;
  swiss(a, kOld);
  swiss(b, kToday);
  EXPECT_EQ(ranges(a, 1), (std::vector<int>{1, 24}));
  EXPECT_EQ(ranges(b, 1), (std::vector<int>{1, 24}));
  EXPECT_EQ(ranges(a, 2), (std::vector<int>{25, 282}));
  EXPECT_EQ(ranges(b, 2), (std::vector<int>{25, 282}));
  EXPECT_EQ(ranges(a, 3), (std::vector<int>{36, 36, 69, 69}));  // two single residues
  EXPECT_EQ(ranges(b, 4), (std::vector<int>{36, 36, 69, 69}));
  EXPECT_EQ(ranges(a, 4), (std::vector<int>{40, 40}));
  EXPECT_EQ(ranges(b, 5), (std::vector<int>{40, 40}));
  EXPECT_EQ(ranges(b, 3), (std::vector<int>{}));  // the /note line starts no entry

  char name[1024];
  makeName("DOMAIN          25..282", name, 2);
  EXPECT_STREQ(name, "DOMAIN");
  makeName("DOMAIN       25    282       KRINGLE 1.", name, 2);
  EXPECT_STREQ(name, "DOMAIN_KRINGLE_1");
  makeName("CHAIN          7", name, 2);
  EXPECT_STREQ(name, "CHAIN");
  makeName("CHAIN          ?..282", name, 2);  // unknown start
  EXPECT_STREQ(name, "CHAIN");

  int la = 0, lb = 0;
  int *ma = a.getCharFT("DOMAIN_KRINGLE_1", la);
  int *mb = b.getCharFT("DOMAIN", lb);
  ASSERT_EQ(la, lb);
  EXPECT_EQ(std::vector<int>(ma, ma + la), std::vector<int>(mb, mb + lb));
  EXPECT_EQ(mb[24] + mb[281] - mb[23] - mb[282], 2);
  delete[] ma;
  delete[] mb;
}

TEST(SwissLayouts, MalformedPositionsGiveNoRange) {
  SeqInfo c;
  swiss(c,
        "ID   X  Reviewed;  50 AA.\n"
        "FT   DOMAIN          25..\n"
        "FT   DOMAIN          ..30\n"
        "FT   DOMAIN          25.. 30\n"
        "FT   DOMAIN          25..30x\n"
        "FT   DOMAIN          25 x\n");
  for (int i = 1; i <= 5; i++) EXPECT_EQ(ranges(c, i), (std::vector<int>{})) << i;
}

TEST(GenBankRanges, RangesOnOtherEntriesAreLeftOut) {
  SeqInfo gb;
  FILE *f = testutil::streamOf(
      "LOCUS       X 512 bp    DNA\n"
      "FEATURES             Location/Qualifiers\n"
      "     CDS             join(387..500,X03488.1:50..196,<1..20)\n"
      "ORIGIN\n");
  gb.readGenb(f);
  fclose(f);
  EXPECT_EQ(ranges(gb, 2), (std::vector<int>{387, 500, 1, 20}));
}
