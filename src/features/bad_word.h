// The stop-word table: common English words and general vocabulary that are never learned
// as keywords, looked up through a hash table built at compile time.
#pragma once

// The words, upper case, 2 to 27 characters, ended by a null entry.
extern const char *const badKW[];

// 1 when word equals a word of badKW ignoring case, else 0.
int isBadWord(const char *word);
