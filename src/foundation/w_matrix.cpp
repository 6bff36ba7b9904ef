// Substitution matrices.
//
// Contents, in order:
//   compositions      letter counts, the letters present, mean and variance over them
//   frequencies       TMatrix::makeFreq, the matrix's construction and copy
//   tables            the weight matrix file, the built-in BLOSUM62 and diagonal tables
//   standardisation   the score range and lookup (plain and vector forms), recast, rescale
//   position scores   getWeight against a sequence or an alignment block
//   normalisation     rank normalisation of the raw scores
//   rescoring         recalcSum and its quick bound recalcBelow (plain and AVX2 moments)
//   listing           print, setPenal
#include "w_matrix.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "alibase.h"
#include "bank_file.h"
#include "errormsg.h"
#include "intrin.h"
#include "inv_sqrt.h"
#include "params.h"

// ---------------------------------------------------------------- compositions

namespace {

bool isAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Widest score range whose scaled values recast keeps in a table.
constexpr int kScaledRoom = 64;

// Composition of seq[0..len) into f (index 21 not counted); the number of counted letters.
int countFreq(const unsigned char *nalpha, int len, const char *seq, double *f) {
  int count[kAlphabetSize] = {0};
  int counted = 0;
  for (int k = 0; k < len; k++) {
    int idx = nalpha[(unsigned char)seq[k]];
    if (idx < kOtherLetter) {
      count[idx]++;
      counted++;
    }
  }
  int div = counted ? counted : 1;
  for (int i = 0; i < kAlphabetSize; i++) f[i] = (double)count[i] / div;
  return counted;
}

// A composition reduced to its letters present: indices below 21, ascending, and their
// frequencies.
struct Present {
  int n = 0;
  int idx[kOtherLetter];
  double f[kOtherLetter];
};

// The letters of f (below 21) whose frequency is not zero.
void nonZero(const double *f, Present &p) {
  p.n = 0;
  // Branch-free: which letters are present is unpredictable.
  for (int i = 0; i < kOtherLetter; i++) {
    p.idx[p.n] = i;
    p.f[p.n] = f[i];
    p.n += f[i] != 0;
  }
}

// Mean and variance of the raw scores under two compositions. One running accumulator,
// i outer, j inner, (f1*f2)*o: every caller sums in this order. Zero-weight terms add
// nothing and are skipped. With Cov, also the covariation sum of recast,
// sum over i of f1[i] x (sum over j of f2[j] x (o - mean))^2, in the same order as its own
// loops would take: it rides on the variance pass, which has the same terms.
template <bool Cov>
void meanAndVariance(const int (&o)[kAlphabetSize][kAlphabetSize], const Present &p1,
                     const Present &p2, double &mean, double &var, double &cov) {
  const int n1 = p1.n, n2 = p2.n;
  double m = 0;
  for (int a = 0; a < n1; a++) {
    const int *row = o[p1.idx[a]];
    const double f1 = p1.f[a];
    for (int b = 0; b < n2; b++) m += (f1 * p2.f[b]) * row[p2.idx[b]];
  }
  double v = 0, c = 0;
  for (int a = 0; a < n1; a++) {
    const int *row = o[p1.idx[a]];
    const double f1 = p1.f[a];
    double r = 0;
    for (int b = 0; b < n2; b++) {
      const double d = row[p2.idx[b]] - m;
      v += (f1 * p2.f[b]) * (d * d);
      if (Cov) r += p2.f[b] * d;
    }
    if (Cov) c += f1 * (r * r);
  }
  mean = m;
  var = v;
  cov = c;
}

// The composition of seq[0 .. len) as countFreq gives it, letters present only.
void presentLetters(const int (&count)[kAlphabetSize], Present &p) {
  int counted = 0;
  for (int i = 0; i < kOtherLetter; i++) counted += count[i];
  const int div = counted ? counted : 1;
  int n = 0;
  for (int i = 0; i < kOtherLetter; i++) {
    p.idx[n] = i;
    n += count[i] != 0;
  }
  for (int a = 0; a < n; a++) p.f[a] = (double)count[p.idx[a]] / div;
  p.n = n;
}

// The letter counts of two aligned stretches of len letters; the number of positions where
// both letters are counted ones (below 21).
int countPair(const unsigned char *nalpha, int len, const char *sq1, const char *sq2,
              int (&c1)[kAlphabetSize], int (&c2)[kAlphabetSize]) {
  int numLet = 0;
  for (int k = 0; k < len; k++) {
    const unsigned char a = nalpha[(unsigned char)sq1[k]], b = nalpha[(unsigned char)sq2[k]];
    c1[a]++;
    c2[b]++;
    numLet += (a < kOtherLetter) & (b < kOtherLetter);
  }
  return numLet;
}

}  // namespace

