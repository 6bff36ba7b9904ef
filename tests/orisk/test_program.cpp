// The orisk program run as a process on a small Swiss-Prot bank: the golden statistics file,
// the counts behind it, and the command-line matrix with its messages and codes.
//
// The bank b.sp (old layout) holds four entries; m.txt names them in six blocks. The address
// list, in the order the "Supermotif" lines name them, is
//   0: b.sp 0  ZNFA  KW ZINC; METAL-BINDING; KINASE    FT DOMAIN 1-10, METAL 5       40 aa
//   1: b.sp 1  ZNFB  KW ZINC; METAL-BINDING; REPEAT    FT DOMAIN 1-10, METAL 5, 9    40 aa
//   2: b.sp 3  TRPD  KW KINASE; TRANSPORT              FT METAL 3, TRANSMEM 5-20     30 aa
//   3: b.sp 2  YGAM  KW HYPOTHETICAL PROTEIN; TRANSPORT  FT DOMAIN 1-10              30 aa
// and the blocks (query -> bank, supermotif power, motifs as qBeg/bBeg/len power):
//   B0 0 -> 1  20.00  0/0/12 1.443            B3 1 -> 0  18.00  0/0/6 1.633, 20/20/10 0.632
//   B1 0 -> 2   5.00  2/0/8 0.707             B4 2 -> 1   3.00  '-' 0/5/10 0.316 (bank 25 after
//   B2 0 -> 3   8.00  (hypothetical bank)                         the mirror on 40 letters)
//   B5 3 -> 0  10.00  (hypothetical query)
// Over the grid 0 20 1 (21 bins) the feature counts are, by hand:
//   DOMAIN_KRINGLE_1  bin 1: qXbX 10 (B0) + 6 (B3), q_Xb_X 2 (B0)
//                     bin 0: q_Xb_X 10 (B3) + 10 (B4)
//   METAL             bin 1: qXbX 1 (B0) + 1 (B3), q_XbX 1 (B0, bank 9), q_Xb_X 10 + 5
//                     bin 0: qXbX 1 (B1), qXb_X 1 (B4), q_Xb_X 7 (B1) + 10 (B3) + 9 (B4)
// and the KW keywords, one count per counted supermotif (powers 20 -> bin 20, 5, 18, 3):
//   ZINC           qXbX 20, qXb_X 5, qXbX 18, q_XbX 3
//   METAL-BINDING  the same as ZINC
//   KINASE         qXb_X 20, qXbX 5, q_XbX 18, qXb_X 3
//   TRANSPORT      q_Xb_X 20, q_XbX 5, q_Xb_X 18, qXb_X 3
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "orisk_run.h"
#include "testutil.h"

namespace {

using OriskGolden = oriskrun::ProgramTest;
using OriskCommandLine = oriskrun::ProgramTest;
using OriskFiles = oriskrun::ProgramTest;

using oriskrun::RunResult;
using oriskrun::Work;

const std::string kUsage =
    "\nExtracting feature table statistics from the given MOTIFs or SUBBASE\n"
    "USAGE: orisk motif_file [ minPow maxPow stepPow ] result_FT_file [options]\n"
    "Options: -KW KE DE ...\n"
    "         -D monX | -D equX_Y\n"
    "         -I        0 & Infinity motifs are added.\n";
const std::string kPowUsage =
    "Extracting feature table statistics from the given MOTIFs or SUBBASE\n"
    "USAGE: orisk motif_file [minPow maxPow stepPow] result_FT_file [options]\n";

bool contains(const std::string &s, const std::string &part) { return s.find(part) != std::string::npos; }

// Number of times part occurs in s.
int occurrences(const std::string &s, const std::string &part) {
  int n = 0;
  for (size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1)) n++;
  return n;
}

