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

// 1 when a and b name one file: the same path, the same file on disk, or (for files not
// made yet) the same path once its existing directories are resolved. 0 for a null name.
int sameFile(const char *a, const char *b);

// 1, after the message "\n <what> file <out> would overwrite <in>", when creating out would
// overwrite the file in; 0 otherwise (and for a null name).
int wouldOverwrite(const char *what, const char *out, const char *in);

// Format code of an open bank file (1..6, -1 unknown); the caller's position is kept.
int getFormat(FILE *fin);

// Opens bank adrBase for binary reading, positioned where entry _num starts according to
// the record of its ".idx" index; without an index only entry 0 (the start) is found.
// Null (nothing left open) when the bank does not open or the record is missing, holds
// another number, or holds no valid offset. The caller closes the file.
FILE *openBankEntry(const char *adrBase, int _num);
