// The search program: queries against the banks of a bank list, supermotifs to a result file.
#pragma once

// Return codes of the program.
enum SearchReturn {
  kSearchDone = 0,
  kSearchUsage = -1,            // fewer than four file names
  kSearchNoParamFile = -2,      // the parameter file can't be opened
  kSearchBadParamFile = -3,     // the parameter file can't be loaded
  kSearchNoBankList = -4,       // the bank list can't be opened
  kSearchEmptyBankList = -5,    // the bank list holds no line
  kSearchBadQueryFile = -6,     // the query file is not a valid bank
  kSearchNoResultFile = -7,     // the result file can't be created
  kSearchBlankInQueryPath = -8, // a motif file can't carry the query path
};

// Runs the program on its command line; returns one of the codes above.
int run_search(int argc, char **argv);

// Sort comparator of Supermotif pointers (passed by address): larger power first, equal
// powers 0, the same order as cmpSup. The program itself does not sort with it.
int supCmp(const void *a, const void *b);
