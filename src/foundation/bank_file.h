// Bank files: the codes of the six entry formats, the format of an open file, the opening of
// one entry through the bank's ".idx" index (and the log of the entries a run asked for), the
// opening of an input file, and file names with another extension.
#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <utility>

enum BankFormat {
  kFormatUnknown = -1,
  kFormatFasta = 1,
  kFormatSwiss = 2,
  kFormatGenBank = 3,
  kFormatPrints = 4,
  kFormatBlocks = 5,
  kFormatPfam = 6,
};

// New array (caller frees with delete[]): name with its extension replaced by ext.
char *chExt(const char *name, const char *ext);

// The index file of bank (its name with the extension ".idx"): read for every entry past 0,
// so no output may be made over it either.
std::string indexPath(const char *bank);

// 1 when a and b name one file: the same path, the same file on disk, or (for files not
// made yet) the same path once its existing directories are resolved. 0 for a null name.
int sameFile(const char *a, const char *b);

// 1, after the message "\n <what> file <out> would overwrite <in>", when creating out would
// overwrite the file in; 0 otherwise (and for a null name).
int wouldOverwrite(const char *what, const char *out, const char *in);

// Opens an input file for reading ("rb" unless told); null, as a failed fopen, for a
// directory (which fopen would open on Linux). The caller closes the file.
FILE *openInput(const char *path, const char *mode = "rb");

// What the first bytes of a file say before any format is looked for.
enum FileKind {
  kKindText = 0,  // nothing against reading it as text
  kKindGzip,
  kKindBzip2,
  kKindXz,
  kKindZstd,
  kKindZip,
  kKindBinary,    // a NUL byte among the first 4096
};
// Kind of the open file f from its first 4096 bytes; the caller's position is kept.
int fileKind(FILE *f);
// The refusal of a file in no known format, with its path, and of a compressed one, with its
// path and the packer's name (packerName).
constexpr char kUnknownFormatMsg[] = "\n Unknown bank format: %s";
constexpr char kCompressedMsg[] = "\n Unknown bank format: %s is %s-compressed; decompress it first";
// "gzip", "bzip2", "xz", "zstd" or "zip" for a compressed kind; null for any other.
const char *packerName(int kind);
// Prints the refusal that fits the kind on standard output.
void printUnknownFormat(const char *path, int kind);

// "\n Entry <num> <name> of bank <bank> is cut short: the file ends before its \"//\" line"
// (no name when empty): a Swiss-Prot/EMBL or GenBank entry the file ends inside.
void printCutEntry(const char *bank, int num, const char *name);

// Format code of an open bank file (1..6, -1 unknown); the caller's position is kept.
int getFormat(FILE *fin);

// The entries a run fetches by number, owned by the run and handed to the fetches (a null
// log keeps them silent). It tells each fault once per bank:
//   "\n No index file <idx>: entries of <bank> past 0 can't be read; make it with tools/mkidx.py"
//   "\n Index <idx> of bank <bank> does not fit; remake it with tools/mkidx.py"
//   "\n Index <idx> of bank <bank> holds no entry <num>" (the first such entry of the bank)
//   "\n Unknown bank format: <bank>" (compressed: "... is gzip-compressed; decompress it first")
//   the entry cut short (printCutEntry), which is not read
// and counts the distinct entries (bank path as written, number) asked for and those that
// could not be read. An entry without residues was read: it is not counted as unreadable.
class EntryLog {
 public:
  EntryLog() = default;
  EntryLog(const EntryLog &) = delete;
  EntryLog &operator=(const EntryLog &) = delete;

  // Distinct entries asked for, and those of them that could not be read.
  int asked() const { return (int)asked_.size(); }
  int unreadable() const { return (int)bad_.size(); }
  // True when at least one entry was asked for and none of them could be read.
  bool allUnreadable() const { return !asked_.empty() && bad_.size() == asked_.size(); }
  // True when the latest entry asked for could not be read.
  bool lastFailed() const { return lastFailed_; }
  // Messages told so far (each begins a line and ends none).
  int told() const { return (int)told_.size(); }
  // The one end line, "\n N of the M entries asked for could not be read", when N > 0;
  // nothing otherwise.
  void printEnd() const;

  // Kept by openBankEntry: an entry asked for, its outcome, and the faults of its bank.
  void ask(const char *bank, int num);
  void fail(const char *bank, int num);
  void noIndex(const char *bank, const char *idx);
  void unfit(const char *bank, const char *idx);
  void noRecord(const char *bank, const char *idx, int num);
  void unknownFormat(const char *bank, int kind);
  // Kept by the readers by number: entry num (named name) of bank ends the file unfinished.
  void cutShort(const char *bank, int num, const char *name);

 private:
  std::set<std::pair<std::string, int>> asked_, bad_;
  std::set<std::string> told_;  // fault letter + bank path, each told once
  bool lastFailed_ = false;
  bool tellOnce(char fault, const char *bank);
};

// Opens bank adrBase for binary reading, positioned where entry _num starts according to
// the record of its ".idx" index; without an index only entry 0 (the start) is found.
// The record must fit the bank: its offset the start of a line that begins an entry of the
// bank's format (a '>' line, an "ID" or "LOCUS" line, a "#=GF ID" line or the line after a
// "//" line, a PRINTS line before an "fc;" line, a BLOCKS line before an "ID " line).
// Null (nothing left open) when the bank does not open (or is a directory), is compressed or
// of no known format, or the record is missing, holds another number, holds no valid
// offset or does not fit. `format` (when given) receives the bank's format code once the
// bank is open (-1 for a compressed one or one of no known format). With a log
// the entry is counted and the faults told. The caller closes the file.
FILE *openBankEntry(const char *adrBase, int _num, EntryLog *log = nullptr, int *format = nullptr);
