// Substitution matrices: file reader, built-in tables, standardisation, normalisation and
// segment rescoring.
#include <gtest/gtest.h>
#include <algorithm>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "w_matrix.h"

namespace {

const char kNcbiBlosum[] = "/usr/share/ncbi/data/BLOSUM62";

FILE *textFile(const std::string &text) {
  FILE *f = tmpfile();
  fwrite(text.data(), 1, text.size(), f);
  rewind(f);
  return f;
}

int readMatrix(Weight_matrix &w, const std::string &text) {
  FILE *f = textFile(text);
  int rc = w.fread(f);
  fclose(f);
  return rc;
}

int ix(char c) { return (int)(strchr(aa_letters, c) - aa_letters); }

// The published BLOSUM62 as the NCBI file gives it: score by pair of letters.
std::map<std::pair<char, char>, int> ncbiBlosum() {
  std::map<std::pair<char, char>, int> m;
  FILE *f = fopen(kNcbiBlosum, "r");
  if (!f) return m;
  char line[1024];
  std::string cols;
  while (fgets(line, sizeof line, f)) {
    if (line[0] == '#') continue;
    if (cols.empty()) {
      for (char *p = line; *p; p++)
        if (*p != ' ' && *p != '\n') cols += *p;
      continue;
    }
    char row = line[0];
    char *p = line + 1;
    for (char c : cols) m[{row, c}] = (int)strtol(p, &p, 10);
  }
  fclose(f);
  return m;
}

TEST(MatrixTables, BackgroundCompositions) {
  double sum = 0;
  for (double v : aa_frequences) sum += v;
  EXPECT_EQ(sum, 1.0);
  EXPECT_EQ(aa_frequences[ix('U')], 0.0);
  EXPECT_EQ(aa_frequences[21], 0.0);
  EXPECT_EQ(aa_frequences[ix('L')], 0.090997);
  for (int i = 0; i < 22; i++)
    EXPECT_EQ(nu_frequences[i], strchr("ACGT", aa_letters[i]) ? 0.25 : 0.0) << i;
  EXPECT_EQ(strlen(aa_letters), 22u);
}

TEST(MatrixTables, BlosumAgainstThePublishedFile) {
  auto ncbi = ncbiBlosum();
  ASSERT_FALSE(ncbi.empty()) << kNcbiBlosum << " (package ncbi-data) is needed";
  Weight_matrix w;
  w.makeBlos62();
  EXPECT_EQ(w.type, 0);
  long sum = 0;
  for (int i = 0; i < 22; i++) {
    for (int j = 0; j < 22; j++) {
      char a = aa_letters[i], b = aa_letters[j];
      int expect = (a == 'U' || a == '-' || b == 'U' || b == '-') ? 0 : ncbi[{a, b}] + 4;
      EXPECT_EQ(w.orig_elem[i][j], expect) << a << b;
      if (i < 21 && j < 21) sum += w.orig_elem[i][j];
    }
  }
  EXPECT_EQ(sum, 1174);
  EXPECT_EQ(w.orig_elem[ix('A')][ix('A')], 8);
  EXPECT_EQ(w.orig_elem[ix('W')][ix('W')], 15);
  EXPECT_EQ(w.orig_elem[ix('C')][ix('W')], 2);
}

TEST(MatrixFile, SmallMatrixStoredSymmetrically) {
  Weight_matrix w;
  ASSERT_EQ(readMatrix(w, "small\n   A R\nR -1 5\nA 4\n"), 0);
  EXPECT_EQ(w.type, 0);
  int A = ix('A'), R = ix('R');
  EXPECT_EQ(w.orig_elem[R][A], -1);
  EXPECT_EQ(w.orig_elem[A][R], -1);
  EXPECT_EQ(w.orig_elem[R][R], 5);
  EXPECT_EQ(w.orig_elem[A][A], 4);
  for (int i = 0; i < 22; i++)
    for (int j = 0; j < 22; j++) EXPECT_EQ(w.orig_elem[i][j], w.orig_elem[j][i]);
}

TEST(MatrixFile, LowerTriangleReadsUpperDoesNot) {
  Weight_matrix low, full, up;
  readMatrix(low, "t\nA R N\nA 4\nR -1 5\nN -2 0 6\n");
  readMatrix(full, "t\nA R N\nA 4 -1 -2\nR -1 5 0\nN -2 0 6\n");
  EXPECT_EQ(memcmp(low.orig_elem, full.orig_elem, sizeof low.orig_elem), 0);
  EXPECT_EQ(memcmp(low.elem, full.elem, sizeof low.elem), 0);
  readMatrix(up, "t\nA R N\nA 4 -1 -2\nR 5 0\nN 6\n");
  EXPECT_EQ(up.orig_elem[ix('R')][ix('R')], 0);
  EXPECT_EQ(up.orig_elem[ix('N')][ix('A')], 6);
}

TEST(MatrixFile, TitleCommentsAndColumnLine) {
  Weight_matrix w;
  // The title is never data, '#' lines after it are comments, then the column line.
  readMatrix(w, "A 1 2\n# A 7\n#\n  a  c  g  t\nA 5 -4 -4 -4\nC -4 5 -4 -4\n");
  EXPECT_EQ(w.type, 0);
  EXPECT_EQ(w.orig_elem[ix('A')][ix('A')], 5);
  EXPECT_EQ(w.orig_elem[ix('A')][ix('C')], -4);
  // A first line mentioning NUCLEOTIDE makes a nucleotide matrix, standardised with
  // 0.25 for A, C, G, T: mean = (4 x 5 - 12 x 4) / 16.
  Weight_matrix nu;
  const char *body = "  A  C  G  T\nA 5\nC -4 5\nG -4 -4 5\nT -4 -4 -4 5\n";
  readMatrix(nu, std::string("# NUCLEOTIDE scores\n") + body);
  EXPECT_EQ(nu.type, 1);
  EXPECT_DOUBLE_EQ(nu.mean, -1.75);
  EXPECT_DOUBLE_EQ(nu.mdisp, std::sqrt(0.25 * 6.75 * 6.75 + 0.75 * 2.25 * 2.25));
  Weight_matrix lower;
  readMatrix(lower, std::string("# nucleotide scores\n") + body);
  EXPECT_EQ(lower.type, 0);
  EXPECT_NE(lower.mean, nu.mean);
  // The first non-comment line is the column line even when blank: nothing is stored.
  Weight_matrix blank;
  readMatrix(blank, "title\n\n  A  C\nA 5\nC -4 5\n");
  for (auto &row : blank.orig_elem)
    for (int v : row) EXPECT_EQ(v, 0);
  for (auto &row : blank.elem)
    for (int v : row) EXPECT_EQ(v, 0);
  EXPECT_EQ(blank.mdisp, 1.0);
}

TEST(MatrixFile, RowsAndNumbers) {
  Weight_matrix w;
  readMatrix(w,
             "t\n A B C\n"
             "A 1 2 3 4 5\n"          // B takes 2 and stores nothing; 4 and 5 go nowhere
             "Cys-7 8 9\n"            // row letter: the last letter before the first digit
             "  no digits here\n"
             "12 34\n"                // no letter before the first digit: not a row
             "Ala +6\n"
             "X 11 11 11\n");         // X is stored at index 21
  int A = ix('A'), C = ix('C');
  EXPECT_EQ(w.orig_elem[A][A], 6);
  EXPECT_EQ(w.orig_elem[A][C], 3);
  EXPECT_EQ(w.orig_elem[ix('S')][A], -7);
  EXPECT_EQ(w.orig_elem[ix('S')][C], 9);
  EXPECT_EQ(w.orig_elem[21][A], 11);
  EXPECT_EQ(w.orig_elem[A][21], 11);
  EXPECT_EQ(w.orig_elem[21][C], 11);
  EXPECT_EQ(w.orig_elem[ix('D')][A], 0);
  // Numbers beyond 32 bits are clamped.
  readMatrix(w, "t\nA C\nA 99999999999\nC -99999999999 2147483647\n");
  EXPECT_EQ(w.orig_elem[A][A], 2147483647);
  EXPECT_EQ(w.orig_elem[C][A], -2147483647 - 1);
  // A column line of any length.
  std::string wide = "t\nA R" + std::string(3000, 'B') + "C\nC";
  for (int k = 0; k < 3002; k++) wide += " 0";
  wide += " 7\n";
  Weight_matrix wd;
  readMatrix(wd, wide);
  EXPECT_EQ(wd.orig_elem[C][C], 7);
}

TEST(MatrixFile, UnknownRowsChangeNoStandardScore) {
  Weight_matrix a, b;
  const std::string base = "t\nA R N\nA 4\nR -1 5\nN -2 0 6\n";
  readMatrix(a, base);
  readMatrix(b, base + "X -1 -1 -1\n* -4 -4 -4\nB 1 1 1\n");
  EXPECT_EQ(memcmp(a.elem, b.elem, sizeof a.elem), 0);
  EXPECT_EQ(a.mean, b.mean);
  EXPECT_NE(memcmp(a.orig_elem, b.orig_elem, sizeof a.orig_elem), 0);
}

TEST(MatrixFile, ReadingKeepsPairsNotGiven) {
  Weight_matrix w;
  w.makeBlos62();
  readMatrix(w, "t\nA\nA 1\n");
  EXPECT_EQ(w.orig_elem[ix('A')][ix('A')], 1);
  EXPECT_EQ(w.orig_elem[ix('W')][ix('W')], 15);
  Weight_matrix e;
  EXPECT_EQ(readMatrix(e, ""), 0);
  for (auto &row : e.elem)
    for (int v : row) EXPECT_EQ(v, 0);
}

TEST(MatrixFile, NcbiFileNormalisesLikeTheBuiltInTable) {
  FILE *f = fopen(kNcbiBlosum, "r");
  ASSERT_NE(f, nullptr) << kNcbiBlosum << " (package ncbi-data) is needed";
  Weight_matrix file, built;
  EXPECT_EQ(file.fread(f), 0);
  fclose(f);
  // Raw: the file is BLOSUM62 itself, the table is shifted by 4.
  EXPECT_EQ(file.orig_elem[ix('A')][ix('A')], 4);
  EXPECT_EQ(file.orig_elem[ix('W')][ix('C')], -2);
  built.makeBlos62();
  file.normalize(aa_frequences, aa_frequences);
  built.normalize(aa_frequences, aa_frequences);
  int differ = 0;
  const int U = ix('U');
  for (int i = 0; i < 21; i++) {
    for (int j = 0; j < 21; j++) {
      if (i == U || j == U) {
        EXPECT_EQ(file.orig_elem[i][j], 14);  // 0 is mid-range in the file, the floor in the table
        EXPECT_EQ(built.orig_elem[i][j], 7);
        differ++;
      } else {
        EXPECT_EQ(file.orig_elem[i][j], built.orig_elem[i][j]) << aa_letters[i] << aa_letters[j];
      }
    }
  }
  EXPECT_EQ(differ, 41);
}

TEST(MatrixStandard, BlosumWithBackground) {
  Weight_matrix w;
  w.makeBlos62();
  w.recast(aa_frequences, aa_frequences);
  EXPECT_NEAR(w.mean, 3.047303, 5e-7);
  EXPECT_NEAR(w.mdisp, 2.081619, 5e-7);
  EXPECT_NEAR(w.diag_average, 2.966145, 5e-7);
  EXPECT_DOUBLE_EQ(w.dispersion, w.mdisp * w.mdisp);
  EXPECT_EQ(w.elem[ix('A')][ix('A')], 2379);
  EXPECT_EQ(w.elem[ix('W')][ix('W')], 5742);
  EXPECT_EQ(w.rescale(1.0), 2966);
  EXPECT_EQ(w.rescale(1.0), (int)(w.diag_average * 1000));
  EXPECT_EQ(w.rescale(-1.0), -2966);
  EXPECT_EQ(w.rescale(0.0), 0);
  for (int i = 0; i < 22; i++) {
    EXPECT_EQ(w.elem[i][21], 0);
    EXPECT_EQ(w.elem[21][i], 0);
    for (int j = 0; j < 22; j++) EXPECT_EQ(w.elem[i][j], w.elem[j][i]);
  }
  // Truncated toward zero: U pairs lie below the mean.
  double z = (0 - w.mean) / w.mdisp * 1000;
  EXPECT_EQ(w.elem[ix('U')][ix('A')], (int)std::trunc(z));
}

TEST(MatrixStandard, NormalisedBlosum) {
  Weight_matrix w;
  w.makeBlos62();
  Weight_matrix raw = w;
  EXPECT_EQ(w.normalize(aa_frequences, aa_frequences), 0);
  const std::map<int, int> expect = {{0, 7},   {1, 9},   {2, 11},  {3, 12},  {4, 14},
                                     {5, 15},  {6, 15},  {7, 16},  {8, 16},  {9, 17},
                                     {10, 18}, {11, 19}, {12, 20}, {13, 21}, {15, 21}};
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) {
      auto it = expect.find(raw.orig_elem[i][j]);
      ASSERT_NE(it, expect.end());
      EXPECT_EQ(w.orig_elem[i][j], it->second) << aa_letters[i] << aa_letters[j];
    }
  w.recast(aa_frequences, aa_frequences);
  EXPECT_NEAR(w.mean, 11.933825, 5e-7);
  EXPECT_NEAR(w.mdisp, 2.451953, 5e-7);
  EXPECT_NEAR(w.diag_average, 2.145537, 5e-7);
  EXPECT_EQ(w.rescale(1.0), 2145);
  EXPECT_EQ(w.elem[ix('A')][ix('A')], 1658);
  EXPECT_EQ(w.elem[ix('W')][ix('W')], 3697);
  int lowest = 0;
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) lowest = std::min(lowest, w.elem[i][j]);
  EXPECT_EQ(lowest, -2012);
  EXPECT_EQ(w.elem[ix('U')][ix('W')], -2012);
}

