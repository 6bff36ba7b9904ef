// Pair and tuple lookup tables against brute-force counts of their definitions.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "testutil.h"
#include "ltable.h"
#include "sysconn.h"

namespace {

using testutil::groupsOf;

AA_groups dnaGroups() {
  AA_groups ag;
  ag.makeDNA();
  return ag;
}

std::string randomSeq(std::mt19937 &rng, int len, const char *alphabet) {
  std::string s;
  const size_t n = strlen(alphabet);
  for (int i = 0; i < len; i++) s += alphabet[rng() % n];
  return s;
}

std::vector<unsigned char> bankCodes(const AA_groups &ag, const std::string &s) {
  std::vector<unsigned char> c(s.size() + 1);
  codeLetters(&ag, s.data(), (int)s.size(), c.data());
  c.resize(s.size());
  return c;
}

std::vector<int> histOf(const Looking_table &t, const std::vector<unsigned char> &bank) {
  std::unique_ptr<HistValue> h(t.CountHist(bank.data(), (int)bank.size()));
  EXPECT_EQ(h->num_neg_shifts, t.segm_length - 1);
  EXPECT_EQ(h->num_all_shifts, t.segm_length - 1 + (int)bank.size());
  return std::vector<int>(h->hist, h->hist + h->num_all_shifts);
}

// Pair coincidences straight from the definition.
std::vector<int> brutePairs(const AA_groups &ag, const std::string &part, int W,
                            const std::vector<unsigned char> &bc) {
  const int l = (int)part.size(), Lb = (int)bc.size();
  std::vector<int> qc(part.size());
  for (int i = 0; i < l; i++) qc[i] = ag.ord((unsigned char)part[i]);
  std::vector<int> h((size_t)(l - 1 + Lb), 0);
  const int w = W >= l ? l - 1 : W;
  for (int g = 1; g <= w; g++)
    for (int q = 0; q < l - g; q++)
      for (int p = 0; p < Lb - g; p++)
        if (qc[q] == bc[p] && qc[q + g] == bc[p + g]) h[(size_t)(l - 1 + p - q)]++;
  return h;
}

// Tuple coincidences straight from the definition.
std::vector<int> bruteTuples(const AA_groups &ag, const std::string &part, int W, int k,
                             const std::vector<unsigned char> &bc) {
  const int l = (int)part.size(), Lb = (int)bc.size();
  const int N = W + 1;
  const int M = std::min(std::max(k, 1), N);
  std::vector<int> h((size_t)(l - 1 + Lb), 0);
  for (int i = 0; i + N <= l; i++)
    for (int j = 0; j + N <= Lb; j++) {
      if ((ag.ord((unsigned char)part[i]) & 3) != (bc[j] & 3)) continue;
      int c = 0;
      for (int x = 0; x < N; x++) c += (ag.ord((unsigned char)part[i + x]) & 3) == (bc[j + x] & 3);
      if (c >= M) h[(size_t)(l - 1 + j - i)] += c - 1;
    }
  return h;
}

const char *kProteinGroups = "AGST\nC\nDENQ\nKRH\nILMV\nFWY\n";  // 7 classes with the rest

TEST(PairTable, GapTableOfTheSmallExample) {
  AA_groups ag = groupsOf("A\nC\n");
  ag.num_colors = 2;  // two groups, as in the worked example
  const unsigned char codes[] = {0, 1, 0, 1};
  Single_table t(&ag, codes, 4, 1);
  EXPECT_EQ(std::vector<int>(t.position, t.position + 4), (std::vector<int>{0, -2, -1, -3}));
  EXPECT_EQ(t.info_ptr[0][1].num_entries, 2);
  EXPECT_EQ(t.info_ptr[0][1].first_entry, 0);
  EXPECT_EQ(t.info_ptr[1][0].num_entries, 1);
  EXPECT_EQ(t.info_ptr[1][0].first_entry, 2);
  EXPECT_EQ(t.info_ptr[0][0].num_entries + t.info_ptr[1][1].num_entries, 0);
  // Row and column num_colors stay empty.
  for (int c = 0; c <= 2; c++) EXPECT_EQ(t.info_ptr[2][c].num_entries + t.info_ptr[c][2].num_entries, 0);

  std::vector<int> hist(3 + 2, 0);
  Single_table *tables[] = {&t};
  const unsigned char bank[] = {0, 1};
  CountHist(1, 2, 3, tables, bank, hist.data());
  EXPECT_EQ(hist, (std::vector<int>{0, 1, 0, 1, 0}));
}

TEST(PairTable, WidthIsClampedToThePart) {
  AA_groups ag = groupsOf(kProteinGroups);
  Looking_Single_table one(&ag, "A", 1, 5);
  EXPECT_EQ(one.w_width, 0);
  EXPECT_EQ(histOf(one, bankCodes(ag, "AAAA")), std::vector<int>(4, 0));
  Looking_Single_table three(&ag, "ACD", 3, 5);
  EXPECT_EQ(three.w_width, 2);
  EXPECT_EQ(three.histWidth(), 2);
}

TEST(PairTable, MatchesBruteForceOnRandomSequences) {
  std::mt19937 rng(7);
  const AA_groups groups[] = {groupsOf(kProteinGroups), groupsOf("AG\nST\n"),
                              groupsOf("A\nC\nD\nE\nF\nG\nH\nI\nK\nL\nM\nN\nP\nQ\nR\nS\nT\nV\nW\nY\n")};
  for (int iter = 0; iter < 300; iter++) {
    const AA_groups &ag = groups[iter % 3];
    const int l = 1 + (int)(rng() % 40);
    const int W = 1 + (int)(rng() % 7);
    // 'X', '*' and lower case: letters of the last group and bank codes capped at num_colors.
    const std::string part = randomSeq(rng, l, "ACDEGKLSTWYxX*");
    const std::string bank = randomSeq(rng, (int)(rng() % 60), "ACDEGKLSTWYaX*-");
    Looking_Single_table t(&ag, part.data(), l, W);
    const std::vector<unsigned char> bc = bankCodes(ag, bank);
    ASSERT_EQ(histOf(t, bc), brutePairs(ag, part, W, bc)) << iter;
  }
}

TEST(PairTable, AlignmentRowsCountIntoOneHistogram) {
  AA_groups ag = groupsOf(kProteinGroups);
  const std::string part = "ACDKLMAC", r0 = "ACDKAC", r1 = "LMACDK";
  Looking_Single_table t(&ag, part.data(), (int)part.size(), 3);
  const std::vector<unsigned char> c0 = bankCodes(ag, r0), c1 = bankCodes(ag, r1);
  const unsigned char *rows[] = {c0.data(), c1.data()};
  std::unique_ptr<HistValue> h(t.CountHist(rows, 6, 2));
  std::vector<int> want = brutePairs(ag, part, 3, c0), b1 = brutePairs(ag, part, 3, c1);
  for (size_t i = 0; i < want.size(); i++) want[i] += b1[i];
  EXPECT_EQ(std::vector<int>(h->hist, h->hist + h->num_all_shifts), want);
}

TEST(PairTable, SortPairsKeepsTheBubbleOrder) {
  std::mt19937 rng(3);
  for (int iter = 0; iter < 200; iter++) {
    const int len = (int)(rng() % 30), split = 1 + (int)(rng() % 4);
    std::vector<unsigned char> sq((size_t)(len + split));
    for (auto &c : sq) c = (unsigned char)(rng() % 3 ? rng() % 4 : 200 + rng() % 56);
    std::vector<int> pos((size_t)len);
    for (auto &p : pos) p = (int)(rng() % (size_t)std::max(len, 1));
    std::vector<int> shaker = pos;
    // Bidirectional bubble passes, swapping only on a strictly greater left key.
    auto key = [&](int p) { return sq[(size_t)p] * 256 + sq[(size_t)(p + split)]; };
    int bottom = 0, top = len - 1, last = 0;
    while (bottom < top) {
      for (int i = bottom; i < top; i++)
        if (key(shaker[i]) > key(shaker[i + 1])) std::swap(shaker[i], shaker[i + 1]), last = i;
      top = last;
      for (int i = top; i > bottom; i--)
        if (key(shaker[i - 1]) > key(shaker[i])) std::swap(shaker[i - 1], shaker[i]), last = i;
      bottom = last;
    }
    sort_pairs(pos.data(), len, sq.data(), split);
    ASSERT_EQ(pos, shaker);
  }
}

TEST(PairTable, ListingAndPositionLookup) {
  AA_groups ag = groupsOf("A\nC\n");  // A 0, C 1, everything else 2
  Looking_Single_table t(&ag, "ACAC", 4, 1);
  testing::internal::CaptureStdout();
  t.print();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\n Single number   0"
            "\n Colors: 0 1    2 entries\n   0  -2"
            "\n Colors: 1 0    1 entries\n  -1");
  int n = -1;
  const int *p = t.get_position('a', 'C', 0, n);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(p[1], -2);
  t.get_position('A', 'X', 0, n);  // 'X' is in the last group: an empty cell
  EXPECT_EQ(n, 0);
  EXPECT_EQ(t.get_position('A', 'C', 1, n), nullptr);  // no gap table at index 1
  EXPECT_EQ(n, 0);
}

