// The threaded search against the search in one thread: the same result list (printed as motif
// blocks, byte for byte), the same progress file and messages; the pipeline's records and end
// markers; the fall back to the calling thread when threads can't start.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "searchit.h"
#include "seqbase.h"
#include "testutil.h"
#include "work_seq.h"

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define SEQ_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
#define SEQ_SANITIZED 1
#endif
#endif
#ifndef SEQ_SANITIZED
#define SEQ_SANITIZED 0
#endif

namespace {

const std::string kData = SEQ_TEST_DATA "/searchit/";

// Parameters read from a parameter file naming the committed letter groups and genetic code.
void loadParams(SearchHomolParams &p, const testutil::TempDir &dir, const std::string &extra,
                int baseMolType) {
  std::string path = dir.file("params.txt");
  testutil::writeFile(path, "!c " + kData + "colors.txt\n!e " + kData + "code.txt\n" + extra);
  FILE *f = fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  p.freadParam(f);
  fclose(f);
  p.baseMolType = baseMolType;
}

std::vector<WorkSeq> readQueries(const std::string &file) {
  std::vector<WorkSeq> out;
  SeqBase base(file.c_str());
  EXPECT_TRUE(base.valid()) << file;
  WorkSeq q;
  char name[1024];
  int handle = 0;
  while (base.valid() && base.next(q, name, handle)) out.push_back(q);
  return out;
}

// A null-ended bank list over the given paths (kept alive by the object).
struct BankList {
  std::vector<std::string> paths;
  std::vector<char *> list;
  explicit BankList(std::vector<std::string> p) : paths(std::move(p)) {
    for (std::string &s : paths) list.push_back(&s[0]);
    list.push_back(nullptr);
  }
  char **get() { return list.data(); }
};

// Standard output of the calling process sent to a file between start and stop.
class StdoutCapture {
 public:
  explicit StdoutCapture(std::string path) : path_(std::move(path)) {
    fflush(stdout);
    saved_ = dup(1);
    int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    close(fd);
  }
  std::string stop() {
    fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
    return testutil::readFile(path_);
  }

 private:
  std::string path_;
  int saved_;
};

// Work record limits: the program's, none, across bank ends, cut by letters before the count.
struct Batch {
  int seqs, letters;
};
const Batch kProgramBatch = {kBatchSeqs, kBatchLetters};
const Batch kBatches[] = {kProgramBatch, {1, 1}, {2, 1 << 30}, {3, 250}};

// One search in the chosen mode, its list printed as the search program prints it.
struct Outcome {
  int n = -1;
  std::string text;
};

Outcome runMode(bool threaded, const SearchHomolParams &params, char **list,
                const WorkSeq &query, int select, Batch batch = kProgramBatch) {
  SearchHomolParams p(params);
  std::vector<Supermotif *> res;
  Outcome o;
  o.n = threaded ? searchOnBankMultyThread(p, list, query, res, select, batch.seqs, batch.letters)
                 : searchOnBank(p, list, query, res, select);
  EXPECT_EQ(o.n, (int)res.size());
  char *buf = nullptr;
  size_t len = 0;
  FILE *f = open_memstream(&buf, &len);
  for (Supermotif *s : res) {
    s->update("queries.fa", 0, '+');
    s->printSuper(f);
    delete s;
  }
  fclose(f);
  o.text.assign(buf, len);
  free(buf);
  return o;
}

// Searches every query of `queryFile` in both modes and expects identical lists; returns the
// total number of supermotifs found (so a case can show it is not empty).
int compareModes(const std::string &extra, const std::string &queryFile,
                 std::vector<std::string> banks, int baseMolType, int select = 0) {
  testutil::TempDir dir;
  SearchHomolParams params;
  loadParams(params, dir, extra, baseMolType);
  BankList list(std::move(banks));
  int total = 0;
  int qi = 0;
  for (const WorkSeq &q : readQueries(kData + queryFile)) {
    StdoutCapture cap(dir.file("matr.txt"));
    params.readMatr(q);
    cap.stop();
    Outcome one = runMode(false, params, list.get(), q, select);
    for (const Batch &b : kBatches) {
      Outcome two = runMode(true, params, list.get(), q, select, b);
      EXPECT_EQ(std::make_pair(one.n, one.text), std::make_pair(two.n, two.text)) << "query " << qi << " batch " << b.seqs;
    }
    total += one.n;
    qi++;
  }
  return total;
}

// Each test runs in a directory of its own: both modes write the progress file "ctr" in the
// working directory, which other test programs share.
class InOwnDir : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(here_.path().c_str()), 0);
  }
  void TearDown() override {
    if (cwd_) {
      EXPECT_EQ(chdir(cwd_), 0);
    }
    free(cwd_);
  }
  testutil::TempDir here_;

 private:
  char *cwd_ = nullptr;
};
class ThreadedSearch : public InOwnDir {};
class ThreadPipeline : public InOwnDir {};
class ThreadPipelineDeathTest : public InOwnDir {};