// ---------------------------------------------------------------- frequencies

double *TMatrix::makeFreq(int len, const char *seq) const {
  double *f = allocArray<double>(kAlphabetSize);
  countFreq(nalpha, len, seq, f);
  return f;
}

void TMatrix::makeFreq(int len, const char *seq, double (&f)[kAlphabetSize]) const {
  countFreq(nalpha, len, seq, f);
}

Weight_matrix::Weight_matrix()
    : elem(), diag_average(0), covariation(0), mean(0), dispersion(0), mdisp(0), type(0),
      orig_elem() {
  memset(nalpha, kOtherLetter, sizeof nalpha);
  for (int i = 0; aa_letters[i]; i++) {
    unsigned char c = (unsigned char)aa_letters[i];
    nalpha[c] = (unsigned char)i;
    if (isAsciiLetter(c)) nalpha[c | 0x20] = (unsigned char)i;
  }
}

TMatrix *Weight_matrix::duplicate() {
  return allocObject<Weight_matrix>(*this);
}

// ---------------------------------------------------------------- tables

int Weight_matrix::fread(FILE *f) {
  std::string line;
  type = 0;
  if (readLine(f, line) && line.find("NUCLEOTIDE") != std::string::npos) type = 1;
  // The first line after the comments names the columns, whatever it holds.
  bool haveCols = false;
  std::vector<unsigned char> cols;
  while (!haveCols && readLine(f, line)) {
    if (line[0] == '#') continue;
    haveCols = true;
    for (unsigned char c : line)
      if (isAsciiLetter(c)) cols.push_back(nalpha[c]);
  }
  while (haveCols && readLine(f, line)) {
    size_t first = 0;
    while (first < line.size() && !isDigit((unsigned char)line[first])) first++;
    if (first == line.size()) continue;
    int row = -1;
    for (size_t k = 0; k < first; k++)
      if (isAsciiLetter((unsigned char)line[k])) row = nalpha[(unsigned char)line[k]];
    if (row < 0) continue;
    if (first > 0 && (line[first - 1] == '-' || line[first - 1] == '+')) first--;
    char *pos = &line[first];
    size_t k = 0;
    for (char *tok; (tok = nextToken(pos, " \n\r\t")) != nullptr && k < cols.size(); k++) {
      int col = cols[k];
      if (col == kOtherLetter) continue;  // not one of the letters: the number goes nowhere
      int v = parseLong(tok);
      orig_elem[row][col] = v;
      orig_elem[col][row] = v;
    }
  }
  recast(type == 1 ? nu_frequences : aa_frequences, type == 1 ? nu_frequences : aa_frequences);
  return 0;
}

bool isMatrixFile(FILE *f) {
  std::string line;
  if (!readLine(f, line)) return false;  // the title
  bool haveCols = false;
  while (!haveCols && readLine(f, line)) {
    if (line[0] == '#') continue;
    haveCols = true;
    bool letter = false;
    for (unsigned char c : line) {
      if (isDigit(c)) return false;
      letter = letter || isAsciiLetter(c);
    }
    if (!letter) return false;
  }
  int rows = 0;
  while (haveCols && readLine(f, line)) {
    if (line[0] == '#' || line.find_first_not_of(" \t\r") == std::string::npos) continue;
    size_t first = 0;
    while (first < line.size() && !isDigit((unsigned char)line[first])) first++;
    if (first == line.size()) return false;  // text where numbers belong
    for (size_t k = 0; k < first; k++)
      if (isAsciiLetter((unsigned char)line[k])) {
        rows++;
        break;
      }
  }
  return rows > 0;
}

int checkMatrixFile(const char *path) {
  FILE *f = openInput(path, "r");
  if (!f) return kMatrixNoFile;
  const bool ok = isMatrixFile(f);
  std::fclose(f);
  return ok ? kMatrixOk : kMatrixNotMatrix;
}