// A count block as the -F option writes it over the grid 0 20 1: the four rows of 21 bins,
// zero but for the (bin, value) pairs given per row.
using Bins = std::vector<std::pair<int, int>>;
std::string countBlock(const std::string &name, const std::string &type, const Bins &qXbX,
                       const Bins &qXb_X, const Bins &q_XbX, const Bins &q_Xb_X) {
  char buf[64];
  std::string s = "\n\n " + name + " " + type + "_statistics";
  s += "\nminPow 0.000000 maxPow 20.000000 stepPow 1.000000 numPow    21";
  s += "\nPow   ";
  for (int i = 0; i < 21; i++) {
    snprintf(buf, sizeof buf, " %7.4f", (double)i);
    s += buf;
  }
  auto row = [&](const char *label, const Bins &bins) {
    std::vector<int> v(21, 0);
    for (const auto &b : bins) v[b.first] += b.second;
    s += label;
    for (int x : v) {
      snprintf(buf, sizeof buf, " %7.0f", (double)x);
      s += buf;
    }
  };
  row("\nqXbX  ", qXbX);
  row("\nqXb_X ", qXb_X);
  row("\nq_XbX ", q_XbX);
  row("\nq_Xb_X", q_Xb_X);
  return s;
}

TEST_F(OriskGolden, StatisticsFileByteForByte) {
  Work w;
  RunResult r = w.orisk({"m.txt", "0", "20", "1", "s.txt", "-KW", "KW", "DE"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string got = w.read("s.txt");
  const std::string want = testutil::readFile(testutil::dataPath("orisk/golden.sta"));
  EXPECT_EQ(got, want);
  // Summary rows (percent of 4 sequences, summed lengths, range lengths per 100 letters):
  // DOMAIN 3 of 4, 40+40+30, 30 letters; METAL 3 of 4, 40+40+30, 1+2+1; TRANSMEM 1, 30, 16.
  EXPECT_TRUE(contains(got, "\n DOMAIN_KRINGLE_1      75.00           110    27.27"));
  EXPECT_TRUE(contains(got, "\n METAL                 75.00           110     3.64"));
  EXPECT_TRUE(contains(got, "\n TRANSMEM              25.00            30    53.33"));
  // Both titles: the fixed feature one and the computed keyword one.
  EXPECT_TRUE(contains(got, "          ============================  FT  ==========================\n"));
  EXPECT_TRUE(contains(got, "          " + std::string(27, '=') + "  KW  " + std::string(27, '=') + "\n"));
  // Presence rows in list order (b.sp 0, 1, 3, 2); the singletons TRANSMEM and REPEAT are
  // listed but get no block.
  EXPECT_TRUE(contains(got, "\nDOMAIN_KRINGLE_1;    1 1 0 1"
                            "\n           METAL;    1 1 1 0"
                            "\n        TRANSMEM;    0 0 1 0"));
  EXPECT_TRUE(contains(got, "\n                ZINC;    1 1 0 0"
                            "\n       METAL-BINDING;    1 1 0 0"
                            "\n              KINASE;    1 0 1 0"
                            "\n              REPEAT;    0 1 0 0"
                            "\n           TRANSPORT;    0 0 1 1"
                            "\nHYPOTHETICAL PROTEIN;    0 0 0 1"));
  EXPECT_FALSE(contains(got, "TRANSMEM FT_statistics"));
  EXPECT_FALSE(contains(got, "REPEAT KW_statistics"));
  EXPECT_TRUE(contains(got, "\n        Increments equivalence dividing 3\n"));
  // Blocks: feature types, then KW, then DE.
  const size_t ft = got.find("FT_statistics"), kw = got.find("KW_statistics"),
               de = got.find("DE_statistics");
  ASSERT_NE(ft, std::string::npos);
  ASSERT_NE(kw, std::string::npos);
  ASSERT_NE(de, std::string::npos);
  EXPECT_LT(ft, kw);
  EXPECT_LT(kw, de);
  EXPECT_LT(got.rfind("FT_statistics"), kw);
  EXPECT_LT(got.rfind("KW_statistics"), de);
  EXPECT_NE(got.back(), '\n');
  // Standard output: the list, the kept feature types, one progress line per query learnt.
  EXPECT_TRUE(contains(r.out, "\n There are 6 motifs in 4 sequnces"));
  EXPECT_TRUE(contains(r.out, "\n There are 2 feature tables to learn..."));
  EXPECT_TRUE(contains(r.out, "\n seq 0 mot 0 from 6\n seq 1 mot 0 from 6\n seq 2 mot 0 from 6\n"));
  EXPECT_FALSE(contains(r.out, "seq 3 mot"));
  // Frequencies: covered query residues over query letters (20/110, 4/110), and sequences
  // with the keyword over the list.
  EXPECT_TRUE(contains(r.out, "\nDOMAIN_KRINGLE_1  0.182"));
  EXPECT_TRUE(contains(r.out, "\nMETAL  0.036"));
  EXPECT_TRUE(contains(r.out, "\nZINC  0.500"));
}

TEST_F(OriskGolden, CommentTopicsWithoutKeywords) {
  // No entry of b.sp has a comment line: the nine topics of "CC" get their presence tables
  // with the "no keywords" line, between the KW and the DE tables, and nothing else changes.
  Work w;
  RunResult r = w.orisk({"m.txt", "0", "20", "1", "s.txt", "-KW", "KW", "CC", "DE"});
  ASSERT_EQ(r.rc, 0) << r.out;
  // Title pads by hand, (60 - length) / 2 - 2: FUNCTION 18 letters -> 19, ENZYME REGULATION
  // 27 -> 14, TISSUE SPECIFICITY 28 -> 14, DEVELOPMENTAL STAGE 29 -> 13, SUBUNIT 17 -> 19,
  // SUBCELLULAR LOCATION 30 -> 13, DISEASE 17 -> 19, PTM 13 -> 21, ALTERNATIVE PRODUCTS 30 -> 13.
  const std::pair<const char *, int> topics[] = {
      {"FUNCTION:", 19},           {"ENZYME REGULATION:", 14}, {"TISSUE SPECIFICITY:", 14},
      {"DEVELOPMENTAL STAGE:", 13}, {"SUBUNIT:", 19},           {"SUBCELLULAR LOCATION:", 13},
      {"DISEASE:", 19},            {"PTM:", 21},               {"ALTERNATIVE PRODUCTS:", 13}};
  const std::string rule = "          " + std::string(60, '=') + "\n";
  std::string tables;
  for (const auto &t : topics) {
    const std::string type = std::string("CC   -!- ") + t.first, pad((size_t)t.second, '=');
    tables += "\n\n" + rule + "          " + pad + "  " + type + "  " + pad + "\n" + rule + "\n" +
              "\n\n          = There are no keywords of type " + type + " in the found sequences \n\n";
  }
  std::string want = testutil::readFile(testutil::dataPath("orisk/golden.sta"));
  const size_t de = want.find("\n\n" + rule + "          " + std::string(27, '=') + "  DE  ");
  ASSERT_NE(de, std::string::npos);
  want.insert(de, tables);
  EXPECT_EQ(w.read("s.txt"), want);
}

TEST_F(OriskGolden, CommentTopicsOfRealEntries) {
  // Two entries whose comment topics are spelled as Swiss-Prot spells them: the tissue and
  // disease words they share are learned under those topics.
  Work w;
  std::string bank;
  for (const char *id : {"AAA1_HUMAN", "AAA2_HUMAN"})
    bank += std::string("ID   ") + id + "   STANDARD;      PRT;    20 AA.\n"
            "AC   P20001;\n"
            "DE   Liver protein.\n"
            "CC   -!- TISSUE SPECIFICITY: Expressed in liver and\n"
            "CC       kidney.\n"
            "CC   -!- DISEASE: Defects cause anemia.\n"
            "KW   Zinc.\n"
            "SQ   SEQUENCE   20 AA;  1000 MW;  0000 CRC32;\n"
            "     MFPCDVENWC THCDQQDIDV\n"
            "//\n";
  w.write("cc.sp", bank);
  ASSERT_TRUE(testutil::makeIndex(w.dir.file("cc.sp")));
  w.write("cc.txt",
          "Supermotif cc.sp      0 cc.sp      1  10.00   1   query-bank\n"
          "     '+'      0      0     10       3000    3885000\n");
  RunResult r = w.orisk({"cc.txt", "0", "20", "1", "s.txt", "-KW", "CC"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string got = w.read("s.txt");
  EXPECT_TRUE(contains(got, "  CC   -!- TISSUE SPECIFICITY:  " + std::string(14, '=') + "\n" +
                                "          " + std::string(60, '=') + "\n\n" +
                                "\nEXPRESSED;    1 1"
                                "\n    LIVER;    1 1"
                                "\n   KIDNEY;    1 1"));
  EXPECT_TRUE(contains(got, "\n LIVER CC   -!- TISSUE SPECIFICITY:_statistics\n"));
  EXPECT_TRUE(contains(got, "\n ANEMIA CC   -!- DISEASE:_statistics\n"));
  // The feature types and the seven other topics have none.
  EXPECT_EQ(occurrences(got, "= There are no keywords of type"), 8);
}

TEST_F(OriskGolden, CountBlocksByHand) {
  Work w;
  RunResult r = w.orisk({"m.txt", "0", "20", "1", "s.txt", "-KW", "KW", "-F"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string got = w.read("s.txt");
  EXPECT_TRUE(contains(got, countBlock("DOMAIN_KRINGLE_1", "FT", {{1, 16}}, {}, {}, {{1, 2}, {0, 20}})));
  EXPECT_TRUE(contains(got, countBlock("METAL", "FT", {{1, 2}, {0, 1}}, {{0, 1}}, {{1, 1}},
                                       {{1, 15}, {0, 26}})));
  EXPECT_TRUE(contains(got, countBlock("ZINC", "KW", {{20, 1}, {18, 1}}, {{5, 1}}, {{3, 1}}, {})));
  EXPECT_TRUE(contains(got, countBlock("METAL-BINDING", "KW", {{20, 1}, {18, 1}}, {{5, 1}},
                                       {{3, 1}}, {})));
  EXPECT_TRUE(contains(got, countBlock("KINASE", "KW", {{5, 1}}, {{20, 1}, {3, 1}}, {{18, 1}}, {})));
  // TRANSPORT (q_Xb_X 20, q_XbX 5, q_Xb_X 18, qXb_X 3) has no pair that shares it: no count
  // block, only the message; its statistics block, drawn toward the frequency, stays.
  EXPECT_FALSE(contains(got, "\n\n TRANSPORT KW_statistics\nminPow 0.000000"));
  EXPECT_TRUE(contains(r.out, "   All qXbX are equal to zero..."));
  // A feature type's count block shares its header with the statistics block after it; a
  // keyword's statistics block has a header of its own.
  EXPECT_EQ(occurrences(got, " DOMAIN_KRINGLE_1 FT_statistics"), 1);
  EXPECT_EQ(occurrences(got, " ZINC KW_statistics"), 2);
  EXPECT_EQ(occurrences(got, "Freq "), 6);
  EXPECT_EQ(occurrences(got, " TRANSPORT KW_statistics"), 1);
}

TEST_F(OriskGolden, MotifsPastTheEndsCountOnlyPairsInsideBoth) {
  // b.sp 0 and b.sp 1 (40 letters each, DOMAIN 1-10; METAL 5, and 5 and 9), three blocks:
  //   A 0 -> 1, query 35..44 against bank 0..9, power 1.443 (bin 1): only i 0..4 lie in the
  //     query: query 35..39 has nothing, bank 0..4 has DOMAIN and METAL at 4:
  //     DOMAIN q_XbX 5; METAL q_XbX 1, q_Xb_X 4.
  //   B 1 -> 0, frame '-', query 0..9, bank 35..44 mirrored on 40 letters to -5..4, power
  //     0.316 (bin 0): only i 5..9 lie in the bank: query 5..9 (DOMAIN, METAL at 8) against
  //     bank 0..4 (DOMAIN, METAL at 4): DOMAIN qXbX 5; METAL q_Xb_X 3 (i 5, 6, 7),
  //     qXb_X 1 (i 8), q_XbX 1 (i 9).
  //   C 0 -> 1, query 4 against bank 4, power 0.316 (bin 0): DOMAIN qXbX 1, METAL qXbX 1.
  Work w;
  w.write("f5.txt",
          "Supermotif b.sp      0 b.sp      1  20.00   1   query-bank\n"
          "     '+'     35      0     10       5000    5910000\n"
          "Supermotif b.sp      1 b.sp      0  10.00   1   query-bank\n"
          "     '-'      0     35     10       1000    1295000\n"
          "Supermotif b.sp      0 b.sp      1   5.00   1   query-bank\n"
          "     '+'      4      4      1       1000    1295000\n");
  RunResult r = w.orisk({"f5.txt", "0", "20", "1", "s.txt", "-F"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string got = w.read("s.txt");
  EXPECT_TRUE(contains(got, countBlock("DOMAIN_KRINGLE_1", "FT", {{0, 6}}, {}, {{1, 5}}, {})));
  EXPECT_TRUE(contains(got, countBlock("METAL", "FT", {{0, 1}}, {{0, 1}}, {{1, 1}, {0, 1}},
                                       {{1, 4}, {0, 3}})));
}

TEST_F(OriskGolden, ZeroAndInfinityPairs) {
  Work w;
  RunResult r = w.orisk({"m.txt", "0", "20", "1", "s.txt", "-KW", "KW", "-F", "-I"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string got = w.read("s.txt");
  // Each of the 4 sequences with itself lands in the top bin: ZINC is held by 2 of them.
  // The 8 ordered pairs without a counted supermotif, (0,3) (1,2) (1,3) (2,0) (2,3) (3,0)
  // (3,1) (3,2), land in bin 0 (power -0.5): for ZINC (held by 0 and 1) three pairs
  // qXb_X, three q_XbX and two q_Xb_X.
  EXPECT_TRUE(contains(got, countBlock("ZINC", "KW", {{20, 1}, {18, 1}, {20, 2}}, {{5, 1}, {0, 3}},
                                       {{3, 1}, {0, 3}}, {{20, 2}, {0, 2}})));
  // TRANSPORT (held by 2 and 3): (2,0) (2,3) (3,0) (3,1) (3,2) from a holder, (0,3) (1,2)
  // (1,3) to one.
  EXPECT_TRUE(contains(got, countBlock("TRANSPORT", "KW", {{20, 2}, {0, 2}}, {{3, 1}, {0, 3}},
                                       {{5, 1}, {0, 3}}, {{20, 1}, {18, 1}, {20, 2}})));
}

TEST_F(OriskGolden, ColumnFile) {
  Work w;
  RunResult r = w.orisk({"m.txt", "0", "20", "1", "s.txt", "-KW", "KW", "-C", "col.txt"});
  ASSERT_EQ(r.rc, 0) << r.out;
  // Keywords are counted one by one for the column file, and only where one of the two
  // sequences holds them without it: the statistics are the same.
  RunResult plain = w.orisk({"m.txt", "0", "20", "1", "plain.txt", "-KW", "KW"});
  ASSERT_EQ(plain.rc, 0);
  EXPECT_EQ(w.read("s.txt"), w.read("plain.txt"));
  ASSERT_EQ(w.orisk({"m.txt", "s2.txt", "-KW", "KW", "DE", "-I", "-F", "-C", "c2.txt"}).rc, 0);
  ASSERT_EQ(w.orisk({"m.txt", "p2.txt", "-KW", "KW", "DE", "-I", "-F"}).rc, 0);
  EXPECT_EQ(w.read("s2.txt"), w.read("p2.txt"));
  // One line per kept keyword and counted supermotif: B0, B1, B3, B4 (the hypothetical entry
  // takes part neither as query nor as bank sequence).
  EXPECT_EQ(w.read("col.txt"),
            "KW ZINC   0   1    0020.00   1\n"
            "KW METAL-BINDING   0   1    0020.00   1\n"
            "KW KINASE   0   1    0020.00   0\n"
            "KW TRANSPORT   0   0    0020.00   0\n"
            "KW ZINC   0   1    0005.00   0\n"
            "KW METAL-BINDING   0   1    0005.00   0\n"
            "KW KINASE   0   1    0005.00   1\n"
            "KW TRANSPORT   0   0    0005.00   1\n"
            "KW ZINC   1   1    0018.00   1\n"
            "KW METAL-BINDING   1   1    0018.00   1\n"
            "KW KINASE   1   0    0018.00   1\n"
            "KW TRANSPORT   1   0    0018.00   0\n"
            "KW ZINC   2   0    0003.00   1\n"
            "KW METAL-BINDING   2   0    0003.00   1\n"
            "KW KINASE   2   1    0003.00   0\n"
            "KW TRANSPORT   2   1    0003.00   0\n");
}

TEST_F(OriskCommandLine, UsageAndMissingMotifFile) {
  Work w;
  RunResult r = w.orisk({});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, kUsage);
  r = w.orisk({"m.txt"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, kUsage);
  // With a range the list reader reports the missing file; without one the estimation does.
  r = w.orisk({"none.txt", "0", "20", "1", "s.txt"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.out, "\n Can't open file with motifs none.txt");
  EXPECT_FALSE(w.exists("s.txt"));
  r = w.orisk({"none.txt", "s.txt"});
  EXPECT_EQ(r.rc, 4);
  EXPECT_EQ(r.out, "\n Can't open motifs file none.txt.");
  // A result name in option form.
  r = w.orisk({"m.txt", "-I"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, kUsage);
  r = w.orisk({"m.txt", "0", "20", "1", "-KW", "KW"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, kUsage);
}

TEST_F(OriskCommandLine, PowerRangeCases) {
  Work w;
  for (const std::vector<std::string> &args :
       std::vector<std::vector<std::string>>{{"m.txt", "0.5", "s.txt"},
                                             {"m.txt", "123"},
                                             {"m.txt", "0", "9", "0.2"},
                                             {"m.txt", "9", "0.5", "0.2", "s.txt"},
                                             {"m.txt", "0", "9", "0", "s.txt"},
                                             {"m.txt", "0", "9", ".", "s.txt"}}) {
    RunResult r = w.orisk(args);
    EXPECT_EQ(r.rc, 1) << args[1];
    EXPECT_EQ(r.out, kPowUsage) << args[1];
    EXPECT_FALSE(w.exists("s.txt"));
  }
  RunResult r = w.orisk({"m.txt", "0.5", "9", "0.2", "s.txt"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_TRUE(contains(w.read("s.txt"), "\nminPow  0.50 maxPow  9.00 stepPow  0.20 numPow "));
}

TEST_F(OriskCommandLine, ThesaurusIsReadBeforeTheRangeIsJudged) {
  Work w;
  for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
           {"m.txt", "0.5", "s.txt", "-M", "none.idx"},
           {"m.txt", "0.5", "9", "s.txt", "-I", "-M", "none.idx"},
           {"m.txt", "9", "0.5", "0.2", "s.txt", "-M", "none.idx"}}) {
    RunResult r = w.orisk(args);
    EXPECT_EQ(r.rc, 1) << args[2];
    EXPECT_EQ(r.out, "Cant't open mesh file none.idx" + kPowUsage) << args[2];
  }
  // Three numbers and nothing after them: no option either.
  RunResult r = w.orisk({"m.txt", "0", "9", "0.2"});
  EXPECT_EQ(r.out, kPowUsage);
}

TEST_F(OriskCommandLine, EstimatedGrids) {
  Work w;
  RunResult r = w.orisk({"m.txt", "s.txt", "-KW", "KW", "-F"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string got = w.read("s.txt");
  // Motif powers, descending (the blocks of the hypothetical entry count too): 1.6328125
  // 1.44287109375 0.948486328125 (twice) 0.70703125 0.632324... 0.316162109375. infPart 1.75;
  // the largest gap, 0.494, lies at index 1, below it: max 1.44287109375 + 0.000001.
  EXPECT_TRUE(contains(got, "\nminPow 0.316162 maxPow 1.442872 stepPow 0.022534 numPow "));
  // Supermotif powers 20 18 10 8 5 3: infPart 1.5, largest gap (8 -> 5 is 3, 18 -> 10 is 8)
  // at index 1, below 1.5: max 18.000001, min 3.
  EXPECT_TRUE(contains(got, "\nminPow 3.000000 maxPow 18.000001 stepPow 0.300000 numPow "));
}

TEST_F(OriskCommandLine, PowerPerSquareRootOfLength) {
  Work w;
  RunResult r = w.orisk({"m.txt", "s.txt", "-KW", "KW", "-H", "-F"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string got = w.read("s.txt");
  EXPECT_TRUE(contains(got, "\nHom   "));
  EXPECT_FALSE(contains(got, "\nPow   "));
  // Motif powers per square root of the length: 6 letters at 1.6328125 give 0.666...,
  // the highest (its gap is the largest, in the top quarter); 10 letters at 0.316... the
  // lowest, 0.0999...
  EXPECT_TRUE(contains(got, "\nminPow 0.099979 maxPow 0.666594 stepPow 0.011332 "));
}

TEST_F(OriskCommandLine, KeywordTypesWithCommentTopics) {
  Work w;
  RunResult r = w.orisk({"m.txt", "0", "20", "1", "s.txt", "-KW", "KW", "CC", "DE", "-D", "equ5"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string got = w.read("s.txt");
  const char *types[] = {"KW",
                         "CC   -!- FUNCTION:",
                         "CC   -!- ENZYME REGULATION:",
                         "CC   -!- TISSUE SPECIFICITY:",
                         "CC   -!- DEVELOPMENTAL STAGE:",
                         "CC   -!- SUBUNIT:",
                         "CC   -!- SUBCELLULAR LOCATION:",
                         "CC   -!- DISEASE:",
                         "CC   -!- PTM:",
                         "CC   -!- ALTERNATIVE PRODUCTS:",
                         "DE"};
  size_t at = 0;
  for (const char *t : types) {
    const size_t next = got.find("  " + std::string(t) + "  ", at);
    ASSERT_NE(next, std::string::npos) << t;
    at = next;
  }
  EXPECT_EQ(occurrences(got, "= There are no keywords of type CC   -!-"), 9);
  // "-D equ5" was read after the types.
  EXPECT_TRUE(contains(got, "\n        Increments equivalence dividing 5\n"));
}

TEST_F(OriskCommandLine, OptionsWithoutValues) {
  Work w;
  RunResult plain = w.orisk({"m.txt", "0", "20", "1", "plain.txt", "-KW", "KW"});
  ASSERT_EQ(plain.rc, 0);
  for (const char *last : {"-C", "-M", "-D"}) {
    RunResult r = w.orisk({"m.txt", "0", "20", "1", "s.txt", "-KW", "KW", last});
    EXPECT_EQ(r.rc, 0) << last;
    EXPECT_EQ(w.read("s.txt"), w.read("plain.txt")) << last;
  }
  // -D without '_' keeps minPart; "mon" ignores the number.
  RunResult m4 = w.orisk({"m.txt", "0", "20", "1", "m4.txt", "-KW", "KW", "-D", "mon4"});
  RunResult m9 = w.orisk({"m.txt", "0", "20", "1", "m9.txt", "-KW", "KW", "-D", "mon9"});
  ASSERT_EQ(m4.rc, 0);
  ASSERT_EQ(m9.rc, 0);
  std::string a = w.read("m4.txt"), b = w.read("m9.txt");
  ASSERT_TRUE(contains(a, "Monotonous segment dividing 4\n"));
  a.replace(a.find("dividing 4"), 10, "dividing X");
  b.replace(b.find("dividing 9"), 10, "dividing X");
  EXPECT_EQ(a, b);
}

TEST_F(OriskCommandLine, AbsoluteMotifPathsAreFiles) {
  Work w;
  // Paths that begin "/d", "/h" and "/m" lead to the scratch directory through the root.
  for (const char *top : {"/dev", "/home", "/mnt", "/media"}) {
    const std::string path = std::string(top) + "/.." + w.dir.file("m.txt");
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) continue;
    fclose(f);
    RunResult r = w.orisk({path, "s.txt", "-KW", "KW"});
    EXPECT_EQ(r.rc, 0) << path;
    EXPECT_TRUE(contains(w.read("s.txt"), "  KW  ")) << path;
    // Not read as -H: the Pow row, not Hom.
    EXPECT_TRUE(contains(w.read("s.txt"), "\nPow ")) << path;
  }
  // An absolute result name is a file too.
  const std::string out = w.dir.file("abs.txt");
  RunResult r = w.orisk({"m.txt", out});
  EXPECT_EQ(r.rc, 0);
  EXPECT_TRUE(w.exists("abs.txt"));
}

TEST_F(OriskFiles, StatisticsFileCantBeMadeOrWritten) {
  Work w;
  RunResult r = w.orisk({"m.txt", "0", "20", "1", "no/such/dir/s.txt"});
  EXPECT_EQ(r.rc, 3);
  EXPECT_TRUE(contains(r.out, "\n Can't create file no/such/dir/s.txt"));
  r = w.orisk({"m.txt", "0", "20", "1", "/dev/full", "-KW", "KW"});
  EXPECT_NE(r.rc, 0);
  EXPECT_TRUE(contains(r.out, "Can't write statistics file"));
  // A column file that fills up ends the run too.
  r = w.orisk({"m.txt", "0", "20", "1", "s.txt", "-KW", "KW", "-C", "/dev/full"});
  EXPECT_EQ(r.rc, 11);
  EXPECT_TRUE(contains(r.out, "\n Can't write column file: "));
}

TEST_F(OriskFiles, UnreadableThesaurusEndsTheRun) {
  Work w;
  RunResult r = w.orisk({"m.txt", "0", "20", "1", "s.txt", "-KW", "KW", "DE", "-M", "none.idx"});
  EXPECT_EQ(r.rc, 6);
  EXPECT_EQ(r.out, "Cant't open mesh file none.idx\n Can't read thesaurus none.idx");
  EXPECT_FALSE(w.exists("s.txt"));
}

TEST_F(OriskFiles, UnreadableListSequence) {
  Work w;
  // Entry 7 is not in the index: its rows are all zero, and the run reads on.
  w.write("m7.txt", w.read("m.txt") +
                        "Supermotif b.sp      7 b.sp      0   4.00   1   query-bank\n"
                        "     '+'      0      0     10       3000    3885000\n");
  RunResult r = w.orisk({"m7.txt", "0", "20", "1", "s.txt", "-KW", "KW"});
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_TRUE(contains(r.out, "\n Index b.idx of bank b.sp holds no entry 7\nCan't read sequnce b.sp 7\n"));
  EXPECT_TRUE(contains(r.out, "\n There are 7 motifs in 5 sequnces"));
  EXPECT_EQ(r.out.substr(r.out.rfind("\n ")), "\n 1 of the 5 entries asked for could not be read");
  const std::string got = w.read("s.txt");
  EXPECT_TRUE(contains(got, "\n                ZINC;    1 1 0 0 0"));
  EXPECT_TRUE(contains(got, "\n           TRANSPORT;    0 0 1 1 0"));
}

TEST_F(OriskFiles, ProgressEveryThousandBlocks) {
  // 2000 blocks: 1000 with query b.sp 0, then 1000 with query b.sp 1. Each query learnt
  // passes the whole file: a line before blocks 0 and 1000, none at the end of the file.
  Work w;
  std::string motifs;
  for (int b = 0; b < 2000; b++)
    motifs += std::string("Supermotif b.sp      ") + (b < 1000 ? "0 b.sp      1" : "1 b.sp      0") +
              "  20.00   1   query-bank\n     '+'      0      0     12       5000    5910000\n";
  w.write("big.txt", motifs);
  RunResult r = w.orisk({"big.txt", "0", "20", "1", "s.txt"});
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_TRUE(contains(r.out, "\n There are 2000 motifs in 2 sequnces"));
  EXPECT_TRUE(contains(r.out, "\n There are 2 feature tables to learn..."
                              "\n seq 0 mot 0 from 2000\n seq 0 mot 1000 from 2000"
                              "\n seq 1 mot 0 from 2000\n seq 1 mot 1000 from 2000\n"));
  EXPECT_EQ(occurrences(r.out, " mot "), 4);
}

TEST_F(OriskFiles, NoSupermotifEndsTheRun) {
  // A "Supermotif" line the reader can't take (no motif line after it) counts as none.
  Work w;
  w.write("empty.txt", "no blocks here\n Supermotifs\nSupermotif b.sp 0 b.sp 1 20.00 1 query-bank\n");
  w.write("s.txt", "earlier\n");
  RunResult r = w.orisk({"empty.txt", "s.txt", "-KW", "KW"});
  EXPECT_EQ(r.rc, 5);
  EXPECT_EQ(r.out, "\n Can't read any motif from file empty.txt");
  EXPECT_EQ(w.read("s.txt"), "earlier\n");
}

}  // namespace
