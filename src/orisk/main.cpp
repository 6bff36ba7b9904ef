// orisk: keyword and feature statistics over motif power, learnt from a motif file.
#include "orisk.h"

int main(int argc, char **argv) { return run_orisk(argc, argv); }
