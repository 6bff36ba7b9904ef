// The pair tables of the parts of a query division merged into one table, counted against a
// bank sequence in one pass.
#pragma once

#include <cstdint>
#include <vector>

#include "ltable.h"

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
