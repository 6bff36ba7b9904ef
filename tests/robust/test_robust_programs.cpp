// Bad inputs shared by the programs: results named like inputs, inputs, unreadable entries.
#include "robust_programs.h"

using namespace robust;
using testutil::readFile;

// ---- a result named like an input ----

// No program writes its result over a file it reads, whatever name the file goes by.
TEST_F(RobustLearning, NoResultOverAnInput) {
  put("list.lst", "b.sp\n");
  put("m.prm", "!c colors.txt\n!e code.txt\n!m tiny.mat\n");
  put("tiny.mat", "Tiny matrix\n   A  R\nA  4\nR -1  5\n");
  put("ctr", readFile(path("prot.dat")));  // a bank named ctr, then (for tervex) a motif file
  put("ctr.lst", "ctr\n");
  put("mesh.idx", readFile(testutil::dataPath("vantel/fixture/mesh.idx")));
  put("fun_dist.txt", "Motif earlier.mot\n");
  put("two.mot", readFile(path("three.mot")) + readFile(path("m.txt")));  // b.sp in its second block
  runRows(kSearch, {
      {"query file", {"p.prm", "list.lst", "b.sp", "./b.sp"}, -7, "Result file ./b.sp would overwrite b.sp"},
      {"parameter file", {"p.prm", "list.lst", "b.sp", "p.prm"}, -7, "would overwrite p.prm"},
      {"bank list", {"p.prm", "list.lst", "b.sp", "list.lst"}, -7, "would overwrite list.lst"},
      {"listed bank", {"p.prm", "banks.lst", "b.sp", "prot.dat"}, -7, "would overwrite prot.dat"},
      {"index of a listed bank", {"p.prm", "banks.lst", "b.sp", "prot.idx"}, -7, "would overwrite prot.idx"},
      {"letter groups", {"p.prm", "banks.lst", "b.sp", "colors.txt"}, -7, "would overwrite colors.txt"},
      {"genetic code", {"p.prm", "banks.lst", "b.sp", "adir/../code.txt"}, -7, "adir/../code.txt would overwrite code.txt"},
      {"matrix", {"m.prm", "banks.lst", "b.sp", "tiny.mat"}, -7, "would overwrite tiny.mat"},
      {"a bank named ctr", {"p.prm", "ctr.lst", "b.sp", "r.txt"}, -7, "Progress file ctr would overwrite ctr"},
      {"a query file named ctr", {"p.prm", "banks.lst", "ctr", "r.txt"}, -7, "Progress file ctr would overwrite ctr"},
      {"a result named ctr", {"p.prm", "banks.lst", "b.sp", "./ctr"}, -7, "would overwrite"},
  });
  put("ctr", readFile(path("m.txt")));
  runRows(kTervex, {
      {"input", {"p.prm", "m.txt", "m.txt"}, 6, "Result file m.txt would overwrite m.txt"},
      {"input, Reduce", {"p.prm", "m.txt", "m.txt", "-R"}, 6, "would overwrite m.txt"},
      {"parameter file", {"p.prm", "m.txt", "adir/../p.prm"}, 6, "would overwrite p.prm"},
      {"bank of the set", {"p.prm", "m.txt", "b.sp", "-S"}, 6, "would overwrite b.sp"},
      {"index of a bank of the set", {"p.prm", "m.txt", "b.idx"}, 6, "Result file b.idx would overwrite b.idx"},
      {"bank of the list", {"p.prm", "m.txt", "prot.dat", "-B", "banks.lst"}, 6,
       "would overwrite prot.dat"},
      {"the list of B", {"p.prm", "m.txt", "./banks.lst", "-B", "banks.lst"}, 6, "./banks.lst would overwrite banks.lst"},
      {"query file that Shorten reads", {"p.prm", "three.mot", "query.dat", "-S"}, 6, "would overwrite query.dat"},
      {"progress file over the input", {"p.prm", "adir/../ctr", "r.mot", "-B", "banks.lst"}, 6, "ctr would overwrite adir/../ctr"},
      {"progress file over the result", {"p.prm", "m.txt", "./ctr", "-B", "banks.lst"}, 6, "Progress file ctr would overwrite ./ctr"},
      {"named letter groups", {"p.prm", "m.txt", "colors.txt"}, 6, "would overwrite colors.txt"},
      {"named code, Base", {"p.prm", "m.txt", "./code.txt", "-B", "banks.lst"}, 6, "would overwrite code.txt"},
      {"named matrix, Reduce", {"m.prm", "m.txt", "adir/../tiny.mat", "-R"}, 6, "would overwrite tiny.mat"},
  });
  runRows(kOrisk, {
      {"motif file", {"m.txt", "m.txt"}, 3, "Result file m.txt would overwrite m.txt"},
      {"bank", {"m.txt", "b.sp", "-KW", "KW"}, 3, "would overwrite b.sp"},
      {"index of a bank", {"m.txt", "b.idx", "-KW", "KW"}, 3, "would overwrite b.idx"},
      {"column file over an index", {"m.txt", "s.sta", "-C", "./b.idx"}, 3, "Column file ./b.idx would overwrite b.idx"},
      {"thesaurus", {"m.txt", "0", "20", "1", "mesh.idx", "-M", "mesh.idx"}, 3, "would overwrite mesh.idx"},
      {"column file over the motif file", {"m.txt", "s.sta", "-C", "./m.txt"}, 3, "Column file ./m.txt would overwrite m.txt"},
      {"column file over a bank", {"m.txt", "s.sta", "-KW", "KW", "-C", "b.sp"}, 3, "Column file b.sp would overwrite b.sp"},
      {"column file over the thesaurus", {"m.txt", "s.sta", "-M", "mesh.idx", "-C", "mesh.idx"}, 3, "Column file mesh.idx would"},
  });
  runRows(kVantel, {
      {"statistics", {"golden.sta", "m.txt", "golden.sta"}, 2, "Result file golden.sta would overwrite golden.sta"},
      {"motif file", {"golden.sta", "m.txt", "m.txt"}, 2, "would overwrite m.txt"},
      {"thesaurus", {"golden.sta", "m.txt", "garbage", "-M", "garbage"}, 2, "would overwrite garbage"},
      {"bank", {"golden.sta", "m.txt", "b.sp"}, 2, "would overwrite b.sp"},
      {"index of a bank", {"golden.sta", "m.txt", "b.idx"}, 2, "would overwrite b.idx"},
      {"listing over the statistics", {"fun_dist.txt", "m.txt", "p.txt", "-D"}, 2, "Side file fun_dist.txt would overwrite"},
      {"listing over the thesaurus", {"golden.sta", "m.txt", "p.txt", "-D", "-M", "./fun_dist.txt"}, 2, "would overwrite ./fun_dist.txt"},
      {"result over the listing", {"golden.sta", "m.txt", "fun_dist.txt", "-D"}, 2, "Result file fun_dist.txt would overwrite"},
  });
  runRows(kPlevit, {
      {"motif file", {"m.txt", "m.txt"}, 5, "Result file m.txt would overwrite m.txt"},
      {"matrix file", {"m.txt", "tiny.mat", "tiny.mat"}, 5, "would overwrite tiny.mat"},
      {"code file", {"-a", "m.txt", "code.txt", "none", "code.txt"}, 5, "would overwrite code.txt"},
      {"names swapped", {"report.txt", "three.mot"}, 3, "Can't load motif from file report.txt"},
      {"first query file", {"three.mot", "adir/../query.dat"}, 5, "would overwrite query.dat"},
      {"a later bank", {"two.mot", "b.sp"}, 5, "Result file b.sp would overwrite b.sp"},
      {"index of a later bank", {"two.mot", "b.idx"}, 5, "Result file b.idx would overwrite b.idx"},
  });
}