TEST(MatrixStandard, DiagonalMatrix) {
  Weight_matrix w;
  w.makeDiag();
  EXPECT_EQ(w.type, 1);
  for (int i = 0; i < 22; i++)
    for (int j = 0; j < 22; j++) EXPECT_EQ(w.orig_elem[i][j], i == j ? 10 : 0);
  w.normalize(nu_frequences, nu_frequences);
  EXPECT_EQ(w.orig_elem[0][0], 15);
  EXPECT_EQ(w.orig_elem[0][1], 11);
  EXPECT_EQ(w.orig_elem[21][21], 10);  // row 21 keeps its raw value
  w.recast(nu_frequences, nu_frequences);
  EXPECT_NEAR(w.mean, 12.0, 1e-12);
  EXPECT_NEAR(w.mdisp, 1.732051, 5e-7);
  int A = ix('A'), C = ix('C');
  EXPECT_EQ(w.elem[A][A], 1732);
  EXPECT_EQ(w.elem[A][C], -577);
  EXPECT_EQ(w.elem[A][21], 0);
}

TEST(MatrixStandard, AllEqualScores) {
  Weight_matrix w;  // a new matrix holds only zeros
  w.normalize(aa_frequences, aa_frequences);
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) EXPECT_EQ(w.orig_elem[i][j], 12);
  w.recast(aa_frequences, aa_frequences);
  EXPECT_EQ(w.dispersion, 1.0);
  for (auto &row : w.elem)
    for (int v : row) EXPECT_EQ(v, 0);
  EXPECT_EQ(w.rescale(1.0), 0);
}

