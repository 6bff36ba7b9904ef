// The tervex program: screens a set of sequences (the bank sequences of a motif file, or
// those a SubBase file lists) against itself and writes the cross motifs it finds as a motif
// file. Four methods: Full (each sequence in windows against the others), Base (a piece of
// each against the banks of a bank list), Reduce (regions the input's supermotifs imply) and
// Shorten (each supermotif's region against the others').
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bank_file.h"
#include "block_output.h"
#include "motif.h"
#include "seahom_params.h"
#include "seq_adr.h"
#include "w_matrix.h"
#include "work_seq.h"

struct Homology_info;

// Usage text, written to standard output when fewer than three file names are given.
extern const char kTervexUsageText[];

// Return codes of the program (-4 and -5 reach the shell as 252 and 251). Each stands for one
// failure; 7, 8 and 11 are the suite's fatal exits.
enum TervexCode {
  kTervexDone = 0,
  kTervexUsage = 1,
  kTervexNoParamFile = 2,
  kTervexBadSubBase = 3,     // a SubBase file that yields no sequence
  kTervexNoInput = 4,
  kTervexUnknownInput = 5,   // neither a motif file (no supermotif block) nor a SubBase file,
                             // or a motif file cut short
  kTervexNoResultFile = 6,   // a result or progress file would overwrite an input, or can't be made
  kTervexBadParamFile = 9,   // the parameter file can't be read, or a value in it is refused
  kTervexNoEntry = 10,       // no sequence of the set to screen could be read
  kTervexNoBankList = -4,
  kTervexNoBanks = -5,
};

// Screening methods, as option letters choose them.
enum TervexMethod { kMethodFull = 0, kMethodReduce = 1, kMethodShorten = 2, kMethodBase = 3 };

// Runs the program: param_file motif_OR_subbase_file result_motif_file [options]. Every input
// is opened and checked before any output (the result, Base's progress file "ctr") is made,
// emptied or deleted. Every entry is read through one EntryLog: its faults are told once per
// bank; a run that could not read some entries ends with a line saying how many, one that
// could read none ends with kTervexNoEntry after its message. Returns one of TervexCode;
// exits 7 when memory runs out, 11 when the result can't be written, 111 on unusable
// parameter, bank or query data (as the engine does), 99 for a bank of the list in no known
// format.
int run_tervex(int argc, char **argv);

// ---------------------------------------------------------------- inputs

// A list of sequence addresses that owns its names.
class SeqList {
 public:
  std::vector<SeqAddrPow> sa;

  SeqList() = default;
  SeqList(const SeqList &) = delete;
  SeqList &operator=(const SeqList &) = delete;
  ~SeqList();
  int size() const { return (int)sa.size(); }
  // Appends a copy of name with its number.
  void add(const char *name, int num, double pow = 0);
};

// Kind of an input file, from the first line naming either word ("Supermotif" first).
enum InputKind { kInputNeither = 0, kInputMotifs = 1, kInputSubBase = 2 };
InputKind detectInput(FILE *f);

// The distinct bank addresses of a motif file's Supermotif lines, highest power first (equal
// powers keep file order). At most kMaxSeqAddr of them.
void makeMotifList(FILE *f, SeqList &list);

// Most header lines of a SubBase file.
constexpr int kSubBaseHeaderRoom = 50;

// Reads a SubBase file: header lines (each kept as read, line end included) up to the first
// empty line ("\n", "\r\n" or a single character), then one sequence per line ("path number";
// a line without a number keeps the previous number, a line without a path repeats the
// previous path; a first body line with nothing to inherit is skipped). Returns the number of
// sequences; 0 when the header has more than 50 lines or no empty line, or the body is empty.
int makeSA_list(FILE *f, SeqList &list, std::vector<std::string> &glue);

// Comparator of SeqAddrPow: -1 when a's pow is greater, 1 when smaller, 0 when equal.
int cmpSA(const void *a, const void *b);

// The lowest supermotif power of a motif file on the printed scale, 0 when it holds none or
// can't be opened ("\n Can't open motif file %s"). The quotient is formed in extended
// precision; getMinPower rounds it to a double.
long double minPowerExt(const char *motifName);
double getMinPower(const char *motifName);
// thSubalignPower for the lowest power: just below it (0.5, or 1.0 when sequences may meet
// themselves), the difference formed in extended precision and then stored as a double.
double subalignThreshold(long double minPower, int skipTheSame);

