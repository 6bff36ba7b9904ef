// The regions that two supermotifs imply (Reduce): facing stretches, widening, mirroring,
// clipping to the sequences, the merge per diagonal, and the segments turned into motifs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dothelix.h"
#include "params.h"
#include "tervex.h"
#include "testutil.h"

namespace {

// A supermotif with the given motifs {frame, qBeg, bBeg, len}, in chain order.
struct Mot {
  char frame;
  int q, b, len;
};
void fill(Supermotif &s, const std::vector<Mot> &mots) {
  Motif **tail = &s.first;
  for (const Mot &m : mots) {
    *tail = new Motif(m.q, m.b, m.len, 1000, 4096000, m.frame);
    tail = &(*tail)->next;
  }
  s.numMot = (int)mots.size();
}

WorkSeq letters(int n, char c = 'A') {
  WorkSeq s;
  std::string t(n, c);
  s.set(t.data(), n);
  return s;
}

std::vector<std::vector<int>> regionsOf(int L1, int L2, const std::vector<Mot> &a,
                                        const std::vector<Mot> &b) {
  Supermotif s1, s2;
  fill(s1, a);
  fill(s2, b);
  WorkSeq q = letters(L1), p = letters(L2);
  Weight_matrix wm;
  wm.makeBlos62();
  double f[22];
  wm.makeFreq(q.len(), q.seq(), f);
  Shifts sh(&q, &s1, &s2, p, wm, f);
  std::vector<std::vector<int>> v;
  int x, y;
  WorkSeq r1, r2;
  while (sh.next(x, y, r1, r2)) {
    EXPECT_EQ(r1.len(), r2.len());
    v.push_back({x, y, r1.len()});
  }
  EXPECT_EQ((int)v.size(), sh.getNum());
  return v;
}

using Regions = std::vector<std::vector<int>>;

}  // namespace

TEST(ReduceRegions, FacingStretchWidenedByUpToTen) {
  // Query 10..49 on bank 100..139 and query 30..69 on bank 0..39 share query 30..49.
  const std::vector<Mot> a{{'+', 10, 100, 40}}, b{{'+', 30, 0, 40}};
  EXPECT_EQ(regionsOf(300, 300, a, b), (Regions{{120, 0, 30}}));
  // e2 = min(L1 - 140, L2 - 20, 10).
  EXPECT_EQ(regionsOf(145, 300, a, b), (Regions{{120, 0, 25}}));
  EXPECT_EQ(regionsOf(300, 27, a, b), (Regions{{120, 0, 27}}));
  // Motifs that only touch on the query give a region of the widening alone.
  EXPECT_EQ(regionsOf(300, 300, {{'+', 0, 50, 20}}, {{'+', 20, 50, 20}}),
            (Regions{{60, 40, 20}}));
  // Apart on the query: nothing.
  EXPECT_EQ(regionsOf(300, 300, {{'+', 0, 50, 20}}, {{'+', 21, 50, 20}}), Regions{});
}

TEST(ReduceRegions, ComplementaryFramesMirrorAndReverse) {
  // A's frame '-' mirrors x and y on their sequences.
  const std::vector<Mot> a{{'-', 10, 20, 40}}, b{{'-', 30, 0, 40}};
  // Unmirrored x = 40, y = 0, len 20; mirrored on 100 and 80: x = 40, y = 60; widened by 10
  // in front and min(100 - 60, 80 - 80, 10) = 0 behind.
  EXPECT_EQ(regionsOf(100, 80, a, b), (Regions{{30, 50, 30}}));

  Supermotif s1, s2;
  fill(s1, {{'+', 0, 0, 20}});
  fill(s2, {{'-', 0, 0, 20}});
  WorkSeq q = letters(40), p;
  p.set("AACCGGTTAC", 10);
  Weight_matrix wm;
  wm.makeDiag();
  double f[22];
  wm.makeFreq(q.len(), q.seq(), f);
  Shifts sh(&q, &s1, &s2, p, wm, f);
  EXPECT_EQ(sh.getFrame(), '-');
  EXPECT_EQ(std::string(sh.getSeq2()->seq(), 10), "GTAACCGGTT");
}

TEST(ReduceRegions, PositionsOutsideTheSequencesAreClipped) {
  // bBeg far beyond the sequence: no region.
  EXPECT_EQ(regionsOf(100, 100, {{'+', 0, 500, 50}}, {{'+', 0, 0, 50}}), Regions{});
  // Negative positions (a garbled file): only what lies inside both sequences.
  EXPECT_EQ(regionsOf(100, 100, {{'+', 0, -30, 50}}, {{'+', 0, 0, 50}}), (Regions{{0, 30, 30}}));
  // Mirrored past the start: kept inside.
  for (const auto &r : regionsOf(30, 100, {{'-', 0, 0, 50}}, {{'+', 0, 0, 50}})) {
    EXPECT_GE(r[0], 0);
    EXPECT_GE(r[1], 0);
    EXPECT_LE(r[0] + r[2], 30);
    EXPECT_LE(r[1] + r[2], 100);
  }
}

TEST(ReduceRegions, MergeKeepsTheLaterRegionsEnd) {
  std::vector<Shift> s{{0, 0, 100}, {10, 10, 10}};
  mergeShifts(s);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].x, 0);
  EXPECT_EQ(s[0].len, 20);
  // The later-listed region starting first: the merged one starts there, ends with the first.
  s = {{50, 40, 10}, {20, 10, 5}, {5, 5, 3}};
  mergeShifts(s);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ((std::vector<int>{s[0].x, s[0].y, s[0].len}), (std::vector<int>{20, 10, 40}));
  EXPECT_EQ((std::vector<int>{s[1].x, s[1].y, s[1].len}), (std::vector<int>{5, 5, 3}));
  // Far apart on one diagonal: merged all the same.
  s = {{0, 100, 5}, {900, 1000, 5}};
  mergeShifts(s);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].len, 905);
}

TEST(ReduceRegions, SegmentsBecomeMotifsOnBothSequences) {
  Homology_info h[2] = {{3, 10, 500, 500 * 1295}, {20, 4, 80, 80 * 2048}};
  std::vector<Motif> mots(1);
  addMotifs(mots, 2, h, 100, 7, '-');
  ASSERT_EQ(mots.size(), 3u);
  EXPECT_EQ(mots[1].qBeg, 103);
  EXPECT_EQ(mots[1].bBeg, 10);
  EXPECT_EQ(mots[1].len, 10);
  EXPECT_EQ(mots[1].sum, 500);
  EXPECT_EQ(mots[1].pow, 500 * 1295);
  EXPECT_EQ(mots[2].qBeg, 120);
  EXPECT_EQ(mots[2].frame, '-');
  EXPECT_EQ(mots[2].next, nullptr);

  Supermotif a, b;
  a.bAdr = _strdup_("x.fa");
  b.bAdr = _strdup_("x.fa");
  a.bNum = b.bNum = 3;
  EXPECT_EQ(theSameBankSeq(&a, &b), 1);
  b.bNum = 4;
  EXPECT_EQ(theSameBankSeq(&a, &b), 0);
  fill(a, {{'+', 1, 2, 3}, {'+', 10, 20, 3}});
  addToBeg(&a, 5, -2);
  EXPECT_EQ(a.first->next->qBeg, 15);
  EXPECT_EQ(a.first->next->bBeg, 18);
}