// ---- every input before any output ----

// Search and tervex (each method) check the parameter file, its files and the bank list alike.
TEST_F(RobustLearning, SearchAndTervexCheckEveryInputFirst) {
  int n = 0;
  auto file = [&](const std::string &text) {  // a text that ends a line is a file's bytes
    if (text.back() == '\n') put(std::to_string(++n) + ".in", text);
    return text.back() == '\n' ? std::to_string(n) + ".in" : text;
  };
  // A file in the bank list's place (list 1) or the parameter file's; tervex 0: not every method.
  const std::string ok = "!c colors.txt\n!e code.txt\n";
  put("bin.col", std::string("AG\nST\0\x7f" "ELF\n", 10));
  const struct { bool list; const char *what; std::string file; int search, tervex; const char *message; } rows[] = {
      {0, "directory as parameter file", "adir", -2, 2, "\n Can't open file with parameters adir"},
      {0, "no letter groups", "noc.prm", 111, 0, "\n Can't open file with color file (null)"},
      {0, "directory as letter groups", ok + "!c adir\n", 111, 111, "\n Can't open file with color file adir"},
      {0, "directory as genetic code", ok + "!e adir\n", 111, 111, "\n Can't open file with translation code adir"},
      {0, "binary letter groups", ok + "!c bin.col\n", 111, 111,
       "\n Byte 6 of the letter groups is code 0, which no letter group holds\n Can't open file with color file bin.col"},
      {0, "directory as matrix", ok + "!m adir\n", -3, 9, "Weight matrix adir\n Can't load parameter file"},
      {0, "missing matrix", ok + "!m nosuch.mat\n", -3, 9, "Weight matrix nosuch.mat\n Can't load parameter file"},
      {0, "genetic code as matrix", ok + "!m code.txt\n", -3, 9, "\n File code.txt is no weight matrix"},
      {0, "garbage as matrix", ok + "!m garbage\n", -3, 9, "\n File garbage is no weight matrix"},
      {0, "a word for a number", ok + "!P four\n", -3, 9, "\n Parameter !P: four is not a number\n Can't load"},
      {0, "nan for a number", ok + "!P nan\n", -3, 9, "\n Parameter !P: nan is not a number\n Can't load"},
      {0, "words for integers", ok + "!L abc\n!M abc\n", -3, 9, "!L: abc is not a number\n Parameter !M: abc is not"},
      {1, "missing bank list", "nope.lst", -4, -4, "\n Can't open file with base list nope.lst"},
      {1, "directory as bank list", "adir", -4, -4, "\n Can't open file with base list adir"},
      {1, "missing bank in the list", "nope.dat\n", 111, 111, "\n Base nope.dat isn't valid"},
      {1, "directory in the list", "adir\n", 111, 111, "\n Base adir isn't valid"},
      {1, "query file as bank list", "query.dat", 111, 111, "\n Base ID isn't valid\n Line 1 of bank list query.dat names"},
      {1, "compressed bank in the list", "prot.dat\ngz.dat\n", 99, 99, "gz.dat is gzip-compressed; decompress it first"},
  };
  put("noc.prm", "!e code.txt\n");  // letter groups are for every method but Reduce
  // Base translates nucleic pieces against the protein banks: without a code it must stop first.
  put("noe.prm", "!c colors.txt\n");
  for (const char *f : {"nuc.dat", "nuc.idx"}) put(f, readFile(testutil::dataPath(std::string("plevit/") + f)));
  put("nuc.mot", "Supermotif query.dat 0 nuc.dat 0 1.00 1 query-bank\n     '+' 0 0 5 1 1\n");
  put("prot.mot", "Supermotif query.dat 0 prot.dat 0 1.00 1 query-bank\n     '+' 0 0 5 1 1\n");
  std::vector<Row> search, each, tervex = {{"no letter groups", {"noc.prm", "m.txt", "old.out", "-F"}, 111, "color file (null)"},
                                           {"no letter groups", {"noc.prm", "m.txt", "old.out", "-S"}, 111, "color file (null)"},
                                           {"no letter groups", {"noc.prm", "m.txt", "old.out", "-B", "banks.lst"}, 111, "(null)"},
                                           {"no genetic code, Base translating", {"noe.prm", "nuc.mot", "old.out", "-B", "banks.lst"}, 111,
                                            "\n Can't open file with translation code (null)"},
                                           {"no genetic code, Base not translating", {"noe.prm", "prot.mot", "r.mot", "-B", "banks.lst"}, 0, ""}};
  for (const auto &r : rows) {
    const std::string f = file(r.file), prm = r.list ? "p.prm" : f;
    search.push_back({r.what, {prm, r.list ? f : "banks.lst", "query.dat", "old.out"}, r.search, r.message});
    if (r.list) tervex.push_back({r.what, {prm, "m.txt", "old.out", "-B", f}, r.tervex, r.message});
    if (!r.list && r.tervex) each.push_back({r.what, {prm, "m.txt", "old.out"}, r.tervex, r.message});
  }
  // Inputs of the wrong kind, the motif file named as result (a mistake that once emptied it).
  each.insert(each.end(), {
      {"missing input", {"p.prm", "nope.mot", "m.txt"}, 4, "\n Can't open file with motifs nope.mot"},
      {"directory as input", {"p.prm", "adir", "m.txt"}, 4, "\n Can't open file with motifs adir"},
      {"a report as input", {"p.prm", "report.txt", "m.txt"}, 5, "\n Given file report.txt neither MOTIFS nor SUB_BASE"},
      {"SubBase without a body", {"p.prm", file("SubBase\n\n"), "m.txt"}, 3, "isn't the SubBase"},
  });
  runRows(kSearch, search);
  runRows(kTervex, tervex);
  runRows(kTervex, eachMethod(each));
}

