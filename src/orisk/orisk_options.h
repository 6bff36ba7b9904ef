// orisk's command line: the usage texts, the return codes, which words are the power range
// and the result file, and the options after it.
#pragma once

#include <string>
#include <vector>

// Main's usage text (five lines), printed for a command line of fewer than two words.
extern const char kOriskUsageText[];
// The power range's usage text (two lines), printed for a partial or unusable range.
extern const char kPowUsageText[];

// Return and exit codes of the program.
enum OriskCode {
  kOriskDone = 0,
  kOriskUsage = 1,         // also for a partial or unusable power range
  kOriskNoMotifFile = 2,   // the motif file can't be opened
  kOriskNoStatFile = 3,    // the statistics or column file can't be created, or would
                           // overwrite a file the run reads
  kOriskNoPowFile = 4,     // exit code: the motif file can't be opened for the estimation
  kOriskNoSupermotif = 5,  // the motif file holds no supermotif
  kOriskNoThesaurus = 6,   // the thesaurus of -M can't be read
  kOriskNoEntry = 10,      // not one entry of the list could be read
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

// A word that stands for a number of the range: one made only of decimal digits and '.' (the
// empty word too), or one the C library reads whole as a number (a sign, an exponent, nan,
// inf); a word in option form never is. readPowRange refuses the ones that are not finite.
bool isPowNumber(const char *w);

// What the words after the motif file say about the power range: kRangeGiven when the 2nd,
// 3rd and 4th words are numbers and a 5th word (the result name) follows, kRangeEstimate when
// the 2nd word is not a number, kRangePartial otherwise.
enum PowRangeKind { kRangePartial = -1, kRangeGiven = 0, kRangeEstimate = 1 };
int powRangeKind(int argc, char **argv);

// The given range (words 2, 3, 4). 0 when usable: all three finite, step > 0, max >= min and
// at most kMaxGridBins bins; else 1.
int readPowRange(char **argv, double &minPow, double &maxPow, double &stepPow);

// The first word after the result name (at resultAt) and before the first option: a word that
// is neither an option nor part of the range, so the command line is mistyped. 0 when none.
int strayWord(int argc, char **argv, int resultAt);

// Reads the options from word `first` on (the words after the result file name): "-" or "/"
// then "KW" (case-sensitive prefix) or one letter in either case: M, I, D, C, F, H. A value
// word is never read as an option; an option without its value is ignored.
void getOptions(int argc, char **argv, int first, OriskOptions &opt);
