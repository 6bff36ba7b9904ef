// Query division, shift selection and the walk over parts and shifts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "alibase.h"
#include "sysconn.h"
#include "testutil.h"

namespace {

using testutil::seqOf;

std::string randomSeq(std::mt19937 &rng, int len, const char *alphabet) {
  std::string s;
  const size_t n = std::char_traits<char>::length(alphabet);
  for (int i = 0; i < len; i++) s += alphabet[rng() % n];
  return s;
}

AA_groups proteinGroups() { return testutil::groupsOf("AGST\nC\nDENQ\nKRH\nILMV\nFWY\n"); }

// A table whose histogram is given: lets the selection and the cutting be tested alone.
class FixedTable : public Looking_table {
 public:
  std::vector<int> counts;  // one per diagonal index
  int width;
  FixedTable(const AA_groups *ag, int length, int w, std::vector<int> c)
      : Looking_table(ag, length, w), counts(std::move(c)), width(w) {}
  HistValue *CountHist(const unsigned char *, int) const override { return nullptr; }
  HistValue *CountHist(const unsigned char *const *, int, int) const override { return nullptr; }
  int histWidth() const override { return width; }
  void addCounts(const unsigned char *, int cur_length, int *hist) const override {
    for (int i = 0; i < segm_length - 1 + cur_length && i < (int)counts.size(); i++) hist[i] += counts[i];
  }
  bool addCounts(const unsigned char *const *, int, int, int *) const override { return false; }
};

// A one-part division over a given table.
struct OnePart {
  int left[1], length[1];
  Looking_table *tables[1];
  Division_parameters params;
  OnePart(const BankSeq *query, int l, int len, Looking_table *t) {
    left[0] = l;
    length[0] = len;
    tables[0] = t;
    params.query = query;
    params.numParts = 1;
    params.left = left;
    params.length = length;
    params.l_table = tables;
  }
};

// The selection rule written step by step: insert after every kept shift of equal or higher
// count; when full, a count not above the last kept one is skipped.
std::vector<int> insertionTopS(const int *hist, int numNeg, int numAll, int thr, int S) {
  if (S < 1) S = 1;
  std::vector<int> shifts, counts;
  for (int i = 0; i < numAll; i++) {
    const int c = hist[i];
    if (c < thr) continue;
    if ((int)shifts.size() == S && c <= counts.back()) continue;
    size_t k = 0;
    while (k < counts.size() && counts[k] >= c) k++;
    shifts.insert(shifts.begin() + (long)k, i - numNeg);
    counts.insert(counts.begin() + (long)k, c);
    if ((int)shifts.size() > S) shifts.pop_back(), counts.pop_back();
  }
  return shifts;
}

std::vector<int> allShifts(Seq_division &d) {
  std::vector<int> out;
  int s;
  while (d.hist && d.hist->get_shift(s)) out.push_back(s);
  return out;
}

std::vector<std::pair<int, int>> partsOf(int L, int P, int lenThres) {
  AA_groups ag;
  std::string q(L, 'A');
  BankSeq query = seqOf(q);
  Division_generator g(&ag, &query, 5, 4, P, 0, lenThres, 0);
  std::vector<std::pair<int, int>> out;
  for (int i = 0; i < g.numParts; i++) out.emplace_back(g.left[i], g.length[i]);
  EXPECT_EQ(g.l_table, nullptr);
  return out;
}

using Parts = std::vector<std::pair<int, int>>;

TEST(Division, PartsOfTheQuery) {
  EXPECT_EQ(partsOf(150, 100, 7), (Parts{{0, 150}}));
  EXPECT_EQ(partsOf(199, 100, 7), (Parts{{0, 199}}));
  EXPECT_EQ(partsOf(200, 100, 7), (Parts{{0, 107}, {100, 100}}));
  EXPECT_EQ(partsOf(250, 100, 7), (Parts{{0, 107}, {100, 150}}));
  EXPECT_EQ(partsOf(99, 100, 7), (Parts{{0, 99}}));
  EXPECT_EQ(partsOf(0, 100, 7), Parts{});
  EXPECT_EQ(partsOf(399, 100, 7), (Parts{{0, 107}, {100, 107}, {200, 199}}));
  // An overlap longer than the part never reaches past the query.
  EXPECT_EQ(partsOf(35, 10, 50), (Parts{{0, 35}, {10, 25}, {20, 15}}));
  // Parts of no letter would never end the cut: a size below 1 acts as 1.
  EXPECT_EQ(partsOf(3, 0, 0), (Parts{{0, 1}, {1, 1}, {2, 1}}));
  EXPECT_EQ(partsOf(3, -4, -9), (Parts{{0, 1}, {1, 1}, {2, 1}}));
}

TEST(Division, LastPartLengthRange) {
  for (int L = 100; L < 700; L++) {
    const Parts p = partsOf(L, 100, 7);
    ASSERT_EQ((int)p.size(), L / 100);
    EXPECT_GE(p.back().second, 100);
    EXPECT_LE(p.back().second, 199);
    EXPECT_EQ(p.back().first + p.back().second, L);
  }
}

TEST(Division, CoverageThresholdsInExtendedPrecision) {
  EXPECT_EQ(coverageThreshold(0.05, 5, 107), 26);  // pair table of a default part
  EXPECT_EQ(coverageThreshold(0.05, 6, 107), 32);  // tuple table: window N = 6
  EXPECT_EQ(coverageThreshold(0.29, 5, 100), 144);  // double arithmetic would give 145
  EXPECT_EQ(coverageThreshold(0.0, 5, 100), 0);
  EXPECT_EQ(coverageThreshold(1.0, 7, 2147483647), 2147483647);  // saturates
}

TEST(Division, TopShiftsKeepTheFirstOfEqualCounts) {
  AA_groups ag;
  BankSeq query = seqOf("A"), bank = seqOf("AAAAA");
  FixedTable t(&ag, 1, 5, {5, 7, 7, 3, 7});
  OnePart one(&query, 0, 1, &t);
  Seq_division d(one.params);
  d.init(bank);
  ASSERT_EQ(d.nextPart(0.0, 2), 1);
  EXPECT_EQ(allShifts(d), (std::vector<int>{1, 2}));  // the later 7 never displaces them
  EXPECT_EQ(d.nextPart(0.0, 2), 0);
  d.init(bank);
  ASSERT_EQ(d.nextPart(0.0, 0), 1);
  EXPECT_EQ(allShifts(d), (std::vector<int>{1}));  // S of 0 keeps one
  d.init(bank);
  ASSERT_EQ(d.nextPart(0.0, -3), 1);
  EXPECT_EQ(allShifts(d), (std::vector<int>{1}));
  d.init(bank);
  ASSERT_EQ(d.nextPart(0.0, 2000000000), 1);  // a huge S needs no huge list
  EXPECT_EQ(allShifts(d), (std::vector<int>{1, 2, 4, 0, 3}));
  // Counts below the threshold (1.0 x 5 x 1 = 5) drop out.
  d.init(bank);
  ASSERT_EQ(d.nextPart(1.0, 20), 1);
  EXPECT_EQ(allShifts(d), (std::vector<int>{1, 2, 4, 0}));
}

TEST(Division, SelectionMatchesTheInsertionRule) {
  std::mt19937 rng(21);
  Shift_histogram sh;
  std::vector<uint64_t> heap;
  for (int iter = 0; iter < 2000; iter++) {
    const int n = (int)(rng() % 80);
    std::vector<int> h((size_t)n);
    for (int &v : h) v = (int)(rng() % (1 + rng() % 12));
    const int numNeg = n ? (int)(rng() % (size_t)n) : 0;
    const int thr = (int)(rng() % 6);
    const int S = (int)(rng() % 25) - 2;
    sh.select(h.data(), numNeg, n, thr, S, heap);
    std::vector<int> got(sh.shift_value, sh.shift_value + sh.num_shifts);
    const std::vector<int> want = insertionTopS(h.data(), numNeg, n, thr, S);
    ASSERT_EQ(got, want) << iter;
    // The same counts read every third entry, the others above every count.
    std::vector<int> wide((size_t)n * 3, 99);
    for (int i = 0; i < n; i++) wide[(size_t)i * 3] = h[(size_t)i];
    sh.select(wide.data(), numNeg, n, thr, S, heap, 3);
    ASSERT_EQ(std::vector<int>(sh.shift_value, sh.shift_value + sh.num_shifts), want) << iter;
  }
}

TEST(Division, CuttingTheOverlapOfAShift) {
  AA_groups ag;
  std::mt19937 rng(2);
  const std::string q = randomSeq(rng, 300, "ACDEFGHIKLMNPQRSTVWY");
  const std::string b = randomSeq(rng, 50, "ACDEFGHIKLMNPQRSTVWY");
  BankSeq query = seqOf(q), bank = seqOf(b);
  // Part (100, 107) against 50 letters: diagonals -106 .. 49 at index s + 106.
  std::vector<int> counts(106 + 50, 0);
  counts[106 - 20] = 9;
  counts[106 + 30] = 8;
  counts[0] = 7;         // s = -106: one letter at the part's end
  counts[106 + 49] = 6;  // s = 49: one letter at the bank's end
  FixedTable t(&ag, 107, 5, counts);  // threshold 0.01 x 5 x 107 = 5
  OnePart one(&query, 100, 107, &t);
  Seq_division d(one.params);
  d.init(bank);
  ASSERT_EQ(d.nextPart(0.01, 20), 1);
  BankSeq shC, shB;
  int iq = -1, ib = -1;
  ASSERT_EQ(d.nextShift(iq, shC, ib, shB), 1);
  EXPECT_EQ(iq, 120);
  EXPECT_EQ(ib, 0);
  EXPECT_EQ(shC.len(), 50);
  EXPECT_EQ(std::string(shC.seq()), q.substr(120, 50));
  EXPECT_EQ(std::string(shB.seq()), b.substr(0, 50));
  ASSERT_EQ(d.nextShift(iq, shC, ib, shB), 1);
  EXPECT_EQ(iq, 100);
  EXPECT_EQ(ib, 30);
  EXPECT_EQ(std::string(shC.seq()), q.substr(100, 20));
  EXPECT_EQ(std::string(shB.seq()), b.substr(30, 20));
  int len = -1;
  ASSERT_EQ(d.nextShift(iq, ib, len), 1);
  EXPECT_EQ(std::make_pair(iq, ib), std::make_pair(206, 0));
  EXPECT_EQ(len, 1);
  ASSERT_EQ(d.nextShift(iq, ib, len), 1);
  EXPECT_EQ(std::make_pair(iq, ib), std::make_pair(100, 49));
  EXPECT_EQ(len, 1);
  EXPECT_EQ(d.nextShift(iq, ib, len), 0);
  EXPECT_EQ(d.nextPart(0.01, 20), 0);
  EXPECT_EQ(d.nextShift(iq, ib, len), 0);  // no histogram between parts
  EXPECT_EQ(d.nextPart(0.01, 20), 0);       // and nothing after the end
}

TEST(Division, EmptyBankFrameGivesEmptyOverlaps) {
  AA_groups ag;
  ag.makeDNA();
  BankSeq query = seqOf("ACGTACGTAC"), bank;
  Division_generator g(&ag, &query, 5, 4, 100, 1, 7, 0);
  ASSERT_EQ(g.numParts, 1);
  Seq_division d(g);
  d.init(bank);
  ASSERT_EQ(d.nextPart(0.0, 20), 1);
  int iq, ib, len, n = 0;
  while (d.nextShift(iq, ib, len)) {
    EXPECT_EQ(len, 0);
    n++;
  }
  EXPECT_EQ(n, 9);  // diagonals -9 .. -1, all of count 0
  EXPECT_EQ(d.nextPart(0.0, 20), 0);
}

TEST(Division, NoTablesOrNoLettersGiveNoParts) {
  AA_groups ag;
  ag.makeDNA();
  BankSeq query = seqOf("ACGTACGTAC"), empty, bank = seqOf("ACGT");
  Division_generator noTables(&ag, &query, 5, 4, 100, 0, 7, 0);
  Seq_division d(noTables);
  d.init(bank);
  EXPECT_EQ(d.nextPart(0.0, 20), 0);
  Division_generator none(&ag, &empty, 5, 4, 100, 1, 7, 0);
  EXPECT_EQ(none.numParts, 0);
  EXPECT_EQ(none.longestPart(), 0);
  Seq_division e(none);
  e.init(bank);
  EXPECT_EQ(e.nextPart(0.0, 20), 0);
}

// Every part and shift of a walk against the table's own histogram and the insertion rule.
void checkWalk(const AA_groups &ag, const std::string &q, const std::string &b, int W, int k,
               int P, double C, int S) {
  BankSeq query = seqOf(q), bank = seqOf(b);
  Division_generator g(&ag, &query, W, k, P, 1, 7, 0);
  Seq_division d(g);
  for (int round = 0; round < 2; round++) {  // the buffers are reused on the second walk
    d.init(bank);
    for (int p = 0; p < g.numParts; p++) {
      ASSERT_EQ(d.nextPart(C, S), 1);
      std::vector<unsigned char> codes(b.size() + 1);
      codeLetters(&ag, b.data(), (int)b.size(), codes.data());
      std::unique_ptr<HistValue> h(g.l_table[p]->CountHist(codes.data(), (int)b.size()));
      const long double x = (long double)C * h->window_width * g.length[p];
      const std::vector<int> want =
          insertionTopS(h->hist, h->num_neg_shifts, h->num_all_shifts, (int)x, S);
      ASSERT_EQ(allShifts(d), want) << "part " << p;
      // The standalone record agrees.
      Shift_histogram alone(g.l_table[p], b.data(), (int)b.size(), C, S);
      ASSERT_EQ(std::vector<int>(alone.shift_value, alone.shift_value + alone.num_shifts), want);
    }
    ASSERT_EQ(d.nextPart(C, S), 0);
  }
}

TEST(Division, WalkMatchesTheDefinition) {
  std::mt19937 rng(99);
  AA_groups dna;
  dna.makeDNA();
  const AA_groups prot = proteinGroups();
  for (int iter = 0; iter < 40; iter++) {
    const int P = 20 + (int)(rng() % 60);
    const std::string q = randomSeq(rng, 10 + (int)(rng() % 300), "ACGTN");
    const std::string b = randomSeq(rng, (int)(rng() % 200), "ACGTNX");
    const double C = (rng() % 3) * 0.05;
    checkWalk(dna, q, b, 5, 4, P, C, 1 + (int)(rng() % 25));
    const std::string qp = randomSeq(rng, 10 + (int)(rng() % 300), "ACDEGHKLMSTVWY");
    const std::string bp = randomSeq(rng, (int)(rng() % 200), "ACDEGHKLMSTVWYX");
    checkWalk(prot, qp, bp, 5, 4, P, C, 1 + (int)(rng() % 25));
  }
}

TEST(Division, AlignmentBlocksUsePairTablesOnly) {
  const AA_groups prot = proteinGroups();
  BankSeq query = seqOf("ACDKLMACDKLMAC");
  WorkAli ali(2, 6);
  memcpy(ali.ali[0], "ACDKLM", 6);
  memcpy(ali.ali[1], "KLMACD", 6);
  Division_generator g(&prot, &query, 3, 4, 100, 1, 7, 0);
  Seq_division d(g);
  d.init(ali);
  ASSERT_EQ(d.nextPart(0.0, 3), 1);
  Shift_histogram alone(g.l_table[0], ali.ali, 6, 2, 0.0, 3);
  const std::vector<int> want(alone.shift_value, alone.shift_value + alone.num_shifts);
  ASSERT_EQ(want.size(), 3u);
  BankSeq shC, shB = seqOf("untouched");
  int iq, ib;
  for (int s : want) {
    ASSERT_EQ(d.nextShift(iq, shC, ib, shB), 1);
    EXPECT_EQ(ib, s > 0 ? s : 0);
    EXPECT_EQ(std::string(shB.seq()), "untouched");
  }
  // A tuple table has no alignment count: the part yields no shift.
  AA_groups dna;
  dna.makeDNA();
  BankSeq nq = seqOf("ACGTACGTACGT");
  Division_generator gn(&dna, &nq, 3, 2, 100, 1, 7, 0);
  Seq_division dn(gn);
  dn.init(ali);
  ASSERT_EQ(dn.nextPart(0.0, 3), 1);
  EXPECT_EQ(dn.nextShift(iq, shC, ib, shB), 0);
  Shift_histogram none(gn.l_table[0], ali.ali, 6, 2, 0.0, 3);
  EXPECT_EQ(none.num_shifts, 0);
}

// The merged pair tables count every part as the part's own table does, for gaps clamped by
// short parts, parts reaching past their neighbours, letters outside the groups and banks
// shorter than a word.
TEST(Division, MergedPairTablesCountLikeEachPart) {
  std::mt19937 rng(4242);
  const AA_groups prot = proteinGroups();
  for (int iter = 0; iter < 300; iter++) {
    const int P = 1 + (int)(rng() % 40);
    const int W = 1 + (int)(rng() % 7);
    const int lenThres = (int)(rng() % 12) - 2;
    const std::string q = randomSeq(rng, 1 + (int)(rng() % 200), "ACDEGHKLMSTVWYXB");
    const std::string b = randomSeq(rng, (int)(rng() % 120), "ACDEGHKLMSTVWYXZ*");
    BankSeq query = seqOf(q);
    Division_generator g(&prot, &query, W, 4, P, 1, lenThres, 0);
    ASSERT_NE(g.pairs, nullptr);
    const PairCounter &pc = *g.pairs;
    ASSERT_EQ(pc.numParts, g.numParts);
    const int B = (int)b.size();
    std::vector<unsigned char> codes((size_t)B + 1);
    codeLetters(&prot, b.data(), B, codes.data());
    ASSERT_EQ(pc.columns, pc.numParts);
    std::vector<int> merged((size_t)pc.histSize(B) + 1, 0);
    PairCounter::Workspace ws;
    pc.count(codes.data(), B, merged.data(), ws);
    for (int i = 0; i < g.numParts; i++) {
      const int n = g.length[i] - 1 + B;
      std::vector<int> own((size_t)n + 1, 0);
      g.l_table[i]->addCounts(codes.data(), B, own.data());
      for (int k = 0; k < n; k++)
        ASSERT_EQ(merged[(size_t)k * (size_t)pc.columns + (size_t)i], own[(size_t)k])
            << "iteration " << iter << " part " << i << " diagonal " << k;
    }
  }
}

// Low-complexity queries put dozens of entries in one cell; one workspace serves bank
// sequences of falling and rising lengths, and a bank of one letter counts nothing.
TEST(Division, MergedPairTablesReuseTheirWorkspace) {
  std::mt19937 rng(77);
  const AA_groups prot = proteinGroups();
  const std::string q = randomSeq(rng, 150, "AV") + randomSeq(rng, 200, "ACDKLMFP") +
                        std::string(40, 'L');
  BankSeq query = seqOf(q);
  Division_generator g(&prot, &query, 7, 4, 60, 1, 9, 0);
  ASSERT_NE(g.pairs, nullptr);
  const PairCounter &pc = *g.pairs;
  PairCounter::Workspace ws;
  for (int B : {300, 40, 1, 0, 2, 8, 500, 3, 120}) {
    const std::string b = randomSeq(rng, B, B % 2 ? "AVL" : "ACDKLMFPAV");
    std::vector<unsigned char> codes((size_t)B + 1);
    codeLetters(&prot, b.data(), B, codes.data());
    std::vector<int> merged((size_t)pc.histSize(B) + 1, 0);
    pc.count(codes.data(), B, merged.data(), ws);
    long long total = 0;
    for (int i = 0; i < g.numParts; i++) {
      const int n = g.length[i] - 1 + B;
      std::vector<int> own((size_t)n + 1, 0);
      g.l_table[i]->addCounts(codes.data(), B, own.data());
      for (int k = 0; k < n; k++) {
        ASSERT_EQ(merged[(size_t)k * (size_t)pc.columns + (size_t)i], own[(size_t)k])
            << "bank " << B << " part " << i << " diagonal " << k;
        total += own[(size_t)k];
      }
    }
    EXPECT_EQ(merged.back(), 0) << "bank " << B;  // nothing past the histogram
    if (B < 2) {
      EXPECT_EQ(total, 0);
    }
    if (B == 500) {
      EXPECT_GT(total, 10000);
    }
  }
}

TEST(Division, TupleTablesAreNotMerged) {
  AA_groups dna;
  dna.makeDNA();
  BankSeq query = seqOf("ACGTACGTACGTTTGACA");
  Division_generator g(&dna, &query, 5, 4, 5, 1, 2, 0);
  EXPECT_GT(g.numParts, 1);
  EXPECT_EQ(g.pairs, nullptr);
  // A coincidence number of 0 asks for pair tables whatever the groups.
  Division_generator pairs(&dna, &query, 5, 0, 5, 1, 2, 0);
  EXPECT_NE(pairs.pairs, nullptr);
}

}  // namespace
