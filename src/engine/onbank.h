// Search of one query against the banks of a bank list: query frames and their engines,
// the frame loop of one bank sequence (comparison, splitting across frames, clustering,
// selection), and the capped result list ordered by decreasing power. Also the splitting of
// motifs across translation frames and the progress file "ctr".
#pragma once

#include <vector>

#include "cluster.h"
#include "motif.h"
#include "seahom.h"

class WorkSeq;

// Room of the engine's motif array, shared by the frame pairs pooled before one clustering.
constexpr int kMotifRoom = 10000;
// motSplit2 writes up to three pieces per input motif.
constexpr int kSplitRoom = 3 * kMotifRoom;

// ---------------------------------------------------------------- splitting across frames

// Turns the nMot engine records into plain motifs in newMot (room for 3 x nMot records),
// cutting a motif of one translation frame at the ends of a motif of another frame that lies
// inside it on a nearby diagonal. Frames '+'/'-' or each != 0: a plain copy. Every `wei` is
// released and nulled; nMot becomes the number of records written.
void motSplit2(int &nMot, MotifWei *mot, Motif *&newMot, int each);
// Appends one to three pieces of mot1, cut at the ends of mot2 (which lies inside it), at
// newMot[to...]; `to` advances.
void split(int &to, MotifWei &mot1, MotifWei &mot2, Motif *newMot);
// Sorting by diagonal (qBeg - bBeg), then qBeg, then len, ascending (qsort comparators).
int cmpMot(const void *a, const void *b);
int cmpPoi(const void *a, const void *b);
// 1 when mot2 lies inside mot1 on the query and their diagonals differ by at most 3.
int inside(const Motif &mot1, const Motif &mot2);
// Merges the motifs of each diagonal. Returns a new[] array holding the result (room for
// max(10000, 2 x nMot) records), deletes[] the input and sets nMot. Exit 7 on no memory.
Motif *motUpd(int &nMot, Motif *mot);
// Cuts every motif at the begin and end positions of all motifs. newMot must be a new[] array
// of at least 10000 records; it is replaced by a larger one at every multiple of 10000.
// Stops before a stretch when exactly 10000 pieces were made. Releases every `wei`.
int motSplit(int &nMot, MotifWei *mot, Motif *&newMot);

// ---------------------------------------------------------------- result list

// Sort comparator of Supermotif pointers (passed by address): larger power first.
int cmpSup(const void *a, const void *b);

// Sorts numSup supermotifs by decreasing power (stable) and keeps those whose query positions
// are not mostly covered by stronger kept ones; deletes the others. A motif ending beyond
// seqLen ends the run (exit 11). `charFun` is scratch reused between calls.
void SelectSuper(int &numSup, Supermotif **result, int seqLen, std::vector<unsigned char> &charFun);
void SelectSuper(int &numSup, Supermotif **result, int seqLen);

// Merges numSuper new supermotifs into the list (decreasing power, a newcomer after equal
// powers), capped at numMax entries; a placed one gets the bank address (a copy of bankAdr,
// numSeq), the others are deleted. The list owns its supermotifs.
void addSuper(std::vector<Supermotif *> &result, int numSuper, Supermotif **super, int numMax,
              const char *bankAdr, int numSeq);

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
  void build(const SearchHomolParams &params, const BankSeq &cutQuery, int baseMolType);
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

// Writes " \n Bank %s  " to the progress file "ctr" (created anew for the first bank).
void writeProgress(const char *bankPath, int nBank);

// Cuts the query to its letters From..To and corrects the thresholds for it (exit 111 for a
// query too short, no color file). Returns the offset of the cut in the query, -1 when empty.
int cutQuery(SearchHomolParams &searchParams, const WorkSeq &_query, WorkSeq &cut);

// Searches the query (cut to From..To, thresholds corrected) against every bank of base_list
// and fills `result` (cleared first, owned by the caller afterwards) with the strongest
// supermotifs, decreasing power. `select` enables SelectSuper. Returns their number.
int searchOnBank(SearchHomolParams &searchParams, char **base_list, const WorkSeq &_query,
                 std::vector<Supermotif *> &result, int select);
