// The plevit program: prints the supermotifs of a motif file as alignments grouped by query
// block, or as one line each when the bank holds multi-row block entries.
#pragma once

// Usage text, written to standard output when fewer than two file names are given.
extern const char kPlevitUsageText[];

// Return codes of the program.
enum PlevitCode {
  kPlevitDone = 0,
  kPlevitUsage = 1,
  kPlevitNoMotifFile = 2,
  kPlevitNoSupermotif = 3,
  kPlevitNoBase = 4,
  kPlevitNoResultFile = 5,  // the report could not be created
};

// Runs the program on its command line: [-A] motifFile resultFile [Wmatrix [TranslationCode]].
// Returns one of PlevitCode; exits 7 when memory runs out and 11 when the report can't be
// written.
int run_plevit(int argc, char **argv);
