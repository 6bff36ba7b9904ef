// Bad inputs for tervex, one table row each: truncated and garbage motif files, SubBase files
// at their limits, option words at the end of the line, absolute paths in file positions,
// entries that can't be read (no index, a wrong one, a compressed bank or a directory).
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
  put("empty.lst", "");
  // Entries past 0 that can't be read: no index; the index of a FASTA file of the same name;
  // an index older than a line added to entry 0. Then a compressed bank and a directory.
  const std::string prot = readFile(path("prot.dat"));
  put("noidx.dat", prot);
  put("x.dat", prot);
  put("x.idx", readFile(testutil::dataPath("plevit/fa.idx")));
  put("edited.dat", prot.substr(0, 57) + "CC   A line added after indexing.\n" + prot.substr(57));
  put("edited.idx", readFile(path("prot.idx")));
  put("gz.dat", std::string("\x1f\x8b\x08\x00", 4) + garbage(200));
  put("bad.sub", "SubBase\n\nnoidx.dat 1\nnoidx.dat 2\nx.dat 1\nedited.dat 1\ngz.dat 0\nadir 0\n");
  put("noidx.mot", "Supermotif query.dat 0 noidx.dat 1 9.00 1 query-bank\n     '+' 0 0 9 1 1\n");
  put("some.sub", "SubBase\n\nnoidx.dat 0\nnoidx.dat 1\n");
  const std::string noIdx = "\n No index file noidx.idx: entries of noidx.dat past 0 can't be read; "
                            "make it with tools/mkidx.py";
  const std::string unread = "\n Can't read sequence from address ", none = "\n No sequence to screen could be read";
  // Each fault told once per bank, each entry named.
  const std::string bad = noIdx + unread + "noidx.dat 1" + unread + "noidx.dat 2" +
      "\n Index x.idx of bank x.dat does not fit; remake it with tools/mkidx.py" + unread + "x.dat 1" +
      "\n Index edited.idx of bank edited.dat does not fit; remake it with tools/mkidx.py" + unread +
      "edited.dat 1\n Unknown bank format: gz.dat is gzip-compressed; decompress it first" + unread +
      "gz.dat 0" + unread + "adir 0" + none;
  const std::string reduce = noIdx + none;
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
      {"motif file cut inside a block", {"p.prm", "cut.mot", "r.mot"}, 5, "Given file cut.mot neither"},
      {"motif file cut inside a block, Reduce", {"p.prm", "cut.mot", "r.mot", "-R"}, 5, "neither"},
      {"motif file cut inside a block, Shorten", {"p.prm", "cut.mot", "r.mot", "-S"}, 5, "neither"},
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
      {"no entry readable", {"p.prm", "bad.sub", "r.mot"}, 10, bad.c_str()},
      {"no entry readable, Base", {"p.prm", "bad.sub", "r.mot", "-B", "banks.lst"}, 10, bad.c_str()},
      {"no entry readable, Reduce", {"p.prm", "noidx.mot", "r.mot", "-R"}, 10, reduce.c_str()},
      {"no entry readable, Shorten", {"p.prm", "noidx.mot", "r.mot", "-S"}, 10, "noidx.dat 1\n\n No sequence"},
      {"some entries readable", {"p.prm", "some.sub", "r.mot"}, 0, "\n 1 of the 2 entries asked for could not be read"},
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
    for (const char *method : {"-F", "-R", "-S"})  // Shorten reads a query, and entry -1 is none
      rows.push_back({"absurd block", {"p.prm", n, "r.mot", method},
                      readFile(path(n)).find("query.dat -1") != std::string::npos && method[1] == 'S' ? 10 : 0, ""});
  runRows(kTervex, rows);
}

// No result over a file the run reads, whatever name the file goes by.
TEST_F(RobustLearning, TervexResultOverAnInput) {
  put("ctr", readFile(path("m.txt")));
  put("mat.txt", readFile(testutil::dataPath("engine1/tiny.mat")));
  put("mat.prm", "!c colors.txt\n!m mat.txt\n");
  runRows(kTervex, {
      {"input", {"p.prm", "m.txt", "m.txt"}, 6, "Result file m.txt would overwrite m.txt"},
      {"input, Reduce", {"p.prm", "m.txt", "m.txt", "-R"}, 6, "would overwrite m.txt"},
      {"parameter file", {"p.prm", "m.txt", "adir/../p.prm"}, 6, "would overwrite p.prm"},
      {"bank of the set", {"p.prm", "m.txt", "b.sp", "-S"}, 6, "would overwrite b.sp"},
      {"bank of the list", {"p.prm", "m.txt", "prot.dat", "-B", "banks.lst"}, 6,
       "would overwrite prot.dat"},
      {"the list of B", {"p.prm", "m.txt", "./banks.lst", "-B", "banks.lst"}, 6,
       "Result file ./banks.lst would overwrite banks.lst"},
      {"query file that Shorten reads", {"p.prm", "three.mot", "query.dat", "-S"}, 6,
       "Result file query.dat would overwrite query.dat"},
      {"progress file over the input", {"p.prm", "adir/../ctr", "r.mot", "-B", "banks.lst"}, 6,
       "Progress file ctr would overwrite adir/../ctr"},
      {"progress file over the result", {"p.prm", "m.txt", "./ctr", "-B", "banks.lst"}, 6,
       "Progress file ctr would overwrite ./ctr"},
      {"named letter groups", {"p.prm", "m.txt", "colors.txt"}, 6, "Result file colors.txt would overwrite colors.txt"},
      {"named code, Base", {"p.prm", "m.txt", "./code.txt", "-B", "banks.lst"}, 6, "./code.txt would overwrite code.txt"},
      {"named matrix, Reduce", {"mat.prm", "m.txt", "adir/../mat.txt", "-R"}, 6, "would overwrite mat.txt"},
  });
}

