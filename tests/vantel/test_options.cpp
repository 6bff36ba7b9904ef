// The command line: file names are never options, option values are taken as they are.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testutil.h"
#include "vantel.h"

namespace {

struct Parsed {
  int rc;
  VantelOptions opt;
};

Parsed parse(std::vector<std::string> words) {
  std::vector<char *> argv;
  static std::vector<std::string> keep;
  keep = std::move(words);
  for (std::string &w : keep) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  Parsed p;
  p.rc = getOptions((int)keep.size(), argv.data(), p.opt);
  return p;
}

std::string str(const char *s) { return s ? s : "(none)"; }

}  // namespace

TEST(VantelOptions, FileNamesAreNeverOptions) {
  Parsed p = parse({"vantel", "/cluster/s.sta", "/mnt/q.mot", "/data/out"});
  ASSERT_EQ(p.rc, 0);
  EXPECT_EQ(str(p.opt.statFile), "/cluster/s.sta");
  EXPECT_EQ(str(p.opt.motFile), "/mnt/q.mot");
  EXPECT_EQ(str(p.opt.resFile), "/data/out");
  EXPECT_EQ(str(p.opt.colFile), "(none)");
  EXPECT_EQ(str(p.opt.meshPath), "(none)");
  EXPECT_EQ(p.opt.wrDist, 0);
  EXPECT_EQ(p.opt.sumType, 1);
}

TEST(VantelOptions, Usage) {
  EXPECT_EQ(parse({"vantel", "a", "b"}).rc, kVantelUsage);
  EXPECT_EQ(parse({"vantel"}).rc, kVantelUsage);
}

TEST(VantelOptions, LettersAndValues) {
  struct Case {
    std::vector<std::string> opts;
    std::string mesh, col;
    int wrDist, sumType;
  } cases[] = {
      {{"-Mesh", "m.idx"}, "m.idx", "(none)", 0, 1},    // named by two characters
      {{"-m", "/mnt/m.idx", "-S"}, "/mnt/m.idx", "(none)", 0, 0},
      {{"-M", "-S"}, "(none)", "(none)", 0, 0},         // no value: ignored, -S still read
      {{"-S", "-M"}, "(none)", "(none)", 0, 0},         // trailing: ignored
      {{"-C"}, "(none)", "(none)", 0, 1},
      {{"-M", "a", "-M", "b"}, "b", "(none)", 0, 1},    // the second replaces the first
      {{"-c", "/scratch/c.txt", "-d", "/s"}, "(none)", "/scratch/c.txt", 1, 0},
      {{"-H", "-X", "plain", "-"}, "(none)", "(none)", 0, 1},
      {{"-C", "-dump"}, "(none)", "(none)", 1, 1},       // "-dump" is an option, not a value
  };
  for (const Case &c : cases) {
    std::vector<std::string> w = {"vantel", "s", "m", "r"};
    w.insert(w.end(), c.opts.begin(), c.opts.end());
    Parsed p = parse(w);
    ASSERT_EQ(p.rc, 0);
    std::string label = c.opts.empty() ? "" : c.opts[0];
    EXPECT_EQ(str(p.opt.meshPath), c.mesh) << label;
    EXPECT_EQ(str(p.opt.colFile), c.col) << label;
    EXPECT_EQ(p.opt.wrDist, c.wrDist) << label;
    EXPECT_EQ(p.opt.sumType, c.sumType) << label;
  }
}

