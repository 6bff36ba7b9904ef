#include "search.h"

int main(int argc, char **argv) { return run_search(argc, argv); }
