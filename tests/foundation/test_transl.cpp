// Genetic code reader, codon lookup and the frame iterator.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "aa_code.h"

namespace {

const char kStandard[] = "PPPPLLLLRRRRHHQQSSSSFFLLCCW*YY**AAAAVVVVGGGGDDEETTTTIIMISSRRNNKK";
const char kNuc[] = "CTGA";

FILE *textFile(const std::string &text) {
  FILE *f = tmpfile();
  fwrite(text.data(), 1, text.size(), f);
  rewind(f);
  return f;
}

int readCode(Translation_code &tc, const std::string &text) {
  FILE *f = textFile(text);
  int rc = tc.fread(f);
  fclose(f);
  return rc;
}

// The 64 codon lines of the standard code, one string per line.
std::vector<std::string> codonLines() {
  std::vector<std::string> v;
  for (int n = 0; n < 64; n++) {
    std::string line;
    line += kNuc[n / 16];
    line += kNuc[n / 4 % 4];
    line += kNuc[n % 4];
    line += ' ';
    line += kStandard[n];
    v.push_back(line);
  }
  return v;
}

std::string join(const std::vector<std::string> &lines) {
  std::string s;
  for (auto &l : lines) s += l + "\n";
  return s;
}

class Translation : public ::testing::Test {
 protected:
  void SetUp() override {
    FILE *f = fopen(SEQ_TEST_DATA "/f2/standard.code", "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(tc.fread(f), 0);
    fclose(f);
  }
  BankSeq seq(const char *s) {
    BankSeq b;
    b.set(s, (int)strlen(s));
    return b;
  }
  // Every frame the iterator yields for one sequence, as "letter:residues".
  std::vector<std::string> frames(const char *s) {
    BankSeq src = seq(s), dest;
    std::vector<std::string> out;
    while (tc.translate(dest, src)) out.push_back(std::string(1, dest.frame) + ":" + dest.seq());
    return out;
  }
  Translation_code tc;
};

TEST_F(Translation, FileFillsTheCodeInCodonNumberOrder) {
  // The file carries comments before the table and blank lines inside it.
  for (int n = 0; n < 64; n++) {
    char codon[3] = {kNuc[n / 16], kNuc[n / 4 % 4], kNuc[n % 4]};
    EXPECT_EQ(tc.code[n].aa, kStandard[n]) << n;
    EXPECT_EQ(memcmp(tc.code[n].codon, codon, 3), 0) << n;
    EXPECT_EQ(tc.getProt(codon, 0), kStandard[n]) << n;
  }
  EXPECT_EQ(tc.getProt("ATG", 0), 'M');
  EXPECT_EQ(tc.getProt("AUG", 0), 'M');
  EXPECT_EQ(tc.getProt("TGA", 0), '*');
  // Read backwards and complemented: CAT is ATG on the other strand.
  EXPECT_EQ(tc.getProt("CAT", 1), 'M');
  EXPECT_EQ(tc.getProt("CAU", 1), 'M');
  EXPECT_EQ(tc.getProt("CCA", 1), 'W');
  // Lower case, N and anything else give X, on either strand.
  for (const char *bad : {"atg", "ANG", "AT-", "NNN", "AtG", "A G"}) {
    EXPECT_EQ(tc.getProt(bad, 0), 'X') << bad;
    EXPECT_EQ(tc.getProt(bad, 1), 'X') << bad;
  }
}

TEST(TranslationFile, Refusals) {
  Translation_code tc;
  std::vector<std::string> lines = codonLines();
  EXPECT_EQ(readCode(tc, join(lines)), 0);
  EXPECT_EQ(tc.code[63].aa, 'K');

  std::vector<std::string> short63(lines.begin(), lines.end() - 1);
  EXPECT_EQ(readCode(tc, join(short63)), 1);
  // No line starts with CCC: nothing is read.
  std::vector<std::string> noStart(lines.begin() + 1, lines.end());
  EXPECT_EQ(readCode(tc, join(noStart)), 1);
  EXPECT_EQ(readCode(tc, ""), 1);
  // "TAA" and its line end are 4 characters: a skipped line, so one codon is missing.
  std::vector<std::string> shortLine = lines;
  shortLine[30] = "TAA";
  EXPECT_EQ(readCode(tc, join(shortLine)), 1);
  // A codon line without its letter would shift every later codon: refused.
  std::vector<std::string> oneToken = lines;
  oneToken[10] = "CGG   ";
  EXPECT_EQ(readCode(tc, join(oneToken)), 1);
}

TEST(TranslationFile, LayoutOfCodonLines) {
  Translation_code tc;
  std::vector<std::string> lines = codonLines();
  lines[0] = "   \tCCC Pro extra words";
  lines[5] = "\tCTT\tL";
  lines[7] = "X  Y";  // one token short codon still fills the slot positionally
  lines.insert(lines.begin(), {"header line", "CC not yet", "  "});
  lines.push_back("CCC Z after the 64th codon line");
  ASSERT_EQ(readCode(tc, join(lines)), 0);
  EXPECT_EQ(tc.code[0].aa, 'P');
  EXPECT_EQ(tc.code[5].aa, 'L');
  EXPECT_EQ(tc.code[7].aa, 'Y');
  EXPECT_EQ(tc.code[7].codon[0], 'X');
  EXPECT_EQ(tc.code[7].codon[1], 0);
  EXPECT_EQ(tc.code[63].aa, 'K');
  // Lines end with CR LF as well.
  std::string crlf;
  for (auto &l : codonLines()) crlf += l + "\r\n";
  ASSERT_EQ(readCode(tc, crlf), 0);
  EXPECT_EQ(tc.code[63].aa, 'K');
}

TEST_F(Translation, SixFramesOfAShortSequence) {
  tc.update(0, 1, 1);
  EXPECT_EQ(tc.numFrames, 6);
  std::vector<std::string> expect = {"a:MA", "b:WX", "c:GX", "d:GH", "e:AX", "f:PX"};
  EXPECT_EQ(frames("ATGGCC"), expect);
  // The iterator rewinds itself for the next sequence.
  EXPECT_EQ(tc.frame, 0);
  EXPECT_EQ(frames("ATGGCC"), expect);

  tc.update(1, 0, 0);
  EXPECT_EQ(tc.numFrames, 3);
  expect = {"a:MA", "b:WX", "c:GX"};
  EXPECT_EQ(frames("ATGGCC"), expect);
}

TEST_F(Translation, TooShortForACodon) {
  tc.update(0, 1, 1);
  for (const char *s : {"", "A", "AC"}) {
    std::vector<std::string> expect = {"a:", "b:", "c:", "d:", "e:", "f:"};
    EXPECT_EQ(frames(s), expect) << s;
  }
  // Seven letters: two letters per frame; only c and f run off an end.
  std::vector<std::string> expect = {"a:MA", "b:WP", "c:GX", "d:GP", "e:GH", "f:AX"};
  EXPECT_EQ(frames("ATGGCCC"), expect);
}

TEST_F(Translation, FrameListAndLastFrame) {
  strcpy(tc.frameList, "ace");
  tc.update(0, 1, 1);
  BankSeq src = seq("ATGGCCAAA"), dest;
  std::string letters;
  std::vector<int> last;
  while (tc.translate(dest, src)) {
    letters += dest.frame;
    last.push_back(tc.lastFrame());
  }
  EXPECT_EQ(letters, "ace");
  EXPECT_EQ(last, (std::vector<int>{0, 1, 1}));

  // Only reverse frames listed.
  strcpy(tc.frameList, "df");
  letters.clear();
  last.clear();
  while (tc.translate(dest, src)) {
    letters += dest.frame;
    last.push_back(tc.lastFrame());
  }
  EXPECT_EQ(letters, "df");
  EXPECT_EQ(last, (std::vector<int>{0, 1}));
  // No listed frame at all: nothing is produced.
  strcpy(tc.frameList, "+");
  EXPECT_EQ(tc.translate(dest, src), 0);
  EXPECT_EQ(tc.frame, 0);
}

TEST_F(Translation, EqualTypesCopyAndReverseComplement) {
  tc.update(1, 1, 1);
  EXPECT_EQ(tc.numFrames, 2);
  BankSeq src = seq("ACGUNa"), dest;
  ASSERT_EQ(tc.translate(dest, src), 1);
  EXPECT_STREQ(dest.seq(), "ACGUNa");
  EXPECT_EQ(dest.frame, '+');
  EXPECT_EQ(tc.lastFrame(), 1);
  ASSERT_EQ(tc.translate(dest, src), 1);
  EXPECT_STREQ(dest.seq(), "tAACGT");  // U, N and every other character complement to A
  EXPECT_EQ(dest.frame, '-');
  EXPECT_EQ(tc.translate(dest, src), 0);
  // Odd length: the middle letter is complemented too.
  BankSeq odd = seq("AAGTT");
  tc.translate(dest, odd);
  tc.translate(dest, odd);
  EXPECT_STREQ(dest.seq(), "AACTT");
  tc.translate(dest, odd);

  tc.update(1, 1, 0);
  EXPECT_EQ(frames("ACGT"), (std::vector<std::string>{"+:ACGT"}));
  tc.update(0, 0, 1);
  EXPECT_EQ(tc.numFrames, 1);
  EXPECT_EQ(frames("MKV"), (std::vector<std::string>{"+:MKV"}));
  // Another pair leaves the frame count as it was.
  tc.update(0, 1, 1);
  tc.update(2, 0, 0);
  EXPECT_EQ(tc.numFrames, 6);
  EXPECT_EQ(tc.frame, 0);
}

TEST_F(Translation, SingleFrame) {
  BankSeq src = seq("ATGGCC"), dest = seq("keep");
  EXPECT_EQ(tc.translate(dest, src, 'd'), 1);
  EXPECT_STREQ(dest.seq(), "GH");
  EXPECT_EQ(dest.frame, 'd');
  EXPECT_EQ(tc.numFrames, 6);
  EXPECT_EQ(tc.queMolType, 0);
  EXPECT_EQ(tc.baseMolType, 1);
  // Not listed: the next listed frame is produced instead.
  strcpy(tc.frameList, "ace");
  EXPECT_EQ(tc.translate(dest, src, 'b'), 1);
  EXPECT_EQ(dest.frame, 'c');
  EXPECT_EQ(tc.translate(dest, src, 'f'), 0);
  // Letters outside a..f leave dest untouched.
  dest = seq("keep");
  tc.update(1, 1, 0);
  EXPECT_EQ(tc.translate(dest, src, '+'), 0);
  EXPECT_EQ(tc.translate(dest, src, '\0'), 0);
  EXPECT_STREQ(dest.seq(), "keep");
  EXPECT_EQ(tc.numFrames, 6);
  EXPECT_EQ(tc.baseMolType, 1);
}

TEST(FrameList, LastFrameOfAList) {
  EXPECT_EQ(lastFrame(0, 6, "abcdef"), 0);
  EXPECT_EQ(lastFrame(2, 6, "abcdef"), 1);
  EXPECT_EQ(lastFrame(3, 6, "abcdef"), 0);
  EXPECT_EQ(lastFrame(5, 6, "abcdef"), 1);
  EXPECT_EQ(lastFrame(1, 4, "ab+-"), 1);  // '+' counts as not direct
  EXPECT_EQ(lastFrame(0, 3, "a"), 1);     // the end of the list too
  EXPECT_EQ(lastFrame(0, 3, "xy"), 0);    // other characters count as direct
  EXPECT_EQ(lastFrame(0, 3, "xd"), 1);
  EXPECT_EQ(lastFrame(0, 3, "de"), 0);
}

// Reference translation written from the definition: the reverse frames are the forward
// frames of the reverse complement, codons past the end give X.
std::string refFrame(const Translation_code &tc, const std::string &s, int k) {
  std::string src = s;
  if (k >= 3) {
    src.assign(s.rbegin(), s.rend());
    for (char &c : src) {
      switch (c) {
        case 'A': c = 'T'; break;
        case 'T': case 'U': c = 'A'; break;
        case 'C': c = 'G'; break;
        case 'G': c = 'C'; break;
        default: c = 'n'; break;
      }
    }
  }
  std::string out;
  size_t n = s.size() / 3;
  for (size_t i = 0; i < n; i++) {
    size_t at = (size_t)(k % 3) + 3 * i;
    out += at + 2 < src.size() ? tc.getProt(src.c_str() + at, 0) : 'X';
  }
  return out;
}

TEST_F(Translation, AgreesWithReferenceOnRandomSequences) {
  std::mt19937 rng(12345);
  const char alphabet[] = "ACGTACGTACGTUNa";
  tc.update(0, 1, 1);
  for (int round = 0; round < 300; round++) {
    std::string s;
    int L = (int)(rng() % 40);
    for (int i = 0; i < L; i++) s += alphabet[rng() % (sizeof alphabet - 1)];
    BankSeq src, dest;
    src.set(s.data(), L);
    for (int k = 0; k < 6; k++) {
      ASSERT_EQ(tc.translate(dest, src), 1);
      EXPECT_EQ(dest.frame, frameSign[k]);
      EXPECT_EQ(std::string(dest.seq()), refFrame(tc, s, k)) << s << " frame " << k;
    }
    ASSERT_EQ(tc.translate(dest, src), 0);
  }
}

}  // namespace