TEST(MatrixStandard, NormalizeTwiceRanksTheNormalScores) {
  Weight_matrix once, twice;
  once.makeBlos62();
  once.normalize(aa_frequences, aa_frequences);
  twice = once;
  twice.normalize(aa_frequences, aa_frequences);
  // Ranks are kept: a higher score never maps below a lower one.
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++)
      for (int k = 0; k < 21; k++)
        if (once.orig_elem[i][j] < once.orig_elem[i][k]) {
          EXPECT_LE(twice.orig_elem[i][j], twice.orig_elem[i][k]);
        }
  for (auto &row : twice.orig_elem)
    for (int k = 0; k < 21; k++) EXPECT_TRUE(row[k] >= 0 && row[k] <= 25);
}

// The rank map written straight from its definition: one table entry per possible score.
static void normalizeByFullTable(int (&o)[22][22], const double *f1, const double *f2) {
  int lo = o[0][0], hi = o[0][0];
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) {
      lo = std::min(lo, o[i][j]);
      hi = std::max(hi, o[i][j]);
    }
  const long long n = (long long)hi - lo + 1;
  std::vector<double> F((size_t)n + 1, 0.0);
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) F[(size_t)((long long)o[i][j] - lo + 1)] += f1[i] * f2[j];
  for (long long k = 1; k <= n; k++) F[k] += F[k - 1];
  for (long long k = 0; k < n; k++) F[k] = (F[k] + F[k + 1]) * 0.5;
  const double root2pi = std::sqrt(2.0 * M_PI);
  double x = -5.0, S = 0;
  long long k = 0;
  while (k < n && x < 5.0) {
    if (F[k] <= S) F[k++] = x;
    S += std::exp(-x * x / 2.0) * 0.001 / root2pi;
    x += 0.001;
  }
  for (; k < n; k++) F[k] = x;
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) o[i][j] = (int)(F[(size_t)((long long)o[i][j] - lo)] * 2.5 + 12.500001);
}

