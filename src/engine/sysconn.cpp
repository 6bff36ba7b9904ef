// Query division, shift histograms and the walk over parts and shifts.
//
// Contents, in order:
//   Division_generator   the parts of a query frame and their lookup tables, the coverage
//                        threshold and the coding of bank letters
//   Shift_histogram      the best diagonals of a part, by heap or by rank (plain and AVX-512)
//   Seq_division         the walk over parts and shifts against one bank sequence: bit planes,
//                        the merged pair tables, or the part's own table
#include "sysconn.h"

#include <algorithm>
#include <climits>
#include <new>

#include "alibase.h"
#include "intrin.h"
#include "inv_sqrt.h"
#include "params.h"

// ---------------------------------------------------------------- Division_generator

int Division_parameters::longestPart() const {
  int m = 0;
  for (int i = 0; i < numParts; i++) m = std::max(m, length[i]);
  return m;
}

Division_generator::Division_generator(const AA_groups *ag, const BankSeq *ws, int winWidth,
                                       int coiNum, int partSize, int useLtable, int lenThres,
                                       int stringsAdd) {
  query = ws;
  const int L = ws && ws->len() > 0 ? ws->len() : 0;
  // A part size below 1 would divide by zero or never end the cut.
  const int P = partSize < 1 ? 1 : partSize;
  numParts = L == 0 ? 0 : (L < P ? 1 : L / P);
  left = allocArray<int>(numParts, true);
  length = allocArray<int>(numParts, true);
  l_table = useLtable ? allocArray<Looking_table *>(numParts, true) : nullptr;

  int pos = 0, rest = L;
  for (int i = 0; rest > 0 && i < numParts; i++) {
    left[i] = pos;
    if (rest < 2 * (long long)P) {
      length[i] = rest;
      rest = 0;
    } else {
      // An inner part reaches lenThres letters into the next one, never past the query.
      long long len = (long long)P + lenThres;
      length[i] = (int)std::max(1LL, std::min(len, (long long)rest));
      pos += P;
      rest -= P;
    }
    if (l_table)
      l_table[i] = Create_Looking_table(ag, ws->seq() + left[i], length[i], winWidth, coiNum,
                                        stringsAdd);
  }
  if (l_table && numParts > 0) pairs = PairCounter::make(l_table, numParts);
}


Division_generator::~Division_generator() {
  delete pairs;
  if (l_table)
    for (int i = 0; i < numParts; i++) delete l_table[i];
  delete[] l_table;
  delete[] left;
  delete[] length;
}

namespace {

template <template <class> class Table, class... Args>
Looking_table *newTable(int kind, Args... args) {
  if (kind == 0) return allocObject<Table<unsigned char>>(args...);
  if (kind == 1) return allocObject<Table<unsigned short>>(args...);
  return allocObject<Table<unsigned int>>(args...);
}

}  // namespace

Looking_table *Division_generator::Create_Looking_table(const AA_groups *ag, const char *seq,
                                                        int part_length, int winWidth,
                                                        int coiNum, int stringsAdd) {
  if (coiNum == 0 || ag->num_colors > 5) {
    return allocObject<Looking_Single_table>(ag, seq, part_length, winWidth);
  }
  if (stringsAdd <= 0) {
    const int kind = part_length <= 255 ? 0 : (part_length <= 65535 ? 1 : 2);
    return newTable<KnmSingle_table>(kind, ag, seq, part_length, winWidth, coiNum);
  }
  // Merged lists hold shifts up to part_length - 1 + stringsAdd: the entry type must hold them.
  const long long top = (long long)part_length + stringsAdd;
  const int kind = top <= 255 ? 0 : (top <= 65535 ? 1 : 2);
  return newTable<KnmSingle_table_Merge>(kind, ag, seq, part_length, winWidth, coiNum,
                                         stringsAdd);
}

int coverageThreshold(double coincidence_ratio, int window_width, int segm_length) {
  return scaleToInt(coincidence_ratio, window_width, segm_length);
}

