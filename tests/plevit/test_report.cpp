// Supermotif reports: the summary line, the alignment blocks and the block-entry motif, read
// from small banks (tests/data/plevit) through their indexes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "aa_code.h"
#include "motif.h"
#include "report.h"
#include "params.h"
#include "seqbase.h"
#include "w_matrix.h"
#include "work_seq.h"

namespace {

std::string data(const std::string &name) { return std::string(SEQ_TEST_DATA "/plevit/") + name; }

struct Mot {
  int qBeg, bBeg, len;
  char frame;
};

std::unique_ptr<Supermotif> makeSup(const std::string &q, int qNum, const std::string &b, int bNum,
                                    int power, std::initializer_list<Mot> mots) {
  auto sup = std::make_unique<Supermotif>();
  sup->qAdr = _strdup_(q.c_str());
  sup->qNum = qNum;
  sup->bAdr = _strdup_(b.c_str());
  sup->bNum = bNum;
  sup->power = power;
  Motif **tail = &sup->first;
  for (const Mot &m : mots) {
    *tail = new Motif(m.qBeg, m.bBeg, m.len, 0, 0, m.frame);
    tail = &(*tail)->next;
    sup->numMot++;
  }
  return sup;
}

// Runs fn on a scratch report file; returns what it wrote and what went to standard output.
struct Captured {
  std::string report, out;
  int result = 0;
};
Captured capture(const std::function<int(FILE *)> &fn) {
  Captured c;
  FILE *f = tmpfile();
  EXPECT_NE(f, nullptr);
  fflush(stdout);
  testing::internal::CaptureStdout();
  c.result = fn(f);
  fflush(stdout);
  c.out = testing::internal::GetCapturedStdout();
  rewind(f);
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) c.report.append(buf, n);
  fclose(f);
  return c;
}

Captured alignment(Supermotif &sup, Weight_matrix *wm = nullptr, Translation_code *code = nullptr) {
  return capture([&](FILE *f) { return sup.printSupasSW(f, wm, code, 1); });
}

std::string summary(Supermotif &sup) {
  return capture([&](FILE *f) {
           sup.printInfasSW(f);
           return 0;
         }).report;
}

std::unique_ptr<Translation_code> standardCode() {
  auto code = std::make_unique<Translation_code>();
  FILE *f = fopen(data("code.txt").c_str(), "r");
  EXPECT_NE(f, nullptr);
  EXPECT_EQ(code->fread(f), 0);
  fclose(f);
  return code;
}

const int kPower987 = 40427520;  // 9.87 on the power scale

// The query row, sign row and bank row of the first block.
struct Block {
  std::string q, s, b;
};

const std::string kQuery1 = data("query.dat");
const std::string kProt = data("prot.dat");
const std::string kNuc = data("nuc.dat");

}  // namespace

TEST(ReportAlignment, WorkedPairWithoutMatrix) {
  auto sup = makeSup(kQuery1, 0, kProt, 0, kPower987, {{0, 0, 10, '+'}, {10, 12, 10, '+'}});
  Captured c = alignment(*sup);
  EXPECT_EQ(c.result, 0);
  EXPECT_EQ(c.report,
            "\nP00001    ++                                      TEST PROTEIN.\n"
            "Power    9.87 Summa      20 HomPer    1.00\n"
            "      1   ACDEFGHIKL--MNPQRSTVWY   20     \n"
            "          ||||||||||  ||||||||||\n"
            "      1   ACDEFGHIKLwwMNPQRSTVWY   22     \n");
  EXPECT_EQ(c.out, "");
}

