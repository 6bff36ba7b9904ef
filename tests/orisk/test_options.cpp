// The command line of orisk: which words are the power range, the result file and options,
// and what each option sets.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "orisk.h"

namespace {

// argv of the words given (the program name first); the strings live in the object.
struct Argv {
  std::vector<std::string> words;
  std::vector<char *> ptrs;
  Argv(std::initializer_list<const char *> w) : words(w.begin(), w.end()) {
    for (std::string &s : words) ptrs.push_back(&s[0]);
    ptrs.push_back(nullptr);
  }
  int argc() const { return (int)words.size(); }
  char **argv() { return ptrs.data(); }
};

OriskOptions parse(Argv &a, int first = 3) {
  OriskOptions o;
  getOptions(a.argc(), a.argv(), first, o);
  return o;
}

// For options whose values are copies (meshPath points into argv: see parse).
OriskOptions optionsOf(std::initializer_list<const char *> w, int first = 3) {
  Argv a(w);
  OriskOptions o = parse(a, first);
  o.meshPath = o.meshPath ? "(set)" : nullptr;
  return o;
}

TEST(PowRange, NumbersInAnyFormButAnOption) {
  EXPECT_TRUE(isPowNumber("0.5"));
  EXPECT_TRUE(isPowNumber(""));
  EXPECT_TRUE(isPowNumber("1.2.3"));
  for (const char *w : {"1e3", "+3", "nan"}) EXPECT_TRUE(isPowNumber(w)) << w;
  EXPECT_FALSE(isPowNumber("-1"));
  EXPECT_FALSE(isPowNumber("1e3x"));
  EXPECT_FALSE(isPowNumber("out"));
}

TEST(PowRange, DecisionMatrix) {
  struct Case {
    std::initializer_list<const char *> words;
    int kind;
  };
  const Case cases[] = {
      {{"orisk", "m", "0.5", "9", "0.2", "out"}, kRangeGiven},
      {{"orisk", "m", "0.5", "9", "0.2", "out", "-I"}, kRangeGiven},
      {{"orisk", "m", "out"}, kRangeEstimate},
      {{"orisk", "m", "out", "1", "2", "3"}, kRangeEstimate},
      // nan and inf stand where numbers do: readPowRange refuses them.
      {{"orisk", "m", "nan", "9", "0.2", "out"}, kRangeGiven},
      {{"orisk", "m", "0", "inf", "0.2", "out"}, kRangeGiven},
      {{"orisk", "m", "3e0", "50", "+1", "out"}, kRangeGiven},
      {{"orisk", "m", "/data/out"}, kRangeEstimate},
      {{"orisk", "m", "0.5", "out"}, kRangePartial},
      {{"orisk", "m", "0.5", "9", "out"}, kRangePartial},
      {{"orisk", "m", "123"}, kRangePartial},
      // Three numbers and no result name.
      {{"orisk", "m", "0", "9", "0.2"}, kRangePartial},
      {{"orisk", "m", "", "", ""}, kRangePartial},
      {{"orisk", "m", "", "", "", "out"}, kRangeGiven},
  };
  for (const Case &c : cases) {
    Argv a(c.words);
    EXPECT_EQ(powRangeKind(a.argc(), a.argv()), c.kind) << a.words.size() << " words, "
                                                         << a.words[2];
  }
}

TEST(PowRange, GivenRangeMustBeUsable) {
  struct Case {
    const char *min, *max, *step;
    int rc;
  };
  const Case cases[] = {
      {"0.5", "9", "0.2", 0}, {"0", "0", "1", 0},     {"1.2.3", "2", "0.1", 0},
      {"0", "9", "0", 1},     {"0", "9", "", 1},      {"9", "0.5", "0.2", 1},
      {"0", "1", "0.00001", 0},
      // A grid of more bins than a statistics file may hold.
      {"0", "1000", "0.0000001", 1},
  };
  for (const Case &c : cases) {
    Argv a({"orisk", "m", c.min, c.max, c.step, "out"});
    double mn, mx, st;
    EXPECT_EQ(readPowRange(a.argv(), mn, mx, st), c.rc) << c.min << " " << c.max << " " << c.step;
  }
  std::string huge(400, '9');
  Argv a({"orisk", "m", "0", huge.c_str(), "1", "out"});
  double mn, mx, st;
  EXPECT_EQ(readPowRange(a.argv(), mn, mx, st), 1);
  Argv b({"orisk", "m", "0.5", "9", "0.2", "out"});
  ASSERT_EQ(readPowRange(b.argv(), mn, mx, st), 0);
  EXPECT_EQ(mn, 0.5);
  EXPECT_EQ(mx, 9.0);
  EXPECT_EQ(st, 0.2);
}

TEST(Options, Defaults) {
  OriskOptions o = optionsOf({"orisk", "m", "out"});
  EXPECT_EQ(o.numKW, 0);
  EXPECT_EQ(o.meshPath, nullptr);
  EXPECT_EQ(o.zerInfMot, 0);
  EXPECT_EQ(o.divSegm, 0);
  EXPECT_EQ(o.numSegm, 3);
  EXPECT_EQ(o.minPart, 0.3);
  EXPECT_FALSE(o.hasCol);
  EXPECT_EQ(o.fullPxx, 0);
  EXPECT_EQ(o.paramType, 0);
}

TEST(Options, KeywordTypesWithTheCommentTopics) {
  OriskOptions o = optionsOf({"orisk", "m", "out", "-KW", "KW", "CC", "DE", "-I", "XX"});
  ASSERT_EQ(o.numKW, 11);
  ASSERT_EQ(o.KW.size(), 11u);
  EXPECT_EQ(o.KW[0], "KW");
  EXPECT_EQ(o.KW[1], "CC   -!- FUNCTION:");
  EXPECT_EQ(o.KW[3], "CC   -!- TISSUE SPECIFICITY:");
  EXPECT_EQ(o.KW[7], "CC   -!- DISEASE:");
  EXPECT_EQ(o.KW[9], "CC   -!- ALTERNATIVE PRODUCTS:");
  EXPECT_EQ(o.KW[10], "DE");
  // Scanning goes on after the types.
  EXPECT_EQ(o.zerInfMot, 1);
}

TEST(Options, KeywordOptionForms) {
  // "KW" is a case-sensitive prefix; '/' marks an option too; a second -KW appends.
  OriskOptions o = optionsOf({"orisk", "m", "out", "-KWx", "KW", "/KW", "DE", "-KW", "OS"});
  ASSERT_EQ(o.numKW, 3);
  EXPECT_EQ(o.KW[0], "KW");
  EXPECT_EQ(o.KW[1], "DE");
  EXPECT_EQ(o.KW[2], "OS");
  OriskOptions k = optionsOf({"orisk", "m", "out", "-kw", "KW"});
  EXPECT_EQ(k.numKW, 0);
  OriskOptions e = optionsOf({"orisk", "m", "out", "-KW"});
  EXPECT_EQ(e.numKW, 0);
  EXPECT_TRUE(e.KW.empty());
}

TEST(Options, LettersInEitherCase) {
  Argv a({"orisk", "m", "out", "-i", "/f", "-h", "-m", "mesh.idx", "-c", "col.txt", "-x"});
  OriskOptions o = parse(a);
  EXPECT_EQ(o.zerInfMot, 1);
  EXPECT_EQ(o.fullPxx, 1);
  EXPECT_EQ(o.paramType, 1);
  ASSERT_NE(o.meshPath, nullptr);
  EXPECT_STREQ(o.meshPath, "mesh.idx");
  EXPECT_TRUE(o.hasCol);
  EXPECT_EQ(o.writeCol, "col.txt");
}

TEST(Options, ValueWordsAreNeverOptions) {
  Argv a({"orisk", "m", "out", "-C", "-I", "-M", "/home/mesh", "-D", "-H"});
  OriskOptions o = parse(a);
  EXPECT_TRUE(o.hasCol);
  EXPECT_EQ(o.writeCol, "-I");
  EXPECT_EQ(o.zerInfMot, 0);
  EXPECT_STREQ(o.meshPath, "/home/mesh");
  EXPECT_EQ(o.paramType, 0);
  // "-H" was the value of -D: no "mon", no '_', numSegm from its fourth character (none).
  EXPECT_EQ(o.divSegm, 0);
  EXPECT_EQ(o.numSegm, 0);
}

TEST(Options, ValueMissingAtTheEnd) {
  EXPECT_FALSE(optionsOf({"orisk", "m", "out", "-C"}).hasCol);
  EXPECT_EQ(optionsOf({"orisk", "m", "out", "-M"}).meshPath, nullptr);
  OriskOptions d = optionsOf({"orisk", "m", "out", "-D"});
  EXPECT_EQ(d.divSegm, 0);
  EXPECT_EQ(d.numSegm, 3);
  EXPECT_EQ(d.minPart, 0.3);
}

TEST(Options, FileNamePositionsAreNotOptions) {
  // The motif path and the result name come before `first`.
  OriskOptions o = optionsOf({"orisk", "/home/m.mot", "/data/out", "-F"});
  EXPECT_EQ(o.paramType, 0);
  EXPECT_EQ(o.fullPxx, 1);
  OriskOptions r = optionsOf({"orisk", "/mnt/m.mot", "0", "9", "1", "/dd/out", "-I"}, 6);
  EXPECT_EQ(r.meshPath, nullptr);
  EXPECT_EQ(r.zerInfMot, 1);
}

TEST(Options, Segmentation) {
  struct Case {
    const char *value;
    int divSegm, numSegm;
    double minPart;
  };
  const Case cases[] = {
      {"equ5_20", 0, 5, 0.2}, {"mon4", 1, 4, 0.3},  {"mon9", 1, 9, 0.3},   {"equ5", 0, 5, 0.3},
      {"eq", 0, 0, 0.3},      {"mon", 1, 0, 0.3},   {"x_50", 0, 0, 0.5},   {"equ", 0, 0, 0.3},
      {"equ7_", 0, 7, 0.0},   {"abc12_3", 0, 12, 0.03},
  };
  for (const Case &c : cases) {
    OriskOptions o = optionsOf({"orisk", "m", "out", "-D", c.value});
    EXPECT_EQ(o.divSegm, c.divSegm) << c.value;
    EXPECT_EQ(o.numSegm, c.numSegm) << c.value;
    EXPECT_DOUBLE_EQ(o.minPart, c.minPart) << c.value;
  }
}

}  // namespace
