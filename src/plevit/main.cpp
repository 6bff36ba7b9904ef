// plevit: supermotif report of a motif file.
#include "plevit.h"

int main(int argc, char **argv) { return run_plevit(argc, argv); }
