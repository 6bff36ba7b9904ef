// The scratch directory of the bad-input tables of tervex, orisk, vantel and plevit: the small
// banks of the plevit tests with their indexes, the search parameter files, and (for orisk and
// vantel) the four-entry Swiss-Prot bank of the orisk tests with its motif file and statistics.
// Every row states its exit code and message; no row may crash, hang or leave a sanitizer
// report, and no input file may change (checked by hash before and after).
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "robust_run.h"
#include "testutil.h"

namespace robust {

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
inline const char *const kOddBlocks[] = {
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

}  // namespace robust
