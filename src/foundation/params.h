// String helpers, the "!"-keyed parameter line scanner and the line reader.
#pragma once

#include <cstdio>
#include <string>

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

// Reads one whole line of any length (line end dropped, '\r' before it too).
// False at end of file when nothing was read.
bool readLine(FILE *f, std::string &line);

// Splits text into tokens without shared state (a thread-safe strtok).
// Returns the next token of [*pos...) delimited by any of `delims`, cutting it in
// place with a zero; null when no token is left.
char *nextToken(char *&pos, const char *delims);

// Parses an integer as a 32-bit long would: strtoll, then clamp to int32.
int parseLong(const char *s, char **end = nullptr);
