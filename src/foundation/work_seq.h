// The working sequence: a BankSeq with the bank entry readers and a few editing operations;
// also the residue filter, the molecule type of a sequence and the one dispatch of a bank
// format to its reader.
#pragma once

#include <cstdio>

#include "bankseq.h"
#include "vector_form.h"

struct LineBuf;
class EntryLog;

// Results of the entry readers: an entry with residues (or rows), no entry before the end of
// the file, an entry that holds none (its header read, its number counted), or a Swiss-Prot/
// EMBL or GenBank entry cut short: its "ID" or "LOCUS" line read, the file ended before its
// "//" line (what was read is kept, and is not to be used as a whole entry).
enum ReadResult { kReadEntry = 0, kReadNone = 1, kReadEmpty = 2, kReadCut = 3 };

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
  // Sequence block of a bank entry: format kFormatSwiss (Swiss-Prot) or kFormatGenBank (GenBank
  // or EMBL style); any other format writes nothing.
  void print(FILE *fout, int format, const char *sign);
  void print();
  int lastFrame(int _reverse, int toNextSeq) const;

  // Entry readers: kReadEntry (0) for an entry with residues, kReadNone (1) when the file
  // ends before an entry begins, kReadEmpty (2) for an entry without residues (the next
  // call reads the entry after it), kReadCut (3) for a Swiss-Prot/EMBL or GenBank entry the
  // file ends inside. Non-zero, as before, whenever nothing was read.
  int readFast(FILE *f, char *name);
  int readSwis(FILE *f, char *name);
  int readGenb(FILE *f, char *name);
  int readPrints(FILE *f);
  int readBlocks(FILE *f);
  int readPFam(FILE *f);
  // Entry _num of a bank through its ".idx" index (openBankEntry): the length read; 0 for
  // an entry without residues, and 0 with the previous content kept when the entry can't be
  // reached (bank, index or format; see openBankEntry) or is cut short (kReadCut). With
  // a log the entry is counted and the faults of its bank told (see EntryLog).
  int readSeq(const char *adrBase, int _num, EntryLog *log = nullptr);
};

// Keeps only letters and '*', upper-cased, in place; stores the count in *len.
char *delEmpty(char *buf, int *len);
// The same over the first n bytes of buf (up to a NUL among them), without the terminator:
// the count kept. The wide form (64 bytes at a time) gives the same result.
constexpr unsigned kWideKeepResidues = kCpuAvx512f | kCpuAvx512bw | kCpuAvx512vbmi2 | kCpuPopcnt;
int keepResidues(char *buf, long n, VectorForm form = VectorForm::Wide);

// 1 (nucleic) when at least 85% of the letters of seq[0..len) are A, C, G, T or U in
// any case; 0 (protein) otherwise, and when there is no letter.
int getMolType(const char *seq, int len);

// The sequence part of one PRINTS, BLOCKS or Pfam line, cut in buf (which is changed)
// with "\n" appended; a pointer into buf, null when the line has none.
char *extrPrin(char *buf);
char *extrBlock(char *buf);
char *extrPFam(char *buf);

// Reads the next entry of `format` (a BankFormat code) from f into w, with the reader of that
// format; name (1024 bytes) receives the entry name for FASTA, Swiss-Prot and GenBank. b is
// the caller's line buffer. With `pending` (FASTA only) the header of the entry that comes
// next stays in b rather than being put back into the stream. The reader's result (a
// ReadResult), or -1 for a code of no known format.
int readEntry(WorkSeq &w, FILE *f, int format, char *name, LineBuf &b, bool *pending = nullptr);
