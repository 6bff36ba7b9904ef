// The inputs of tervex read in-process: SubBase files, input detection, the address list of
// a motif file and its order, the power threshold, the options and the Base generator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "inv_sqrt.h"
#include "tervex.h"
#include "testutil.h"

namespace {

struct SubBase {
  int n;
  std::vector<std::pair<std::string, int>> seqs;
  std::vector<std::string> glue;
};

SubBase readSubBase(const std::string &text) {
  FILE *f = testutil::streamOf(text);
  SeqList list;
  SubBase r;
  r.n = makeSA_list(f, list, r.glue);
  fclose(f);
  for (const SeqAddrPow &a : list.sa) r.seqs.push_back({a.name, a.num});
  return r;
}

using Seqs = std::vector<std::pair<std::string, int>>;

std::string headerOf(int lines) {
  std::string h;
  for (int i = 0; i < lines; i++) h += i == 0 ? "SubBase of test\n" : "line " + std::to_string(i) + "\n";
  return h;
}

}  // namespace

TEST(SubBaseReader, BodyLinesAndWhatTheyInherit) {
  struct Case {
    const char *name;
    std::string body;
    Seqs want;
  } cases[] = {
      {"plain", "a.fa 3\nb.fa 7 anything after\n", {{"a.fa", 3}, {"b.fa", 7}}},
      {"path only keeps the number", "p.fa 7\np.fa\nq.fa\n", {{"p.fa", 7}, {"p.fa", 7}, {"q.fa", 7}}},
      {"trailing empty line repeats", "p.fa 7\n\n", {{"p.fa", 7}, {"p.fa", 7}}},
      {"blank line repeats", "p.fa 7\n \t\nq.fa 2", {{"p.fa", 7}, {"p.fa", 7}, {"q.fa", 2}}},
      {"no number, word after", "p.fa 7\nq.fa x9\n", {{"p.fa", 7}, {"q.fa", 7}}},
      {"first line without a number is skipped", "p.fa\nq.fa 2\n", {{"q.fa", 2}}},
      {"first empty line is skipped", "\n\nq.fa 2\n", {{"q.fa", 2}}},
      {"number glued to text", "p.fa 12abc\n", {{"p.fa", 12}}},
      {"number beyond 32 bits clamps", "p.fa 99999999999\np.fa -99999999999\n",
       {{"p.fa", 2147483647}, {"p.fa", -2147483647 - 1}}},
      {"leading blanks", "   p.fa    4\n", {{"p.fa", 4}}},
  };
  for (const Case &c : cases) {
    SubBase r = readSubBase("SubBase x\n\n" + c.body);
    EXPECT_EQ(r.seqs, c.want) << c.name;
    EXPECT_EQ(r.n, (int)c.want.size()) << c.name;
    EXPECT_EQ(r.glue, std::vector<std::string>{"SubBase x\n"}) << c.name;
  }
}

TEST(SubBaseReader, HeaderEdges) {
  // 50 header lines and the empty line: every line kept, nothing past the table.
  SubBase r = readSubBase(headerOf(50) + "\nz.fa 1\n");
  EXPECT_EQ(r.n, 1);
  ASSERT_EQ(r.glue.size(), 50u);
  EXPECT_EQ(r.glue[49], "line 49\n");
  EXPECT_EQ(readSubBase(headerOf(51) + "\nz.fa 1\n").n, 0);
  EXPECT_EQ(readSubBase(headerOf(3)).n, 0);          // no empty line: no body
  EXPECT_EQ(readSubBase(headerOf(3) + "\n").n, 0);   // empty body
  EXPECT_EQ(readSubBase(headerOf(3) + "\n\n").n, 0); // nothing to repeat
  EXPECT_EQ(readSubBase("").n, 0);
  // A header line of any length is kept whole.
  const std::string longLine = "SubBase " + std::string(5000, 'h') + "\n";
  r = readSubBase(longLine + "\nz.fa 1\n");
  ASSERT_EQ(r.glue.size(), 1u);
  EXPECT_EQ(r.glue[0], longLine);
}

TEST(SubBaseReader, CrlfFileReadsLikeItsLfCopy) {
  const std::string text = "SubBase of test\nsecond line\n\na.fa 3\nb.fa\n\n";
  SubBase lf = readSubBase(text), crlf = readSubBase(testutil::toCRLF(text));
  EXPECT_EQ(lf.seqs, (Seqs{{"a.fa", 3}, {"b.fa", 3}, {"b.fa", 3}}));
  EXPECT_EQ(crlf.seqs, lf.seqs);
  // Header lines stay as read.
  EXPECT_EQ(crlf.glue, (std::vector<std::string>{"SubBase of test\r\n", "second line\r\n"}));
}

