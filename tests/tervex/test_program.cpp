// The tervex program run as a process on synthetic families: return codes and messages, each
// method's output (windows, strands, Base pieces, Reduce pairs, Shorten regions) and which
// result files exist afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tervex.h"
#include "tervex_testutil.h"

using tvx::Block;
using tvx::M;
using tvx::Work;

namespace {

// The protein family: S0, S1 (every 10th letter changed), S2 unrelated, S3 (1100 letters
// holding S0's letters 50..249 at 700), S4 (1101 letters holding S0's letters 0..199 at 900).
struct Family {
  std::vector<std::string> s;
  Family() {
    std::mt19937 g(17);
    const std::string s0 = tvx::randomProtein(g, 300);
    const std::string s2 = tvx::randomProtein(g, 300);
    std::string s3 = tvx::randomProtein(g, 1100);
    s3.replace(700, 200, s0.substr(50, 200));
    std::string s4 = tvx::randomProtein(g, 1101);
    s4.replace(900, 200, s0.substr(0, 200));
    s = {s0, tvx::mutateEvery(s0, 10, "ACDEFGHIKLMNPQRSTVWY"), s2, s3, s4};
  }
};

void proteinWork(Work &w, const std::string &extra = "") {
  static const Family fam;
  w.bank("bank.fa", fam.s);
  w.params(extra);
}

std::string subBase(const std::vector<int> &entries, const std::string &bank = "bank.fa") {
  std::string t = "SubBase of the test family\n\n";
  for (int e : entries) t += bank + " " + std::to_string(e) + "\n";
  return t;
}

bool sameEntry(const Block &b) { return b.qAdr == b.bAdr && b.qNum == b.bNum; }

// The block of highest power between entries q and b, null when there is none.
const Block *strongest(const std::vector<Block> &blocks, int q, int b) {
  const Block *best = nullptr;
  for (const Block &x : blocks)
    if (x.qNum == q && x.bNum == b && (!best || x.power > best->power)) best = &x;
  return best;
}

}  // namespace

TEST(TervexProgram, UsageAndReturnCodes) {
  Work w;
  w.params();
  testutil::writeFile(w.file("none.txt"), "nothing to see\n");
  testutil::writeFile(w.file("empty.sub"), "SubBase\n\n");
  testutil::writeFile(w.file("ok.sub"), "SubBase\n\nbank.fa 0\n");
  testutil::writeFile(w.file("empty.lst"), "");
  testutil::writeFile(w.file("blank.lst"), "\nbank.fa\n");
  struct Case {
    std::vector<std::string> args;
    int rc;
    std::string out;
  } cases[] = {
      {{"a", "b"}, 1, kTervexUsageText},
      {{}, 1, kTervexUsageText},
      {{"nope.txt", "ok.sub", "r.mot"}, 2, "\n Can't open file with parameters nope.txt \n"},
      {{"params.txt", "nope.sub", "r.mot", "-B", "nope.lst"}, 4, "\n Can't open file with motifs nope.sub"},
      {{"params.txt", "none.txt", "r.mot"}, 5, "\n Given file none.txt neither MOTIFS nor SUB_BASE"},
      {{"params.txt", "empty.sub", "r.mot"}, 3, "\n Given file empty.sub isn't the SubBase"},
      {{"params.txt", "ok.sub", "r.mot", "-B", "nope.lst"}, 252, "\n Can't open file with base list nope.lst"},
      {{"params.txt", "ok.sub", "r.mot", "-B"}, 252, "\n Can't open file with base list (null)"},
      {{"params.txt", "ok.sub", "r.mot", "-B", "empty.lst"}, 251, "\n There are no banks in bankList"},
      // A first blank line ends the list before any bank: the banks' type can't be known.
      {{"params.txt", "ok.sub", "r.mot", "-B", "blank.lst"}, 111,
       "All bases in given ase_list have unknown molecular type..."},
  };
  for (const Case &c : cases) {
    tvx::RunResult r = w.tervex(c.args);
    EXPECT_EQ(r.rc, c.rc) << c.out;
    EXPECT_EQ(r.out, c.out);
    EXPECT_FALSE(w.exists("r.mot")) << "nothing is written before the method starts";
  }
}

