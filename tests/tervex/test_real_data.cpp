// The pipeline on real public data: a search result of a Swiss-Prot entry (the EMBOSS test
// file, read in place) screened by tervex with each method, then printed by plevit. Every cross
// motif names existing entries, two different ones for the set-against-itself methods, and
// lies inside both sequences.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tervex_testutil.h"
#include "work_seq.h"

namespace {

const std::string kSwiss = "/usr/share/EMBOSS/test/swiss/seq.dat";

}  // namespace

TEST(TervexRealData, SwissProtSearchResultScreenedByEachMethod) {
  if (!std::ifstream(kSwiss).good()) GTEST_SKIP() << "emboss-test is not installed";
  const std::string search = SEQ_BIN_DIR "/search", plevit = SEQ_BIN_DIR "/plevit";
  ASSERT_TRUE(std::ifstream(search).good()) << "build the search program first";
  ASSERT_TRUE(std::ifstream(plevit).good()) << "build the plevit program first";

  tvx::Work w;
  ASSERT_EQ(symlink(kSwiss.c_str(), w.file("sw.dat").c_str()), 0);
  ASSERT_TRUE(testutil::makeIndex(w.file("sw.dat")));
  std::map<int, int> lengths;  // entry number -> length
  for (int k = 0; k < 100; k++) {
    WorkSeq s;
    ASSERT_GT(s.readSeq(w.file("sw.dat").c_str(), k), 0) << k;
    lengths[k] = s.len();
  }
  // A query with several relatives in the file, as FASTA with its index.
  WorkSeq q;
  ASSERT_GT(q.readSeq(w.file("sw.dat").c_str(), 38), 0);
  testutil::writeFile(w.file("q.fa"), ">e38\n" + std::string(q.seq(), (size_t)q.len()) + "\n");
  ASSERT_TRUE(testutil::makeIndex(w.file("q.fa")));
  w.params("!L 7\n");
  testutil::writeFile(w.file("banks.txt"), "sw.dat\n");
  tvx::RunResult r = tvx::runIn(w.dir.path(), search, {"params.txt", "banks.txt", "q.fa", "search.txt"});
  ASSERT_EQ(r.rc, 0) << r.out;
  std::vector<tvx::Block> input = w.blocks("search.txt");
  ASSERT_GE(input.size(), 3u);

  struct Method {
    const char *name;
    std::vector<std::string> opts;
    bool distinct;  // Base meets the listed sequences in the banks too
  } methods[] = {{"full", {}, true}, {"reduce", {"-R"}, true}, {"shorten", {"-S"}, true},
                 {"base", {"-B", "banks.txt"}, false}};
  for (const Method &m : methods) {
    const std::string out = std::string(m.name) + ".mot";
    std::vector<std::string> args{"params.txt", "search.txt", out};
    args.insert(args.end(), m.opts.begin(), m.opts.end());
    r = w.tervex(args);
    ASSERT_EQ(r.rc, 0) << m.name << r.out;
    std::vector<tvx::Block> blocks = w.blocks(out);
    EXPECT_FALSE(blocks.empty()) << m.name;
    for (const tvx::Block &b : blocks) {
      ASSERT_EQ(b.qAdr, "sw.dat") << m.name;
      ASSERT_EQ(b.bAdr, "sw.dat") << m.name;
      ASSERT_TRUE(lengths.count(b.qNum) && lengths.count(b.bNum)) << m.name;
      if (m.distinct) {
        EXPECT_NE(b.qNum, b.bNum) << m.name;
      }
      for (const Motif &mot : b.mots) {
        EXPECT_GE(mot.qBeg, 0) << m.name;
        EXPECT_GE(mot.bBeg, 0) << m.name;
        EXPECT_LE(mot.qBeg + mot.len, lengths[b.qNum]) << m.name;
        EXPECT_LE(mot.bBeg + mot.len, lengths[b.bNum]) << m.name;
      }
    }
    r = tvx::runIn(w.dir.path(), plevit, {out, out + ".txt"});
    EXPECT_EQ(r.rc, 0) << m.name << r.out;
    EXPECT_EQ(r.out.find("out of sequence"), std::string::npos) << m.name << r.out;
    const std::string report = testutil::readFile(w.file(out + ".txt"));
    EXPECT_NE(report.find("sw.dat"), std::string::npos) << m.name;
  }
}
