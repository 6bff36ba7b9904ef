// Header of one bank entry (every line but the sequence) and the questions asked of it:
// accession, name, description, organism, keyword blocks, feature keys and ranges,
// and the sequence length. Fetched by sequence address through the bank's ".idx" index.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class EntryLog;

// Swiss-Prot feature keys whose description becomes part of the feature name.
constexpr const char *nameFT[] = {"DOMAIN", "CHAIN", "ACT_SITE", "SITE", nullptr};
// Swiss-Prot feature keys whose two positions are two single residues.
constexpr const char *TwoResSWISS[] = {"DISULFID", "THIOLEST", nullptr};

class SeqInfo {
 public:
  // Most lines a header holds; further lines are read and dropped.
  static constexpr int kMaxLines = 100000;
  // Room for the ranges of one feature entry.
  static constexpr int kMaxRanges = 500;

  SeqInfo();
  ~SeqInfo() = default;
  SeqInfo(const SeqInfo &) = delete;
  SeqInfo &operator=(const SeqInfo &) = delete;

  int getNum() const { return num; }
  int getFormat() const { return format; }
  bool cutShort() const { return cut; }
  // Line i itself (0 <= i < getNum()).
  char *operator[](int i) { return &str[(size_t)i][0]; }
  const char *operator[](int i) const { return str[(size_t)i].c_str(); }

  // Header of entry _num of bank adrBase through its index (openBankEntry), lines
  // upper-cased. The line count; 0 when the bank does not open, is compressed or of an
  // unknown format, the index record is missing, wrong or does not fit the bank, or there is
  // no index and _num is not 0 (lines then untouched). 0 with no line held for a
  // Swiss-Prot/EMBL or GenBank entry cut short (cutShort). With a log the entry is counted
  // and the faults of its bank told (see EntryLog).
  int readSeq(const char *adrBase, int _num, EntryLog *log = nullptr);

  // Header readers from the current position of f; each replaces the lines held and
  // returns the new count. All but readFasta set the format. After readSwis and readGenb,
  // cutShort() tells whether the file ended inside the entry, after its "ID" or "LOCUS"
  // line and before its "//" line.
  int readFasta(FILE *f);
  int readSwis(FILE *f);
  int readGenb(FILE *f);
  int readPrints(FILE *f);
  int readBlocks(FILE *f);
  int readPFam(FILE *f);
  // Every line followed by "\n"; a failed write ends the run.
  void save(FILE *fOut);

  // First accession: new array (delete[]), " " when there is none.
  char *getAC();
  // Entry name: new array (delete[]), " " when there is none.
  char *getID();
  // Description: a pointer into the held lines (or the constant " "); for a FASTA header the
  // rest of its '>' line after the first word, line end dropped. Not to be freed, valid
  // until the next read.
  const char *getDE();
  // Organism: new array (delete[]), " " when there is none.
  char *getOS();
  // Text of the keyword block of `type`, or the feature keys for "FT"/"FE":
  // new array (delete[]); null when absent or for formats other than Swiss and GenBank.
  char *getKW(const char *type);
  // Line i is a line of keyword type `type` (and contains KW when KW is given).
  int isKW(int i, const char *type, const char *KW);
  // 1 when some line begins with one of the types ('_' or '\n' separated) and has
  // more than two characters after it.
  int hasKWtype(const char *type);
  int hasKW(const char *type, const char *KW);
  // Line i starts a feature entry of key FT (any key when FT is empty).
  int isFT(int i, const char *FT);
  // Ranges of the feature entry at line i into beg/end (room for kMaxRanges each);
  // returns their count.
  int getBegEndFT(int i, int *beg, int *end);
  // Sequence length the header states (never negative). Exits 11 when a Swiss header
  // has no ID line or a GenBank header no LOCUS line.
  int getLen();
  // For each residue, 1 when an entry of key FT covers it: new int[len] (delete[]).
  // Exits 11 as getLen, 7 when the array can't be allocated.
  int *getCharFT(const char *FT, int &len);
  // "\n%s" for each ID, DE and OS line until one of each kind was written.
  void printIDDEOS(FILE *fout);

 private:
  int num;
  std::vector<std::string> str;  // grows on demand, capped at kMaxLines
  int format;
  std::string fastaDE;  // getDE's copy of a FASTA description, without the line end
  bool cut = false;     // the last Swiss-Prot/EMBL or GenBank entry read was cut short

  void clear() {
    num = 0;
    cut = false;
  }
  void store(const char *line, size_t n);
};

// Feature name of the feature text str (the text after the "FT" tag) into Name (1024 bytes):
// the key; with typeFT 2 and a key of nameFT, the key and the words of the description
// after the positions, joined by '_'.
void makeName(const char *str, char *Name, int typeFT);
// Adds 1 per '(' and subtracts 1 per ')' of str; returns the new count.
int updNumBra(const char *str, int &numBra);
// 1 when FT equals one of the strings of the null-terminated list.
int belong(const char *FT, const char *const *list);
