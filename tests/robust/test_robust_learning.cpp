// Bad inputs for orisk and vantel, one table row each: motif and statistics files cut short,
// absurd or of another kind, option words at the end of the line, side and column files.
#include <thread>

#include <algorithm>

#include "robust_programs.h"

using namespace robust;
using testutil::readFile;

namespace {
// A cut of the motif file whole after whole lines ends inside a block when the line after it
// is a motif line: the refusal names the cut's last line.
std::string cutInBlock(const std::string &whole, const std::string &cut, const std::string &name) {
  if (whole.compare(cut.size(), 6, "     '") != 0) return "";
  return "\n Motif file " + name + " is cut short at line " + std::to_string(std::count(cut.begin(), cut.end(), '\n'));
}
}  // namespace

// ---- orisk and vantel ----

TEST_F(RobustLearning, OriskInputsAndOptions) {
  const std::string absMot = path("m.txt");
  put("mesh.idx", readFile(testutil::dataPath("vantel/fixture/mesh.idx")));
  std::vector<Row> rows = {
      {"no words", {}, 1, "USAGE: orisk"},
      {"motif file alone", {"m.txt"}, 1, "USAGE: orisk"},
      {"three numbers and no result", {"m.txt", "0", "20", "1"}, 1, "USAGE: orisk motif_file"},
      {"two numbers", {"m.txt", "0", "20", "s.sta"}, 1, "USAGE: orisk motif_file"},
      {"step 0", {"m.txt", "0", "20", "0", "s.sta"}, 1, "USAGE: orisk motif_file"},
      {"max below min", {"m.txt", "20", "0", "1", "s.sta"}, 1, "USAGE: orisk motif_file"},
      {"result in option form", {"m.txt", "-s.sta"}, 1, "USAGE: orisk"},
      {"missing motif file", {"nope.mot", "s.sta"}, 4, "Can't open motifs file nope.mot"},
      {"empty motif file", {"empty", "s.sta"}, 5, "Can't read any motif from file empty"},
      {"garbage motif file", {"garbage", "s.sta"}, 5, "Can't read any motif from file garbage"},
      {"directory as motif file", {"adir", "s.sta"}, 4, "\n Can't open motifs file adir."},
      {"report as motif file", {"report.txt", "0", "20", "1", "m.txt", "-C", "c.col"}, 5, "motif from file report.txt"},
      {"a bank that is not there", {"three.mot", "s.sta"}, 0, "Can't read sequnce very_long_bank_name.dat 0"},
      {"a learning run", {"m.txt", "s.sta", "-KW", "KW", "DE", "CC", "-I", "-F"}, 0, "There are 6 motifs"},
      {"absolute motif path", {absMot, "s.sta", "-C", path("c.txt")}, 0, ""},
      {"D as the last word", {"m.txt", "s.sta", "-D"}, 0, ""},
      {"D values without digits", {"m.txt", "s.sta", "-D", "e"}, 0, ""},
      {"D mon without a count", {"m.txt", "s.sta", "-D", "mon"}, 0, ""},
      {"D with huge counts", {"m.txt", "s.sta", "-D", "equ99999999999_99999999999"}, 0, ""},
      {"C as the last word", {"m.txt", "s.sta", "-C"}, 0, ""},
      {"absolute result and thesaurus paths", {"m.txt", path("abs.sta"), "-M", path("mesh.idx")}, 0, ""},
      {"a range of too many bins", {"m.txt", "0", "1e9", "0.001", "s.sta"}, 1, "USAGE: orisk motif_file"},
      {"a range with an exponent and a sign", {"m.txt", "0e0", "+20", "1", "s.sta"}, 0, ""},
      {"nan in the range", {"m.txt", "nan", "20", "1", "s.sta"}, 1, "USAGE: orisk motif_file"},
      {"a word after the result", {"m.txt", "0", "20", "1", "s.sta", "t.sta", "-I"}, 1,
       "\n Word t.sta is neither an option nor a number of the power range\nExtracting"},
      {"M and KW as the last words", {"m.txt", "s.sta", "-KW", "KW", "-M"}, 0, ""},
      {"KW without types", {"m.txt", "s.sta", "-KW"}, 0, ""},
      {"missing thesaurus", {"m.txt", "s.sta", "-M", "nope.mesh", "-C", "c.col"}, 6, "Can't read thesaurus nope.mesh"},
      {"garbage thesaurus", {"m.txt", "s.sta", "-M", "garbage"}, 6, "Can't read thesaurus garbage"},
      {"directory as thesaurus", {"m.txt", "s.sta", "-M", "adir"}, 6, "Cant't open mesh file adir\n Can't read"},
      {"directory as column file", {"m.txt", "s.sta", "-C", "adir"}, 3, "Can't create column file adir"},
      {"column file is the result", {"m.txt", "s.sta", "-C", "s.sta"}, 3, "Column file s.sta would overwrite s.sta"},
      {"column file is the motif file", {"m.txt", "s.sta", "-C", "m.txt"}, 3, "Column file m.txt would overwrite m.txt"},
      {"column file in a missing directory", {"m.txt", "s.sta", "-C", "nodir/c.txt"}, 3, "Can't create column file nodir"},
      {"result is a directory", {"m.txt", "adir"}, 3, "Can't create file adir"},
      {"result in a missing directory", {"m.txt", "nodir/s.sta"}, 3, "Can't create file nodir/s.sta"},
      {"result in a missing directory, a column file there", {"m.txt", "nodir/s.sta", "-KW", "KW", "-C", "old.out"}, 3,
       "Can't create file nodir/s.sta"},
      {"result judged before the column file", {"m.txt", "adir", "-C", "nodir/c"}, 3, "Can't create file adir"},
  };
  runRows(kOrisk, rows);
  EXPECT_TRUE(exists("c.txt"));  // an absolute path after -C names the column file
  EXPECT_NE(readFile(path("abs.sta")).find(" Feature Table"), std::string::npos);
}

