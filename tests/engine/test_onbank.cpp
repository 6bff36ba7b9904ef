// Splitting across frames, the capped result list, the selection step, the frame loop, the
// walk over the banks and the search in one thread.
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "onbank.h"
#include "testutil.h"
#include "work_seq.h"

namespace {

// A motif with running sums of 100 per letter (so any stretch of n letters sums to 100 n).
void setWei(MotifWei &m, int q, int b, int len, char frame, int perLetter = 100) {
  m.qBeg = q;
  m.bBeg = b;
  m.len = len;
  m.sum = perLetter * len;
  m.pow = powerOf(m.sum, len);
  m.frame = frame;
  delete[] m.wei;
  m.wei = new int[len + 1];
  for (int k = 0; k <= len; k++) m.wei[k] = perLetter * k;
}

struct Split {
  std::unique_ptr<MotifWei[]> mot;
  Motif *out;
  int n;
  explicit Split(int n_) : mot(new MotifWei[n_]), out(new Motif[3 * n_]), n(n_) {}
  ~Split() { delete[] out; }
  void run(int each) {
    motSplit2(n, mot.get(), out, each);
  }
  std::vector<int> lengths(int from, int count) const {
    std::vector<int> v;
    for (int i = from; i < from + count; i++) v.push_back(out[i].len);
    return v;
  }
};

TEST(MotSplit, ContainingMotifIsCutAtTheInnerEnds) {
  // Outer: frame a, query 10, length 40, diagonal 0. Inner: frame b, diagonal +2.
  struct Case {
    int innerQ, innerLen;
    std::vector<int> pieces;
  } cases[] = {{20, 10, {10, 10, 20}}, {12, 10, {12, 28}}, {20, 27, {10, 30}}, {11, 36, {40}}};
  for (const Case &c : cases) {
    Split s(2);
    setWei(s.mot[0], 10, 10, 40, 'a');
    setWei(s.mot[1], c.innerQ, c.innerQ + 2, c.innerLen, 'b');
    s.run(0);
    ASSERT_EQ(s.n, (int)c.pieces.size() + 1) << c.innerQ << "/" << c.innerLen;
    EXPECT_EQ(s.lengths(0, (int)c.pieces.size()), c.pieces);
    int q = 10;
    for (size_t k = 0; k < c.pieces.size(); k++) {
      const Motif &p = s.out[k];
      EXPECT_EQ(p.qBeg, q);
      EXPECT_EQ(p.bBeg, q);  // on the outer motif's diagonal
      EXPECT_EQ(p.sum, 100 * p.len);
      EXPECT_EQ(p.pow, 100 * p.len * lenFactor(p.len));
      EXPECT_EQ(p.frame, 'a');
      EXPECT_EQ(p.next, nullptr);
      q += p.len;
    }
    // The inner motif is copied as it is.
    EXPECT_EQ(s.out[s.n - 1].len, c.innerLen);
    EXPECT_EQ(s.mot[0].wei, nullptr);
    EXPECT_EQ(s.mot[1].wei, nullptr);
  }
}

TEST(MotSplit, PieceSumsComeFromTheRunningSums) {
  Split s(2);
  setWei(s.mot[0], 0, 0, 40, 'a');
  for (int k = 1; k <= 40; k++) s.mot[0].wei[k] = s.mot[0].wei[k - 1] + k * 7;  // uneven
  s.mot[0].sum = s.mot[0].wei[40];
  setWei(s.mot[1], 10, 11, 10, 'c');
  s.run(0);
  ASSERT_EQ(s.n, 4);
  EXPECT_EQ(s.out[0].sum, 7 * 55);         // 1..10
  EXPECT_EQ(s.out[1].sum, 7 * (210 - 55));  // 11..20
  EXPECT_EQ(s.out[2].sum, 7 * (820 - 210)); // 21..40
}

TEST(MotSplit, LongPiecesUseTheStepFactor) {
  Split s(2);
  setWei(s.mot[0], 0, 0, 4200, 'a', 10);
  setWei(s.mot[1], 2049, 2049, 100, 'd', 10);
  s.run(0);
  ASSERT_EQ(s.n, 4);
  EXPECT_EQ(s.out[0].len, 2049);
  EXPECT_EQ(s.out[0].pow, 20490 * 90);
  EXPECT_EQ(s.out[1].pow, 1000 * lenFactor(100));
  EXPECT_EQ(s.out[2].len, 2051);
  EXPECT_EQ(s.out[2].pow, 20510 * 90);
}

TEST(MotSplit, MotifsStayWholeWhenNothingQualifies) {
  struct Case {
    char outerFrame, innerFrame;
    int diag;
    int each;
  } cases[] = {
      {'a', 'b', 4, 0},   // diagonals too far apart
      {'a', 'b', -4, 0},
      {'a', 'a', 0, 0},   // same frame
      {'a', 'b', 1, 1},   // frames clustered one by one
      {'+', '-', 0, 0},   // no translation
      {'-', '+', 0, 0},
  };
  for (const Case &c : cases) {
    Split s(2);
    setWei(s.mot[0], 10, 10, 40, c.outerFrame);
    setWei(s.mot[1], 20, 20 + c.diag, 10, c.innerFrame);
    s.run(c.each);
    ASSERT_EQ(s.n, 2);
    EXPECT_EQ(s.out[0].len, 40);
    EXPECT_EQ(s.out[0].qBeg, 10);
    EXPECT_EQ(s.out[1].len, 10);
    EXPECT_EQ(s.mot[0].wei, nullptr);
    EXPECT_EQ(s.mot[1].wei, nullptr);
  }
}

TEST(MotSplit, IdenticalExtentsInTwoFramesAreBothKept) {
  Split s(2);
  setWei(s.mot[0], 5, 5, 30, 'a');
  setWei(s.mot[1], 5, 5, 30, 'b');
  s.run(0);
  ASSERT_EQ(s.n, 2);
  EXPECT_EQ(s.out[0].frame, 'a');
  EXPECT_EQ(s.out[0].len, 30);
  EXPECT_EQ(s.out[1].frame, 'b');
  EXPECT_EQ(s.out[1].len, 30);
}

TEST(MotSplit, EveryMotifSplitUsesThreeTimesTheRoom) {
  // Each outer motif contains an inner one of another frame: three pieces per outer motif.
  const int pairs = 50;
  Split s(2 * pairs);
  for (int i = 0; i < pairs; i++) {
    setWei(s.mot[2 * i], 100 * i, 100 * i, 40, 'a');
    setWei(s.mot[2 * i + 1], 100 * i + 15, 100 * i + 15, 10, 'b');
  }
  s.run(0);
  EXPECT_EQ(s.n, pairs * 4);
}

// ---------------------------------------------------------------- the result list

Supermotif *sup(int power, int q = 0, int len = 1) {
  Supermotif *s = new Supermotif;
  s->power = power;
  s->numMot = 1;
  s->first = new Motif(q, q, len, 0, 0, '+');
  return s;
}

TEST(AddSuper, NewcomersGoAfterEqualPowersAndTheListIsCapped) {
  std::vector<Supermotif *> list;
  Supermotif *s5 = sup(5), *s7a = sup(7), *s7b = sup(7), *s6 = sup(6);
  Supermotif *arr1[] = {s5, s7a};
  addSuper(list, 2, arr1, 2, "bankA", 3);
  Supermotif *arr2[] = {s7b, s6};
  addSuper(list, 2, arr2, 2, "bankB", 4);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], s7a);
  EXPECT_EQ(list[1], s7b);
  EXPECT_STREQ(list[0]->bAdr, "bankA");
  EXPECT_EQ(list[0]->bNum, 3);
  EXPECT_STREQ(list[1]->bAdr, "bankB");
  EXPECT_EQ(list[1]->bNum, 4);
  // A newcomer equal to the last entry of a full list is dropped.
  Supermotif *arr3[] = {sup(7)};
  addSuper(list, 1, arr3, 2, "bankC", 5);
  EXPECT_EQ(list[1], s7b);
  for (Supermotif *s : list) delete s;
}

