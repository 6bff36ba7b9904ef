// Keyword and feature extraction: word trimming and matching, keyword lists with the
// thesaurus, the stop words, feature types and their summary rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bad_word.h"
#include "feat_tab.h"
#include "mesh.h"
#include "motif.h"
#include "seqinfo.h"
#include "testutil.h"

namespace {

std::vector<std::string> takeList(char **list, int n) {
  std::vector<std::string> r;
  for (int i = 0; i < n; i++) {
    r.push_back(list[i]);
    delete[] list[i];
  }
  delete[] list;
  return r;
}

std::vector<std::string> items(const std::string &text, const char *type, Mesh *mesh = nullptr) {
  std::string buf = text;
  int n = -1;
  char **list = getKWitems(&buf[0], mesh, n, type);
  return takeList(list, n);
}

std::string trimmed(const std::string &word, int *ret) {
  std::string buf = word;
  char *w = &buf[0];
  *ret = clrEdge(w);
  return w;
}

// Header lines as a Swiss-Prot reader keeps them (upper case).
void swissInfo(SeqInfo &info, const std::string &text) {
  FILE *f = testutil::streamOf(text);
  info.readSwis(f);
  fclose(f);
}

class Thesaurus : public testing::Test {
 protected:
  Mesh mesh;
  void SetUp() override {
    ASSERT_EQ(mesh.load(testutil::dataPath("features/small.mesh").c_str()), 0);
  }
};

}  // namespace

TEST(FeatTab, ClrEdge) {
  struct Case {
    const char *in, *out;
    int ret;
  } cases[] = {
      {"(ATP-BINDING).", "ATP-BINDING", 1}, {"A.", "A", 0},     {"....", "", 0},
      {")))", "", 0},                       {"-ALPHA-", "ALPHA", 1}, {"", "", 0},
      {"[{(x:y)}]", "X:Y", 1},              {"  AB  ", "AB", 1},     {"(.", "", 0},
  };
  for (const Case &c : cases) {
    int ret = -1;
    std::string in = c.in;
    if (std::string(c.in) == "[{(x:y)}]") in = "[{(X:Y)}]";
    EXPECT_EQ(trimmed(in, &ret), c.out) << c.in;
    EXPECT_EQ(ret, c.ret) << c.in;
  }
}

TEST(FeatTab, StrtokKeepsItsPlaceInTheCursor) {
  std::string buf = "__KW_DE\n";
  char *cur = &buf[0];
  EXPECT_STREQ(_strtok(cur, "_\n"), "KW");
  EXPECT_STREQ(_strtok(cur, "_\n"), "DE");
  EXPECT_EQ(_strtok(cur, "_\n"), nullptr);
  EXPECT_EQ(*cur, '\0');  // on the terminator, not past it
  EXPECT_EQ(_strtok(cur, "_\n"), nullptr);
  std::string last = "ONE";
  cur = &last[0];
  EXPECT_STREQ(_strtok(cur, " "), "ONE");
  EXPECT_EQ(cur, &last[0] + 3);
}

TEST(FeatTab, FirInsidSec) {
  EXPECT_EQ(firInsidSec("PROTEIN KINASE", "KINASES OF PROTEINS"), 1);
  EXPECT_EQ(firInsidSec("CELL", "CELLS"), 0);       // short words must be equal
  EXPECT_EQ(firInsidSec("CELLS", "CELL"), 0);
  EXPECT_EQ(firInsidSec("KINASES", "KINASE"), 0);   // a longer word is no prefix
  EXPECT_EQ(firInsidSec("", "ANY TEXT"), 1);
  EXPECT_EQ(firInsidSec(" ;:-", "ANY"), 1);
  EXPECT_EQ(firInsidSec("WORD", ""), 0);
  EXPECT_EQ(firInsidSec("ATP-BINDING", "ATP BINDING"), 1);
  EXPECT_EQ(firInsidSec("ATP BINDING", "ATP-BINDING"), 1);
  EXPECT_EQ(firInsidSec("kinase", "KINASE"), 0);    // case-sensitive
  EXPECT_EQ(firInsidSec("A\tB", "A\tB"), 1);        // the tab is no delimiter: one word
  EXPECT_EQ(firInsidSec("ZINC;IRON", "IRON:ZINC"), 1);
}