void Weight_matrix::makeBlos62() {
  type = 0;
  for (int i = 0, t = 0; i < kAlphabetSize; i++) {
    for (int j = 0; j <= i; j++, t++) {
      orig_elem[i][j] = Blos[t];
      orig_elem[j][i] = Blos[t];
    }
  }
}

void Weight_matrix::makeDiag() {
  type = 1;
  memset(orig_elem, 0, sizeof orig_elem);
  for (int i = 0; i < kAlphabetSize; i++) orig_elem[i][i] = 10;
}

// ---------------------------------------------------------------- standardisation

namespace {

typedef int I8 __attribute__((vector_size(32)));

__attribute__((always_inline)) inline void rangeOf(const int (&o)[kAlphabetSize][kAlphabetSize],
                                                   int &lo, int &hi) {
  const int *flat = &o[0][0];
  constexpr int kAll = kAlphabetSize * kAlphabetSize, kWhole = kAll / 16 * 16;
  // Two pairs of running extremes, so that neither waits on the other's last step.
  I8 lo0, hi0, lo1, hi1;
  __builtin_memcpy(&lo0, flat, sizeof lo0);
  __builtin_memcpy(&lo1, flat + 8, sizeof lo1);
  hi0 = lo0;
  hi1 = lo1;
  for (int k = 16; k < kWhole; k += 16) {
    I8 v0, v1;
    __builtin_memcpy(&v0, flat + k, sizeof v0);
    __builtin_memcpy(&v1, flat + k + 8, sizeof v1);
    lo0 = v0 < lo0 ? v0 : lo0;
    hi0 = v0 > hi0 ? v0 : hi0;
    lo1 = v1 < lo1 ? v1 : lo1;
    hi1 = v1 > hi1 ? v1 : hi1;
  }
  lo0 = lo1 < lo0 ? lo1 : lo0;
  hi0 = hi1 > hi0 ? hi1 : hi0;
  lo = lo0[0];
  hi = hi0[0];
  for (int l = 1; l < 8; l++) {
    lo = std::min(lo, (int)lo0[l]);
    hi = std::max(hi, (int)hi0[l]);
  }
  for (int k = kWhole; k < kAll; k++) {
    lo = std::min(lo, flat[k]);
    hi = std::max(hi, flat[k]);
  }
}

void rangePlain(const int (&o)[kAlphabetSize][kAlphabetSize], int &lo, int &hi) {
  rangeOf(o, lo, hi);
}

#if SEQ_VECTOR
// Without AVX2 the eight-wide min and max are emulated and spill: ten times slower.
__attribute__((target("avx2"))) void rangeAvx2(const int (&o)[kAlphabetSize][kAlphabetSize],
                                               int &lo, int &hi) {
  rangeOf(o, lo, hi);
}
#endif

}  // namespace

void tableRange(const int (&o)[kAlphabetSize][kAlphabetSize], int &lo, int &hi, VectorForm form) {
#if SEQ_VECTOR
  if (useWide(form, kWideTableRange)) {
    rangeAvx2(o, lo, hi);
    return;
  }
#endif
  (void)form;
  rangePlain(o, lo, hi);
}

namespace {

void lookUpPlain(const int (&o)[kAlphabetSize][kAlphabetSize], int lo, const int *scaled,
                 int (&elem)[kAlphabetSize][kAlphabetSize]) {
  for (int i = 0; i < kOtherLetter; i++)
    for (int j = 0; j < kOtherLetter; j++) elem[i][j] = scaled[o[i][j] - lo];
}

#if SEQ_VECTOR
// A row's 21 entries in a block of 16 and one of 5, each looked up by one permutation of a
// table of 32.
__attribute__((target("avx512f"))) void lookUpWide(const int (&o)[kAlphabetSize][kAlphabetSize],
                                                   int lo, const int *scaled,
                                                   int (&elem)[kAlphabetSize][kAlphabetSize]) {
  const __m512i t0 = _mm512_loadu_si512(scaled), t1 = _mm512_loadu_si512(scaled + 16);
  const __m512i base = _mm512_set1_epi32(lo);
  for (int i = 0; i < kOtherLetter; i++) {
    const __m512i a = _mm512_sub_epi32(_mm512_loadu_si512(o[i]), base);
    _mm512_storeu_si512(elem[i], _mm512_permutex2var_epi32(t0, a, t1));
    const __m512i b = _mm512_sub_epi32(_mm512_maskz_loadu_epi32(0x1F, o[i] + 16), base);
    _mm512_mask_storeu_epi32(elem[i] + 16, 0x1F, _mm512_permutex2var_epi32(t0, b, t1));
  }
}
#endif

}  // namespace