TEST_F(RobustLearning, OriskCutAndAbsurdMotifFiles) {
  std::vector<Row> rows;
  // A cut motif file holds a block once it holds the first block's first motif line.
  const std::string mot = readFile(path("m.txt"));
  const size_t firstMotif = mot.find('\n', mot.find("\nSupermotif") + 1) + 1;
  for (const std::string &n : cuts("m.txt", ".mot", true)) {
    const std::string cut = readFile(path(n)), told = cut.size() > firstMotif ? cutInBlock(mot, cut, n) : "";
    const int code = cut.size() > firstMotif && told.empty() ? 0 : 5;
    rows.push_back({"cut motif file", {n, "s.sta", "-KW", "KW", "DE"}, code, told});
    rows.push_back({"cut motif file, given range", {n, "0", "20", "1", "s.sta", "-I"}, code, told});
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
  // What orisk writes when it keeps no block: the tables and the segmentation line.
  const std::string golden = readFile(path("golden.sta"));
  put("noblock.sta", golden.substr(0, golden.find("\n\n", golden.find("dividing"))));
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
      {"empty statistics", {"empty", "m.txt", "p.txt"}, 5, "Can't read any statistics from file empty"},
      {"garbage statistics", {"garbage", "m.txt", "p.txt"}, 5, "Can't read any statistics from file garbage"},
      {"directory as statistics", {"adir", "m.txt", "p.txt"}, 2, "Can't open statistics file adir"},
      {"report as statistics", {"report.txt", "m.txt", "p.txt", "-C", "c.col", "-D"}, 5, "statistics from file report.txt"},
      {"statistics without a block", {"noblock.sta", "m.txt", "p.txt"}, 5, "Can't read any statistics from file noblock.sta"},
      {"directory as motif file", {"golden.sta", "adir", "p.txt"}, 2, "Can't open motif file adir"},
      {"directory as query bank", {"golden.sta", "adir.1", "p.txt"}, 4, "Can't read sequnece number 1 from file adir"},
      {"no supermotif, and options", {"golden.sta", "empty", "p.txt", "-C", "c.col", "-D"}, 3, "motif from file empty"},
      {"query not in its bank, and options", {"golden.sta", "noquery.mot", "p.txt", "-C", "c.col", "-D"}, 4, "number 77 from file b.sp"},
      {"absurd numPow", {"absurd.sta", "m.txt", "p.txt"}, 5, "\n Statistics file absurd.sta is cut short at line 3"},
      {"negative numPow", {"negnum.sta", "m.txt", "p.txt"}, 0, "Motif number 0"},
      {"least int numPow", {"minnum.sta", "m.txt", "p.txt"}, 0, "Motif number 0"},
      {"numPow past int", {"hugenum.sta", "m.txt", "p.txt"}, 5, "\n Statistics file hugenum.sta is cut short at line 5"},
      {"rows shorter than numPow", {"shortrows.sta", "m.txt", "p.txt", "-S"}, 5, "\n Statistics file shortrows.sta is cut short at line 5"},
      {"a block without rows", {"norows.sta", "m.txt", "p.txt"}, 5, "\n Statistics file norows.sta is cut short at line 4"},
      {"a header as the last line", {"headlast.sta", "m.txt", "p.txt"}, 5, "\n Statistics file headlast.sta is cut short at line 3"},
      {"empty names and types", {"noname.sta", "m.txt", "p.txt"}, 0, "Motif number 0"},
      {"negative and non-finite grid", {"negative.sta", "m.txt", "p.txt"}, 0, ""},
      {"side file is the result", {"golden.sta", "m.txt", "golden.inf"}, 2,
       "Side file golden.inf would overwrite golden.inf"},
      {"side file is the column file", {"golden.sta", "m.txt", "p.txt", "-C", "golden.pro"}, 2,
       "Side file golden.pro would overwrite golden.pro"},
      {"side file is the motif file", {"x.sta", "x.inf", "p.txt"}, 2, "Side file x.inf would overwrite x.inf"},
      {"side file is the statistics file", {"y.pro", "m.txt", "p.txt"}, 2, "Side file y.pro would overwrite y.pro"},
      {"M and C valueless", {"golden.sta", "m.txt", "p.txt", "-M", "-C"}, 0, ""},
      {"garbage thesaurus", {"golden.sta", "m.txt", "p.txt", "-M", "garbage"}, 6, "Can't read thesaurus garbage"},
      {"missing thesaurus", {"golden.sta", "m.txt", "p.txt", "-M", "nope.mesh", "-C", "c.col", "-D"}, 6, "thesaurus nope.mesh"},
      {"directory as thesaurus", {"golden.sta", "m.txt", "p.txt", "-M", "adir"}, 6, "Cant't open mesh file adir\n Can't read"},
      {"absolute paths", {abs, path("m.txt"), path("p.txt"), "-D", "-S"}, 0, ""},
      {"result in a missing directory", {"golden.sta", "m.txt", "nodir/p.txt"}, 2,
       "Can't create result file nodir/p.txt"},
      {"result is a directory", {"golden.sta", "m.txt", "adir"}, 2, "Can't create result file adir"},
      {"result in a missing directory, and options", {"golden.sta", "m.txt", "nodir/p.txt", "-C", "old.out", "-D"},
       2, "Can't create result file nodir/p.txt"},
  };
  runRows(kVantel, rows);
}