// A run that stops on an input leaves every output as it was: the result (which Full and Base
// empty, Reduce and Shorten delete) and Base's progress file.
TEST_F(RobustLearning, TervexStopsOnAnInputBeforeAnyOutput) {
  ASSERT_EQ(run(kPlevit, {"three.mot", "report.txt"}, dir.path()).code, 0);
  inputs.push_back("report.txt");
  put("old.mot", "an earlier result\n");
  put("ctr", "an earlier progress file\n");
  put("nocolor.prm", "!L 7\n");
  put("nobank.lst", "nope.dat\n");
  put("nobody.sub", "SubBase\n\n");
  // Parameter files with one refused or unusable value.
  for (auto [name, key] : std::vector<std::pair<const char *, const char *>>{
           {"four.prm", "!P four"}, {"mcode.prm", "!m code.txt"}, {"nosuch.prm", "!m nosuch"},
           {"mdir.prm", "!m adir"}, {"cdir.prm", "!c adir"}, {"edir.prm", "!e adir"}})
    put(name, std::string("!c colors.txt\n") + key + "\n");
  put("dir.lst", "adir\n");
  put("gz.lst", "gz.dat\n");
  put("gz.dat", std::string("\x1f\x8b\x08\x00", 4) + garbage(200));
  std::vector<Row> rows = {
      {"the issue's case: a report as input, the motif file as result",
       {"p.prm", "report.txt", "m.txt"}, 5, "\n Given file report.txt neither MOTIFS nor SUB_BASE"},
      {"statistics file as input", {"p.prm", "golden.sta", "m.txt"}, 5, "Given file golden.sta neither"},
      {"no letter groups, Full", {"nocolor.prm", "m.txt", "old.mot"}, 111, "color file (null)"},
      {"no letter groups, Shorten", {"nocolor.prm", "m.txt", "old.mot", "-S"}, 111, "color file"},
      {"no letter groups, Base", {"nocolor.prm", "m.txt", "old.mot", "-B", "banks.lst"}, 111, "color file"},
      {"missing bank list", {"p.prm", "m.txt", "old.mot", "-B", "nope.lst"}, -4, "base list nope.lst"},
      {"missing bank in the list", {"p.prm", "m.txt", "old.mot", "-B", "nobank.lst"}, 111,
       "Base nope.dat isn't valid"},
      {"directory as the list", {"p.prm", "m.txt", "old.mot", "-B", "adir"}, -4, "\n Can't open file with base list adir"},
      {"directory in the list", {"p.prm", "m.txt", "old.mot", "-B", "dir.lst"}, 111, "Base adir isn't valid"},
      {"compressed bank in the list", {"p.prm", "m.txt", "old.mot", "-B", "gz.lst"}, 99, "gz.dat is gzip-compressed"},
      {"directory as letter groups", {"cdir.prm", "m.txt", "old.mot"}, 111, "color file adir"},
      {"directory as genetic code", {"edir.prm", "m.txt", "old.mot"}, 111, "translation code adir"},
  };
  for (const std::vector<std::string> &opts : {std::vector<std::string>{}, {"-R"}, {"-S"}, {"-B", "banks.lst"}}) {
    auto row = [&](const char *what, std::vector<std::string> args, int code, const char *message) {
      args.insert(args.end(), opts.begin(), opts.end());
      rows.push_back({what, args, code, message});
    };
    row("parameter file is a directory", {"adir", "m.txt", "old.mot"}, 2, "\n Can't open file with parameters adir \n");
    row("no number", {"four.prm", "m.txt", "old.mot"}, 9, "\n Parameter !P: four is not a number\n Can't load");
    row("code as the matrix", {"mcode.prm", "m.txt", "old.mot"}, 9, "\n File code.txt is no weight matrix");
    row("missing matrix", {"nosuch.prm", "m.txt", "old.mot"}, 9, "Weight matrix nosuch\n Can't load parameter");
    row("directory as the matrix", {"mdir.prm", "m.txt", "old.mot"}, 9, "Weight matrix adir\n Can't load");
    row("missing input", {"p.prm", "nope.mot", "old.mot"}, 4, "Can't open file with motifs nope.mot");
    row("report as input", {"p.prm", "report.txt", "old.mot"}, 5, "Given file report.txt neither");
    row("directory as input", {"p.prm", "adir", "old.mot"}, 4, "\n Can't open file with motifs adir");
    row("SubBase without a body", {"p.prm", "nobody.sub", "old.mot"}, 3, "isn't the SubBase");
  }
  runRows(kTervex, rows);
}
