// The vantel program: predicts the keywords and feature-table entries of one query from its
// motif file and the statistics file that orisk wrote, and writes them as a bank entry.
// Also the pieces it is made of: the result list of one keyword type, the keyword regions,
// the recount, and the command line.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class HistXX;

// ---- command line ----

// Return codes of the program.
enum VantelCode {
  kVantelDone = 0,
  kVantelUsage = 1,
  kVantelNoFile = 2,        // an input can't be opened, or a file can't be created
  kVantelNoSupermotif = 3,
  kVantelNoQuery = 4,
};

// Usage text, written to standard output when fewer than three file names are given.
extern const char kVantelUsageText[];

struct VantelOptions {
  const char *statFile = nullptr;
  const char *motFile = nullptr;
  const char *resFile = nullptr;
  const char *meshPath = nullptr;  // option M: the last one given
  const char *colFile = nullptr;   // option C: the last one given
  int wrDist = 0;                  // option D
  int sumType = 1;                 // option S sets 0 (recount, region maxima)
};

// Reads the command line: the three file names, then the options, which are looked for only
// after them. An option is a word beginning with '-' or '/', named by its second character
// in either case. M and C take the next word as their value unless it begins with '-' (then
// the option is ignored). Returns 0, or kVantelUsage when fewer than three file names are given.
int getOptions(int argc, char **argv, VantelOptions &opt);

// 1 when the two paths name one file: equal strings, or existing files on the same device
// with the same inode.
int sameFile(const char *a, const char *b);

// ---- regions and frames ----

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

// Appends to "mot_key.mke" in the working directory one line per keyword of the types
// KWtype of each similar sequence of the motif file motName: the type, the keyword, whether
// the query (entry 0 of motName with the extension ".bnk") has it, its probability at the
// supermotif's power by the statistics of motName with the extension ".sta" (0 without
// them), and the power. Exits 111 when the query or a similar entry can't be read; returns
// 0, or 1 when the motif file or the listing can't be opened or written.
int wrtMotKey(const char *motName, int numKWType, const char *const *KWtype);

// ---- result list of one keyword type ----

struct TPredRes {
  std::string key;       // the keyword (statistics name)
  bool live = true;      // false once merged or dropped
  HistXX *hist = nullptr;  // borrowed
  int beg = 0, end = 0;  // as written: 1-based, times the frame step
  double pow = 0;        // strength (P1): order and threshold
  double ita = 0;
  double prob = 0;       // P1divP2
};

// res1 takes the larger pow and prob, the smaller beg and the larger end of the two.
void append(TPredRes &res1, const TPredRes &res2);
// 1 when the keys are equal and one region begins less than delta from the other's end.
int areNear(const TPredRes &res1, const TPredRes &res2, int delta);
// Order of decreasing pow: -1, 0 or 1; a NaN pow comes after every number.
int resSort(const TPredRes &a, const TPredRes &b);

class TPredResProc {
 public:
  std::vector<TPredRes> res;
  int maxNum;

  explicit TPredResProc(int _maxNum) : maxNum(_maxNum) {}
  int num() const { return (int)res.size(); }

  // Appends one result. Exits 111 with "\n number of keywords is too large %d" when the list
  // already holds maxNum.
  void add(const char *_key, int _beg, int _end, double _pow, double _ita, double _prob,
           HistXX *_hist);
  // Merges each result with the later ones of the same key whose regions come within 15
  // positions of its (widened) region; the kept results stay in order.
  void join();
  // Decreasing pow, stable, NaN last.
  void sort();
  // Drops the results whose pow is below thres, and those whose key is inside the key of
  // another result at or above thres; of two keys inside each other the earlier is kept.
  void delGen(double thres);
  // Writes the block of keyType to fout (nothing for an empty list) and, when saveHist is set,
  // appends each written keyword's statistics block to fileName. A failed append is reported
  // and skipped; a failed write to fout ends the run (exit 11).
  void print(const char *keyType, FILE *fout, const char *fileName, int saveHist);
};

// Runs the program. Returns one of VantelCode; exits 7 when memory runs out, 11 when the
// prediction file can't be written, 111 at more than 10000 results of one keyword type.
int run_vantel(int argc, char **argv);
