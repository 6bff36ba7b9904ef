// The search program: queries against the banks of a bank list, supermotifs to a result file.
#pragma once

// Runs the program on its command line; returns its exit code (0, or -1 to -8).
int run_search(int argc, char **argv);

// Sort comparator of Supermotif pointers (passed by address): larger power first, equal
// powers 0, the same order as cmpSup. The program itself does not sort with it.
int supCmp(const void *a, const void *b);
