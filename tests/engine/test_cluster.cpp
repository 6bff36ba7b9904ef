// Motif clustering: merged powers, pieces of weaker motifs, tie rules and emission.
#include <gtest/gtest.h>

#include <vector>

#include "cluster.h"

namespace {

Motif mot(int q, int b, int len, int sum, int pow, char frame = '+') {
  return Motif(q, b, len, sum, pow, frame);
}
Motif mot(int q, int b, int len, int sum, char frame = '+') {
  return Motif(q, b, len, sum, powerOf(sum, len), frame);
}

struct Clusters {
  Supermotif **super = nullptr;
  int n = 0;
  Clusters(std::vector<Motif> m, int lenThres, int powThres, int gap) {
    n = Find_clusters((int)m.size(), m.data(), super, lenThres, powThres, gap);
  }
  ~Clusters() {
    if (super)
      for (int i = 0; super[i]; i++) delete super[i];
    delete[] super;
  }
  std::vector<Motif> chain(int i) const {
    std::vector<Motif> out;
    for (Motif *m = super[i]->first; m; m = m->next) out.push_back(*m);
    return out;
  }
};

TEST(Cluster, MotifsOnOneDiagonalMergeAtTheSpanFactor) {
  ASSERT_EQ(lenFactor(20), 915);
  ASSERT_EQ(lenFactor(50), 579);
  ASSERT_EQ(lenFactor(53), 562);
  Clusters c({mot(0, 0, 20, 20000, 20000 * 915), mot(30, 30, 20, 20000, 20000 * 915)}, 7, 0, 1000);
  ASSERT_EQ(c.n, 1);
  EXPECT_EQ(c.super[0]->power, 40000 * 579);
  EXPECT_EQ(c.super[0]->numMot, 2);
  EXPECT_EQ(c.super[1], nullptr);
  EXPECT_EQ(c.super[0]->qAdr, nullptr);
  EXPECT_EQ(c.super[0]->bAdr, nullptr);
}

TEST(Cluster, ChangeOfDiagonalCostsTheGapPenaltyAndLengthens) {
  Clusters c({mot(0, 0, 20, 20000, 20000 * 915), mot(30, 33, 20, 20000, 20000 * 915)}, 7, 0, 1000);
  ASSERT_EQ(c.n, 1);
  EXPECT_EQ(c.super[0]->power, (40000 - 3 * 1000) * 562);
}

TEST(Cluster, OverlapStickingOutLessThanMinLenGivesNoMerger) {
  // B sticks out 5 letters behind A: the piece is shorter than 7 and dropped.
  Clusters c({mot(0, 0, 20, 20000), mot(15, 15, 10, 5000)}, 7, 0, 1000);
  ASSERT_EQ(c.n, 2);
  EXPECT_EQ(c.super[0]->power, 20000 * 915);
  EXPECT_EQ(c.super[1]->power, powerOf(5000, 10));
  // The weaker one is emitted only when it reaches the threshold.
  Clusters d({mot(0, 0, 20, 20000), mot(15, 15, 10, 5000)}, 7, powerOf(5000, 10) + 1, 1000);
  EXPECT_EQ(d.n, 1);
}

TEST(Cluster, PiecesOfAWeakerMotifAreScoredProRata) {
  // W (0..14, sum 14348) in front of the stronger A: its head of 7 letters joins with the
  // extended-precision share 14348 / 14 x 7, which truncates to 7173.
  Clusters c({mot(7, 7, 10, 20000, 'a'), mot(0, 0, 14, 14348, 'b')}, 7, 0, 1000);
  ASSERT_EQ(c.n, 1);
  auto ch = c.chain(0);
  ASSERT_EQ(ch.size(), 2u);
  EXPECT_EQ(ch[0].qBeg, 0);
  EXPECT_EQ(ch[0].len, 7);
  EXPECT_EQ(ch[0].sum, 7173);
  EXPECT_EQ(ch[0].pow, 7173 * lenFactor(7));
  EXPECT_EQ(ch[0].frame, 'b');
  EXPECT_EQ(ch[1].qBeg, 7);
  EXPECT_EQ(c.super[0]->power, (7173 + 20000) * lenFactor(17));
}

TEST(Cluster, StraddlingMotifGivesHeadAndTailPieces) {
  Clusters c({mot(10, 10, 10, 20000, 'a'), mot(0, 0, 30, 30000, 'b')}, 7, 0, 1000);
  ASSERT_EQ(c.n, 1);
  auto ch = c.chain(0);
  ASSERT_EQ(ch.size(), 3u);
  EXPECT_EQ(ch[0].qBeg, 0);
  EXPECT_EQ(ch[0].len, 10);
  EXPECT_EQ(ch[0].sum, 10000);
  EXPECT_EQ(ch[1].qBeg, 10);
  EXPECT_EQ(ch[1].sum, 20000);
  EXPECT_EQ(ch[2].qBeg, 20);
  EXPECT_EQ(ch[2].len, 10);
  EXPECT_EQ(ch[2].sum, 10000);
  EXPECT_EQ(c.super[0]->power, 40000 * lenFactor(30));
}

TEST(Cluster, GlueJoinsTouchingPiecesOfOneFrame) {
  // The same straddle in one frame comes back as one motif.
  Clusters c({mot(10, 10, 10, 20000), mot(0, 0, 30, 30000)}, 7, 0, 1000);
  ASSERT_EQ(c.n, 1);
  auto ch = c.chain(0);
  ASSERT_EQ(ch.size(), 1u);
  EXPECT_EQ(ch[0].len, 30);
  EXPECT_EQ(ch[0].sum, 40000);
  EXPECT_EQ(c.super[0]->numMot, 1);
}

TEST(Cluster, EqualPowersTakeDifferentRolesInEstimateAndMerger) {
  // Estimate with the higher slot (B) as the stronger: 40000 x 747; the merger keeps the
  // lower slot (A) whole and adds B's tail [20, 30): 35000 x 747.
  const int X = 20000 * 915;
  std::vector<Motif> m = {mot(0, 0, 20, 20000, X), mot(10, 10, 20, 30000, X)};
  P_Cluster a, b;
  a.first = new Motif(m[0]);
  a.power = X;
  b.first = new Motif(m[1]);
  b.power = X;
  EXPECT_EQ(calculate_power(&b, &a, 7, 1000), 40000 * 747);
  EXPECT_EQ(calculate_power(&a, &b, 7, 1000), 35000 * 747);
  Clusters c(m, 7, 0, 1000);
  ASSERT_EQ(c.n, 1);
  EXPECT_EQ(c.super[0]->power, 35000 * 747);
}

TEST(Cluster, EqualEstimatesMergeTheFirstPairInScanOrder) {
  // (1,0) and (2,1) have the same estimate; (1,0) comes first, so slot 0 survives both
  // mergers. Merging (2,1) first would have left slot 1.
  std::vector<Motif> m = {mot(0, 0, 10, 10000), mot(20, 20, 10, 10000), mot(40, 40, 10, 10000)};
  Cluster_generator g(3, m.data(), 7, 1000);
  EXPECT_EQ(g.status[0], 0);
  EXPECT_EQ(g.status[1], 1);
  EXPECT_EQ(g.status[2], 1);
  EXPECT_EQ(g.num_active_clusters, 1);
  EXPECT_EQ(g.cluster[0]->num_homologies, 3);
  EXPECT_EQ(g.cluster[0]->power, 30000 * lenFactor(50));
}

TEST(Cluster, EmissionInSlotOrderSkipsWeakClusters) {
  // Far apart on different diagonals: the gap charge forbids every merger.
  std::vector<Motif> m = {mot(0, 0, 10, 10000), mot(100, 5000, 10, 5000),
                          mot(200, 9000, 10, 9000)};
  Clusters c(m, 7, powerOf(8000, 10), 1000);
  ASSERT_EQ(c.n, 2);
  EXPECT_EQ(c.super[0]->first->qBeg, 0);
  EXPECT_EQ(c.super[1]->first->qBeg, 200);
  EXPECT_EQ(c.super[2], nullptr);
}

TEST(Cluster, EmptyAndBelowThreshold) {
  Supermotif **super = reinterpret_cast<Supermotif **>(1);
  EXPECT_EQ(Find_clusters(0, nullptr, super, 7, 0, 1000), 0);
  EXPECT_EQ(super, nullptr);
  Clusters c({mot(0, 0, 10, 1000)}, 7, powerOf(1000, 10) + 1, 1000);
  EXPECT_EQ(c.n, 0);
  ASSERT_NE(c.super, nullptr);
  EXPECT_EQ(c.super[0], nullptr);
  Clusters d({mot(3, 4, 10, 1000, 777)}, 7, 777, 1000);
  ASSERT_EQ(d.n, 1);
  EXPECT_EQ(d.super[0]->power, 777);  // the motif's pow as given, not recomputed
}

TEST(Cluster, UpdateChargesShiftsBetweenConsecutiveMotifs) {
  P_Cluster c;
  c.first = new Motif(0, 0, 10, 5000, 0, '+');
  c.first->next = new Motif(15, 12, 5, 3000, 0, '+');  // diagonal -3
  c.first->next->next = new Motif(30, 32, 5, 2000, 0, '+');  // diagonal +2
  c.update(100);
  EXPECT_EQ(c.num_homologies, 3);
  EXPECT_EQ(c.xend, 35);
  EXPECT_EQ(c.yend, 37);
  EXPECT_EQ(c.sum, 10000 - 100 * 8);
  EXPECT_EQ(c.length, 35 + 5);
  EXPECT_EQ(c.power, (10000 - 800) * lenFactor(40));
  c.update(10000);  // a negative sum leaves the power 0
  EXPECT_LT(c.sum, 0);
  EXPECT_EQ(c.power, 0);
}

}  // namespace