TEST(AddSuper, NoRoomKeepsNothing) {
  for (int numMax : {0, -5}) {
    std::vector<Supermotif *> list;
    Supermotif *arr[] = {sup(9), sup(3)};
    addSuper(list, 2, arr, numMax, "b", 0);
    EXPECT_TRUE(list.empty());
  }
}

TEST(AddSuper, GrowsOnlyAsNeededUnderAHugeCap) {
  std::vector<Supermotif *> list;
  for (int i = 0; i < 20; i++) {
    Supermotif *arr[] = {sup(i % 4)};
    addSuper(list, 1, arr, 2147483647, "b", i);
  }
  ASSERT_EQ(list.size(), 20u);
  for (size_t i = 1; i < list.size(); i++) {
    EXPECT_GE(list[i - 1]->power, list[i]->power);
    if (list[i - 1]->power == list[i]->power) {
      EXPECT_LT(list[i - 1]->bNum, list[i]->bNum);
    }
  }
  for (Supermotif *s : list) delete s;
}

TEST(CmpSup, LargerPowerFirst) {
  Supermotif *a = sup(10), *b = sup(4);
  EXPECT_EQ(cmpSup(&a, &b), -1);
  EXPECT_EQ(cmpSup(&b, &a), 1);
  EXPECT_EQ(cmpSup(&a, &a), 0);
  delete a;
  delete b;
}