TEST(SubBaseReader, LongBodyKeepsEverySequence) {
  std::string body;
  for (int i = 0; i < 1500; i++) body += "bank.fa " + std::to_string(i) + "\n";
  SubBase r = readSubBase("SubBase\n\n" + body);
  ASSERT_EQ(r.n, 1500);
  EXPECT_EQ(r.seqs[1499], (std::pair<std::string, int>{"bank.fa", 1499}));
}

TEST(InputDetection, FirstLineNamingEitherWordDecides) {
  struct Case {
    const char *text;
    InputKind want;
  } cases[] = {
      {"Supermotif q 0 b 1 2.00 1   query-bank\n     '+' 0 0 9 1 1\n", kInputMotifs},
      {"header SubBase\n\nSupermotif q 0 b 1 2.00 1   query-bank\n", kInputSubBase},
      {"banner\n  Supermotif indented\nSubBase\n", kInputMotifs},
      {"a line with SubBase and Supermotif\n", kInputMotifs},
      {"nothing here\n\nbank.fa 1\n", kInputNeither},
      {"", kInputNeither},
  };
  for (const Case &c : cases) {
    FILE *f = testutil::streamOf(c.text);
    EXPECT_EQ(detectInput(f), c.want) << c.text;
    EXPECT_EQ(ftell(f), 0) << "rewound";
    fclose(f);
  }
}

TEST(MotifList, HighestPowerFirstAndEqualPowersInFileOrder) {
  const std::string text =
      "Query: x\n"
      "Supermotif q 0 c.fa 3  5.00 1   query-bank\n     '+' 0 0 9 1 1\n"
      "Supermotif q 0 a.fa 1  9.00 1   query-bank\n     '+' 0 0 9 1 1\n"
      "Supermotif q 0 b.fa 2  5.00 1   query-bank\n     '+' 0 0 9 1 1\n"
      "Supermotif q 0 d.fa 4  5.00 1   query-bank\n     '+' 0 0 9 1 1\n"
      "Supermotif q 0 c.fa 3  7.00 1   query-bank\n     '+' 0 0 9 1 1\n";
  FILE *f = testutil::streamOf(text);
  SeqList list;
  makeMotifList(f, list);
  fclose(f);
  std::vector<std::string> names;
  for (const SeqAddrPow &a : list.sa) names.push_back(a.name);
  EXPECT_EQ(names, (std::vector<std::string>{"a.fa", "c.fa", "b.fa", "d.fa"}));
  EXPECT_DOUBLE_EQ(list.sa[1].pow, 7.0);
  SeqAddrPow x, y;
  x.pow = 2;
  y.pow = 1;
  EXPECT_EQ(cmpSA(&x, &y), -1);
  EXPECT_EQ(cmpSA(&y, &x), 1);
  EXPECT_EQ(cmpSA(&x, &x), 0);
}

