// Lookup tables of one query part: letter-pair tables (many letter groups) and near-match
// tuple tables (at most 5 groups). Each counts the word coincidences of a whole bank sequence
// with the part per diagonal in one pass over the bank; the tables are read-only once built,
// so any number of threads may count against one table at once.
#pragma once

#include <cstdint>
#include <new>

#include "aa_group.h"
#include "errormsg.h"

// The diagonal histogram of one query part against one bank sequence (or alignment block).
// Made by CountHist; the caller deletes the record, which frees `hist` with it.
class HistValue {
 public:
  int num_neg_shifts = 0;  // segm_length - 1: diagonals with the bank starting before the part
  int num_all_shifts = 0;  // num_neg_shifts + bank length
  int window_width = 0;    // width figure of the coverage threshold
  int *hist = nullptr;     // entry num_neg_shifts + s counts diagonal s (bank pos - part pos)

  HistValue() = default;
  HistValue(const HistValue &) = delete;
  HistValue &operator=(const HistValue &) = delete;
  ~HistValue() { delete[] hist; }
};

// Abstract lookup table of one query part.
class Looking_table {
 public:
  const AA_groups *colors;  // letter groups of the part; borrowed
  int segm_length;          // letters in the part
  int w_width;              // largest gap, or letters after the first of a word; <= segm_length - 1

  // w_width = win_width, or length - 1 when win_width >= length.
  Looking_table(const AA_groups *ag, int length, int win_width);
  Looking_table(const Looking_table &) = delete;
  Looking_table &operator=(const Looking_table &) = delete;

  virtual void print() const {}
  virtual ~Looking_table() {}
  // New histogram of the bank codes sq (group codes capped at num_colors). Exit 7 when the
  // record cannot be had.
  virtual HistValue *CountHist(const unsigned char *sq, int cur_length) const = 0;
  // The same for cur_width rows of cur_length codes counted into one histogram; null when
  // the table cannot count alignment blocks.
  virtual HistValue *CountHist(const unsigned char *const *sq, int cur_length,
                               int cur_width) const = 0;

  // Width figure the coverage threshold uses (window_width of the histograms).
  virtual int histWidth() const = 0;
  // Adds the counts of bank codes sq into hist (segm_length - 1 + cur_length entries, cleared
  // by the caller). The allocation-free core of CountHist.
  virtual void addCounts(const unsigned char *sq, int cur_length, int *hist) const = 0;
  // Alignment form of addCounts; false (nothing added) when the table has none.
  virtual bool addCounts(const unsigned char *const *sq, int cur_length, int cur_width,
                         int *hist) const = 0;
};

// ---------------------------------------------------------------------------------------------
// Pair tables

struct pair_info {
  int num_entries;  // query positions whose pair has this code pair
  int first_entry;  // index of the first of them in `position`
};

// The letter pairs of one part at one gap.
class Single_table {
 public:
  // Row pointers of the (num_colors + 1)^2 cell block: cell (c1, c2) is info_ptr[c1][c2] for
  // code c1 at p and c2 at p + gap. Row and column num_colors stay empty.
  pair_info **info_ptr;
  // Query positions grouped by code pair, each stored negated (-q).
  int *position;
  const AA_groups *colors;
  int num_colors;
  int length;  // entries of `position`

  // Table of the codes sq (length of them) at gap `split`. Exit 7 when memory runs out.
  Single_table(const AA_groups *ag, const unsigned char *sq, int length, int split);
  Single_table(const Single_table &) = delete;
  Single_table &operator=(const Single_table &) = delete;
  ~Single_table();

  // Listing under the number given (standard output).
  void print(int num) const;
};

// Pair table of a part: one Single_table per gap 1 .. w_width.
class Looking_Single_table : public Looking_table {
 public:
  Single_table **table;  // entry g - 1: gap g; owned

  // Table of the part letters sq (length of them). Exit 7 when memory runs out.
  Looking_Single_table(const AA_groups *ag, const char *sq, int length, int win_width);
  ~Looking_Single_table() override;

  void print() const override;
  HistValue *CountHist(const unsigned char *sq, int cur_length) const override;
  HistValue *CountHist(const unsigned char *const *sq, int cur_length,
                       int cur_width) const override;
  int histWidth() const override { return w_width; }
  void addCounts(const unsigned char *sq, int cur_length, int *hist) const override;
  bool addCounts(const unsigned char *const *sq, int cur_length, int cur_width,
                 int *hist) const override;

  // The stored (negated) positions of the letter pair (a, b) in the gap table at index
  // `split` (gap split + 1), num_entries of them; null and num_entries 0 when a code is not
  // below num_colors or split is out of range.
  const int *get_position(char a, char b, int split, int &num_entries) const;
};

