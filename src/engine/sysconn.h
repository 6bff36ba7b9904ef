// Query division and shift histograms: the query is cut once into overlapping parts, each with
// its lookup table; for every bank sequence each part keeps its best diagonals (shifts), and
// Seq_division walks the parts and their shifts.
#pragma once

#include <cstdint>
#include <vector>

#include "bankseq.h"
#include "ltable.h"

class WorkAli;

// The pair tables of all parts of a division merged, so that one pass over a bank sequence
// counts every part: the cell of gap g and codes (c1, c2) lists, for every part i holding that
// pair at part position q, the entry (segm_length_i - 1 - q) x columns + i. Bank position p
// adds one at p x columns + entry: the histograms of the parts interleaved, diagonal k of
// part i at k x columns + i. Only cells with entries get a number (`cellId`); the others share
// the number `numCells`, which counts nothing.
//
// Counting goes cell by cell rather than position by position: the bank positions are first
// sorted by the cell they hit, then every position of a cell runs the same entries, so the
// loop over them repeats one trip count and the entries stay in registers. The counts are
// sums, so they do not depend on that order.
struct PairCounter {
  int numParts = 0;
  int columns = 0;    // numParts: diagonal k of part i at k x columns + i
  int maxGap = 0;     // largest w_width of the parts
  int stride = 0;     // num_colors + 1
  int longest = 0;    // letters of the longest part
  uint32_t numCells = 0;            // cells holding entries
  std::vector<uint32_t> cellId;     // maxGap x stride^2: number of each (gap, c1, c2) cell
  std::vector<uint32_t> cellStart;  // numCells + 1 offsets into entry
  std::vector<uint32_t> entry;

  // Buffers of one counting thread, grown as needed and reused from one bank sequence to
  // the next.
  struct Workspace {
    std::vector<uint32_t> hit;     // cell number of each (position, gap), in position order
    std::vector<uint32_t> bound;   // numCells + 2: bucket bounds
    std::vector<uint32_t> bucket;  // positions sorted by cell
  };

  // The merged table of the parts' pair tables, or null when a part has no pair table or the
  // parts do not share their letter groups. Exit 7 when memory runs out.
  static PairCounter *make(Looking_table *const *tables, int numParts);
  // Entries of the histogram of a bank sequence of cur_length letters.
  long long histSize(int cur_length) const {
    return ((long long)longest - 1 + (cur_length > 0 ? cur_length : 0)) * columns;
  }
  // Counts the bank codes sq (cur_length of them, each at most stride - 1) into hist, which
  // must hold histSize(cur_length) cleared entries. ws is the caller's scratch.
  void count(const unsigned char *sq, int cur_length, int *hist, Workspace &ws) const;
};

// Diagonal counts of one pair-table part, computed 512 diagonals at a time in bit planes, one
// plane per binary digit of the counts. On diagonal k a query position i meets bank position
// k - (L - 1 - i), so the group matches of position i over all diagonals are the bank's bit row
// of that group shifted by L - 1 - i; a pair (i, i + g) matches where both shifted rows have a
// bit. The matched pairs are summed by carry-save adders. Every count is exact; only those
// that reach the threshold are read out.
class DiagonalBits {
 public:
  static constexpr int kMaxGap = 63;    // widest window served
  static constexpr int kMaxCount = 1 << 24;  // largest count served (gaps x letters)

  // Whether a part of L letters and window W can be counted here.
  static bool serves(int L, int W) {
    return L >= 1 && W >= 0 && W <= kMaxGap && (long long)W * L < kMaxCount;
  }
  // The bank sequence: group codes (a code >= numColors matches nothing), n of them; longest
  // is the length of the longest part that will be counted against it. wide: with AVX-512
  // when the processor has it (the same rows).
  void setBank(const unsigned char *codes, int n, int numColors, int longest, bool wide = true);
  // Appends, in increasing diagonal order, Shift_histogram::key(count, k) of every diagonal k
  // (0 .. L - 2 + n) of the part whose count reaches threshold (at least 1). The part's codes
  // are those of its pair table; W its window width. wide: use the AVX-512 path when the
  // processor has it (the same counts).
  void candidates(const unsigned char *partCodes, int L, int W, int threshold,
                  std::vector<uint64_t> &out, bool wide = true);

 private:
  std::vector<uint64_t> rows_;  // numColors + 1 rows of rowLen_ words, the last one empty
  std::vector<uint64_t> planes_;
  int numColors_ = 0, n_ = 0, pad_ = 0, rowLen_ = 0, longest_ = 0;
};

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
// shift of the key (its index less numNeg) at out[rank] when rank < want. wide: with AVX-512
// when the processor has it (the same places).
void rankKeys(const uint64_t *cand, size_t n, size_t want, int numNeg, int *out,
              bool wide = true);

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
  static uint64_t key(int count, int index) {
    return (uint64_t)((uint32_t)count ^ 0x80000000u) << 32 | (uint32_t)~(uint32_t)index;
  }

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