TEST_F(RobustLearning, VantelCutStatisticsAndMotifFiles) {
  std::vector<Row> rows;
  for (const std::string &n : cuts("golden.sta", ".sta", false)) {
    // A cut holds statistics once it holds the header line of a block, and is then refused.
    const bool stats = readFile(path(n)).find("_statistics") != std::string::npos;
    rows.push_back({"cut statistics", {n, "m.txt", "p.txt", "-S"}, 5,
                    stats ? "\n Statistics file " + n + " is cut short at line " : "Can't read any statistics from file " + n});
  }
  // A cut motif file names its query once it holds the first block's first motif line.
  const std::string mot = readFile(path("m.txt"));
  const size_t firstMotif = mot.find('\n', mot.find("\nSupermotif") + 1) + 1;
  for (const std::string &n : cuts("m.txt", ".mot", true)) {
    const std::string cut = readFile(path(n)), told = cutInBlock(mot, cut, n);
    if (cut.size() <= firstMotif)
      rows.push_back({"cut motif file", {"golden.sta", n, "p.txt"}, 3, "Can't read any motif from file"});
    else
      rows.push_back({"cut motif file", {"golden.sta", n, "p.txt"}, told.empty() ? 0 : 3, told.empty() ? "Motif number 0" : told});
  }
  for (size_t i = 0; i < sizeof kOddBlocks / sizeof kOddBlocks[0]; i++) {
    const std::string name = "odd" + std::to_string(i) + ".mot";
    put(name, readFile(path("m.txt")) + kOddBlocks[i]);
    rows.push_back({"absurd block", {"golden.sta", name, "p.txt"}, 0, "Motif number 0"});
  }
  runRows(kVantel, rows);
}

