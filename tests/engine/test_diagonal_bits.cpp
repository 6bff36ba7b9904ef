// Diagonal counts in bit planes against the counts by definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "sysconn.h"
#include "testutil.h"

namespace {

// Count of diagonal k: the pairs (i, i + g), g = 1 .. W, whose codes match the bank's at
// k - (L - 1) + i and at g further, both in the bank.
std::vector<int> countsByDefinition(const std::vector<unsigned char> &q,
                                    const std::vector<unsigned char> &b, int W, int nc) {
  const int L = (int)q.size(), n = (int)b.size();
  std::vector<int> h((size_t)std::max(L - 1 + n, 0), 0);
  W = std::min(W, L - 1);
  for (int k = 0; k < L - 1 + n; k++)
    for (int i = 0; i < L; i++)
      for (int g = 1; g <= W && i + g < L; g++) {
        const int j = k - (L - 1) + i;
        if (j < 0 || j + g >= n) continue;
        if (q[(size_t)i] < nc && q[(size_t)i] == b[(size_t)j] &&
            q[(size_t)(i + g)] < nc && q[(size_t)(i + g)] == b[(size_t)(j + g)])
          h[(size_t)k]++;
      }
  return h;
}

std::vector<unsigned char> randomCodes(std::mt19937 &rng, int n, int range) {
  std::vector<unsigned char> v((size_t)n);
  for (auto &c : v) c = (unsigned char)(rng() % (unsigned)range);
  return v;
}

void checkCandidates(VectorForm form) {
  std::mt19937 rng(7);
  DiagonalBits bits;
  for (int iter = 0; iter < 300; iter++) {
    const int nc = 1 + (int)(rng() % 10);
    // Few groups give long runs and high counts; the lengths cross the 64- and 512-bit seams.
    const int L = 1 + (int)(rng() % (iter % 10 == 0 ? 700 : 140));
    const int n = (int)(rng() % (iter % 7 == 0 ? 1400 : 300));
    const int W = (int)(rng() % 9);
    const std::vector<unsigned char> q = randomCodes(rng, L, nc);      // query codes < nc
    const std::vector<unsigned char> b = randomCodes(rng, n, nc + 2);  // bank codes may be capped
    const std::vector<int> h = countsByDefinition(q, b, W, nc);
    const int thr = 1 + (int)(rng() % 30);
    std::vector<uint64_t> want;
    for (size_t k = 0; k < h.size(); k++)
      if (h[k] >= thr) want.push_back(Shift_histogram::key(h[k], (int)k));
    const int longest = L + (int)(rng() % 50);
    bits.setBank(b.data(), n, nc, longest, form);
    std::vector<uint64_t> got;
    bits.candidates(q.data(), L, W, thr, got, form);
    ASSERT_EQ(got, want) << "iter " << iter << " L " << L << " n " << n << " W " << W;
  }
}

TEST(DiagonalBits, CandidatesAreTheCountsReachingTheThreshold) {
  checkCandidates(VectorForm::Plain);
}

TEST(DiagonalBits, WideCandidatesAreTheCountsReachingTheThreshold) {
  SKIP_WITHOUT_WIDE(kWideDiagonalBits);
  checkCandidates(VectorForm::Wide);
}

TEST(DiagonalBits, OneLetterGroupCountsEveryPair) {
  // All letters in one group: diagonal k of a part of L letters against n letters counts,
  // for every gap up to W, the pairs inside the overlap.
  const int L = 600, n = 1000, W = 5;
  std::vector<unsigned char> q(L, 0), b(n, 0);
  DiagonalBits bits;
  bits.setBank(b.data(), n, 1, L);
  std::vector<uint64_t> got;
  bits.candidates(q.data(), L, W, 1, got);
  const std::vector<int> h = countsByDefinition(q, b, W, 1);
  ASSERT_EQ(got.size(), h.size() - 2);  // the two corner diagonals overlap by one letter
  EXPECT_EQ(got[0], Shift_histogram::key(1, 1));
  // Full overlap: sum over g of (L - g).
  const uint64_t full = Shift_histogram::key(5 * L - 15, L - 1);
  EXPECT_EQ(got[(size_t)L - 2], full);
  // A threshold above every count keeps none; a bank of one letter has no pair.
  got.clear();
  bits.candidates(q.data(), L, W, 5 * L, got);
  EXPECT_TRUE(got.empty());
  bits.setBank(b.data(), 1, 1, L);
  bits.candidates(q.data(), L, W, 1, got);
  EXPECT_TRUE(got.empty());
}

// The shifts a division hands out equal the selection over the histogram by definition.
TEST(DiagonalBits, DivisionShiftsMatchTheFullHistogram) {
  AA_groups ag = testutil::groupsOf("AGST\nC\nDENQ\nKRH\nILMV\nFWY\n");
  std::mt19937 rng(3);
  const char *alpha = "ACDEFGHIKLMNPQRSTVWYXB";
  for (int iter = 0; iter < 60; iter++) {
    std::string qs, bs;
    const int ql = 1 + (int)(rng() % 400), bl = (int)(rng() % 600);
    for (int k = 0; k < ql; k++) qs += alpha[rng() % 12];  // few letters: many diagonals pass
    for (int k = 0; k < bl; k++) bs += alpha[rng() % 22];
    BankSeq query = testutil::seqOf(qs), bank = testutil::seqOf(bs);
    const int winWidth = 1 + (int)(rng() % 7), partSize = 20 + (int)(rng() % 150);
    Division_generator gen(&ag, &query, winWidth, 0, partSize, 1, 7, 0);
    Seq_division div(gen);
    div.init(bank);
    const double ratio = 0.02 + 0.01 * (rng() % 8);
    const int S = 1 + (int)(rng() % 25);
    std::vector<unsigned char> codes((size_t)bl);
    codeLetters(&ag, bank.seq(), bl, codes.data());
    std::vector<uint64_t> heap;
    for (int p = 0; p < gen.numParts; p++) {
      ASSERT_EQ(div.nextPart(ratio, S), 1);
      const Looking_table *t = gen.l_table[p];
      std::vector<int> h((size_t)(t->segm_length - 1 + bl), 0);
      t->addCounts(codes.data(), bl, h.data());
      Shift_histogram want;
      want.select(h.data(), t->segm_length - 1, (int)h.size(),
                  coverageThreshold(ratio, t->histWidth(), t->segm_length), S, heap);
      ASSERT_EQ(std::vector<int>(div.hist->shift_value, div.hist->shift_value + div.hist->num_shifts),
                std::vector<int>(want.shift_value, want.shift_value + want.num_shifts))
          << iter << " part " << p;
    }
    EXPECT_EQ(div.nextPart(ratio, S), 0);
  }
}

void checkRanks(VectorForm form) {
  std::mt19937 rng(9);
  for (int iter = 0; iter < 3000; iter++) {
    const size_t n = rng() % 65, want = 1 + rng() % 25;
    std::vector<uint64_t> keys;
    std::vector<int> idx;
    for (size_t i = 0; i < n; i++) idx.push_back((int)(i * 3 + rng() % 3));
    for (int i : idx) keys.push_back(Shift_histogram::key((int)(rng() % 9), i));
    std::vector<uint64_t> sorted = keys;
    std::sort(sorted.begin(), sorted.end(), std::greater<uint64_t>());
    std::vector<int> want_((size_t)std::min(n, want));
    for (size_t r = 0; r < want_.size(); r++) want_[r] = (int)~(uint32_t)sorted[r] - 5;
    std::vector<int> got(want_.size(), -1);
    rankKeys(keys.data(), n, want, 5, got.data(), form);
    ASSERT_EQ(got, want_) << iter;
  }
}

TEST(DiagonalBits, RankedKeysMatchTheSortedOrder) { checkRanks(VectorForm::Plain); }

TEST(DiagonalBits, WideRankedKeysMatchTheSortedOrder) {
  SKIP_WITHOUT_WIDE(kWideRankKeys);
  checkRanks(VectorForm::Wide);
}

}  // namespace
