// Bad inputs for tervex, orisk and vantel, one table row each: truncated and garbage motif
// files, SubBase files at their limits, statistics files cut short or absurd, option words at
// the end of the line, absolute paths in file positions, colliding side and column files.
// Every row states its exit code and message; no row may crash, hang or leave a sanitizer
// report, and no input file may change (checked by hash before and after).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "robust_run.h"
#include "testutil.h"

namespace {

using namespace robust;
using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

struct Row {
  const char *what;
  std::vector<std::string> args;
  int code;
  const char *message;
};

// A scratch directory holding the small banks of the plevit tests (with their indexes), the
// search parameter files and the inputs of each row.
class RobustPrograms : public ::testing::Test {
 protected:
  TempDir dir;
  std::vector<std::string> inputs;  // files whose bytes no row may change

  std::string path(const std::string &name) const { return dir.file(name); }
  void put(const std::string &name, const std::string &text) {
    writeFile(path(name), text);
    inputs.push_back(name);
  }

  void SetUp() override {
    for (const char *f : {"prot.dat", "prot.idx", "query.dat", "query.idx", "three.mot", "code.txt"})
      put(f, readFile(testutil::dataPath(std::string("plevit/") + f)));
    put("colors.txt", readFile(testutil::dataPath("search/colors.txt")));
    put("p.prm", "!c colors.txt\n!e code.txt\n");
    put("empty", "");
    put("garbage", garbage(3000));
    put("banks.lst", "prot.dat\n");
    mkdir(path("adir").c_str(), 0755);
  }

  std::map<std::string, size_t> hashes() const {
    std::map<std::string, size_t> h;
    for (const std::string &f : inputs) h[f] = std::hash<std::string>()(readFile(path(f)));
    return h;
  }

  // Runs every row and checks its outcome and that the inputs stayed as they were.
  void runRows(const std::string &prog, const std::vector<Row> &rows) {
    const auto before = hashes();
    for (const Row &row : rows) {
      SCOPED_TRACE(row.what);
      Outcome r = run(prog, row.args, dir.path());
      expectOutcome(r, row.code, row.message);
      EXPECT_EQ(hashes(), before) << "an input file changed";
    }
  }
};

// Motif blocks with absurd values (counts, positions, powers) on the small banks.
const char *const kOddBlocks[] = {
    "Supermotif query.dat 0 prot.dat 1 1.00 0 query-bank\n     '+' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 -3 query-bank\n     '+' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1000000 query-bank\n     '+' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1e308 1 query-bank\n     '+' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 nan 1 query-bank\n     '+' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     '+' -5 -7 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     '+' 0 0 -5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n"
    "     '+' 2147483647 2147483647 2147483647 2147483647 2147483647\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n"
    "     '-' -2147483648 -2147483648 -2147483648 -2147483648 -2147483648\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     'e' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     no quote at all\n",
    "Supermotif query.dat -1 prot.dat 2147483647 1.00 1 query-bank\n     '+' 0 0 5 1 1\n",
    "Supermotif query.dat 0 prot.dat\n     '+' 0 0 5 1 1\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 2 query-bank\n     '+' 0 0 5 1 1\n",  // cut short
};

}  // namespace

// ---- tervex ----

