// A keyword report of one sequence against its motif file; no program calls it.
#pragma once

// Keyword report of one sequence against its motif file, appended to reportName: the bank
// is name with the extension ".bnk" (its entry 0 is the query), the motif file name with
// ".mot", or ".mot1" when cross is set (a cross-motif result). The keywords of the types KW
// ('_' separated) of the query and of each bank sequence of the supermotifs, one line each:
// whether the query has it, how many sequences have it, then a mark per sequence. Exits 111
// when the query can't be read, 114 when the motif file can't be opened. Returns 0, or 1
// when the report can't be opened or written.
int countKW(const char *name, int cross, const char *KW, const char *reportName);