void codeLetters(const AA_groups *ag, const char *sq, int len, unsigned char *codes) {
  const int nc = ag->num_colors;
  translateBytes(ag->classes(), sq, len, codes,
                 (unsigned char)(nc < 0 ? 0 : nc > 255 ? 255 : nc));
}

// ---------------------------------------------------------------------------------------------
// Shift_histogram

namespace {

void rankKeysPlain(const uint64_t *cand, size_t n, size_t want, int numNeg, int *out) {
  for (size_t j = 0; j < n; j++) {
    size_t rank = 0;
    for (size_t i = 0; i < n; i++) rank += cand[i] > cand[j];
    if (rank < want) out[rank] = (int)~(uint32_t)cand[j] - numNeg;
  }
}

#if SEQ_VECTOR
__attribute__((target("avx512f"))) void rankKeysAvx512(const uint64_t *cand, size_t n,
                                                       size_t want, int numNeg, int *out) {
  for (size_t j = 0; j < n; j++) {
    const __m512i key = _mm512_set1_epi64((long long)cand[j]);
    int rank = 0;
    for (size_t i = 0; i < n; i += 8) {
      const __mmask8 in = n - i >= 8 ? (__mmask8)0xFF : (__mmask8)((1u << (n - i)) - 1);
      const __m512i v = _mm512_maskz_loadu_epi64(in, cand + i);
      rank += __builtin_popcount(_mm512_mask_cmpgt_epu64_mask(in, v, key));
    }
    if ((size_t)rank < want) out[rank] = (int)~(uint32_t)cand[j] - numNeg;
  }
}
#endif

}  // namespace

void rankKeys(const uint64_t *cand, size_t n, size_t want, int numNeg, int *out,
              VectorForm form) {
#if SEQ_VECTOR
  if (useWide(form, kWideRankKeys)) {
    rankKeysAvx512(cand, n, want, numNeg, out);
    return;
  }
#endif
  (void)form;
  rankKeysPlain(cand, n, want, numNeg, out);
}

void Shift_histogram::select(const int *hist, int num_neg_shifts, int num_all_shifts,
                             int threshold, int max_num_shifts, std::vector<uint64_t> &heap,
                             int stride) {
  // First the diagonals that reach the threshold, without a branch on each count (most miss
  // it, unpredictably); the front of `heap` holds them in index order.
  const size_t step = (size_t)stride;
  const size_t all = num_all_shifts > 0 ? (size_t)num_all_shifts : 0;
  if (heap.size() < all + 1) heap.resize(all + 1);
  uint64_t *cand = heap.data();
  size_t n = 0;
  for (size_t i = 0; i < all; i++) {
    const int c = hist[i * step];
    cand[n] = key(c, (int)i);
    n += c >= threshold;
  }
  selectKeys(cand, n, num_neg_shifts, num_all_shifts, max_num_shifts);
}

void Shift_histogram::selectKeys(uint64_t *cand, size_t n, int num_neg_shifts,
                                 int num_all_shifts, int max_num_shifts) {
  if (max_num_shifts < 1) max_num_shifts = 1;
  const int cap = std::max(1, std::min(max_num_shifts, num_all_shifts));
  if (cap > capacity_) {
    delete[] shift_value;
    shift_value = allocArray<int>(cap, true);
    capacity_ = cap;
  }
  num_shifts = 0;
  cur_shift = 0;
  // The kept diagonals are the first ones of the order (count descending, index ascending)
  // among those that reach the threshold: the incremental rule (a newcomer of equal count
  // never displaces a kept one) keeps exactly those. The kept ones form a min-heap at the
  // front (its worst at the top), behind which the candidates not yet read still lie.
  const size_t want = (size_t)cap;
  size_t kept = 0;
  if (n <= 64) {
    // Few candidates: each one's place is the number of better ones (the keys are distinct),
    // counted without a branch.
    rankKeys(cand, n, want, num_neg_shifts, shift_value);
    num_shifts = (int)std::min(n, want);
    return;
  }
  for (size_t j = 0; j < n; j++) {
    const uint64_t k = cand[j];
    if (kept < want) {
      cand[kept++] = k;
      std::push_heap(cand, cand + kept, std::greater<uint64_t>());
    } else if (k > cand[0]) {
      std::pop_heap(cand, cand + kept, std::greater<uint64_t>());
      cand[kept - 1] = k;
      std::push_heap(cand, cand + kept, std::greater<uint64_t>());
    }
  }
  std::sort(cand, cand + kept, std::greater<uint64_t>());
  for (size_t j = 0; j < kept; j++) {
    const int index = (int)~(uint32_t)cand[j];
    shift_value[num_shifts++] = index - num_neg_shifts;
  }
}

