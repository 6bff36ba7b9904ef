// End-to-end runs of the vantel program on the small fixture of tests/data/vantel, copied
// into a fresh directory for each run (the side files are written beside the statistics).
//
// Date rule: the prediction file's second line carries the local time in ctime form; the
// comparisons replace the text after "Version 5.0, " on that line by "<date>".
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "testutil.h"


namespace {

namespace fs = std::filesystem;
using testutil::maskDate;
using testutil::readFile;
using testutil::writeFile;

const std::string kData = SEQ_TEST_DATA "/vantel/fixture";
const std::string kExpected = SEQ_TEST_DATA "/vantel/expected";
const std::string kBin = SEQ_BIN_DIR "/vantel";

// A copy of the fixture in which vantel runs.
class Fixture {
 public:
  Fixture() {
    for (const auto &e : fs::directory_iterator(kData))
      fs::copy_file(e.path(), fs::path(dir_.path()) / e.path().filename());
  }
  std::string file(const std::string &n) const { return dir_.file(n); }
  std::string read(const std::string &n) const { return readFile(file(n)); }
  bool exists(const std::string &n) const { return fs::exists(file(n)); }
  std::vector<std::string> listing() const {
    std::vector<std::string> v;
    for (const auto &e : fs::directory_iterator(dir_.path())) v.push_back(e.path().filename());
    std::sort(v.begin(), v.end());
    return v;
  }

  struct Outcome {
    int code = -1;
    std::string out;
  };
  Outcome run(const std::string &args) const {
    const std::string out = file("stdout.txt");
    const std::string cmd =
        "cd '" + dir_.path() + "' && timeout 60 '" + kBin + "' " + args + " > '" + out + "'";
    const int st = std::system(cmd.c_str());
    Outcome r;
    r.code = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = readFile(out);
    fs::remove(out);
    return r;
  }

 private:
  testutil::TempDir dir_;
};

const char kUsage[] =
    "Feature Table Prediction: for the given statistics adn motifs\n"
    "USAGE: vantel stat_file motif_file result_file [-M mesh_name] [options]\n"
    "   options:\n"
    "     -S - count all,ksi without length taking into account.\n";

}  // namespace

TEST(VantelProgram, UsageCreatesNothing) {
  Fixture fx;
  const std::vector<std::string> before = fx.listing();
  Fixture::Outcome r = fx.run("stat.sta golden.mot");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, kUsage);
  EXPECT_EQ(fx.listing(), before);
}

TEST(VantelProgram, ReturnCodes) {
  Fixture fx;
  struct Case {
    std::string args;
    int code;
    std::string out;
  } cases[] = {
      {"nostat.sta golden.mot out.txt", 2, "\n Can't open statistics file nostat.sta"},
      {"stat.sta nomot.mot out.txt", 2, "\n Can't open motif file nomot.mot"},
      {"stat.sta empty.mot out.txt", 3, "\n Can't read any motif from file empty.mot"},
      {"stat.sta noquery.mot out.txt", 4, "\n Can't read sequnece number 0 from file missing.dat"},
      {"stat.sta golden.mot nodir/out.txt", 2, "\n Can't create result file nodir/out.txt"},
  };
  for (const Case &c : cases) {
    Fixture::Outcome r = fx.run(c.args);
    EXPECT_EQ(r.code, c.code) << c.args;
    EXPECT_EQ(r.out, c.out) << c.args;
    EXPECT_FALSE(fx.exists("out.txt")) << c.args;
  }
}

TEST(VantelProgram, FailedQueryLeavesTheLastSideFiles) {
  Fixture fx;
  ASSERT_EQ(fx.run("stat.sta golden.mot out.txt").code, 0);
  const std::string inf = fx.read("stat.inf"), pro = fx.read("stat.pro");
  EXPECT_EQ(fx.run("stat.sta empty.mot out2.txt").code, 3);
  EXPECT_EQ(fx.run("stat.sta noquery.mot out2.txt").code, 4);
  EXPECT_EQ(fx.read("stat.inf"), inf);
  EXPECT_EQ(fx.read("stat.pro"), pro);
}