TEST_F(RobustPrograms, TervexInputsAndOptions) {
  std::string header50, header51;
  for (int i = 0; i < 50; i++) header50 += i == 0 ? "SubBase header\n" : "more header\n";
  header51 = header50 + "one line too many\n";
  put("h50.sub", header50 + "\nprot.dat 1\nprot.dat 2\n");
  put("h51.sub", header51 + "\nprot.dat 1\nprot.dat 2\n");
  put("crlf.sub", testutil::toCRLF("SubBase\n\nprot.dat 1\nprot.dat 2\n"));
  put("nobody.sub", "SubBase\n\n");
  put("noend.sub", "SubBase\nprot.dat 1\n");
  put("nonum.sub", "SubBase\n\nprot.dat\nprot.dat 2\nquery.dat\n");
  put("first-nonum.sub", "SubBase\n\nprot.dat\n");
  put("missing-entry.sub", "SubBase\n\nprot.dat 1\nprot.dat 99\nnope.dat 0\n");
  put("cut.mot", "Query: x\n\nSupermotif query.dat 0 prot.dat 1 1.00 3 query-bank\n");
  put("empty.lst", "");
  const std::string abs = path("three.mot");
  std::vector<Row> rows = {
      {"one word", {"p.prm"}, 1, "USAGE: tervex"},
      {"missing parameter file", {"nope.prm", "three.mot", "r.mot"}, 2, "Can't open file with parameters"},
      {"missing input", {"p.prm", "nope.mot", "r.mot"}, 4, "Can't open file with motifs nope.mot"},
      {"empty input", {"p.prm", "empty", "r.mot"}, 5, "neither MOTIFS nor SUB_BASE"},
      {"garbage input", {"p.prm", "garbage", "r.mot"}, 5, "neither MOTIFS nor SUB_BASE"},
      {"directory as input", {"p.prm", "adir", "r.mot"}, 5, "neither MOTIFS nor SUB_BASE"},
      {"SubBase of 50 header lines", {"p.prm", "h50.sub", "r.mot"}, 0, ""},
      {"SubBase of 51 header lines", {"p.prm", "h51.sub", "r.mot"}, 3, "isn't the SubBase"},
      {"SubBase with CRLF lines", {"p.prm", "crlf.sub", "r.mot"}, 0, ""},
      {"SubBase with an empty body", {"p.prm", "nobody.sub", "r.mot"}, 3, "isn't the SubBase"},
      {"SubBase without its empty line", {"p.prm", "noend.sub", "r.mot"}, 3, "isn't the SubBase"},
      {"SubBase lines without numbers", {"p.prm", "nonum.sub", "r.mot"}, 0, ""},
      {"SubBase whose only line has no number", {"p.prm", "first-nonum.sub", "r.mot"}, 3, ""},
      {"SubBase naming missing entries", {"p.prm", "missing-entry.sub", "r.mot"}, 0, ""},
      {"motif file cut inside a block", {"p.prm", "cut.mot", "r.mot"}, 0, ""},
      {"motif file cut inside a block, Reduce", {"p.prm", "cut.mot", "r.mot", "-R"}, 0, ""},
      {"motif file cut inside a block, Shorten", {"p.prm", "cut.mot", "r.mot", "-S"}, 0,
       "SHORTEN variant can't read input motifs"},
      {"S and K as the last words", {"p.prm", "three.mot", "r.mot", "-S", "-K"}, 0, ""},
      {"B as the last word", {"p.prm", "three.mot", "r.mot", "-B"}, -4, "base list (null)"},
      {"N as the last word", {"p.prm", "three.mot", "r.mot", "-N"}, 0, ""},
      {"B with an empty list", {"p.prm", "three.mot", "r.mot", "-B", "empty.lst"}, -5,
       "There are no banks in bankList"},
      {"absolute input path", {"p.prm", abs, "r.mot"}, 0, ""},
      {"absolute paths everywhere", {path("p.prm"), path("h50.sub"), path("abs.mot")}, 0, ""},
      {"absolute paths, Base", {path("p.prm"), path("h50.sub"), path("abs.mot"), "-B", path("banks.lst")}, 0, ""},
      {"result in a missing directory", {"p.prm", "three.mot", "nodir/r.mot"}, 6, "Can't open result file"},
      {"result is a directory", {"p.prm", "three.mot", "adir"}, 6, "Can't open result file"},
  };
  runRows(kTervex, rows);
  // An absolute path in the result position names the result, never an option.
  EXPECT_NE(readFile(path("abs.mot")).find("Motif file obtained from the SubBase:\nSubBase header\n"),
            std::string::npos);
}

TEST_F(RobustPrograms, TervexAbsurdMotifValues) {
  std::vector<Row> rows;
  std::vector<std::string> names;
  for (size_t i = 0; i < sizeof kOddBlocks / sizeof kOddBlocks[0]; i++) {
    std::string name = "odd" + std::to_string(i) + ".mot";
    put(name, std::string("Query: odd\n\n") + kOddBlocks[i] +
                  "Supermotif query.dat 1 prot.dat 2 3.00 1 query-bank\n     '+' 0 0 8 3000 4096000\n");
    names.push_back(name);
  }
  for (const std::string &n : names)
    for (const char *method : {"-F", "-R", "-S"})
      rows.push_back({"absurd block", {"p.prm", n, "r.mot", method}, 0, ""});
  runRows(kTervex, rows);
}

// ---- orisk and vantel ----

