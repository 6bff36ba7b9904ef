// The README's recipe for more processors or machines, run as written on a copy of the example
// data: the query file cut into parts, one search per part, the result files concatenated. The
// concatenation holds the supermotifs of one run over the whole file, and plevit, tervex and
// orisk take it as they take that run's file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "testutil.h"

namespace {

const std::string kRoot = SEQ_TOOLS_DIR "/..";

// The first indented block under the README line `heading`, unindented.
std::string readmeBlock(const std::string &heading) {
  std::istringstream in(testutil::readFile(kRoot + "/README.md"));
  std::string line, block;
  bool under = false;
  while (std::getline(in, line)) {
    if (!under) {
      under = line == heading;
    } else if (line.rfind("    ", 0) == 0) {
      block += line.substr(4) + "\n";
    } else if (!line.empty() && (!block.empty() || line[0] == '#')) {
      break;
    } else if (!block.empty()) {
      block += "\n";
    }
  }
  return block;
}

// Runs a bash script in `dir`, stopping at its first failing command; returns its exit code.
int runScript(const std::string &dir, const std::string &script) {
  testutil::writeFile(dir + "/script.sh", script);
  std::string cmd = "cd '" + dir + "' && bash -e script.sh >script.log 2>&1";
  int st = std::system(cmd.c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// The query blocks of a result file (its "Query:", "Supermotif" and motif lines), each
// "Supermotif partNNN.fa n" renamed to the whole query file's "queries.fa" and entry number
// for parts of `perPart` queries.
std::string queryBlocks(const std::string &text, int perPart) {
  std::istringstream in(text);
  std::string line, out;
  while (std::getline(in, line)) {
    if (line.rfind("Supermotif part", 0) == 0) {
      int part = 0, n = 0;
      // "Supermotif %s %6d ...": the part name and the number field keep their widths.
      EXPECT_EQ(sscanf(line.c_str(), "Supermotif part%3d.fa %6d", &part, &n), 2) << line;
      char num[16];
      snprintf(num, sizeof num, "%6d", (part - 1) * perPart + n);
      line = "Supermotif queries.fa " + std::string(num) + line.substr(28);
    }
    if (line.rfind("Query:", 0) == 0 || line.rfind("Supermotif", 0) == 0 ||
        line.rfind("     '", 0) == 0)
      out += line + "\n";
  }
  return out;
}

// A plevit report without the banners it copies (from each "Query sequence from file" line to
// the row of stars that closes it) and without blank lines.
std::string withoutBanners(const std::string &text) {
  std::istringstream in(text);
  std::string line, out;
  bool banner = false;
  while (std::getline(in, line)) {
    if (line.find("Query sequence from file") != std::string::npos) banner = true;
    if (!banner && !line.empty()) out += line + "\n";
    if (banner && !line.empty() && line.find_first_not_of('*') == std::string::npos)
      banner = false;
  }
  return out;
}

TEST(SearchSplitQueries, ReadmeRecipeGivesTheWholeRunsSupermotifs) {
  const std::string recipe =
      readmeBlock("### More processors or machines: split the query file");
  ASSERT_NE(recipe.find("cat part*.mot > result.mot"), std::string::npos) << recipe;

  // The README's layout: example/ beside build/ and tools/.
  testutil::TempDir top;
  namespace fs = std::filesystem;
  const std::string ex = top.file("example");
  fs::create_directories(ex);
  fs::create_directories(top.file("build"));
  fs::create_directories(top.file("tools"));
  for (const char *f : {"params.txt", "colors.txt", "code.txt", "queries.fa", "queries.idx",
                        "banks.lst", "bank.dat", "bank.idx"})
    fs::copy_file(kRoot + "/example/" + f, ex + "/" + f);
  for (const char *p : {"search", "plevit", "tervex", "orisk"})
    fs::create_symlink(std::string(SEQ_BIN_DIR) + "/" + p, top.file("build") + "/" + p);
  fs::create_symlink(std::string(SEQ_TOOLS_DIR) + "/mkidx.py", top.file("tools/mkidx.py"));

  ASSERT_EQ(runScript(ex, recipe), 0) << testutil::readFile(ex + "/script.log");
  ASSERT_EQ(runScript(ex, "../build/search params.txt banks.lst queries.fa whole.mot >/dev/null\n"),
            0);
  ASSERT_TRUE(fs::exists(ex + "/part002.idx"));
  ASSERT_FALSE(fs::exists(ex + "/part003.fa"));  // four queries, two a part

  const std::string whole = testutil::readFile(ex + "/whole.mot");
  const std::string parts = testutil::readFile(ex + "/result.mot");
  ASSERT_NE(whole.find("\nQuery: "), std::string::npos);
  EXPECT_EQ(queryBlocks(parts, 2), queryBlocks(whole, 2));
  EXPECT_NE(parts.find("Supermotif part002.fa      1 "), std::string::npos);

  // The other programs read the concatenation as they read the whole run.
  ASSERT_EQ(runScript(ex,
                      "for m in whole result; do\n"
                      "  ../build/plevit $m.mot $m.rep\n"
                      "  ../build/tervex params.txt $m.mot $m.cross\n"
                      "  ../build/orisk $m.mot $m.sta\n"
                      "done >/dev/null\n"),
            0)
      << testutil::readFile(ex + "/script.log");
  for (const char *ext : {".cross", ".sta"})
    EXPECT_EQ(testutil::readFile(ex + "/result" + ext), testutil::readFile(ex + "/whole" + ext))
        << ext;
  const std::string report = testutil::readFile(ex + "/whole.rep");
  EXPECT_NE(report.find("Power "), std::string::npos);
  EXPECT_EQ(testutil::maskDate(withoutBanners(testutil::readFile(ex + "/result.rep"))),
            testutil::maskDate(withoutBanners(report)));
}

}  // namespace