void lookUpScaled(const int (&o)[kAlphabetSize][kAlphabetSize], int lo, int range,
                  const int *scaled, int (&elem)[kAlphabetSize][kAlphabetSize], VectorForm form) {
#if SEQ_VECTOR
  if (range <= 32 && useWide(form, kWideLookUp)) {
    lookUpWide(o, lo, scaled, elem);
    return;
  }
#endif
  (void)range, (void)form;
  lookUpPlain(o, lo, scaled, elem);
}

void Weight_matrix::recast(const double *f1, const double *f2) {
  const int(&o)[kAlphabetSize][kAlphabetSize] = orig_elem;
  double m, disp, c;
  Present p1, p2;
  nonZero(f1, p1);
  nonZero(f2, p2);
  meanAndVariance<true>(o, p1, p2, m, disp, c);
  mean = m;
  if (disp < 1e-8) disp = 1.0;
  dispersion = disp;
  mdisp = std::sqrt(disp);
  double d = 0;
  for (int i = 0; i < kOtherLetter; i++) d += f1[i] * o[i][i];
  // The scores take few distinct values (0..25 after normalize): each value of their range is
  // scaled once. The range is taken over the whole table, row and column 21 too: a wider range
  // only scales values no entry uses.
  int lo, hi;
  tableRange(o, lo, hi);
  if ((long long)hi - lo < kScaledRoom) {
    int scaled[kScaledRoom] = {};
    for (int k = 0; k <= hi - lo; k++) scaled[k] = truncToInt(((lo + k - mean) / mdisp) * 1000.0);
    lookUpScaled(o, lo, hi - lo + 1, scaled, elem);
  } else {
    for (int i = 0; i < kOtherLetter; i++)
      for (int j = 0; j < kOtherLetter; j++)
        elem[i][j] = truncToInt(((o[i][j] - mean) / mdisp) * 1000.0);
  }
  for (int k = 0; k < kAlphabetSize; k++) {
    elem[kOtherLetter][k] = 0;
    elem[k][kOtherLetter] = 0;
  }
  diag_average = (d - mean) / mdisp;
  covariation = c / dispersion;
}

int Weight_matrix::rescale(double homology_factor) const {
  return scaleToInt(homology_factor, diag_average, 1000.0L);
}

// ---------------------------------------------------------------- position scores

void Weight_matrix::getWeight(const BankSeq &shCurr, const BankSeq &shBank, int *wei,
                              int homFact, int) const {
  const int n = shCurr.len();
  assert(n <= 0 || shBank.len() >= n);
  const char *a = shCurr.seq(), *b = shBank.seq();
  for (int i = 0; i < n; i++)
    wei[i] = elem[nalpha[(unsigned char)a[i]]][nalpha[(unsigned char)b[i]]] - homFact;
}

void Weight_matrix::getWeight(int ishSeq, const BankSeq &seq, int ishAli, WorkAli &ali, int len,
                              int *weight, int homFac) const {
  const char *s = seq.seq();
  for (int i = 0; i < len; i++) {
    int best = -100000;
    int a = nalpha[(unsigned char)s[ishSeq + i]];
    for (int r = 0; r < ali.nSeq; r++) {
      int v = elem[a][nalpha[(unsigned char)ali.ali[r][ishAli + i]]];
      if (v > best) best = v;
    }
    weight[i] = best - homFac;
  }
}

// ---------------------------------------------------------------- normalisation

