// Threaded search of one query against the banks: one reader thread fills a fixed pool of work
// records with bank sequences, counting threads run the frame loop on them, and the calling
// thread merges their results. The result list is the one the search in one thread gives.
//
// A work record carries a batch of bank sequences, not one: against a short query a bank
// sequence is a few microseconds of work, and every hand-over can cost a sleep and a wake-up
// on each side, so handing them over one by one would cost more than threads gain.
#pragma once

#include <vector>

#include "fifo.h"
#include "onbank.h"
#include "thread.h"
#include "work_seq.h"

// Batch limits of search: a work record is handed over once it holds this many letters, or
// this many (short) sequences. 32768 letters are a millisecond of counting against a short
// query and several against a long one: the hand-over (a few system calls and wake-ups) then
// costs about 1 %, while the last batch of a query, which one counting thread may finish
// alone, stays short.
constexpr int kBatchSeqs = 512;
constexpr int kBatchLetters = 32768;

// Clusterings of one bank sequence: bank frames times query frames, at most 6 with one frame
// for a protein bank; one slot to spare.
constexpr int kMaxGroups = 7;

// One bank sequence of a work record.
struct searchReadParameters {
  int nSeq = 0;                    // entry number in its bank, from 0
  const char *baseName = nullptr;  // bank path, pointing into the bank list
  int baseMolType = 0;             // molecule type of the bank
  WorkSeq bank_seq;                // the bank sequence; its buffer is reused

  searchReadParameters() { bank_seq.frame = ' '; }
};

// Work record (reader to counter), recycled through the free pool: consecutive sequences of
// the walk, possibly of several banks.
struct searchReadBatch {
  long long ordinal = 0;  // running number of the batch: the merge order
  int numSeqs = 0;        // sequences filled
  int letters = 0;        // their letters
  // Slots made as first needed (room for the iterator's batchSeqs is reserved): a record
  // rarely fills them all, and each slot's buffer is reused from batch to batch.
  std::vector<searchReadParameters> seq;
};

// The clusterings of one bank sequence, one group each in frame-loop order. Whatever the caller
// did not merge is freed by the destructor.
struct searchCountParameters {
  int nSeq = 0;
  const char *baseName = nullptr;
  int numSupers = 0;                    // groups
  int numSuper[kMaxGroups] = {};        // supermotifs per group
  Supermotif **super[kMaxGroups] = {};  // new[] array per group (null when empty), owned

  searchCountParameters() = default;
  searchCountParameters(const searchCountParameters &) = delete;
  searchCountParameters &operator=(const searchCountParameters &) = delete;
  ~searchCountParameters();
};

// Result record (counter to caller): the results of one work record, in its order. Allocated
// by a counting thread, deleted by the caller.
struct searchCountBatch {
  long long ordinal = 0;
  int numSeqs = 0;
  searchCountParameters *res = nullptr;  // numSeqs results, owned

  explicit searchCountBatch(int n);  // exit 7 on no memory
  searchCountBatch(const searchCountBatch &) = delete;
  searchCountBatch &operator=(const searchCountBatch &) = delete;
  ~searchCountBatch() { delete[] res; }
};

// One query's pipeline. The constructor builds the query frames, fills the free pool and starts
// the threads (counting threads first, then the reader); the destructor waits for every thread
// before anything they use goes. The caller keeps the cut query, the parameters and the bank
// list alive and unchanged until the iterator is destroyed.
class SearchHomolIterator {
 public:
  int numThreads;                      // counting threads asked for
  std::vector<Thread *> countThreads;  // those started
  Thread *readThread = nullptr;        // null when no counting thread started
  int fifoSize;                        // work records in the pool
  int batchSeqs, batchLetters;         // when the reader hands a work record over
  searchReadBatch *readParameters;     // fifoSize work records
  const SearchHomolParams *searchParams;
  char **base_list;
  QueryFrames frames;  // query frames, their divisions and one set of engines
  int numQFrame, querIsTran, querMolType;
  ClusterThresholds thresholds;
  int select;                           // SelectSuper on each clustering
  int seqLen;                           // whole query length SelectSuper checks against
  FIFO<searchReadBatch *> ReadInFifo;   // free records
  FIFO<searchReadBatch *> ReadOutFifo;  // filled records and end markers
  FIFO<searchCountBatch *> ResultFifo;  // results and end markers

  // `_query` is the cut query; `offset` the 0-based position of its first letter in the whole
  // query, `tail` the number of the whole query's letters after its end. A work record goes
  // to the counting threads with `_batchSeqs` sequences or at least `_batchLetters` letters
  // (or at the end of the banks); both are taken as at least 1. Exit 7 on no memory, 111
  // without letter groups or (for a translated query) without a translation code. A thread
  // that can't start is reported on standard output.
  SearchHomolIterator(int numCountThreads, int _fifoSize, const SearchHomolParams &_searchParams,
                      char **_base_list, const WorkSeq &_query, int offset, int _select,
                      int tail = 0, int _batchSeqs = kBatchSeqs, int _batchLetters = kBatchLetters);
  ~SearchHomolIterator();
  SearchHomolIterator(const SearchHomolIterator &) = delete;
  SearchHomolIterator &operator=(const SearchHomolIterator &) = delete;

  // End markers the caller must collect from ResultFifo: one per counting thread running.
  // 0 when the pipeline could not start (no counting thread, or no reader): then every thread
  // started has already ended and the search has to run in the calling thread.
  int running() const { return running_; }

 private:
  int running_ = 0;
};

// Reader thread body (argument: the iterator); returns null.
void *Read(void *iterator);
// Counting thread body (argument: the iterator); returns null.
void *Count(void *iterator);

// searchOnBank with a reader and two counting threads: same arguments, same result list (every
// supermotif, in the same order), same progress file and messages, whatever the batch limits
// of the work records. `result` is cleared first and owned by the caller afterwards. Falls back
// to the calling thread when threads can't start.
int searchOnBankMultyThread(SearchHomolParams &searchParams, char **base_list,
                            const WorkSeq &_query, std::vector<Supermotif *> &result,
                            int select = -1, int batchSeqs = kBatchSeqs,
                            int batchLetters = kBatchLetters);
