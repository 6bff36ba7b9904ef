// Real data: the Swiss-Prot file of Debian's emboss-test (read in place, its index made in a
// scratch directory) searched against itself; orisk learns keyword statistics from every
// supermotif but those of one entry that has homologs in the file, and vantel, run on that
// entry's own supermotifs, predicts keywords of its real KW line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "testutil.h"

namespace {

namespace fs = std::filesystem;

const char kSwiss[] = "/usr/share/EMBOSS/test/swiss/seq.dat";
const std::string kBin = SEQ_BIN_DIR;

int runIn(const std::string &dir, const std::string &cmd) {
  const int st = std::system(("cd '" + dir + "' && timeout 300 " + cmd + " >/dev/null").c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// Entry number and keywords (upper case) of the entry named id.
int entryOf(const std::string &id, std::set<std::string> &kw) {
  std::ifstream in(kSwiss);
  int n = -1;
  bool inside = false;
  std::string kwText;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("ID   ", 0) == 0) {
      n++;
      inside = line.compare(5, id.size() + 1, id + " ") == 0;
    } else if (inside && line.rfind("KW   ", 0) == 0) {
      kwText += " " + line.substr(5);
    } else if (inside && line == "//") {
      break;
    }
  }
  std::stringstream ss(kwText);
  for (std::string k; std::getline(ss, k, ';');) {
    const size_t b = k.find_first_not_of(" "), e = k.find_last_not_of(" .");
    if (b == std::string::npos || e < b) continue;
    std::string w = k.substr(b, e - b + 1);
    for (char &c : w) c = (char)toupper((unsigned char)c);
    kw.insert(w);
  }
  return inside ? n : -1;
}

}  // namespace

TEST(VantelRealData, PredictsKeywordsOfALeftOutEntry) {
  if (!fs::exists(kSwiss)) GTEST_SKIP() << "emboss-test is not installed";
  if (!fs::exists(kBin + "/orisk")) GTEST_SKIP() << "orisk is not built";
  testutil::TempDir d;
  const std::string dir = d.path();
  fs::create_symlink(kSwiss, d.file("seq.dat"));
  ASSERT_TRUE(testutil::makeIndex(d.file("seq.dat")));
  for (const char *f : {"params.txt", "colors.txt", "code.txt"})
    fs::copy_file(std::string(SEQ_TOOLS_DIR) + "/../example/" + f, d.file(f));
  testutil::writeFile(d.file("banks.lst"), "seq.dat\n");
  ASSERT_EQ(runIn(dir, "'" + kBin + "/search' params.txt banks.lst seq.dat all.mot"), 0);

  std::set<std::string> truth;
  const int k = entryOf("ACTB1_TAKRU", truth);
  ASSERT_GE(k, 0);
  ASSERT_FALSE(truth.empty());

  // Supermotif blocks split by query entry; the left-out entry's self hit is dropped, and
  // it takes no part in the learning on either side.
  std::ifstream in(d.file("all.mot"));
  std::ofstream train(d.file("train.mot")), test(d.file("test.mot"));
  test << "Query: ACTB1_TAKRU\n\n";
  std::ofstream *to = nullptr;
  int homologs = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Supermotif", 0) == 0) {
      std::stringstream ss(line);
      std::string tag, qAdr, bAdr;
      int qNum, bNum;
      ss >> tag >> qAdr >> qNum >> bAdr >> bNum;
      to = qNum == k && bNum != k ? &test : (qNum != k && bNum != k ? &train : nullptr);
      homologs += to == &test;
    } else if (line.empty() || line.find('\'') == std::string::npos) {
      to = nullptr;
    }
    if (to) *to << line << "\n";
  }
  train.close();
  test.close();
  ASSERT_GE(homologs, 3) << "the entry has homologs in the file";

  ASSERT_EQ(runIn(dir, "'" + kBin + "/orisk' train.mot stat.sta -KW KW"), 0);
  ASSERT_EQ(runIn(dir, "'" + kBin + "/vantel' stat.sta test.mot pred.txt"), 0);
  std::ifstream pred(d.file("pred.txt"));
  std::set<std::string> predicted;
  for (std::string line; std::getline(pred, line);)
    if (line.rfind("KW   ", 0) == 0) {
      std::string w = line.substr(5, 45);
      w.erase(w.find_last_not_of(' ') + 1);
      predicted.insert(w);
    }
  int right = 0;
  for (const std::string &w : predicted) right += truth.count(w);
  EXPECT_GE(right, 3) << "predicted " << predicted.size() << " keywords";
}
