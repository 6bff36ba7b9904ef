// The README's recipe for splitting the query file, run as written on a copy of the example: the
// concatenated results hold the supermotifs of one run over the whole file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "testutil.h"

namespace {

const std::string kRoot = SEQ_TOOLS_DIR "/..";

// The query, supermotif and motif lines of a motif file (no banner); "Supermotif partNNN.fa n"
// becomes the whole query file's "queries.fa" and entry number, parts holding two queries each.
std::string supermotifs(const std::string &path) {
  std::istringstream in(testutil::readFile(path));
  std::string line, out;
  while (std::getline(in, line)) {
    int part = 0, n = 0;
    if (sscanf(line.c_str(), "Supermotif part%3d.fa %6d", &part, &n) == 2) {
      char head[40];  // "Supermotif %s %6d ...": the name and the number keep their widths
      snprintf(head, sizeof head, "Supermotif queries.fa %6d", (part - 1) * 2 + n);
      line = head + line.substr(28);
    }
    for (const char *h : {"Query:", "Supermotif", "     '"})
      if (line.rfind(h, 0) == 0) out += line + "\n";
  }
  return out;
}

TEST(SearchSplitQueries, ReadmeRecipeGivesTheWholeRunsSupermotifs) {
  // The first indented block under the recipe's heading, unindented.
  std::istringstream readme(testutil::readFile(kRoot + "/README.md"));
  std::string line, recipe;
  while (std::getline(readme, line) && line != "### More processors or machines: split the query file") {
  }
  while (std::getline(readme, line) && (recipe.empty() || line.empty() || line[0] == ' '))
    if (line.rfind("    ", 0) == 0) recipe += line.substr(4) + "\n";
  ASSERT_NE(recipe.find("cat part*.mot > result.mot"), std::string::npos) << recipe;

  // The README's layout: example/ beside build/ and tools/.
  namespace fs = std::filesystem;
  testutil::TempDir top;
  const std::string ex = top.file("example");
  fs::copy(kRoot + "/example", ex, fs::copy_options::recursive);
  fs::create_directory_symlink(SEQ_BIN_DIR, top.file("build"));
  fs::create_directory_symlink(SEQ_TOOLS_DIR, top.file("tools"));
  testutil::writeFile(ex + "/script.sh", recipe + "../build/search params.txt banks.lst queries.fa whole.mot\n");
  ASSERT_EQ(std::system(("cd '" + ex + "' && bash -e script.sh >script.log 2>&1").c_str()), 0)
      << testutil::readFile(ex + "/script.log");

  const std::string whole = supermotifs(ex + "/whole.mot");
  EXPECT_NE(whole.find("Supermotif queries.fa      3 "), std::string::npos);  // four queries, two a part
  EXPECT_EQ(supermotifs(ex + "/result.mot"), whole);
}

}  // namespace