TEST(MatrixStandard, WideScoreRangesRankAsWithAFullTable) {
  // Ranges past the quantile walk's length (about 10000 steps) must give the same map.
  for (int spread : {9000, 10009, 10010, 10011, 30000, 2000000}) {
    Weight_matrix w;
    w.makeBlos62();
    w.orig_elem[0][0] = spread;
    w.orig_elem[1][2] = w.orig_elem[2][1] = -spread / 3;
    int expect[22][22];
    memcpy(expect, w.orig_elem, sizeof expect);
    normalizeByFullTable(expect, aa_frequences, nu_frequences);
    EXPECT_EQ(w.normalize(aa_frequences, nu_frequences), 0);
    for (int i = 0; i < 21; i++)
      for (int j = 0; j < 21; j++) ASSERT_EQ(w.orig_elem[i][j], expect[i][j]) << spread << " " << i << "," << j;
  }
}

TEST(MatrixStandard, ExtremeScoreRangeNeedsNoHugeTable) {
  // A file may hold any 32-bit score: the table stays small and the extremes rank at the ends.
  Weight_matrix w;
  w.makeBlos62();
  w.orig_elem[0][0] = 2147483647;
  w.orig_elem[1][1] = -2147483647 - 1;
  EXPECT_EQ(w.normalize(aa_frequences, aa_frequences), 0);
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) {
      EXPECT_LE(w.orig_elem[1][1], w.orig_elem[i][j]);
      EXPECT_GE(w.orig_elem[0][0], w.orig_elem[i][j]);
    }
  EXPECT_GE(w.orig_elem[1][1], 0);
  EXPECT_LE(w.orig_elem[0][0], 25);
}

