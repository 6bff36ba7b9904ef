// Substitution matrices: raw integer scores (read from a file or built in) and their
// standardised form, 1000 times the z-value for a pair of letter compositions.
#pragma once

#include <cstdio>

#include "alphabet.h"
#include "bankseq.h"
#include "vector_form.h"

class WorkAli;

// Background amino-acid composition, in aa_letters order.
constexpr double aa_frequences[kAlphabetSize] = {
    0.082285, 0.017425, 0.053243, 0.063892, 0.038722, 0.072604, 0.021297, 0.057115,
    0.057115, 0.090997, 0.024201, 0.042594, 0.050339, 0.038722, 0.048403, 0.066796,
    0.058083, 0.0,      0.0697,   0.013553, 0.032914, 0.0};

// Background nucleotide composition: A, C, G, T.
constexpr double nu_frequences[kAlphabetSize] = {0.25, 0.25, 0, 0, 0, 0.25, 0, 0, 0, 0, 0,
                                                 0,    0,    0, 0, 0, 0.25, 0, 0, 0, 0, 0};

// BLOSUM62 + 4 in aa_letters order, lower triangle with the diagonal, row by row;
// 'U' and '-' score 0 with everything.
constexpr signed char Blos[253] = {
     8,  // A
     4, 13,  // C
     2,  1, 10,  // D
     3,  0,  6,  9,  // E
     2,  2,  1,  1, 10,  // F
     4,  1,  3,  2,  1, 10,  // G
     2,  1,  3,  4,  3,  2, 12,  // H
     3,  3,  1,  1,  4,  0,  1,  8,  // I
     3,  1,  3,  5,  1,  2,  3,  1,  9,  // K
     3,  3,  0,  1,  4,  0,  1,  6,  2,  8,  // L
     3,  3,  1,  2,  4,  1,  2,  5,  3,  6,  9,  // M
     2,  1,  5,  4,  1,  4,  5,  1,  4,  1,  2, 10,  // N
     3,  1,  3,  3,  0,  2,  2,  1,  3,  1,  2,  2, 11,  // P
     3,  1,  4,  6,  1,  2,  4,  1,  5,  2,  4,  4,  3,  9,  // Q
     3,  1,  2,  4,  1,  2,  4,  1,  6,  2,  3,  4,  2,  5,  9,  // R
     5,  3,  4,  4,  2,  4,  3,  2,  4,  2,  3,  5,  3,  4,  3,  8,  // S
     4,  3,  3,  3,  2,  2,  2,  3,  3,  3,  3,  4,  3,  3,  3,  5,  9,  // T
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // U
     4,  3,  1,  2,  3,  1,  1,  7,  2,  5,  5,  1,  2,  2,  1,  2,  4,  0,  8,  // V
     1,  2,  0,  1,  5,  2,  2,  1,  1,  2,  3,  0,  0,  2,  1,  1,  2,  0,  1, 15,  // W
     2,  2,  1,  2,  7,  1,  6,  3,  2,  3,  3,  2,  1,  3,  2,  2,  2,  0,  3,  6, 11,  // Y
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // -
};

// Abstract substitution matrix; Weight_matrix is its only implementation.
// The order of the virtual operations is fixed.
class TMatrix {
 public:
  unsigned char nalpha[256];  // letter index of every character code

  // New copy, owned by the caller (delete through the virtual destructor). Exit 7 on
  // allocation failure.
  virtual TMatrix *duplicate() = 0;
  // Score of one segment re-standardised with the segments' own compositions.
  virtual int recalcSum(int len, const char *sq1, const char *sq2, int sum, int,
                        double &mult, double &add) const = 0;
  // Reads a weight matrix file; always 0.
  virtual int fread(FILE *f) = 0;
  // Rank-maps the raw scores to normal scores 0..25; 0.
  virtual int normalize(const double *freq_1, const double *freq_2) = 0;
  // Standardises the raw scores for two compositions.
  virtual void recast(const double *freq_1, const double *freq_2) = 0;
  // trunc(homology_factor * diag_average * 1000).
  virtual int rescale(double homology_factor) const = 0;
  // wei[i] = score(shCurr[i], shBank[i]) - homFact for every position of shCurr.
  virtual void getWeight(const BankSeq &shCurr, const BankSeq &shBank, int *wei, int homFact,
                         int) const = 0;
  // Alignment form: best score over the rows of ali, minus homFac.
  virtual void getWeight(int ishSeq, const BankSeq &seq, int ishAli, WorkAli &ali, int len,
                         int *weight, int homFac) const = 0;
  virtual ~TMatrix() {}

