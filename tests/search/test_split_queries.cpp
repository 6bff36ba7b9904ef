// The README's recipe for more processors or machines, run as written on a copy of the example
// data: the query file cut into parts, one search per part, the result files concatenated. The
// concatenation holds the supermotifs of one run over the whole file, and plevit, tervex and
// orisk take it as they take that run's file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>

#include "testutil.h"

namespace {

const std::string kRoot = SEQ_TOOLS_DIR "/..";

// The first indented block under the README line `heading`, unindented.
std::string readmeBlock(const std::string &heading) {
  std::istringstream in(testutil::readFile(kRoot + "/README.md"));
  std::string line, block;
  while (std::getline(in, line) && line != heading) {
  }
  while (std::getline(in, line) && (block.empty() || line.empty() || line[0] == ' '))
    if (line.rfind("    ", 0) == 0) block += line.substr(4) + "\n";
  return block;
}

// Runs a bash script in `dir`, stopping at its first failing command; returns its exit code.
int runScript(const std::string &dir, const std::string &script) {
  testutil::writeFile(dir + "/script.sh", script);
  int st = std::system(("cd '" + dir + "' && bash -e script.sh >script.log 2>&1").c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// The lines of a file that begin with one of `heads`; "Supermotif partNNN.fa n" becomes the
// whole query file's "queries.fa" and entry number, parts holding two queries each.
std::string linesOf(const std::string &path, std::initializer_list<const char *> heads) {
  std::istringstream in(testutil::readFile(path));
  std::string line, out;
  while (std::getline(in, line)) {
    int part = 0, n = 0;
    // "Supermotif %s %6d ...": the part name and the number field keep their widths.
    if (sscanf(line.c_str(), "Supermotif part%3d.fa %6d", &part, &n) == 2) {
      char head[40];
      snprintf(head, sizeof head, "Supermotif queries.fa %6d", (part - 1) * 2 + n);
      line = head + line.substr(28);
    }
    for (const char *h : heads)
      if (line.rfind(h, 0) == 0) out += line + "\n";
  }
  return out;
}

TEST(SearchSplitQueries, ReadmeRecipeGivesTheWholeRunsSupermotifs) {
  const std::string recipe = readmeBlock("### More processors or machines: split the query file");
  ASSERT_NE(recipe.find("cat part*.mot > result.mot"), std::string::npos) << recipe;

  // The README's layout: example/ beside build/ and tools/.
  namespace fs = std::filesystem;
  testutil::TempDir top;
  const std::string ex = top.file("example"), bin = top.file("build");
  fs::create_directories(ex);
  fs::create_directories(bin);
  fs::create_directories(top.file("tools"));
  for (const char *f : {"params.txt", "colors.txt", "code.txt", "queries.fa", "queries.idx",
                        "banks.lst", "bank.dat", "bank.idx"})
    fs::copy_file(kRoot + "/example/" + f, ex + "/" + f);
  for (const char *p : {"search", "plevit", "tervex", "orisk"})
    fs::create_symlink(std::string(SEQ_BIN_DIR) + "/" + p, bin + "/" + p);
  fs::create_symlink(std::string(SEQ_TOOLS_DIR) + "/mkidx.py", top.file("tools/mkidx.py"));

  ASSERT_EQ(runScript(ex, recipe), 0) << testutil::readFile(ex + "/script.log");
  ASSERT_TRUE(fs::exists(ex + "/part002.idx"));
  ASSERT_FALSE(fs::exists(ex + "/part003.fa"));  // four queries, two a part
  ASSERT_EQ(runScript(ex,
                      "../build/search params.txt banks.lst queries.fa whole.mot\n"
                      "for m in whole result; do\n"
                      "  ../build/plevit $m.mot $m.rep\n"
                      "  ../build/tervex params.txt $m.mot $m.cross\n"
                      "  ../build/orisk $m.mot $m.sta\n"
                      "done\n"),
            0)
      << testutil::readFile(ex + "/script.log");

  const std::string whole = linesOf(ex + "/whole.mot", {"Query:", "Supermotif", "     '"});
  EXPECT_NE(whole.find("Supermotif queries.fa      3 "), std::string::npos);
  EXPECT_EQ(linesOf(ex + "/result.mot", {"Query:", "Supermotif", "     '"}), whole);
  // plevit's summaries and alignment heads (it also copies each part's banner).
  EXPECT_EQ(linesOf(ex + "/result.rep", {"Query:", "bank.dat|", "Power "}),
            linesOf(ex + "/whole.rep", {"Query:", "bank.dat|", "Power "}));
  for (const char *ext : {".cross", ".sta"})
    EXPECT_EQ(testutil::readFile(ex + "/result" + ext), testutil::readFile(ex + "/whole" + ext))
        << ext;
}

}  // namespace