TEST(TervexProgram, ResultFileThatCannotBeCreated) {
  Work w;
  proteinWork(w);
  testutil::writeFile(w.file("set.sub"), subBase({0, 1}));
  for (const char *opt : {"-F", "-B"}) {
    std::vector<std::string> args{"params.txt", "set.sub", "nodir/r.mot", opt};
    if (std::string(opt) == "-B") {
      testutil::writeFile(w.file("banks.lst"), "bank.fa\n");
      args.push_back("banks.lst");
    }
    tvx::RunResult r = w.tervex(args);
    EXPECT_EQ(r.rc, kTervexNoResultFile) << opt;
    EXPECT_NE(r.out.find("\n Can't open result file nodir/r.mot"), std::string::npos) << opt;
  }
  // Reduce and Shorten open their result once the input is read, as the others do.
  testutil::writeFile(w.file("in.mot"),
                      tvx::block("bank.fa", 0, "bank.fa", 0, "20.00", {{'+', 0, 0, 100}}) +
                          tvx::block("bank.fa", 0, "bank.fa", 1, "20.00", {{'+', 0, 0, 100}}));
  for (const char *opt : {"-R", "-S"}) {
    tvx::RunResult r = w.tervex({"params.txt", "in.mot", "nodir/r.mot", opt});
    EXPECT_EQ(r.rc, kTervexNoResultFile) << opt;
    EXPECT_NE(r.out.find("\n Can't open result file nodir/r.mot"), std::string::npos) << opt;
  }
}

TEST(TervexFull, OptionNCountsTheSequencesScreened) {
  Work w;
  proteinWork(w);
  testutil::writeFile(w.file("set.sub"), subBase({0, 1, 2}));
  const std::string fallback =
      "\n Can't read file with Weight matrix (null) or can't load it\n Default Blosum62 will be used";
  auto progress = [&](int k) {
    std::string t;
    for (int i = 0; i < k; i++) t += "\n bSeq   " + std::to_string(i) + " idx " + std::to_string(i) +
                                     " len 300 bank.fa" + fallback;
    return t;
  };
  tvx::RunResult all = w.tervex({"params.txt", "set.sub", "full.mot"});
  ASSERT_EQ(all.rc, 0);
  // Progress and the matrix messages, nothing else.
  EXPECT_EQ(all.out, progress(3));
  const std::string whole = testutil::readFile(w.file("full.mot"));
  EXPECT_NE(whole, "");
  for (const char *n : {"5", "0", "-2"}) {
    tvx::RunResult r = w.tervex({"params.txt", "set.sub", "full.mot", "-N", n});
    EXPECT_EQ(r.out, progress(3)) << n;
    EXPECT_EQ(testutil::readFile(w.file("full.mot")), whole) << n;
  }
  // One sequence: its only partner is itself.
  tvx::RunResult r = w.tervex({"params.txt", "set.sub", "full.mot", "-N", "1"});
  EXPECT_EQ(r.out, progress(1));
  EXPECT_EQ(testutil::readFile(w.file("full.mot")), "");
  // Two: only S0 and S1 meet.
  ASSERT_EQ(w.tervex({"params.txt", "set.sub", "full.mot", "-n", "2"}).rc, 0);
  const std::vector<Block> blocks = w.blocks("full.mot");
  ASSERT_FALSE(blocks.empty());
  for (const Block &b : blocks) {
    EXPECT_LT(b.qNum, 2);
    EXPECT_LT(b.bNum, 2);
  }
}

