// The bank list: the bank files a search reads, one path a line, and the molecule type of
// the set of banks it names.
#pragma once

#include <cstdio>

// Bank list: the paths named by a bank list file, one per line (first token), in a new
// array of 128 slots ended by a null slot; the caller frees each string and the array
// (delete[]). Stops at the first line without a token. Null with "\n There are no banks
// in bankList" when the file holds no line. Exits 111 when more than 127 banks are named.
char **loadList(FILE *f);

// Molecule type of the bank set: 0 all protein, 1 all nucleic, 2 mixed. Opens each bank
// once. Exits 111 for a bank that can't be opened (naming the line of listName, the list
// file, when given) or an empty list; 99 for a bank of unknown format.
int getBaseMolType(char **base_list, const char *listName = nullptr);
