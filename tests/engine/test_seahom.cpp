// The comparison engine: self comparison, the query offset, frame letters and the motif cap.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "seahom.h"
#include "w_matrix.h"
#include "engine_fixture.h"
#include "testutil.h"

namespace {

std::string randomProtein(int n, unsigned seed) {
  const char *aa = "ACDEFGHIKLMNPQRSTVWY";
  std::string s;
  for (int i = 0; i < n; i++) {
    seed = seed * 1103515245u + 12345u;
    s += aa[(seed >> 16) % 20];
  }
  return s;
}

using testutil::seqOf;

// Parameters with the test color file, BLOSUM62 and no rescoring.
struct Params : SearchHomolParams {
  Params() {
    readTestColors(ag);
    useLookingTable = 1;
    helixFreqRecalc = 0;
    minHomolRatio = 0;
    Weight_matrix *w = new Weight_matrix;
    w->makeBlos62();
    wm = w;
  }
};

TEST(CompTwoSeq, QueryAgainstItselfGivesOneFullMotifPerPart) {
  Params p;
  std::string q = randomProtein(300, 7);
  Engine en(p, seqOf(q, '+'));
  int n = en.compare(seqOf(q, '+'));
  // Parts (0, 107), (100, 107), (200, 100).
  const int left[] = {0, 100, 200}, length[] = {107, 107, 100};
  for (int part = 0; part < 3; part++) {
    int found = 0;
    for (int i = 0; i < n; i++) {
      const MotifWei &m = en.mot[i];
      if (m.qBeg != left[part] || m.bBeg != m.qBeg || m.len != length[part]) continue;
      found++;
      EXPECT_EQ(m.sum, en.score(q.c_str() + m.qBeg, q.c_str() + m.bBeg, m.len));
      EXPECT_EQ(m.pow, m.sum * lenFactor(m.len));
      ASSERT_NE(m.wei, nullptr);
      EXPECT_EQ(m.wei[0], 0);
      EXPECT_EQ(m.wei[m.len], m.sum);
      EXPECT_EQ(m.frame, '+');
    }
    EXPECT_EQ(found, 1) << "part " << part;
  }
}

TEST(CompTwoSeq, FromShiftsOnlyQueryPositions) {
  Params p;
  std::string q = randomProtein(150, 11);
  Engine base(p, seqOf(q, '+'));
  int n0 = base.compare(seqOf(q, '+'));
  p.From = 10;
  Engine shifted(p, seqOf(q, '+'));
  int n1 = shifted.compare(seqOf(q, '+'));
  ASSERT_EQ(n0, n1);
  ASSERT_GT(n0, 0);
  for (int i = 0; i < n0; i++) {
    EXPECT_EQ(shifted.mot[i].qBeg, base.mot[i].qBeg + 9);
    EXPECT_EQ(shifted.mot[i].bBeg, base.mot[i].bBeg);
    EXPECT_EQ(shifted.mot[i].sum, base.mot[i].sum);
    for (int k = 0; k <= base.mot[i].len; k++) EXPECT_EQ(shifted.mot[i].wei[k], base.mot[i].wei[k]);
  }
}

TEST(CompTwoSeq, FrameLetterIsTheQueryFramesUnlessItIsPlus) {
  Params p;
  std::string q = randomProtein(120, 5);
  struct Case {
    char qf, bf, want;
  } cases[] = {{'a', '+', 'a'}, {'+', 'd', 'd'}, {'e', 'b', 'e'}, {'+', '+', '+'}};
  for (const Case &c : cases) {
    Engine en(p, seqOf(q, c.qf));
    int n = en.compare(seqOf(q, c.bf));
    ASSERT_GT(n, 0);
    for (int i = 0; i < n; i++) EXPECT_EQ(en.mot[i].frame, c.want);
  }
}

TEST(CompTwoSeq, RescoringDropsSegmentsBelowTheThresholdWithoutGaps) {
  Params p;
  p.helixFreqRecalc = 1;
  std::string q = randomProtein(200, 3);
  Engine en(p, seqOf(q, '+'));
  int n = en.compare(seqOf(q, '+'));
  ASSERT_GT(n, 0);
  long double thr = (long double)p.thPower * 1000 * 4096;
  for (int i = 0; i < n; i++) {
    EXPECT_GE((long double)en.mot[i].pow, thr);
    EXPECT_GT(en.mot[i].len, 0);
  }
}

TEST(CompTwoSeq, StopsAtTheCapAndNeverPastTheRoom) {
  // G-G pairs score and W-D pairs lose more than that: each diagonal of even shift is a comb
  // of one-letter segments, far more than 10000 over the whole query.
  Params p;
  p.thLength = 1;
  p.thPower = 0;
  p.coincRatio = 0;
  p.accurateDotHelix = 0;
  std::string q, b;
  for (int i = 0; i < 1500; i++) {
    q += "GW";
    b += "GD";
  }
  for (int room : {10000, 20000, 3000}) {
    Engine en(p, seqOf(q, '+'), 10001);
    int cap = room < 10000 ? room : 10000;
    en.mot[cap].qBeg = -777;
    int n = en.compare(seqOf(b, '+'), room);
    EXPECT_EQ(n, cap);
    EXPECT_EQ(en.mot[cap].qBeg, -777);
    EXPECT_EQ(en.mot[cap].wei, nullptr);
  }
}

TEST(CompTwoSeq, WithoutRunningSumsWhenTurnedOff) {
  Params p;
  std::string q = randomProtein(120, 9);
  Engine en(p, seqOf(q, '+'));
  en.e->fillWei = 0;
  int n = en.compare(seqOf(q, '+'));
  ASSERT_GT(n, 0);
  for (int i = 0; i < n; i++) EXPECT_EQ(en.mot[i].wei, nullptr);
}

TEST(CheckThres, WholeProfileAsOneCandidate) {
  int w[] = {5, -1, 3, 4};
  int num = -1;
  EXPECT_EQ(checkThres(w, 4, 5, 0, num), nullptr);
  EXPECT_EQ(num, 0);
  Homology_info *h = checkThres(w, 4, 4, 11 * 2048, num);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(num, 1);
  EXPECT_EQ(h->left, 0);
  EXPECT_EQ(h->length, 4);
  EXPECT_EQ(h->sum, 11);
  EXPECT_EQ(h->power, 11 * 2048);
  delete[] h;
  EXPECT_EQ(checkThres(w, 4, 4, 11 * 2048 + 1, num), nullptr);
}

}  // namespace
