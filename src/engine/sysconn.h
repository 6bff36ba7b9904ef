// Query division and shift histograms: the query is cut once into overlapping parts, each with
// its lookup table; for every bank sequence each part keeps its best diagonals (shifts), and
// Seq_division walks the parts and their shifts.
#pragma once

#include <cstdint>
#include <vector>

#include "bankseq.h"
#include "diagonal_bits.h"
#include "ltable.h"
#include "pair_counter.h"
#include "vector_form.h"

class WorkAli;

// The parts of one query frame. A plain record: copies share the arrays.
class Division_parameters {
 public:
  const BankSeq *query = nullptr;    // the divided query frame; borrowed
  int numParts = 0;
  int *left = nullptr;               // start of each part in the query
  int *length = nullptr;             // letters of each part
  Looking_table **l_table = nullptr;  // table of each part, or null without tables
  const PairCounter *pairs = nullptr;  // the parts' pair tables merged, or null

  // Letters of the longest part (0 without parts): the room one diagonal profile needs.
  int longestPart() const;
};

// Cuts a query frame into parts and builds their tables; owns the arrays and the tables and
// borrows the query, which must outlive it.
class Division_generator : public Division_parameters {
 public:
  // Parts of partSize letters (below 1 counts as 1), each inner one reaching lenThres letters
  // into the next but never past the query; the last takes what is left. Tables are built
  // when useLtable is non-zero. Exit 7 when memory runs out.
  Division_generator(const AA_groups *ag, const BankSeq *ws, int winWidth, int coiNum,
                     int partSize, int useLtable, int lenThres, int stringsAdd);
  Division_generator(const Division_generator &) = delete;
  Division_generator &operator=(const Division_generator &) = delete;
  ~Division_generator();

  // The table of one part: a pair table for coiNum 0 or more than 5 groups, otherwise a
  // tuple table with the narrowest entry type. Owned by the caller (virtual destructor).
  static Looking_table *Create_Looking_table(const AA_groups *ag, const char *seq,
                                             int part_length, int winWidth, int coiNum,
                                             int stringsAdd);
};

// Coverage threshold of a part: trunc(ratio x window_width x segm_length) in extended
// precision, in that order, saturated to int32.
int coverageThreshold(double coincidence_ratio, int window_width, int segm_length);

// Bank letters to group codes of ag, capped at num_colors.
void codeLetters(const AA_groups *ag, const char *sq, int len, unsigned char *codes);

// Places each of n distinct keys (Shift_histogram::key) by the number of larger ones: the
// shift of the key (its index less numNeg) at out[rank] when rank < want. The wide form gives
// the same places.
constexpr unsigned kWideRankKeys = kCpuAvx512f;
void rankKeys(const uint64_t *cand, size_t n, size_t want, int numNeg, int *out,
              VectorForm form = VectorForm::Wide);

// The kept shifts of one part against one bank sequence, best first.
class Shift_histogram {
 public:
  int *shift_value = nullptr;  // kept shifts; owned
  int num_shifts = 0;
  int cur_shift = 0;           // next shift to hand out

  // Shifts of init_table against the bank letters cur_sq (cur_length of them).
  Shift_histogram(const Looking_table *init_table, const char *cur_sq, int cur_length,
                  double coincidence_ratio, int max_num_shifts);
  // The same against cur_width alignment rows of cur_length letters; no shifts when the table
  // counts no alignment blocks.
  Shift_histogram(const Looking_table *init_table, const char *const *cur_sq, int cur_length,
                  int cur_width, double coincidence_ratio, int max_num_shifts);
  // An empty record for reuse through select().
  Shift_histogram() = default;
  Shift_histogram(const Shift_histogram &) = delete;
  Shift_histogram &operator=(const Shift_histogram &) = delete;
  ~Shift_histogram() { delete[] shift_value; }

  // The next shift into `shift` and 1; 0 when all were handed out.
  int get_shift(int &shift);

  // Keeps at most max_num_shifts (below 1: 1) diagonals of hist whose count reaches
  // threshold: the highest counts, the smaller shift first among equal counts. `heap` is the
  // caller's scratch. Restarts the hand-out. Diagonal k is read at hist[k x stride].
  void select(const int *hist, int num_neg_shifts, int num_all_shifts, int threshold,
              int max_num_shifts, std::vector<uint64_t> &heap, int stride = 1);
  // The same from the keys (key(count, index)) of the diagonals that reach the threshold, in
  // increasing index order; cand is used as work space.
  void selectKeys(uint64_t *cand, size_t n, int num_neg_shifts, int num_all_shifts,
                  int max_num_shifts);
  // Order key of a diagonal: larger is better (higher count, then smaller index).
  static uint64_t key(int count, int index) { return diagonalKey(count, index); }

 private:
  int capacity_ = 0;
};

// Walks the parts of a division and, per part, the shifts against one bank sequence (or
// alignment block). Shares the division's arrays and tables; its buffers are reused from one
// bank sequence to the next, so a comparison allocates nothing once they have grown.
class Seq_division : public Division_parameters {
 public:
  const BankSeq *bank = nullptr;  // borrowed; null in alignment mode
  const WorkAli *alig = nullptr;  // borrowed; null in sequence mode
  Shift_histogram *hist = nullptr;  // shifts of the current part; null between parts
  int curPart = -1;

  explicit Seq_division(const Division_parameters &parameters);
  Seq_division(const Seq_division &) = delete;
  Seq_division &operator=(const Seq_division &) = delete;
  ~Seq_division() = default;

  // Restart for a bank sequence / an alignment block; both must outlive the walk.
  void init(const BankSeq &bank);
  void init(const WorkAli &ali);
  // Moves to the next part and builds its shifts; 0 when there is none (also after the end).
  int nextPart(double coincRatio, int maxShifts);
  // Hands out the next shift of the current part: the overlapping query letters from
  // ishCurr into shCurr and bank letters from ishBank into shBank (left alone in alignment
  // mode); 0 when the part has no more.
  int nextShift(int &ishCurr, BankSeq &shCurr, int &ishBank, BankSeq &shBank);
  // The same as positions only: the overlap is `len` letters from ishCurr and ishBank.
  int nextShift(int &ishCurr, int &ishBank, int &len);

 private:
  Shift_histogram shifts_;
  std::vector<unsigned char> codes_;  // bank codes, one row per alignment row
  std::vector<const unsigned char *> rows_;
  const AA_groups *codedFor_ = nullptr;
  bool coded_ = false;
  std::vector<int> histBuf_;
  std::vector<uint64_t> heap_;
  std::vector<int> merged_;  // all parts counted at once through `pairs`
  PairCounter::Workspace pairWork_;
  bool mergedDone_ = false;
  DiagonalBits bits_;             // the bank sequence's bit rows, per walk
  bool bitsReady_ = false;
  std::vector<unsigned char> queryCodes_;  // the query's group codes
  const AA_groups *queryCodedFor_ = nullptr;
  std::vector<uint64_t> keys_;
  std::vector<int> thrOf_;        // coverage threshold of each part for thrRatio_
  double thrRatio_ = 0;
};