TEST_F(ThreadedSearch, ProteinQueriesAgainstProteinBanks) {
  for (const char *extra : {"", "!l Y\n", "!M 3\n"}) {
    int found = compareModes(extra, "queries.fa",
                             {kData + "prot_a.fa", kData + "prot_b.fa", kData + "prot_c.fa"}, 0,
                             std::string(extra) == "!l Y\n");
    EXPECT_GE(found, 6) << extra;
  }
}

TEST_F(ThreadedSearch, DuplicateEntriesKeepBankOrderAtTheCap) {
  // 14 copies of the query in each of two listings of one bank: 28 equal powers, 5 kept.
  const std::string dup = kData + "dup.fa";
  EXPECT_GE(compareModes("!M 5\n", "queries.fa", {dup, kData + "prot_b.fa", dup}, 0), 10);

  // The survivors are the first copies in reading order, whichever thread found them.
  testutil::TempDir dir;
  SearchHomolParams params;
  loadParams(params, dir, "!M 5\n", 0);
  BankList list({dup, dup});
  WorkSeq q = readQueries(kData + "queries.fa")[0];
  StdoutCapture cap(dir.file("matr.txt"));
  params.readMatr(q);
  cap.stop();
  for (int run = 0; run < 8; run++) {
    SearchHomolParams p(params);
    std::vector<Supermotif *> res;
    const Batch &b = kBatches[run % 4];
    ASSERT_EQ(searchOnBankMultyThread(p, list.get(), q, res, 0, b.seqs, b.letters), 5);
    for (int i = 0; i < 5; i++) {
      EXPECT_EQ(res[i]->power, res[0]->power);
      EXPECT_EQ(res[i]->bNum, i);
      EXPECT_STREQ(res[i]->bAdr, dup.c_str());
    }
    for (Supermotif *s : res) delete s;
  }
}

TEST_F(ThreadedSearch, CapBelowTheNumberOfHits) {
  for (const char *cap : {"!M 1\n", "!M 2\n", "!M 4\n"})
    EXPECT_GE(compareModes(cap, "queries.fa",
                           {kData + "prot_c.fa", kData + "dup.fa", kData + "prot_a.fa"}, 0),
              3)
        << cap;
}

TEST_F(ThreadedSearch, NucleicQueryAgainstAMixedList) {
  const std::vector<std::string> mixed = {kData + "prot_a.fa", kData + "nuc.fa",
                                          kData + "prot_b.fa", kData + "nuc.fa"};
  // Frame pairs clustered alone, pooled per strand, and with the selection step.
  EXPECT_GE(compareModes("!E Y\n!D f\n", "query_nuc.fa", mixed, 2), 4);
  EXPECT_GE(compareModes("!E Y\n!D j\n", "query_nuc.fa", mixed, 2), 4);
  EXPECT_GE(compareModes("!E Y\n!D j\n", "query_nuc.fa", mixed, 2, 1), 2);
  // A protein query meets the nucleic bank through the bank's translated frames.
  EXPECT_GE(compareModes("!E Y\n!D f\n", "queries.fa", mixed, 2), 4);
}

TEST_F(ThreadedSearch, QueryPiecesKeepTheirPositions) {
  // From above 1: positions carry the offset; the selection step must accept them.
  EXPECT_GE(compareModes("!T 31\n!t 100\n", "queries.fa",
                         {kData + "prot_a.fa", kData + "prot_b.fa"}, 0, 1),
            3);
  EXPECT_GE(compareModes("!E Y\n!T 10\n!t 300\n", "query_nuc.fa", {kData + "nuc.fa"}, 1, 1), 1);
}