TEST(VantelProgram, Golden) {
  Fixture fx;
  Fixture::Outcome r = fx.run("stat.sta golden.mot out.txt");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(maskDate(fx.read("out.txt")), readFile(kExpected + "/golden.out"));
  EXPECT_EQ(fx.read("stat.inf"), readFile(kExpected + "/golden.inf"));
  EXPECT_EQ(fx.read("stat.pro"), readFile(kExpected + "/golden.pro"));
  EXPECT_EQ(r.out, "\n Motif number 0");
  // The statistics file is read, never written.
  EXPECT_EQ(fx.read("stat.sta"), readFile(kData + "/stat.sta"));
}

TEST(VantelProgram, UnusableSupermotifsAddNothing) {
  // The query on the bank side, an unreadable similar file, a reversal against a shorter
  // header and motifs outside the query count nothing: the prediction is the golden one.
  Fixture fx;
  Fixture::Outcome r = fx.run("stat.sta robust.mot out.txt");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(maskDate(fx.read("out.txt")), readFile(kExpected + "/golden.out"));
  EXPECT_EQ(r.out, "\n Motif number 0\n Motif number 10\n 1 of the 8 entries asked for could not be read");
}

TEST(VantelProgram, SideFilesNeverOverwriteInputs) {
  Fixture fx;
  fs::copy_file(fx.file("stat.sta"), fx.file("t.pro"));
  fs::copy_file(fx.file("golden.mot"), fx.file("run.pro"));
  fs::copy_file(fx.file("stat.sta"), fx.file("run.sta"));
  const std::string stat = fx.read("stat.sta"), mot = fx.read("golden.mot");
  struct Case {
    std::string args, out;
  } cases[] = {
      {"t.pro golden.mot out.txt", "\n Side file t.pro would overwrite t.pro"},
      {"run.sta run.pro out.txt", "\n Side file run.pro would overwrite run.pro"},
      {"stat.sta golden.mot stat.inf", "\n Side file stat.inf would overwrite stat.inf"},
      {"stat.sta golden.mot out.txt -C ./stat.pro",
       "\n Side file stat.pro would overwrite ./stat.pro"},
      {"stat.sta golden.mot out.txt -C golden.mot",
       "\n Column file golden.mot would overwrite golden.mot"},
  };
  for (const Case &c : cases) {
    Fixture::Outcome r = fx.run(c.args);
    EXPECT_EQ(r.code, 2) << c.args;
    EXPECT_EQ(r.out, c.out) << c.args;
  }
  EXPECT_EQ(fx.read("t.pro"), stat);
  EXPECT_EQ(fx.read("run.pro"), mot);
  EXPECT_EQ(fx.read("golden.mot"), mot);
  EXPECT_FALSE(fx.exists("out.txt"));
  EXPECT_FALSE(fx.exists("t.inf"));
  EXPECT_FALSE(fx.exists("stat.pro"));
}

TEST(VantelProgram, AbsolutePathsAreNotOptions) {
  // "/cluster/..." once read as option C and created the motif file anew as the column file.
  Fixture fx;
  const std::string mot = fx.read("golden.mot");
  Fixture::Outcome r = fx.run("/cluster/s.sta golden.mot out.txt");
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.out, "\n Can't open statistics file /cluster/s.sta");
  EXPECT_EQ(fx.read("golden.mot"), mot);
  // An absolute statistics path whose second letter is d switches nothing on.
  const std::string abs = fx.file("stat.sta");
  ASSERT_EQ(fx.run("'" + abs + "' golden.mot out.txt").code, 0);
  EXPECT_FALSE(fx.exists("fun_dist.txt"));
}

