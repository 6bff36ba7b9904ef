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

constexpr int kAnyExit = -2000;  // any exit status, as long as the program ended by itself

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
      if (row.code == kAnyExit) {
        ASSERT_FALSE(r.hung);
        ASSERT_TRUE(r.exited) << "killed by signal " << r.code << "\n" << r.err;
        EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
      } else {
        expectOutcome(r, row.code, row.message);
      }
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
      {"motif file cut inside a block, Shorten", {"p.prm", "cut.mot", "r.mot", "-S"}, kAnyExit, ""},
      {"B as the last word", {"p.prm", "three.mot", "r.mot", "-B"}, -4, "base list (null)"},
      {"N as the last word", {"p.prm", "three.mot", "r.mot", "-N"}, 0, ""},
      {"B with an empty list", {"p.prm", "three.mot", "r.mot", "-B", "empty.lst"}, -5,
       "There are no banks in bankList"},
      {"absolute input path", {"p.prm", abs, "r.mot"}, 0, ""},
      {"result in a missing directory", {"p.prm", "three.mot", "nodir/r.mot"}, 6, "Can't open result file"},
      {"result is a directory", {"p.prm", "three.mot", "adir"}, 6, "Can't open result file"},
  };
  runRows(kTervex, rows);
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
      rows.push_back({"absurd block", {"p.prm", n, "r.mot", method}, kAnyExit, ""});
  runRows(kTervex, rows);
}
