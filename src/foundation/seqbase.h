// Open banks: a FASTA, Swiss-Prot/EMBL or GenBank file read one sequence or one header at a
// time. Including this header also brings the bank files (formats, index), the working
// sequence with its readers, the entry headers and the string helpers.
#pragma once

#include <cstdio>

#include "bank_file.h"
#include "params.h"
#include "seqinfo.h"
#include "work_seq.h"

// Results of SeqBase::next: the end of the bank, an entry with residues, an entry without
// any (its number counts: the next entry's number still matches the bank's index).
enum NextResult { kBankEnd = 0, kEntryRead = 1, kEntryEmpty = 2 };

// An open FASTA, Swiss-Prot/EMBL or GenBank bank, read one sequence per call. Its stream
// takes no locks: one thread at a time uses a bank.
class SeqBase {
 public:
  // Opens the bank; valid() is 0 (no message) when it can't be opened or is a directory.
  // Exits 99 with "\n Unknown bank format: <path>" for a file of no known format, binary or
  // compressed (the message then names the packer and asks to decompress it first).
  explicit SeqBase(const char *_name);
  ~SeqBase();
  SeqBase(const SeqBase &) = delete;
  SeqBase &operator=(const SeqBase &) = delete;

  // Format 1..3 of the bank from the current position; into _molType the molecule type of
  // its first entry with residues (0 when none has any); rewinds. Exits 99 for a file of no
  // known format.
  int detectType(FILE *_f, int &_molType);
  // Next sequence into seq and its name into name (1024 bytes); handle = 0. A NextResult:
  // kEntryRead (1) for an entry with residues, kEntryEmpty (2) for one without (seq empty,
  // name set), kBankEnd (0) at the end of the bank or when the bank is not open. Callers call
  // it until it returns 0 and count every entry it gives. A Swiss-Prot/EMBL or GenBank entry
  // the file ends inside is named as cut short (printCutEntry) and given as kEntryEmpty.
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
  int entries = 0;       // entries next() has given
};
