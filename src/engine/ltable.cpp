// Pair and tuple lookup tables: building them from a query part and counting a bank
// sequence against them.
//
// Contents, in order:
//   histograms           the HistValue record and the abstract table
//   Pair tables          Single_table per gap, Looking_Single_table per part
//   Tuple tables         near-match tuple lists, plain and merged over longer words
//   Free counting loops  the inner counting loops of both kinds
#include "ltable.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

// ---------------------------------------------------------------- histograms

namespace {

HistValue *newHist(int segm_length, int cur_length, int window_width) {
  HistValue *h = allocObject<HistValue>();
  h->num_neg_shifts = segm_length - 1;
  h->num_all_shifts = h->num_neg_shifts + (cur_length > 0 ? cur_length : 0);
  h->window_width = window_width;
  h->hist = allocArray<int>(h->num_all_shifts, true);
  return h;
}

}  // namespace

Looking_table::Looking_table(const AA_groups *ag, int length, int win_width)
    : colors(ag), segm_length(length), w_width(win_width >= length ? length - 1 : win_width) {
  if (w_width < 0) w_width = 0;
}

// ---------------------------------------------------------------------------------------------
// Pair tables

void sort_pairs(int *pos, int len, const unsigned char *sq, int split) {
  if (len <= 1) return;
  // A stable sort leaves the one order by (key, input order) that the bubble passes give.
  std::stable_sort(pos, pos + len, [sq, split](int a, int b) {
    unsigned ka = (unsigned)sq[a] << 8 | sq[a + split];
    unsigned kb = (unsigned)sq[b] << 8 | sq[b + split];
    return ka < kb;
  });
}

Single_table::Single_table(const AA_groups *ag, const unsigned char *sq, int _length, int split)
    : colors(ag), num_colors(ag->num_colors), length(_length < 0 ? 0 : _length) {
  const int nc = num_colors;
  const int stride = nc + 1;
  pair_info *cells = allocArray<pair_info>((long long)stride * stride, true);
  info_ptr = allocArray<pair_info *>(stride, true);
  for (int c = 0; c < stride; c++) info_ptr[c] = cells + (long long)c * stride;

  position = allocArray<int>(length, true);
  for (int k = 0; k < length; k++) position[k] = k;
  const int n = split > 0 && split < length ? length - split : 0;
  sort_pairs(position, n, sq, split);

  for (int k = 0; k < n;) {
    const int p = position[k];
    const unsigned c1 = sq[p], c2 = sq[p + split];
    int e = k + 1;
    while (e < n && sq[position[e]] == c1 && sq[position[e] + split] == c2) e++;
    if ((int)c1 < nc && (int)c2 < nc) {
      info_ptr[c1][c2].num_entries = e - k;
      info_ptr[c1][c2].first_entry = k;
    }
    k = e;
  }
  for (int k = 0; k < length; k++) position[k] = -position[k];
}

Single_table::~Single_table() {
  delete[] info_ptr[0];
  delete[] info_ptr;
  delete[] position;
}

void Single_table::print(int num) const {
  printf("\n Single number %3d", num);
  for (int c1 = 0; c1 < num_colors; c1++)
    for (int c2 = 0; c2 < num_colors; c2++) {
      const pair_info &cell = info_ptr[c1][c2];
      if (!cell.num_entries) continue;
      printf("\n Colors: %d %d  %3d entries\n", c1, c2, cell.num_entries);
      for (int k = 0; k < cell.num_entries; k++) printf(" %3d", position[cell.first_entry + k]);
    }
}

Looking_Single_table::Looking_Single_table(const AA_groups *ag, const char *sq, int length,
                                           int win_width)
    : Looking_table(ag, length, win_width), table(nullptr) {
  std::vector<unsigned char> codes((size_t)(length > 0 ? length : 0));
  for (int i = 0; i < length; i++) codes[(size_t)i] = ag->ord((unsigned char)sq[i]);
  table = allocArray<Single_table *>(w_width, true);
  for (int g = 1; g <= w_width; g++) {
    table[g - 1] = allocObject<Single_table>(ag, codes.data(), length, g);
  }
}