  // New array of 22 letter frequencies of seq[0..len) (index 21 not counted), owned by the
  // caller (delete[]). Exit 7 on allocation failure.
  double *makeFreq(int len, const char *seq) const;
  // The same into f.
  void makeFreq(int len, const char *seq, double (&f)[kAlphabetSize]) const;
};

// Smallest and largest entry of a 22 x 22 score table, all of it; the wide form gives the same
// result.
constexpr unsigned kWideTableRange = kCpuAvx2;
void tableRange(const int (&t)[kAlphabetSize][kAlphabetSize], int &lo, int &hi,
                VectorForm form = VectorForm::Wide);
// elem[i][j] = scaled[o[i][j] - lo] for i, j < 21, every o[i][j] - lo in [0, range). The wide
// form (for a range of at most 32) gives the same result.
constexpr unsigned kWideLookUp = kCpuAvx512f;
void lookUpScaled(const int (&o)[kAlphabetSize][kAlphabetSize], int lo, int range,
                  const int *scaled, int (&elem)[kAlphabetSize][kAlphabetSize],
                  VectorForm form = VectorForm::Wide);

// Whether an open file reads as a weight matrix file (Weight_matrix::fread reads anything):
// after its title line and '#' comments, a line of column letters without a digit, then at
// least one row (a letter before the line's first digit), every further line holding a digit
// unless it is blank or a '#' comment. Reads f from its position to the end.
bool isMatrixFile(FILE *f);
// The check of a matrix file named by the user: it opens (a directory does not) and reads as
// a matrix.
enum MatrixFileCheck { kMatrixOk = 0, kMatrixNoFile, kMatrixNotMatrix };
int checkMatrixFile(const char *path);

class Weight_matrix : public TMatrix {
 public:
  int elem[kAlphabetSize][kAlphabetSize];  // standardised scores; row and column 21 are 0
  double diag_average;
  double covariation;
  double mean;
  double dispersion;
  double mdisp;
  int type;  // 0 protein, 1 nucleotide
  int orig_elem[kAlphabetSize][kAlphabetSize];  // raw scores, symmetric

  Weight_matrix();
  Weight_matrix(const Weight_matrix &) = default;
  Weight_matrix &operator=(const Weight_matrix &) = default;

  TMatrix *duplicate() override;
  int recalcSum(int len, const char *sq1, const char *sq2, int sum, int, double &mult,
                double &add) const override;
  // True when the power of recalcSum's result for a segment of len letters (its sum times
  // the length factor) is certainly below `threshold`: the same quantities summed in another
  // order, with a margin far above what the order can change. False when not certain, and
  // then recalcSum decides.
  bool recalcBelow(int len, const char *sq1, const char *sq2, int sum,
                   long double threshold) const;
  int fread(FILE *f) override;
  int normalize(const double *freq_1, const double *freq_2) override;
  void recast(const double *freq_1, const double *freq_2) override;
  int rescale(double homology_factor) const override;
  void getWeight(const BankSeq &shCurr, const BankSeq &shBank, int *wei, int homFact,
                 int) const override;
  void getWeight(int ishSeq, const BankSeq &seq, int ishAli, WorkAli &ali, int len,
                 int *weight, int homFac) const override;

  // Raw scores: the built-in BLOSUM62 (+4), or 10 on the diagonal. Call recast after.
  void makeBlos62();
  void makeDiag();

  void print() const;
  void setPenal(int gap);
  int weight(char a, char b) const { return elem[nalpha[(unsigned char)a]][nalpha[(unsigned char)b]]; }
  int _weight(unsigned char ia, unsigned char ib) const { return elem[ia][ib]; }
  unsigned char ord(char c) const { return nalpha[(unsigned char)c]; }
};