TEST(TupleTable, NeighbourCounts) {
  EXPECT_EQ(getKnm(1, 0), 4);
  EXPECT_EQ(getKnm(1, 1), 1);
  EXPECT_EQ(getKnm(3, 1), 37);
  EXPECT_EQ(getKnm(5, 3), 106);
  EXPECT_EQ(getKnm(2, 3), 0);
  const unsigned char codes[] = {1, 2, 3, 4, 7};
  EXPECT_EQ(makeTuple(codes, 3), 1 * 16 + 2 * 4 + 3);
  EXPECT_EQ(makeTuple(codes, 5), ((((1 * 4 + 2) * 4 + 3) * 4 + 0) * 4) + 3);
  EXPECT_EQ(makeTuple(codes, 0), 0);
}

TEST(TupleTable, ListsOfTheTwoLetterTable) {
  AA_groups ag = dnaGroups();
  // N = 2, M = 1: the masks 3, 2, 1 add 0 and the identical word adds 1.
  KnmSingle_table<unsigned char> t(&ag, "ACG", 3, 1, 1);
  EXPECT_EQ(t.N, 2);
  EXPECT_EQ(t.M, 1);
  EXPECT_EQ(t.histWidth(), 2);
  EXPECT_EQ(t.lt[0], 0);
  // Words AC (shift 2) and CG (shift 1). The list of AC holds (1, 2); that of AA holds AC's
  // one-letter match (0, 2).
  const unsigned char *ac = t.lt + t.enter[0 * 4 + 1];
  EXPECT_EQ(std::vector<int>(ac, ac + 3), (std::vector<int>{1, 1, 2}));
  const unsigned char *aa = t.lt + t.enter[0];
  EXPECT_EQ(std::vector<int>(aa, aa + 3), (std::vector<int>{1, 0, 2}));
  // Tuples starting with T resemble no word: the shared empty list.
  for (int x = 12; x < 16; x++) EXPECT_EQ(t.enter[x], 0u);
  EXPECT_EQ(t.lt_size, 1 + 8 * 3);  // 8 lists of one pair
}

