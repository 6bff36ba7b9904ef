// The parameter banner at the head of the search result file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "seahom_params.h"
#include "testutil.h"

namespace {

SearchHomolParams paramsOf(const std::string &text) {
  SearchHomolParams p;
  FILE *f = testutil::streamOf(text);
  EXPECT_EQ(p.freadParam(f), 0);
  fclose(f);
  return p;
}

// The banner for two banks, its date masked.
std::string bannerOf(const SearchHomolParams &p) {
  const char *banks[] = {"bank1.dat", "bank2.dat", nullptr};
  return testutil::maskDate(testutil::writtenBy([&](FILE *f) { p.print(f, "query.fa", banks); }));
}

TEST(Banner, DefaultsAsWritten) {
  const SearchHomolParams p = paramsOf("a parameter file\nwithout any setting\n");
  EXPECT_EQ(bannerOf(p), testutil::readFile(SEQ_TEST_DATA "/search/banner_default.txt"));
}

TEST(Banner, ShowsTheValuesRead) {
  const SearchHomolParams p = paramsOf(
      "!P 4.1234\n!F 12\n!L 12\n!G 0.5\n!D x\n!E Y\n!C 0.1\n!H 0.25\n!W 7\n!k 2\n"
      "!p 1000\n!s 5\n!M -5\n!T 3\n!t 250\n!A N\n!h n\n");
  const std::string b = bannerOf(p);
  for (const char *line :
       {"\n    Motif power threshold           4.12  ", "\n    Alignment power threshold       12.00 ",
        "\n    Motif length threshold          12 ", "\n    Gap penalty                     0.500 ",
        "\n    Join frames clusterization      YES", "\n    Reverse strands are processed   YES",
        "\n    Coinsidence ratio               0.10000", "\n    Minimal homology ratio          0.25000",
        "\n    Window width                    7  ", "\n    Number of coincidence           2  ",
        "\n    Part size                       1000", "\n    Maximal number of shifts        5  ",
        "\n    Maximal number of alignments    -5  ", "\n    First sequence position         3     ",
        "\n    Last sequence position          250   ", "\n    Accurate Dothelix               NO",
        "\n    Frequences recalculation        NO\n"})
    EXPECT_NE(b.find(line), std::string::npos) << line;
}

}  // namespace