// A supermotif whose motifs cover [q, q + len) for each pair given.
Supermotif *covering(int power, std::vector<std::pair<int, int>> spans) {
  Supermotif *s = new Supermotif;
  s->power = power;
  Motif **tail = &s->first;
  for (auto &sp : spans) {
    *tail = new Motif(sp.first, sp.first, sp.second, 0, 0, '+');
    tail = &(*tail)->next;
    s->numMot++;
  }
  return s;
}

TEST(SelectSuper, KeepsThoseMostlyNew) {
  // After 10 kept positions, 2 covered + 10 new is kept (2 <= 0.1 x 20) and 3 covered + 10
  // new is dropped (3 > 0.1 x 20); one lying wholly under a stronger one goes too.
  struct Case {
    int q, len;
    int kept;
  } cases[] = {{8, 12, 2}, {7, 13, 1}, {2, 5, 1}, {10, 10, 2}};
  std::vector<unsigned char> scratch;
  for (const Case &c : cases) {
    Supermotif *first = covering(100, {{0, 10}});
    Supermotif *other = covering(90, {{c.q, c.len}});
    Supermotif *arr[] = {other, first};  // sorted inside
    int n = 2;
    SelectSuper(n, arr, 100, scratch);
    ASSERT_EQ(n, c.kept) << c.q << "/" << c.len;
    EXPECT_EQ(arr[0], first);
    for (int i = 0; i < n; i++) delete arr[i];
    // The scratch is left clear for the next call.
    for (unsigned char b : scratch) ASSERT_EQ(b, 0);
  }
  // Positions covered twice by one supermotif count twice.
  Supermotif *first = covering(100, {{0, 10}});
  Supermotif *twice = covering(90, {{9, 11}, {8, 2}});  // 8, 9, 9 covered; 10 new
  Supermotif *arr[] = {first, twice};
  int n = 2;
  SelectSuper(n, arr, 100, scratch);
  EXPECT_EQ(n, 1);
  for (int i = 0; i < n; i++) delete arr[i];
}

TEST(SelectSuper, EqualPowersKeepTheirOrder) {
  Supermotif *a = covering(50, {{0, 10}}), *b = covering(50, {{0, 10}});
  Supermotif *c = covering(60, {{40, 10}});
  Supermotif *arr[] = {a, b, c};
  int n = 3;
  SelectSuper(n, arr, 50);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(arr[0], c);
  EXPECT_EQ(arr[1], a);  // b repeats a and goes
  delete a;
  delete c;
}

TEST(SelectSuperDeathTest, MotifBeyondTheQueryEnds11) {
  // Ending exactly at seqLen is legal; one letter beyond it ends the run.
  Supermotif *ok = covering(5, {{90, 10}});
  Supermotif *arr[] = {ok};
  int n = 1;
  SelectSuper(n, arr, 100);
  EXPECT_EQ(n, 1);
  delete ok;
  EXPECT_EXIT(
      {
        fflush(stdout);
        dup2(STDERR_FILENO, STDOUT_FILENO);  // the message goes to standard output
        Supermotif *bad = covering(5, {{91, 10}});
        Supermotif *arr2[] = {bad};
        int m = 1;
        SelectSuper(m, arr2, 100);
      },
      ::testing::ExitedWithCode(11), "SelectSuper: mot->qBeg 91 \\+ mot->len 10 >= seqLen 100\n");
}

// ---------------------------------------------------------------- the frame loop

class CountingSink : public SuperSink {
 public:
  int groups = 0;
  int supers = 0;
  void take(int numSuper, Supermotif **super) override {
    groups++;
    for (int i = 0; i < numSuper; i++) delete super[i];
    supers += numSuper;
    delete[] super;
  }
};

