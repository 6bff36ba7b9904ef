// End-to-end runs of the plevit program on hand-written motif files over the small banks of
// tests/data/plevit (run from that folder, since the motif files name the banks relatively).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kData = SEQ_TEST_DATA "/plevit";
const std::string kBin = SEQ_BIN_DIR "/plevit";

std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct Outcome {
  int code = -1;
  std::string out, report;
};

// Runs plevit in dir with args, where "{R}" stands for a fresh report path.
Outcome plevit(const std::string &args, const std::string &dir = kData) {
  static int serial = 0;
  const std::string base = testing::TempDir() + "plevit_" + std::to_string(getpid()) + "_" +
                           testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                           std::to_string(serial++);
  const std::string report = base + ".txt", out = base + ".out";
  std::remove(report.c_str());
  std::string a = args;
  for (size_t p; (p = a.find("{R}")) != std::string::npos;) a.replace(p, 3, "'" + report + "'");
  // The timeout turns an endless run into a failure instead of a hung test.
  const std::string cmd = "cd '" + dir + "' && timeout 60 '" + kBin + "' " + a + " > '" + out + "'";
  const int st = std::system(cmd.c_str());
  Outcome r;
  r.code = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  r.out = slurp(out);
  r.report = slurp(report);
  std::remove(report.c_str());
  std::remove(out.c_str());
  return r;
}

const char kUsage[] =
    "Print supermotifs\nUSAGE: PLEVIT.EXE [option] motifFileName resultFileName "
    "[Wmatrix TranslationCode]\n";

}  // namespace

TEST(PlevitCommandLine, ReturnCodes) {
  struct Case {
    std::string args;
    int code;
    std::string out;
  } cases[] = {
      {"", 1, kUsage},
      {"three.mot", 1, kUsage},
      {"-a three.mot", 1, kUsage},
      {"nothere.mot {R}", 2, "\n Can't open Motif file nothere.mot"},
      {"none.mot {R}", 3, "Can't load motif from file none.mot\n"},
      {"nobank.mot {R}", 4, "Can't open base file missing.dat\n"},
      {"noquery.mot {R}", 4, "Can't open base file missing_query.dat\n"},
      {"three.mot /nonexistent/dir/r.txt", 5, "\n Can't open result file /nonexistent/dir/r.txt"},
      {"three.mot {R} /dev/null", 6, "\n File /dev/null is no weight matrix: a line of column "
                                     "letters, then rows of a letter and numbers"},
      {"unknownq.mot {R}", 99, "\n Unknown bank format: code.txt"},
  };
  for (const Case &c : cases) {
    Outcome r = plevit(c.args);
    EXPECT_EQ(r.code, c.code) << c.args;
    EXPECT_EQ(r.out, c.out) << c.args;
  }
}

TEST(PlevitCommandLine, OptionIsSkipped) {
  const std::string expected = slurp(kData + "/three.expected");
  for (const char *opt : {"", "-a ", "-A "}) {
    Outcome r = plevit(std::string(opt) + "three.mot {R}");
    EXPECT_EQ(r.code, 0) << opt;
    EXPECT_EQ(r.report, expected) << opt;
  }
}

TEST(PlevitBlocks, ThreeQueryBlocks) {
  // Headers copied, each block numbered anew, "\n\n" between blocks; a supermotif that
  // doesn't fit its query is reported and left out.
  Outcome r = plevit("three.mot {R}");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.report, slurp(kData + "/three.expected"));
  EXPECT_EQ(r.out, "\n Motif out of sequence: prot.dat 0");
}

TEST(PlevitBlocks, TrailingQueryLineEndsTheRun) {
  Outcome r = plevit("trailing.mot {R}");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.report, slurp(kData + "/three.expected") +
                          "\n\nQuery: QTRUNC\n Brief Descriptions\n\n Supermotifs");
}

