// The keyword thesaurus: lookups by bucket and probe order, the checks on a loaded index, the
// builder and its round trip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "mesh.h"
#include "testutil.h"

using testutil::TempDir;
using testutil::writeFile;

namespace {

std::string lookup(const Mesh &m, const char *word) {
  std::unique_ptr<char[]> h(m.findSyn(word));
  return h ? std::string(h.get()) : std::string("(null)");
}

std::string indexText(const std::string &pairs, int numF, const std::string &beg, int num) {
  return std::to_string(numF) + "  number of first letters\n" + beg + std::to_string(num) +
         "  number of items\n" + pairs;
}

}  // namespace

TEST(Mesh, LookupsInEveryBucket) {
  Mesh m;
  ASSERT_EQ(m.load(testutil::dataPath("features/small.mesh").c_str()), 0);
  EXPECT_EQ(m.num, 3);
  EXPECT_EQ(m.numF, 3);
  EXPECT_EQ(lookup(m, "ATP BINDING"), "NUCLEOTIDE-BINDING");
  EXPECT_EQ(lookup(m, "ATPASE"), "HYDROLASE");
  EXPECT_EQ(lookup(m, "CYCLE"), "CELL CYCLE");
  EXPECT_EQ(lookup(m, "BINDING"), "(null)");      // 'B': an empty bucket
  EXPECT_EQ(lookup(m, "@TP"), "(null)");          // before the first character
  EXPECT_EQ(lookup(m, "DNA"), "(null)");          // past the last bucket
  EXPECT_EQ(lookup(m, "atpase"), "(null)");       // case-sensitive
  EXPECT_EQ(lookup(m, "CYCLE "), "(null)");       // one-pair bucket, exact
  EXPECT_EQ(lookup(m, ""), "(null)");
  EXPECT_EQ(lookup(m, "\xe9T"), "(null)");        // a high byte is a negative offset
}

TEST(Mesh, DuplicateSynonymsFollowTheProbeOrder) {
  // Bucket 'A' of five pairs: the first probe is the fourth pair (first + (5 + 1) / 2 = 3).
  TempDir d;
  std::string f = d.file("dup.mesh");
  writeFile(f, indexText("AA\nH0\nAB\nH1\nAB\nH2\nAB\nH3\nAC\nH4\n", 1, "0\n5\n", 5));
  Mesh m;
  ASSERT_EQ(m.load(f.c_str()), 0);
  EXPECT_EQ(lookup(m, "AB"), "H3");
  EXPECT_EQ(lookup(m, "AA"), "H0");
  EXPECT_EQ(lookup(m, "AC"), "H4");
  EXPECT_EQ(lookup(m, "AD"), "(null)");
  // Every pair of a larger bucket is found.
  std::string pairs;
  for (int i = 0; i < 37; i++) {
    char sy[8];
    snprintf(sy, sizeof sy, "K%02d", i);
    pairs += std::string(sy) + "\nH" + std::to_string(i) + "\n";
  }
  writeFile(f, indexText(pairs, 1, "0\n37\n", 37));
  ASSERT_EQ(m.load(f.c_str()), 0);
  for (int i = 0; i < 37; i++) {
    char sy[8];
    snprintf(sy, sizeof sy, "K%02d", i);
    EXPECT_EQ(lookup(m, sy), "H" + std::to_string(i)) << sy;
  }
  EXPECT_EQ(lookup(m, "K37"), "(null)");
  EXPECT_EQ(lookup(m, "K"), "(null)");
}

