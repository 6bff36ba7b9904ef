// tervex: cross-motif screening of a sequence set.
#include "tervex.h"

int main(int argc, char **argv) { return run_tervex(argc, argv); }
