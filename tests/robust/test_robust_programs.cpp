// Bad inputs shared by the programs: no result written over a file the run reads.
#include "robust_programs.h"

using namespace robust;
using testutil::readFile;

// ---- a result named like an input ----

// No program writes its result over a file it reads, whatever name the file goes by.
TEST_F(RobustLearning, NoResultOverAnInput) {
  put("list.lst", "b.sp\n");
  runRows(kSearch, {
      {"query file", {"p.prm", "list.lst", "b.sp", "./b.sp"}, -7, "Result file ./b.sp would overwrite b.sp"},
      {"parameter file", {"p.prm", "list.lst", "b.sp", "p.prm"}, -7, "would overwrite p.prm"},
      {"bank list", {"p.prm", "list.lst", "b.sp", "list.lst"}, -7, "would overwrite list.lst"},
      {"listed bank", {"p.prm", "banks.lst", "b.sp", "prot.dat"}, -7, "would overwrite prot.dat"},
  });
  runRows(kPlevit, {
      {"motif file", {"m.txt", "m.txt"}, 5, "Result file m.txt would overwrite m.txt"},
      {"matrix file", {"m.txt", "code.txt", "code.txt"}, 5, "would overwrite code.txt"},
      {"code file", {"-a", "m.txt", "code.txt", "none", "code.txt"}, 5, "would overwrite code.txt"},
  });
}