// Sorts pos[0 .. len) stably by the key (sq[p], sq[p + split]), codes as unsigned bytes.
void sort_pairs(int *pos, int len, const unsigned char *sq, int split);

// ---------------------------------------------------------------------------------------------
// Tuple tables

// pow4[k] = 4^k; maskTuple[k] = the 2-bit slot k of a tuple (3 << 2k).
constexpr int pow4[16] = {1,       4,       16,       64,       256,      1024,
                          4096,    16384,   65536,    262144,   1048576,  4194304,
                          16777216, 67108864, 268435456, 1073741824};
constexpr int maskTuple[16] = {3,        12,        48,        192,       768,       3072,
                               12288,    49152,     196608,    786432,    3145728,   12582912,
                               50331648, 201326592, 805306368, (int)3221225472u};

// A neighbour mask and its number of coinciding letters.
struct KnmValue {
  int tuple;
  int value;
};

// Words of n letters over 4 letters that agree with a given word in at least m places
// (0 <= m <= n).
int getKnm(int n, int m);
// The tuple of the first N codes of sq, 2 bits per code, the first code highest; 0 for N <= 0.
int makeTuple(const unsigned char *sq, int N);

// Near-match tuple table of a part for words of N = winWidth + 1 letters: the list of tuple t
// holds, for every query word agreeing with t in its first letter and in at least M letters,
// the pair (coinciding letters - 1, segm_length - 1 - word start), in increasing shift order.
// T is the list entry type, the narrowest that holds the part's values.
template <class T>
class KnmSingle_table : public Looking_table {
 public:
  int N;             // letters per word, winWidth + 1 (1 .. 15)
  int M;             // least coinciding letters, 1 .. N
  uint32_t *enter;   // pow4[N] list heads, offsets into lt
  T *lt;             // all lists packed: count, then (value, shift) pairs; entry 0 = empty list
  int lt_size;       // entries of lt

  // Table of the part letters _sq (length of them) for _N = winWidth and _M = coiNum. Exit 7
  // when memory runs out.
  KnmSingle_table(const AA_groups *ag, const char *_sq, int length, int _N, int _M);
  ~KnmSingle_table() override;

  HistValue *CountHist(const unsigned char *sq, int cur_length) const override;
  // Tuple tables count no alignment blocks: null.
  HistValue *CountHist(const unsigned char *const *, int, int) const override { return nullptr; }
  int histWidth() const override { return N; }
  void addCounts(const unsigned char *sq, int cur_length, int *hist) const override;
  bool addCounts(const unsigned char *const *, int, int, int *) const override { return false; }

 protected:
  // For the merge table, which fills the fields itself.
  KnmSingle_table(const AA_groups *ag, int length, int _N, int _M, bool);
};

// Table for words of N + stringsAdd letters built from the tuple table of the same part: the
// list of a long tuple sums the pairs of its stringsAdd + 1 windows, shifts offset by the
// window's place, zero sums dropped. Counting walks the bank in steps of stringsAdd + 1.
template <class T>
class KnmSingle_table_Merge : public KnmSingle_table<T> {
 public:
  int stringsAdd;

  KnmSingle_table_Merge(const AA_groups *ag, const char *sq, int length, int _N, int _M,
                        int _stringsAdd);

  using KnmSingle_table<T>::CountHist;
  using KnmSingle_table<T>::addCounts;

  HistValue *CountHist(const unsigned char *sq, int cur_length) const override;
  void addCounts(const unsigned char *sq, int cur_length, int *hist) const override;
};

extern template class KnmSingle_table<unsigned char>;
extern template class KnmSingle_table<unsigned short>;
extern template class KnmSingle_table<unsigned int>;
extern template class KnmSingle_table_Merge<unsigned char>;
extern template class KnmSingle_table_Merge<unsigned short>;
extern template class KnmSingle_table_Merge<unsigned int>;

// ---------------------------------------------------------------------------------------------
// Free counting loops

// The counting loop of the pair tables over window_width gap tables into the caller's hist,
// which it neither allocates nor clears; bank codes above a table's num_colors count as it.
void CountHist(int window_width, int cur_length, int num_neg_shifts,
               Single_table *const *table, const unsigned char *sq, int *hist);

// Counting over per-tuple lists of (value, position) pairs ended by a value 0 (a null list
// is empty): every bank word i adds the values of its tuple's list to hist[i + position].
void CountHist(unsigned int *const *enter, int N, const unsigned char *sq, int cur_length,
               int *hist);