Looking_Single_table::~Looking_Single_table() {
  for (int g = 0; g < w_width; g++) delete table[g];
  delete[] table;
}

void Looking_Single_table::print() const {
  for (int g = 0; g < w_width; g++) table[g]->print(g);
}

void Looking_Single_table::addCounts(const unsigned char *sq, int cur_length, int *hist) const {
  ::CountHist(w_width, cur_length, segm_length - 1, table, sq, hist);
}

bool Looking_Single_table::addCounts(const unsigned char *const *sq, int cur_length,
                                     int cur_width, int *hist) const {
  for (int r = 0; r < cur_width; r++) ::CountHist(w_width, cur_length, segm_length - 1, table, sq[r], hist);
  return true;
}

HistValue *Looking_Single_table::CountHist(const unsigned char *sq, int cur_length) const {
  HistValue *h = newHist(segm_length, cur_length, w_width);
  addCounts(sq, cur_length, h->hist);
  return h;
}

HistValue *Looking_Single_table::CountHist(const unsigned char *const *sq, int cur_length,
                                           int cur_width) const {
  HistValue *h = newHist(segm_length, cur_length, w_width);
  addCounts(sq, cur_length, cur_width, h->hist);
  return h;
}

const int *Looking_Single_table::get_position(char a, char b, int split, int &num_entries) const {
  num_entries = 0;
  if (split < 0 || split >= w_width) return nullptr;
  const unsigned c1 = colors->ord((unsigned char)a), c2 = colors->ord((unsigned char)b);
  const Single_table *t = table[split];
  if ((int)c1 >= t->num_colors || (int)c2 >= t->num_colors) return nullptr;
  const pair_info &cell = t->info_ptr[c1][c2];
  num_entries = cell.num_entries;
  return t->position + cell.first_entry;
}

// ---------------------------------------------------------------------------------------------
// Tuple tables

int getKnm(int n, int m) {
  if (n == m) return 1;
  if (m > n) return 0;  // no word agrees in more places than it has letters
  if (m <= 0) return pow4[n < 0 ? 0 : (n > 15 ? 15 : n)];
  return getKnm(n - 1, m - 1) + 3 * getKnm(n - 1, m);
}

int makeTuple(const unsigned char *sq, int N) {
  unsigned t = 0;
  for (int i = 0; i < N; i++) t = 4 * t + (sq[i] & 3u);
  return (int)t;
}

template <class T>
KnmSingle_table<T>::KnmSingle_table(const AA_groups *ag, int length, int _N, int _M, bool)
    : Looking_table(ag, length, _N), enter(nullptr), lt(nullptr), lt_size(0) {
  // Words beyond 15 letters would leave the 32-bit tuple; the parameters allow at most 8.
  N = _N + 1 < 1 ? 1 : (_N + 1 > 15 ? 15 : _N + 1);
  M = _M < 1 ? 1 : _M;
  if (M > N) M = N;
}