TEST(VantelProgram, DistListingGainsOneLinePerRun) {
  Fixture fx;
  ASSERT_EQ(fx.run("stat.sta golden.mot out.txt -D").code, 0);
  EXPECT_EQ(fx.read("fun_dist.txt"), "Motif golden.mot\n");
  // Written once every input is read: a run that stops on one adds nothing.
  EXPECT_EQ(fx.run("nostat.sta empty.mot out.txt -d").code, 2);
  EXPECT_EQ(fx.run("stat.sta empty.mot out.txt -d").code, 3);
  EXPECT_EQ(fx.read("fun_dist.txt"), "Motif golden.mot\n");
}

TEST(VantelProgram, ThesaurusAndRecount) {
  Fixture fx;
  auto kinase = [&](const std::string &opts) {
    Fixture::Outcome r = fx.run("stat.sta mesh.mot out.txt " + opts);
    EXPECT_EQ(r.code, 0) << opts;
    const std::string out = fx.read("out.txt");
    return std::make_pair(out.find("\nKW   KINASE ") != std::string::npos, r.out);
  };
  // s5 names only the synonym PHOSPHOTRANSFERASE of KINASE.
  EXPECT_EQ(kinase(""), std::make_pair(false, std::string("\n Motif number 0")));
  EXPECT_EQ(kinase("-M"), std::make_pair(false, std::string("\n Motif number 0")));
  EXPECT_EQ(kinase("-Mesh mesh.idx"),
            std::make_pair(true, std::string("\n Motif number 0Synonym\n")));
  // The recount finds the keyword through the same thesaurus.
  EXPECT_EQ(kinase("-M mesh.idx -S"),
            std::make_pair(true, std::string("\n Motif number 0Synonym\nSynonym\n")));
  EXPECT_EQ(kinase("-M -S").first, false);
}

TEST(VantelProgram, ColumnFile) {
  Fixture fx;
  ASSERT_EQ(fx.run("stat.sta golden.mot out.txt -C col.txt").code, 0);
  EXPECT_EQ(fx.read("col.txt"),
            "KW KINASE   0   0    0012.34   1\n"
            "KW TRANSFERASE   0   0    0012.34   1\n"
            "KW KINASE   0   0    0012.34   1\n"
            "KW TRANSFERASE   0   0    0012.34   1\n"
            "KW KINASE   0   0    0011.00   1\n"
            "KW TRANSFERASE   0   0    0011.00   0\n"
            "KW KINASE   0   0    0012.34   1\n"
            "KW TRANSFERASE   0   0    0012.34   1\n");
}

TEST(VantelProgram, TranslatedFrames) {
  Fixture fx;
  // A nucleic query: its name carries the frame letters and its positions are tripled.
  ASSERT_EQ(fx.run("stat.sta frames.mot out.txt").code, 0);
  EXPECT_EQ(maskDate(fx.read("out.txt")), readFile(kExpected + "/frames.out"));
  // A protein query whose bank side was translated keeps its own positions.
  ASSERT_EQ(fx.run("stat.sta protframes.mot out.txt").code, 0);
  const std::string prot = fx.read("out.txt");
  EXPECT_EQ(prot.substr(0, prot.find('\n') + 1),
            "ID   QRY_TEST        STANDARD;      PRT;        60 AA.\n");
  EXPECT_NE(prot.find("\nFT   BINDING                                          10      20  "),
            std::string::npos)
      << prot;
}

namespace {

// A statistics block as orisk saves it; qXbX of the lower bin first.
std::string block(const std::string &name, const std::string &type, const char *qXbX = "0.95000 0.01000") {
  return "\n\n " + name + " " + type +
         "_statistics\nminPow  0.00 maxPow 100.00 stepPow  1.00 numPow     2 Freq 0.100000 "
         "Prob 0.000000\nPow      0.000  12.340\nqXbX   " + qXbX + "\nq_XbX  0.01000 0.01000";
}

// The fixture's statistics file up to its first block.
// The fixture's tables without the keywords whose blocks the tests don't write: tables that
// name a keyword of two sequences promise its block.
std::string statHead() {
  std::string s = readFile(kData + "/stat.sta");
  s = s.substr(0, s.find("\n\n BINDING FT_statistics"));
  const size_t rows = s.find("     KINASE;");
  return s.erase(rows, s.find("        Monotonous") - rows);
}

bool predicts(const std::string &out, const std::string &line) {
  return out.find("\n" + line + " ") != std::string::npos;
}

}  // namespace