TEST(ReportAlignment, GapsOnEitherSide) {
  // Query gap 2, bank gap 5: three dashes before the query's lower-case letters.
  auto shortQ = makeSup(kQuery1, 0, kProt, 0, kPower987, {{0, 0, 5, '+'}, {7, 10, 5, '+'}});
  EXPECT_EQ(alignment(*shortQ).report,
            "\nP00001    ++                                      TEST PROTEIN.\n"
            "Power    9.87 Summa       5 HomPer    0.50\n"
            "      1   ACDEF---ghIKLMN   12     \n"
            "          |||||          \n"
            "      1   ACDEFghiklWWMNP   15     \n");
  // Query gap 5, bank gap 2: the dashes go to the bank row.
  auto shortB = makeSup(kQuery1, 0, kProt, 0, kPower987, {{0, 0, 5, '+'}, {10, 7, 5, '+'}});
  EXPECT_EQ(alignment(*shortB).report,
            "\nP00001    ++                                      TEST PROTEIN.\n"
            "Power    9.87 Summa       5 HomPer    0.50\n"
            "      1   ACDEFghiklMNPQR   15     \n"
            "          |||||          \n"
            "      1   ACDEF---ghIKLWW   12     \n");
}

TEST(ReportAlignment, LongMotifInBlocksOfSixty) {
  auto sup = makeSup(kQuery1, 1, kProt, 1, 50 * 4096000, {{0, 0, 130, '+'}});
  Captured c = alignment(*sup);
  EXPECT_EQ(c.result, 0);
  EXPECT_EQ(c.report,
            "\nP12345    +     LONG PROTEIN OF ONE HUNDRED AND FORTY LETTERS.\n"
            "Power   50.00 Summa     128 HomPer    0.98\n"
            "      1   MKTAYIAKQRQISFVKSHFSWQLEERLGLIEVQAPILSRVGDGTQDNLSGAEKAVQVKVK   60     \n"
            "          |||||||||||||||||||| |||||||||||||||||||||||||||||||||||||||\n"
            "      1   MKTAYIAKQRQISFVKSHFSRQLEERLGLIEVQAPILSRVGDGTQDNLSGAEKAVQVKVK   60     \n"
            "\n"
            "     61   ALPDAQFEVVHSLAKCKRQTLGQHDFSAGEGLYTHMKALRPDEDRLSPLHSVYVDQWDWE   120    \n"
            "          ||||||||||||||| ||||||||||||||||||||||||||||||||||||||||||||\n"
            "     61   ALPDAQFEVVHSLAKWKRQTLGQHDFSAGEGLYTHMKALRPDEDRLSPLHSVYVDQWDWE   120    \n"
            "\n"
            "    121   RVMGDGERQF   130    \n"
            "          ||||||||||\n"
            "    121   RVMGDGERQF   130    \n");
}

TEST(ReportAlignment, ReverseStrandNumbersTheBankDownwards) {
  // Bank entry 2 is the reverse complement of query letters 4..20 followed by GGGG.
  auto sup = makeSup(kNuc, 3, kNuc, 2, 4096000, {{3, 4, 17, '-'}});
  Captured c = alignment(*sup);
  EXPECT_EQ(c.result, 0);
  EXPECT_NE(c.report.find("\n      4   TACGTTTGACCATGGCA   20     "
                          "\n          |||||||||||||||||"
                          "\n     17   TACGTTTGACCATGGCA   1      \n"),
            std::string::npos)
      << c.report;
  EXPECT_NE(c.report.find("\nN00003    -  "), std::string::npos);
}

TEST(ReportAlignment, TranslatedQueryFrames) {
  auto code = standardCode();
  const Translation_code before = *code;
  // Frame 'a': protein position p of the query prints as 3p + 1.
  auto a = makeSup(kNuc, 0, kProt, 2, 4096000, {{1, 0, 21, 'a'}});
  Captured ca = alignment(*a, nullptr, code.get());
  EXPECT_EQ(ca.result, 0) << ca.out;
  EXPECT_NE(ca.report.find("\n      4   MEKLVWNPQRSTACDEFGHIY   66     "
                           "\n          |||||||||||||||||||||"
                           "\n      1   MEKLVWNPQRSTACDEFGHIY   21     \n"),
            std::string::npos)
      << ca.report;
  // Frame 'd' of the reversed query (68 letters): L - 3p, decreasing.
  auto d = makeSup(kNuc, 1, kProt, 2, 4096000, {{1, 0, 21, 'd'}});
  Captured cd = alignment(*d, nullptr, code.get());
  EXPECT_EQ(cd.result, 0) << cd.out;
  EXPECT_NE(cd.report.find("\n     65   MEKLVWNPQRSTACDEFGHIY   3      "), std::string::npos)
      << cd.report;
  // The caller's code is left as it was.
  EXPECT_EQ(std::memcmp(&before, code.get(), sizeof before), 0);
}

