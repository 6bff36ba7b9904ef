// Threaded search of one query: the reader and counting thread bodies, the pipeline's set-up
// and shutdown, and the merge of results in bank order.
#include "searchit.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <new>

#include "errormsg.h"

searchCountParameters::~searchCountParameters() {
  for (int g = 0; g < numSupers; g++) {
    if (!super[g]) continue;
    for (int i = 0; i < numSuper[g]; i++) delete super[g][i];
    delete[] super[g];
  }
}

searchCountBatch::searchCountBatch(int n) : numSeqs(n) {
  res = allocArray<searchCountParameters>(n);
}

namespace {

// The queue operations retry on signals and exit on any other failure, so a 0 here means the
// pipeline lost a record; going on would drop results or hang.
template <class T>
void queuePut(FIFO<T> &q, T x) {
  if (!q.put(x)) fatalExit(kExitBadData, "\n Search queue put failed\n");
}

template <class T>
T queueGet(FIFO<T> &q) {
  T x = nullptr;
  if (!q.get(x)) fatalExit(kExitBadData, "\n Search queue get failed\n");
  return x;
}

void reportNoStart(const char *which, int err) {
  char buf[256];
  const char *reason = strerror_r(err, buf, sizeof buf);
  printf("\n Can't start the %s thread: %s", which, reason);
  fflush(stdout);
}

// Collects each clustering of one bank sequence as the next group of its result.
class GroupSink : public SuperSink {
 public:
  searchCountParameters *rec = nullptr;
  void take(int numSuper, Supermotif **super) override {
    if (rec->numSupers == kMaxGroups)
      fatalExit(kExitBadData, "\n More than %d clusterings of one bank sequence\n", kMaxGroups);
    rec->numSuper[rec->numSupers] = numSuper;
    rec->super[rec->numSupers] = super;
    rec->numSupers++;
  }
};

// Merges a result record's groups into the list, in frame-loop order, as the search in one
// thread does; the record keeps no supermotif afterwards.
void mergeRecord(searchCountParameters &r, std::vector<Supermotif *> &result, int maxSuper) {
  for (int g = 0; g < r.numSupers; g++) {
    if (r.super[g]) addSuper(result, r.numSuper[g], r.super[g], maxSuper, r.baseName, r.nSeq);
    delete[] r.super[g];
    r.super[g] = nullptr;
    r.numSuper[g] = 0;
  }
}

void mergeBatch(searchCountBatch &b, std::vector<Supermotif *> &result, int maxSuper) {
  for (int k = 0; k < b.numSeqs; k++) mergeRecord(b.res[k], result, maxSuper);
}

}  // namespace

SearchHomolIterator::SearchHomolIterator(int numCountThreads, int _fifoSize,
                                         const SearchHomolParams &_searchParams,
                                         char **_base_list, const WorkSeq &_query, int offset,
                                         int _select, int tail, int _batchSeqs,
                                         int _batchLetters)
    : numThreads(numCountThreads > 0 ? numCountThreads : 0),
      fifoSize(_fifoSize),
      batchSeqs(_batchSeqs > 1 ? _batchSeqs : 1),
      batchLetters(_batchLetters > 1 ? _batchLetters : 1),
      readParameters(nullptr),
      searchParams(&_searchParams),
      base_list(_base_list),
      numQFrame(0),
      querIsTran(0),
      querMolType(0),
      thresholds(clusterThresholds(_searchParams)),
      select(_select),
      seqLen(_query.len() + offset + tail),
      ReadInFifo(_fifoSize),
      ReadOutFifo(numThreads + _fifoSize),
      ResultFifo(_fifoSize) {
  frames.build(_searchParams, _query, _searchParams.baseMolType, tail);
  numQFrame = frames.numQFrame;
  querIsTran = frames.querIsTran;
  querMolType = frames.querMolType;

  readParameters = allocArray<searchReadBatch>(fifoSize);
  for (int i = 0; i < fifoSize; i++) {
    readParameters[i].seq.reserve(batchSeqs);
    queuePut(ReadInFifo, &readParameters[i]);
  }

  // Counting threads first: the reader must know how many end markers to send.
  for (int i = 0; i < numThreads; i++) {
    Thread *t = allocObject<Thread>(Count, this);
    if (!t->Started()) {
      reportNoStart("counting", t->StartError);
      delete t;
      continue;
    }
    countThreads.push_back(t);
  }
  if (countThreads.empty()) return;

  readThread = allocObject<Thread>(Read, this);
  if (!readThread->Started()) {
    reportNoStart("reader", readThread->StartError);
    // Stop the counting threads as the reader would have, taking their null results so that
    // none of them can block on a full result queue.
    for (size_t i = 0; i < countThreads.size(); i++)
      queuePut(ReadOutFifo, (searchReadBatch *)nullptr);
    for (size_t i = 0; i < countThreads.size(); i++) delete queueGet(ResultFifo);
    for (Thread *t : countThreads) t->Join();
    return;
  }
  running_ = (int)countThreads.size();
}

SearchHomolIterator::~SearchHomolIterator() {
  // Every thread ends before the queues, the frames and the records it uses go.
  if (readThread) readThread->Join();
  for (Thread *t : countThreads) t->Join();
  delete readThread;
  for (Thread *t : countThreads) delete t;
  countThreads.clear();
  searchCountBatch *r = nullptr;
  while (ResultFifo.CircleBuffer<searchCountBatch *>::get(r)) delete r;
  delete[] readParameters;
}