TEST(TupleTable, PackedListsAreOrderedAndShareTheEmptyList) {
  std::mt19937 rng(11);
  AA_groups ag = dnaGroups();
  const std::string part = randomSeq(rng, 120, "ACGTN");
  KnmSingle_table<unsigned char> t(&ag, part.data(), (int)part.size(), 5, 4);
  long long used = 1;
  for (int x = 0; x < pow4[t.N]; x++) {
    const unsigned char *l = t.lt + t.enter[x];
    if (l[0] == 0) {
      EXPECT_EQ(t.enter[x], 0u);
      continue;
    }
    used += 2 * l[0] + 1;
    for (int k = 1; k < l[0]; k++) EXPECT_LT(l[2 * k], l[2 * k + 2]);
  }
  EXPECT_EQ(used, t.lt_size);  // packed at its exact size
}

TEST(TupleTable, MatchesBruteForceOnRandomSequences) {
  std::mt19937 rng(5);
  const AA_groups groups[] = {dnaGroups(), groupsOf("AG\nCT\n"), groupsOf("A\nC\nG\nT\n")};
  const int lengths[] = {1, 3, 6, 7, 40, 255, 256, 300};
  for (int iter = 0; iter < 160; iter++) {
    const AA_groups &ag = groups[iter % 3];
    const int l = lengths[iter % 8];
    const int W = 1 + (int)(rng() % 6);
    const int k = 1 + (int)(rng() % 8);  // also above W + 1: identical words only
    const std::string part = randomSeq(rng, l, "ACGTNacgtu");
    const std::string bank = randomSeq(rng, (int)(rng() % 80), "ACGTNRX-");
    std::unique_ptr<Looking_table> t(
        Division_generator::Create_Looking_table(&ag, part.data(), l, W, k, 0));
    ASSERT_EQ(t->histWidth(), W + 1);
    const std::vector<unsigned char> bc = bankCodes(ag, bank);
    ASSERT_EQ(histOf(*t, bc), bruteTuples(ag, part, W, k, bc)) << iter;
  }
}

