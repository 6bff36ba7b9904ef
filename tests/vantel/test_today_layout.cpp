// orisk and vantel on a tiny bank written twice: in today's Swiss-Prot layout (labelled
// descriptions with evidence and other fields, uncertain feature positions, today's ID line)
// and in the older layout with the same names. Both must learn and predict the same, byte
// for byte, and no layout label, field or position may become a keyword or a feature name.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "testutil.h"

namespace {

const std::string kData = SEQ_TEST_DATA "/features/today/";
const std::string kBin = SEQ_BIN_DIR;

struct Outputs {
  std::string stat, pred;
};

int runIn(const std::string &dir, const std::string &cmd) {
  const int st = std::system(("cd '" + dir + "' && timeout 60 " + cmd + " >/dev/null").c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// Learns from m.txt over the bank (copied as b.sp) and predicts the first entry from q.mot.
Outputs learnAndPredict(const std::string &bank) {
  testutil::TempDir d;
  testutil::writeFile(d.file("b.sp"), testutil::readFile(kData + bank));
  for (const char *f : {"m.txt", "q.mot"})
    testutil::writeFile(d.file(f), testutil::readFile(kData + f));
  EXPECT_TRUE(testutil::makeIndex(d.file("b.sp")));
  EXPECT_EQ(runIn(d.path(), "'" + kBin + "/orisk' m.txt 0 20 1 s.sta -KW KW DE"), 0) << bank;
  EXPECT_EQ(runIn(d.path(), "'" + kBin + "/vantel' s.sta q.mot pred.txt"), 0) << bank;
  return {testutil::readFile(d.file("s.sta")),
          testutil::maskDate(testutil::readFile(d.file("pred.txt")))};
}

// Every name of the presence table of one type ("NAME;   marks" rows under its title).
std::vector<std::string> tableNames(const std::string &stat, const std::string &type) {
  std::vector<std::string> names;
  std::istringstream in(stat);
  std::string line;
  while (std::getline(in, line) && line.find("==  " + type + "  ==") == std::string::npos) {
  }
  std::getline(in, line);  // the closing rule of the title
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const size_t semi = line.find(';');
    if (semi == std::string::npos) break;
    const size_t b = line.find_first_not_of(' ');
    names.push_back(line.substr(b, semi - b));
  }
  return names;
}

}  // namespace

TEST(TodayLayout, LearnsAndPredictsNamesNotLabelsOrPositions) {
  const Outputs today = learnAndPredict("today.sp");
  EXPECT_EQ(tableNames(today.stat, "DE"),
            (std::vector<std::string>{"FLAVODOXIN", "FLAVODOXIN-1", "FLD", "CHAIN", "OPSIN", "RH2",
                                      "RH3", "OCELLAR"}));
  EXPECT_EQ(tableNames(today.stat, "FT"),
            (std::vector<std::string>{"CHAIN_FLAVODOXIN", "DOMAIN_FLAVODOXIN-LIKE",
                                      "CHAIN_OPSIN_RH2", "CHAIN_OPSIN_RH3"}));
  EXPECT_NE(today.stat.find("\n FLAVODOXIN DE_statistics"), std::string::npos);
  EXPECT_NE(today.pred.find("\nDE   FLAVODOXIN "), std::string::npos) << today.pred;
  EXPECT_NE(today.pred.find("\nFT   CHAIN FLAVODOXIN "), std::string::npos) << today.pred;
}

TEST(TodayLayout, OlderLayoutOfTheSameEntriesGivesTheSameFiles) {
  const Outputs today = learnAndPredict("today.sp"), older = learnAndPredict("older.sp");
  EXPECT_EQ(today.stat, older.stat);
  EXPECT_EQ(today.pred, older.pred);
}
