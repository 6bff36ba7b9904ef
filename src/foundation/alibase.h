// Alignment blocks: a multiple alignment held as rows of equal length, and an open bank
// of PRINTS, BLOCKS or Pfam alignments read one at a time.
#pragma once

#include <cstdio>

#include "work_seq.h"

class WorkAli {
 public:
  int len;     // columns
  int nSeq;    // rows
  char **ali;  // nSeq rows of len characters, owned

  WorkAli() : len(0), nSeq(0), ali(nullptr) {}
  WorkAli(int _nSeq, int _nCol) : len(0), nSeq(0), ali(nullptr) { alloc(_nSeq, _nCol); }
  WorkAli(const WorkAli &) = delete;
  WorkAli &operator=(const WorkAli &) = delete;
  ~WorkAli() { clear(); }

  char **getAli() { return ali; }
  int getLen() const { return len; }
  int getnSeq() const { return nSeq; }

  // Replaces the rows by _nSeq rows of _nCol zero bytes (no terminating zero).
  void alloc(int _nSeq, int _nCol);
  // Frees every row; nSeq 0.
  void clear();
  // 1 when no row holds a letter of the matrix alphabet (other than '-') at column n.
  int empty(int n) const;
  // 0 when some row has a character at col2 and none at col1; else 1.
  int equal(int col1, int col2) const;
  // Writes the rows on standard output.
  void printf() const;
  // Plain interleaved alignment of bare residue lines; 1 when read, 0 otherwise.
  int readFast(const char *fileName);
  // BLOCKS entry: 1 when a row was read. Exit 111 beyond 100000 rows, 8 on unequal rows.
  int readBlocks(FILE *f);
  // Pfam/Stockholm entry: 1 when a row was read. Exit 111 beyond 100000 rows, 8 on
  // unequal rows.
  int readPFam(FILE *f);
  // New consensus sequence (caller deletes), frame ' '.
  WorkSeq *makeConsen() const;
};

class AliBase {
 public:
  FILE *f;
  int _valid;
  int format;
  int molType;
  int size;
  char *name;

  explicit AliBase(const char *_name);
  AliBase(const AliBase &) = delete;
  AliBase &operator=(const AliBase &) = delete;
  ~AliBase();

  FILE *getFILE() { return f; }
  int valid() const { return _valid; }
  int getFormat() const { return format; }

  // Reads the next alignment into ws by format (4 PRINTS, 5 BLOCKS, 6 Pfam); 1 when
  // one was read, 0 otherwise.
  int next(WorkAli &ws);
};

// The aligned part of a "name aligned-string" line: past the first word, at the first
// letter or '-' (the end of the line when there is none).
char *getStrAliStr(char *buf);
// Number of letters and '-' from that point up to the next blank.
int getLenAliStr(char *buf);