namespace {

// The clustering written straight from its definition: every estimate kept in a full table,
// the best pair found by scanning the whole table in (i, j) order.
std::vector<std::pair<int, std::vector<Motif>>> referenceClusters(const std::vector<Motif> &m,
                                                                  int lenThres, int powThres,
                                                                  int gap) {
  int n = (int)m.size();
  std::vector<P_Cluster *> cl(n);
  std::vector<int> dead(n, 0);
  for (int i = 0; i < n; i++) {
    cl[i] = new P_Cluster;
    cl[i]->first = new Motif(m[i].qBeg, m[i].bBeg, m[i].len, m[i].sum, m[i].pow, m[i].frame);
    cl[i]->num_homologies = 1;
    cl[i]->power = m[i].pow;
  }
  std::vector<std::vector<int>> est(n, std::vector<int>(n, 0));
  for (int i = 1; i < n; i++)
    for (int j = 0; j < i; j++) est[i][j] = calculate_power(cl[i], cl[j], lenThres, gap);
  for (;;) {
    int best = 0, bi = -1, bj = -1;
    for (int i = 1; i < n; i++) {
      if (dead[i]) continue;
      for (int j = 0; j < i; j++)
        if (!dead[j] && est[i][j] > best) {
          best = est[i][j];
          bi = i;
          bj = j;
        }
    }
    if (bi < 0) break;
    int imax = cl[bi]->power > cl[bj]->power ? bi : bj;
    int jmax = imax == bi ? bj : bi;
    concatenate_clusters(cl[imax], cl[jmax], lenThres, gap);
    dead[jmax] = 1;
    for (int k = 0; k < n; k++) {
      if (k == imax || dead[k]) continue;
      int v = calculate_power(cl[imax], cl[k], lenThres, gap);
      if (k < imax)
        est[imax][k] = v;
      else
        est[k][imax] = v;
    }
  }
  std::vector<std::pair<int, std::vector<Motif>>> out;
  for (int i = 0; i < n; i++) {
    if (!dead[i] && cl[i]->power >= powThres) {
      Supermotif s;
      s.power = cl[i]->power;
      s.numMot = cl[i]->num_homologies;
      s.first = cl[i]->first;
      cl[i]->first = nullptr;
      s.glueMot();
      std::vector<Motif> ch;
      for (Motif *x = s.first; x; x = x->next) ch.push_back(*x);
      out.push_back({s.power, ch});
    }
    delete cl[i];
  }
  return out;
}

TEST(Cluster, AgreesWithTheReferenceOnRandomMotifs) {
  unsigned seed = 12345;
  auto rnd = [&](int k) {
    seed = seed * 1103515245u + 12345u;
    return (int)((seed >> 8) % (unsigned)k);
  };
  for (int round = 0; round < 300; round++) {
    int n = 1 + rnd(25);
    std::vector<Motif> m;
    for (int i = 0; i < n; i++) {
      int q = rnd(300), len = 3 + rnd(40), diag = rnd(7) - 3 + (rnd(4) == 0 ? rnd(200) : 0);
      int sum = 500 + rnd(30000);
      int pow = rnd(5) == 0 ? powerOf(20000, 20) : powerOf(sum, len);  // some equal powers
      m.push_back(Motif(q, q + diag + 50, len, sum, pow, "+ab"[rnd(3)]));
    }
    int lenThres = rnd(10), gap = rnd(3000), powThres = rnd(3) * 10000000;
    auto ref = referenceClusters(m, lenThres, powThres, gap);
    Clusters c(m, lenThres, powThres, gap);
    ASSERT_EQ((size_t)c.n, ref.size()) << "round " << round;
    for (int i = 0; i < c.n; i++) {
      EXPECT_EQ(c.super[i]->power, ref[i].first);
      auto ch = c.chain(i);
      ASSERT_EQ(ch.size(), ref[i].second.size());
      for (size_t k = 0; k < ch.size(); k++) {
        EXPECT_EQ(ch[k].qBeg, ref[i].second[k].qBeg);
        EXPECT_EQ(ch[k].bBeg, ref[i].second[k].bBeg);
        EXPECT_EQ(ch[k].len, ref[i].second[k].len);
        EXPECT_EQ(ch[k].sum, ref[i].second[k].sum);
        EXPECT_EQ(ch[k].frame, ref[i].second[k].frame);
      }
    }
  }
}

}  // namespace
