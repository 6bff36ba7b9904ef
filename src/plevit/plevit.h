// The plevit program: prints the supermotifs of a motif file as alignments grouped by query
// block, or as one line each when the bank holds multi-row block entries.
#pragma once

// Usage text, written to standard output when fewer than two file names are given.
extern const char kPlevitUsageText[];

// Return codes of the program. Codes 2 to 6, 9 and the suite's 99 come before the report is
// created; 10 and 12 come after, the report written so far being kept.
enum PlevitCode {
  kPlevitDone = 0,
  kPlevitUsage = 1,
  kPlevitNoMotifFile = 2,   // the motif file can't be opened (or is a directory)
  kPlevitNoSupermotif = 3,  // the motif file holds no supermotif, or a block cut short
  kPlevitNoBase = 4,        // the bank or query file of the first supermotif can't be opened
  kPlevitNoResultFile = 5,  // the report can't be created, or would overwrite a file read
  kPlevitBadMatrix = 6,     // the matrix file is a directory or no weight matrix
  kPlevitBadCode = 9,       // the genetic code file is a directory
  kPlevitNoEntry = 10,      // nothing printed: the entries asked for could not be read
  kPlevitNeedsCode = 12,    // a translated supermotif and no genetic code file
};

// Runs the program on its command line: [-A] motifFile resultFile [Wmatrix [TranslationCode]].
// A matrix or code file that does not open is passed over after a message (a word in the
// matrix's place lets a code file follow). Returns one of PlevitCode, or 99 when the bank or query file of
// the first supermotif is of no known format (compressed, binary, unmarked); exits 7 when
// memory runs out and 11 when the report can't be written.
int run_plevit(int argc, char **argv);
