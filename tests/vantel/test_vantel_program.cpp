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
      {"stat.sta golden.mot nodir/out.txt", 2,
       "\n Motif number 0\n Can't create result file nodir/out.txt"},
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
  EXPECT_EQ(r.out, "\n Motif number 0\n Motif number 10");
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
  // Written before the statistics are read, so a run that then fails keeps its line.
  EXPECT_EQ(fx.run("nostat.sta empty.mot out.txt -d").code, 2);
  EXPECT_EQ(fx.read("fun_dist.txt"), "Motif golden.mot\nMotif empty.mot\n");
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
  // A thesaurus that can't be read leaves the run without one.
  EXPECT_EQ(kinase("-M nomesh.idx"),
            std::make_pair(false, std::string("Cant't open mesh file nomesh.idx\n Motif number 0")));
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