int Weight_matrix::normalize(const double *freq_1, const double *freq_2) {
  int(&o)[kAlphabetSize][kAlphabetSize] = orig_elem;
  int lo = o[0][0], hi = o[0][0];
  for (int i = 0; i < kOtherLetter; i++)
    for (int j = 0; j < kOtherLetter; j++) {
      if (o[i][j] < lo) lo = o[i][j];
      if (o[i][j] > hi) hi = o[i][j];
    }
  // The range comes from the file and may be huge. The quantile walk below assigns at most one
  // entry per 0.001 step over [-5, 5): every index past kQuantileRoom ends with the final x, so
  // the table needs no more room than that whatever the range.
  constexpr long long kQuantileRoom = 10010;
  const long long n = (long long)hi - lo + 1;
  const long long m = n < kQuantileRoom ? n : kQuantileRoom;
  double *F = allocArray<double>(m + 1);
  for (long long k = 0; k <= m; k++) F[k] = 0;
  for (int i = 0; i < kOtherLetter; i++)
    for (int j = 0; j < kOtherLetter; j++) {
      const long long idx = (long long)o[i][j] - lo + 1;
      if (idx <= m) F[idx] += freq_1[i] * freq_2[j];
    }
  for (long long k = 1; k <= m; k++) F[k] += F[k - 1];
  for (long long k = 0; k < m; k++) F[k] = (F[k] + F[k + 1]) * 0.5;
  // Normal quantiles by a left Riemann sum of the density; one assignment per step.
  const double root2pi = std::sqrt(2.0 * M_PI);
  double x = -5.0, S = 0;
  long long k = 0;
  while (k < m && x < 5.0) {
    if (F[k] <= S) {
      F[k] = x;
      k++;
    }
    S += std::exp(-x * x / 2.0) * 0.001 / root2pi;
    x += 0.001;
  }
  for (; k < m; k++) F[k] = x;
  for (int i = 0; i < kOtherLetter; i++)
    for (int j = 0; j < kOtherLetter; j++) {
      const long long idx = (long long)o[i][j] - lo;
      o[i][j] = (int)((idx < m ? F[idx] : x) * 2.5 + 12.500001);
    }
  delete[] F;
  for (int t = 0; t < kAlphabetSize; t++) {
    elem[kOtherLetter][t] = 0;
    elem[t][kOtherLetter] = 0;
  }
  return 0;
}

// ---------------------------------------------------------------- rescoring

int Weight_matrix::recalcSum(int len, const char *sq1, const char *sq2, int sum, int,
                             double &mult, double &add) const {
  int c1[kAlphabetSize] = {0}, c2[kAlphabetSize] = {0};
  const int numLet = countPair(nalpha, len, sq1, sq2, c1, c2);
  Present p1, p2;
  presentLetters(c1, p1);
  presentLetters(c2, p2);
  double meanHel, v, unused;
  meanAndVariance<false>(orig_elem, p1, p2, meanHel, v, unused);
  if (v < 1e-6) v = 1.0;
  const double mdispHel = std::sqrt(v);
  mult = mdisp / mdispHel;
  add = ((mean - meanHel) * 1000) / mdisp;
  return truncToInt(((mean - meanHel) * ((double)numLet * 1000) + mdisp * sum) / mdispHel);
}

namespace {

typedef double V4 __attribute__((vector_size(32)));

// Sums over the letters present of f1 (rows) and f2 (padded to 24, zero past 20):
// m = sum f1 f2 o and q = sum f1 f2 o^2, four columns at a time, in any order.
inline __attribute__((always_inline)) void scoreMoments(
    const int (&o)[kAlphabetSize][kAlphabetSize], const Present &p1, const double *f2, double &m,
    double &q, double &top) {
  V4 sm = {}, sq = {}, mx = {};
  for (int a = 0; a < p1.n; a++) {
    // Row idx a read 24 wide: the 2 ints past its end belong to the next row (or, for row
    // 20, to row 21) and meet a zero frequency.
    const int *row = o[p1.idx[a]];
    const double f = p1.f[a];
    V4 rm = {}, rq = {};
    for (int c = 0; c < 24; c += 4) {
      const V4 od = {(double)row[c], (double)row[c + 1], (double)row[c + 2], (double)row[c + 3]};
      V4 w;
      __builtin_memcpy(&w, f2 + c, sizeof w);
      const V4 t = w * od;
      rm += t;
      rq += t * od;
      const V4 ad = od < 0 ? -od : od;
      mx = mx < ad ? ad : mx;
    }
    sm += f * rm;
    sq += f * rq;
  }
  m = (sm[0] + sm[1]) + (sm[2] + sm[3]);
  q = (sq[0] + sq[1]) + (sq[2] + sq[3]);
  top = std::max(std::max(mx[0], mx[1]), std::max(mx[2], mx[3]));
}

void scoreMomentsPlain(const int (&o)[kAlphabetSize][kAlphabetSize], const Present &p1,
                       const double *f2, double &m, double &q, double &top) {
  scoreMoments(o, p1, f2, m, q, top);
}

#if SEQ_VECTOR
__attribute__((target("avx2"))) void scoreMomentsWide(const int (&o)[kAlphabetSize][kAlphabetSize],
                                                      const Present &p1, const double *f2,
                                                      double &m, double &q, double &top) {
  scoreMoments(o, p1, f2, m, q, top);
}
#endif

}  // namespace

