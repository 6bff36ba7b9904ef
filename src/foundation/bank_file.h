// Bank files: the codes of the six entry formats, the format of an open file, the opening of
// one entry through the bank's ".idx" index, and file names with another extension.
#pragma once

#include <cstdio>

enum BankFormat {
  kFormatUnknown = -1,
  kFormatFasta = 1,
  kFormatSwiss = 2,
  kFormatGenBank = 3,
  kFormatPrints = 4,
  kFormatBlocks = 5,
  kFormatPfam = 6,
};

// New array (caller frees with delete[]): name with its extension replaced by ext.
char *chExt(const char *name, const char *ext);

// Format code of an open bank file (1..6, -1 unknown); the caller's position is kept.
int getFormat(FILE *fin);

// Opens bank adrBase for binary reading, positioned where entry _num starts according to
// the record of its ".idx" index; without an index only entry 0 (the start) is found.
// Null (nothing left open) when the bank does not open or the record is missing, holds
// another number, or holds no valid offset. The caller closes the file.
FILE *openBankEntry(const char *adrBase, int _num);
