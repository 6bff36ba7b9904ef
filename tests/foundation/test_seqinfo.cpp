// Bank entry headers: the six header readers, fetching through the index, and the
// accessors (accession, name, description, keywords, features, length).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "seqbase.h"
#include "testutil.h"

using testutil::streamOf;
using testutil::TempDir;

namespace {

std::string bankText(const char *name) { return testutil::readFile(testutil::dataPath(std::string("banks/") + name)); }

// Owns a new[] result of an accessor.
std::string take(char *p) {
  std::unique_ptr<char[]> hold(p);
  return p ? std::string(p) : std::string("<null>");
}

// Header read directly (mixed case kept) from the first entry of text.
void readDirect(SeqInfo &info, int format, const std::string &text) {
  FILE *f = streamOf(text);
  switch (format) {
    case 1: info.readFasta(f); break;
    case 2: info.readSwis(f); break;
    case 3: info.readGenb(f); break;
    case 4: info.readPrints(f); break;
    case 5: info.readBlocks(f); break;
    case 6: info.readPFam(f); break;
  }
  fclose(f);
}

std::vector<std::string> linesOf(SeqInfo &info) {
  std::vector<std::string> out;
  for (int i = 0; i < info.getNum(); i++) out.push_back(info[i]);
  return out;
}

class Headers : public ::testing::Test {
 protected:
  TempDir dir;
  // Copies a sample bank into the temp directory and indexes it.
  std::string bank(const char *name) {
    std::string p = dir.file(name);
    testutil::writeFile(p, bankText(name));
    EXPECT_TRUE(testutil::makeIndex(p));
    return p;
  }
};

TEST_F(Headers, ReadersKeepTheEntryLines) {
  SeqInfo info;
  EXPECT_EQ(info.getFormat(), -1);
  std::string sw = bank("swiss.dat");
  EXPECT_EQ(info.readSeq(sw.c_str(), 1), 5);
  EXPECT_EQ(info.getFormat(), 2);
  EXPECT_EQ(linesOf(info), (std::vector<std::string>{
                               "ID   TEST2_NUC      STANDARD;      DNA;    12 BP.", "AC   N00001;",
                               "DE   (MOL_ID: 1) MOLECULE LINE.", "DE   SECOND ENTRY.", "SQ   SEQUENCE   12 BP;"}));

  std::string gb = bank("genbank.gb");
  EXPECT_EQ(info.readSeq(gb.c_str(), 0), 16);
  EXPECT_EQ(info.getFormat(), 3);
  EXPECT_STREQ(info[15], "ORIGIN");

  std::string pr = bank("prints.txt");
  EXPECT_EQ(info.readSeq(pr.c_str(), 1), 3);
  EXPECT_EQ(linesOf(info), (std::vector<std::string>{"FC; TESTFAM2", "FL; 5", "FT; TEST FAMILY MOTIF II"}));

  std::string bl = bank("blocks.txt");
  EXPECT_EQ(info.readSeq(bl.c_str(), 1), 4);
  EXPECT_STREQ(info[0], "ID   TESTBLK2; BLOCK");
  EXPECT_STREQ(info[3], "BL   ADAPTED; WIDTH=4; SEQS=1");

  // Stockholm: the identification line is skipped, the lines through the first one
  // after the description are kept.
  std::string st = bank("pfam.sto");
  EXPECT_EQ(info.readSeq(st.c_str(), 0), 3);
  EXPECT_EQ(linesOf(info), (std::vector<std::string>{"#=GF AC   PF99999.1", "#=GF DE   TEST FAMILY DESCRIPTION",
                                                     "#=GF AU   NOBODY"}));
  EXPECT_EQ(info.readSeq(st.c_str(), 1), 3);
  EXPECT_STREQ(info[2], "SEQ1/1-4     AC..");  // an empty line is skipped, a row ends it

  // FASTA lines keep their line end, so save() doubles it.
  std::string fa = bank("fasta.fa");
  EXPECT_EQ(info.readSeq(fa.c_str(), 1), 1);
  EXPECT_EQ(info.getFormat(), 1);
  EXPECT_EQ(testutil::writtenBy([&](FILE *f) { info.save(f); }), ">SEQ2\n\n");
  EXPECT_EQ(info.readSeq(sw.c_str(), 1), 5);
  EXPECT_EQ(testutil::writtenBy([&](FILE *f) { info.save(f); }).substr(0, 17), "ID   TEST2_NUC   ");

  // Failures: another number in the record, an unknown format (lines kept), no bank.
  EXPECT_EQ(info.readSeq(sw.c_str(), 2), 0);
  std::string odd = dir.file("odd.txt");
  testutil::writeFile(odd, "nothing here\n");
  EXPECT_EQ(info.readSeq(odd.c_str(), 0), 0);
  EXPECT_EQ(info.getFormat(), -1);
  EXPECT_EQ(info.getNum(), 5);
  EXPECT_EQ(info.readSeq(dir.file("none.dat").c_str(), 0), 0);
}

TEST_F(Headers, WithoutIndexOnlyTheFirstEntry) {
  std::string p = dir.file("noidx.dat");
  testutil::writeFile(p, bankText("swiss.dat"));
  SeqInfo info;
  EXPECT_EQ(info.readSeq(p.c_str(), 0), 15);
  // Entry 0's header handed back for entry 5 would be a wrong result: refused.
  EXPECT_EQ(info.readSeq(p.c_str(), 5), 0);
  EXPECT_EQ(info.readSeq(p.c_str(), -1), 0);
}

TEST(HeaderReaders, CRLFEmptyLinesAndTheLineCap) {
  SeqInfo info;
  readDirect(info, 2, testutil::toCRLF("ID   X\n\nKW   A;\nSQ   SEQ\nAC\n//\nID   Y\n"));
  EXPECT_EQ(linesOf(info), (std::vector<std::string>{"ID   X", "KW   A;", "SQ   SEQ"}));

  // CRLF FASTA keeps "\r\n".
  readDirect(info, 1, testutil::toCRLF(">a b\nAC\n"));
  EXPECT_EQ(testutil::writtenBy([&](FILE *f) { info.save(f); }), ">a b\r\n\n");

  // More than 100000 header lines: the first 100000 are kept, the entry is read to its end.
  std::string big = "ID   BIG\n";
  for (int i = 0; i < 100005; i++) big += "CC   line\n";
  big += "SQ   SEQ\nAC\n//\nID   NEXT\nSQ   SEQ\n//\n";
  FILE *f = streamOf(big);
  EXPECT_EQ(info.readSwis(f), SeqInfo::kMaxLines);
  EXPECT_EQ(info.readSwis(f), 2);
  EXPECT_STREQ(info[0], "ID   NEXT");
  fclose(f);
}

TEST(HeaderAccessors, AccessionNameDescription) {
  struct Case {
    const char *what;
    int format;
    std::string text;
    const char *ac, *id, *de;
  } cases[] = {
      {"swiss", 2, bankText("swiss.dat"), "P12345", "TEST1_HUMAN", "   Test protein alpha."},
      {"swiss MOL_ID line passed over", 2, "ID   N\nAC   A1;\nDE   (MOL_ID: 1)\nDE   Real.\nSQ  \n", "A1", "N",
       "   Real."},
      {"genbank", 3, bankText("genbank.gb"), "U49845", "TESTSEQ", "  Test sequence for the"},
      {"fasta", 1, ">sp1 hemoglobin\n", "sp1", "sp1", " hemoglobin"},
      {"fasta, blank after '>', CRLF", 1, "> sp1\tHb a\r\n", "sp1", "sp1", "\tHb a"},
      {"fasta, name only", 1, ">sp1  \n", "sp1", "sp1", " "},
      {"fasta '>' alone", 1, ">\n", " ", " ", " "},
      {"bare AC line", 2, "ID   N\nAC\nSQ  \n", " ", "N", " "},
      {"prints", 4, bankText("prints.txt"), " ", " Test family motif I", "ft; Test family motif I"},
      {"blocks", 5, bankText("blocks.txt"), "IPB000001A", "TESTBLK", "   Test block family"},
      {"pfam from its ID line", 6, bankText("pfam.sto").substr(16), " ", " ",
       "#=GF DE   Test family description"},
      // Started at "# STOCKHOLM" the header stops at the ID line: no description.
      {"pfam from the file start", 6, bankText("pfam.sto"), " ", " ", " "},
  };
  for (const Case &c : cases) {
    SeqInfo info;
    readDirect(info, c.format, c.text);
    EXPECT_EQ(take(info.getAC()), c.ac) << c.what;
    EXPECT_EQ(take(info.getID()), c.id) << c.what;
    EXPECT_STREQ(info.getDE(), c.de) << c.what;
  }
}

TEST(HeaderAccessors, Organism) {
  SeqInfo info;
  readDirect(info, 2, "ID   N\nOS   MOL_ID: 1; x\nOS   Homo sapiens (Human).\nSQ  \n");
  EXPECT_EQ(take(info.getOS()), "Homo");
  EXPECT_EQ(take(info.getOS()), "Homo");  // the held line is left whole
  EXPECT_STREQ(info[2], "OS   Homo sapiens (Human).");
  readDirect(info, 2, "ID   N\nOS   2 ORGANISM_SCIENTIFIC: Mus musculus; x\nSQ  \n");
  EXPECT_EQ(take(info.getOS()), "Mus musculus");
  readDirect(info, 2, "ID   N\nOS   Virus a: b; c\nSQ  \n");
  EXPECT_EQ(take(info.getOS()), "Virus a");
  readDirect(info, 2, "ID   N\nSQ  \n");
  EXPECT_EQ(take(info.getOS()), " ");
}

TEST(HeaderAccessors, KeywordBlocks) {
  SeqInfo sw;
  readDirect(sw, 2, bankText("swiss.dat"));
  EXPECT_EQ(take(sw.getKW("KW")), "   Oxygen transport; Heme; Iron-binding.");
  EXPECT_EQ(take(sw.getKW("CC   -!- FUNCTION:")), " Carries oxygen from the lungs     to the tissues.");
  EXPECT_EQ(take(sw.getKW("FT")), "CHAIN DOMAIN DISULFID CONFLICT ");
  EXPECT_EQ(take(sw.getKW("OC")), "<null>");

  SeqInfo gb;
  readDirect(gb, 3, bankText("genbank.gb"));
  EXPECT_EQ(take(gb.getKW("KEYWORDS")), "    alpha-globin; beta-globin.");
  // "OR" is the organism line; a type names a GenBank tag by its start, and the text
  // begins after the whole tag.
  EXPECT_EQ(take(gb.getKW("OR")), "  Saccharomyces cerevisiae Eukaryota; Fungi.");
  EXPECT_EQ(take(gb.getKW("KE")), "    alpha-globin; beta-globin.");
  EXPECT_EQ(take(gb.getKW("DE")), "  Test sequence for the reader, complete cds.");
  EXPECT_EQ(take(gb.getKW("FE")), "source CDS misc_feature ");

  // Short lines end the text instead of being read past their end.
  SeqInfo sh;
  readDirect(sh, 2, "ID   N\nKW\nKW   a\nCC   -!- T: x\nCC\nFT\nFT   K  1 2\nSQ  \n");
  EXPECT_EQ(take(sh.getKW("KW")), "");
  EXPECT_EQ(take(sh.getKW("CC   -!- T:")), " x");
  EXPECT_EQ(take(sh.getKW("FT")), "K ");
  EXPECT_EQ(sh.isFT(5, ""), 0);

  // Lines longer than 80 bytes are joined whole, the first one included.
  SeqInfo lg;
  readDirect(lg, 2, "ID   N\nKW   " + std::string(70, 'a') + "\nKW   " + std::string(70, 'b') + "\nKW   " +
                        std::string(40, 'c') + "\nSQ  \n");
  std::string kw = take(lg.getKW("KW"));
  EXPECT_EQ(kw.size(), 3u + 70 + 1 + 70 + 1 + 40);
  readDirect(lg, 2, "ID   N\nDE   " + std::string(100, 'a') + "\nDE   b\nSQ  \n");
  EXPECT_EQ(take(lg.getKW("DE")), "   " + std::string(100, 'a') + " b");

  for (int format : {1, 4, 5, 6}) {
    SeqInfo other;
    readDirect(other, format, "KW   x\n");
    EXPECT_EQ(take(other.getKW("KW")), "<null>") << format;
  }
}

TEST(HeaderAccessors, KeywordTests) {
  SeqInfo sw;
  readDirect(sw, 2, bankText("swiss.dat"));
  EXPECT_EQ(sw.isKW(4, "KW", nullptr), 1);
  EXPECT_EQ(sw.isKW(4, "KW", "Heme"), 1);
  EXPECT_EQ(sw.isKW(4, "KW", "Zinc"), 0);
  EXPECT_EQ(sw.isKW(2, "KW", "Test"), 0);  // the pattern alone does not make a KW line
  EXPECT_EQ(sw.isKW(-1, "KW", nullptr), 0);
  EXPECT_EQ(sw.isKW(99, "KW", nullptr), 0);
  EXPECT_EQ(sw.hasKW("KW", "binding"), 1);
  EXPECT_EQ(sw.hasKW("OS", "Mouse"), 0);
  EXPECT_EQ(sw.hasKWtype("XX_KW"), 1);
  EXPECT_EQ(sw.hasKWtype("OC\nOS"), 1);
  EXPECT_EQ(sw.hasKWtype("OC_RN"), 0);
  SeqInfo t;
  readDirect(t, 2, "ID   N\nKW a\nSQ  \n");
  EXPECT_EQ(t.hasKWtype("KW"), 0);  // only two characters after the type
}

TEST(HeaderAccessors, FeatureLinesAndNames) {
  SeqInfo sw;
  readDirect(sw, 2, bankText("swiss.dat"));
  EXPECT_EQ(sw.isFT(9, ""), 1);
  EXPECT_EQ(sw.isFT(9, "CHAIN_TEST_PROTEIN_ALPHA"), 1);
  EXPECT_EQ(sw.isFT(10, "DOMAIN_KRINGLE_1"), 1);
  EXPECT_EQ(sw.isFT(10, "DOMAIN"), 0);
  EXPECT_EQ(sw.isFT(11, ""), 0);  // continuation line
  EXPECT_EQ(sw.isFT(12, "DISULFID"), 1);
  EXPECT_EQ(sw.isFT(13, "CONFLICT"), 1);
  EXPECT_EQ(sw.isFT(3, ""), 0);

  SeqInfo gb;
  readDirect(gb, 3, bankText("genbank.gb"));
  EXPECT_EQ(gb.isFT(10, ""), 1);
  EXPECT_EQ(gb.isFT(11, "cds"), 1);
  EXPECT_EQ(gb.isFT(11, "CD"), 1);  // a prefix of the key matches
  EXPECT_EQ(gb.isFT(12, ""), 0);    // 21 leading blanks
  EXPECT_EQ(gb.isFT(9, ""), 0);

  struct Case {
    const char *str;
    int type;
    const char *name;
  } cases[] = {
      {"DOMAIN       10     50       KRINGLE 1.", 2, "DOMAIN_KRINGLE_1"},
      {"DOMAIN 10 50 12KD REGION,", 2, "DOMAIN_12KD_REGION"},
      {"CHAIN 25 282 12S SEED STORAGE PROTEIN CRU4 ALPHA CHAIN", 2,
       "CHAIN_12S_SEED_STORAGE_PROTEIN_CRU4_ALPHA_CHAIN"},
      {"CHAIN 1 379 5-HYDROXYTRYPTAMINE RECEPTOR 1D.", 2, "CHAIN_5-HYDROXYTRYPTAMINE_RECEPTOR_1D"},
      {"CHAIN 1 467 55 KDA PROTEIN.", 2, "CHAIN_55_KDA_PROTEIN"},  // two positions at most
      {"DOMAIN <1 50 X", 2, "DOMAIN_X"},  // uncertain positions are positions
      {"CHAIN 1 >35 Flavodoxin.", 2, "CHAIN_Flavodoxin"},
      {"CHAIN <1 291 Flavonol synthase/flavanone 3-", 2, "CHAIN_Flavonol_synthase/flavanone_3-"},
      {"DOMAIN ? 50 <X", 2, "DOMAIN_<X"},
      {"CHAIN ?..282", 2, "CHAIN"},
      {"DOMAIN 10 50 SIMILARITY TO X.", 2, "DOMAIN"},
      {"DISULFID 3 20", 2, "DISULFID"},
      {"SITE 5 5 Cleavage.", 3, "SITE"},
      {"CHAIN 1 30", 2, "CHAIN"},
      {"ACT_SITE\t5 5 x", 2, "ACT_SITE_5_5_x"},
      {"", 2, ""},
  };
  for (const Case &c : cases) {
    char name[1024];
    makeName(c.str, name, c.type);
    EXPECT_STREQ(name, c.name) << c.str;
  }
  char name[1024];
  std::string huge = "DOMAIN 1 2 " + std::string(3000, 'w');
  makeName(huge.c_str(), name, 2);
  EXPECT_STREQ(name, "DOMAIN");
  std::string words = "DOMAIN 1 2";
  for (int i = 0; i < 400; i++) words += " ab";
  makeName(words.c_str(), name, 2);
  EXPECT_LE(strlen(name), 1023u);
}

TEST(HeaderAccessors, FeatureRanges) {
  int beg[SeqInfo::kMaxRanges], end[SeqInfo::kMaxRanges];
  SeqInfo sw;
  readDirect(sw, 2, bankText("swiss.dat"));
  EXPECT_EQ(sw.getBegEndFT(12, beg, end), 2);
  EXPECT_EQ((std::vector<int>{beg[0], end[0], beg[1], end[1]}), (std::vector<int>{3, 3, 20, 20}));
  EXPECT_EQ(sw.getBegEndFT(10, beg, end), 1);
  EXPECT_EQ((std::vector<int>{beg[0], end[0]}), (std::vector<int>{10, 25}));

  SeqInfo odd;
  readDirect(odd, 2, "ID   N\nFT   DOMAIN       <1     >141\nFT   SITE     ?  5\nFT   DOMAIN  10..50\nSQ  \n");
  EXPECT_EQ(odd.getBegEndFT(1, beg, end), 1);
  EXPECT_EQ((std::vector<int>{beg[0], end[0]}), (std::vector<int>{1, 141}));
  EXPECT_EQ(odd.getBegEndFT(2, beg, end), 0);
  EXPECT_EQ(odd.getBegEndFT(3, beg, end), 1);  // today's "10..50" positions
  EXPECT_EQ((std::vector<int>{beg[0], end[0]}), (std::vector<int>{10, 50}));

  SeqInfo gb;
  readDirect(gb, 3, bankText("genbank.gb"));
  EXPECT_EQ(gb.getBegEndFT(11, beg, end), 3);
  EXPECT_EQ((std::vector<int>{beg[0], end[0], beg[1], end[1], beg[2], end[2]}),
            (std::vector<int>{2, 10, 15, 20, 30, 40}));
  EXPECT_EQ(gb.getBegEndFT(14, beg, end), 1);
  EXPECT_EQ((std::vector<int>{beg[0], end[0]}), (std::vector<int>{45, 45}));

  // "join(" with the numbers on the next lines; complement(45).
  std::string second = bankText("genbank.gb");
  second = second.substr(second.find("LOCUS       SECOND"));
  readDirect(gb, 3, second);
  EXPECT_EQ(gb.getBegEndFT(4, beg, end), 3);
  EXPECT_EQ((std::vector<int>{beg[0], end[0], beg[1], end[1], beg[2], end[2]}),
            (std::vector<int>{12, 40, 50, 80, 90, 100}));
  EXPECT_EQ(gb.getBegEndFT(7, beg, end), 1);
  EXPECT_EQ(beg[0], 45);

  // An unclosed bracket stops at 500 ranges.
  std::string many = "LOCUS       M 10 bp\nFEATURES\n     CDS             join(";
  for (int i = 0; i < 700; i++) many += "1..2,";
  many += "\nORIGIN\n";
  readDirect(gb, 3, many);
  EXPECT_EQ(gb.getBegEndFT(2, beg, end), SeqInfo::kMaxRanges);

  SeqInfo fa;
  readDirect(fa, 1, ">x\n");
  EXPECT_EQ(fa.getBegEndFT(0, beg, end), 0);
  EXPECT_EQ(updNumBra("join(a(b)", *std::make_unique<int>(2)), 3);
  EXPECT_EQ(belong("SITE", nameFT), 1);
  EXPECT_EQ(belong("site", nameFT), 0);
  EXPECT_EQ(belong("THIOLEST", TwoResSWISS), 1);
}

TEST(HeaderAccessors, LengthAndFeatureMarks) {
  SeqInfo sw;
  readDirect(sw, 2, bankText("swiss.dat"));
  EXPECT_EQ(sw.getLen(), 30);
  SeqInfo gb;
  readDirect(gb, 3, bankText("genbank.gb"));
  EXPECT_EQ(gb.getLen(), 60);
  SeqInfo fa;
  readDirect(fa, 1, ">x\n");
  EXPECT_EQ(fa.getLen(), 0);
  SeqInfo modern;
  readDirect(modern, 2, "ID   X_HUMAN   Reviewed;   142 AA.\nSQ  \n");
  EXPECT_EQ(modern.getLen(), 142);  // the number before "AA."
  readDirect(modern, 2, "ID   X  STANDARD;  PRT;  -5 AA.\nSQ  \n");
  EXPECT_EQ(modern.getLen(), 0);

  SeqInfo marks;
  readDirect(marks, 2,
             "ID   M  STANDARD;  PRT;  10 AA.\nFT   DOMAIN     0    5\nFT   DOMAIN     8   20\n"
             "FT   DOMAIN     7    3\nFT   CHAIN      6    6\nSQ  \n");
  int len = -1;
  std::unique_ptr<int[]> ft(marks.getCharFT("DOMAIN", len));
  ASSERT_EQ(len, 10);
  EXPECT_EQ(std::vector<int>(ft.get(), ft.get() + 10), (std::vector<int>{1, 1, 1, 1, 1, 0, 0, 1, 1, 1}));

  std::unique_ptr<int[]> none(modern.getCharFT("DOMAIN", len));
  EXPECT_EQ(len, 0);
}

TEST(HeaderAccessorsDeathTest, MissingIdOrLocusExits11) {
  SeqInfo sw;
  readDirect(sw, 2, "AC   P1;\nSQ  \n");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        sw.getLen();
      },
      ::testing::ExitedWithCode(11), ::testing::Eq("\n Something wrong with SeqInfo: there is no ID"));
  SeqInfo gb;
  readDirect(gb, 3, "DEFINITION  x\nORIGIN\n");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        int len;
        gb.getCharFT("CDS", len);
      },
      ::testing::ExitedWithCode(11), ::testing::Eq("\n Something wrong with SeqInfo: there is no LOCUS"));
}

TEST(HeaderAccessors, PrintIdDeOs) {
  SeqInfo sw;
  readDirect(sw, 2, bankText("swiss.dat"));
  EXPECT_EQ(testutil::writtenBy([&](FILE *f) { sw.printIDDEOS(f); }),
            "\nID   TEST1_HUMAN    STANDARD;      PRT;    30 AA.\nDE   Test protein alpha.\n"
            "OS   Homo sapiens (Human).");
}

}  // namespace