std::string firstSeq(const std::string &fasta) {
  std::string seq, line;
  size_t pos = fasta.find('\n') + 1;
  for (; pos < fasta.size() && fasta[pos] != '>'; pos++)
    if (fasta[pos] != '\n') seq += fasta[pos];
  return seq;
}

struct Loop {
  testutil::TempDir dir;
  SearchHomolParams params;
  QueryFrames qf;
  WorkSeq query;
  explicit Loop(const std::string &extra, const std::string &queryFile, int baseMolType) {
    std::string d = SEQ_TEST_DATA "/search/";
    testutil::writeFile(dir.file("p.txt"),
                        "!c " + d + "colors.txt\n!e " + d + "code.txt\n" + extra);
    FILE *f = fopen(dir.file("p.txt").c_str(), "rb");
    params.freadParam(f);
    fclose(f);
    params.baseMolType = baseMolType;
    std::string q = firstSeq(testutil::readFile(d + queryFile));
    query.set(q.c_str(), (int)q.size());
    query.frame = '+';
    params.readMatr(query);
    qf.build(params, query, baseMolType);
  }
  int run(const std::string &seq, int bankMol, CountingSink &sink, FrameLoopWork &work) {
    BankSeq b;
    b.set(seq.c_str(), (int)seq.size());
    b.frame = '+';
    compareBankSeq(qf.engine, qf.numQFrame, qf.querMolType, qf.querIsTran, b, bankMol,
                   clusterThresholds(params), 0, query.len(), work, sink);
    return sink.groups;
  }
};

TEST(FrameLoop, TranslatedQueryAgainstAMixedList) {
  // Six translated frames and the nucleic one; each pair clustered alone (D f).
  Loop l("!E Y\n!D f\n", "query_nuc.fa", 2);
  ASSERT_EQ(l.qf.numQFrame, 7);
  EXPECT_EQ(l.qf.frame(0).frame, 'a');
  EXPECT_EQ(l.qf.frame(5).frame, 'f');
  EXPECT_EQ(l.qf.frame(6).frame, '+');
  std::string d = SEQ_TEST_DATA "/search/";
  std::string nuc = firstSeq(testutil::readFile(d + "query_nuc.fa"));
  std::string prot = firstSeq(testutil::readFile(d + "queries.fa"));
  FrameLoopWork work;
  // Nucleic bank sequence: the nucleic frame only, against '+' and '-'.
  CountingSink s1;
  EXPECT_EQ(l.run(nuc, 1, s1, work), 2);
  EXPECT_GE(s1.supers, 1);
  // A protein bank sequence after it: one bank frame, six query frames.
  CountingSink s2;
  EXPECT_EQ(l.run(prot, 0, s2, work), 6);
  EXPECT_GE(s2.supers, 1);
}

TEST(FrameLoop, PooledFramesClusterOncePerStrand) {
  Loop l("!E Y\n!D j\n", "query_nuc.fa", 0);
  ASSERT_EQ(l.params.eachFrame, 0);
  std::string prot = firstSeq(testutil::readFile(SEQ_TEST_DATA "/search/queries.fa"));
  FrameLoopWork work;
  CountingSink s;
  EXPECT_EQ(l.run(prot, 0, s, work), 2);  // after 'c' and after 'f'
  EXPECT_GE(s.supers, 1);
}

TEST(FrameLoop, ProteinQueryAgainstNucleicBankTranslatesTheBank) {
  Loop l("!E Y\n!D f\n", "queries.fa", 1);
  ASSERT_EQ(l.qf.numQFrame, 1);
  std::string nuc = firstSeq(testutil::readFile(SEQ_TEST_DATA "/search/query_nuc.fa"));
  FrameLoopWork work;
  CountingSink s;
  EXPECT_EQ(l.run(nuc, 1, s, work), 6);
  EXPECT_GE(s.supers, 1);
}

// ---------------------------------------------------------------- the bank walk

// Records what the walk hands over; places are handed out one at a time.
class Recorder : public BankSeqHandler {
 public:
  std::vector<std::string> seen;  // "bank nSeq mol residues"
  int placed = 0, unusedCount = 0;
  WorkSeq &place() override {
    EXPECT_EQ(placed, (int)seen.size() + unusedCount) << "a place handed out twice";
    placed++;
    return seq;
  }
  void handle(const char *bankPath, int bankMolType, int nSeq) override {
    std::string base = bankPath;
    base = base.substr(base.rfind('/') + 1);
    seen.push_back(base + " " + std::to_string(nSeq) + " " + std::to_string(bankMolType) + " " +
                   std::string(seq.seq(), seq.len()).substr(0, 4));
  }
  void unused() override { unusedCount++; }