TEST(FeatTab, KeywordItemsOfPhraseAndWordTypes) {
  EXPECT_EQ(items("TRANSPORT; ATP-BINDING; ZINC.", "KW"),
            (std::vector<std::string>{"TRANSPORT", "ATP-BINDING", "ZINC"}));
  EXPECT_EQ(items("ALPHA CHAIN (FRAGMENT)", "DE"),
            (std::vector<std::string>{"ALPHA", "CHAIN", "FRAGMENT"}));
  EXPECT_EQ(items("CELL CYCLE; CELL   DIVISION.", "KW"),
            (std::vector<std::string>{"CELL CYCLE", "CELL DIVISION"}));
  // Duplicates ignoring case: the first one stays.
  EXPECT_EQ(items("Zinc; ZINC; zinc", "KE"), (std::vector<std::string>{"Zinc"}));
  EXPECT_EQ(items("A; .; ()", "KW"), (std::vector<std::string>{}));
  EXPECT_EQ(items("X Y; AB C", "KS"), (std::vector<std::string>{"AB"}));
}

TEST_F(Thesaurus, WholeSegmentAndWordHits) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(items("ATPASE; CYCLE", "KW", &mesh),
            (std::vector<std::string>{"HYDROLASE", "CELL CYCLE"}));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Synonym\nSynonym\n");
  // A word hit inside a phrase replaces the word and prints nothing.
  testing::internal::CaptureStdout();
  EXPECT_EQ(items("CYCLE PHASE", "KW", &mesh), (std::vector<std::string>{"CELL CYCLE PHASE"}));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  // A word hit in a word-by-word type prints the other spelling.
  testing::internal::CaptureStdout();
  EXPECT_EQ(items("PUTATIVE ATPASE SUBUNIT", "DE", &mesh),
            (std::vector<std::string>{"PUTATIVE", "HYDROLASE", "SUBUNIT"}));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Synonim\n");
}

TEST_F(Thesaurus, ListOverTypesDropsOnlyExactDuplicates) {
  SeqInfo info;
  swissInfo(info,
            "ID   X  STANDARD;  PRT;  10 AA.\nDE   ATPASE ALPHA (EC 3.6.1.3).\n"
            "KW   HYDROLASE; ATP-BINDING.\nSQ   SEQUENCE\n");
  int n = -1;
  testing::internal::CaptureStdout();
  char **list = getKWList(&info, &mesh, n, "KW_DE\nOS");
  std::string out = testing::internal::GetCapturedStdout();
  // HYDROLASE from DE equals the KW item exactly and is dropped.
  EXPECT_EQ(takeList(list, n),
            (std::vector<std::string>{"HYDROLASE", "ATP-BINDING", "ALPHA", "EC", "3.6.1.3"}));
  EXPECT_EQ(out, "Synonim\n");
  n = -1;
  EXPECT_EQ(getKWList(&info, nullptr, n, "OS_CC"), nullptr);
  EXPECT_EQ(n, 0);
  // Across types, items that differ in case are both kept.
  swissInfo(info, "ID   X  STANDARD;  PRT;  10 AA.\nDE   ZINC.\nKW   Zinc.\nSQ   S\n");
  list = getKWList(&info, nullptr, n, "KW_DE");
  EXPECT_EQ(takeList(list, n), (std::vector<std::string>{"Zinc", "ZINC"}));
}

// Today's description layout gives the values of its Full= and Short= fields only; a text
// without its labels, or of another type, is read as before.
TEST(FeatTab, DescriptionLayouts) {
  struct Case { const char *type, *lines; std::vector<std::string> kw; } cases[] = {
      {"DE", "DE   RecName: Full=Flavodoxin {ECO:0000250|UniProtKB:P00323};\nDE   AltName: "
             "Full=Flavodoxin-1;\nDE            Short=FLD;\nDE            EC=1.4.1.1;\n"
             "DE   Flags: Precursor;\n",
       {"Flavodoxin", "Flavodoxin-1", "FLD"}},
      {"DE", "DE   SUBNAME: FULL=ACTIN;\nDE   CONTAINS:\nDE     RECNAME: FULL=ALPHA KINASE;\n"
             "DE   ALTNAME: ALLERGEN=X 1; CD_ANTIGEN=CD9; INN=Y; BIOTECH=Z;\n",
       {"ACTIN", "ALPHA", "KINASE"}},
      {"DE", "DEFull=Alpha; AltName: Biotech=ArtFull=X; Short=;Full= {E};Short=Beta {ECO:0\n",
       {"Alpha", "Beta"}},
      {"DE", "DE   Full=length protein (FLD).\n", {"Full=length", "protein", "FLD"}},
      {"KW", "KW   RecName: Full=X.\n", {"RecName", "Full=X"}},
  };
  for (const Case &c : cases) {
    SeqInfo info;
    swissInfo(info, std::string("ID   X  STANDARD;  PRT;  10 AA.\n") + c.lines + "SQ   S\n");
    int n = -1;
    char **list = getKWList(&info, nullptr, n, c.type);
    EXPECT_EQ(takeList(list, n), c.kw) << c.lines;
  }
}

