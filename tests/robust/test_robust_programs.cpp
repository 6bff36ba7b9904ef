// Bad inputs shared by the programs: no result written over a file the run reads.
#include "robust_programs.h"

using namespace robust;
using testutil::readFile;

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
  // A plevit report given as motif file; a motif file whose second supermotif names b.sp.
  put("report.txt", readFile(testutil::dataPath("plevit/three.expected")));
  put("two.mot", readFile(path("three.mot")) + readFile(path("m.txt")));
  runRows(kPlevit, {
      {"motif file", {"m.txt", "m.txt"}, 5, "Result file m.txt would overwrite m.txt"},
      {"matrix file", {"m.txt", "tiny.mat", "tiny.mat"}, 5, "would overwrite tiny.mat"},
      {"code file", {"-a", "m.txt", "code.txt", "none", "code.txt"}, 5, "would overwrite code.txt"},
      {"names swapped", {"report.txt", "three.mot"}, 3, "Can't load motif from file report.txt"},
      {"first query file", {"three.mot", "adir/../query.dat"}, 5, "would overwrite query.dat"},
      {"a later bank", {"two.mot", "b.sp"}, 5, "Result file b.sp would overwrite b.sp"},
  });
}

