// vantel: keyword and feature-table prediction for one query.
#include "vantel.h"

int main(int argc, char **argv) { return run_vantel(argc, argv); }
