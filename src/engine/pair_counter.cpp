// The pair tables of all parts of a query division merged into one, so that one pass over a
// bank sequence counts the diagonals of every part.
#include "pair_counter.h"

#include <algorithm>
#include <climits>
#include <new>

#include "errormsg.h"

PairCounter *PairCounter::make(Looking_table *const *tables, int numParts) {
  const AA_groups *ag = nullptr;
  int maxGap = 0, longest = 0;
  for (int i = 0; i < numParts; i++) {
    const auto *t = dynamic_cast<const Looking_Single_table *>(tables[i]);
    if (!t || (ag && t->colors != ag)) return nullptr;
    ag = t->colors;
    maxGap = std::max(maxGap, t->w_width);
    longest = std::max(longest, t->segm_length);
  }
  const int columns = numParts;
  // Interleaved entries must stay within int.
  if ((long long)longest * columns >= INT32_MAX / 2) return nullptr;
  PairCounter *pc = allocObject<PairCounter>();
  pc->numParts = numParts;
  pc->columns = columns;
  pc->maxGap = maxGap;
  pc->stride = ag->num_colors + 1;
  pc->longest = longest;
  const size_t plane = (size_t)pc->stride * (size_t)pc->stride;
  const size_t cells = plane * (size_t)maxGap;
  std::vector<uint32_t> used(cells, 0);
  auto cellOf = [&](int g, int c1, int c2) {
    return (size_t)(g - 1) * plane + (size_t)c1 * pc->stride + (size_t)c2;
  };
  // Two passes: the sizes, then the entries of each merged cell.
  for (int pass = 0; pass < 2; pass++) {
    for (int i = 0; i < numParts; i++) {
      const auto *t = static_cast<const Looking_Single_table *>(tables[i]);
      for (int g = 1; g <= t->w_width; g++) {
        const Single_table *st = t->table[g - 1];
        const int nc = st->num_colors;
        for (int c1 = 0; c1 < nc; c1++)
          for (int c2 = 0; c2 < nc; c2++) {
            const pair_info &cell = st->info_ptr[c1][c2];
            if (!cell.num_entries) continue;
            const size_t at = cellOf(g, c1, c2);
            if (pass == 0) {
              used[at] += (uint32_t)cell.num_entries;
              continue;
            }
            uint32_t *out = pc->entry.data() + pc->cellStart[pc->cellId[at]] + used[at];
            for (int k = 0; k < cell.num_entries; k++) {
              const int q = -st->position[cell.first_entry + k];
              out[k] = (uint32_t)((t->segm_length - 1 - q) * columns + i);
            }
            used[at] += (uint32_t)cell.num_entries;
          }
      }
    }
    if (pass == 0) {
      // Cells numbered by their number of entries: counting then meets cells of one size in
      // a row, and the branches on that size predict well.
      std::vector<uint32_t> order;
      for (size_t c = 0; c < cells; c++)
        if (used[c]) order.push_back((uint32_t)c);
      std::stable_sort(order.begin(), order.end(),
                       [&](uint32_t a, uint32_t b) { return used[a] < used[b]; });
      pc->numCells = (uint32_t)order.size();
      pc->cellId.assign(cells, pc->numCells);
      pc->cellStart.assign(1, 0);
      uint64_t total = 0;
      for (uint32_t c : order) {
        pc->cellId[c] = (uint32_t)pc->cellStart.size() - 1;
        total += used[c];
        if (total > UINT32_MAX) noRoom((long long)(total * sizeof(uint32_t)));
        pc->cellStart.push_back((uint32_t)total);
      }
      pc->entry.assign((size_t)total, 0);
      std::fill(used.begin(), used.end(), 0);
    }
  }
  return pc;
}

namespace {

// Every position of bucket [b, bend) adds one at each of the M entries e: the entries are
// read once and the inner loop has a fixed length.
template <int M>
void countCell(int *hist, size_t cols, const uint32_t *b, const uint32_t *bend,
               const uint32_t *e) {
  uint32_t r[M];
  for (int k = 0; k < M; k++) r[k] = e[k];
  for (; b < bend; ++b) {
    int *h = hist + (size_t)*b * cols;
    for (int k = 0; k < M; k++) h[r[k]]++;
  }
}

void countCellAny(int *hist, size_t cols, const uint32_t *b, const uint32_t *bend,
                  const uint32_t *e, uint32_t m) {
  for (; m >= 8; m -= 8, e += 8) countCell<8>(hist, cols, b, bend, e);
  switch (m) {
    case 7: countCell<7>(hist, cols, b, bend, e); break;
    case 6: countCell<6>(hist, cols, b, bend, e); break;
    case 5: countCell<5>(hist, cols, b, bend, e); break;
    case 4: countCell<4>(hist, cols, b, bend, e); break;
    case 3: countCell<3>(hist, cols, b, bend, e); break;
    case 2: countCell<2>(hist, cols, b, bend, e); break;
    case 1: countCell<1>(hist, cols, b, bend, e); break;
    default: break;
  }
}

}  // namespace

void PairCounter::count(const unsigned char *sq, int cur_length, int *hist,
                        Workspace &ws) const {
  if (cur_length < 2 || numCells == 0) return;
  const size_t plane = (size_t)stride * (size_t)stride;
  const unsigned top = (unsigned)stride - 1;
  const uint32_t *ids = cellId.data();
  const size_t pairsMax = (size_t)(cur_length - 1) * (size_t)maxGap;
  if (ws.hit.size() < pairsMax) ws.hit.resize(pairsMax);
  if (ws.bucket.size() < pairsMax) ws.bucket.resize(pairsMax);
  ws.bound.assign((size_t)numCells + 2, 0);
  uint32_t *hit = ws.hit.data();
  uint32_t *bound = ws.bound.data();

  // The cell of every (position, gap) and the size of every cell's bucket.
  size_t n = 0;
  for (int p = 0; p + 1 < cur_length; p++) {
    const int gmax = std::min(maxGap, cur_length - 1 - p);
    const uint32_t *row = ids + (size_t)std::min((unsigned)sq[p], top) * (size_t)stride;
    for (int g = 1; g <= gmax; g++, row += plane) {
      const uint32_t id = row[std::min((unsigned)sq[p + g], top)];
      hit[n++] = id;
      bound[id + 1]++;
    }
  }
  for (uint32_t c = 1; c <= numCells + 1; c++) bound[c] += bound[c - 1];
  // Positions into their buckets; bound[c] then ends bucket c.
  uint32_t *bucket = ws.bucket.data();
  n = 0;
  for (int p = 0; p + 1 < cur_length; p++) {
    const int gmax = std::min(maxGap, cur_length - 1 - p);
    for (int g = 1; g <= gmax; g++) bucket[bound[hit[n++]]++] = (uint32_t)p;
  }

  const size_t cols = (size_t)columns;
  const uint32_t *en = entry.data();
  const uint32_t *cs = cellStart.data();
  uint32_t from = 0;
  for (uint32_t c = 0; c < numCells; c++) {
    const uint32_t to = bound[c];
    if (to != from)
      countCellAny(hist, cols, bucket + from, bucket + to, en + cs[c], cs[c + 1] - cs[c]);
    from = to;
  }
}