TEST(ReportAlignment, TranslatedBankFrame) {
  // A protein query against a nucleic bank: the bank side is translated (frame 'b' here).
  auto code = standardCode();
  auto sup = makeSup(kProt, 2, kNuc, 0, 4096000, {{0, 0, 21, 'b'}});
  Captured c = alignment(*sup, nullptr, code.get());
  EXPECT_EQ(c.result, 0) << c.out;
  // Frame 'b' of GGAATGGAA...: positions print as 3p + 2.
  EXPECT_NE(c.report.find("\n      2   "), std::string::npos) << c.report;
  EXPECT_NE(c.report.find("   64     \n"), std::string::npos) << c.report;
}

TEST(ReportAlignment, TranslationWithoutCode) {
  auto sup = makeSup(kNuc, 0, kProt, 2, 4096000, {{1, 0, 21, 'a'}});
  Captured c = alignment(*sup);
  EXPECT_EQ(c.result, -3);
  EXPECT_EQ(c.out, "\n Translation code must be used for printing.\n");
  EXPECT_EQ(c.report, "");
  // An unset frame asks for the code too; with one, the pair is printed untranslated.
  auto unset = makeSup(kQuery1, 0, kProt, 0, kPower987, {{0, 0, 10, ' '}});
  EXPECT_EQ(alignment(*unset).result, -3);
  auto code = standardCode();
  Captured cu = alignment(*unset, nullptr, code.get());
  EXPECT_EQ(cu.result, 0);
  EXPECT_NE(cu.report.find("\n      1   ACDEFGHIKL   10     \n          ||||||||||\n"),
            std::string::npos)
      << cu.report;
}

TEST(ReportAlignment, UnreadableSequences) {
  auto q = makeSup(data("missing.dat"), 4, kProt, 0, kPower987, {{0, 0, 10, '+'}});
  Captured cq = alignment(*q);
  EXPECT_EQ(cq.result, -1);
  EXPECT_EQ(cq.out, "\n Can't read query sequence: " + data("missing.dat") + " 4");
  auto b = makeSup(kQuery1, 0, kProt, 9, kPower987, {{0, 0, 10, '+'}});
  Captured cb = alignment(*b);
  EXPECT_EQ(cb.result, -2);
  EXPECT_EQ(cb.out, "\n Can't read bank sequence: " + kProt + " 9");
  EXPECT_EQ(cq.report + cb.report, "");
}

TEST(ReportAlignment, ChainsThatDoNotFitAreRefused) {
  const std::string msg = "\n Motif out of sequence: " + kProt + " 0";
  // Past the end of the query, before the start, empty, and an empty chain.
  for (Mot m : {Mot{15, 15, 10, '+'}, Mot{0, 13, 10, '+'}, Mot{-1, 0, 5, '+'},
                Mot{0, 0, 0, '+'}}) {
    auto sup = makeSup(kQuery1, 0, kProt, 0, kPower987, {m});
    Captured c = alignment(*sup);
    EXPECT_EQ(c.result, -4) << m.qBeg << " " << m.bBeg << " " << m.len;
    EXPECT_EQ(c.out, msg);
    EXPECT_EQ(c.report, "");
  }
  auto none = makeSup(kQuery1, 0, kProt, 0, kPower987, {});
  EXPECT_EQ(alignment(*none).result, -4);
  // A translated motif beyond the translation (68 letters give 22).
  auto code = standardCode();
  auto tr = makeSup(kNuc, 0, kProt, 2, 4096000, {{10, 0, 21, 'a'}});
  Captured ct = alignment(*tr, nullptr, code.get());
  EXPECT_EQ(ct.result, -4);
  EXPECT_EQ(ct.report, "");
}