TEST(Mesh, EmptyAndRefusedIndexes) {
  Mesh never;
  EXPECT_EQ(lookup(never, "ATPASE"), "(null)");
  TempDir d;
  std::string f = d.file("bad.mesh");
  testing::internal::CaptureStdout();
  Mesh m;
  EXPECT_EQ(m.load(d.file("missing").c_str()), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cant't open mesh file " + d.file("missing"));
  // A zero-item file loads and finds nothing.
  writeFile(f, indexText("", 0, "0\n", 0));
  EXPECT_EQ(m.load(f.c_str()), 0);
  EXPECT_EQ(lookup(m, "ATPASE"), "(null)");
  // Corrupt indexes: refused with a message, an empty thesaurus and return 1.
  const std::string corrupt[] = {
      "",                                                         // no counts
      "x  number of first letters\n",                             // not numeric
      "-1  number of first letters\n0\n0  number of items\n",     // negative numF
      indexText("A\nH\n", 2, "0\n5\n1\n", 1),                      // start past the count
      indexText("A\nH\nB\nH\n", 2, "0\n2\n1\n", 2),                // decreasing starts
      indexText("A\nH\n", 1, "1\n1\n", 1),                         // first start not 0
      indexText("A\nH\n", 1, "0\n", 1),                            // index cut short
      indexText("A\nH\n", 0, "0\n", 1),                            // pairs but no bucket
      indexText("A\nH\nB\nH\n", 2, "0\n1\n1\n", 2),               // last start not the count
      "3  number of first letters\n0\n2\n2\n3\nthree  number of items\n",  // count not numeric
      "1  number of first letters\n0\n?\n1  number of items\nA\nH\n",      // start not numeric
  };
  for (const std::string &text : corrupt) {
    writeFile(f, text);
    testing::internal::CaptureStdout();
    EXPECT_EQ(m.load(f.c_str()), 1) << text;
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("corrupt"), std::string::npos) << text;
    EXPECT_EQ(m.num, 0);
    EXPECT_EQ(lookup(m, "A"), "(null)");
  }
}

TEST(Mesh, BucketOffsetsAreSignedBytes) {
  // An index whose buckets reach far: with unsigned bytes 0xE9 would fall in bucket 168,
  // where its pair is; on signed bytes its offset is negative and it is not looked for.
  std::string beg = "0\n";
  for (int k = 1; k <= 168; k++) beg += "1\n";
  for (int k = 169; k <= 200; k++) beg += "2\n";
  TempDir d;
  std::string f = d.file("high.mesh");
  writeFile(f, indexText("A1\nHA\n\xe9X\nHX\n", 200, beg, 2));
  Mesh m;
  ASSERT_EQ(m.load(f.c_str()), 0);
  EXPECT_EQ(lookup(m, "A1"), "HA");
  EXPECT_EQ(lookup(m, "\xe9X"), "(null)");
}

TEST(Mesh, BuilderWithSynonymsOfHighBytes) {
  // Sorted as unsigned bytes the high synonym comes last; the buckets still cover every
  // other first letter, and the high one is not found.
  TempDir d;
  std::string flat = d.file("flat.txt"), idx = d.file("out.mesh");
  writeFile(flat, "NM   H1\nSY   ALPHA\nSY   \xe9TA\nNM   H2\nSY   BETA\nSY   CHI\n");
  Mesh m;
  testing::internal::CaptureStdout();
  ASSERT_EQ(m.readFlatMesh(flat.c_str()), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("\n numF  3 ks[ 0 ].Sy[ 0 ] 65\n"), std::string::npos) << out;
  EXPECT_EQ(lookup(m, "ALPHA"), "H1");
  EXPECT_EQ(lookup(m, "BETA"), "H2");
  EXPECT_EQ(lookup(m, "CHI"), "H2");
  EXPECT_EQ(lookup(m, "\xe9TA"), "(null)");
  ASSERT_EQ(m.save(idx.c_str()), 0);
  Mesh back;
  ASSERT_EQ(back.load(idx.c_str()), 0);
  EXPECT_EQ(back.num, 4);
  EXPECT_EQ(lookup(back, "CHI"), "H2");
}

TEST(MeshDeathTest, FileEndingInsideItsPairsExits111) {
  TempDir d;
  std::string f = d.file("short.mesh");
  writeFile(f, indexText("ATP BINDING\nNUCLEOTIDE-BINDING\nATPASE\n", 3, "0\n2\n2\n3\n", 3));
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        Mesh m;
        m.load(f.c_str());
      },
      testing::ExitedWithCode(111),
      "Not enouph room for loading mesh, index 1 from 3\n Mesh index file .*short.mesh is cut short: it ends "
      "inside pair 1 of 3");
}

