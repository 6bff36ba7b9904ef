// orisk and vantel learn and predict byte for byte the same from a tiny bank in today's Swiss-Prot
// layout and in the older one: no label, field or position becomes a keyword or feature name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "testutil.h"

namespace {

const std::string kData = SEQ_TEST_DATA "/features/today/";

// The statistics and the prediction (date masked) learned from m.txt over the bank as b.sp.
std::string learnAndPredict(const std::string &bank) {
  testutil::TempDir d;
  testutil::writeFile(d.file("b.sp"), testutil::readFile(kData + bank));
  for (const char *f : {"m.txt", "q.mot"})
    testutil::writeFile(d.file(f), testutil::readFile(kData + f));
  EXPECT_TRUE(testutil::makeIndex(d.file("b.sp")));
  const std::string cd = "cd '" + d.path() + "' && '" SEQ_BIN_DIR;
  EXPECT_EQ(std::system((cd + "/orisk' m.txt 0 20 1 s.sta -KW KW DE >/dev/null").c_str()), 0);
  EXPECT_EQ(std::system((cd + "/vantel' s.sta q.mot pred.txt >/dev/null").c_str()), 0);
  return testutil::readFile(d.file("s.sta")) +
         testutil::maskDate(testutil::readFile(d.file("pred.txt")));
}

}  // namespace

TEST(TodayLayout, LearnsAndPredictsAsTheOlderLayout) {
  const std::string today = learnAndPredict("today.sp");
  EXPECT_EQ(today, learnAndPredict("older.sp"));
  EXPECT_NE(today.find("\n FLAVODOXIN DE_statistics"), std::string::npos);
  EXPECT_NE(today.find("\nDE   FLAVODOXIN "), std::string::npos);
  EXPECT_NE(today.find("\nFT   CHAIN FLAVODOXIN "), std::string::npos);
}
