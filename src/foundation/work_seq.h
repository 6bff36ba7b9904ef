// The working sequence: a BankSeq with the bank readers and a few editing operations.
#pragma once

#include <cstdio>

#include "bankseq.h"

class WorkSeq : public BankSeq {
 public:
  WorkSeq() = default;
  WorkSeq(const WorkSeq &o);
  WorkSeq &operator=(const WorkSeq &o) {
    BankSeq::operator=(o);
    return *this;
  }

  // Piece [From, To) of src; 1 (nothing changed) when the range is empty.
  int cut(const BankSeq &src, int From, int To);
  // Reverse complement in place (upper-case A, C, G, T only).
  int reverse();
  // Sequence block of a bank entry: format 2 Swiss-Prot, 3 GenBank/EMBL style.
  void print(FILE *fout, int format, const char *sign);
  void print();
  int lastFrame(int _reverse, int toNextSeq) const;

  // Entry readers: 1 when no residue was read, 0 otherwise.
  int readFast(FILE *f, char *name);
  int readSwis(FILE *f, char *name);
  int readGenb(FILE *f, char *name);
  int readPrints(FILE *f);
  int readBlocks(FILE *f);
  int readPFam(FILE *f);
  // Entry _num of a bank through its ".idx" index; the length read, 0 on failure.
  int readSeq(const char *adrBase, int _num);
};