// The four-entry Swiss-Prot bank of the orisk tests with its index, its motif file, and the
// statistics orisk learns from them.
class RobustLearning : public RobustPrograms {
 protected:
  void SetUp() override {
    RobustPrograms::SetUp();
    for (const char *f : {"b.sp", "m.txt", "golden.sta"})
      put(f, readFile(testutil::dataPath(std::string("orisk/") + f)));
    ASSERT_TRUE(testutil::makeIndex(path("b.sp")));
    inputs.push_back("b.idx");
  }
  bool exists(const std::string &name) const {
    struct stat st;
    return stat(path(name).c_str(), &st) == 0;
  }
  // The motif file cut after each of its lines, and the statistics file cut at every 97th byte.
  std::vector<std::string> cuts(const std::string &name, const std::string &ext, bool byLine) {
    const std::string text = readFile(path(name));
    std::vector<std::string> names;
    size_t at = 0;
    for (int i = 0;; i++) {
      at = byLine ? text.find('\n', at) : at + 97;
      if (at == std::string::npos || at >= text.size()) break;
      if (byLine) at++;
      names.push_back("cut" + std::to_string(i) + ext);
      put(names.back(), text.substr(0, at));
    }
    return names;
  }
};

TEST_F(RobustLearning, OriskInputsAndOptions) {
  const std::string absMot = path("m.txt");
  std::vector<Row> rows = {
      {"no words", {}, 1, "USAGE: orisk"},
      {"motif file alone", {"m.txt"}, 1, "USAGE: orisk"},
      {"three numbers and no result", {"m.txt", "0", "20", "1"}, 1, "USAGE: orisk motif_file"},
      {"two numbers", {"m.txt", "0", "20", "s.sta"}, 1, "USAGE: orisk motif_file"},
      {"step 0", {"m.txt", "0", "20", "0", "s.sta"}, 1, "USAGE: orisk motif_file"},
      {"max below min", {"m.txt", "20", "0", "1", "s.sta"}, 1, "USAGE: orisk motif_file"},
      {"result in option form", {"m.txt", "-s.sta"}, 1, "USAGE: orisk"},
      {"missing motif file", {"nope.mot", "s.sta"}, 4, "Can't open motifs file nope.mot"},
      {"empty motif file", {"empty", "s.sta"}, 0, "There are 0 motifs in 0 sequnces"},
      {"garbage motif file", {"garbage", "s.sta"}, 0, "There are 0 motifs in 0 sequnces"},
      {"directory as motif file", {"adir", "s.sta"}, 0, "There are 0 motifs in 0 sequnces"},
      {"a bank that is not there", {"three.mot", "s.sta"}, 0, "Can't read sequnce very_long_bank_name.dat 0"},
      {"a learning run", {"m.txt", "s.sta", "-KW", "KW", "DE", "CC", "-I", "-F"}, 0, "There are 6 motifs"},
      {"absolute motif path", {absMot, "s.sta", "-C", path("c.txt")}, 0, ""},
      {"D as the last word", {"m.txt", "s.sta", "-D"}, 0, ""},
      {"D values without digits", {"m.txt", "s.sta", "-D", "e"}, 0, ""},
      {"D mon without a count", {"m.txt", "s.sta", "-D", "mon"}, 0, ""},
      {"D with huge counts", {"m.txt", "s.sta", "-D", "equ99999999999_99999999999"}, 0, ""},
      {"C as the last word", {"m.txt", "s.sta", "-C"}, 0, ""},
      {"absolute result and thesaurus paths", {"m.txt", path("abs.sta"), "-M", path("nope.mesh")}, 0, ""},
      {"a range of too many bins", {"m.txt", "0", "1e9", "0.001", "s.sta"}, 1, "USAGE: orisk motif_file"},
      {"M and KW as the last words", {"m.txt", "s.sta", "-KW", "KW", "-M"}, 0, ""},
      {"KW without types", {"m.txt", "s.sta", "-KW"}, 0, ""},
      {"missing thesaurus", {"m.txt", "s.sta", "-M", "nope.mesh"}, 0, ""},
      {"garbage thesaurus", {"m.txt", "s.sta", "-M", "garbage"}, 0, ""},
      {"column file is the result", {"m.txt", "s.sta", "-C", "s.sta"}, 0,
       "The column file s.sta would overwrite the result or the motif file: not written"},
      {"column file is the motif file", {"m.txt", "s.sta", "-C", "m.txt"}, 0,
       "The column file m.txt would overwrite the result or the motif file: not written"},
      {"result is a directory", {"m.txt", "adir"}, 3, "Can't create file adir"},
      {"result in a missing directory", {"m.txt", "nodir/s.sta"}, 3, "Can't create file nodir/s.sta"},
  };
  runRows(kOrisk, rows);
  EXPECT_TRUE(exists("c.txt"));  // an absolute path after -C names the column file
  EXPECT_NE(readFile(path("abs.sta")).find(" Feature Table"), std::string::npos);
}

