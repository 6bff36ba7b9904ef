// String helpers, the "!"-keyed parameter line scanner and the line reader.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "vector_form.h"

// 0 when equal ignoring case, 1 otherwise (an equality test, never negative).
int stricmp(const char *str1, const char *str2);
// Case-insensitive prefix test over the first len positions both strings have.
int strnicmp(const char *str1, const char *str2, int len);
// Finds "!" and its key letter; 1 when the line holds no setting.
int hasntParam(char *buf, char *&key, char *&arg);
// New copy (delete[]) or null for null.
char *_strdup_(const char *sour);
char *strupr(char *str);
// fgets, then cut at the first '\n' or '\r'.
char *_fgets_(char *string, int n, FILE *stream);
int letCmp(const void *a, const void *b);

// The line readers below drop a UTF-8 byte-order mark that opens the file (a mark elsewhere
// stays); a file of the mark alone reads as empty.

// Reads one whole line of any length (line end dropped, '\r' before it too).
// False at end of file when nothing was read.
bool readLine(FILE *f, std::string &line);

// Reads one whole line of any length with its line end kept as read. False at end of file.
bool readRawLine(FILE *f, std::string &line);

// Splits text into tokens without shared state (a thread-safe strtok).
// Returns the next token of [*pos...) delimited by any of `delims`, cutting it in
// place with a zero; null when no token is left.
char *nextToken(char *&pos, const char *delims);

// Letter coding through a byte table: out[i] = min(table[in[i]], cap), n letters; the wide
// form (64 letters at a time) gives the same codes.
constexpr unsigned kWideTranslate = kCpuAvx512f | kCpuAvx512bw | kCpuAvx512vbmi;
void translateBytes(const unsigned char (&table)[256], const char *in, int n,
                    unsigned char *out, unsigned char cap = 255,
                    VectorForm form = VectorForm::Wide);

// Parses an integer as a 32-bit long would: strtoll, then clamp to int32.
int parseLong(const char *s, char **end = nullptr);

// A reader's line buffer, reused from line to line: it grows to the longest line and
// is freed with the object, so reading allocates nothing per line.
struct LineBuf {
  char *s = nullptr;
  size_t cap = 0;
  long n = 0;  // bytes of the last line read, its line end included (a dropped mark not)

  LineBuf() = default;
  LineBuf(const LineBuf &) = delete;
  LineBuf &operator=(const LineBuf &) = delete;
  ~LineBuf() { std::free(s); }
};

// Reads one whole line of any length into b, its line end kept as read (zero-terminated).
// False at end of file when nothing was read.
bool getRawLine(FILE *f, LineBuf &b);
