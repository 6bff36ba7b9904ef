// Keyword regions, their condensed counts, the recount against a plain twin written from
// its definition, and the frame letters of a motif file.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "regions.h"
#include "testutil.h"

namespace {

// One-bin rows from lists of all and ksi counts.
CountRows rowsOf(const std::vector<int> &all, const std::vector<int> &ksi) {
  CountRows r;
  r.reset((int)ksi.size(), 1);
  std::copy(all.begin(), all.end(), r.all.get());
  std::copy(ksi.begin(), ksi.end(), r.ksi.get());
  return r;
}

struct Region {
  int beg, end, all, ksi;
  bool operator==(const Region &o) const {
    return beg == o.beg && end == o.end && all == o.all && ksi == o.ksi;
  }
};

std::vector<Region> regionsOf(const CountRows &r, int sumType) {
  std::vector<Region> out;
  int beg = 0, end = -1, a = -1, k = -1;
  while (makeRegion(r, beg, end, &a, &k, sumType)) {
    out.push_back({beg, end, a, k});
    if (out.size() > 100) break;
  }
  return out;
}

}  // namespace

TEST(MakeRegion, WalksTheQuery) {
  // No hits at all.
  EXPECT_TRUE(regionsOf(rowsOf({5, 5, 5}, {0, 0, 0}), 1).empty());
  // A single hit in the middle takes the following position without hits.
  EXPECT_EQ(regionsOf(rowsOf({2, 2, 2, 2}, {0, 1, 0, 0}), 1),
            (std::vector<Region>{{1, 2, 2, 1}}));
  // Counts 3, 4, 0 give the rounded-up mean 3; the maximum with sumType 0.
  EXPECT_EQ(regionsOf(rowsOf({3, 4, 0, 0}, {3, 4, 0, 0}), 1),
            (std::vector<Region>{{0, 2, 3, 3}}));
  EXPECT_EQ(regionsOf(rowsOf({3, 4, 0, 0}, {3, 4, 0, 0}), 0),
            (std::vector<Region>{{0, 2, 4, 4}}));
  // Hits up to the end: the region ends at the last position, then nothing follows.
  EXPECT_EQ(regionsOf(rowsOf({1, 1, 9, 9}, {0, 0, 1, 2}), 1),
            (std::vector<Region>{{2, 3, 9, 2}}));
  // A hit on the last position alone is a region of one.
  EXPECT_EQ(regionsOf(rowsOf({0, 0, 7}, {0, 0, 7}), 1), (std::vector<Region>{{2, 2, 7, 7}}));
  // Two regions; the second search starts after the first one's closing position.
  EXPECT_EQ(regionsOf(rowsOf({1, 1, 1, 1, 1}, {1, 0, 1, 0, 0}), 1),
            (std::vector<Region>{{0, 1, 1, 1}, {2, 3, 1, 1}}));
}

TEST(MakeRegion, HitsInAnyBinAndSumsPerBin) {
  CountRows r;
  r.reset(3, 2);
  // position 0: bin 1 hit only; position 1: no hit; position 2: no hit
  const int all[] = {0, 4, 6, 1, 0, 0}, ksi[] = {0, 2, 0, 0, 0, 0};
  std::copy(all, all + 6, r.all.get());
  std::copy(ksi, ksi + 6, r.ksi.get());
  int beg = 0, end = -1, a[2], k[2];
  ASSERT_EQ(makeRegion(r, beg, end, a, k, 1), 1);
  EXPECT_EQ(beg, 0);
  EXPECT_EQ(end, 1);
  EXPECT_EQ(a[0], 3);  // (0 + 6 + 1) / 2
  EXPECT_EQ(a[1], 3);  // (4 + 1 + 1) / 2
  EXPECT_EQ(k[0], 0);
  EXPECT_EQ(k[1], 1);
  EXPECT_EQ(makeRegion(r, beg, end, a, k, 1), 0);
}

TEST(MakeRegion, LargeCountsDoNotOverflow) {
  CountRows r = rowsOf({2000000000, 2000000000, 2000000000}, {2000000000, 2000000000, 0});
  int beg = 0, end = -1, a, k;
  ASSERT_EQ(makeRegion(r, beg, end, &a, &k, 1), 1);
  EXPECT_EQ(a, 2000000000);
  EXPECT_EQ(k, 1333333334);
}