// The options, read from every argument that begins with '-' (file names included).
struct TervexOptions {
  int method = kMethodFull;
  int skipTheSame = 1;
  int nSeq = 0;               // the N value, 0 when not given
  char **bankList = nullptr;  // option B's list (owned)
  const char *bankListName = nullptr;  // its file, as the command line names it

  TervexOptions() = default;
  TervexOptions(const TervexOptions &) = delete;
  TervexOptions &operator=(const TervexOptions &) = delete;
  ~TervexOptions();
};
// Parses the options; opens and reads option B's list at once. Returns 0, or
// kTervexNoBankList / kTervexNoBanks after their message.
int parseOptions(int argc, char **argv, TervexOptions &opt);

// The C library's random() from seed 1 (the additive feedback generator), so that Base
// draws the same offsets whatever library the program is linked with.
class LibcRandom {
 public:
  LibcRandom();
  int32_t next();  // 0 .. 2^31 - 1

 private:
  uint32_t r_[34];
  int pos_ = 0;
};

// ---------------------------------------------------------------- screening work

// Reads the sequence at an address into s: every read of an entry by tervex goes through it,
// and the run's log counts it. True when it holds letters; false when it can't be read (a
// null path included; log.lastFailed() is then set) or holds none (an entry with nothing to
// screen, which is passed over without a word).
bool readEntry(WorkSeq &s, const char *path, int num, EntryLog &log);

// Sequences read by address, each once: a read that failed is remembered as such. Banks do
// not change during a run, so the output is that of reading them every time.
class SeqCache {
 public:
  explicit SeqCache(EntryLog &log) : log_(log) {}
  // The sequence, or null when it can't be read or holds no letters; unreadable (when given)
  // is set for the first.
  const WorkSeq *get(const char *path, int num, bool *unreadable = nullptr);

 private:
  struct Cached {
    std::unique_ptr<WorkSeq> seq;
    bool unreadable = false;
  };
  EntryLog &log_;
  std::map<std::pair<std::string, int>, Cached> seqs_;
};

// One region of a sequence or one pair of facing regions: starts x and y, common length.
struct Shift {
  int x;
  int y;
  int len;
};

// Work arrays and the sequence cache of one screening run.
struct ScreenWork {
  SeqCache cache;
  MotifWei *mot;   // kMaxMotifs records, filled by the engine
  Motif *newMot;   // room for motSplit2's pieces
  explicit ScreenWork(EntryLog &log);
  ScreenWork(const ScreenWork &) = delete;
  ScreenWork &operator=(const ScreenWork &) = delete;
  ~ScreenWork();
};

// Searches _query, cut to From..To, against the first numSa listed sequences (on both strands
// when the query is nucleic) and fills result (cleared first; the caller owns the supermotifs)
// with the strongest supermotifs, best first, each carrying its partner's address. nFrom: the
// list index the query comes from; theSame 1 skips partners with its address. segm (null, or a
// region per listed sequence) confines each partner to its region and brings positions back
// to whole sequences. Returns the count.
int searchOnSa(SearchHomolParams &searchParams, const SeqAddrPow *sa, int numSa, int nFrom,
               const BankSeq &_query, std::vector<Supermotif *> &result, const Shift *segm,
               int theSame, ScreenWork &work);

// Full's windows over a sequence of L letters, as (From, To) counted from 1: 500 letters
// each, the last one taking the rest when at most 600 letters remain after a window.
std::vector<std::pair<int, int>> fullWindows(int L);

// Full: each of the first nSeqLoop sequences in windows of about 500 letters against the
// others; a sequence that can't be read is named and passed over. allLen receives the total
// length read. 0, or kTervexNoResultFile after its message.
int full_tervex(int nSeqLoop, SeqAddrPow *sa, SearchHomolParams &search, int &allLen,
                const char *fileName, EntryLog &log);

// Base: a piece of at most maxQueLen letters of every listed sequence (placed by LibcRandom)
// against the banks of bankList, without selection; a sequence that can't be read is named
// and passed over. glue: the SubBase header or null. 0, or kTervexNoResultFile after its
// message.
int full_search(SearchHomolParams &search, char **bankList, int nSeq, SeqAddrPow *sa,
                const char *outFileName, const std::vector<std::string> *glue, int maxQueLen,
                EntryLog &log);

// True when Base would translate: the piece of one of the first nSeq sequences (cut as
// full_search cuts it, then to the parameters' From..To) is of another molecule type than
// the banks (search.baseMolType). Reads the sequences through log.
bool baseNeedsCode(const SearchHomolParams &search, int nSeq, const SeqAddrPow *sa,
                   int maxQueLen, EntryLog &log);

