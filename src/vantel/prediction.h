// The prediction from the counts, and the keyword and feature blocks of the prediction file
// with the statistics blocks they append to the ".pro" side file.
#pragma once

#include <cstdio>

#include "homolog_counts.h"
#include "stat_tables.h"

constexpr int kMaxResults = 10000;  // results of one keyword type

// Per keyword type, in statistics order, its block of predicted keywords (none when nothing
// is kept). Positions are written 1-based and times intFra; recount (or null) holds the
// second pass of option S. Exits 111 at more than kMaxResults results of one type.
void writeKeywords(FILE *fres, Stats &st, int L, int intFra, int sumType, int wrDist,
                   const KwCounts &kc, const KwCounts *recount, FILE *pro);

// The "FT fields" block: per feature, one line per maximal run of predicted positions.
void writeFeatures(FILE *fres, Stats &st, int L, int intFra, FtCounts &ft, FILE *pro);
