// The bank-search driver: one query against every sequence of the banks of a bank list.
//
// Contents, in order:
//   query side     cutQuery, QueryFrames (the query frames and their engines), thresholds
//   frame loop     compareBankSeq: one bank sequence against the query frames, each
//                  clustering handed to a SuperSink
//   bank walk      walkBanks: the listed banks and their sequences, the progress file "ctr",
//                  each sequence handed to a BankSeqHandler
//   one thread     searchOnBank: the walk and the frame loop in the calling thread
// The threaded pipeline (searchit.h) runs the same walk in its reader thread and the same
// frame loop in its counting threads.
#pragma once

#include <vector>

#include "cluster.h"
#include "motif.h"
#include "motif_split.h"
#include "seahom.h"
#include "super_list.h"

class WorkSeq;

// ---------------------------------------------------------------- query side

// Whether a query of molecule type querMolType (of its cut: 0 protein, 1 nucleic) compared
// with banks of type baseMolType (0, 1, or 2 for both) is translated, and so needs the
// genetic code. Decides the frames of QueryFrames::build, walkBanks and queriesNeedCode alike.
bool needsCode(int querMolType, int baseMolType);

// Whether some query of the query file, cut as the search cuts it, needs the genetic code
// against banks of type baseMolType. Queries the search ends on (empty cuts, cuts of at most
// 2 letters) are passed over. Stops at the first query that needs it; false for a file that
// can't be opened. Exit 99 for a file of no known format.
bool queriesNeedCode(const SearchHomolParams &params, const char *queryPath, int baseMolType);

// Cuts the query to its letters From..To and corrects the thresholds for it (exit 111 for a
// query too short, no color file). Returns the offset of the cut in the query, -1 when empty;
// `tail` (when given) receives the number of the query's letters after the cut.
int cutQuery(SearchHomolParams &searchParams, const WorkSeq &_query, WorkSeq &cut,
             int *tail = nullptr);

// The clustering thresholds of a query: lenThres = thLength, powThres and gapPenal on the
// integer scale.
struct ClusterThresholds {
  int lenThres;
  int powThres;
  int gapPenal;
};
ClusterThresholds clusterThresholds(const SearchHomolParams &p);

// The query frames of one query with their engines, built once before the banks are read.
struct QueryFrames {
  int numQFrame = 0;
  int querMolType = 0;
  int querIsTran = 0;
  SearchHomol *engine[7] = {};  // one engine per frame, owned

  // Builds the frames of the cut query (its translations when a nucleic query meets protein
  // banks, then the query itself), one Division_generator and one engine each. params.wm must
  // hold the query's matrix (readMatr). Exit 7 on no memory, 111 without a translation code.
  // `tail` is the number of the whole query's letters after the cut (SearchHomol::cutTail).
  void build(const SearchHomolParams &params, const BankSeq &cutQuery, int baseMolType,
             int tail = 0);
  // Another set of engines over the same divisions (for another thread); the caller deletes
  // them before this object goes.
  void makeEngines(const SearchHomolParams &params, SearchHomol **out) const;
  const BankSeq &frame(int i) const { return frame_[i]; }

  QueryFrames() = default;
  QueryFrames(const QueryFrames &) = delete;
  QueryFrames &operator=(const QueryFrames &) = delete;
  ~QueryFrames();

 private:
  BankSeq frame_[7];
  AA_groups ag_;     // the parameters' letter groups, for the translated frames' tables
  AA_groups dnaAg_;  // nucleotide groups, for the nucleic frame of a translated query
  Division_generator *gen_[7] = {};
  int tail_ = 0;
};

// ---------------------------------------------------------------- frame loop

// Scratch of one thread for the frame loop; reused for every bank sequence.
struct FrameLoopWork {
  MotifWei *mot;     // kMotifRoom records
  Motif *newMot;     // kSplitRoom records
  BankSeq bankFrame;
  std::vector<unsigned char> charFun;

  FrameLoopWork();
  FrameLoopWork(const FrameLoopWork &) = delete;
  FrameLoopWork &operator=(const FrameLoopWork &) = delete;
  ~FrameLoopWork();
};

// Receives each clustering's supermotifs; takes ownership of `super` and its entries.
class SuperSink {
 public:
  virtual void take(int numSuper, Supermotif **super) = 0;
  virtual ~SuperSink() {}
};

// Compares one bank sequence with the query frames: every bank frame of the iterator of
// engine[0] against the query frames of its range, pooled or not by `eachFrame`, splitting,
// clustering and (when `select`) selection against seqLen; each clustering goes to `sink`.
void compareBankSeq(SearchHomol *const *engine, int numQFrame, int querMolType, int querIsTran,
                    const BankSeq &bankSeq, int bankMolType, const ClusterThresholds &th,
                    int select, int seqLen, FrameLoopWork &work, SuperSink &sink);

// ---------------------------------------------------------------- bank walk

// The progress file, in the working directory.
constexpr char kProgressFile[] = "ctr";

// Writes " \n Bank %s  " to the progress file "ctr" (created anew for the first bank).
void writeProgress(const char *bankPath, int nBank);

// Receives the sequences of the bank walk, one at a time.
class BankSeqHandler {
 public:
  // Where the next bank sequence is to be read.
  virtual WorkSeq &place() = 0;
  // place() now holds entry nSeq (from 0) of the bank bankPath, of molecule type bankMolType.
  virtual void handle(const char *bankPath, int bankMolType, int nSeq) = 0;
  // place() was not filled: its bank has no further sequence.
  virtual void unused() {}
  virtual ~BankSeqHandler() {}
};

// Reads every sequence of every bank of base_list (up to its null), in list order: the
// bank's line goes to the progress file first; a bank that can't be opened is reported
// ("\n Base %s invalid") and skipped. An entry without residues is never handed over, but
// its number is counted. A nucleic bank met by a protein query needs the
// translation code (exit 111 without one).
void walkBanks(char **base_list, int querMolType, const SearchHomolParams &params,
               BankSeqHandler &handler);

// ---------------------------------------------------------------- one thread

// Searches the query (cut to From..To, thresholds corrected) against every bank of base_list
// and fills `result` (cleared first, owned by the caller afterwards) with the strongest
// supermotifs, decreasing power. SelectSuper runs on each clustering when `select` is 1, never
// when it is 0, and as the parameters' selectSup says when it is left out (-1). Returns the
// number of supermotifs.
int searchOnBank(SearchHomolParams &searchParams, char **base_list, const WorkSeq &_query,
                 std::vector<Supermotif *> &result, int select = -1);