TEST_F(ThreadedSearch, EmptyBankSetReturnsNothing) {
  testutil::TempDir dir;
  SearchHomolParams params;
  loadParams(params, dir, "", 0);
  WorkSeq q = readQueries(kData + "queries.fa")[0];
  StdoutCapture cap(dir.file("matr.txt"));
  params.readMatr(q);
  cap.stop();
  // A bank whose first entry has no residues, an empty list, and the empty bank twice.
  const std::string empty = kData + "empty.fa";
  std::vector<std::vector<std::string>> sets = {{empty}, {}, {empty, empty}};
  for (auto &s : sets) {
    BankList list(s);
    Outcome o = runMode(true, params, list.get(), q, 0);
    EXPECT_EQ(o.n, 0);
    EXPECT_EQ(o.text, "");
  }
  // An empty cut of the query starts nothing.
  params.From = 500;
  BankList list({kData + "prot_a.fa"});
  EXPECT_EQ(runMode(true, params, list.get(), q, 0).n, 0);
}

TEST_F(ThreadedSearch, ProgressFileAndMessagesMatch) {
  testutil::TempDir &dir = here_;
  SearchHomolParams params;
  loadParams(params, dir, "", 0);
  WorkSeq q = readQueries(kData + "queries.fa")[0];
  const std::string missing = dir.file("missing.fa");
  BankList list({kData + "prot_a.fa", missing, kData + "prot_b.fa"});
  StdoutCapture cap0(dir.file("matr.txt"));
  params.readMatr(q);
  cap0.stop();
  // The missing bank falls inside a work record when records hold two sequences or more.
  std::string out[2], ctr[2], text[2];
  for (int mode = 0; mode < 2; mode++) {
    StdoutCapture cap(dir.file("out.txt"));
    text[mode] = runMode(mode == 1, params, list.get(), q, 0, {3, 1 << 30}).text;
    out[mode] = cap.stop();
    ctr[mode] = testutil::readFile(dir.file("ctr"));
    remove(dir.file("ctr").c_str());
  }
  EXPECT_EQ(out[0], "\n Base " + missing + " invalid");
  EXPECT_EQ(out[1], out[0]);
  EXPECT_EQ(ctr[0], " \n Bank " + kData + "prot_a.fa  " + " \n Bank " + missing + "  " +
                        " \n Bank " + kData + "prot_b.fa  ");
  EXPECT_EQ(ctr[1], ctr[0]);
  EXPECT_FALSE(text[0].empty());
  EXPECT_EQ(text[1], text[0]);
}

TEST_F(ThreadedSearch, FiftyRepeatedRunsAreIdentical) {
  testutil::TempDir dir;
  SearchHomolParams params;
  loadParams(params, dir, "!M 6\n", 0);
  const std::string dup = kData + "dup.fa";
  BankList list({kData + "prot_a.fa", dup, kData + "prot_b.fa", dup, kData + "prot_c.fa"});
  WorkSeq q = readQueries(kData + "queries.fa")[0];
  StdoutCapture cap(dir.file("matr.txt"));
  params.readMatr(q);
  cap.stop();
  Outcome one = runMode(false, params, list.get(), q, 0);
  ASSERT_EQ(one.n, 6);
  for (int run = 0; run < 50; run++) {
    Outcome two = runMode(true, params, list.get(), q, 0, kBatches[run % 4]);
    ASSERT_EQ(two.text, one.text) << "run " << run;
  }
}

// ---------------------------------------------------------------- the pipeline itself

struct Pipeline {
  testutil::TempDir dir;
  SearchHomolParams params;
  WorkSeq query;
  Pipeline() {
    loadParams(params, dir, "", 0);
    query = readQueries(kData + "queries.fa")[0];
    StdoutCapture cap(dir.file("matr.txt"));
    params.readMatr(query);
    cap.stop();
    params.correctParam(query);
  }
};