TEST(FeatTab, StopWordsAndMerging) {
  EXPECT_EQ(isBadWord("THE"), 1);
  EXPECT_EQ(isBadWord("with"), 1);
  EXPECT_EQ(isBadWord("3d-Structure"), 1);
  EXPECT_EQ(isBadWord("KINASE"), 0);
  EXPECT_EQ(isBadWord("THE "), 0);
  int words = 0;
  for (const char *const *w = badKW; *w; w++, words++) {
    size_t n = strlen(*w);
    EXPECT_TRUE(n >= 2 && n <= 27) << *w;
    EXPECT_EQ(isBadWord(*w), 1) << *w;
    for (const char *c = *w; *c; c++) EXPECT_FALSE(*c >= 'a' && *c <= 'z') << *w;
  }
  EXPECT_GE(words, 500);
  EXPECT_LE(words, 2000);
  EXPECT_EQ(kwIsBad("AND"), 1);
  EXPECT_EQ(kwIsBad(""), 1);
  EXPECT_EQ(kwIsBad("1.2.3"), 1);
  EXPECT_EQ(kwIsBad("ZINC"), 0);

  std::vector<char *> dst(kMaxKeys, nullptr);
  std::vector<int> sign(kMaxKeys, 0);
  int num = 0;
  const char *first[] = {"PROTEIN KINASE", "THE", "1.2.3", "ZINC"};
  addKW(num, dst.data(), const_cast<char **>(first), 4, sign.data());
  ASSERT_EQ(num, 2);
  EXPECT_STREQ(dst[0], "PROTEIN KINASE");
  EXPECT_STREQ(dst[1], "ZINC");
  EXPECT_EQ(sign[0] + sign[1], 2);
  sign.assign(kMaxKeys, 0);
  // Matches in both directions mark the existing keyword instead of adding one.
  const char *second[] = {"KINASE PROTEIN", "ZINC FINGER", "With"};
  addKW(num, dst.data(), const_cast<char **>(second), 3, sign.data());
  ASSERT_EQ(num, 3);
  EXPECT_EQ(sign[0], 1);
  EXPECT_EQ(sign[1], 0);
  EXPECT_STREQ(dst[2], "ZINC FINGER");
  // A keyword added by this call is matched by a later one of the same call; words of 6
  // characters or more match as prefixes, shorter ones only whole.
  sign.assign(kMaxKeys, 0);
  const char *third[] = {"FINGER-ZINC", "ALPHA BETA", "BETA ALPHA", "ZINC FINGERS", "ALPHA BET"};
  addKW(num, dst.data(), const_cast<char **>(third), 5, sign.data());
  ASSERT_EQ(num, 6);
  EXPECT_EQ(std::vector<int>(sign.begin(), sign.begin() + 6), (std::vector<int>{0, 0, 1, 1, 1, 1}));
  EXPECT_STREQ(dst[3], "ALPHA BETA");
  EXPECT_STREQ(dst[4], "ZINC FINGERS");
  EXPECT_STREQ(dst[5], "ALPHA BET");
  for (int i = 0; i < num; i++) delete[] dst[i];
}

TEST(FeatTab, KeywordTableRefusesPastItsCap) {
  std::vector<char *> dst(kMaxKeys, nullptr);
  std::vector<int> sign(kMaxKeys + 1, 0);
  std::vector<std::string> words;
  for (int i = 0; i <= kMaxKeys; i++) {
    std::string w;
    for (int k = i; k > 0 || w.empty(); k /= 26) w += (char)('A' + k % 26);
    words.push_back("KW" + w);
  }
  std::vector<char *> src;
  for (std::string &w : words) src.push_back(&w[0]);
  int num = 0;
  // Feed them in slices, as a learner would one sequence after another.
  testing::internal::CaptureStdout();
  for (size_t at = 0; at < src.size(); at += 500) {
    int n = (int)std::min<size_t>(500, src.size() - at);
    addKW(num, dst.data(), src.data() + at, n, sign.data());
  }
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(num, kMaxKeys);
  EXPECT_EQ(sign[kMaxKeys], 0);
  EXPECT_NE(out.find("Too many keywords"), std::string::npos);
  for (int i = 0; i < num; i++) delete[] dst[i];
}