namespace {

void fromHistValue(Shift_histogram &sh, const Looking_table *table, HistValue *hv,
                   double coincidence_ratio, int max_num_shifts) {
  std::vector<uint64_t> heap;
  if (!hv) {  // the table counts no alignment blocks
    sh.select(nullptr, 0, 0, 0, max_num_shifts, heap);
    return;
  }
  const int thr = coverageThreshold(coincidence_ratio, hv->window_width, table->segm_length);
  sh.select(hv->hist, hv->num_neg_shifts, hv->num_all_shifts, thr, max_num_shifts, heap);
  delete hv;
}

}  // namespace

Shift_histogram::Shift_histogram(const Looking_table *init_table, const char *cur_sq,
                                 int cur_length, double coincidence_ratio, int max_num_shifts) {
  if (cur_length < 0) cur_length = 0;
  std::vector<unsigned char> codes((size_t)cur_length);
  codeLetters(init_table->colors, cur_sq, cur_length, codes.data());
  fromHistValue(*this, init_table, init_table->CountHist(codes.data(), cur_length),
                coincidence_ratio, max_num_shifts);
}

Shift_histogram::Shift_histogram(const Looking_table *init_table, const char *const *cur_sq,
                                 int cur_length, int cur_width, double coincidence_ratio,
                                 int max_num_shifts) {
  if (cur_length < 0) cur_length = 0;
  if (cur_width < 0) cur_width = 0;
  std::vector<unsigned char> codes((size_t)cur_length * (size_t)cur_width);
  std::vector<const unsigned char *> rows((size_t)cur_width);
  for (int r = 0; r < cur_width; r++) {
    unsigned char *row = codes.data() + (size_t)r * (size_t)cur_length;
    codeLetters(init_table->colors, cur_sq[r], cur_length, row);
    rows[(size_t)r] = row;
  }
  fromHistValue(*this, init_table, init_table->CountHist(rows.data(), cur_length, cur_width),
                coincidence_ratio, max_num_shifts);
}

