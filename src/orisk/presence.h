// Which sequences of orisk's list have which feature types and keywords: compact rows of
// presence marks, the elimination of what fewer than two sequences share, the presence
// tables of the statistics file, and the pairs of "0 & Infinity" (-I) counted from the marks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class ftInfo;
class HistXX;

// Per-sequence marks of the keywords (or feature types) of one type: one bit per key, a row
// only as long as the highest key it marks.
class Marks {
 public:
  explicit Marks(int nSeq = 0) : rows(nSeq) {}
  int at(int seq, int key) const {
    const std::vector<uint64_t> &r = rows[seq];
    const size_t w = (size_t)key >> 6;
    return w < r.size() ? (int)((r[w] >> (key & 63)) & 1) : 0;
  }
  void set(int seq, int key) {
    std::vector<uint64_t> &r = rows[seq];
    const size_t w = (size_t)key >> 6;
    if (w >= r.size()) r.resize(w + 1, 0);
    r[w] |= uint64_t(1) << (key & 63);
  }
  // Number of sequences that have key.
  int count(int key) const;
  // Keys of seq, ascending.
  std::vector<int> keys(int seq) const;
  // Keeps the keys whose keep flag is set, in order, in every row.
  void compact(const std::vector<char> &keep);

  std::vector<std::vector<uint64_t>> rows;
};

// Keeps the feature types marked in 2 or more of the nSeq sequences whose names ftIsBad does
// not reject, in order, with their columns of marks; frees the others. Returns the new count.
int elimFT(int numFtAll, std::vector<ftInfo *> &ftAll, int nSeq, Marks &_sign);
// The same for the keywords of one type (no name test); 0 at once for an empty list.
int elimKW(int numKwAll, std::vector<char *> &KwAll, int nSeq, Marks &_sign);

// The presence table of the feature types: the fixed title with "FT", then one row per
// type (or the "no keywords" line). Write errors are the caller's.
void prnFTtabel(FILE *fft, int nSeq, int numFtAll, ftInfo *const *ftAll, const Marks &ftSign);
// The presence table of one keyword type: title, then one row per keyword (or the "no
// keywords" line). Write errors are the caller's.
void prnKWtabelNew(FILE *fft, const char *KW, int nSeq, int numKwAll, char *const *kwAll,
                   const Marks &kwSign);
// The older presence table: the keywords written downwards, then one row per sequence with
// its accession acc[i] and "+ " where it has the keyword.
void prnKWtabel(FILE *fft, const char *KW, int nSeq, int numKwAll, char *const *kwAll,
                const Marks &kwSign, char *const *acc);

// One line of the column file.
void writeColLine(FILE *fcol, const char *type, const char *kw, int qIdx, int qHas, double power,
                  int bHas);

// Adds to the histogram of every kept keyword j of every type k (histKW[k][j], over the
// supermotif grid) each of the nSeq sequences paired with itself at maxPowSup + 0.5, and
// every ordered pair (s1, s2) of different sequences whose count hasMot[s1 * nSeq + s2] is 0
// at minPowMot - 0.5, with the two sequences' marks of j.
void addZerInf(int numKW, int nSeq, const std::vector<int> &numKwAll,
               const std::vector<Marks> &kwSign,
               std::vector<std::vector<std::unique_ptr<HistXX>>> &histKW,
               const std::vector<int> &hasMot, double maxPowSup, double minPowMot);