TEST(VantelProgram, StatisticsPastTheLimitsAreNotKept) {
  Fixture fx;
  const std::string binding = block("BINDING", "FT", "0.90000 0.95000"), kinase = block("KINASE", "KW");
  auto run = [&](const std::string &stat) {
    writeFile(fx.file("big.sta"), stat);
    Fixture::Outcome r = fx.run("big.sta golden.mot out.txt");
    EXPECT_EQ(r.code, 0) << r.out;
    return std::make_pair(fx.read("out.txt"), r.out);
  };
  std::string dummyFT, dummyKW, types;
  for (int i = 0; i < 9999; i++) {
    dummyFT += block("D" + std::to_string(i), "FT");
    dummyKW += block("D" + std::to_string(i), "KW");
  }
  for (int i = 0; i < 99; i++) types += block("X", "T" + std::to_string(i));

  // 10000 feature statistics are kept; the 10001st is read past, and the keyword types that
  // follow are read as usual (the surplus is no keyword type "FT").
  auto r = run(statHead() + dummyFT + binding + kinase);
  EXPECT_TRUE(predicts(r.first, "FT   BINDING")) << r.first;
  r = run(statHead() + dummyFT + block("D9999", "FT") + binding + kinase);
  EXPECT_FALSE(predicts(r.first, "FT   BINDING")) << r.first;
  EXPECT_TRUE(predicts(r.first, "KW   KINASE")) << r.first;
  EXPECT_EQ(r.second, "\n More than 10000 FT statistics: 1 of them are not used\n Motif number 0");

  // The same for the statistics of one keyword type.
  r = run(statHead() + dummyKW + kinase);
  EXPECT_TRUE(predicts(r.first, "KW   KINASE"));
  r = run(statHead() + dummyKW + block("D9999", "KW") + kinase + block("WORD", "DE"));
  EXPECT_FALSE(predicts(r.first, "KW   KINASE"));
  EXPECT_EQ(r.second,
            "\n More than 10000 statistics of type KW: 1 of them are not used\n Motif number 0");

  // 100 keyword types are kept, the 101st and those after it are not.
  r = run(statHead() + types + kinase);
  EXPECT_TRUE(predicts(r.first, "KW   KINASE"));
  r = run(statHead() + types + block("X", "T99") + kinase);
  EXPECT_FALSE(predicts(r.first, "KW   KINASE"));
  EXPECT_EQ(r.second,
            "\n More than 100 keyword types: the statistics from type KW on are not used"
            "\n Motif number 0");
}

TEST(VantelProgram, TypeWithoutABlockEndsTheStatistics) {
  // A type whose only block is refused names no block: the reading ends there, so the
  // keyword type after it is not read (and the reader does not come back to the same type).
  Fixture fx;
  writeFile(fx.file("bad.sta"),
            statHead() + block("BINDING", "FT", "0.90000 0.95000") +
                "\n\n X BAD_statistics\nminPow  0.00 maxPow 1.00 stepPow  1.00 numPow     0 Freq "
                "0.100000 Prob 0.000000\nPow\nqXbX\nq_XbX" +
                block("KINASE", "KW"));
  Fixture::Outcome r = fx.run("bad.sta golden.mot out.txt");
  ASSERT_EQ(r.code, 0) << r.out;
  const std::string out = fx.read("out.txt");
  EXPECT_FALSE(predicts(out, "KW   KINASE")) << out;
  EXPECT_TRUE(predicts(out, "FT   BINDING")) << out;
}

