// Keyword and feature extraction over every entry of the public Swiss-Prot, EMBL and GenBank
// sample files (read in place): keywords and feature types come out where the entry has
// them, and every feature range lies inside the entry.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "feat_tab.h"
#include "seqinfo.h"
#include "testutil.h"

namespace fs = std::filesystem;

namespace {

struct Totals {
  int entries = 0, withKeywords = 0, withFeatures = 0, ranges = 0;
};

// Runs the extraction over every entry of one bank, as the learner does.
Totals extractAll(const std::string &path, const char *types) {
  Totals t;
  testutil::TempDir dir;
  std::string link = dir.file(fs::path(path).filename().string());
  fs::create_symlink(path, link);
  if (!testutil::makeIndex(link)) {  // not a bank (an index or a list of the sample set)
    t.entries = -1;
    return t;
  }
  std::vector<ftInfo *> ft(kMaxKeys, nullptr);
  std::vector<char *> kw(kMaxKeys, nullptr);
  std::vector<int> sign(kMaxKeys, 0);
  int numFt = 0, numKw = 0;
  int beg[SeqInfo::kMaxRanges], end[SeqInfo::kMaxRanges];
  for (int k = 0;; k++) {
    SeqInfo info;
    if (!info.readSeq(link.c_str(), k)) break;
    t.entries++;
    const int len = info.getLen();
    bool goodFeature = false, countable = false;
    for (int j = 0; j < info.getNum(); j++) {
      if (!info.isFT(j, "")) continue;
      const int n = info.getBegEndFT(j, beg, end);
      const char *key = info[j] + 5 + strspn(info[j] + 5, " ");
      const size_t keyLen = strcspn(key, " ");
      countable |= n > 0 && keyLen > 0 && !ftIsBad(key, (int)keyLen);
      for (int r = 0; r < n; r++) {
        t.ranges++;
        EXPECT_LE(1, beg[r]) << path << " " << k << ": " << info[j];
        EXPECT_LE(beg[r], end[r]) << path << " " << k << ": " << info[j];
        EXPECT_LE(end[r], len) << path << " " << k << ": " << info[j];
        if (addFT(numFt, ft.data(), info[j], end[r] - beg[r] + 1) >= 0) goodFeature = true;
      }
    }
    if (goodFeature) t.withFeatures++;
    // An entry with a feature line of a counted key and a range gives a feature type, and
    // its list of feature keys is not empty.
    if (countable) {
      EXPECT_TRUE(goodFeature) << path << " " << k;
      char *keys = info.getKW(info.getFormat() == 3 ? "FE" : "FT");
      EXPECT_TRUE(keys && strlen(keys) > 1) << path << " " << k;
      delete[] keys;
    }
    int n = 0;
    char **list = getKWList(&info, nullptr, n, types);
    char *text = info.getKW("KW");
    bool hasLetters = false;
    for (const char *c = text ? text : ""; *c; c++) hasLetters |= (*c >= 'A' && *c <= 'Z');
    delete[] text;
    if (hasLetters) {
      EXPECT_GT(n, 0) << path << " " << k;
    }
    if (n > 0) t.withKeywords++;
    addKW(numKw, kw.data(), list, n, sign.data());
    for (int i = 0; i < n; i++) delete[] list[i];
    delete[] list;
  }
  for (int i = 0; i < numFt; i++) delete ft[i];
  for (int i = 0; i < numKw; i++) delete[] kw[i];
  return t;
}

const std::string kEmboss = "/usr/share/EMBOSS/test";

}  // namespace

TEST(RealFiles, SwissProtEntriesGiveKeywordsAndFeatures) {
  std::string path = kEmboss + "/swiss/seq.dat";
  if (!fs::exists(path)) GTEST_SKIP() << path << " is not installed";
  Totals t = extractAll(path, "KW_DE");
  EXPECT_EQ(t.entries, 100);
  EXPECT_EQ(t.withKeywords, t.entries);
  EXPECT_GT(t.withFeatures, 90);
  EXPECT_GT(t.ranges, 500);
}

TEST(RealFiles, EmblAndGenBankEntriesAreReadSafely) {
  int files = 0;
  for (const char *dir : {"/embl", "/genbank"}) {
    std::string d = kEmboss + dir;
    if (!fs::exists(d)) continue;
    Totals all;
    for (const auto &e : fs::directory_iterator(d)) {
      std::string p = e.path().string();
      bool bank = e.path().extension() == (std::string(dir) == "/embl" ? ".dat" : ".seq");
      if (!bank) continue;
      Totals t = extractAll(p, "KW_DE_OS");
      if (t.entries < 0) continue;
      EXPECT_GT(t.entries, 0) << p;
      all.entries += t.entries;
      all.withKeywords += t.withKeywords;
      all.withFeatures += t.withFeatures;
      all.ranges += t.ranges;
      files++;
    }
    if (all.entries == 0) continue;
    EXPECT_GT(all.withKeywords, all.entries / 2) << dir;
    EXPECT_GT(all.withFeatures, all.entries / 2) << dir;
    EXPECT_GT(all.ranges, all.entries) << dir;
  }
  if (files == 0) GTEST_SKIP() << "the EMBL and GenBank samples are not installed";
}
