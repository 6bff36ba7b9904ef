// The orisk program: learns, from a motif file and the bank entries its supermotifs name, how
// often a query and a sequence similar to it share a feature type or a keyword as a function
// of motif power, and writes the statistics file that vantel reads. Also the power grids the
// histograms count over, given on the command line or estimated from the motif file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "feat_tab.h"

class Supermotif;
class ftInfo;

// Main's usage text (five lines), printed for a command line of fewer than two words.
extern const char kOriskUsageText[];
// The power range's usage text (two lines), printed for a partial or unusable range.
extern const char kPowUsageText[];

// Return and exit codes of the program.
enum OriskCode {
  kOriskDone = 0,
  kOriskUsage = 1,        // also the exit code of a partial or unusable power range
  kOriskNoMotifFile = 2,  // the motif file can't be opened
  kOriskNoStatFile = 3,   // the statistics file can't be created
  kOriskNoPowFile = 4,    // exit code: the motif file can't be opened for the estimation
};

// Comment topics a "CC" keyword type stands for; only the first numCC are learned.
constexpr int numCC = 9;
constexpr const char *funCC[] = {
    "CC   -!- FUNCTION:",      "CC   -!- ENZYME REGULATION:",  "CC   -!- TISSUE SPECIFICITY:",
    "CC   -!- DEVELOPMENTAL STAGE:", "CC   -!- SUBUNIT:",     "CC   -!- SUBCELLULAR LOCATION:",
    "CC   -!- DISEASE:",       "CC   -!- PTM:",                "CC   -!- ALTERNATIVE PRODUCTS:",
    "CC   -!- MISCELLANEOUS:", "CC   -!- SIMILARITY:",         "CC   -!- INDUCTION:",
};

// Most bins a power grid given on the command line may have.
constexpr double kMaxGridBins = 1e6;

// Settings of the command line.
struct OriskOptions {
  std::vector<std::string> KW;  // keyword types, in order ("CC" expanded)
  int numKW = 0;                // always KW.size()
  const char *meshPath = nullptr;  // thesaurus (mesh index file): the word itself
  int zerInfMot = 0;               // -I: pairs with themselves and pairs without supermotif
  int divSegm = 0;                 // -D mon: 1, else 0
  int numSegm = 3;
  double minPart = 0.3;
  bool hasCol = false;  // -C with a value
  std::string writeCol;  // column file
  int fullPxx = 0;       // -F: count blocks too
  int paramType = 0;     // -H: power per square root of the length
};

// ---- command line ----

// A word made only of decimal digits and '.' (the empty word too).
bool isPowNumber(const char *w);

// What the words after the motif file say about the power range: kRangeGiven when the 2nd,
// 3rd and 4th words are numbers and a 5th word (the result name) follows, kRangeEstimate when
// the 2nd word is not a number, kRangePartial otherwise.
enum PowRangeKind { kRangePartial = -1, kRangeGiven = 0, kRangeEstimate = 1 };
int powRangeKind(int argc, char **argv);

// The given range (words 2, 3, 4). 0 when usable: all three finite, step > 0, max >= min and
// at most kMaxGridBins bins; else 1.
int readPowRange(char **argv, double &minPow, double &maxPow, double &stepPow);

// Reads the options from word `first` on (the words after the result file name): "-" or "/"
// then "KW" (case-sensitive prefix) or one letter in either case: M, I, D, C, F, H. A value
// word is never read as an option; an option without its value is ignored.
void getOptions(int argc, char **argv, int first, OriskOptions &opt);

// ---- power grids ----

// Every supermotif block of a motif file, kept compactly in file order (the file is parsed once).
class MotifStore {
 public:
  struct Mot {
    int qBeg, bBeg, len, sum, pow;
    char frame;
  };
  struct Block {
    int power;
    int qAddr, bAddr;  // indexes into addr
    int numMot;
    size_t firstMot;  // index into mots
  };
  struct Addr {
    std::string name;
    int num;
  };
  std::vector<Addr> addr;
  std::vector<Block> blocks;
  std::vector<Mot> mots;

  // Reads every block of f with Supermotif::load; returns the number read.
  size_t read(FILE *f);
  // Makes s hold block b (its addresses and chain); what s held is released.
  void build(size_t b, Supermotif &s) const;
};

// Descending order of two doubles, NaN last: -1 when *a comes first, 1 when *b, 0 when tied.
int powSort(const void *a, const void *b);

// The grid of nPow powers sorted by powSort: the range up to just above the largest gap of
// the top quarter (or of all powers when that gap lies in the top quarter), in 50 steps. No
// power gives the grid of a single power 0.
void makePow(const double *pow, int nPow, double &minPow, double &maxPow, double &stepPow);

// Both grids from the powers of the stored blocks (motifs, then supermotifs).
void estimatePow(const MotifStore &store, int paramType, double &minPowMot, double &maxPowMot,
                 double &stepPowMot, double &minPowSup, double &maxPowSup, double &stepPowSup);

// The command-line form: 1 when the grids were estimated from the motif file (argv[1], read
// into *store when given), 0 when the command line gives the range (the caller reads it).
// Exits 1 with kPowUsageText for a partial range, 4 when the motif file can't be opened.
int makePow(int argc, char **argv, double &minPowMot, double &maxPowMot, double &stepPowMot,
            double &minPowSup, double &maxPowSup, double &stepPowSup, int paramType,
            MotifStore *store = nullptr);

// ---- presence tables ----

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

// The presence table of one keyword type: title, then one row per keyword (or the "no
// keywords" line). Write errors are the caller's.
void prnKWtabelNew(FILE *fft, const char *KW, int nSeq, int numKwAll, char *const *kwAll,
                   const Marks &kwSign);

// The older presence table: the keywords written downwards, then one row per sequence with
// its accession acc[i] and "+ " where it has the keyword.
void prnKWtabel(FILE *fft, const char *KW, int nSeq, int numKwAll, char *const *kwAll,
                const Marks &kwSign, char *const *acc);

// Keyword report of one sequence against its motif file, appended to reportName: the bank
// is name with the extension ".bnk" (its entry 0 is the query), the motif file name with
// ".mot", or ".mot1" when cross is set (a cross-motif result). The keywords of the types KW
// ('_' separated) of the query and of each bank sequence of the supermotifs, one line each:
// whether the query has it, how many sequences have it, then a mark per sequence. Exits 111
// when the query can't be read, 114 when the motif file can't be opened. Returns 0, or 1
// when the report can't be opened or written.
int countKW(const char *name, int cross, const char *KW, const char *reportName);

// One line of the column file.
void writeColLine(FILE *fcol, const char *type, const char *kw, int qIdx, int qHas, double power,
                  int bHas);

// ---- program ----

// Runs the program: orisk motif_file [minPow maxPow stepPow] result_FT_file [options].
// Returns one of OriskCode; exits 1 or 4 from the power grid, 7 when memory runs out, 11 when
// a write fails or a header has no length line, 111 for a short thesaurus file.
int run_orisk(int argc, char **argv);