template <class T>
KnmSingle_table<T>::KnmSingle_table(const AA_groups *ag, const char *_sq, int length, int _N,
                                    int _M)
    : KnmSingle_table(ag, length, _N, _M, true) {
  const int numTuples = pow4[N];
  std::vector<unsigned char> code((size_t)(length > 0 ? length : 0));
  for (int i = 0; i < length; i++) code[(size_t)i] = ag->ord((unsigned char)_sq[i]) & 3;

  std::vector<KnmValue> masks;
  for (int x = pow4[N - 1] - 1; x >= 0; x--) {
    int c = 0;
    for (int k = 0; k < N; k++)
      if (!(x & maskTuple[k])) c++;
    if (c >= M) masks.push_back({x, c});
  }

  // Two passes over the query words, counting and then filling, so that the lists are
  // packed at their exact size. Words are taken from the last start down, so the shifts of a
  // list increase.
  const int numWords = length >= N ? length - N + 1 : 0;
  std::vector<uint32_t> cursor((size_t)numTuples, 0);
  auto forEachWord = [&](auto &&visit) {
    if (!numWords) return;
    unsigned t = (unsigned)makeTuple(code.data() + (length - N), N);
    for (int i = length - N;; i--) {
      visit(t, length - 1 - i);
      if (i == 0) break;
      t = code[(size_t)i - 1] * (unsigned)pow4[N - 1] + (t >> 2);
    }
  };
  forEachWord([&](unsigned t, int) {
    for (const KnmValue &m : masks) cursor[t ^ (unsigned)m.tuple]++;
  });

  enter = allocArray<uint32_t>(numTuples, true);
  long long used = 1;
  for (int t = 0; t < numTuples; t++) {
    if (!cursor[(size_t)t]) continue;
    enter[t] = (uint32_t)used;
    used += 2LL * cursor[(size_t)t] + 1;
  }
  if (used > INT_MAX) noRoom(used * (long long)sizeof(T));
  lt_size = (int)used;
  lt = allocArray<T>(lt_size, true);
  for (int t = 0; t < numTuples; t++) {
    if (!cursor[(size_t)t]) continue;
    lt[enter[t]] = (T)cursor[(size_t)t];
    cursor[(size_t)t] = enter[t] + 1;
  }
  forEachWord([&](unsigned t, int shift) {
    for (const KnmValue &m : masks) {
      uint32_t &at = cursor[t ^ (unsigned)m.tuple];
      lt[at++] = (T)(m.value - 1);
      lt[at++] = (T)shift;
    }
  });
}

template <class T>
KnmSingle_table<T>::~KnmSingle_table() {
  delete[] enter;
  delete[] lt;
}

template <class T>
void KnmSingle_table<T>::addCounts(const unsigned char *sq, int cur_length, int *hist) const {
  if (cur_length < N) return;
  const unsigned mask = (unsigned)pow4[N] - 1;
  unsigned t = (unsigned)makeTuple(sq, N - 1);
  for (int i = 0; i + N <= cur_length; i++) {
    t = ((t << 2) + (sq[i + N - 1] & 3u)) & mask;
    const T *l = lt + enter[t];
    const unsigned c = l[0];
    int *h = hist + i;
    for (unsigned k = 0; k < c; k++) h[l[2 * k + 2]] += l[2 * k + 1];
  }
}

template <class T>
HistValue *KnmSingle_table<T>::CountHist(const unsigned char *sq, int cur_length) const {
  HistValue *h = newHist(segm_length, cur_length, N);
  addCounts(sq, cur_length, h->hist);
  return h;
}

