// Statistics of one feature key or keyword X over a grid of motif powers: the four pair
// counts per bin, their segmentation into a few power steps, the blocks of the statistics
// file that orisk writes and vantel reads, and the prediction rule vantel applies. The
// definitions: counting, accessors and blocks in hist_xx.cpp, the segmentation in
// hist_segment.cpp, the prediction rule in hist_predict.cpp.
#pragma once

#include <cstdint>
#include <cstdio>

// The result of one prediction. Every field starts at zero; predFT sets all of them.
struct predPAR {
  int isPred = 0;        // 1 when X is predicted
  double gamma = 0.0;    // decision threshold
  double ita = 0.0;      // the query's statistic
  double P1 = 0.0;       // strength of the prediction
  double P1divP2 = 0.0;  // probability of the prediction
};

// Likelihood-ratio thresholds (ascending) and the probability given at or below each; the
// row is the caller's probIdx.
inline constexpr double arProbStat[2][20] = {
    {0.0, 0.1, 0.5, 1.0, 1.2, 1.4, 1.6, 2.2, 13.8, 14.1, 22.9, 28.3, 30.5, 57.8, 75.9, 84.2,
     99.5, 99.7, 100.0, 100.0},
    {0.0, 0.2, 0.6, 0.8, 1.0, 1.1, 1.4, 1.6, 1.7, 2.5, 13.4, 27.1, 33.4, 81.2, 85.9, 86.7, 94.7,
     95.9, 99.4, 100.0}};
inline constexpr double arProbVal[2][20] = {
    {0.00592, 0.01545, 0.01743, 0.16667, 0.17647, 0.2, 0.2973, 0.33702, 0.4, 0.40541, 0.46667,
     0.55556, 0.57812, 0.64444, 0.75, 0.85965, 0.9, 0.9013, 1.0, 1.0},
    {0.00509, 0.00644, 0.01653, 0.01679, 0.0625, 0.11364, 0.11765, 0.15385, 0.24074, 0.32159,
     0.33696, 0.61538, 0.66102, 0.6875, 0.75, 0.75862, 0.80769, 0.81395, 0.86071, 1.0}};

// Blocks with more bins than this are refused by the readers.
inline constexpr int kMaxHistBins = 1000000;

class HistXX {
 public:
  double minPow = 0.0;
  double maxPow = 0.0;
  double stepPow = 0.0;
  int numPow = 0;           // bins; after segmentation the segments
  double *Pow = nullptr;    // lower bound of each bin (segment)
  double freq = 0.0;        // background frequency of X
  char *FTname = nullptr;   // feature key or keyword
  int paramType = 0;        // 0: "Pow" row, else "Hom"
  double *qXbX = nullptr;   // counts, then ratios when the query has X
  double *qXb_X = nullptr;
  double *q_XbX = nullptr;  // counts, then ratios when the query lacks X
  double *q_Xb_X = nullptr;

  // Empty: every field zero, no arrays; load fills it.
  HistXX() = default;
  // Counting histogram: numPow = (maxPow - minPow) / stepPow + 1 truncated toward zero
  // (0 when that is negative or not a number), zeroed counts, Pow[i] = minPow + i*stepPow,
  // FTname a copy of name (null stays null). freq stays 0. Callers validate the grid; a
  // grid of more than kMaxHistBins bins, or one that can't be allocated, exits 7.
  HistXX(double minPow, double maxPow, double stepPow, const char *name, int paramType);
  // The object owns its arrays: it may be moved but not copied.
  HistXX(const HistXX &) = delete;
  HistXX &operator=(const HistXX &) = delete;
  HistXX(HistXX &&o) noexcept;
  HistXX &operator=(HistXX &&o) noexcept;
  ~HistXX();

  // ---- counting (before segmentation) ----
  // Adds 1.0 to the count that the two flags select, in the bin of power.
  void addKW(int qHas, int bHas, double power);
  // Counts one motif residue by residue: pair (qFT[qBeg+i], bFT[bBeg+i]) for i < motLen, in
  // the bin of power. Pairs outside the query (qLen flags) or the bank sequence (bLen flags)
  // are skipped. Nothing is added for a null qFT or a bank without any flag set.
  void add(const int *qFT, const int *bFT, int qBeg, int bBeg, int motLen, double power,
           int bLen, int qLen);

  // ---- accessors ----
  // Counting bin of power: below minPow 0, at or above maxPow (or not a number) the last.
  int getIdxPow(double power) const;
  // Segment holding power: the first i >= 1 with power < Pow[i], minus one; numPow - 1
  // when none; never below 0.
  int getNumPow(double power) const;
  int getNumPow() const { return numPow; }
  // qXbX of the segment of power (0.0 for an empty histogram).
  double getProb(double power) const;
  // New copy of FTname with every '_' a blank (delete[]); null for a null name.
  char *getNiceFTname() const;
  double *getPow() const { return Pow; }
  double *getqXbX() const { return qXbX; }
  char *getFTname() const { return FTname; }
  int getParType() const { return paramType; }
  // Turns each bin's counts into shares: qXbX and qXb_X over their sum, q_XbX and q_Xb_X
  // over theirs (a sum below 1.0 counts as 1.0).
  void update();