TEST(ReportAlignment, BackwardChainPrintsWithoutGapLetters) {
  auto sup = makeSup(kQuery1, 0, kProt, 0, kPower987, {{10, 12, 10, '+'}, {0, 0, 10, '+'}});
  Captured c = alignment(*sup);
  EXPECT_EQ(c.result, 0);
  EXPECT_NE(c.report.find("\n     11   MNPQRSTVWYACDEFGHIKL   30     "
                          "\n          ||||||||||||||||||||"
                          "\n     13   MNPQRSTVWYACDEFGHIKL   32     \n"),
            std::string::npos)
      << c.report;
}

namespace {

// The local matrix the report builds: normalised and standardised for the two sequences.
Weight_matrix localMatrix(const Weight_matrix &wm, const char *q, const char *b) {
  Weight_matrix m(wm);
  double *cb = m.makeFreq((int)strlen(b), b);
  double *cq = m.makeFreq((int)strlen(q), q);
  m.normalize(aa_frequences, cb);
  m.recast(cb, cq);
  delete[] cb;
  delete[] cq;
  return m;
}

std::unique_ptr<Weight_matrix> readMatrix(const char *path) {
  auto wm = std::make_unique<Weight_matrix>();
  FILE *f = fopen(path, "r");
  EXPECT_NE(f, nullptr) << path;
  if (f) {
    wm->fread(f);
    fclose(f);
  }
  return wm;
}

}  // namespace

TEST(ReportAlignment, MatrixSigns) {
  auto wm = readMatrix("/usr/share/ncbi/data/BLOSUM62");
  const Weight_matrix before = *wm;
  auto sup = makeSup(kQuery1, 1, kProt, 1, 50 * 4096000, {{0, 0, 140, '+'}});
  Captured c = alignment(*sup, wm.get());
  ASSERT_EQ(c.result, 0);

  WorkSeq q, b;
  ASSERT_EQ(q.readSeq(kQuery1.c_str(), 1), 140);
  ASSERT_EQ(b.readSeq(kProt.c_str(), 1), 140);
  Weight_matrix m = localMatrix(*wm, q.seq(), b.seq());
  // Identical pairs show the letter; W-R and C-W lie below the mean; S-T lies above it.
  const size_t row = c.report.find("\n          ") + 11;
  const std::string sign1 = c.report.substr(row, 60);
  EXPECT_EQ(sign1.substr(0, 20), "MKTAYIAKQRQISFVKSHFS");
  EXPECT_EQ(sign1[20], ' ');
  auto expected = [&](char bc, char qc) {
    double z = ((m.orig_elem[m.ord(bc)][m.ord(qc)] - m.mean) / m.mdisp) / 0.44;
    int k = (int)std::trunc(z);
    return " .+*"[k < 0 ? 0 : k > 3 ? 3 : k];
  };
  EXPECT_EQ(expected('R', 'W'), ' ');
  const size_t row3 = c.report.find("\n          ", c.report.find("\n    121")) + 11;
  EXPECT_EQ(c.report.substr(row3, 20), std::string("RVMGDGERQF") + expected('S', 'T') + "TLKSTVPNG");
  EXPECT_NE(expected('S', 'T'), ' ');
  // Summa = power x sqrt(columns); HomPer against the local diagonal mean.
  char line[100];
  const double summa = 50.0 * std::sqrt(140.0);
  const double hom = std::min(summa / (m.diag_average * 140), 1.0);
  snprintf(line, sizeof line, "Power %7.2f Summa %7.0f HomPer %7.2f", 50.0, summa, hom);
  EXPECT_NE(c.report.find(line), std::string::npos) << c.report;
  // The caller's matrix is not changed.
  EXPECT_EQ(std::memcmp(&before.orig_elem, &wm->orig_elem, sizeof before.orig_elem), 0);
  EXPECT_EQ(before.mean, wm->mean);
}