namespace {

// The reader's side of the walk: bank sequences are read into the slots of a free work record,
// which goes to the counting threads once full; reading order numbers the records for the
// merge.
class FillRecords : public BankSeqHandler {
 public:
  explicit FillRecords(SearchHomolIterator &it) : it_(it) {}
  WorkSeq &place() override {
    if (!rec_) {
      rec_ = queueGet(it_.ReadInFifo);
      rec_->numSeqs = 0;
      rec_->letters = 0;
    }
    if (rec_->numSeqs == (int)rec_->seq.size()) rec_->seq.emplace_back();
    return rec_->seq[rec_->numSeqs].bank_seq;
  }
  void handle(const char *bankPath, int bankMolType, int nSeq) override {
    searchReadParameters &s = rec_->seq[rec_->numSeqs++];
    s.nSeq = nSeq;
    s.baseName = bankPath;
    s.baseMolType = bankMolType;
    rec_->letters += s.bank_seq.len();
    if (rec_->numSeqs == it_.batchSeqs || rec_->letters >= it_.batchLetters) send();
  }
  // The slot that was not filled serves the next bank's first sequence.
  void unused() override {}
  // After the last bank: the last work record goes out, or back to the pool when empty.
  void finish() {
    if (rec_ && rec_->numSeqs > 0)
      send();
    else if (rec_)
      queuePut(it_.ReadInFifo, rec_);
    rec_ = nullptr;
  }

 private:
  void send() {
    rec_->ordinal = ordinal_++;
    queuePut(it_.ReadOutFifo, rec_);
    rec_ = nullptr;
  }
  SearchHomolIterator &it_;
  searchReadBatch *rec_ = nullptr;
  long long ordinal_ = 0;
};

}  // namespace

void *Read(void *iterator) {
  SearchHomolIterator &it = *static_cast<SearchHomolIterator *>(iterator);
  FillRecords fill(it);
  walkBanks(it.base_list, it.querMolType, *it.searchParams, fill);
  fill.finish();
  for (size_t i = 0; i < it.countThreads.size(); i++)
    queuePut(it.ReadOutFifo, (searchReadBatch *)nullptr);
  return nullptr;
}

void *Count(void *iterator) {
  SearchHomolIterator &it = *static_cast<SearchHomolIterator *>(iterator);
  SearchHomol *engine[7] = {};
  it.frames.makeEngines(*it.searchParams, engine);
  {
    FrameLoopWork work;
    GroupSink sink;
    for (;;) {
      searchReadBatch *rec = queueGet(it.ReadOutFifo);
      if (!rec) break;
      searchCountBatch *res = allocObject<searchCountBatch>(rec->numSeqs);
      res->ordinal = rec->ordinal;
      for (int k = 0; k < rec->numSeqs; k++) {
        const searchReadParameters &s = rec->seq[k];
        sink.rec = &res->res[k];
        sink.rec->nSeq = s.nSeq;
        sink.rec->baseName = s.baseName;
        compareBankSeq(engine, it.numQFrame, it.querMolType, it.querIsTran, s.bank_seq,
                       s.baseMolType, it.thresholds, it.select, it.seqLen, work, sink);
      }
      // Even an empty result is sent: the merge waits for every ordinal.
      queuePut(it.ResultFifo, res);
      queuePut(it.ReadInFifo, rec);
    }
  }
  queuePut(it.ResultFifo, (searchCountBatch *)nullptr);
  for (int i = 0; i < 7; i++) delete engine[i];
  return nullptr;
}

int searchOnBankMultyThread(SearchHomolParams &searchParams, char **base_list,
                            const WorkSeq &_query, std::vector<Supermotif *> &result, int select,
                            int batchSeqs, int batchLetters) {
  result.clear();
  WorkSeq cut;
  int tail = 0;
  const int from = cutQuery(searchParams, _query, cut, &tail);
  if (from < 0) return 0;

  if (select < 0) select = searchParams.selectSup;
  int started;
  {
    SearchHomolIterator it(2, 12, searchParams, base_list, cut, from, select, tail, batchSeqs,
                           batchLetters);
    started = it.running();
    // Results arrive in any order; they are merged strictly in reading order, so the list
    // (ties and the cap included) is the one of the search in one thread.
    std::map<long long, searchCountBatch *> pending;
    long long next = 0;
    for (int countdown = started; countdown > 0;) {
      searchCountBatch *r = queueGet(it.ResultFifo);
      if (!r) {
        countdown--;
        continue;
      }
      pending.emplace(r->ordinal, r);
      for (auto p = pending.begin(); p != pending.end() && p->first == next;
           p = pending.begin()) {
        mergeBatch(*p->second, result, searchParams.maxSuper);
        delete p->second;
        pending.erase(p);
        next++;
      }
    }
    // Every ordinal has arrived once all end markers are in; anything left would be a gap.
    for (auto &p : pending) {
      mergeBatch(*p.second, result, searchParams.maxSuper);
      delete p.second;
    }
  }
  // The pipeline could not start: search in the calling thread (the corrections repeat as
  // no-ops).
  if (started == 0) return searchOnBank(searchParams, base_list, _query, result, select);
  return (int)result.size();
}