  // ---- the statistics file ----
  // Output errors are left to the caller (checkWrite).
  // The four count rows, " %5.0f" per bin, no header.
  void print(FILE *fout) const;
  // The statistics block: header (when writeGlue), grid line with freq and prob, the
  // Pow/Hom row and the qXbX and q_XbX rows; no line end after the last value. When every
  // qXbX is 0 (or numPow is 0) nothing is written and "   All qXbX are equal to zero..."
  // goes to standard output.
  void save(FILE *fout, const char *type, int writeGlue, double prob) const;
  // The count block: header, grid line, the Pow/Hom row and the four count rows; the same
  // all-zero rule as save.
  void savePxx(FILE *fout, const char *type) const;
  // Reads the next statistics block of `type` after the current position: 0 when read, 1
  // when no block of that type follows (position restored; FTname a new empty string,
  // nothing else changed). A block with a missing grid line or with numPow outside
  // 1..kMaxHistBins is skipped and the search goes on after its header, which is never
  // read again; missing row values read as 0. A count block after a header is passed over
  // and the statistics block that follows it is read.
  int load(FILE *fin, const char *type);
  // Reads the next count block of `type`: its grid and step, widened with zero bins (of
  // that step) to cover this object's range; a block that would need widening by a step
  // that is not positive is passed over. 0 or 1 as load.
  int loadPxx(FILE *fin, const char *type);

  // ---- segmentation ----
  // Least bending over every boundary vector of numSegm (bounded to 3..numPow/2) segments
  // of at least max(1, coe*numPow/numSegm) bins (at most numPow/numSegm); neighbouring
  // segments within 0.001 merge. A grid of fewer than 2 bins gets numPow 0.
  void incrEq(int numSegm, double coe, double _freq);
  // Two monotone step fits merged; _numSegm is not used. Prints "\n %s " with FTname
  // for each fit that ends on a single-bin step.
  void monot(int _numSegm, double _freq);
  // Moves curBou to the next boundary vector and updates the segment sums: 1 when only the
  // last inner boundary moved, 2 when an earlier one moved (later ones reset), 0 at the end.
  int nextBou(int numSegm, int minNum, int *curBou, int64_t *QXBX, int64_t *QXB_X,
              int64_t *Q_XBX, int64_t *Q_XB_X) const;
  // Start bin of the top step of the qXbX ratio within bins i_min..i_max-1; its ratio in xx.
  int findMaxPxx(int i_min, int i_max, double &xx) const;
  // Last bin of the bottom step of the q_XbX ratio within i_min..i_max-1; its ratio in _xx.
  int findMaxP_xx(int i_min, int i_max, double &_xx) const;
  // Pooled ratios of bins i1..i2-1; with _print, "\n %s " with FTname on standard output.
  void makeProb(int i1, int i2, double &xx, double &_xx, int _print) const;
  // Segment sums of segments from..to-1 of curBou (each bin's count truncated first).
  void makeFreq(int from, int to, const int *curBou, int64_t *QXBX, int64_t *QXB_X,
                int64_t *Q_XBX, int64_t *Q_XB_X) const;
  // Bending of the segment ratios of these sums toward the fixed ends set by freq.
  double makeDer(int numSeg, const int64_t *QXBX, const int64_t *QXB_X, const int64_t *Q_XBX,
                 const int64_t *Q_XB_X, double freq) const;

  // ---- prediction ----
  // Predicts X from the per-segment observation counts all[] and hits ksi[] (numPow each).
  // Sets every field of *unswer; probIdx 0 or 1 picks the table row (any other value: 1).
  // wrDist is not used. Allocates nothing for histograms of up to 64 segments.
  void predFT(predPAR *unswer, const int *all, const int *ksi, int probIdx, int wrDist) const;
  // Fills Pxx and Px_x (numPow each): the two ratios, both their mean where qXbX < q_XbX.
  // 1 when the separation sum over all[] is exactly 0, else 0.
  int makePxP_x(double *Pxx, double *Px_x, const int *all) const;
  // Fills A (numPow) with the segment weights; ksi is not used.
  void makeA(const double *Pxx, const double *Px_x, const int *all, const int *ksi,
             double *A) const;
  // Fills isPred, gamma, P1 and P1divP2 for the statistic ita.
  void makeGamma(predPAR *unswer, double ita, const double *Pxx, const double *Px_x,
                 const double *A, const int *all, const int *ksi, int probIdx,
                 int wrDist) const;

 private:
  void release();
};

// 1 when one of the first len flags is non-zero (0 for null).
int hasFT(const int *FT, int len);
// The type named by the next block header after the current position, as a new string
// (delete[]), or null when none follows; the position is unchanged.
char *getKwType(FILE *fin);
// The name of a header line: from buf's first non-blank up to the blanks before end, never
// before that start. FTname must hold end - buf + 1 characters.
void loadKW(const char *buf, const char *end, char *FTname);
// True when no block of the statistics file f is cut short. Otherwise prints
// "\n Statistics file <path> is cut short at line <n>" (n counted from 1: the line where the
// fault shows) and returns false. Reads f from its start and leaves it at its start.
// Refused: a header not followed by a grid line; a grid line without its numPow; a block
// whose rows (Pow or Hom, then qXbX and q_XbX, or the four count rows) are missing, out of
// order or shorter than numPow; a last line without its line end that does not end a block,
// or whose last value lacks the decimals a statistics row is written with; tables without
// the segmentation line after them; and a missing block of a keyword that the tables show in
// two or more sequences, which orisk always writes when it segments monotonously or when the
// file holds any statistics block (then its grid has the bins to segment). Feature types
// promise nothing: their blocks depend on counts the file does not show.
bool statFileWhole(FILE *f, const char *path);
// Standard normal distribution function by a rectangle sum below 3 and the tail formula
// from 3; 0.5 for a value that is not a number.
double Fnormal(double x);
// Steps the weight vector A through 0, 0.1, ... over the segments with observations:
// 1 when stepped, 0 when no vector follows.
int next(double *A, const int *all, int numPow);
// Exhaustive check of the weight vectors that next() produces; it has no effect.
void chkA(const double *Pxx, const double *Px_x, const int *all, int numPow);