TEST(PlevitBlocks, IndentedSupermotifLineEndsTheRun) {
  Outcome r = plevit("indented.mot {R}");
  EXPECT_EQ(r.code, 0);
  const std::string tail = "\n\nQuery: QUERY1 again\n Brief Descriptions\n\n Supermotifs";
  ASSERT_GE(r.report.size(), tail.size());
  EXPECT_EQ(r.report.substr(r.report.size() - tail.size()), tail);
}

TEST(PlevitBlocks, FastaBankPrintedAsSwissProt) {
  // The header's first word as accession and name, the rest of its line as description.
  Outcome r = plevit("fasta.mot {R}");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.report, slurp(kData + "/fasta.expected"));
  EXPECT_EQ(r.out, "");
}

TEST(PlevitBlocks, GenBankBank) {
  Outcome r = plevit("genbank.mot {R}");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.report,
            "Query: QUERY1\n\n Brief Descriptions\n"
            "gb.gb| G00001| GBTEST]                   9.87 !   GENBANK TEST PROTEIN.\n"
            "gb.gb| G00002| GBLON]                    4.00 !   GENBANK LONG PROTEIN.\n"
            "\n Supermotifs"
            "\nG00001    ++                              GENBANK TEST PROTEIN.\n"
            "Power    9.87 Summa      20 HomPer    1.00\n"
            "      1   ACDEFGHIKL--MNPQRSTVWY   20     \n"
            "          ||||||||||  ||||||||||\n"
            "      1   ACDEFGHIKLwwMNPQRSTVWY   22     \n"
            "\nG00002    +                              GENBANK LONG PROTEIN.\n"
            "Power    4.00 Summa      39 HomPer    0.97\n"
            "    101   PDEDRLSPLHSVYVDQWDWERVMGDGERQFTTLKSTVPNG   140    \n"
            "          |||||||||||||||||||||||||||||| |||||||||\n"
            "    101   PDEDRLSPLHSVYVDQWDWERVMGDGERQFSTLKSTVPNG   140    \n");
}

TEST(PlevitBlocks, TranslatedSupermotifs) {
  // Without a code the report stops before the first translated supermotif, and says so.
  Outcome bare = plevit("translated.mot {R}");
  EXPECT_EQ(bare.code, 12);
  EXPECT_EQ(bare.out, "\n Translation code must be used for printing.\n\n A genetic code file is "
                      "needed to print translated supermotifs: plevit motif_file report_file "
                      "matrix_file code_file");
  const std::string first = "\n Supermotifs\nP00001    +";
  ASSERT_NE(bare.report.find(first), std::string::npos);
  const std::string tail = "      1   ACDEF   5      \n";
  ASSERT_GE(bare.report.size(), tail.size());
  EXPECT_EQ(bare.report.substr(bare.report.size() - tail.size()), tail);
  EXPECT_EQ(bare.report.find("P22222    a"), std::string::npos);

  // With a matrix and the code every supermotif is printed; identities show their letters.
  Outcome full = plevit("translated.mot {R} /usr/share/ncbi/data/BLOSUM62 code.txt");
  EXPECT_EQ(full.code, 0);
  EXPECT_EQ(full.out, "");
  EXPECT_NE(full.report.find("\nP22222    a                    PEPTIDE FOR TRANSLATED QUERIES.\n"
                             "Power    3.00 Summa      14 HomPer "),
            std::string::npos)
      << full.report;
  EXPECT_NE(full.report.find("\n      4   MEKLVWNPQRSTACDEFGHIY   66     "
                             "\n          MEKLVWNPQRSTACDEFGHIY"
                             "\n      1   MEKLVWNPQRSTACDEFGHIY   21     \n"),
            std::string::npos);
  EXPECT_NE(full.report.find("\n     65   MEKLVWNPQRSTACDEFGHIY   3      "), std::string::npos);
}