TEST(ReportAlignment, FlatMatrixGivesNoNan) {
  auto wm = readMatrix("/dev/null");  // an empty file still yields a matrix, all zeros
  auto sup = makeSup(kQuery1, 0, kProt, 0, kPower987, {{0, 0, 10, '+'}, {10, 12, 10, '+'}});
  Captured c = alignment(*sup, wm.get());
  EXPECT_EQ(c.result, 0);
  EXPECT_NE(c.report.find("Power    9.87 Summa      46 HomPer    1.00\n"), std::string::npos)
      << c.report;
  EXPECT_NE(c.report.find("\n          ACDEFGHIKL  MNPQRSTVWY\n"), std::string::npos);
  auto zero = makeSup(kQuery1, 0, kProt, 0, 0, {{0, 0, 10, '+'}});
  EXPECT_NE(alignment(*zero, wm.get()).report.find("Summa       0 HomPer    0.00"),
            std::string::npos);
}

TEST(ReportSummary, Labels) {
  auto one = makeSup(kQuery1, 0, kProt, 0, kPower987, {{0, 0, 10, '+'}});
  // The last letter of a short label gives way to ']'.
  EXPECT_EQ(summary(*one), "prot.dat| P00001| TEST_HUMA]             9.87 !    TEST PROTEIN.\n");
  auto two = makeSup(kQuery1, 0, kProt, 1, 50 * 4096000, {{0, 0, 10, '+'}});
  EXPECT_EQ(summary(*two),
            "prot.dat| P12345| LONG_HUMA]            50.00 !    LONG PROTEIN OF ONE HUNDRED AND "
            "FORTY LETTERS.\n");
  // Cut at 36 characters, then a blank.
  auto longName = makeSup(kQuery1, 0, data("very_long_bank_name.dat"), 0, kPower987, {});
  EXPECT_EQ(summary(*longName),
            "very_long_bank_name.dat| ABCDEFGHIJ]     9.87 !    A BANK WITH A LONG NAME.\n");
  // An entry without accession line.
  auto noAc = makeSup(kQuery1, 0, kProt, 3, 4096000, {});
  std::string s = summary(*noAc);
  EXPECT_EQ(s.substr(0, 37), "prot.dat|  | NOAC_HUMA]              ");
}

TEST(ReportSummary, PathTailAndUnreadableHeader) {
  // Both separators count, except a leading one; an unreadable header prints blanks.
  struct Case {
    const char *path, *label;
  } cases[] = {
      {"dir\\sub/b.dat", "b.dat|  ]"},
      {"dir/sub\\b.dat", "b.dat|  ]"},
      {"\\b.dat", "\\b.dat|  ]"},
      {"b.dat", "b.dat|  ]"},
  };
  for (const Case &t : cases) {
    auto sup = makeSup(kQuery1, 0, t.path, 0, 4096000, {});
    std::string want = t.label;
    want.resize(37, ' ');
    EXPECT_EQ(summary(*sup), want + "    1.00 !  \n") << t.path;
  }
}