TEST(Threshold, JustBelowTheWeakestSupermotif) {
  testutil::TempDir dir;
  const std::string path = dir.file("m.txt");
  testutil::writeFile(path,
                      "Supermotif q 0 a.fa 1  12.50 1   query-bank\n     '+' 0 0 9 1 1\n"
                      "Supermotif q 0 b.fa 1   7.25 1   query-bank\n     '+' 0 0 9 1 1\n");
  EXPECT_DOUBLE_EQ(getMinPower(path.c_str()), 7.25);
  EXPECT_DOUBLE_EQ(subalignThreshold(getMinPower(path.c_str()), 1), 6.75);
  EXPECT_DOUBLE_EQ(subalignThreshold(getMinPower(path.c_str()), 0), 6.25);
  EXPECT_EQ(toPowerScale(subalignThreshold(7.25, 1)), 27648000);
  // Only lines that begin with the word count; none gives 0.
  testutil::writeFile(path, "  Supermotif q 0 a.fa 1  12.50 1   query-bank\n     '+' 0 0 9 1 1\n");
  EXPECT_EQ(getMinPower(path.c_str()), 0);
  EXPECT_DOUBLE_EQ(subalignThreshold(0, 1), -0.5);
  testing::internal::CaptureStdout();
  EXPECT_EQ(getMinPower(dir.file("none.txt").c_str()), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n Can't open motif file " + dir.file("none.txt"));
}

TEST(Threshold, FormedInExtendedPrecisionAndStoredOnce) {
  // 1.07 is 4382720 on the scale (1.03: 4218880); the quotient and the difference formed in
  // extended precision and stored once give one unit less on the scale (P - 2048001 here)
  // than the quotient rounded to a double first would.
  testutil::TempDir dir;
  const std::string path = dir.file("m.txt");
  testutil::writeFile(path, "Supermotif q 0 a.fa 1   1.07 1   query-bank\n     '+' 0 0 9 1 1\n"
                            "Supermotif q 0 a.fa 2   1.03 1   query-bank\n     '+' 0 0 9 1 1\n"
                            "Supermotif q 0 a.fa 3   3.00 1   query-bank\n     '+' 0 0 9 1 1\n");
  EXPECT_EQ(toPowerScale(subalignThreshold(minPowerExt(path.c_str()), 1)), 2170880);
  EXPECT_EQ(toPowerScale(subalignThreshold(minPowerExt(path.c_str()), 0)), 122879);
  testutil::writeFile(path, "Supermotif q 0 a.fa 1   1.07 1   query-bank\n     '+' 0 0 9 1 1\n");
  EXPECT_EQ(toPowerScale(subalignThreshold(minPowerExt(path.c_str()), 1)), 2334719);
  EXPECT_EQ(toPowerScale(subalignThreshold(minPowerExt(path.c_str()), 0)), 286720);
}

TEST(MotifList, ManyEqualPowersKeepFileOrder) {
  // Enough addresses that an unstable sort would reorder the ties.
  std::string text;
  std::vector<std::string> want[3];
  const char *powers[3] = {"9.00", "5.00", "7.00"};
  for (int i = 0; i < 60; i++) {
    const std::string name = "b" + std::to_string(i) + ".fa";
    text += "Supermotif q 0 " + name + " 1  " + powers[i % 3] + " 1   query-bank\n"
            "     '+' 0 0 9 1 1\n";
    want[i % 3].push_back(name);
  }
  FILE *f = testutil::streamOf(text);
  SeqList list;
  makeMotifList(f, list);
  fclose(f);
  std::vector<std::string> names, expect;
  for (const SeqAddrPow &a : list.sa) names.push_back(a.name);
  for (int k : {0, 2, 1}) expect.insert(expect.end(), want[k].begin(), want[k].end());
  EXPECT_EQ(names, expect);
}

TEST(FullWindows, FiveHundredLettersAndTheRestJoinsTheLast) {
  using W = std::vector<std::pair<int, int>>;
  EXPECT_EQ(fullWindows(1000), (W{{1, 500}, {501, 1000}}));
  EXPECT_EQ(fullWindows(1100), (W{{1, 500}, {501, 1100}}));
  EXPECT_EQ(fullWindows(1101), (W{{1, 500}, {501, 1000}, {1001, 1101}}));
  EXPECT_EQ(fullWindows(300), (W{{1, 500}}));
  EXPECT_EQ(fullWindows(2), (W{{1, 500}}));
  EXPECT_EQ(fullWindows(1), W{});
  EXPECT_EQ(fullWindows(0), W{});
  // The window that would start at the last letter is never searched.
  EXPECT_EQ(fullWindows(501), (W{{1, 500}}));
  EXPECT_EQ(fullWindows(1600), (W{{1, 500}, {501, 1000}, {1001, 1600}}));
  EXPECT_EQ(fullWindows(1601), (W{{1, 500}, {501, 1000}, {1001, 1500}, {1501, 1601}}));
}

namespace {

struct Parsed {
  int rc;
  int method, skip, nSeq;
  bool list;
  std::string out;
};

Parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "tervex");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(&a[0]);
  TervexOptions opt;
  testing::internal::CaptureStdout();
  int rc = parseOptions((int)argv.size(), argv.data(), opt);
  std::string out = testing::internal::GetCapturedStdout();
  return {rc, opt.method, opt.skipTheSame, opt.nSeq, opt.bankList != nullptr, out};
}

}  // namespace

TEST(Options, EveryArgumentIsTestedAndTheLastMethodCounts) {
  EXPECT_EQ(parse({"p", "-r.mot", "out"}).method, kMethodReduce);
  EXPECT_EQ(parse({"p", "in", "out", "-S", "-R"}).method, kMethodReduce);
  EXPECT_EQ(parse({"p", "in", "out", "-r", "-s"}).method, kMethodShorten);
  EXPECT_EQ(parse({"p", "in", "out", "-F"}).method, kMethodFull);
  EXPECT_EQ(parse({"p", "in", "out", "-x", "-"}).method, kMethodFull);
  EXPECT_EQ(parse({"p", "in", "out"}).skip, 1);
  EXPECT_EQ(parse({"p", "in", "out", "-k"}).skip, 0);
  // The value of N is itself tested as an option.
  EXPECT_EQ(parse({"p", "in", "out", "-N", "-5"}).nSeq, -5);
  EXPECT_EQ(parse({"p", "in", "out", "-n", "3x"}).nSeq, 3);
  EXPECT_EQ(parse({"p", "in", "out", "-N", "-s"}).method, kMethodShorten);
  EXPECT_EQ(parse({"p", "in", "out", "-N"}).nSeq, 0);
}

