// Diagonal counts of one pair-table part against a bank sequence, in bit planes.
#pragma once

#include <cstdint>
#include <vector>

#include "vector_form.h"

// Order key of a diagonal among the candidates of a part: larger is better (higher count,
// then smaller index).
inline uint64_t diagonalKey(int count, int index) {
  return (uint64_t)((uint32_t)count ^ 0x80000000u) << 32 | (uint32_t)~(uint32_t)index;
}

// What the wide forms of DiagonalBits need: the bank rows, the count planes (windows up to 8),
// the read-out of the counts; kWideDiagonalBits all of them.
constexpr unsigned kWideBankRows = kCpuAvx512f | kCpuAvx512bw;
constexpr unsigned kWidePlanes = kCpuAvx512f | kCpuAvx512vl | kCpuAvx512vbmi2;
constexpr unsigned kWideReadOut = kCpuAvx512f | kCpuAvx512bw | kCpuAvx512bitalg | kCpuBmi2;
constexpr unsigned kWideDiagonalBits = kWideBankRows | kWidePlanes | kWideReadOut;

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
  // is the length of the longest part that will be counted against it. The wide form sets the
  // same rows.
  void setBank(const unsigned char *codes, int n, int numColors, int longest,
               VectorForm form = VectorForm::Wide);
  // Appends, in increasing diagonal order, diagonalKey(count, k) of every diagonal k
  // (0 .. L - 2 + n) of the part whose count reaches threshold (at least 1). The part's codes
  // are those of its pair table; W its window width. The wide forms (planes, read-out) give
  // the same counts.
  void candidates(const unsigned char *partCodes, int L, int W, int threshold,
                  std::vector<uint64_t> &out, VectorForm form = VectorForm::Wide);

 private:
  std::vector<uint64_t> rows_;  // numColors + 1 rows of rowLen_ words, the last one empty
  std::vector<uint64_t> planes_;
  int numColors_ = 0, n_ = 0, pad_ = 0, rowLen_ = 0, longest_ = 0;
};
