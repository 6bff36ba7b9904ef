// The vantel program: predicts the keywords and feature-table entries of one query from its
// motif file and the statistics file that orisk wrote, and writes them as a bank entry, with
// the side files ".inf" and ".pro" beside the statistics file. This file pair holds the
// command line and the order of the steps; the parts are in stat_tables (the statistics
// read), homolog_counts (the counting pass), regions (keyword regions, frames, recount),
// prediction (the prediction file's blocks), pred_res (the result list of one keyword type)
// and mot_key (a keyword listing no program calls).
#pragma once


// Return codes of the program.
enum VantelCode {
  kVantelDone = 0,
  kVantelUsage = 1,
  kVantelNoFile = 2,        // an input can't be opened, or a file can't be created
  kVantelNoSupermotif = 3,  // the motif file holds no supermotif: it names no query
  kVantelNoQuery = 4,
  kVantelNoStatistics = 5,  // the statistics file holds no statistics
  kVantelNoThesaurus = 6,   // the thesaurus of -M can't be read
  kVantelNoEntry = 10,      // not one similar entry could be read
};

// Usage text, written to standard output when fewer than three file names are given.
extern const char kVantelUsageText[];

struct VantelOptions {
  const char *statFile = nullptr;
  const char *motFile = nullptr;
  const char *resFile = nullptr;
  const char *meshPath = nullptr;  // option M: the last one given
  const char *colFile = nullptr;   // option C: the last one given
  int wrDist = 0;                  // option D
  int sumType = 1;                 // option S sets 0 (recount, region maxima)
};

// Reads the command line: the three file names, then the options, which are looked for only
// after them. An option is a word beginning with '-' or '/', named by its second character
// in either case. M and C take the next word as their value unless it begins with '-' (then
// the option is ignored). Returns 0, or kVantelUsage when fewer than three file names are given.
int getOptions(int argc, char **argv, VantelOptions &opt);

// Runs the program. Returns one of VantelCode; exits 7 when memory runs out, 11 when an
// output can't be written, 111 at more than 10000 results of one keyword type.
// Every input is read, and every output judged (the listing, the column file, ".inf",
// ".pro", the prediction), before the first is begun; all but the listing are written whole
// at the end (whole_output.h). A run that stops (kVantelNoEntry too: not one similar entry
// could be read) leaves them as they were. A run that could read only some of the entries
// it asked for says how many it could not in its last line.
int run_vantel(int argc, char **argv);