TEST(PlevitOneLine, BlockEntryBanks) {
  // PRINTS from after "FT;"; BLOCKS without the three blanks after "DE"; Pfam from "DE".
  // A header that can't be read (entry 9) gives no line; descriptions over 40 are cut to 39.
  Outcome pr = plevit("prints.mot {R}");
  EXPECT_EQ(pr.code, 0);
  EXPECT_EQ(pr.report,
            " Brief Descriptions\n"
            "PR  KRINGLE DOMAIN MOTIF I - 1                    2      14    3.10 SD\n"
            "PR  KRINGLE DOMAIN MOTIF II: A DESCRIPT           3      11    1.25 SD\n");
  Outcome bl = plevit("blocks.mot {R}");
  EXPECT_EQ(bl.code, 0);
  EXPECT_EQ(bl.report,
            " Brief Descriptions\n"
            "BL KRINGLE DOMAIN PROTEINS.                       2      14    3.10 SD\n"
            "BL SH.                                            3      11    1.25 SD\n");
  // The second Pfam entry has no description: an empty field.
  Outcome pf = plevit("pfam.mot {R}");
  EXPECT_EQ(pf.code, 0);
  EXPECT_EQ(pf.report,
            " Brief Descriptions\n"
            "PF DE   KRINGLE DOMAIN                            2      14    3.10 SD\n"
            "PF                                                3      11    1.25 SD\n");
}

namespace {

// Accession, entry name and first description line of every entry of a Swiss-Prot file,
// read straight from its lines.
struct Entry {
  std::string ac, de;
};
std::vector<Entry> swissEntries(const std::string &path) {
  std::vector<Entry> v;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("ID   ", 0) == 0) v.push_back({});
    if (v.empty()) continue;
    if (line.rfind("AC   ", 0) == 0 && v.back().ac.empty())
      v.back().ac = line.substr(5, line.find(';') - 5);
    if (line.rfind("DE", 0) == 0 && v.back().de.empty()) v.back().de = line.substr(2);
  }
  return v;
}

std::string upper(std::string s) {
  for (char &c : s) c = (char)toupper((unsigned char)c);
  return s;
}

}  // namespace

TEST(PlevitRealData, EmbossSwissProtEntries) {
  const std::string bank = "/usr/share/EMBOSS/test/swiss/seq.dat";
  std::vector<Entry> entries = swissEntries(bank);
  if (entries.size() < 30) GTEST_SKIP() << "emboss-test is not installed";

  // The bank is read in place through a link beside its index.
  const std::string dir = testing::TempDir() + "plevit_emboss_" + std::to_string(getpid());
  ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "' && ln -s '" + bank +
                         "' '" + dir + "/sw.dat' && python3 '" SEQ_TOOLS_DIR "/mkidx.py' '" +
                         dir + "/sw.dat' > /dev/null")
                            .c_str()),
            0);
  const int picks[] = {0, 7, 19, 29};
  {
    std::ofstream mot(dir + "/real.mot");
    mot << "Query: real entries\n\n";
    for (int k : picks) {
      char buf[200];
      snprintf(buf, sizeof buf, "Supermotif sw.dat %6d sw.dat %6d %6.2f %3d   query-bank\n", k, k,
               1.0 + k, 1);
      mot << buf << "     '+'      0      0     12       1000    4096000\n";
    }
  }
  Outcome r = plevit("real.mot {R}", dir);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "");
  std::istringstream lines(r.report);
  std::string line;
  std::getline(lines, line);  // Query line
  std::getline(lines, line);  // empty
  std::getline(lines, line);
  EXPECT_EQ(line, " Brief Descriptions");
  for (int k : picks) {
    ASSERT_TRUE(std::getline(lines, line));
    const Entry &e = entries[(size_t)k];
    EXPECT_EQ(line.substr(0, 9 + e.ac.size()), "sw.dat| " + e.ac + "|") << line;
    EXPECT_NE(line.find(" ! " + upper(e.de)), std::string::npos) << line;
  }
  // Each entry aligned with itself: twelve identities.
  size_t n = 0;
  for (size_t p = 0; (p = r.report.find("\n          ||||||||||||\n", p)) != std::string::npos; p++)
    n++;
  EXPECT_EQ(n, sizeof picks / sizeof picks[0]);
  EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}
