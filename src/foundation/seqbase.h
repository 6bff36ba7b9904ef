// Bank files: formats, molecule types, sequence readers and open banks.
#pragma once

#include <cstdio>

#include "params.h"
#include "seqinfo.h"
#include "work_seq.h"

enum BankFormat {
  kFormatUnknown = -1,
  kFormatFasta = 1,
  kFormatSwiss = 2,
  kFormatGenBank = 3,
  kFormatPrints = 4,
  kFormatBlocks = 5,
  kFormatPfam = 6,
};

// Keeps only letters and '*', upper-cased, in place; stores the count in *len.
char *delEmpty(char *buf, int *len);
// The same over the first n bytes of buf (up to a NUL among them), without the terminator:
// the count kept. wide: with AVX-512 when the processor has it (the same result).
int keepResidues(char *buf, long n, bool wide = true);
// New array (caller frees with delete[]): name with its extension replaced by ext.
char *chExt(const char *name, const char *ext);

// Format code of an open bank file (1..6, -1 unknown); the caller's position is kept.
int getFormat(FILE *fin);
// 1 (nucleic) when at least 85% of the letters of seq[0..len) are A, C, G, T or U in
// any case; 0 (protein) otherwise, and when there is no letter.
int getMolType(const char *seq, int len);

// Opens bank adrBase for binary reading, positioned where entry _num starts according to
// the record of its ".idx" index; without an index only entry 0 (the start) is found.
// Null (nothing left open) when the bank does not open or the record is missing, holds
// another number, or holds no valid offset. The caller closes the file.
FILE *openBankEntry(const char *adrBase, int _num);

// The sequence part of one PRINTS, BLOCKS or Pfam line, cut in buf (which is changed)
// with "\n" appended; a pointer into buf, null when the line has none.
char *extrPrin(char *buf);
char *extrBlock(char *buf);
char *extrPFam(char *buf);

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