// Outputs replaced whole or not at all: a write past a file-size limit (as on a full disk)
// ends the run and leaves every file as it was, the first output or a later one failing; a
// link keeps its place and the file it names gets the output, which keeps its mode; a pipe
// is written directly.
TEST_F(RobustLearning, OutputsWrittenWhole) {
  for (const char *f : {"s.sta", "c.col", "golden.inf", "golden.pro", "p.txt"}) testutil::writeFile(path(f), "old\n");
  const std::vector<std::string> learn = {"m.txt", "s.sta", "-KW", "KW", "DE", "-C", "c.col"};
  const std::vector<std::string> predict = {"golden.sta", "m.txt", "p.txt", "-C", "c.col"};
  struct Case { std::string prog; std::vector<std::string> args; long limit; } cases[] = {
      {kOrisk, learn, 100}, {kVantel, predict, 100}, {kVantel, predict, 2000}};  // 2000: two written, ".pro" not
  for (const Case &c : cases) {
    SCOPED_TRACE(c.limit);
    const auto was = hashes(true);
    expectOutcome(run(c.prog, c.args, dir.path(), c.limit), 11, " Can't write ");
    EXPECT_EQ(hashes(true), was);
  }
  expectOutcome(run(kOrisk, {"m.txt", "s.sta", "-KW", "KW"}, dir.path()), 0, "");
  ASSERT_EQ(symlink("t.sta", path("l.sta").c_str()), 0);  // names no file yet
  const mode_t mask = umask(0);
  umask(mask);
  for (mode_t mode : {mode_t(0666 & ~mask), mode_t(0600)}) {  // made new, then replaced
    expectOutcome(run(kOrisk, {"m.txt", "l.sta", "-KW", "KW"}, dir.path()), 0, "");
    struct stat st;
    ASSERT_EQ(lstat(path("l.sta").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFile(path("t.sta")), readFile(path("s.sta")));
    ASSERT_EQ(stat(path("t.sta").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, mode);
    chmod(path("t.sta").c_str(), 0600);
  }
  // The pipe's reader holds a writing end too, so that it waits for the run whatever it does.
  ASSERT_EQ(mkfifo(path("f.sta").c_str(), 0600), 0);
  const int rd = open(path("f.sta").c_str(), O_RDONLY | O_NONBLOCK), wr = open(path("f.sta").c_str(), O_WRONLY);
  fcntl(rd, F_SETFL, 0);
  std::string piped;
  std::thread reader([&] {
    char buf[4096];
    for (ssize_t n; (n = read(rd, buf, sizeof buf)) > 0;) piped.append(buf, (size_t)n);
  });
  expectOutcome(run(kOrisk, {"m.txt", "f.sta", "-KW", "KW"}, dir.path()), 0, "");
  close(wr);
  reader.join();
  close(rd);
  EXPECT_EQ(piped, readFile(path("s.sta")));
  for (const auto &e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().string().find(".unfinished-"), std::string::npos) << e.path();
}