TEST_F(RobustLearning, OriskCutAndAbsurdMotifFiles) {
  std::vector<Row> rows;
  for (const std::string &n : cuts("m.txt", ".mot", true)) {
    rows.push_back({"cut motif file", {n, "s.sta", "-KW", "KW", "DE"}, 0, ""});
    rows.push_back({"cut motif file, given range", {n, "0", "20", "1", "s.sta", "-I"}, 0, ""});
  }
  for (size_t i = 0; i < sizeof kOddBlocks / sizeof kOddBlocks[0]; i++) {
    const std::string name = "odd" + std::to_string(i) + ".mot";
    put(name, std::string("Query: odd\n\n") + kOddBlocks[i] + readFile(path("m.txt")));
    rows.push_back({"absurd block", {name, "s.sta", "-KW", "KW", "-I"}, 0, ""});
    rows.push_back({"absurd block, given range", {name, "0", "100", "1", "s.sta", "-KW", "KW"}, 0, ""});
  }
  runRows(kOrisk, rows);
}

TEST_F(RobustLearning, VantelInputsAndOptions) {
  put("nosup.mot", "Query: x\n\n");
  std::string noQuery = readFile(path("m.txt"));
  for (size_t at = 0; (at = noQuery.find("b.sp      0 b.sp", at)) != std::string::npos;)
    noQuery.replace(at, 16, "b.sp     77 b.sp");
  put("noquery.mot", noQuery);
  put("absurd.sta",
      " ZINC KW_statistics\nminPow  0.00 maxPow 20.00 stepPow  1.00 numPow 99999999 Freq 0.5 Prob 0\n"
      "Pow 0 1\nqXbX 0.1\n");
  put("negative.sta",
      " ZINC KW_statistics\nminPow  9.00 maxPow -20.00 stepPow  -1.00 numPow 3 Freq nan Prob -1\n"
      "Pow nan -1 1e308\nqXbX 0.1 2 -3\nq_XbX inf 0 0\n");
  // One block each: a numPow below zero, at the least int, past int; rows shorter than numPow
  // or missing; a header as the last line; names that are empty.
  const std::string grid = "minPow  0.00 maxPow 20.00 stepPow  1.00 numPow ";
  const std::string rows3 = " Freq 0.5 Prob 0\nPow 0 4 19\nqXbX 0.1 0.5 0.9\nq_XbX 0.9 0.5 0.1\n";
  put("negnum.sta", "\n\n ZINC KW_statistics\n" + grid + "   -3" + rows3);
  put("minnum.sta", "\n\n ZINC KW_statistics\n" + grid + "-2147483648" + rows3);
  put("hugenum.sta", "\n\n ZINC KW_statistics\n" + grid + "99999999999999" + rows3);
  put("shortrows.sta", "\n\n DOMAIN_KRINGLE_1 FT_statistics\n" + grid + "    3 Freq 0.5 Prob 0\nPow 0 4\n"
                       "qXbX 0.1 0.9\nq_XbX 0.9\n\n\n ZINC KW_statistics\n" + grid +
                       "    3 Freq 0.5 Prob 0\nPow 0\nqXbX 0.1\nq_XbX\n");
  put("norows.sta", "\n\n ZINC KW_statistics\n" + grid + "    2 Freq 0.5 Prob 0\n");
  put("headlast.sta", "\n\n ZINC KW_statistics");
  put("noname.sta", "\n\n  KW_statistics\n" + grid + "    3" + rows3 + "\n\n FT_statistics\n" + grid +
                        "    3" + rows3 + "\n\n_statistics\n" + grid + "    3" + rows3);
  put("x.sta", readFile(path("golden.sta")));
  put("x.inf", readFile(path("m.txt")));
  put("y.pro", readFile(path("golden.sta")));
  const std::string abs = path("golden.sta");
  std::vector<Row> rows = {
      {"no words", {}, 1, "USAGE: vantel"},
      {"two file names", {"golden.sta", "m.txt"}, 1, "USAGE: vantel"},
      {"missing statistics", {"nope.sta", "m.txt", "p.txt"}, 2, "Can't open statistics file nope.sta"},
      {"missing motif file", {"golden.sta", "nope.mot", "p.txt"}, 2, "Can't open motif file nope.mot"},
      {"motif file without supermotifs", {"golden.sta", "nosup.mot", "p.txt"}, 3,
       "Can't read any motif from file nosup.mot"},
      {"garbage motif file", {"golden.sta", "garbage", "p.txt"}, 3, "Can't read any motif from file garbage"},
      {"query not in its bank", {"golden.sta", "noquery.mot", "p.txt"}, 4,
       "Can't read sequnece number 77 from file b.sp"},
      {"empty statistics", {"empty", "m.txt", "p.txt"}, 0, ""},
      {"garbage statistics", {"garbage", "m.txt", "p.txt"}, 0, ""},
      {"absurd numPow", {"absurd.sta", "m.txt", "p.txt"}, 0, ""},
      {"negative numPow", {"negnum.sta", "m.txt", "p.txt"}, 0, "Motif number 0"},
      {"least int numPow", {"minnum.sta", "m.txt", "p.txt"}, 0, "Motif number 0"},
      {"numPow past int", {"hugenum.sta", "m.txt", "p.txt"}, 0, "Motif number 0"},
      {"rows shorter than numPow", {"shortrows.sta", "m.txt", "p.txt", "-S"}, 0, "Motif number 0"},
      {"a block without rows", {"norows.sta", "m.txt", "p.txt"}, 0, "Motif number 0"},
      {"a header as the last line", {"headlast.sta", "m.txt", "p.txt"}, 0, "Motif number 0"},
      {"empty names and types", {"noname.sta", "m.txt", "p.txt"}, 0, "Motif number 0"},
      {"negative and non-finite grid", {"negative.sta", "m.txt", "p.txt"}, 0, ""},
      {"side file is the result", {"golden.sta", "m.txt", "golden.inf"}, 2,
       "Side file golden.inf would overwrite golden.inf"},
      {"side file is the column file", {"golden.sta", "m.txt", "p.txt", "-C", "golden.pro"}, 2,
       "Side file golden.pro would overwrite golden.pro"},
      {"side file is the motif file", {"x.sta", "x.inf", "p.txt"}, 2, "Side file x.inf would overwrite x.inf"},
      {"side file is the statistics file", {"y.pro", "m.txt", "p.txt"}, 2, "Side file y.pro would overwrite y.pro"},
      {"M and C valueless", {"golden.sta", "m.txt", "p.txt", "-M", "-C"}, 0, ""},
      {"garbage thesaurus", {"golden.sta", "m.txt", "p.txt", "-M", "garbage"}, 0, ""},
      {"absolute paths", {abs, path("m.txt"), path("p.txt"), "-D", "-S"}, 0, ""},
      {"result in a missing directory", {"golden.sta", "m.txt", "nodir/p.txt"}, 2,
       "Can't create result file nodir/p.txt"},
      {"result is a directory", {"golden.sta", "m.txt", "adir"}, 2, "Can't create result file adir"},
  };
  runRows(kVantel, rows);
}

