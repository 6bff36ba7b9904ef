// The statistics vantel predicts with, read from the statistics file that orisk wrote: the
// feature statistics, then the statistics of each keyword type, within fixed limits.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "hist_xx.h"

constexpr int kMaxBlocks = 10000;  // statistics kept per type
constexpr int kMaxTypes = 100;     // keyword types kept

using HistPtr = std::unique_ptr<HistXX>;

struct Stats {
  std::vector<HistPtr> ft;
  std::vector<std::string> typeKW;
  std::vector<std::vector<HistPtr>> kw;
  std::vector<const char *> typePtrs;  // typeKW as the extraction routines take them
};

// The blocks of one type from the current position on, at most kMaxBlocks kept; the rest
// are read past so that they can't be taken for another type. Returns the number passed over.
int loadBlocks(FILE *f, const char *type, std::vector<HistPtr> &out);

// True when the file holds a statistics block header (a learning that kept no block wrote
// only the tables and the segmentation line: nothing to predict with); read from the
// current position up to the first such line.
bool hasStatistics(FILE *f);

// Every "FT" block, then, type by type in file order, the keyword blocks. A type that yields
// no block ends the reading; statistics past the limits are not kept, with a warning on
// standard output.
void loadStats(FILE *f, Stats &st);