TEST(Options, BankList) {
  testutil::TempDir dir;
  testutil::writeFile(dir.file("banks.lst"), "bank.fa\n");
  testutil::writeFile(dir.file("empty.lst"), "");
  Parsed p = parse({"p", "in", "out", "-b", dir.file("banks.lst")});
  EXPECT_EQ(p.rc, 0);
  EXPECT_EQ(p.method, kMethodBase);
  EXPECT_TRUE(p.list);
  p = parse({"p", "in", "out", "-B"});
  EXPECT_EQ(p.rc, kTervexNoBankList);
  EXPECT_EQ(p.out, "\n Can't open file with base list (null)");
  p = parse({"p", "in", "out", "-B", dir.file("none.lst")});
  EXPECT_EQ(p.rc, -4);
  EXPECT_EQ(p.out, "\n Can't open file with base list " + dir.file("none.lst"));
  p = parse({"p", "in", "out", "-B", dir.file("empty.lst")});
  EXPECT_EQ(p.rc, -5);
  EXPECT_EQ(p.out, "\n There are no banks in bankList");
  // A list named like an option is opened, and its name tested as an option too.
  testutil::writeFile(dir.file("-r.lst"), "bank.fa\n");
  const std::string cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(dir.path());
  p = parse({"p", "in", "out", "-B", "-r.lst"});
  std::filesystem::current_path(cwd);
  EXPECT_EQ(p.rc, 0);
  EXPECT_TRUE(p.list);
  EXPECT_EQ(p.method, kMethodReduce);
}

TEST(BaseGenerator, DrawsTheLibrarySequenceFromSeedOne) {
  LibcRandom r;
  const int32_t want[] = {1804289383, 846930886, 1681692777, 1714636915, 1957747793,
                          424238335,  719885386, 1649760492, 596516649,  1189641421};
  for (int32_t w : want) EXPECT_EQ(r.next(), w);
#ifdef __GLIBC__
  LibcRandom mine;
  srandom(1);
  for (int i = 0; i < 5000; i++) ASSERT_EQ(mine.next(), (int32_t)random()) << i;
#endif
}

TEST(BaseGenerator, PieceOffsets) {
  LibcRandom r;
  EXPECT_EQ(pieceOffset(1100, 400, r), 588);
  LibcRandom a;
  std::vector<int> got;
  got.push_back(pieceOffset(1000, 400, a));
  got.push_back(pieceOffset(400, 400, a));  // short: offset 0 and no draw
  got.push_back(pieceOffset(120, 400, a));
  for (int i = 0; i < 3; i++) got.push_back(pieceOffset(1000, 400, a));
  EXPECT_EQ(got, (std::vector<int>{504, 0, 0, 236, 469, 479}));
  LibcRandom b;
  std::vector<int> small;
  for (int i = 0; i < 4; i++) small.push_back(pieceOffset(500, 400, b));
  EXPECT_EQ(small, (std::vector<int>{84, 39, 78, 79}));
}

TEST(SeqCache, EachAddressIsReadOnceAndAFailureIsRemembered) {
  testutil::TempDir dir;
  const std::string bank = dir.file("b.fa");
  testutil::writeFile(bank, ">s0\nACDEFGHIK\n>s1\nLMNPQ\n>empty\n");
  ASSERT_TRUE(testutil::makeIndex(bank));
  EntryLog log;
  SeqCache cache(log);
  const WorkSeq *s1 = cache.get(bank.c_str(), 1);
  ASSERT_TRUE(s1);
  EXPECT_EQ(std::string(s1->seq(), (size_t)s1->len()), "LMNPQ");
  bool unreadable = false;
  EXPECT_EQ(cache.get(dir.file("none.fa").c_str(), 0, &unreadable), nullptr);
  EXPECT_TRUE(unreadable);
  EXPECT_EQ(cache.get(bank.c_str(), 5), nullptr);
  EXPECT_EQ(cache.get(nullptr, 0), nullptr);
  // An entry without letters is no sequence to screen, but it was read.
  EXPECT_EQ(cache.get(bank.c_str(), 2, &unreadable), nullptr);
  EXPECT_FALSE(unreadable);
  // The bank is not opened again: its files may go, and a new one under a failed name is not
  // looked at.
  std::filesystem::remove(bank);
  std::filesystem::remove(dir.file("b.idx"));
  testutil::writeFile(dir.file("none.fa"), ">x\nACGT\n");
  EXPECT_EQ(cache.get(bank.c_str(), 1), s1);
  EXPECT_EQ(cache.get(dir.file("none.fa").c_str(), 0), nullptr);
  EXPECT_EQ(cache.get(bank.c_str(), 0), nullptr) << "entry 0 was never read";
}
