// The scratch directory and the rows of the bad-input tables of the five programs.
// Every row states its exit code and message; no row may crash, hang or leave a sanitizer
// report, and no input file may change (checked by hash before and after).
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "robust_run.h"
#include "testutil.h"

namespace robust {

struct Row {
  const char *what;
  std::vector<std::string> args;
  int code;
  std::string message;
};

// Each row once for each of tervex's methods: Full, Reduce, Shorten and Base.
inline std::vector<Row> eachMethod(const std::vector<Row> &rows) {
  std::vector<Row> all;
  for (const std::vector<std::string> &m : {std::vector<std::string>{}, {"-R"}, {"-S"}, {"-B", "banks.lst"}})
    for (Row r : rows) {
      r.args.insert(r.args.end(), m.begin(), m.end());
      all.push_back(r);
    }
  return all;
}

// A scratch directory holding the small banks of the plevit tests (with their indexes), the
// search parameter files and the inputs of each row.
class RobustPrograms : public Scratch {
 protected:
  void SetUp() override {
    for (const char *f : {"prot.dat", "prot.idx", "query.dat", "query.idx", "three.mot", "code.txt"})
      put(f, readFile(testutil::dataPath(std::string("plevit/") + f)));
    put("colors.txt", readFile(testutil::dataPath("search/colors.txt")));
    put("p.prm", "!c colors.txt\n!e code.txt\n");
    put("empty", "");
    put("garbage", garbage(3000));
    put("banks.lst", "prot.dat\n");
    mkdir(path("adir").c_str(), 0755);
    // Banks whose entries past 0 can't be read (no index, another file's index, an edit since)
    // and a compressed one; "X.1" asks entries 1 and 2 of X, "X.0" query.dat 0 and X 2.
    const std::string prot = readFile(path("prot.dat"));
    put("noidx.dat", prot);
    put("x.fa", ">X1 one\n" + std::string(400, 'A') + "\n>X2 two\nACDEFGHIKL\n");
    put("x.idx", readFile(path("prot.idx")));
    put("edited.dat", prot.substr(0, 57) + "CC   A line added after indexing.\n" + prot.substr(57));
    put("edited.idx", readFile(path("prot.idx")));
    put("gz.dat", std::string("\x1f\x8b\x08\x00", 4) + garbage(200));
    for (const std::string b : {"noidx.dat", "x.fa", "edited.dat", "gz.dat", "adir"})
      for (const std::string &q : {std::string("query.dat 0"), b + " 1"})
        put(b + "." + q.back(), "Supermotif " + q + " " + b + " 2 20.00 1 query-bank\n     '+' 0 0 12 5000 5910000\n");
    put("report.txt", readFile(testutil::dataPath("plevit/three.expected")));
    put("old.out", "an earlier result\n");  // the output of the rows that must stop
  }

  // Runs every row and checks its outcome, the inputs unchanged, and every file unchanged when it
  // stopped (not 0, nor 10 or 12 of the two that still write).
  void runRows(const std::string &prog, const std::vector<Row> &rows) {
    const auto before = hashes();
    for (const Row &row : rows) {
      SCOPED_TRACE(testing::Message() << row.what << " " << testing::PrintToString(row.args));
      const auto was = hashes(true);
      Outcome r = run(prog, row.args, dir.path());
      expectOutcome(r, row.code, row.message);
      const bool stopped = row.code && !((prog == kPlevit || prog == kTervex) && (row.code == 10 || row.code == 12));
      EXPECT_EQ(hashes(stopped), stopped ? was : before) << "a file changed";
    }
  }
};

// Motif blocks with absurd values (counts, positions, powers) on the small banks.
inline const char *const kOddBlocks[] = {
    "Supermotif query.dat 0 prot.dat 1 1.00 0 query-bank\n     '+' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 -3 query-bank\n     '+' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1e308 1 query-bank\n     '+' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 nan 1 query-bank\n     '+' 0 0 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     '+' -5 -7 5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     '+' 0 0 -5 1000 4096000\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n"
    "     '+' 2147483647 2147483647 2147483647 2147483647 2147483647\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n"
    "     '-' -2147483648 -2147483648 -2147483648 -2147483648 -2147483648\n",
    "Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     'e' 0 0 5 1000 4096000\n",
    "Supermotif query.dat -1 prot.dat 2147483647 1.00 1 query-bank\n     '+' 0 0 5 1 1\n",
};

// Motif blocks cut short, each with the line (counted from its Supermotif line) where the cut
// shows when another block, or a line without a quoted frame, follows it.
struct CutBlock { const char *text; int line; };
inline const CutBlock kCutBlocks[] = {
    {"Supermotif query.dat 0 prot.dat 1 1.00 1000000 query-bank\n     '+' 0 0 5 1000 4096000\n", 3},
    {"Supermotif query.dat 0 prot.dat 1 1.00 2 query-bank\n     '+' 0 0 5 1 1\n", 3},
    {"Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     no quote at all\n", 2},
    {"Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     'x 0 0 5 1 1\n", 2},
    {"Supermotif query.dat 0 prot.dat 1 1.00 1 query-bank\n     '+' 0 0 5 1\n", 2},
    {"Supermotif query.dat 0 prot.dat\n     '+' 0 0 5 1 1\n", 1},
};

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

}  // namespace robust