TEST(TupleTable, EntryTypeFollowsThePartLength) {
  AA_groups ag = dnaGroups();
  std::string part(70000, 'A');
  for (int l : {255, 256, 65535, 65536}) {
    std::unique_ptr<Looking_table> t(
        Division_generator::Create_Looking_table(&ag, part.data(), l, 2, 3, 0));
    const bool narrow = dynamic_cast<KnmSingle_table<unsigned char> *>(t.get()) != nullptr;
    const bool mid = dynamic_cast<KnmSingle_table<unsigned short> *>(t.get()) != nullptr;
    const bool wide = dynamic_cast<KnmSingle_table<unsigned int> *>(t.get()) != nullptr;
    EXPECT_EQ(narrow, l <= 255) << l;
    EXPECT_EQ(mid, l > 255 && l <= 65535) << l;
    EXPECT_EQ(wide, l > 65535) << l;
  }
  // A poly-A part of 65536 letters against a poly-A bank: every count fits its entries.
  std::unique_ptr<Looking_table> t(
      Division_generator::Create_Looking_table(&ag, part.data(), 65536, 2, 3, 0));
  const std::vector<int> h = histOf(*t, bankCodes(ag, "AAAA"));
  EXPECT_EQ(h[65535], 4);  // diagonal 0: both bank words meet their query word, 2 each
  EXPECT_EQ(h[65535 + 1], 2);
  EXPECT_EQ(h[65535 - 1], 4);
  // Coded tables choose pairs for coiNum 0 or more than 5 groups.
  std::unique_ptr<Looking_table> p0(Division_generator::Create_Looking_table(&ag, "ACGT", 4, 2, 0, 0));
  EXPECT_NE(dynamic_cast<Looking_Single_table *>(p0.get()), nullptr);
  AA_groups six = groupsOf(kProteinGroups);
  std::unique_ptr<Looking_table> p6(Division_generator::Create_Looking_table(&six, "ACGT", 4, 2, 3, 0));
  EXPECT_NE(dynamic_cast<Looking_Single_table *>(p6.get()), nullptr);
  std::unique_ptr<HistValue> rows0(p6->CountHist(nullptr, 0, 0));
  EXPECT_NE(rows0, nullptr);  // pair tables count alignment blocks
  std::unique_ptr<HistValue> none(t->CountHist(nullptr, 0, 0));
  EXPECT_EQ(none, nullptr);  // tuple tables count no alignment blocks
}

TEST(TupleTable, FreeCountingOverZeroEndedLists) {
  AA_groups ag = dnaGroups();
  // N = 2: tuple AC (1) lists (value 3 at 0), (value 1 at 2); every other tuple is empty.
  std::vector<unsigned> ac = {3, 0, 1, 2, 0};
  std::vector<unsigned *> enter(16, nullptr);
  enter[1] = ac.data();
  const std::vector<unsigned char> bank = bankCodes(ag, "GACAC");
  std::vector<int> hist(8, 0);
  CountHist(enter.data(), 2, bank.data(), 5, hist.data());
  // Words AC at 1 and 3.
  EXPECT_EQ(hist, (std::vector<int>{0, 3, 0, 4, 0, 1, 0, 0}));
}

TEST(TupleTable, MergedTableCountsTheLongWords) {
  AA_groups ag = dnaGroups();
  std::mt19937 rng(9);
  const std::string part = randomSeq(rng, 30, "ACGT");
  const std::string bank = randomSeq(rng, 41, "ACGT");
  KnmSingle_table_Merge<unsigned int> merged(&ag, part.data(), 30, 2, 3, 1);
  KnmSingle_table<unsigned int> plain(&ag, part.data(), 30, 2, 3);
  const std::vector<unsigned char> bc = bankCodes(ag, bank);
  // Walking in steps of 2 with 4-letter words covers every 3-letter window of the bank whose
  // 4-letter word fits, that is windows 0 .. 37.
  std::vector<int> want(29 + 41, 0);
  std::vector<unsigned char> head(bc.begin(), bc.begin() + 38 + 2);
  const std::vector<int> all = histOf(plain, head);
  for (size_t i = 0; i < want.size() && i < all.size(); i++) want[i] = all[i];
  EXPECT_EQ(histOf(merged, bc), want);
  std::unique_ptr<HistValue> none(merged.CountHist(nullptr, 0, 0));
  EXPECT_EQ(none, nullptr);
}

}  // namespace