TEST(Mesh, BuilderAndRoundTrip) {
  TempDir d;
  std::string flat = d.file("flat.txt"), idx = d.file("out.mesh");
  writeFile(flat,
            "SY   ORPHAN\n"             // no heading yet: skipped
            "NM   CELL CYCLE\nSY   CYCLE\n"
            "NM   HYDROLASE\nSY   ATPASE\n"
            "NM   NUCLEOTIDE-BINDING\nSY   ATP BINDING\nSY   ATP-BINDING\n"
            "NM   X\nSY\n");            // a tag without a value: the empty synonym sorts first
  Mesh m;
  testing::internal::CaptureStdout();
  ASSERT_EQ(m.readFlatMesh(flat.c_str()), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("\n Number of NM 4\n Number of SY 6\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n numF  68 ks[ 0 ].Sy[ 0 ] 0\n"), std::string::npos) << out;
  EXPECT_EQ(lookup(m, "ATP-BINDING"), "NUCLEOTIDE-BINDING");
  EXPECT_EQ(lookup(m, "CYCLE"), "CELL CYCLE");
  EXPECT_EQ(lookup(m, "ORPHAN"), "(null)");
  ASSERT_EQ(m.save(idx.c_str()), 0);
  // Load and save again: the same bytes.
  Mesh back;
  ASSERT_EQ(back.load(idx.c_str()), 0);
  std::string again = d.file("again.mesh");
  ASSERT_EQ(back.save(again.c_str()), 0);
  EXPECT_EQ(testutil::readFile(again), testutil::readFile(idx));
  EXPECT_EQ(lookup(back, "ATPASE"), "HYDROLASE");
  // The committed small index reproduces itself.
  Mesh small;
  ASSERT_EQ(small.load(testutil::dataPath("features/small.mesh").c_str()), 0);
  ASSERT_EQ(small.save(again.c_str()), 0);
  EXPECT_EQ(testutil::readFile(again), testutil::readFile(testutil::dataPath("features/small.mesh")));
}

TEST(Mesh, BuilderOfAnEmptyFile) {
  TempDir d;
  std::string flat = d.file("flat.txt");
  writeFile(flat, "NM   LONELY\n");
  Mesh m;
  testing::internal::CaptureStdout();
  ASSERT_EQ(m.readFlatMesh(flat.c_str()), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(m.num, 0);
  EXPECT_EQ(lookup(m, "LONELY"), "(null)");
  EXPECT_EQ(m.readFlatMesh(d.file("none").c_str()), 1);
}

// The example thesaurus index is the builder's output for the example flat file; with
// SEQ_UPDATE_GOLDEN=1 the test writes it anew.
TEST(Mesh, ExampleIndexIsTheBuildersOutput) {
  const std::string example = std::string(SEQ_TOOLS_DIR) + "/../example/";
  Mesh m;
  testing::internal::CaptureStdout();
  ASSERT_EQ(m.readFlatMesh((example + "thesaurus.txt").c_str()), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(m.num, 13);
  TempDir d;
  std::string built = d.file("thesaurus.mesh");
  ASSERT_EQ(m.save(built.c_str()), 0);
  if (getenv("SEQ_UPDATE_GOLDEN")) {
    ASSERT_EQ(m.save((example + "thesaurus.mesh").c_str()), 0);
  }
  EXPECT_EQ(testutil::readFile(built), testutil::readFile(example + "thesaurus.mesh"));
  Mesh loaded;
  ASSERT_EQ(loaded.load((example + "thesaurus.mesh").c_str()), 0);
  EXPECT_EQ(lookup(loaded, "DEHYDROGENASE"), "OXIDOREDUCTASE");
  EXPECT_EQ(lookup(loaded, "ATP-BINDING"), "NUCLEOTIDE-BINDING");
  EXPECT_EQ(lookup(loaded, "ZINC FINGER"), "ZINC-FINGER");
}
