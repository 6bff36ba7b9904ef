// Bad inputs for tervex, one table row each: motif and SubBase files, options, absolute paths.
#include "robust_programs.h"

using namespace robust;
using testutil::readFile;

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
  put("noend.mot", "Query: x\n\nSupermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     '+' 0 0 5 1 1");
  put("empty.lst", "");
  // Each fault told once per bank (its words are rows of the unreadable-entry table), each entry named.
  put("bad.sub", "SubBase\n\nnoidx.dat 1\nnoidx.dat 2\nadir 0\n");
  put("some.sub", "SubBase\n\nnoidx.dat 0\nnoidx.dat 1\n");
  const std::string at = "\n Can't read sequence from address ", bad = "with tools/mkidx.py" + at + "noidx.dat 1" + at +
                                                                     "noidx.dat 2" + at + "adir 0\n No sequence to screen";
  const std::string abs = path("three.mot");
  std::vector<Row> rows = {
      {"one word", {"p.prm"}, 1, "USAGE: tervex"},
      {"missing parameter file", {"nope.prm", "three.mot", "r.mot"}, 2, "Can't open file with parameters"},
      {"missing input", {"p.prm", "nope.mot", "r.mot"}, 4, "Can't open file with motifs nope.mot"},
      {"empty input", {"p.prm", "empty", "r.mot"}, 5, "neither MOTIFS nor SUB_BASE"},
      {"garbage input", {"p.prm", "garbage", "r.mot"}, 5, "neither MOTIFS nor SUB_BASE"},
      {"directory as input", {"p.prm", "adir", "r.mot"}, 4, "\n Can't open file with motifs adir"},
      {"SubBase of 50 header lines", {"p.prm", "h50.sub", "r.mot"}, 0, ""},
      {"SubBase of 51 header lines", {"p.prm", "h51.sub", "r.mot"}, 3, "isn't the SubBase"},
      {"SubBase with CRLF lines", {"p.prm", "crlf.sub", "r.mot"}, 0, ""},
      {"SubBase with an empty body", {"p.prm", "nobody.sub", "r.mot"}, 3, "isn't the SubBase"},
      {"SubBase without its empty line", {"p.prm", "noend.sub", "r.mot"}, 3, "isn't the SubBase"},
      {"SubBase lines without numbers", {"p.prm", "nonum.sub", "r.mot"}, 0, ""},
      {"SubBase whose only line has no number", {"p.prm", "first-nonum.sub", "r.mot"}, 3, ""},
      {"SubBase naming missing entries", {"p.prm", "missing-entry.sub", "r.mot"}, 0,
       "Can't read sequence from address prot.dat 99"},
      // The only block has no motif line: the file holds no supermotif.
      {"motif file cut inside a block", {"p.prm", "cut.mot", "r.mot"}, 5, "\n Motif file cut.mot is cut short at line 3"},
      {"motif file cut inside a block, Reduce", {"p.prm", "cut.mot", "r.mot", "-R"}, 5, "cut.mot is cut short"},
      {"motif file cut inside a block, Shorten", {"p.prm", "cut.mot", "r.mot", "-S"}, 5, "cut.mot is cut short"},
      {"last motif line without its line end", {"p.prm", "noend.mot", "r.mot", "-B", "banks.lst"}, 5,
       "\n Motif file noend.mot is cut short at line 4"},
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
      {"no entry readable", {"p.prm", "bad.sub", "r.mot"}, 10, bad},
      {"no entry readable, Base", {"p.prm", "bad.sub", "r.mot", "-B", "banks.lst"}, 10, bad},
      {"some entries readable", {"p.prm", "some.sub", "r.mot"}, 0, "\n 1 of the 2 entries asked for could not be read"},
  };
  runRows(kTervex, rows);
  // An absolute path in the result position names the result, never an option.
  EXPECT_NE(readFile(path("abs.mot")).find("Motif file obtained from the SubBase:\nSubBase header\n"),
            std::string::npos);

  // Every method writes its result in place: through a link, into a FIFO, into a device; a
  // full disk cuts it back to its last whole block. The input: a search of related proteins.
  for (const char *f : {"bank_prot.fa", "queries.fa"}) put(f, readFile(testutil::dataPath(std::string("search/") + f)));
  ASSERT_TRUE(testutil::makeIndex(path("bank_prot.fa")));
  put("sl.lst", "bank_prot.fa\n");
  expectOutcome(run(kSearch, {"p.prm", "sl.lst", "queries.fa", "s.mot"}, dir.path()), 0, "");
  inputs.insert(inputs.end(), {"bank_prot.idx", "s.mot"});
  const bool root = makeFullDevice(path("full.dev"));
  ASSERT_EQ(symlink("target.mot", path("lk.mot").c_str()), 0);
  const int fifo = heldFifo(path("r.fifo"));
  const auto before = hashes();
  for (const std::vector<std::string> &method : {std::vector<std::string>{}, {"-R"}, {"-S"}, {"-B", "sl.lst"}}) {
    SCOPED_TRACE(testing::PrintToString(method));
    auto tervex = [&](const std::string &result, int code, const std::string &message, long limit = 0) {
      std::vector<std::string> args = {"p.prm", "s.mot", result};
      args.insert(args.end(), method.begin(), method.end());
      expectOutcome(run(kTervex, args, dir.path(), limit), code, message);
    };
    tervex("r.mot", 0, "");
    const std::string whole = readFile(path("r.mot"));
    ASSERT_GT(whole.size(), 300u);
    writeFile(path("target.mot"), "old\n");
    tervex("lk.mot", 0, "");
    EXPECT_EQ(readFile(path("target.mot")), whole);
    tervex("r.fifo", 0, "");
    EXPECT_EQ(drain(fifo), whole);
    if (root) tervex("full.dev", 11, "\n Can't write full.dev: No space left on device\n");
    const long limit = (long)whole.size() / 2 + 7;  // not where a block ends
    tervex("r.mot", 11, "\n Can't write r.mot: File too large\n", limit);
    expectCutAtBlock(path("r.mot"), whole, limit, "Supermotif");
    struct stat st;
    EXPECT_TRUE(lstat(path("lk.mot").c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << "the link was replaced";
    EXPECT_TRUE(lstat(path("r.fifo").c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) << "the FIFO was replaced";
    EXPECT_TRUE(!root || (lstat(path("full.dev").c_str(), &st) == 0 && S_ISCHR(st.st_mode))) << "the device was replaced";
    EXPECT_EQ(hashes(), before) << "an input changed";
  }
  close(fifo);
}

// Absurd blocks are screened; blocks cut short are refused by tervex and plevit alike.
TEST_F(RobustPrograms, AbsurdAndCutMotifBlocks) {
  std::vector<Row> rows, plevit;
  const std::string query = "Query: odd\n\n", next = "Supermotif query.dat 1 prot.dat 2 3.00 1 query-bank\n     '+' 0 0 8 3000 4096000\n";
  for (size_t i = 0; i < sizeof kOddBlocks / sizeof kOddBlocks[0]; i++) {
    const std::string n = "odd" + std::to_string(i) + ".mot";
    put(n, query + kOddBlocks[i] + next);
    for (const char *method : {"-F", "-R", "-S"})  // Shorten reads a query, and entry -1 is none
      rows.push_back({"absurd block", {"p.prm", n, "r.mot", method},
                      readFile(path(n)).find("query.dat -1") != std::string::npos && method[1] == 'S' ? 10 : 0, ""});
  }
  for (size_t i = 0; i < sizeof kCutBlocks / sizeof kCutBlocks[0]; i++) {
    const std::string n = "cut" + std::to_string(i) + ".mot";
    put(n, query + kCutBlocks[i].text + next);
    const std::string told = "\n Motif file " + n + " is cut short at line " + std::to_string(2 + kCutBlocks[i].line);
    rows.push_back({"cut block", {"p.prm", n, "r.mot", "-S"}, 5, told});
    plevit.push_back({"cut block", {n, "rep.txt"}, 3, told});
  }
  put("noend.mot", query + "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     '+' 0 0 5 1 1");
  plevit.push_back({"last line without its line end", {"noend.mot", "rep.txt"}, 3, "noend.mot is cut short at line 4"});
  runRows(kTervex, rows);
  runRows(kPlevit, plevit);
}
