// Motif and supermotif operations: chains, merging, mirroring, addresses, parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include <unistd.h>

#include "motif.h"

namespace {

struct M {
  int qBeg, bBeg, len, sum;
  char frame;
};

// Builds a chain of the given motifs (pow from the scale), numMot set to their number.
void makeChain(Supermotif &s, std::vector<M> ms) {
  Motif **tail = &s.first;
  for (auto &m : ms) {
    *tail = new Motif(m.qBeg, m.bBeg, m.len, m.sum, powerOf(m.sum, m.len), m.frame);
    tail = &(*tail)->next;
  }
  s.numMot = (int)ms.size();
}

std::vector<M> chainOf(const Supermotif &s) {
  std::vector<M> out;
  for (Motif *m = s.first; m; m = m->next) out.push_back({m->qBeg, m->bBeg, m->len, m->sum, m->frame});
  return out;
}

bool operator==(const M &a, const M &b) {
  return a.qBeg == b.qBeg && a.bBeg == b.bBeg && a.len == b.len && a.sum == b.sum &&
         a.frame == b.frame;
}

TEST(Motif, ConstructionAndUpdate) {
  Motif d;
  EXPECT_EQ(d.qBeg, 0);
  EXPECT_EQ(d.bBeg, 0);
  EXPECT_EQ(d.len, 0);
  EXPECT_EQ(d.sum, 0);
  EXPECT_EQ(d.pow, 0);
  EXPECT_EQ(d.next, nullptr);
  EXPECT_EQ(d.frame, ' ');

  Motif m(1, 2, 3, 4, 5, 'c');
  m.next = &d;
  m.update(10, 40, 16, 4000, 4096000, '+');
  EXPECT_EQ(m.next, nullptr);
  EXPECT_EQ(m.qBeg, 10);
  EXPECT_EQ(m.bBeg, 40);
  EXPECT_EQ(m.len, 16);
  EXPECT_EQ(m.pow, 4096000);
  EXPECT_EQ(m.frame, '+');

  m.add(9, 1000);  // 25 letters, 5000: factor 819
  EXPECT_EQ(m.len, 25);
  EXPECT_EQ(m.sum, 5000);
  EXPECT_EQ(m.pow, 5000 * 819);

  m.reverse(100);
  EXPECT_EQ(m.bBeg, 100 - 40 - 25);
  EXPECT_EQ(m.qBeg, 10);

  MotifWei w;
  EXPECT_EQ(w.wei, nullptr);
  w.wei = new int[17]();  // released by the destructor
  w.len = 16;
  MotifWei moved(std::move(w));
  EXPECT_EQ(w.wei, nullptr);
  ASSERT_NE(moved.wei, nullptr);
  EXPECT_EQ(moved.len, 16);
  MotifWei target;
  target.wei = new int[3]();  // replaced, not leaked
  int *held = moved.wei;
  target = std::move(moved);
  EXPECT_EQ(target.wei, held);
  EXPECT_EQ(moved.wei, nullptr);
}

TEST(Motif, EqualComparesPlaceAndFrameOnly) {
  Motif a(5, 6, 7, 100, 200, 'a');
  Motif b(5, 6, 7, -3, 9, 'a');
  EXPECT_EQ(a.equal(&b), 1);
  Motif c(5, 6, 7, 100, 200, 'b');
  Motif d(5, 6, 8, 100, 200, 'a');
  Motif e(4, 6, 7, 100, 200, 'a');
  Motif f(5, 7, 7, 100, 200, 'a');
  for (Motif *x : {&c, &d, &e, &f}) EXPECT_EQ(a.equal(x), 0);
}

TEST(Supermotif, DefaultIsEmptyAndDestroysSafely) {
  {
    Supermotif s;
    EXPECT_EQ(s.power, 0);
    EXPECT_EQ(s.numMot, 0);
    EXPECT_EQ(s.getqAdr(), nullptr);
    EXPECT_EQ(s.getbAdr(), nullptr);
    EXPECT_EQ(s.getMot(), nullptr);
    EXPECT_EQ(s.getqNum(), 0);
    EXPECT_EQ(s.getbNum(), 0);
  }
  Supermotif s;
  makeChain(s, {{0, 0, 10, 100, '+'}, {10, 10, 5, 50, '+'}});
  s.update("q.fa", 3, '+');
  s.del();
  EXPECT_EQ(s.first, nullptr);
  EXPECT_EQ(s.qAdr, nullptr);
  EXPECT_EQ(s.numMot, 2);  // del keeps the count
  s.del();                 // twice is harmless
}

TEST(Supermotif, GlueMotMergesTouchingRuns) {
  Supermotif s;
  makeChain(s, {{0, 100, 10, 400, 'a'}, {10, 110, 6, 300, 'a'}, {16, 116, 9, 500, 'a'}});
  s.glueMot();
  EXPECT_EQ(s.numMot, 1);
  ASSERT_NE(s.first, nullptr);
  EXPECT_EQ(s.first->next, nullptr);
  EXPECT_EQ(s.first->len, 25);
  EXPECT_EQ(s.first->sum, 1200);
  EXPECT_EQ(s.first->pow, 1200 * 819);
}

TEST(Supermotif, GlueMotKeepsApart) {
  struct {
    std::vector<M> in;
    std::vector<M> out;
  } cases[] = {
      // different frames
      {{{0, 0, 10, 1, 'a'}, {10, 10, 5, 2, 'b'}}, {{0, 0, 10, 1, 'a'}, {10, 10, 5, 2, 'b'}}},
      // touch on the query only
      {{{0, 0, 10, 1, '+'}, {10, 12, 5, 2, '+'}}, {{0, 0, 10, 1, '+'}, {10, 12, 5, 2, '+'}}},
      // touch on the bank only
      {{{0, 0, 10, 1, '+'}, {11, 10, 5, 2, '+'}}, {{0, 0, 10, 1, '+'}, {11, 10, 5, 2, '+'}}},
      // two separate runs
      {{{0, 0, 4, 1, '+'}, {4, 4, 4, 2, '+'}, {20, 30, 3, 4, '+'}, {23, 33, 2, 8, '+'}},
       {{0, 0, 8, 3, '+'}, {20, 30, 5, 12, '+'}}},
      // one motif, and nothing
      {{{7, 8, 9, 10, 'd'}}, {{7, 8, 9, 10, 'd'}}},
      {{}, {}},
  };
  for (auto &c : cases) {
    Supermotif s;
    makeChain(s, c.in);
    s.glueMot();
    EXPECT_EQ(chainOf(s), c.out);
    EXPECT_EQ(s.numMot, (int)c.out.size());
    for (Motif *m = s.first; m; m = m->next) EXPECT_EQ(m->pow, powerOf(m->sum, m->len));
  }
}

TEST(Supermotif, ReverseMirrorsOnTheBank) {
  Supermotif s;
  makeChain(s, {{5, 10, 20, 1, '-'}, {30, 40, 10, 2, '-'}});
  s.reverse(100);
  std::vector<M> want = {{30, 50, 10, 2, '-'}, {5, 70, 20, 1, '-'}};
  EXPECT_EQ(chainOf(s), want);

  // The chain, not numMot, decides what is walked.
  s.numMot = 7;
  s.reverse(100);
  std::vector<M> back = {{5, 10, 20, 1, '-'}, {30, 40, 10, 2, '-'}};
  EXPECT_EQ(chainOf(s), back);

  Supermotif empty;
  empty.numMot = 3;
  empty.reverse(100);
  EXPECT_EQ(empty.first, nullptr);
}

TEST(Supermotif, SupLenAndUnTransl) {
  Supermotif s;
  makeChain(s, {{0, 0, 10, 1, '+'}, {15, 12, 5, 1, '+'}});
  EXPECT_EQ(s.supLen(), 20);
  s.unTransl();
  std::vector<M> want = {{0, 0, 30, 1, '+'}, {15, 36, 15, 1, '+'}};
  EXPECT_EQ(chainOf(s), want);

  Supermotif o;  // overlapping neighbours shorten the span
  makeChain(o, {{0, 0, 10, 1, '+'}, {4, 5, 3, 1, '+'}});
  EXPECT_EQ(o.supLen(), 10 + 3 - 5);
  Supermotif e;
  EXPECT_EQ(e.supLen(), 0);
}

TEST(Supermotif, UpdateSetsQueryAndFrames) {
  Supermotif s;
  makeChain(s, {{0, 0, 10, 1, 'a'}, {15, 12, 5, 1, 'b'}});
  s.update("first.fa", 1, '+');
  EXPECT_STREQ(s.qAdr, "first.fa");
  EXPECT_EQ(s.first->frame, 'a');
  EXPECT_EQ(s.first->next->frame, 'b');
  s.update("second.fa", 2, 'd');  // replaces (and frees) the first address
  EXPECT_STREQ(s.qAdr, "second.fa");
  EXPECT_EQ(s.qNum, 2);
  EXPECT_EQ(s.first->frame, 'd');
  EXPECT_EQ(s.first->next->frame, 'd');
  s.update(s.qAdr, 4, '+');  // its own address
  EXPECT_STREQ(s.qAdr, "second.fa");
}

TEST(Supermotif, CopyIsDeepAndChgQBSwaps) {
  Supermotif a;
  makeChain(a, {{1, 2, 10, 5, 'a'}, {20, 30, 5, 6, 'b'}});
  a.update("q.fa", 3, '+');
  a.bAdr = new char[5];
  strcpy(a.bAdr, "b.fa");
  a.bNum = 17;
  a.power = 12345;

  Supermotif c;
  makeChain(c, {{9, 9, 9, 9, '+'}});  // replaced by the copy
  c.copy(&a);
  EXPECT_EQ(c.power, 12345);
  EXPECT_EQ(c.numMot, 2);
  EXPECT_EQ(c.qNum, 3);
  EXPECT_EQ(c.bNum, 17);
  EXPECT_STREQ(c.qAdr, "q.fa");
  EXPECT_STREQ(c.bAdr, "b.fa");
  EXPECT_NE(c.qAdr, a.qAdr);
  EXPECT_NE(c.bAdr, a.bAdr);
  EXPECT_NE(c.first, a.first);
  EXPECT_EQ(chainOf(c), chainOf(a));
  c.copy(&c);  // self-copy keeps everything
  EXPECT_EQ(chainOf(c), chainOf(a));

  c.chgQB();
  EXPECT_STREQ(c.qAdr, "b.fa");
  EXPECT_STREQ(c.bAdr, "b.fa");
  EXPECT_EQ(c.qNum, 17);
  std::vector<M> swapped = {{2, 1, 10, 5, 'a'}, {30, 20, 5, 6, 'b'}};
  EXPECT_EQ(chainOf(c), swapped);
  a.del();
  EXPECT_EQ(chainOf(c), swapped);  // the copy owns its chain
}

TEST(Supermotif, GetParam) {
  Supermotif s;
  s.power = 4096000;
  makeChain(s, {{0, 0, 10, 1, '+'}, {15, 12, 5, 1, '+'}});
  EXPECT_DOUBLE_EQ(getParam(&s, 0), 1.0);
  EXPECT_DOUBLE_EQ(getParam(&s, 1), 4096000 / (4096000.0 * std::sqrt(20.0)));

  Supermotif o;  // span below 1 counts as 1
  o.power = 8192000;
  makeChain(o, {{10, 10, 1, 1, '+'}, {0, 0, 1, 1, '+'}});
  ASSERT_LE(o.supLen(), 0);
  EXPECT_DOUBLE_EQ(getParam(&o, 1), 2.0);

  Motif m(0, 0, 16, 4000, 4096000, '+');
  EXPECT_DOUBLE_EQ(getParam(&m, 0), 1.0);
  EXPECT_DOUBLE_EQ(getParam(&m, 1), 0.25);
  Motif z(0, 0, 0, 0, 4096000, '+');
  EXPECT_DOUBLE_EQ(getParam(&z, 1), 1.0);
}

TEST(SupermotifDeath, GetParamRejectsOtherTypes) {
  Supermotif s;
  Motif m;
  EXPECT_EXIT(getParam(&s, 2), testing::ExitedWithCode(111), "");
  EXPECT_EXIT(getParam(&m, -1), testing::ExitedWithCode(111), "");
  EXPECT_EXIT(getParam(&m, 2), testing::ExitedWithCode(111), "");
}

TEST(SupermotifDeath, GetParamMessage) {
  Supermotif s;
  // The message goes to standard output; send it to stderr so the death test sees it.
  EXPECT_EXIT(
      {
        dup2(2, 1);
        getParam(&s, 2);
      },
      testing::ExitedWithCode(111), "^getParam: Invalid pramType 2$");
}

}  // namespace