TEST(FeatTab, Hypothetical) {
  SeqInfo info;
  swissInfo(info, "ID   X  STANDARD;  PRT;  10 AA.\nDE   HYPOTHETICAL 12 KDA PROTEIN.\nSQ   S\n");
  const char *de[] = {"DE"}, *kw[] = {"KW"};
  EXPECT_EQ(isHypoth(&info, 1, de), 1);
  EXPECT_EQ(isHypoth(&info, 1, kw), 0);
  EXPECT_EQ(isHypoth(&info, 0, de), 0);
  swissInfo(info, "ID   X  STANDARD;  PRT;  10 AA.\nDE   SORFIN.\nSQ   S\n");
  EXPECT_EQ(isHypoth(&info, 1, de), 1);  // ORF inside a longer word
}

TEST(FeatTab, FeatureTypesAndSummaryRow) {
  std::vector<ftInfo *> info(kMaxKeys, nullptr);
  int num = 0;
  EXPECT_EQ(addFT(num, info.data(), "FT   SOURCE      1     10", 10), -1);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(addFT(num, info.data(), "FT   DOMAIN     10     50       KRINGLE 1.", 41), 0);
  EXPECT_STREQ(info[0]->Name, "DOMAIN_KRINGLE_1");
  EXPECT_EQ(addFT(num, info.data(), "FT   DISULFID   12     30", 1), 1);
  EXPECT_EQ(addFT(num, info.data(), "FT   DOMAIN     80    100       KRINGLE 1.", 21), 0);
  EXPECT_EQ(info[0]->Dens, 62);
  // Today's layout: the key alone, whatever the positions.
  EXPECT_EQ(addFT(num, info.data(), "FT   DOMAIN          25..282", 258), 2);
  EXPECT_STREQ(info[2]->Name, "DOMAIN");
  // GenBank layout: the first five columns are skipped.
  EXPECT_EQ(addFT(num, info.data(), "     CDS             1..300", 300), 3);
  EXPECT_STREQ(info[3]->Name, "CDS");
  EXPECT_EQ(addFT(num, info.data(), "FT", 5), 4);  // a bare tag gives an empty name
  EXPECT_EQ(addFT(num, info.data(), "abc", 1), 4);
  EXPECT_EQ(ftIsBad("conflict", 8), 1);
  EXPECT_EQ(ftIsBad("CONFLICTS", 9), 0);
  EXPECT_EQ(ftIsBad("VARIANT", 6), 0);

  info[0]->plus(200);
  info[0]->plus(100);
  std::string row = testutil::writtenBy([&](FILE *f) { info[0]->printf(f, 4); });
  EXPECT_EQ(row, "\n DOMAIN_KRINGLE_1      50.00           300    20.67");
  for (int i = 0; i < num; i++) delete info[i];
}

TEST(FeatTab, FeatureTableRefusesPastItsCap) {
  std::vector<ftInfo *> info(kMaxKeys, nullptr);
  int num = 0;
  testing::internal::CaptureStdout();
  for (int i = 0; i <= kMaxKeys; i++) {
    std::string line = "FT   K" + std::to_string(i) + "   1   2";
    int idx = addFT(num, info.data(), line.c_str(), 2);
    EXPECT_EQ(idx, i < kMaxKeys ? i : -1);
  }
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Too many feature types"), std::string::npos);
  EXPECT_EQ(num, kMaxKeys);
  for (int i = 0; i < num; i++) delete info[i];
}

TEST(FeatTab, SideOfASupermotif) {
  Supermotif s;
  s.qAdr = new char[4];
  strcpy(s.qAdr, "q.f");
  s.qNum = 3;
  s.bAdr = new char[4];
  strcpy(s.bAdr, "b.f");
  s.bNum = 7;
  EXPECT_EQ(is(&s, "q.f", 3), 1);
  EXPECT_EQ(is(&s, "b.f", 7), 2);
  EXPECT_EQ(is(&s, "b.f", 3), 0);
  EXPECT_EQ(is(&s, "q.fa", 3), 0);
}