TEST_F(RobustLearning, VantelCutStatisticsAndMotifFiles) {
  std::vector<Row> rows;
  for (const std::string &n : cuts("golden.sta", ".sta", false))
    rows.push_back({"cut statistics", {n, "m.txt", "p.txt", "-S"}, 0, ""});
  // A cut motif file names its query once it holds the first block's first motif line.
  const std::string mot = readFile(path("m.txt"));
  const size_t firstMotif = mot.find('\n', mot.find("\nSupermotif") + 1) + 1;
  for (const std::string &n : cuts("m.txt", ".mot", true)) {
    if (readFile(path(n)).size() > firstMotif)
      rows.push_back({"cut motif file", {"golden.sta", n, "p.txt"}, 0, "Motif number 0"});
    else
      rows.push_back({"cut motif file", {"golden.sta", n, "p.txt"}, 3, "Can't read any motif from file"});
  }
  for (size_t i = 0; i < sizeof kOddBlocks / sizeof kOddBlocks[0]; i++) {
    const std::string name = "odd" + std::to_string(i) + ".mot";
    put(name, readFile(path("m.txt")) + kOddBlocks[i]);
    rows.push_back({"absurd block", {"golden.sta", name, "p.txt"}, 0, "Motif number 0"});
  }
  runRows(kVantel, rows);
}