TEST(TervexFull, WindowsCarryWholeSequencePositions) {
  Work w;
  proteinWork(w);
  testutil::writeFile(w.file("set.sub"), subBase({3, 0, 2}));
  tvx::RunResult r = w.tervex({"params.txt", "set.sub", "full.mot"});
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_NE(r.out.find("\n bSeq   0 idx 3 len 1100 bank.fa"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n bSeq   1 idx 0 len 300 bank.fa"), std::string::npos);
  // The strongest block of each direction is the planted stretch: second window, query
  // 700.. facing S0's 50..
  const std::vector<Block> blocks = w.blocks("full.mot");
  for (const Block &b : blocks) EXPECT_FALSE(sameEntry(b));
  const Block *to = strongest(blocks, 3, 0), *from = strongest(blocks, 0, 3);
  ASSERT_TRUE(to && from);
  EXPECT_GE(to->mots[0].qBeg, 700);
  EXPECT_LT(to->mots[0].qBeg, 800);
  for (const Motif &m : to->mots) EXPECT_EQ(m.qBeg - m.bBeg, 650);
  for (const Motif &m : from->mots) EXPECT_EQ(m.bBeg - m.qBeg, 650);
}

TEST(TervexFull, ThirdWindowOf1101Letters) {
  Work w;
  proteinWork(w);
  // S4 holds S0's first 200 letters at 900..1099: windows (501, 1000) and (1001, 1101) cut it.
  testutil::writeFile(w.file("set.sub"), subBase({4, 0}));
  ASSERT_EQ(w.tervex({"params.txt", "set.sub", "full.mot"}).rc, 0);
  bool before = false, after = false;
  for (const Block &b : w.blocks("full.mot")) {
    if (b.qNum != 4) continue;
    int lo = 1 << 30, hi = 0;
    for (const Motif &m : b.mots) {
      lo = std::min(lo, m.qBeg);
      hi = std::max(hi, m.qBeg + m.len);
    }
    EXPECT_TRUE(hi <= 1000 || lo >= 1000) << lo << ".." << hi;
    before |= hi <= 1000;
    after |= lo >= 1000;
  }
  EXPECT_TRUE(before);
  EXPECT_TRUE(after);
}

TEST(TervexFull, OneSequenceOrItsDuplicateWritesAnEmptyFile) {
  Work w;
  proteinWork(w);
  testutil::writeFile(w.file("one.sub"), subBase({0, 0}));
  testutil::writeFile(w.file("full.mot"), "old content\n");
  ASSERT_EQ(w.tervex({"params.txt", "one.sub", "full.mot"}).rc, 0);
  EXPECT_TRUE(w.exists("full.mot"));
  EXPECT_EQ(testutil::readFile(w.file("full.mot")), "");
  // With K a sequence still never meets itself in Full.
  ASSERT_EQ(w.tervex({"params.txt", "one.sub", "full.mot", "-K"}).rc, 0);
  EXPECT_EQ(testutil::readFile(w.file("full.mot")), "");
}

TEST(TervexFull, ComplementaryStrandOfANucleicPartner) {
  Work w;
  std::mt19937 g(5);
  const std::string n0 = tvx::randomLetters(g, 600, "ACGT");
  const std::string n1 = tvx::revComp(tvx::mutateEvery(n0, 20, "ACGT"));
  w.bank("nuc.fa", {n0, n1});
  w.params("", true);
  testutil::writeFile(w.file("set.sub"), subBase({0, 1}, "nuc.fa"));
  ASSERT_EQ(w.tervex({"params.txt", "set.sub", "nuc.mot"}).rc, 0);
  std::vector<Block> blocks = w.blocks("nuc.mot");
  ASSERT_FALSE(blocks.empty());
  // The strongest block of each direction is the planted strand.
  for (const Block &b : blocks) EXPECT_FALSE(sameEntry(b));
  for (int q = 0; q < 2; q++) {
    const Block *b = strongest(blocks, q, 1 - q);
    ASSERT_TRUE(b);
    EXPECT_GT(b->power, 20 * 4096000);
    for (const Motif &m : b->mots) {
      EXPECT_EQ(m.frame, '-');
      EXPECT_EQ(m.qBeg, m.bBeg);  // positions on the reversed partner
    }
  }
}

TEST(TervexBase, RandomPiecesAgainstTheBanksAreTheSameEveryRun) {
  Work w;
  proteinWork(w);
  testutil::writeFile(w.file("banks.lst"), "bank.fa\n");
  testutil::writeFile(w.file("set.sub"), "SubBase of the family\nsecond header line\n\n"
                                         "bank.fa 3\nbank.fa 9\nbank.fa 1\n");
  tvx::RunResult r = w.tervex({"params.txt", "set.sub", "base.mot", "-B", "banks.lst"});
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_NE(r.out.find("\n Can't read sequence from address bank.fa 9"), std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.rfind('\n')), "\n 1 of the 3 entries asked for could not be read");
  const std::string first = testutil::readFile(w.file("base.mot"));
  const std::string head = "Motif file obtained from the SubBase:\nSubBase of the family\n"
                           "second header line\n\n";
  ASSERT_EQ(first.substr(0, head.size()), head);
  bool planted = false;
  for (const Block &b : w.blocks("base.mot")) {
    if (b.qNum != 3) continue;
    for (const Motif &m : b.mots) {
      // The piece of S3 is its letters 588..987: positions are whole-sequence ones.
      EXPECT_GE(m.qBeg, 588);
      EXPECT_LE(m.qBeg + m.len, 988);
      planted |= b.bNum == 0 && m.qBeg - m.bBeg == 650;
    }
  }
  EXPECT_TRUE(planted);
  ASSERT_EQ(w.tervex({"params.txt", "set.sub", "base.mot", "-B", "banks.lst"}).rc, 0);
  EXPECT_EQ(testutil::readFile(w.file("base.mot")), first);
  // Base takes the whole list whatever N says.
  ASSERT_EQ(w.tervex({"params.txt", "set.sub", "base.mot", "-B", "banks.lst", "-N", "1"}).rc, 0);
  EXPECT_EQ(testutil::readFile(w.file("base.mot")), first);
  EXPECT_EQ(testutil::readFile(w.file("ctr")), " \n Bank bank.fa  ");

  // A motif file as input: the bank paths head the result.
  testutil::writeFile(w.file("in.mot"), tvx::block("bank.fa", 0, "bank.fa", 1, "20.00", {{'+', 0, 0, 50}}));
  ASSERT_EQ(w.tervex({"params.txt", "in.mot", "base.mot", "-B", "banks.lst"}).rc, 0);
  const std::string second = testutil::readFile(w.file("base.mot"));
  EXPECT_EQ(second.substr(0, 47), "Motif file obtained from the SubBase:\nbank.fa\n\n");
}

TEST(TervexBase, NucleicSetAgainstANucleicBankIsNotTranslated) {
  // The banks' molecule type is known before the search: a nucleic piece against nucleic
  // banks needs no translation code.
  Work w;
  std::mt19937 g(11);
  const std::string n0 = tvx::randomLetters(g, 600, "ACGT");
  w.bank("nuc.fa", {n0, tvx::mutateEvery(n0, 15, "ACGT")});
  w.params("", true);
  testutil::writeFile(w.file("banks.lst"), "nuc.fa\n");
  testutil::writeFile(w.file("set.sub"), subBase({0, 1}, "nuc.fa"));
  tvx::RunResult r = w.tervex({"params.txt", "set.sub", "base.mot", "-B", "banks.lst"});
  ASSERT_EQ(r.rc, 0) << r.out;
  // The first piece starts at 168: (1804289383 / 2147483647) x (600 - 400). Every cluster is
  // written (a SubBase gives no threshold), so look at the strongest ones.
  const std::vector<Block> blocks = w.blocks("base.mot");
  for (int b : {0, 1}) {
    const Block *best = strongest(blocks, 0, b);
    ASSERT_TRUE(best) << b;
    EXPECT_GT(best->power, 20 * 4096000);
    for (const Motif &m : best->mots) {
      EXPECT_EQ(m.frame, '+');
      EXPECT_EQ(m.qBeg, m.bBeg);
      EXPECT_GE(m.qBeg, 168);
      EXPECT_LE(m.qBeg + m.len, 568);
    }
  }
  for (const Block &b : blocks) {
    EXPECT_EQ(b.qAdr, "nuc.fa");
    for (const Motif &m : b.mots) EXPECT_GE(m.qBeg, b.qNum == 0 ? 168 : 0);
  }
}

namespace {

// Supermotifs of query S0 on S0, S1 and S2, overlapping on the query.
std::string reduceInput() {
  return "Query: >s0\n\n" +
         tvx::block("bank.fa", 0, "bank.fa", 0, " 20.00", {{'+', 0, 0, 300}}) +
         tvx::block("bank.fa", 0, "bank.fa", 1, " 20.00", {{'+', 0, 0, 150}, {'+', 160, 160, 140}}) +
         tvx::block("bank.fa", 0, "bank.fa", 2, " 20.00", {{'+', 20, 10, 60}});
}

}  // namespace

TEST(TervexReduce, PairsOfDifferentSequencesBothWays) {
  Work w;
  proteinWork(w);
  testutil::writeFile(w.file("in.mot"), reduceInput());
  tvx::RunResult r = w.tervex({"params.txt", "in.mot", "red.mot", "-R"});
  ASSERT_EQ(r.rc, 0) << r.out;
  bool s01 = false, s10 = false;
  for (const Block &b : w.blocks("red.mot")) {
    EXPECT_FALSE(sameEntry(b));
    s01 |= b.qNum == 0 && b.bNum == 1;
    s10 |= b.qNum == 1 && b.bNum == 0;
    for (const Motif &m : b.mots) {
      EXPECT_EQ(m.frame, '+');
      EXPECT_GE(m.qBeg, 0);
      EXPECT_LE(m.qBeg + m.len, 300);
      EXPECT_LE(m.bBeg + m.len, 300);
    }
  }
  EXPECT_TRUE(s01);
  EXPECT_TRUE(s10);
  const std::string result = testutil::readFile(w.file("red.mot"));

  // An input named like the option selects the method and is read all the same.
  testutil::writeFile(w.file("-r.mot"), reduceInput());
  ASSERT_EQ(w.tervex({"params.txt", "-r.mot", "red.mot"}).rc, 0);
  EXPECT_EQ(testutil::readFile(w.file("red.mot")), result);

  // The built-in matrix has no statistics of its own: a homology ratio takes nothing off.
  w.params("!H 0.5\n");
  ASSERT_EQ(w.tervex({"params.txt", "in.mot", "red.mot", "-R"}).rc, 0);
  EXPECT_EQ(testutil::readFile(w.file("red.mot")), result);
}

TEST(TervexReduce, ProgressAtEveryHundredthBlock) {
  // 100 supermotifs alternating between S0 and S1: block 100 (on S1) pairs with every block
  // on S0; the counters count every block, skipped ones included.
  Work w;
  proteinWork(w);
  std::string input;
  for (int k = 0; k < 100; k++)
    input += tvx::block("bank.fa", 0, "bank.fa", k % 2, "20.00", {{'+', 0, 0, 50}});
  testutil::writeFile(w.file("in.mot"), input);
  tvx::RunResult r = w.tervex({"params.txt", "in.mot", "red.mot", "-R"});
  ASSERT_EQ(r.rc, 0);
  std::string want =
      "\n Can't read file with Weight matrix (null) or can't load it\n Default Blosum62 will be used";
  for (int k = 0; k < 100; k += 2) want += "\n sup1 " + std::to_string(k) + "   sup2 100  shifts  1";
  EXPECT_EQ(r.out, want);
}

TEST(TervexReduce, TheResultIsWrittenInPlace) {
  Work w;
  proteinWork(w);
  // Emptied by a run that finds nothing, kept by one that stops before it opens the result.
  enum Left { kEmptied, kKept };
  struct Case {
    const char *name;
    std::string input;
    int rc;
    Left left;
  } cases[] = {
      {"one supermotif", tvx::block("bank.fa", 0, "bank.fa", 1, "20.00", {{'+', 0, 0, 50}}), 0, kEmptied},
      {"all on one sequence",
       tvx::block("bank.fa", 0, "bank.fa", 1, "20.00", {{'+', 0, 0, 50}}) +
           tvx::block("bank.fa", 0, "bank.fa", 1, "20.00", {{'+', 60, 60, 50}}),
       0, kEmptied},
      {"SubBase input", subBase({0, 1}), kTervexUnknownInput, kKept},
      {"unreadable partner",
       tvx::block("bank.fa", 0, "bank.fa", 1, "20.00", {{'+', 0, 0, 50}}) +
           tvx::block("bank.fa", 0, "bank.fa", 9, "20.00", {{'+', 0, 0, 50}}),
       0, kEmptied},
      {"apart on the query: a pair with no region",
       tvx::block("bank.fa", 0, "bank.fa", 1, "20.00", {{'+', 0, 0, 50}}) +
           tvx::block("bank.fa", 0, "bank.fa", 2, "20.00", {{'+', 100, 100, 50}}),
       0, kEmptied},
      {"positions beyond the sequences",
       tvx::block("bank.fa", 0, "bank.fa", 0, "20.00", {{'+', 0, 5000, 50}}) +
           tvx::block("bank.fa", 0, "bank.fa", 1, "20.00", {{'-', 0, 290, 50}}),
       0, kEmptied},
  };
  for (const Case &c : cases) {
    testutil::writeFile(w.file("red.mot"), "old\n");
    testutil::writeFile(w.file("in.mot"), c.input);
    tvx::RunResult r = w.tervex({"params.txt", "in.mot", "red.mot", "-R"});
    EXPECT_EQ(r.rc, c.rc) << c.name;
    EXPECT_EQ(testutil::readFile(w.file("red.mot")), c.left == kKept ? "old\n" : "") << c.name;
  }
}

TEST(TervexShorten, RegionsOfTheSupermotifs) {
  Work w;
  std::mt19937 g(3);
  w.bank("p.fa", {tvx::randomProtein(g, 100), tvx::randomProtein(g, 85)});
  w.bank("n.fa", {tvx::randomLetters(g, 300, "ACGT")});
  testutil::writeFile(w.file("in.mot"),
                      tvx::block("p.fa", 0, "p.fa", 0, "9.00", {{'+', 0, 5, 20}, {'+', 30, 30, 15}}) +
                          tvx::block("p.fa", 0, "p.fa", 1, "9.00", {{'+', 0, 50, 30}}) +
                          tvx::block("p.fa", 0, "n.fa", 0, "9.00", {{'e', 0, 10, 20}}) +
                          tvx::block("p.fa", 0, "n.fa", 7, "9.00", {{'+', 0, 10, 20}}));
  std::vector<Shift> regions;
  SeqList list;
  testing::internal::CaptureStdout();
  const std::string cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(w.dir.path());
  EntryLog log;
  int banksRead = 0;
  const int rc = makeSegm(regions, list, "in.mot", log, banksRead);
  std::filesystem::current_path(cwd);
  const std::string out = testing::internal::GetCapturedStdout();
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(out, "\n Index n.idx of bank n.fa holds no entry 7"
                 "\n tervex: SHORTEN variant can't read bank sequence n.fa 7\n");
  ASSERT_EQ(regions.size(), 3u);
  EXPECT_EQ(banksRead, 3);
  EXPECT_EQ((std::vector<int>{regions[0].x, regions[0].len}), (std::vector<int>{0, 60}));
  EXPECT_EQ((std::vector<int>{regions[1].x, regions[1].len}), (std::vector<int>{40, 45}));
  // Frame e of a protein query: bank positions tripled (30, 60), mirrored on 300 (210).
  EXPECT_EQ((std::vector<int>{regions[2].x, regions[2].len}), (std::vector<int>{200, 80}));
  EXPECT_EQ(std::string(list.sa[2].name), "n.fa");
}

TEST(TervexShorten, EveryRegionIsScreenedAndWithKItselfToo) {
  Work w;
  proteinWork(w);
  // Two supermotifs on S0 and one on S1: three regions on two sequences.
  testutil::writeFile(w.file("in.mot"),
                      tvx::block("bank.fa", 0, "bank.fa", 0, "20.00", {{'+', 0, 0, 100}}) +
                          tvx::block("bank.fa", 0, "bank.fa", 0, "20.00", {{'+', 150, 150, 100}}) +
                          tvx::block("bank.fa", 0, "bank.fa", 1, "20.00", {{'+', 0, 0, 280}}));
  tvx::RunResult r = w.tervex({"params.txt", "in.mot", "sho.mot", "-S"});
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_NE(r.out.find("\n bSeq   0 idx 0 bank.fa"), std::string::npos);
  bool fromS1 = false;
  for (const Block &b : w.blocks("sho.mot")) {
    EXPECT_FALSE(sameEntry(b));
    if (b.qNum == 1) fromS1 = true;
    for (const Motif &m : b.mots) {
      EXPECT_EQ(m.qBeg, m.bBeg);  // S0 and S1 face each other on diagonal 0
      EXPECT_LE(m.qBeg + m.len, 300);
    }
  }
  EXPECT_TRUE(fromS1) << "the third region is screened";

  ASSERT_EQ(w.tervex({"params.txt", "in.mot", "sho.mot", "-S", "-K"}).rc, 0);
  bool self = false;
  for (const Block &b : w.blocks("sho.mot")) {
    if (!sameEntry(b)) continue;
    self = true;
    for (const Motif &m : b.mots) EXPECT_EQ(m.qBeg, m.bBeg);
  }
  EXPECT_TRUE(self);

  // N limits the regions screened.
  ASSERT_EQ(w.tervex({"params.txt", "in.mot", "sho.mot", "-S", "-N", "2"}).rc, 0);
  for (const Block &b : w.blocks("sho.mot")) EXPECT_EQ(b.qNum, 0);
}

TEST(TervexShorten, ComplementaryStrandPositionsOnTheWholeReversedPartner) {
  // N1 is the reverse complement of a mutated N0: N0's letters 100..299 face N1's reversed
  // letters 100..299. The regions are cut out of the middle of both, so a motif of the reverse
  // strand keeps the diagonal only when it is brought back onto the whole reversed partner.
  Work w;
  std::mt19937 g(23);
  const std::string n0 = tvx::randomLetters(g, 600, "ACGT");
  const std::string n1 = tvx::revComp(tvx::mutateEvery(n0, 20, "ACGT"));
  w.bank("nuc.fa", {n0, n1});
  w.params("", true);
  // Regions: N0 (90, 220) and N1 as stored (290, 220), the mirror of 100..299 widened; N1's
  // region reversed starts at 600 - 290 - 220 = 90 of the reversed N1, N0's at 290.
  testutil::writeFile(w.file("in.mot"),
                      tvx::block("nuc.fa", 0, "nuc.fa", 0, "20.00", {{'+', 100, 100, 200}}) +
                          tvx::block("nuc.fa", 0, "nuc.fa", 1, "20.00", {{'-', 100, 100, 200}}));
  tvx::RunResult r = w.tervex({"params.txt", "in.mot", "sho.mot", "-S"});
  ASSERT_EQ(r.rc, 0) << r.out;
  bool both[2] = {false, false};
  for (const Block &b : w.blocks("sho.mot")) {
    EXPECT_FALSE(sameEntry(b));
    for (const Motif &m : b.mots) {
      EXPECT_EQ(m.frame, '-');
      EXPECT_EQ(m.qBeg, m.bBeg) << b.qNum;
      EXPECT_GE(m.qBeg, b.qNum == 0 ? 90 : 290);
      EXPECT_LE(m.qBeg + m.len, b.qNum == 0 ? 310 : 510);
    }
    both[b.qNum] = true;
  }
  EXPECT_TRUE(both[0]);
  EXPECT_TRUE(both[1]);
}

TEST(TervexShorten, NothingToReadLeavesTheResultAlone) {
  Work w;
  proteinWork(w);
  testutil::writeFile(w.file("set.sub"), subBase({0, 1}));
  testutil::writeFile(w.file("sho.mot"), "kept\n");
  tvx::RunResult r = w.tervex({"params.txt", "set.sub", "sho.mot", "-S"});
  EXPECT_EQ(r.rc, kTervexUnknownInput);
  EXPECT_EQ(r.out,
            "\n tervex: SHORTEN variant can't load supermotif from file set.sub\n"
            "\n tervex: SHORTEN variant can't read input motifs...");
  EXPECT_EQ(testutil::readFile(w.file("sho.mot")), "kept\n");
  testutil::writeFile(w.file("in.mot"),
                      tvx::block("bank.fa", 7, "bank.fa", 0, "20.00", {{'+', 0, 0, 100}}));
  r = w.tervex({"params.txt", "in.mot", "sho.mot", "-S"});
  EXPECT_EQ(r.rc, kTervexNoEntry);
  EXPECT_EQ(r.out,
            "\n Index bank.idx of bank bank.fa holds no entry 7"
            "\n tervex: SHORTEN variant can't read qery sequence bank.fa 7\n"
            "\n tervex: SHORTEN variant can't read input motifs..."
            "\n No sequence to screen could be read");
  EXPECT_EQ(testutil::readFile(w.file("sho.mot")), "kept\n");
}

TEST(TervexExample, SubBaseOfTheDemoBank) {
  // The demo's SubBase names the relatives of two demo queries; paths are relative to it.
  const std::string example = SEQ_TOOLS_DIR "/../example";
  testutil::TempDir dir;
  tvx::RunResult r = tvx::runIn(example, tvx::kBin,
                                {"params.txt", "subbase.txt", dir.file("full.mot"), "-N", "12"},
                                dir.file("stdout.txt"));
  ASSERT_EQ(r.rc, 0) << r.out;
  const std::vector<Block> blocks = tvx::blocksOf(dir.file("full.mot"));
  // Relatives of one query (90 % and 75 % identity to it) meet each other both ways.
  for (auto pair : {std::pair<int, int>{144, 427}, {427, 144}, {1940, 1605}, {1605, 1940}}) {
    const Block *b = strongest(blocks, pair.first, pair.second);
    ASSERT_TRUE(b) << pair.first << " " << pair.second;
    EXPECT_GT(b->power, 15 * 4096000);
    EXPECT_EQ(b->qAdr, "bank.dat");
  }
}