bool Weight_matrix::recalcBelow(int len, const char *sq1, const char *sq2, int sum,
                                long double threshold) const {
  if (!(threshold > 0) || len <= 0) return false;
  int c1[kAlphabetSize] = {0}, c2[kAlphabetSize] = {0};
  const int numLet = countPair(nalpha, len, sq1, sq2, c1, c2);
  // The compositions as recalcSum makes them, up to rounding: the margins below cover it.
  int n1 = 0, n2 = 0;
  for (int i = 0; i < kOtherLetter; i++) {
    n1 += c1[i];
    n2 += c2[i];
  }
  const double r1 = 1.0 / (n1 ? n1 : 1), r2 = 1.0 / (n2 ? n2 : 1);
  Present p1;
  double f2[24] = {0};
  for (int i = 0; i < kOtherLetter; i++) {
    p1.idx[p1.n] = i;
    p1.f[p1.n] = c1[i] * r1;
    p1.n += c1[i] != 0;
    f2[i] = c2[i] * r2;
  }
  const double F1 = n1 ? 1.0 : 0.0, F2 = n2 ? 1.0 : 0.0;
  double m, q, top;
#if SEQ_VECTOR
  if (cpuHas(kCpuAvx2))
    scoreMomentsWide(orig_elem, p1, f2, m, q, top);
  else
#endif
    scoreMomentsPlain(orig_elem, p1, f2, m, q, top);
  // recalcSum's own sums differ from these by rounding only, some 1e-13 of the largest score
  // (squared for the variance); the margins are 1e-9 of it.
  const double O = top + 1;
  const double em = 1e-9 * O, ev = 1e-9 * O * O;
  const double v = q - 2 * m * m + m * m * (F1 * F2);
  double dlo;  // least the divisor can be
  if (v + ev < 1e-6) {
    dlo = 1.0;  // recalcSum takes 1 for a variance this small
  } else if (v - ev >= 1e-6) {
    dlo = std::sqrt(v - ev) * (1 - 1e-12);
  } else {
    return false;  // too near the switch to 1
  }
  // The largest the numerator can be, with the mean at its least.
  const double x = (mean - (m - em)) * ((double)numLet * 1000);
  const double y = mdisp * sum;
  const double nhi = x + y + 1e-9 * (std::fabs(x) + std::fabs(y) + 1);
  if (nhi <= 0) return true;  // the result is at most 0, its power too
  const double shi = std::floor(nhi / dlo * (1 + 1e-12)) + 1;
  if (!(shi < 2147483647.0)) return false;
  return (long double)powerOf((long long)shi, len) < threshold;
}

// ---------------------------------------------------------------- listing

void Weight_matrix::print() const {
  printf("\n Orig_elem");
  for (int i = 0; i < kAlphabetSize; i++) {
    printf("\n");
    for (int j = 0; j <= i; j++) printf("%4d", orig_elem[i][j]);
  }
  printf("\n Elem");
  for (int i = 0; i < kAlphabetSize; i++) {
    printf("\n");
    for (int j = 0; j <= i; j++) printf("%6d", elem[i][j]);
  }
  printf("\n mean %f mdisp %f diag_average %f", mean, mdisp, diag_average);
}

void Weight_matrix::setPenal(int gap) {
  for (int k = 0; k < kAlphabetSize; k++) {
    elem[kOtherLetter][k] = -gap;
    elem[k][kOtherLetter] = -gap;
  }
  elem[kOtherLetter][kOtherLetter] = 0;
}
