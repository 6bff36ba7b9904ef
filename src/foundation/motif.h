// Motifs (ungapped diagonal segments), supermotifs (chains of motifs between one query and
// one bank sequence) and their text form, the motif file. Powers are on the scale of inv_sqrt.h.
#pragma once

#include <cstdio>

#include "inv_sqrt.h"

class Weight_matrix;
class Translation_code;
class WorkSeq;
class EntryLog;

// One segment of one diagonal. Every field starts at zero (frame ' ') so an unfilled motif
// is harmless; chains link plain Motif records through `next`.
class Motif {
 public:
  int qBeg = 0;  // start on the query, from 0
  int bBeg = 0;  // start on the bank sequence, from 0
  int len = 0;
  int sum = 0;   // score sum, thousandths
  int pow = 0;   // sum x lenFactor(len)
  Motif *next = nullptr;
  char frame = ' ';

  Motif() = default;
  Motif(int _qBeg, int _bBeg, int _len, int _sum, int _pow, char _frame);

  // Sets every field as given; `next` becomes null.
  void update(int _qBeg, int _bBeg, int _len, int _sum, int _pow, char _frame);
  // Extends by _len letters and _sum score, then recomputes `pow`.
  void add(int _len, int _sum);
  // 1 when qBeg, bBeg, len and frame equal those of mot, else 0.
  int equal(const Motif *mot) const;
  // Reads one motif line; 1 when it held a quote (fields filled), else 0 and unchanged.
  int load(FILE *fin);
  // Mirrors the motif on a bank sequence of seqLen letters.
  void reverse(int seqLen) { bBeg = seqLen - bBeg - len; }
};

// The comparison engine's output record: `wei` (new int[len + 1], running score sums) is owned
// and released with delete[] by the destructor.
class MotifWei : public Motif {
 public:
  int *wei = nullptr;

  MotifWei() = default;
  // Copies would share `wei`; moving hands it over.
  MotifWei(const MotifWei &) = delete;
  MotifWei &operator=(const MotifWei &) = delete;
  MotifWei(MotifWei &&o) noexcept : Motif(o), wei(o.wei) { o.wei = nullptr; }
  MotifWei &operator=(MotifWei &&o) noexcept {
    if (this != &o) {
      Motif::operator=(o);
      delete[] wei;
      wei = o.wei;
      o.wei = nullptr;
    }
    return *this;
  }
  ~MotifWei() { delete[] wei; }
};

// A chain of motifs with the addresses of its two sequences. It owns both address strings
// (new[] copies) and every motif of the chain (each a separate `new Motif`).
class Supermotif {
 public:
  int power = 0;
  int numMot = 0;       // chain length (kept as it was by del)
  char *qAdr = nullptr;  // query bank path
  int qNum = 0;          // query entry number
  char *bAdr = nullptr;  // bank path
  int bNum = 0;          // bank entry number
  Motif *first = nullptr;

  Supermotif() = default;
  // Copies would share the chain and the addresses: use copy().
  Supermotif(const Supermotif &) = delete;
  Supermotif &operator=(const Supermotif &) = delete;
  ~Supermotif() { del(); }

  // Frees the addresses and the chain (all set to null); numMot is left as it was.
  void del();
  // Merges runs of motifs of one frame that continue each other on both sequences.
  void glueMot();
  // Bank-side positions from amino acids to nucleotides: bBeg and len times 3.
  void unTransl();
  // Reverses the chain and mirrors it on a bank sequence of seqLen letters (bBeg becomes
  // seqLen - bBeg - len). The chain itself is walked, whatever numMot says; empty: no-op.
  void reverse(int seqLen);
  // Sets the query address (a copy; the previous one is freed) and, unless frame is '+',
  // every motif's frame.
  void update(const char *_qName, int _qNum, char frame);
  // Columns of the alignment the chain spans (negative gaps shorten it).
  int supLen() const;
  // Takes sup's fields, copies of its addresses and a copy of its chain (this one's own
  // contents are released first).
  void copy(const Supermotif *sup);
  // Makes the bank sequence the query: qAdr/qNum from bAdr/bNum, qBeg and bBeg swapped.
  void chgQB();

  // Motif file. Writes one block with the given query address and, when frame is not '+',
  // that frame on every motif line. Output errors are left to the caller (checkWrite).
  void printSuper(FILE *fout, const char *_qName, int _qNum, char frame);
  // One block with the supermotif's own query address, each motif with its own frame.
  void printSuper(FILE *fout);
  // Reads the next block: 1 when read, 0 at end of file (the supermotif unchanged). The
  // previous contents are overwritten, not freed: call del() first. Exit 7 on allocation failure.
  int load(FILE *fin);

  // Reports (report.h). The entries they fetch go through `log` when one is given.
  void printInfasSW(FILE *fout, EntryLog *log = nullptr);
  int printSupasSW(FILE *fout, Weight_matrix *wm, Translation_code *code, int nSup,
                   EntryLog *log = nullptr);
  int printAlign(FILE *fout, int nSup, EntryLog *log = nullptr);

  char *getqAdr() const { return qAdr; }
  int getqNum() const { return qNum; }
  char *getbAdr() const { return bAdr; }
  int getbNum() const { return bNum; }
  Motif *getMot() const { return first; }
};

// True when every supermotif block of the motif file f is whole. Otherwise prints
// "\n Motif file <path> is cut short at line <n>" (n counted from 1: the line where the
// fault shows) and returns false. Reads f from its start and leaves it at its start.
// A block is cut when its Supermotif line has fewer than seven tokens, when a Supermotif
// line or the end of the file comes before the motif lines it announces, when one of those
// lines lacks its quoted frame or one of its five integers, or when the file's last line
// belongs to a block and has no line end. Text between blocks, a file ending between blocks
// and blocks announcing no motif line are whole.
bool motifFileWhole(FILE *f, const char *path);

// paramType 0: power / 4096000; 1: power / (4096000 x sqrt(max(supLen, 1))). Any other
// type prints "getParam: Invalid pramType %d" and exits 111.
double getParam(Supermotif *sup, int paramType);
// The same with the motif's pow and len.
double getParam(Motif *mot, int paramType);
