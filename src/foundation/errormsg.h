// Fatal exits shared by every program: a message on standard output, then a fixed code.
#pragma once
#include <cstdio>

enum FatalCode {
  kExitNoMemory = 7,     // an allocation failed
  kExitBadAlignment = 8, // alignment rows of unequal length
  kExitBadData = 11,     // inconsistent data
  kExitBadFormat = 99,   // bank of an unrecognised format
  kExitBadInput = 111,   // unusable input or parameter file
};

// Prints the formatted message on standard output, flushes it and exits with `code`.
[[noreturn]] void fatalExit(int code, const char *fmt, ...)
    __attribute__((format(printf, 2, 3)));

// "\n Not enough rooms for new %d", exit 7.
[[noreturn]] void noRoom(long long size);

// Ends the run when a write to `f` failed (full disk, closed pipe): the result would be cut short.
void checkWrite(FILE *f, const char *what);
