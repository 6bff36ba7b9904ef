// The comparison engine: one query frame against one bank sequence (frame). The query
// division gives each part's best diagonals, the matrix scores them, DotHelix cuts the score
// profiles into segments, and every segment becomes a MotifWei record.
#pragma once

#include <cstdint>
#include <vector>

#include "alphabet.h"
#include "bankseq.h"
#include "dothelix.h"
#include "motif.h"
#include "seahom_params.h"
#include "sysconn.h"
#include "vector_form.h"

class WorkAli;
class Weight_matrix;

// Most records one comparison writes.
constexpr int kMaxMotifs = 10000;

// Entries of one row of the engine's score table: kAlphabetSize scores, then unused ones.
constexpr int kScoreRow = 32;

// Scores of up to HelixFilter::kLanes diagonals of one query part, interleaved for
// HelixFilter::rejectsBatch. Row r stands for query position p0 + r; lane l holds
// score[qRow[p] + bankIdx[p + off[l]]] on rows lo[l] <= r < lo[l] + len[l] and
// HelixFilter::kPad on the others (a lane not in use has len 0). qRow holds row offsets in
// score (a multiple of kScoreRow, rows kScoreRow long). The wide form reads
// bankIdx[p0 + off[l] + r] for every lane and every r below rows rounded up to 8, so that much
// must be readable; the plain form reads only what it lays out.
constexpr unsigned kWideInterleave = kCpuAvx512f | kCpuAvx512bw | kCpuAvx512vl | kCpuAvx512vbmi;
void interleaveDiagonals(int *out, int rows, int p0, const uint16_t *qRow, const int *score,
                         const unsigned char *bankIdx, const int *off, const int *lo,
                         const int *len, VectorForm form);

// The score profile of one diagonal: out[k] = score[qRow[k] + bankIdx[k]] for k < n. Both
// forms read only those n entries of qRow and bankIdx.
constexpr unsigned kWideGather = kCpuAvx512f | kCpuAvx512bw | kCpuAvx512vl;
void scoreDiagonal(int *out, int n, const uint16_t *qRow, const unsigned char *bankIdx,
                   const int *score, VectorForm form);

// Bank letter index of the engine's margins: its score is HelixFilter::kPad for every query
// letter.
constexpr int kPadLetter = kAlphabetSize;
static_assert(kPadLetter >= kAlphabetSize && kPadLetter < kScoreRow, "past the letters, inside a row");

// The batch screen of HelixFilter::rejectsBatch over the lanes interleaveDiagonals lays out,
// scored and screened in one pass with nothing stored: into pass, bit l set when lane l's best
// run of (score - beta[k]) reaches alpha[k] for some band k < nb (1 ..
// HelixFilter::kMaxBatchBands). Every lane is scored over all rows, so the bank must hold
// kPadLetter wherever a lane's diagonal is past it (score[row + kPadLetter] is kPad); then
// the result is rejectsBatch's for the lanes of one or more values. Reads the bank as the
// wide form of interleaveDiagonals does. False, with pass untouched, when the processor lacks
// the instructions of kWideInterleave (or the build has no vector paths).
bool screenDiagonals(unsigned &pass, int rows, int p0, const uint16_t *qRow, const int *score,
                     const unsigned char *bankIdx, const int *off, int nb, const int32_t *beta,
                     const int32_t *alpha);

class SearchHomol : public SearchHomolParams {
 public:
  const Division_generator *Looking_tables = nullptr;  // borrowed
  const BankSeq *query = nullptr;                       // the query frame; borrowed
  int queMolType = 0;
  Seq_division *division = nullptr;  // owned
  double *queryFreq = nullptr;       // kAlphabetSize letter frequencies of the query frame; owned

  // The running sums `wei` are filled only when set (the default); a driver whose splitting
  // step never reads them turns this off and saves an allocation per motif.
  int fillWei = 1;

  // Nucleotides of the whole query after the end of the cut (0 when the cut runs to the end),
  // set by the driver. With From, it places the residues of a translated cut frame on the
  // whole query's frames (see wholeFrame).
  int cutTail = 0;

  // Defaults of the parameters, no matrix.
  SearchHomol();
  // A copy of the parameters with a matrix of its own (the parameters' copy duplicates it),
  // so that recasting it per bank sequence touches nothing else.
  explicit SearchHomol(const SearchHomolParams &params);
  SearchHomol(const SearchHomol &) = delete;
  SearchHomol &operator=(const SearchHomol &) = delete;
  ~SearchHomol() override;