 private:
  WorkSeq seq;
};

// Runs fn in dir (where the progress file goes) and returns to the previous directory.
template <class Fn>
void inDir(const std::string &dir, Fn fn) {
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  fn();
  ASSERT_EQ(chdir(old), 0);
}

TEST(BankWalk, EverySequenceOfEveryBankInListOrder) {
  testutil::TempDir dir;
  const std::string d = SEQ_TEST_DATA "/searchit/";
  const std::string gone = dir.file("gone.fa");
  std::vector<std::string> paths = {d + "nuc.fa", gone, d + "empty.fa", d + "prot_a.fa"};
  std::vector<char *> list;
  for (std::string &p : paths) list.push_back(&p[0]);
  list.push_back(nullptr);
  SearchHomolParams params;  // a protein query meets no nucleic bank here
  Recorder r;
  testing::internal::CaptureStdout();
  inDir(dir.path(), [&] { walkBanks(list.data(), 1, params, r); });
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "\n Base " + gone + " invalid");
  ASSERT_EQ(r.seen.size(), 9u);
  EXPECT_EQ(r.seen[0], "nuc.fa 0 1 CGAG");
  EXPECT_EQ(r.seen[3].substr(0, 10), "nuc.fa 3 1");
  EXPECT_EQ(r.seen[4], "prot_a.fa 0 0 KQQP");
  EXPECT_EQ(r.seen[8].substr(0, 13), "prot_a.fa 4 0");
  // One unfilled place at the end of each bank that opened.
  EXPECT_EQ(r.unusedCount, 3);
  EXPECT_EQ(testutil::readFile(dir.file("ctr")),
            " \n Bank " + paths[0] + "   \n Bank " + gone + "   \n Bank " + paths[2] +
                "   \n Bank " + paths[3] + "  ");
}

TEST(BankWalk, ProteinQueryAgainstNucleicBankNeedsTheCode) {
  testutil::TempDir dir;
  std::string nuc = SEQ_TEST_DATA "/searchit/nuc.fa";
  char *list[] = {&nuc[0], nullptr};
  SearchHomolParams params;  // no translation code read
  Recorder r;
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        inDir(dir.path(), [&] { walkBanks(list, 0, params, r); });
      },
      ::testing::ExitedWithCode(111), "Can.t open file with translation code \\(null\\)");
}

// ---------------------------------------------------------------- the search in one thread

// The query twice in one bank sequence: two supermotifs over the same query letters, of which
// the selection step keeps the stronger only.
TEST(SearchOnBank, SelectionFollowsTheParametersUnlessTheCallerSays) {
  testutil::TempDir dir;
  const std::string d = SEQ_TEST_DATA "/search/";
  const std::string q = firstSeq(testutil::readFile(d + "queries.fa"));
  const std::string filler = firstSeq(testutil::readFile(SEQ_TEST_DATA "/searchit/prot_a.fa"));
  std::string bank = dir.file("twice.fa");
  testutil::writeFile(bank, ">twice\n" + q + filler + filler + q.substr(0, 90) + "\n");
  char *list[] = {&bank[0], nullptr};
  auto run = [&](const std::string &select, int arg) {
    SearchHomolParams params;
    testutil::writeFile(dir.file("p.txt"), "!c " + d + "colors.txt\n!e " + d + "code.txt\n" + select);
    FILE *f = fopen(dir.file("p.txt").c_str(), "rb");
    params.freadParam(f);
    fclose(f);
    params.baseMolType = 0;
    WorkSeq query;
    query.set(q.c_str(), (int)q.size());
    query.frame = '+';
    params.readMatr(query);
    std::vector<Supermotif *> result;
    int n = 0;
    inDir(dir.path(), [&] {
      n = arg == -2 ? searchOnBank(params, list, query, result)
                    : searchOnBank(params, list, query, result, arg);
    });
    EXPECT_EQ(n, (int)result.size());
    for (Supermotif *s : result) delete s;
    return n;
  };
  const int all = run("", -2);
  ASSERT_GE(all, 2);
  EXPECT_EQ(run("!l Y\n", -2), 1);
  EXPECT_EQ(run("!l Y\n", 0), all);
  EXPECT_EQ(run("", 1), 1);
}

}  // namespace