int Shift_histogram::get_shift(int &shift) {
  if (cur_shift >= num_shifts) return 0;
  shift = shift_value[cur_shift++];
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Seq_division

Seq_division::Seq_division(const Division_parameters &parameters)
    : Division_parameters(parameters) {}

void Seq_division::init(const BankSeq &b) {
  mergedDone_ = false;
  bitsReady_ = false;
  curPart = -1;
  hist = nullptr;
  bank = &b;
  alig = nullptr;
  coded_ = false;
}

void Seq_division::init(const WorkAli &ali) {
  mergedDone_ = false;
  bitsReady_ = false;
  curPart = -1;
  hist = nullptr;
  bank = nullptr;
  alig = &ali;
  coded_ = false;
}

int Seq_division::nextPart(double coincRatio, int maxShifts) {
  if (curPart < numParts) curPart++;
  hist = nullptr;
  if (curPart >= numParts || !l_table || !l_table[curPart] || (!bank && !alig)) return 0;
  const Looking_table *table = l_table[curPart];

  // Every part of a frame shares its letter groups: the bank is coded once per walk.
  const int width = bank ? 1 : alig->nSeq;
  const int B = bank ? std::max(bank->len(), 0) : alig->len;
  if (!coded_ || codedFor_ != table->colors) {
    codes_.resize((size_t)B * (size_t)width);
    rows_.resize((size_t)width);
    for (int r = 0; r < width; r++) {
      unsigned char *row = codes_.data() + (size_t)r * (size_t)B;
      codeLetters(table->colors, bank ? bank->seq() : alig->ali[r], B, row);
      rows_[(size_t)r] = row;
    }
    codedFor_ = table->colors;
    coded_ = true;
  }

  const int num_all = table->segm_length - 1 + B;
  // Pair tables are counted in bit planes when the threshold leaves out the zero counts.
  const auto *pt = bank ? dynamic_cast<const Looking_Single_table *>(table) : nullptr;
  if (pt && query && DiagonalBits::serves(pt->segm_length, pt->w_width)) {
    // The threshold of each part, worked out once per ratio (every bank sequence asks again).
    if (thrRatio_ != coincRatio || thrOf_.size() != (size_t)numParts) {
      thrOf_.assign((size_t)numParts, INT_MIN);
      thrRatio_ = coincRatio;
    }
    int &thr = thrOf_[(size_t)curPart];
    if (thr == INT_MIN) thr = coverageThreshold(coincRatio, table->histWidth(), table->segm_length);
    if (thr >= 1) {
      const AA_groups *ag = table->colors;
      if (queryCodedFor_ != ag) {
        const int ql = std::max(query->len(), 0);
        queryCodes_.resize((size_t)ql);
        for (int k = 0; k < ql; k++) queryCodes_[(size_t)k] = ag->ord((unsigned char)query->seq()[k]);
        queryCodedFor_ = ag;
      }
      if (!bitsReady_) {
        bits_.setBank(codes_.data(), B, ag->num_colors, longestPart());
        bitsReady_ = true;
      }
      keys_.clear();
      bits_.candidates(queryCodes_.data() + left[curPart], pt->segm_length, pt->w_width, thr,
                       keys_);
      shifts_.selectKeys(keys_.data(), keys_.size(), table->segm_length - 1, num_all,
                         maxShifts);
      hist = &shifts_;
      return 1;
    }
  }
  bool counted = true;
  // All parts at once when the merged table serves and its histograms stay small.
  const long long mergedSize = pairs && bank ? pairs->histSize(B) : 0;
  if (mergedSize > 0 && mergedSize <= (1LL << 22)) {
    if (!mergedDone_) {
      merged_.assign((size_t)mergedSize, 0);
      pairs->count(codes_.data(), B, merged_.data(), pairWork_);
      mergedDone_ = true;
    }
    // The part's diagonals are read in place, every numParts-th entry.
    const int thr = coverageThreshold(coincRatio, table->histWidth(), table->segm_length);
    shifts_.select(merged_.data() + curPart, table->segm_length - 1, num_all, thr, maxShifts,
                   heap_, pairs->columns);
    hist = &shifts_;
    return 1;
  } else if (bank) {
    histBuf_.assign((size_t)std::max(num_all, 1), 0);
    table->addCounts(codes_.data(), B, histBuf_.data());
  } else {
    histBuf_.assign((size_t)std::max(num_all, 1), 0);
    counted = table->addCounts(rows_.data(), B, width, histBuf_.data());
  }
  if (counted) {
    const int thr = coverageThreshold(coincRatio, table->histWidth(), table->segm_length);
    shifts_.select(histBuf_.data(), table->segm_length - 1, num_all, thr, maxShifts, heap_);
  } else {
    shifts_.select(nullptr, 0, 0, 0, maxShifts, heap_);
  }
  hist = &shifts_;
  return 1;
}

int Seq_division::nextShift(int &ishCurr, int &ishBank, int &len) {
  int s;
  if (!hist || !hist->get_shift(s)) return 0;
  int a = length[curPart];
  const int B = bank ? std::max(bank->len(), 0) : alig->len;
  const int over = std::max(s + a - B, 0);
  if (s < 0) a += s;
  len = std::max(a - over, 0);
  ishCurr = left[curPart] + std::max(-s, 0);
  ishBank = std::max(s, 0);
  return 1;
}

int Seq_division::nextShift(int &ishCurr, BankSeq &shCurr, int &ishBank, BankSeq &shBank) {
  int len;
  if (!nextShift(ishCurr, ishBank, len)) return 0;
  shCurr.set(query->seq() + ishCurr, len);
  if (bank) shBank.set(bank->seq() + ishBank, len);
  return 1;
}