TEST(VantelProgram, FeatureStatisticsWithoutAName) {
  // A name that is empty is compared with "", which every feature line matches.
  Fixture fx;
  writeFile(fx.file("noname.sta"), statHead() + block("", "FT", "0.90000 0.95000"));
  Fixture::Outcome r = fx.run("noname.sta golden.mot out.txt");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(fx.read("out.txt").find("\nFT   " + std::string(45, ' ') +
                                    "    10      20  Prob 1.0000 SD  14.07\n"),
            std::string::npos)
      << fx.read("out.txt");
}

TEST(VantelProgram, EntryWithoutAccessionIsListedWithABlank) {
  Fixture fx;
  writeFile(fx.file("noac.dat"),
            "ID   NOAC_TEST      STANDARD;      PRT;    60 AA.\nDE   No accession.\n"
            "SQ   SEQUENCE    60 AA;\n"
            "     ACDEFGHIKL MNPQRSTVWY ACDEFGHIKL MNPQRSTVWY ACDEFGHIKL MNPQRSTVWY\n//\n");
  writeFile(fx.file("noac.mot"),
            "Supermotif q.dat      0 noac.dat      0  12.34   1   query-bank\n"
            "     '+'      5      5     20      30000   27450000\n");
  ASSERT_EQ(fx.run("stat.sta noac.mot out.txt").code, 0);
  // "%-9s    %6d": the blank padded to nine, four blanks, the entry number.
  EXPECT_EQ(fx.read("stat.pro").substr(0, 65),
            "\n List  of all similar sequences.\n\n" + std::string(18, ' ') + "0\n\n\n Feature");
}

TEST(VantelProgram, BanksAndTheThesaurusAreNeverOverwritten) {
  Fixture fx;
  const std::string s1 = fx.read("s1.dat"), q = fx.read("q.dat"), mesh = fx.read("mesh.idx");
  fs::copy_file(fx.file("stat.sta"), fx.file("s1.sta"));
  fs::copy_file(fx.file("stat.sta"), fx.file("q.sta"));
  fs::copy_file(fx.file("stat.sta"), fx.file("mesh.sta"));
  fs::copy_file(fx.file("mesh.idx"), fx.file("mesh.inf"));
  fs::copy_file(fx.file("s1.dat"), fx.file("s1.inf"));
  fs::copy_file(fx.file("q.dat"), fx.file("q.pro"));
  writeFile(fx.file("s1bank.mot"), readFile(kData + "/golden.mot"));
  std::string viaInf = readFile(kData + "/golden.mot"), viaPro = viaInf;
  for (size_t at; (at = viaInf.find(" s1.dat ")) != std::string::npos;) viaInf.replace(at, 8, " s1.inf ");
  for (size_t at; (at = viaPro.find("q.dat ")) != std::string::npos;) viaPro.replace(at, 6, "q.pro ");
  writeFile(fx.file("inf.mot"), viaInf);
  writeFile(fx.file("pro.mot"), viaPro);
  struct Case {
    std::string args, out;
  } cases[] = {
      {"mesh.sta golden.mot out.txt -M mesh.inf",
       "\n Side file mesh.inf would overwrite mesh.inf"},
      {"s1.sta inf.mot out.txt", "\n Side file s1.inf would overwrite s1.inf"},
      {"q.sta pro.mot out.txt", "\n Side file q.pro would overwrite q.pro"},
      {"stat.sta golden.mot out.txt -C s1.dat", "\n Column file s1.dat would overwrite s1.dat"},
      {"stat.sta golden.mot out.txt -C ./q.dat", "\n Column file ./q.dat would overwrite q.dat"},
  };
  for (const Case &c : cases) {
    Fixture::Outcome r = fx.run(c.args);
    EXPECT_EQ(r.code, 2) << c.args;
    EXPECT_EQ(r.out, c.out) << c.args;
  }
  EXPECT_EQ(fx.read("s1.dat"), s1);
  EXPECT_EQ(fx.read("s1.inf"), s1);
  EXPECT_EQ(fx.read("q.dat"), q);
  EXPECT_EQ(fx.read("q.pro"), q);
  EXPECT_EQ(fx.read("mesh.inf"), mesh);
  EXPECT_FALSE(fx.exists("out.txt"));
  EXPECT_FALSE(fx.exists("stat.inf"));
}

