// Fatal exits shared by every program: a message on standard output, then a fixed code.
#pragma once
#include <cstdint>
#include <cstdio>
#include <new>
#include <utility>

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

// Closes an output file after checkWrite; a close that fails (the last bytes not written)
// ends the run as a failed write does: "\n Can't write <what>: <reason>\n", exit 11.
void closeOutput(FILE *f, const char *what);

// The one way to allocate or exit 7. An array of n elements (new[]; the caller deletes it),
// value-initialised when `cleared`, else default-initialised; a count below 0 counts as 0.
template <class T>
T *allocArray(long long n, bool cleared = false) {
  if (n < 0) n = 0;
  // Past PTRDIFF_MAX bytes new[] throws rather than failing: such a size is out of memory too.
  if ((unsigned long long)n > (unsigned long long)PTRDIFF_MAX / sizeof(T))
    noRoom(n > INT64_MAX / (long long)sizeof(T) ? INT64_MAX : n * (long long)sizeof(T));
  T *p = cleared ? new (std::nothrow) T[(size_t)n]() : new (std::nothrow) T[(size_t)n];
  if (!p) noRoom(n * (long long)sizeof(T));
  return p;
}

// One object built from args (new; the caller deletes it), or exit 7.
template <class T, class... A>
T *allocObject(A &&...args) {
  T *p = new (std::nothrow) T(std::forward<A>(args)...);
  if (!p) noRoom((long long)sizeof(T));
  return p;
}
