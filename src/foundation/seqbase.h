// Bank files: formats, molecule types, sequence readers and open banks.
#pragma once

#include <cstdio>

#include "work_seq.h"

enum BankFormat {
  kFormatUnknown = -1,
  kFormatFasta = 1,
  kFormatSwiss = 2,
  kFormatGenBank = 3,
  kFormatPrints = 4,
  kFormatBlocks = 5,
  kFormatPfam = 6,
};

// Keeps only letters and '*', upper-cased, in place; stores the count in *len.
char *delEmpty(char *buf, int *len);
// New array (caller frees with delete[]): name with its extension replaced by ext.
char *chExt(const char *name, const char *ext);