TEST(ReportTranMotif, StretchesFollowTheMotifs) {
  auto code = standardCode();
  WorkSeq nuc;
  ASSERT_EQ(nuc.readSeq(kNuc.c_str(), 0), 68);
  BankSeq fa, fb;
  ASSERT_EQ(code->translate(fa, nuc, 'a'), 1);
  ASSERT_EQ(code->translate(fb, nuc, 'b'), 1);
  ASSERT_EQ(fa.len(), 22);
  const std::string A = fa.seq(), B = fb.seq();

  auto run = [&](std::initializer_list<Mot> mots, int trBank) {
    auto sup = makeSup("q", 0, "b", 0, 0, mots);
    WorkSeq s(nuc);
    tranMotif(s, code.get(), sup->first, trBank);
    return std::string(s.seq());
  };
  // Query side: stretches end at the next motif's qBeg.
  EXPECT_EQ(run({{0, 9, 3, 'a'}, {5, 0, 3, 'b'}}, 0), A.substr(0, 5) + B.substr(5, 17));
  // Bank side: at the next bBeg.
  EXPECT_EQ(run({{0, 0, 3, 'a'}, {9, 7, 3, 'b'}}, 1), A.substr(0, 7) + B.substr(7, 15));
  // A start beyond the translation is clamped; decreasing starts give empty stretches.
  EXPECT_EQ(run({{0, 0, 3, 'a'}, {50, 0, 3, 'b'}}, 0), A);
  EXPECT_EQ(run({{0, 0, 3, 'a'}, {8, 0, 3, 'b'}, {4, 0, 3, 'a'}}, 0), A);
  // A frame that is not a translation frame contributes 'X'.
  EXPECT_EQ(run({{0, 0, 3, '+'}, {3, 0, 3, 'a'}}, 0), "XXX" + A.substr(3));
}

namespace {

Captured aligned(Supermotif &sup) {
  return capture([&](FILE *f) { return sup.printAlign(f, 1); });
}

}  // namespace

TEST(ReportBlockMotif, MarksByColumnVariety) {
  auto sup = makeSup(kQuery1, 2, data("pr.dat"), 0, 0, {{2, 0, 12, '+'}});
  Captured c = aligned(*sup);
  EXPECT_EQ(c.result, 0) << c.out;
  // Columns C,C,C / Y / H,H,R / G / D,N,D / G / Q,E,R / S Y R G T.
  EXPECT_EQ(c.report,
            "\nMotif    1   KRINGLE DOMAIN MOTIF I - 1\n   power  2.9830  len    12"
            "\n        CY#G#G#SYRGT\n     2  CYHGDGQSYRGT\n");
}

TEST(ReportBlockMotif, ColumnsOutsideTheRowsAreEmpty) {
  // Rows are 12 letters and a line feed: offsets 8..11 are letters, 12 and 13 are not.
  auto sup = makeSup(kQuery1, 2, data("pr.dat"), 0, 0, {{10, 8, 6, '+'}});
  Captured c = aligned(*sup);
  EXPECT_EQ(c.result, 0) << c.out;
  EXPECT_NE(c.report.find("\n        YRGT  \n    10  YRGTww\n"), std::string::npos) << c.report;
}

TEST(ReportBlockMotif, Refusals) {
  // A bank entry that is no block of rows.
  auto flat = makeSup(kQuery1, 2, kProt, 0, 0, {{0, 0, 5, '+'}});
  Captured cf = aligned(*flat);
  EXPECT_EQ(cf.result, -4);
  EXPECT_EQ(cf.out, "\n Something wrong with PRINTS sequence.\n");
  // A motif past the query.
  auto past = makeSup(kQuery1, 2, data("pr.dat"), 0, 0, {{10, 0, 12, '+'}});
  Captured cp = aligned(*past);
  EXPECT_EQ(cp.result, -4);
  EXPECT_EQ(cp.out, "\n Motif out of sequence: " + data("pr.dat") + " 0");
  auto noQuery = makeSup(data("none.dat"), 0, data("pr.dat"), 0, 0, {{0, 0, 5, '+'}});
  EXPECT_EQ(aligned(*noQuery).result, -1);
  auto noBank = makeSup(kQuery1, 2, data("pr.dat"), 7, 0, {{0, 0, 5, '+'}});
  EXPECT_EQ(aligned(*noBank).result, -2);
  EXPECT_EQ(cf.report + cp.report, "");
}