template <class T>
KnmSingle_table_Merge<T>::KnmSingle_table_Merge(const AA_groups *ag, const char *sq, int length,
                                                int _N, int _M, int _stringsAdd)
    : KnmSingle_table<T>(ag, length, _N, _M, true) {
  const int N = this->N;
  stringsAdd = _stringsAdd < 0 ? 0 : _stringsAdd;
  if (N + stringsAdd > 15) stringsAdd = 15 - N;
  const KnmSingle_table<unsigned int> base(ag, sq, length, _N, _M);
  const int L = N + stringsAdd;
  const unsigned baseMask = (unsigned)pow4[N] - 1;
  const int numTuples = pow4[L];

  std::vector<T> out(1, 0);
  std::vector<int> acc((size_t)(length + stringsAdd > 0 ? length + stringsAdd : 1), 0);
  std::vector<int> stamp(acc.size(), -1);
  std::vector<int> touched;
  this->enter = allocArray<uint32_t>(numTuples, true);
  for (int t = 0; t < numTuples; t++) {
    touched.clear();
    for (int j = 0; j <= stringsAdd; j++) {
      const unsigned tj = ((unsigned)t >> (2 * (stringsAdd - j))) & baseMask;
      const unsigned *l = base.lt + base.enter[tj];
      for (unsigned k = 0; k < l[0]; k++) {
        const int s = (int)l[2 * k + 2] + j;
        if (stamp[(size_t)s] != t) {
          stamp[(size_t)s] = t;
          acc[(size_t)s] = 0;
          touched.push_back(s);
        }
        acc[(size_t)s] += (int)l[2 * k + 1];
      }
    }
    std::sort(touched.begin(), touched.end());
    int count = 0;
    for (int s : touched)
      if (acc[(size_t)s]) count++;
    if (!count) continue;
    this->enter[t] = (uint32_t)out.size();
    out.push_back((T)count);
    for (int s : touched)
      if (acc[(size_t)s]) {
        out.push_back((T)acc[(size_t)s]);
        out.push_back((T)s);
      }
  }
  if (out.size() > (size_t)INT_MAX) noRoom((long long)(out.size() * sizeof(T)));
  this->lt_size = (int)out.size();
  this->lt = allocArray<T>(this->lt_size, true);
  std::copy(out.begin(), out.end(), this->lt);
}

template <class T>
void KnmSingle_table_Merge<T>::addCounts(const unsigned char *sq, int cur_length,
                                         int *hist) const {
  const int L = this->N + stringsAdd;
  for (int i = 0; i + L <= cur_length; i += stringsAdd + 1) {
    const T *l = this->lt + this->enter[makeTuple(sq + i, L)];
    const unsigned c = l[0];
    int *h = hist + i;
    for (unsigned k = 0; k < c; k++) h[l[2 * k + 2]] += l[2 * k + 1];
  }
}

template <class T>
HistValue *KnmSingle_table_Merge<T>::CountHist(const unsigned char *sq, int cur_length) const {
  HistValue *h = newHist(this->segm_length, cur_length, this->N);
  addCounts(sq, cur_length, h->hist);
  return h;
}

template class KnmSingle_table<unsigned char>;
template class KnmSingle_table<unsigned short>;
template class KnmSingle_table<unsigned int>;
template class KnmSingle_table_Merge<unsigned char>;
template class KnmSingle_table_Merge<unsigned short>;
template class KnmSingle_table_Merge<unsigned int>;

// ---------------------------------------------------------------------------------------------
// Free counting loops

void CountHist(int window_width, int cur_length, int num_neg_shifts,
               Single_table *const *table, const unsigned char *sq, int *hist) {
  int *h0 = hist + num_neg_shifts;
  for (int g = 1; g <= window_width; g++) {
    const Single_table *st = table[g - 1];
    const unsigned nc = (unsigned)st->num_colors;
    const unsigned stride = nc + 1;
    const pair_info *cells = st->info_ptr[0];
    const int *pos = st->position;
    for (int p = 0; p < cur_length - g; p++) {
      const unsigned c1 = std::min((unsigned)sq[p], nc), c2 = std::min((unsigned)sq[p + g], nc);
      const pair_info &cell = cells[c1 * stride + c2];
      const int *q = pos + cell.first_entry;
      int *h = h0 + p;
      for (int k = 0; k < cell.num_entries; k++) h[q[k]]++;
    }
  }
}

void CountHist(unsigned int *const *enter, int N, const unsigned char *sq, int cur_length,
               int *hist) {
  if (N < 1 || N > 15 || cur_length < N) return;
  const unsigned mask = (unsigned)pow4[N] - 1;
  unsigned t = (unsigned)makeTuple(sq, N - 1);
  for (int i = 0; i + N <= cur_length; i++) {
    t = ((t << 2) + (sq[i + N - 1] & 3u)) & mask;
    const unsigned *l = enter[t];
    if (!l) continue;
    for (; l[0]; l += 2) hist[i + (int)l[1]] += (int)l[0];
  }
}