TEST(MakeMean, RoundsUp) {
  int all[3] = {7, 0, 1}, ksi[3] = {3, 3, 9};
  makeMean(3, 2, all, ksi);
  EXPECT_EQ(all[0], 3);
  EXPECT_EQ(all[1], 0);
  EXPECT_EQ(all[2], 1);  // beyond num: untouched
  EXPECT_EQ(ksi[0], 1);
  EXPECT_EQ(ksi[1], 1);
  makeMean(0, 3, all, ksi);  // no length: nothing
  EXPECT_EQ(all[0], 3);
}

namespace {

// The recount as its definition reads: binarise, walk up from qBeg and down from qBeg - 1
// while the count is not 0, adding 1, then take 1 off.
void recountTwin(std::vector<int> &row, int L, int np, const std::vector<BinSpan> &spans) {
  for (int &v : row) v = v != 0;
  for (const BinSpan &sp : spans) {
    if (sp.qBeg < 0 || sp.qBeg > L) continue;
    for (int p = sp.qBeg; p < L && row[(size_t)p * np + sp.bin]; p++) row[(size_t)p * np + sp.bin]++;
    for (int p = sp.qBeg - 1; p >= 0 && row[(size_t)p * np + sp.bin]; p--)
      row[(size_t)p * np + sp.bin]++;
  }
  for (int &v : row) v = v > 1 ? v - 1 : 0;
}

}  // namespace

TEST(Recount, HandBuiltStretches) {
  // Stretches [1,3] and [6,7]; a motif just after the first (qBeg 4) raises all of it, two
  // motifs inside the second raise it twice, the stretch no motif touches goes to 0.
  std::vector<int> row = {0, 5, 1, 2, 0, 0, 3, 3, 0, 4};
  recountRow(row.data(), 10, 1, {{4, 9, 0}, {6, 1, 0}, {7, 1, 0}});
  EXPECT_EQ(row, (std::vector<int>{0, 1, 1, 1, 0, 0, 2, 2, 0, 0}));
  // qBeg at the query's end touches the stretch that ends there; outside spans are skipped.
  std::vector<int> tail = {0, 1, 1};
  recountRow(tail.data(), 3, 1, {{3, 1, 0}, {-1, 1, 0}, {4, 1, 0}});
  EXPECT_EQ(tail, (std::vector<int>{0, 1, 1}));
}

TEST(Recount, AgreesWithTheWalks) {
  std::mt19937 rng(20);
  for (int round = 0; round < 300; round++) {
    const int L = 1 + (int)(rng() % 40), np = 1 + (int)(rng() % 3);
    std::vector<int> row((size_t)L * np);
    for (int &v : row) v = rng() % 3 == 0 ? 0 : (int)(rng() % 5);
    std::vector<BinSpan> spans;
    const int ns = (int)(rng() % 8);
    for (int i = 0; i < ns; i++)
      spans.push_back({(int)(rng() % (L + 3)) - 1, 1 + (int)(rng() % 5), (int)(rng() % np)});
    std::vector<int> fast = row, slow = row;
    recountRow(fast.data(), L, np, spans);
    recountTwin(slow, L, np, spans);
    ASSERT_EQ(fast, slow) << "round " << round;
  }
}

TEST(GetFrames, LettersOfTheMotifFile) {
  testutil::TempDir d;
  const std::string both = d.file("both.mot"), plain = d.file("plain.mot");
  testutil::writeFile(both,
                      "Query: x\n\n"
                      "Supermotif q.fa      0 b.fa      1  12.34   2   query-bank\n"
                      "     'd'      5      5     20      30000   27450000\n"
                      "     'a'     40     40     10      30000   27450000\n"
                      "Supermotif q.fa      0 b.fa      2  10.00   1   query-bank\n"
                      "     'd'      5      5     20      30000   27450000\n");
  testutil::writeFile(plain,
                      "Supermotif q.fa      0 b.fa      1  12.34   1   query-bank\n"
                      "     '+'      5      5     20      30000   27450000\n");
  EXPECT_EQ(getFrames(both.c_str()), "ad");
  EXPECT_EQ(getFrames(plain.c_str()), "");
  EXPECT_EQ(getFrames(d.file("none.mot").c_str()), "");
}
