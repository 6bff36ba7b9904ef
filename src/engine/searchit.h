// Threaded search of one query against the banks: one reader thread fills a fixed pool of work
// records with bank sequences, counting threads run the frame loop on them, and the calling
// thread merges their results. The result list is the one the search in one thread gives.
#pragma once

#include <vector>

#include "fifo.h"
#include "onbank.h"
#include "thread.h"
#include "work_seq.h"

// Work record (reader to counter), recycled through the free pool.
struct searchReadParameters {
  int nSeq = 0;                    // entry number in its bank, from 0
  const char *baseName = nullptr;  // bank path, pointing into the bank list
  int baseMolType = 0;             // molecule type of the bank
  long long ordinal = 0;           // running number over all banks: the merge order
  WorkSeq bank_seq;                // the bank sequence, owned

  searchReadParameters() { bank_seq.frame = ' '; }
};

// Result record (counter to caller): one group per clustering of the frame loop, in its order.
// The caller merges and deletes it; the destructor frees whatever was not merged.
struct searchCountParameters {
  int nSeq = 0;
  const char *baseName = nullptr;
  int baseMolType = 0;
  int queMolType = 0;
  long long ordinal = 0;
  int numSupers = 0;                   // groups
  std::vector<int> numSuper;           // supermotifs per group
  std::vector<Supermotif **> super;    // new[] array per group (null for an empty one), owned

  searchCountParameters() = default;
  searchCountParameters(const searchCountParameters &) = delete;
  searchCountParameters &operator=(const searchCountParameters &) = delete;
  ~searchCountParameters();
};

// One query's pipeline. The constructor builds the query frames, fills the free pool and starts
// the threads (counting threads first, then the reader); the destructor waits for every thread
// before anything they use goes. The caller keeps the cut query, the parameters and the bank
// list alive and unchanged until the iterator is destroyed.
class SearchHomolIterator {
 public:
  int numThreads;                        // counting threads asked for
  std::vector<Thread *> countThreads;    // those started
  Thread *readThread = nullptr;          // null when no counting thread started
  int fifoSize;
  searchReadParameters *readParameters;  // fifoSize work records
  const SearchHomolParams *searchParams;
  char **base_list;
  QueryFrames frames;                    // query frames, their divisions and one set of engines
  int numQFrame, querIsTran, querMolType;
  ClusterThresholds thresholds;
  int select;                            // SelectSuper on each clustering
  int seqLen;                            // whole query length SelectSuper checks against
  FIFO<searchReadParameters *> ReadInFifo;    // free records
  FIFO<searchReadParameters *> ReadOutFifo;   // filled records and end markers
  FIFO<searchCountParameters *> ResultFifo;   // results and end markers

  // `_query` is the cut query; `offset` the 0-based position of its first letter in the whole
  // query, `tail` the number of the whole query's letters after its end. Exit 7 on no memory, 111 without letter groups or (for a translated query) without
  // a translation code. A thread that can't start is reported on standard output.
  SearchHomolIterator(int numCountThreads, int _fifoSize, const SearchHomolParams &_searchParams,
                      char **_base_list, const WorkSeq &_query, int offset, int _select,
                      int tail = 0);
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
// supermotif, in the same order), same progress file and messages. `result` is cleared first
// and owned by the caller afterwards. Falls back to the calling thread when threads can't start.
int searchOnBankMultyThread(SearchHomolParams &searchParams, char **base_list,
                            const WorkSeq &_query, std::vector<Supermotif *> &result,
                            int select = -1);