// The offset of Base's piece in a sequence of L letters: 0 when L <= maxQueLen (nothing is
// drawn), else the next draw scaled to L - maxQueLen.
int pieceOffset(int L, int maxQueLen, LibcRandom &rnd);

// Opens the result in place (a link followed, a FIFO or a device written into, a regular
// file emptied). False after "\n Can't open result file %s" when it can't be opened.
bool openResult(BlockOutput &out, const char *fileName);

// Appends the supermotifs to the result as one block under the query address and deletes
// them (the vector is cleared). Exits 11 when the block can't be written (endBlock).
void appendSupers(BlockOutput &out, std::vector<Supermotif *> &sups, const char *qName, int qNum);

// ---------------------------------------------------------------- Reduce

// The regions two supermotifs imply between their bank sequences: the stretches of sup1's and
// sup2's motifs that face the same query positions, widened by up to 10 letters, clipped to
// both sequences and merged per diagonal.
class Shifts {
 public:
  const Supermotif *sup1, *sup2;  // borrowed
  const WorkSeq *seq1;            // borrowed
  WorkSeq *seq2;                  // owned: sup2's sequence, reversed when frames differ
  int cur = 0;
  int num = 0;
  std::vector<Shift> shifts;
  char frame;                     // '+' when both first motifs share their frame letter

  // _seq2: sup2's bank sequence as read; the working matrix is recast to queryFreq (seq1's
  // composition) and seq2's.
  Shifts(const WorkSeq *_seq1, const Supermotif *_sup1, const Supermotif *_sup2,
         const WorkSeq &_seq2, Weight_matrix &wm, const double *queryFreq);
  Shifts(const Shifts &) = delete;
  Shifts &operator=(const Shifts &) = delete;
  ~Shifts();

  // The next region: its starts and its letters of both sequences; 0 when all were given.
  // Every region lies inside both sequences.
  int next(int &shift1, int &shift2, WorkSeq &s1, WorkSeq &s2);

  const WorkSeq *getSeq1() const { return seq1; }
  const WorkSeq *getSeq2() const { return seq2; }
  int getNum() const { return num; }
  char getFrame() const { return frame; }
};

// Merges the regions of each diagonal into the first of them, which takes the smaller starts
// and ends with the one that starts later (not with the union); drops empty regions.
void mergeShifts(std::vector<Shift> &shifts);

// Appends one motif per segment (query side shiftCur + left, bank side shiftBank + left).
void addMotifs(std::vector<Motif> &motifs, int numHomol, const Homology_info *helix,
               int shiftCur, int shiftBank, char frame);

// 1 when both supermotifs name the same bank path and entry number.
int theSameBankSeq(const Supermotif *sup_1, const Supermotif *sup_2);
// Moves every motif by qShift on the query and bShift on the bank sequence.
void addToBeg(Supermotif *sup, int qShift, int bShift);

// Reduce: every ordered pair of supermotifs on different bank sequences, scored over the
// regions they imply; a sequence that can't be read is passed over (the log tells its bank's
// faults). The result is opened once the blocks are read. 0; kTervexUnknownInput after
// "\n tervex: REDUCE variant can't load supermotif from file %s\n" when the input holds no
// supermotif (a SubBase file), the result left as it was; or kTervexNoResultFile.
int red_tervex(SearchHomolParams &par, const char *inpFileName, const char *outFileName,
               EntryLog &log);

// ---------------------------------------------------------------- Shorten

// One region per supermotif of the motif file (its bank span widened by 10 letters each side,
// kept inside the sequence) and the list of their addresses. 0; after a message,
// kTervexUnknownInput when the file holds no supermotif, kTervexNoEntry when its first query
// can't be read. banksRead receives the number of supermotifs whose bank sequence could be
// read (one without letters gives no region).
int makeSegm(std::vector<Shift> &regions, SeqList &list, const char *motifName, EntryLog &log,
              int &banksRead);

// Shorten: each region against the regions of the others. nSeq > 0 screens the first nSeq
// regions, otherwise all. 0; kTervexNoResultFile after its message; with the result left as
// it was, the code of makeSegm, or kTervexNoEntry when no bank sequence of the supermotifs
// could be read.
int sho_tervex(int nSeq, SearchHomolParams &search, const char *inpFileName,
               const char *outFileName, int theSame, EntryLog &log);
