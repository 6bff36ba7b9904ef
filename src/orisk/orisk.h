// The orisk program: learns, from a motif file and the bank entries its supermotifs name, how
// often a query and a sequence similar to it share a feature type or a keyword as a function
// of motif power, and writes the statistics file that vantel reads. Its parts: the command
// line (orisk_options.h), the power grids (power_grid.h), the presence marks and tables
// (presence.h) and the unused keyword report (count_kw.h).
#pragma once

#include "count_kw.h"
#include "orisk_options.h"
#include "power_grid.h"
#include "presence.h"

// Runs the program: orisk motif_file [minPow maxPow stepPow] result_FT_file [options].
// Returns one of OriskCode; exits 4 when the motif file the grids are to be estimated from
// can't be opened, 7 when memory runs out, 11 when a write fails or a header has no length
// line, 111 for a short thesaurus file. Every input is read, and both outputs are judged
// (the statistics file first), before either is begun; both are written whole at the end
// (whole_output.h): a run that stops, on an input (kOriskNoEntry too: not one entry of the
// list could be read), an output or a failed write, leaves both as they were. A run that
// could read only some of its entries says how many it could not in its last line.
int run_orisk(int argc, char **argv);
