// Open banks: a FASTA, Swiss-Prot/EMBL or GenBank file read one sequence or one header at a
// time. Including this header also brings the bank files (formats, index), the working
// sequence with its readers, the entry headers and the string helpers.
#pragma once

#include <cstdio>

#include "bank_file.h"
#include "params.h"
#include "seqinfo.h"
#include "work_seq.h"

// An open FASTA, Swiss-Prot/EMBL or GenBank bank, read one sequence per call. Its stream
// takes no locks: one thread at a time uses a bank.
class SeqBase {
 public:
  // Opens the bank; valid() is 0 (no message) when it can't be opened.
  // Exits 99 with "\n Unknown bank format" for a file of no known format.
  explicit SeqBase(const char *_name);
  ~SeqBase();
  SeqBase(const SeqBase &) = delete;
  SeqBase &operator=(const SeqBase &) = delete;

  // Format 1..3 of the bank from the current position; its first entry's molecule type
  // into _molType; rewinds. Exits 99 for a file of no known format.
  int detectType(FILE *_f, int &_molType);
  // Next sequence into seq and its name into name (1024 bytes); handle = 0.
  // 1 when a sequence with residues was read; 0 at the end of the bank or at an entry
  // without residues, which ends the iteration.
  int next(WorkSeq &seq, char *name, int &handle);
  // Header lines of the next entry (Swiss and GenBank banks); their count, 0 for FASTA.
  int next(SeqInfo &info);
  int getSize();
  void countSize();
  // Writes "SubBase of <path>" then the numbers of list, one per line.
  void saveSubBase(int num, const int *list, const char *subName);

  int getMolType() const { return molType; }
  // The bank's stream. After next() on a FASTA bank it stands past the header line of the
  // entry that comes next, which next() keeps.
  FILE *getFILE() const { return f; }
  int valid() const { return _valid; }

 private:
  FILE *f = nullptr;
  int _valid = 0;
  int format = 0;
  int molType = 0;
  int size = -1;
  char *name = nullptr;
  LineBuf line;  // reused by every read of this bank
  bool pending = false;  // line holds the header of the next FASTA entry
};