// ---- entries that can't be read ----

// Each bank's fault is told by name; a run that could read no entry ends with 10 and prints no
// alignment (plevit refuses its first supermotif's banks of no kind). The directory shows last lines.
TEST_F(RobustLearning, UnreadableEntries) {
  const struct { const char *bank, *message; int plevit; } banks[] = {
      {"noidx.dat", "\n No index file noidx.idx: entries of noidx.dat past 0 can't be read; make it with tools/mkidx.py", 10},
      {"x.fa", "\n Index x.idx of bank x.fa does not fit; remake it with tools/mkidx.py", 10},
      {"edited.dat", "\n Index edited.idx of bank edited.dat does not fit; remake it with tools/mkidx.py", 10},
      {"gz.dat", "\n Unknown bank format: gz.dat is gzip-compressed; decompress it first", 99},
      {"adir", nullptr, 4},
      {"cut.dat", "\n Entry 2 PEPT_MOUSE of bank cut.dat is cut short: the file ends before its \"//\" line", 10},
  };
  // prot.dat ending inside its entry 2, before the "//" line.
  const std::string prot = readFile(path("prot.dat"));
  put("cut.dat", prot.substr(0, prot.find("\n//\nID   NOAC") + 1));
  put("cut.idx", readFile(path("prot.idx")));
  for (const std::string &q : {std::string("query.dat 0"), std::string("cut.dat 1")})
    put("cut.dat." + std::string(1, q.back()), "Supermotif " + q + " cut.dat 2 20.00 1 query-bank\n     '+' 0 0 12 5000 5910000\n");
  std::vector<Row> plevit = {{"nothing printed", {"noidx.dat.0", "r.rep"}, 10,
                              "\n Can't read bank sequence: noidx.dat 2\n Nothing could be printed: 1 of the 2 entries "
                              "asked for could not be read"}},
                   tervex, orisk, vantel;
  for (const auto &b : banks) {
    const std::string x = b.bank;
    auto told = [&](const char *last) { return std::string(b.message ? b.message : last); };
    plevit.push_back({b.bank, {x + ".1", x + ".rep"}, b.plevit, told("Can't open base file adir")});
    for (const char *q : {".0", ".1"}) tervex.push_back({b.bank, {"p.prm", x + q, "r.mot"}, 10, told("\n No sequence to screen")});
    orisk.push_back({b.bank, {x + ".1", "s.sta", "-C", "c.col"}, 10, told("\n Can't read any of the 2 entries named in adir.1")});
    orisk.push_back({b.bank, {x + ".0", "s.sta"}, 10, told("\n Can read only one of the 2 entries named in adir.0: nothing")});
    vantel.push_back({b.bank, {"golden.sta", x + ".0", "p.txt", "-C", "c.col", "-D"}, 10,
                      told("\n Can't read any of the 1 similar entries named in adir.0: nothing to predict")});
  }
  runRows(kPlevit, plevit);
  for (const auto &b : banks) EXPECT_EQ(readFile(path(b.bank + std::string(".rep"))).find("\nPower "), std::string::npos);
  runRows(kTervex, eachMethod(tervex));
  runRows(kOrisk, orisk);
  runRows(kVantel, vantel);
}