TEST(VantelProgram, FullDiskEndsTheRun) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Fixture fx;
  Fixture::Outcome r = fx.run("stat.sta golden.mot /dev/full");
  EXPECT_EQ(r.code, 11);
  EXPECT_NE(r.out.find("\n Can't write prediction file: No space left on device\n"),
            std::string::npos)
      << r.out;
}

TEST(VantelProgram, PredictionsWithoutEvidenceReportProbZero) {
  // Statistics that separate nothing predict by their frequency alone (0.7): such lines
  // carry Prob 0, not the probability of the line computed before them.
  Fixture fx;
  writeFile(fx.file("freq.sta"), statHead() + block("BINDING", "FT", "0.90000 0.95000") +
                                     block("TRANSFERASE", "KW", "0.95000 0.95000") +
                                     block("KINASE", "KW", "0.01000 0.01000"));
  std::string stat = fx.read("freq.sta");
  for (const char *name : {"BINDING FT", "KINASE KW"}) {
    const size_t at = stat.find("Freq 0.100000", stat.find(name));
    stat.replace(at, 13, "Freq 0.700000");
  }
  writeFile(fx.file("freq.sta"), stat);
  Fixture::Outcome r = fx.run("freq.sta golden.mot out.txt");
  ASSERT_EQ(r.code, 0) << r.out;
  const std::string out = maskDate(fx.read("out.txt"));
  const size_t from = out.find('\n') + 1;
  EXPECT_EQ(out.substr(from, out.find("SQ   ") - from),
            "CC   ____________ Predicted KELVA, Version 5.0, <date>\n"
            "CC   _______________________________ KW fields\n"
            "KW   KINASE                                            6      26  Prob 0.0000 SD  99.00\n"
            "KW   TRANSFERASE                                       6      26  Prob 1.0000 SD  14.07\n"
            "CC   _______________________________ FT fields\n"
            "FT   BINDING                                           1       5  Prob 0.0000 SD  99.00\n"
            "FT   BINDING                                          10      20  Prob 1.0000 SD  14.07\n"
            "FT   BINDING                                          26      60  Prob 0.0000 SD  99.00\n");
}

TEST(VantelProgram, FilesThatCantBeCreated) {
  // Directories in the place of the side files, the column file and the listing.
  struct Case {
    std::string dir, args, out;
  } cases[] = {
      {"stat.inf", "stat.sta golden.mot out.txt", "\n Can't create file stat.inf"},
      {"stat.pro", "stat.sta golden.mot out.txt", "\n Can't create file stat.pro"},
      {"col.txt", "stat.sta golden.mot out.txt -C col.txt", "\n Can't create column file col.txt"},
      {"fun_dist.txt", "stat.sta golden.mot out.txt -D", "\n Can't open file fun_dist.txt"},
  };
  for (const Case &c : cases) {
    Fixture fx;
    fs::create_directory(fx.file(c.dir));
    Fixture::Outcome r = fx.run(c.args);
    EXPECT_EQ(r.code, 2) << c.args;
    EXPECT_EQ(r.out, c.out) << c.args;
    EXPECT_FALSE(fx.exists("out.txt")) << c.args;
  }
}

TEST(VantelProgram, FastaSimilarEntryInTheSideFiles) {
  // A FASTA header line keeps its own line end, and ".inf" adds one.
  Fixture fx;
  writeFile(fx.file("fasta.mot"),
            "Supermotif q.dat      0 nq.fa      0  12.34   1   query-bank\n"
            "     '+'      5      5     20      30000   27450000\n");
  ASSERT_EQ(fx.run("stat.sta fasta.mot out.txt").code, 0);
  EXPECT_EQ(fx.read("stat.inf"), ">NUCQ NUCLEIC TEST QUERY\n\n");
  EXPECT_EQ(fx.read("stat.pro").substr(0, 56),
            "\n List  of all similar sequences.\n\nNUCQ              0\n\n");
}