// Every bank sequence travels once, in reading order across the records (by ordinal); a record
// leaves at its count or its letters, whichever comes first; one end marker per counter.
TEST_F(ThreadPipeline, WorkRecordsCarryBatchesInReadingOrder) {
  Pipeline pl;
  BankList list({kData + "prot_a.fa", kData + "prot_b.fa", kData + "prot_c.fa"});
  // Letters of the fifteen sequences: 150 120 122 90 140 | 70 200 120 120 120 | 80 70 120 120 120
  const int kAll = 1 << 30;
  struct Row { int counters, pool, seqs, letters; std::vector<int> sizes; /* a record's sequences */ } rows[] = {
      {2, 12, 1, 1, std::vector<int>(15, 1)},
      {1, 1, 4, kAll, {4, 4, 4, 3}},
      {5, 3, 2, kAll, {2, 2, 2, 2, 2, 2, 2, 1}},
      {3, 20, 3, 250, {2, 3, 2, 3, 3, 2}},
      {2, 12, kBatchSeqs, kBatchLetters, {15}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(testing::Message() << "counters/pool/batch " << row.counters << "/" << row.pool << "/" << row.seqs);
    SearchHomolIterator it(row.counters, row.pool, pl.params, list.get(), pl.query, 0, 0, 0, row.seqs, row.letters);
    ASSERT_EQ(it.running(), row.counters);
    std::map<long long, searchCountBatch *> records;
    int markers = 0;
    while (markers < row.counters) {
      searchCountBatch *r = nullptr;
      ASSERT_EQ(it.ResultFifo.get(r), 1);
      markers += r == nullptr;
      if (r) records[r->ordinal] = r;  // a second record of an ordinal would leave one out
    }
    std::vector<int> sizes;
    std::string order, reading;
    int supers = 0;
    for (auto &p : records) {
      EXPECT_EQ(p.first, (long long)sizes.size());
      sizes.push_back(p.second->numSeqs);
      for (int k = 0; k < p.second->numSeqs; k++) {
        const searchCountParameters &c = p.second->res[k];
        order += std::string(c.baseName) + " " + std::to_string(c.nSeq) + ";";
        EXPECT_EQ(c.numSupers, 1);  // a protein pair is clustered once
        for (int g = 0; g < c.numSupers; g++) supers += c.numSuper[g];
      }
      delete p.second;
    }
    EXPECT_EQ(sizes, row.sizes);
    for (int k = 0; k < 15; k++) reading += std::string(list.list[k / 5]) + " " + std::to_string(k % 5) + ";";
    EXPECT_EQ(order, reading);
    EXPECT_GT(supers, 0);
  }
}

TEST_F(ThreadPipeline, NoCountingThreadStartsNothing) {
  Pipeline pl;
  BankList list({kData + "prot_a.fa"});
  {
    SearchHomolIterator it(0, 4, pl.params, list.get(), pl.query, 0, 0);
    EXPECT_EQ(it.running(), 0);
    EXPECT_EQ(it.readThread, nullptr);
    EXPECT_EQ(it.ReadInFifo.used(), 4);
  }
  EXPECT_NE(access("ctr", F_OK), 0);  // no reader ran
}

TEST_F(ThreadPipelineDeathTest, EmptyBankSetDoesNotHang) {
  Pipeline pl;
  BankList list({kData + "empty.fa"});
  EXPECT_EXIT(
      {
        alarm(60);
        std::vector<Supermotif *> res;
        int n = searchOnBankMultyThread(pl.params, list.get(), pl.query, res, 0);
        exit(n == 0 && res.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Thread starts made to fail: every one (no stack can be mapped), or only the reader (room
// for two stacks only). The search then runs in the calling thread with the same result.
TEST_F(ThreadPipelineDeathTest, ThreadsThatCannotStartFallBackToOneThread) {
  if (SEQ_SANITIZED) GTEST_SKIP() << "sanitizers map thread stacks their own way";
  Pipeline pl;
  BankList list({kData + "prot_a.fa", kData + "dup.fa", kData + "prot_b.fa"});
  const std::string expected = runMode(false, pl.params, list.get(), pl.query, 0).text;
  ASSERT_FALSE(expected.empty());
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        alarm(60);
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setstacksize(&attr, (size_t)1 << 60);
        pthread_setattr_default_np(&attr);
        std::string text = runMode(true, pl.params, list.get(), pl.query, 0).text;
        exit(text == expected ? 0 : 1);
      },
      ::testing::ExitedWithCode(0),
      "^\n Can't start the counting thread: [^\n]*\n Can't start the counting thread: [^\n]*$");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        alarm(60);
        mallopt(M_ARENA_MAX, 1);  // no per-thread arena reservations
        const size_t stack = (size_t)1 << 30;
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setstacksize(&attr, stack);
        pthread_setattr_default_np(&attr);
        long pages = 0;
        FILE *f = fopen("/proc/self/statm", "r");
        if (!f || fscanf(f, "%ld", &pages) != 1) exit(2);
        fclose(f);
        struct rlimit rl;
        rl.rlim_cur = rl.rlim_max = (rlim_t)pages * (rlim_t)sysconf(_SC_PAGESIZE) + 2 * stack +
                                    stack / 2;
        if (setrlimit(RLIMIT_AS, &rl) != 0) exit(2);
        std::string text = runMode(true, pl.params, list.get(), pl.query, 0).text;
        exit(text == expected ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "^\n Can't start the reader thread: [^\n]*$");
}

}  // namespace
