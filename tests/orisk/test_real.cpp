// The pipeline on real public data: every entry of the EMBOSS Swiss-Prot test file searched
// against the whole file, then orisk over the search result. Homologous entries share
// keywords and features, so the statistics file must hold keyword blocks and feature blocks
// with counts, and the statistics reader must read every block back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hist_xx.h"
#include "orisk_run.h"
#include "testutil.h"

namespace {

using OriskRealData = oriskrun::ProgramTest;

const std::string kSwiss = "/usr/share/EMBOSS/test/swiss/seq.dat";

using oriskrun::RunResult;
using oriskrun::runIn;

// Names of the blocks of one type, in file order ("\n\n NAME TYPE_statistics").
std::vector<std::string> blockNames(const std::string &text, const std::string &type) {
  std::vector<std::string> v;
  const std::string tail = " " + type + "_statistics";
  for (size_t at = text.find("\n\n "); at != std::string::npos; at = text.find("\n\n ", at + 1)) {
    const size_t end = text.find('\n', at + 2);
    const std::string line = text.substr(at + 3, end == std::string::npos ? end : end - at - 3);
    if (line.size() > tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
      v.push_back(line.substr(0, line.size() - tail.size()));
  }
  return v;
}

// Sum of the values of the first row labelled `label` after `from`.
double rowSum(const std::string &text, size_t from, const std::string &label) {
  const size_t at = text.find("\n" + label + " ", from);
  if (at == std::string::npos) return -1;
  std::istringstream in(text.substr(at + 1 + label.size(), text.find('\n', at + 1) - at - 1 - label.size()));
  double sum = 0, v;
  while (in >> v) sum += v;
  return sum;
}

TEST_F(OriskRealData, SwissProtTestFileSearchedAgainstItself) {
  if (!std::ifstream(kSwiss).good()) GTEST_SKIP() << "emboss-test is not installed";
  const std::string search = SEQ_BIN_DIR "/search", orisk = SEQ_BIN_DIR "/orisk";
  ASSERT_TRUE(std::ifstream(search).good()) << "build the search program first";
  ASSERT_TRUE(std::ifstream(orisk).good()) << "build the orisk program first";

  // The bank is read in place through a link with its own index beside it; its entries are
  // the queries too, so both sides of every supermotif are bank entries.
  testutil::TempDir dir;
  ASSERT_EQ(symlink(kSwiss.c_str(), dir.file("sw.dat").c_str()), 0);
  ASSERT_TRUE(testutil::makeIndex(dir.file("sw.dat")));
  testutil::writeFile(dir.file("colors.txt"), "AG\nST\nC\nDE\nNQ\nKRH\nILMV\nFWY\nP\n");
  testutil::writeFile(dir.file("params.txt"), "Search parameters\n!c colors.txt\n!e " SEQ_TEST_DATA
                                              "/plevit/code.txt\n");
  testutil::writeFile(dir.file("banks.txt"), "sw.dat\n");
  RunResult r = runIn(dir.path(), search, {"params.txt", "banks.txt", "sw.dat", "result.txt"});
  ASSERT_EQ(r.rc, 0) << r.out;

  r = runIn(dir.path(), orisk, {"result.txt", "stat.txt", "-KW", "KW", "DE"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string stat = testutil::readFile(dir.file("stat.txt"));
  const std::vector<std::string> ft = blockNames(stat, "FT"), kw = blockNames(stat, "KW"),
                                 de = blockNames(stat, "DE");
  EXPECT_GE(ft.size(), 5u);
  EXPECT_GE(kw.size(), 5u);
  EXPECT_GE(de.size(), 5u);
  // Keywords that related entries of this file share.
  const std::set<std::string> kwSet(kw.begin(), kw.end());
  EXPECT_TRUE(kwSet.count("FLAVOPROTEIN")) << stat.substr(0, 2000);
  EXPECT_EQ(stat.find("nan"), std::string::npos);

  // Names of labelled descriptions, never a label or field; no position ("<1") in feature names.
  EXPECT_EQ(std::count(de.begin(), de.end(), "FLAVODOXIN"), 1);
  EXPECT_NE(stat.find("\n CHAIN_12S_SEED_STORAGE_PROTEIN_CRU4_ALPHA_CHAIN "), std::string::npos);
  for (const char *bad : {"RECNAME", "ALTNAME", "CONTAINS", "FLAGS", "FULL=", "EC=", "<", ">"})
    EXPECT_EQ(stat.find(bad), std::string::npos) << bad;

  // With -F the count blocks show what was counted: feature types with pairs of residues
  // that both carry the feature.
  r = runIn(dir.path(), orisk, {"result.txt", "full.txt", "-KW", "KW", "-F"});
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::string full = testutil::readFile(dir.file("full.txt"));
  int withBoth = 0;
  for (size_t at = full.find(" FT_statistics"); at != std::string::npos;
       at = full.find(" FT_statistics", at + 1))
    withBoth += rowSum(full, at, "qXbX ") > 0;
  EXPECT_GE(withBoth, 5);

  // The statistics reader takes every block back: all feature blocks, then type by type.
  FILE *f = fopen(dir.file("stat.txt").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<std::string> readFT;
  for (;;) {
    HistXX h;
    if (h.load(f, "FT")) break;
    readFT.push_back(h.FTname);
    EXPECT_GE(h.numPow, 1);
  }
  EXPECT_EQ(readFT, ft);
  std::vector<std::string> types;
  size_t keywords = 0;
  while (char *type = getKwType(f)) {
    types.push_back(type);
    HistXX h;
    ASSERT_EQ(h.load(f, type), 0) << type;
    keywords++;
    delete[] type;
  }
  fclose(f);
  EXPECT_EQ(keywords, kw.size() + de.size());
  ASSERT_FALSE(types.empty());
  EXPECT_EQ(types.front(), "KW");
  EXPECT_EQ(types.back(), "DE");
}

}  // namespace