TEST(MatrixUse, MakeFreqAndGetWeight) {
  Weight_matrix w;
  std::unique_ptr<double[]> f(w.makeFreq(5, "AAC-x"));
  EXPECT_DOUBLE_EQ(f[ix('A')], 2.0 / 3);
  EXPECT_DOUBLE_EQ(f[ix('C')], 1.0 / 3);
  double rest = 0;
  for (int i = 0; i < 22; i++)
    if (i != ix('A') && i != ix('C')) rest += f[i];
  EXPECT_EQ(rest, 0.0);
  std::unique_ptr<double[]> none(w.makeFreq(3, "-*-"));
  for (int i = 0; i < 22; i++) EXPECT_EQ(none[i], 0.0);
  std::unique_ptr<double[]> lower(w.makeFreq(2, "ut"));
  EXPECT_EQ(lower[ix('U')], 0.5);
  EXPECT_EQ(lower[ix('T')], 0.5);
  // Longer stretches, runs of one letter and unknown characters at every place of a group of
  // four: the counts divided by the letters counted.
  const std::string alphabet = "ACDEFGHIKLMNPQRSTVWYacdw-*x.";
  for (int len = 0; len < 40; len++) {
    std::string s;
    for (int k = 0; k < len; k++) s += alphabet[(size_t)(k * 7 + len) % (k % 3 ? alphabet.size() : 3)];
    double f2[22];
    w.makeFreq(len, s.c_str(), f2);
    int count[22] = {}, counted = 0;
    for (char c : s)
      if (w.ord(c) < 21) count[w.ord(c)]++, counted++;
    for (int i = 0; i < 22; i++)
      ASSERT_EQ(f2[i], counted ? (double)count[i] / counted : 0.0) << len << " " << i;
  }

  w.makeBlos62();
  w.recast(aa_frequences, aa_frequences);
  BankSeq q, b;
  q.set("AWx", 3);
  b.set("AWAAAA", 6);
  int wei[3];
  w.getWeight(q, b, wei, 100, 0);
  EXPECT_EQ(wei[0], 2379 - 100);
  EXPECT_EQ(wei[1], 5742 - 100);
  EXPECT_EQ(wei[2], -100);
  EXPECT_EQ(w.weight('a', 'A'), 2379);
  EXPECT_EQ(w._weight(19, 19), 5742);
  EXPECT_EQ(w.ord('w'), 19);
  EXPECT_EQ(w.ord('B'), 21);
}

TEST(MatrixUse, DuplicateAndPenalty) {
  Weight_matrix w;
  w.makeBlos62();
  w.recast(aa_frequences, aa_frequences);
  std::unique_ptr<TMatrix> copy(w.duplicate());
  auto *c = dynamic_cast<Weight_matrix *>(copy.get());
  ASSERT_NE(c, nullptr);
  EXPECT_NE(c, &w);
  EXPECT_EQ(memcmp(c->elem, w.elem, sizeof w.elem), 0);
  EXPECT_EQ(c->mdisp, w.mdisp);
  EXPECT_EQ(memcmp(c->nalpha, w.nalpha, sizeof w.nalpha), 0);
  w.setPenal(50);
  EXPECT_EQ(w.elem[21][0], -50);
  EXPECT_EQ(w.elem[3][21], -50);
  EXPECT_EQ(w.elem[21][21], 0);
  EXPECT_EQ(c->elem[21][0], 0);  // the copy is its own
}