// ---- a result named like an input ----

// No program writes its result over a file it reads, whatever name the file goes by.
TEST_F(RobustLearning, NoResultOverAnInput) {
  put("list.lst", "b.sp\n");
  put("m.prm", "!c colors.txt\n!e code.txt\n!m tiny.mat\n");
  put("tiny.mat", "Tiny matrix\n   A  R\nA  4\nR -1  5\n");
  put("ctr", readFile(path("prot.dat")));
  put("ctr.lst", "ctr\n");
  runRows(kSearch, {
      {"query file", {"p.prm", "list.lst", "b.sp", "./b.sp"}, -7, "Result file ./b.sp would overwrite b.sp"},
      {"parameter file", {"p.prm", "list.lst", "b.sp", "p.prm"}, -7, "would overwrite p.prm"},
      {"bank list", {"p.prm", "list.lst", "b.sp", "list.lst"}, -7, "would overwrite list.lst"},
      {"listed bank", {"p.prm", "banks.lst", "b.sp", "prot.dat"}, -7, "would overwrite prot.dat"},
      {"letter groups", {"p.prm", "banks.lst", "b.sp", "colors.txt"}, -7,
       "Result file colors.txt would overwrite colors.txt"},
      {"genetic code", {"p.prm", "banks.lst", "b.sp", "adir/../code.txt"}, -7,
       "Result file adir/../code.txt would overwrite code.txt"},
      {"matrix", {"m.prm", "banks.lst", "b.sp", "tiny.mat"}, -7, "Result file tiny.mat would overwrite tiny.mat"},
      {"a bank named ctr", {"p.prm", "ctr.lst", "b.sp", "r.txt"}, -7, "Progress file ctr would overwrite ctr"},
      {"a query file named ctr", {"p.prm", "banks.lst", "ctr", "r.txt"}, -7,
       "Progress file ctr would overwrite ctr"},
      {"a result named ctr", {"p.prm", "banks.lst", "b.sp", "./ctr"}, -7, "would overwrite"},
  });
  runRows(kTervex, {
      {"input", {"p.prm", "m.txt", "m.txt"}, 6, "Result file m.txt would overwrite m.txt"},
      {"input, Reduce", {"p.prm", "m.txt", "m.txt", "-R"}, 6, "would overwrite m.txt"},
      {"parameter file", {"p.prm", "m.txt", "adir/../p.prm"}, 6, "would overwrite p.prm"},
      {"bank of the set", {"p.prm", "m.txt", "b.sp", "-S"}, 6, "would overwrite b.sp"},
      {"bank of the list", {"p.prm", "m.txt", "prot.dat", "-B", "banks.lst"}, 6,
       "would overwrite prot.dat"},
  });
  runRows(kOrisk, {
      {"motif file", {"m.txt", "m.txt"}, 3, "Result file m.txt would overwrite m.txt"},
      {"bank", {"m.txt", "b.sp", "-KW", "KW"}, 3, "would overwrite b.sp"},
      {"thesaurus", {"m.txt", "0", "20", "1", "garbage", "-M", "garbage"}, 3, "would overwrite garbage"},
  });
  runRows(kVantel, {
      {"statistics", {"golden.sta", "m.txt", "golden.sta"}, 2, "Result file golden.sta would overwrite golden.sta"},
      {"motif file", {"golden.sta", "m.txt", "m.txt"}, 2, "would overwrite m.txt"},
      {"thesaurus", {"golden.sta", "m.txt", "garbage", "-M", "garbage"}, 2, "would overwrite garbage"},
      {"bank", {"golden.sta", "m.txt", "b.sp"}, 2, "would overwrite b.sp"},
  });
  runRows(kPlevit, {
      {"motif file", {"m.txt", "m.txt"}, 5, "Result file m.txt would overwrite m.txt"},
      {"matrix file", {"m.txt", "code.txt", "code.txt"}, 5, "would overwrite code.txt"},
      {"code file", {"-a", "m.txt", "code.txt", "none", "code.txt"}, 5, "would overwrite code.txt"},
  });
}