TEST(FeatTab, HelpersNoProgramCalls) {
  const char *keys[] = {"PROTEIN KINASE C", "ZINC"};
  char **k = const_cast<char **>(keys);
  EXPECT_DOUBLE_EQ(getWordScore(2, k, "ZINC"), 1.0);
  EXPECT_DOUBLE_EQ(getWordScore(2, k, "KINASE C"), 2.0 / 3);
  EXPECT_DOUBLE_EQ(getWordScore(2, k, "KIN"), 0.0);  // not a whole word
  EXPECT_DOUBLE_EQ(getWordScore(1, k, "A B C D"), 0.0);  // more words than the key

  int n = 0;
  int *lens = nullptr;
  char **words = toList(" AB\tCDE\n", n, lens);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(lens[1], 3);
  delete[] lens;
  int resNum = 1;
  const char *add[] = {"AB", "XY"};
  char **res = new char *[1];
  res[0] = new char[3];
  strcpy(res[0], "XY");
  res = joinList(res, resNum, words, 2);
  res = joinList(res, resNum, const_cast<char **>(add), 2);
  EXPECT_EQ(takeList(res, resNum), (std::vector<std::string>{"XY", "AB", "CDE"}));
  takeList(words, n);
  int zero = 0;
  EXPECT_EQ(joinList(nullptr, zero, nullptr, 0), nullptr);

  char *list = addItem(nullptr, "A");
  list = addItem(list, "B");
  EXPECT_STREQ(list, "A B");
  delete[] list;
}

// The example thesaurus over the example bank: every synonym that the bank's keyword lines
// or descriptions hold is replaced by its main heading, with the progress line of its kind.
TEST(FeatTab, ExampleThesaurusOverTheExampleBank) {
  const std::string example = std::string(SEQ_TOOLS_DIR) + "/../example/";
  Mesh mesh;
  ASSERT_EQ(mesh.load((example + "thesaurus.mesh").c_str()), 0);
  const std::string bank = example + "bank.dat";
  int entries = 0, atpKW = 0, dehydroDE = 0;
  std::vector<std::string> kwLists, deLists;
  testing::internal::CaptureStdout();
  for (int k = 0;; k++) {
    SeqInfo info;
    if (!info.readSeq(bank.c_str(), k)) break;
    entries++;
    char *kw = info.getKW("KW");
    atpKW += kw && strstr(kw, "ATP-BINDING") ? 1 : 0;
    delete[] kw;
    char *de = info.getKW("DE");
    dehydroDE += de && strstr(de, " DEHYDROGENASE") ? 1 : 0;
    delete[] de;
    for (const char *type : {"KW", "DE"}) {
      int n = 0;
      char **list = getKWList(&info, &mesh, n, type);
      for (const std::string &item : takeList(list, n)) {
        EXPECT_NE(item, "ATP-BINDING");
        EXPECT_NE(item, "GTP-BINDING");
        EXPECT_NE(item, "MONOOXYGENASE");
        EXPECT_NE(item, "DEHYDROGENASE");
        (std::string(type) == "KW" ? kwLists : deLists).push_back(item);
      }
    }
  }
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(entries, 2000);
  EXPECT_GT(atpKW, 100);
  EXPECT_GT(dehydroDE, 10);
  const auto count = [](const std::vector<std::string> &v, const char *s) {
    return (int)std::count(v.begin(), v.end(), s);
  };
  // Entries with ATP-BINDING and NUCLEOTIDE-BINDING keep one heading after the dedupe.
  EXPECT_GE(count(kwLists, "NUCLEOTIDE-BINDING"), atpKW);
  EXPECT_GE(count(deLists, "OXIDOREDUCTASE"), dehydroDE);
  size_t synonym = 0, synonim = 0;
  for (size_t at = 0; (at = out.find("Synonym\n", at)) != std::string::npos; at++) synonym++;
  for (size_t at = 0; (at = out.find("Synonim\n", at)) != std::string::npos; at++) synonim++;
  EXPECT_GE(synonym, (size_t)atpKW);
  EXPECT_GE(synonim, (size_t)dehydroDE);
  EXPECT_EQ(out.size(), 8 * (synonym + synonim));  // nothing else is printed
}