TEST(MatrixUse, PrintListsBothTriangles) {
  Weight_matrix w;
  w.makeDiag();
  w.recast(nu_frequences, nu_frequences);
  testing::internal::CaptureStdout();
  w.print();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("\n Orig_elem\n  10\n   0  10\n", 0), 0u) << out;
  EXPECT_NE(out.find("\n Elem\n"), std::string::npos);
  EXPECT_NE(out.find("\n mean 2.500000 mdisp 4.330127 diag_average 1.732051"), std::string::npos)
      << out;
}

TEST(SegmentRescore, SameCompositionKeepsTheSum) {
  Weight_matrix w;
  w.makeBlos62();
  w.normalize(aa_frequences, aa_frequences);
  const char *s1 = "ACDEFGHIKL", *s2 = "LKIHGFEDCA";
  std::unique_ptr<double[]> c1(w.makeFreq(10, s1)), c2(w.makeFreq(10, s2));
  w.recast(c1.get(), c2.get());
  double mult = 0, add = 1;
  int r = w.recalcSum(10, s1, s2, 1234, 0, mult, add);
  EXPECT_EQ(mult, 1.0);
  EXPECT_EQ(add, 0.0);
  EXPECT_NEAR(r, 1234, 1);
}

TEST(SegmentRescore, OwnCompositionFromTheDefinition) {
  Weight_matrix w;
  w.makeBlos62();
  w.normalize(aa_frequences, aa_frequences);
  w.recast(aa_frequences, aa_frequences);
  const char *s1 = "WWCCHHAKLM-", *s2 = "WYCAHRAKIMx";
  const int len = 11;
  int sum = 0, numLet = 0;
  for (int k = 0; k < len; k++) {
    sum += w.weight(s1[k], s2[k]);
    if (w.ord(s1[k]) < 21 && w.ord(s2[k]) < 21) numLet++;
  }
  EXPECT_EQ(numLet, 10);
  // Composition of each segment, then each pair re-standardised with them.
  double c1[22] = {0}, c2[22] = {0};
  int n1 = 0, n2 = 0;
  for (int k = 0; k < len; k++) {
    if (w.ord(s1[k]) < 21) c1[w.ord(s1[k])]++, n1++;
    if (w.ord(s2[k]) < 21) c2[w.ord(s2[k])]++, n2++;
  }
  double m = 0, v = 0;
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) m += c1[i] / n1 * c2[j] / n2 * w.orig_elem[i][j];
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) {
      double d = w.orig_elem[i][j] - m;
      v += c1[i] / n1 * c2[j] / n2 * d * d;
    }
  double expect = 0;
  for (int k = 0; k < len; k++)
    if (w.ord(s1[k]) < 21 && w.ord(s2[k]) < 21)
      expect += (w.orig_elem[w.ord(s1[k])][w.ord(s2[k])] - m) / std::sqrt(v) * 1000;
  double mult, add;
  int r = w.recalcSum(len, s1, s2, sum, 0, mult, add);
  EXPECT_NEAR(r, expect, numLet + 1);
  EXPECT_NEAR(mult, w.mdisp / std::sqrt(v), 1e-12);
  EXPECT_NEAR(add, (w.mean - m) * 1000 / w.mdisp, 1e-9);
  // Per position: (w + add) * mult re-standardises one pair score.
  double first = (w.weight('W', 'W') + add) * mult;
  EXPECT_NEAR(first, (w.orig_elem[19][19] - m) / std::sqrt(v) * 1000, mult + 1e-9);
}

TEST(SegmentRescore, NoLettersAtAll) {
  Weight_matrix w;
  w.makeBlos62();
  w.recast(aa_frequences, aa_frequences);
  double mult, add;
  int r = w.recalcSum(3, "---", "-x*", 500, 0, mult, add);
  EXPECT_DOUBLE_EQ(mult, w.mdisp);  // the variance is floored to 1
  EXPECT_DOUBLE_EQ(add, w.mean * 1000 / w.mdisp);
  EXPECT_EQ(r, (int)(w.mdisp * 500));
}

}  // namespace