  // Binds the query division (borrowed, must outlive the engine). Exit 7 on no memory.
  void makeDivision(const Division_generator &gen);
  // The query frame's letter frequencies (kept in queryFreq, owned by the engine).
  double *makeFreq();
  // Rank-normalises the matrix against the background of the query's molecule type.
  void normMatr();

  // Compares the query frame with `bank` and writes the motifs found from motifs[0] on, at most
  // min(10000, room) of them (further segments are dropped). Returns their number.
  int compTwoSeq(const BankSeq &bank, MotifWei *motifs, int room = kMaxMotifs);
  // Turns the segments of one diagonal into records from motifs[numMot] on.
  void addMotifs(int &numMot, MotifWei *motifs, int numHomol, Homology_info *helix,
                 int shiftCur, int shiftBank, const BankSeq &bank, int homFac, int *weight);

  // The matrix recast to the query frame and `bank` compositions.
  void recastMatr(const BankSeq *bank);
  // The comparison against an alignment block: each column pair scores the best row
  // (alignment form of getWeight); baseForm 6 cuts segments with DotHelix, any other value
  // takes a shift's whole overlap when it spans every column and reaches the power threshold.
  int compAliSeq(WorkAli &ali, MotifWei *motifs, int baseForm);
  // Alignment form of addMotifs: no rescoring, always the query's frame letter.
  void addMotifs(int &numMot, MotifWei *motifs, int numHomol, Homology_info *helix,
                 int shiftCur, int shiftBank, int homFac, int *weight);

 private:
  std::vector<int> weight_;  // one diagonal's profile, sized by the longest part
  // Scoring from matrix indices: the query's once (as the offset of its row in score_), the
  // bank's once per comparison, and the scores with homFac taken off, row by row (the query
  // letter's row).
  std::vector<uint16_t> queryRow_;
  // The bank's indices sit between two margins of bankMargin_ bytes of kPadLetter, which the
  // batch scoring reads around a diagonal.
  std::vector<unsigned char> bankIdx_;
  int bankMargin_ = 0;
  const unsigned char *bankAt() const { return bankIdx_.data() + bankMargin_; }
  // Rows of kScoreRow entries, so that a row can be read whole as a lookup table.
  int score_[kAlphabetSize][kScoreRow];
  int maxScore_ = 0;  // largest |score_|
  void scoreProfile(int ishCurr, int ishBank, int n, int *weight) const;
  void prepareScores(const BankSeq &bank, int homFac);
  // Scores one diagonal, cuts it and adds its motifs (indexed scoring).
  void segments(int ishCurr, int ishBank, int n, const BankSeq &bank, int homFac, int &count,
                bool screened, int P);
  struct Diagonal {
    int cur, bank, len;
  };
  std::vector<Diagonal> batch_;  // the shifts of the current part
  std::vector<int> lanes_;       // their profiles interleaved for the screen
  HelixFilter filter_;
  MotifWei *motifs_ = nullptr;
  BankSeq shCurr_, shBank_;
  DotHelixWork dh_;
  int motCap_ = kMaxMotifs;
  // During a comparison, the matrix castOf_ as a weight matrix (null when it is another
  // kind): the cast is asked for every diagonal with segments.
  const TMatrix *castOf_ = nullptr;
  const Weight_matrix *cast_ = nullptr;
  void fillRecord(int &numMot, MotifWei *motifs, Homology_info &h, int shiftCur, int shiftBank,
                  char frame, int homFac, const int *weight, double mult, double add);
  void ensureWeight(int n);
};

// Where the residues of a translated frame (a .. f) of a query cut from nucleotide `from` (0 =
// the first), with `tail` nucleotides of the whole query after its end, lie on the whole
// query's frames: residue i of the cut's frame is residue i + offset of the whole query's
// frame `frame`. Direct frames move with the start, complementary ones with the tail.
void wholeFrame(char cutFrame, int from, int tail, char &frame, int &offset);

// The whole profile as one candidate: a new[] array of one segment {0, len, sum, power} when
// len >= lenTh and the power reaches powTh (numHelix 1), else null (numHelix 0). Exit 7 on no
// memory.
Homology_info *checkThres(int *weight, int len, int lenTh, int powTh, int &numHelix);
