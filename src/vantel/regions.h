// Keyword regions along the query and their condensed counts, the translated-frame letters
// of a motif file, and the recount of option S, after which every motif weighs the same
// whatever its length.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// n zeroed ints (one when n is 0); exits 7 when memory runs out.
std::unique_ptr<int[]> newZeroedInts(size_t n);

// The counts of one keyword or feature statistics along the query: per position, per power
// bin, laid out [pos][bin].
struct CountRows {
  int seqLen = 0;
  int numPow = 0;
  std::unique_ptr<int[]> all, ksi;

  // Zeroed rows for seqLen positions of numPow bins; exits 7 when memory runs out.
  void reset(int _seqLen, int _numPow);
  size_t size() const { return (size_t)seqLen * (size_t)numPow; }
};

// The next region after `end` where the keyword is seen (some ksi count not 0): beg is its
// first such position, end the first position after it without one (the query's last
// position when the hits run to the end). sumAll and sumKsi (numPow entries) receive per bin
// the rounded-up mean of the counts over the region (sumType 1) or their maximum (0).
// Start with beg = 0, end = -1. Returns 1 when a region is found, 0 when there is none.
int makeRegion(const CountRows &rows, int &beg, int &end, int *sumAll, int *sumKsi, int sumType);

// Every one of the first num entries x of both arrays becomes (x + len - 1) / len, len not 0.
void makeMean(int len, int num, int *all, int *ksi);

// The translated-frame letters ('a'..'f') of the motifs of a motif file, sorted; empty when
// the file holds none or can't be opened.
std::string getFrames(const char *motFile);

// One query span of a motif, and the power bin it counts in.
struct BinSpan {
  int qBeg;
  int len;
  int bin;
};

// The recount of one row array (numPow bins per position, seqLen positions): counts become
// 0/1; then for every span, the stretch of non-zero positions of its bin that holds its
// qBeg, or else ends just before it, gains 1; finally 1 is taken off. So a position of a
// stretch ends with the number of spans that touch the stretch. Spans whose qBeg lies
// outside [0, seqLen] are skipped.
void recountRow(int *row, int seqLen, int numPow, const std::vector<BinSpan> &spans);
