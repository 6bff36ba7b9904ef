// The engine scores a weight matrix from letter indices; any other matrix kind goes through
// getWeight. Both must give the same motifs, record for record, running sums included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "seahom.h"
#include "w_matrix.h"
#include "engine_fixture.h"
#include "testutil.h"

namespace {

// A matrix of another kind that forwards everything to a weight matrix.
class ForwardMatrix : public TMatrix {
 public:
  Weight_matrix w;
  ForwardMatrix() { std::copy(w.nalpha, w.nalpha + 256, nalpha); }
  TMatrix *duplicate() override { return new ForwardMatrix(*this); }
  int recalcSum(int len, const char *a, const char *b, int sum, int x, double &mult,
                double &add) const override {
    return w.recalcSum(len, a, b, sum, x, mult, add);
  }
  int fread(FILE *f) override { return w.fread(f); }
  int normalize(const double *f1, const double *f2) override { return w.normalize(f1, f2); }
  void recast(const double *f1, const double *f2) override { w.recast(f1, f2); }
  int rescale(double h) const override { return w.rescale(h); }
  void getWeight(const BankSeq &a, const BankSeq &b, int *wei, int homFact, int x) const override {
    w.getWeight(a, b, wei, homFact, x);
  }
  void getWeight(int ishSeq, const BankSeq &seq, int ishAli, WorkAli &ali, int len, int *weight,
                 int homFac) const override {
    w.getWeight(ishSeq, seq, ishAli, ali, len, weight, homFac);
  }
};

std::string mutate(const std::string &s, double keep, std::mt19937 &rng) {
  const char *aa = "ACDEFGHIKLMNPQRSTVWYXB*";
  std::string t = s;
  for (char &c : t)
    if (std::uniform_real_distribution<double>(0, 1)(rng) > keep) c = aa[rng() % 23];
  return t;
}

using testutil::seqOf;

TEST(EngineScoring, IndexedScoresGiveTheSameMotifsAsGetWeight) {
  std::mt19937 rng(4242);
  const char *aa = "ACDEFGHIKLMNPQRSTVWY";
  for (int iter = 0; iter < 40; iter++) {
    SearchHomolParams p;
    readTestColors(p.ag);
    if (HasFatalFailure()) return;
    p.useLookingTable = 1;
    p.helixFreqRecalc = (int)(rng() % 2);
    p.accurateDotHelix = (int)(rng() % 2);
    p.minHomolRatio = iter % 3 == 0 ? 0.0 : 0.1 * (double)(rng() % 5);
    p.thPower = 2.0 + (double)(rng() % 30) / 10;
    p.thLength = 3 + (int)(rng() % 8);
    p.partSize = 30 + (int)(rng() % 120);
    std::string q;
    for (int i = 0, n = 50 + (int)(rng() % 400); i < n; i++) q += aa[rng() % 20];
    // The bank entry: a relative of a piece of the query between unrelated letters.
    std::string b;
    for (int i = 0, n = (int)(rng() % 200); i < n; i++) b += aa[rng() % 20];
    const size_t from = rng() % (q.size() / 2);
    b += mutate(q.substr(from, q.size() / 2), 0.4 + 0.1 * (rng() % 6), rng);
    for (int i = 0, n = (int)(rng() % 200); i < n; i++) b += aa[rng() % 20];
    const BankSeq query = seqOf(q, '+'), bank = seqOf(b, '+');

    Weight_matrix *w = new Weight_matrix;
    w->makeBlos62();
    p.wm = w;
    Engine fast(p, query);
    ForwardMatrix *fm = new ForwardMatrix;
    fm->w.makeBlos62();
    delete p.wm;
    p.wm = fm;
    Engine slow(p, query);
    ASSERT_EQ(dynamic_cast<Weight_matrix *>(slow.e->wm), nullptr);

    for (int rep = 0; rep < 2; rep++) {  // reused buffers give the same again
      const int n = fast.e->compTwoSeq(bank, fast.mot.get());
      ASSERT_EQ(n, slow.e->compTwoSeq(bank, slow.mot.get())) << "iteration " << iter;
      for (int k = 0; k < n; k++) {
        const MotifWei &x = fast.mot[k], &y = slow.mot[k];
        ASSERT_EQ(x.qBeg, y.qBeg);
        ASSERT_EQ(x.bBeg, y.bBeg);
        ASSERT_EQ(x.len, y.len);
        ASSERT_EQ(x.sum, y.sum);
        ASSERT_EQ(x.pow, y.pow);
        for (int i = 0; i <= x.len; i++) ASSERT_EQ(x.wei[i], y.wei[i]);
      }
      if (iter == 0) {
        EXPECT_GT(n, 0);
      }
    }
  }
}

// Rebinding an engine to another query of the same length: the new letters are scored. The two
// queries share their composition, so both engines see the same matrix history.
TEST(EngineScoring, RebindingToAnotherQueryOfTheSameLengthScoresTheNewOne) {
  std::mt19937 rng(77);
  const char *aa = "ACDEFGHIKLMNPQRSTVWY";
  SearchHomolParams p;
  readTestColors(p.ag);
  if (HasFatalFailure()) return;
  p.useLookingTable = 1;
  std::string qb;
  for (int i = 0; i < 150; i++) qb += aa[rng() % 20];
  std::string qa = qb;
  std::shuffle(qa.begin(), qa.end(), rng);
  const BankSeq a = seqOf(qa, '+'), b = seqOf(qb, '+');
  // Related to both queries, so that the first comparison codes the first query's letters.
  const BankSeq bank = seqOf(qa.substr(10, 80) + qb.substr(20, 100), '+');
  Weight_matrix *w = new Weight_matrix;
  w->makeBlos62();
  p.wm = w;

  auto rebindAndCompare = [&](Engine &run) {
    run.e->compTwoSeq(bank, run.mot.get());
    Division_generator genB(&p.ag, &b, p.winWidth, p.coiNum, p.partSize, p.useLookingTable,
                            p.thLength, 0);
    run.e->makeDivision(genB);
    run.e->makeFreq();
    run.e->normMatr();
    return run.e->compTwoSeq(bank, run.mot.get());
  };
  Engine fromB(p, b), fromA(p, a);
  const int want = rebindAndCompare(fromB);
  ASSERT_GT(want, 0);
  ASSERT_EQ(rebindAndCompare(fromA), want);
  for (int k = 0; k < want; k++) {
    EXPECT_EQ(fromA.mot[k].qBeg, fromB.mot[k].qBeg);
    EXPECT_EQ(fromA.mot[k].sum, fromB.mot[k].sum);
    EXPECT_EQ(fromA.mot[k].pow, fromB.mot[k].pow);
  }
}

// The batch layout in one form against its definition: lanes starting before, at and after
// the first row, ending before and at the last, empty lanes, rows not a multiple of 8,
// extreme scores; value for value, pads included.
void checkInterleave(VectorForm form) {
  std::mt19937 rng(2024);
  constexpr int W = HelixFilter::kLanes;
  int score[22 * kScoreRow];
  for (int i = 0; i < 22 * kScoreRow; i++) score[i] = (int)(rng() % 4001) - 2000;
  score[3 * kScoreRow + 5] = INT32_MAX;
  score[7 * kScoreRow + 21] = INT32_MIN;
  for (int trial = 0; trial < 400; trial++) {
    const int rows = 1 + (int)(rng() % 300);
    const int margin = rows + 16;
    const int qlen = rows + (int)(rng() % 50), p0 = (int)(rng() % (qlen - rows + 1));
    std::vector<uint16_t> qRow((size_t)qlen);
    for (auto &q : qRow) q = (uint16_t)((rng() % 22) * kScoreRow);
    const int blen = 1 + (int)(rng() % 400);
    std::vector<unsigned char> bank((size_t)blen + 2 * (size_t)margin);
    for (auto &b : bank) b = (unsigned char)(rng() % 22);
    const unsigned char *bankAt = bank.data() + margin;
    int off[W], lo[W], len[W];
    for (int l = 0; l < W; l++) {
      // A diagonal within the rows and within the bank, or an unused lane.
      int a = (int)(rng() % rows), n = 1 + (int)(rng() % (rows - a));
      int bankStart = (int)(rng() % blen);
      n = std::min(n, blen - bankStart);
      if (rng() % 6 == 0) n = 0;
      lo[l] = a;
      len[l] = n;
      off[l] = bankStart - (p0 + a);
    }
    std::vector<int> got((size_t)rows * W, 1);
    interleaveDiagonals(got.data(), rows, p0, qRow.data(), score, bankAt, off, lo, len, form);
    for (int l = 0; l < W; l++)
      for (int r = 0; r < rows; r++) {
        const int want = r >= lo[l] && r < lo[l] + len[l]
                             ? score[qRow[(size_t)(p0 + r)] + bankAt[p0 + r + off[l]]]
                             : HelixFilter::kPad;
        ASSERT_EQ(got[(size_t)r * W + l], want) << "trial " << trial << " lane " << l;
      }
  }
}

TEST(EngineScoring, InterleavedDiagonalsFollowTheDefinition) { checkInterleave(VectorForm::Plain); }

TEST(EngineScoring, InterleavedDiagonalsVectorFormFollowsTheDefinition) {
  SKIP_WITHOUT_WIDE(kWideInterleave);
  checkInterleave(VectorForm::Wide);
}

// A diagonal's profile in one form against its definition: every length around the blocks of
// sixteen, the last entries of the table, and nothing read past the n entries given.
void checkDiagonalProfile(VectorForm form) {
  std::mt19937 rng(5);
  int score[22 * kScoreRow];
  for (int i = 0; i < 22 * kScoreRow; i++) score[i] = (int)rng();
  for (int n = 0; n <= 70; n++) {
    // Exactly n entries each, so a read past them is an error under the sanitizers.
    std::vector<uint16_t> q((size_t)n);
    std::vector<unsigned char> b((size_t)n);
    for (int k = 0; k < n; k++) {
      q[(size_t)k] = (uint16_t)((k % 3 ? rng() % 22 : 21) * kScoreRow);
      b[(size_t)k] = (unsigned char)(k % 5 ? rng() % 22 : 21);
    }
    std::vector<int> got((size_t)n + 1, 7);
    scoreDiagonal(got.data(), n, q.data(), b.data(), score, form);
    for (int k = 0; k < n; k++) ASSERT_EQ(got[(size_t)k], score[q[(size_t)k] + b[(size_t)k]]) << n;
    ASSERT_EQ(got[(size_t)n], 7) << "written past the profile";
  }
}

TEST(EngineScoring, DiagonalProfileFollowsTheDefinition) { checkDiagonalProfile(VectorForm::Plain); }

TEST(EngineScoring, DiagonalProfileVectorFormFollowsTheDefinition) {
  SKIP_WITHOUT_WIDE(kWideGather);
  checkDiagonalProfile(VectorForm::Wide);
}

// The one-pass screen against the layout it skips screened by the plain filter: diagonals
// running off either end of the bank (which reads the pad letter there) or inside it, rows up
// to four bands, scores at the screen's bounds, thresholds that let some lanes through and
// stop others.
TEST(EngineScoring, OnePassScreenAgreesWithTheInterleavedOne) {
  SKIP_WITHOUT_WIDE(kWideInterleave);
  std::mt19937 rng(77);
  constexpr int W = HelixFilter::kLanes;
  int passed = 0, stopped = 0, tried = 0;
  for (int trial = 0; trial < 600; trial++) {
    const int maxScore = trial % 5 == 0 ? HelixFilter::kBatchScore : 1 + (int)(rng() % 3000);
    // Some tables are narrow around a small mean: long weak runs, which only the bands of
    // longer lengths see.
    const int spread = trial % 3 ? maxScore : 1 + maxScore / 16;
    const int centre = trial % 3 ? 0 : (int)(rng() % (unsigned)(maxScore / 4 + 1));
    int score[22 * kScoreRow] = {};
    for (int i = 0; i < 22; i++) {
      for (int j = 0; j < 22; j++)
        score[i * kScoreRow + j] = std::clamp(
            centre + (int)(rng() % (2 * (unsigned)spread + 1)) - spread, -maxScore, maxScore);
      score[i * kScoreRow + kPadLetter] = HelixFilter::kPad;
    }
    score[(rng() % 22) * kScoreRow + rng() % 22] = maxScore;
    const int rows = 1 + (int)(rng() % (trial % 7 == 0 ? 900 : 250));
    const int margin = rows + 16;
    const int qlen = rows + (int)(rng() % 20), p0 = (int)(rng() % (qlen - rows + 1));
    std::vector<uint16_t> qRow((size_t)qlen);
    for (auto &q : qRow) q = (uint16_t)((rng() % 22) * kScoreRow);
    const int blen = 1 + (int)(rng() % 1000);
    std::vector<unsigned char> bank((size_t)blen + 2 * (size_t)margin, (unsigned char)kPadLetter);
    for (int k = 0; k < blen; k++) bank[(size_t)(margin + k)] = (unsigned char)(rng() % 22);
    const unsigned char *bankAt = bank.data() + margin;
    // Each lane's rows are those whose bank position falls inside the bank.
    int off[W], lo[W], len[W];
    for (int l = 0; l < W; l++) {
      const int first = (int)(rng() % (unsigned)(rows + blen)) - rows;  // bank position of row 0
      off[l] = first - p0;
      const int a = std::max(0, -first), e = std::min(rows, blen - first);
      lo[l] = a;
      len[l] = std::max(e - a, 0);
    }
    HelixFilter filter;
    filter.prepare(1 + (int)(rng() % 12), 1 + (int)(rng() % 20000000));
    int32_t beta[HelixFilter::kMaxBatchBands], alpha[HelixFilter::kMaxBatchBands];
    const int nb = filter.batchThresholds(rows, maxScore, beta, alpha);
    if (!nb) continue;
    unsigned pass = 0xdead;
    ASSERT_TRUE(screenDiagonals(pass, rows, p0, qRow.data(), score, bankAt, off, nb, beta, alpha));
    tried++;
    for (int l = 0; l < W; l++)
      if (len[l] < filter.minLength()) pass &= ~(1u << l);
    std::vector<int> laid((size_t)rows * W);
    interleaveDiagonals(laid.data(), rows, p0, qRow.data(), score, bankAt, off, lo, len,
                        VectorForm::Plain);
    const unsigned want = filter.rejectsBatchPlain(laid.data(), len, rows, maxScore);
    ASSERT_EQ(~pass & 0xffu, want) << "trial " << trial << " bands " << nb;
    passed += __builtin_popcount(pass);
    stopped += __builtin_popcount(want);
  }
  EXPECT_GT(tried, 400);
  EXPECT_GT(passed, 300);
  EXPECT_GT(stopped, 300);
}

}  // namespace
