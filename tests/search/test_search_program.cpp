// The search program run as a process: command line, return codes and messages, the banner,
// the result file (read back as a motif file) and the progress file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "motif.h"
#include "testutil.h"
#include "work_seq.h"

namespace {

const std::string kData = SEQ_TEST_DATA "/search/";
const std::string kBin = SEQ_BIN_DIR "/search";

struct RunResult {
  int rc;
  std::string out;
};

// Runs search in `dir` with the arguments (each quoted) and returns the exit code as the shell
// sees it with standard output.
RunResult runSearch(const std::string &dir, const std::vector<std::string> &args) {
  std::string cmd = "cd '" + dir + "' && '" + kBin + "'";
  for (const std::string &a : args) cmd += " '" + a + "'";
  FILE *p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = pclose(p);
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
}

struct Work {
  testutil::TempDir dir;
  std::string params(const std::string &extra = "") {
    std::string path = dir.file("params.txt");
    testutil::writeFile(path, "Search parameters\n!c " + kData + "colors.txt\n!e " + kData +
                                  "code.txt\n" + extra);
    return path;
  }
  std::string banks(const std::string &text) {
    std::string path = dir.file("banks.txt");
    testutil::writeFile(path, text);
    return path;
  }
  std::string result() const { return dir.file("result.txt"); }
  std::string read(const std::string &name) const { return testutil::readFile(dir.file(name)); }
};

// Bank path and first motif frame of every block: "Supermotif q n bank m pow k ..." then
// "     'f' ...".
std::vector<std::pair<std::string, char>> bankAndFrames(const std::string &text) {
  std::vector<std::pair<std::string, char>> v;
  std::istringstream in(text);
  std::string line, next;
  while (std::getline(in, line)) {
    if (line.rfind("Supermotif ", 0) != 0) continue;
    std::istringstream ws(line);
    std::string word, qAdr, bAdr;
    ws >> word >> qAdr >> qAdr >> bAdr;
    if (!std::getline(in, next) || next.size() < 7 || next.compare(0, 6, "     '") != 0) {
      v.push_back({bAdr, '?'});
      continue;
    }
    v.push_back({bAdr, next[6]});
  }
  return v;
}

std::string blocksOf(const std::string &text) {
  size_t at = text.find("\nQuery:");
  return at == std::string::npos ? "" : text.substr(at);
}

std::string usageText() {
  return "\nSearch homology USAGE:\n  " + kBin +
         " [-{1|2}]  param_file bank_file seq_file result_file\n  Options:\n  -1|-2 "
         "single|multy thread,           default  -1\n";
}

TEST(SearchProgram, UsageWhenFewerThanFourFileNames) {
  Work w;
  for (auto args : std::vector<std::vector<std::string>>{{}, {"a", "b", "c"}, {"-2", "a", "b", "c"}}) {
    RunResult r = runSearch(w.dir.path(), args);
    EXPECT_EQ(r.rc, 255);
    EXPECT_EQ(r.out, usageText());
  }
}

TEST(SearchProgram, OptionIsTheFirstArgumentOnly) {
  Work w;
  struct Case {
    std::string opt;
    int threads;
  } cases[] = {{"", 1}, {"-1", 1}, {"-2", 2}, {"-0", 2}, {"-7", 2}, {"-1abc", 1}, {"--2", 2},
               {"-4294967297", 2}};
  for (const Case &c : cases) {
    std::vector<std::string> args;
    if (!c.opt.empty()) args.push_back(c.opt);
    for (const char *a : {"nope.txt", "b", "q", "r"}) args.push_back(a);
    RunResult r = runSearch(w.dir.path(), args);
    EXPECT_EQ(r.rc, 254) << c.opt;
    EXPECT_NE(r.out.find("\n  threads:     " + std::to_string(c.threads) + "\n"), std::string::npos)
        << c.opt;
  }
  // "-x" is no option: it is the parameter file.
  RunResult r = runSearch(w.dir.path(), {"-x", "p", "b", "q"});
  EXPECT_EQ(r.rc, 254);
  EXPECT_EQ(r.out,
            "\nSearch parameters:\n  param_file:  -x\n  bank_file:   p\n  seq_file:    b\n"
            "  result_file: q\n  threads:     1\n\n\n Can't open file with parameters -x");
}

TEST(SearchProgram, ReturnCodesAndMessages) {
  Work w;
  std::string p = w.params();
  std::string q = kData + "queries.fa";
  // The bank list can't be opened.
  RunResult r = runSearch(w.dir.path(), {p, w.dir.file("none.txt"), q, w.result()});
  EXPECT_EQ(r.rc, 252);
  EXPECT_NE(r.out.find("\n Can't open file with base list " + w.dir.file("none.txt")),
            std::string::npos);
  // An empty bank list.
  r = runSearch(w.dir.path(), {p, w.banks(""), q, w.result()});
  EXPECT_EQ(r.rc, 251);
  EXPECT_NE(r.out.find("\n There are no banks in bankList"), std::string::npos);
  // A bank that can't be opened ends the run before the result file exists.
  r = runSearch(w.dir.path(), {p, w.banks(w.dir.file("gone.fa") + "\n"), q, w.result()});
  EXPECT_EQ(r.rc, 111);
  EXPECT_FALSE(std::ifstream(w.result()).good());
  // The result file can't be created.
  std::string banks = w.banks(kData + "bank_prot.fa\n");
  r = runSearch(w.dir.path(), {p, banks, q, w.dir.file("no/such/dir.txt")});
  EXPECT_EQ(r.rc, 249);
  EXPECT_NE(r.out.find("\n search: Can't open result file " + w.dir.file("no/such/dir.txt")),
            std::string::npos);
  // The query file can't be opened: the result file is not made.
  r = runSearch(w.dir.path(), {p, banks, w.dir.file("noquery.fa"), w.result()});
  EXPECT_EQ(r.rc, 250);
  EXPECT_NE(r.out.find("\n File " + w.dir.file("noquery.fa") + " with query sequences is invalid"),
            std::string::npos);
  EXPECT_FALSE(std::ifstream(w.result()).good());
}

TEST(SearchProgram, QueryPathWithBlanksIsRefusedBeforeTheResultFile) {
  Work w;
  std::string q = w.dir.file("my queries.fa");
  testutil::writeFile(q, testutil::readFile(kData + "queries.fa"));
  RunResult r = runSearch(w.dir.path(), {w.params(), w.banks(kData + "bank_prot.fa\n"), q, w.result()});
  EXPECT_NE(r.rc, 0);
  EXPECT_NE(r.out.find("white space"), std::string::npos);
  EXPECT_FALSE(std::ifstream(w.result()).good());
}

TEST(SearchProgram, BannerAndResultsOfThreeQueries) {
  Work w;
  std::string q = kData + "queries.fa";
  std::string bank = kData + "bank_prot.fa";
  RunResult r = runSearch(w.dir.path(), {w.params(), w.banks(bank + "\n"), q, w.result()});
  ASSERT_EQ(r.rc, 0) << r.out;
  std::string res = w.read("result.txt");
  // The date line is the one masked part.
  std::string masked = testutil::maskDate(res);
  std::string banner =
      "***************************************************"
      "\n     Search 3.0 - Tavrel search homologies"
      "\n           <date>\n"
      "\n   Query sequence from file " + q +
      "\n   Base list:"
      "\n        " + bank +
      "\n\n   Parameters: "
      "\n    Motif power threshold           4.00  "
      "\n    Alignment power threshold       6.00  "
      "\n    Motif length threshold          7  "
      "\n    Gap penalty                     1.000 "
      "\n    Join frames clusterization      NO"
      "\n    Reverse strands are processed   NO"
      "\n    Coinsidence ratio               0.05000"
      "\n    Minimal homology ratio          0.00000"
      "\n    Window width                    5  "
      "\n    Number of coincidence           4  "
      "\n    Part size                       100 "
      "\n    Maximal number of shifts        20 "
      "\n    Maximal number of alignments    100 "
      "\n    First sequence position         0     "
      "\n    Last sequence position          100000"
      "\n    Accurate Dothelix               YES"
      "\n    Frequences recalculation        YES"
      "\n***************************************************\n\n";
  ASSERT_EQ(masked.substr(0, banner.size()), banner);
  // The query blocks follow the banner directly.
  EXPECT_EQ(masked.compare(banner.size(), 13, "\nQuery: >q1\n\n"), 0);
  // q1 and q3 (entries 0 and 2) find the bank; q2 (entry 1) finds nothing and leaves no trace.
  std::string blocks = blocksOf(res);
  EXPECT_EQ(blocks.find("\nQuery: >q2"), std::string::npos);
  size_t q1 = blocks.find("\nQuery: >q1\n\n"), q3 = blocks.find("\nQuery: >q3\n\n");
  ASSERT_EQ(q1, 0u);
  ASSERT_NE(q3, std::string::npos);
  // Strongest first; the two identical bank entries keep their bank order.
  std::string head1 = "Supermotif " + q + "      0 " + bank + "      2 ";
  std::string head2 = "Supermotif " + q + "      0 " + bank + "      3 ";
  size_t a = blocks.find(head1), b = blocks.find(head2);
  ASSERT_NE(a, std::string::npos);
  ASSERT_NE(b, std::string::npos);
  EXPECT_LT(a, b);
  EXPECT_LT(b, q3);
  EXPECT_NE(blocks.find("Supermotif " + q + "      2 " + bank, q3), std::string::npos);
  EXPECT_EQ(blocks.find("Supermotif " + q + "      1 "), std::string::npos);
  // q1 against its own copy: one motif over the whole query.
  EXPECT_NE(blocks.find(head1 + " 22.33   1   query-bank\n     '+'      0      0    120 "),
            std::string::npos);
  // Progress lines.
  EXPECT_NE(r.out.find("\n Search found 3 supermotifs\n"), std::string::npos);
  EXPECT_NE(r.out.find("\n Search found 0 supermotifs\n"), std::string::npos);
  EXPECT_NE(r.out.find("\n Elapsed time:     0.0"), std::string::npos);
  // The elapsed time is the last line: minutes in ten columns with four decimals.
  const std::string last = "\n Search found 3 supermotifs\n Elapsed time: ";
  ASSERT_GE(r.out.size(), last.size() + 16);
  const std::string tail = r.out.substr(r.out.size() - last.size() - 16);
  EXPECT_EQ(tail.substr(0, last.size()), last) << r.out;
  const std::string minutes = tail.substr(last.size(), 10);
  EXPECT_EQ(minutes.find_first_not_of(" 0123456789."), std::string::npos) << minutes;
  EXPECT_EQ(minutes[5], '.') << minutes;
  EXPECT_EQ(tail.substr(last.size() + 10), " min \n");
  EXPECT_EQ(w.read("ctr"), " \n Bank " + bank + "  ");
}

TEST(SearchProgram, ResultFileReadsBackBlockForBlock) {
  Work w;
  std::string q = kData + "queries.fa";
  RunResult r = runSearch(w.dir.path(), {w.params(), w.banks(kData + "bank_prot.fa\n"), q, w.result()});
  ASSERT_EQ(r.rc, 0);
  FILE *f = fopen(w.result().c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::string rewritten;
  Supermotif s;
  int blocks = 0;
  while (s.load(f)) {
    blocks++;
    EXPECT_STREQ(s.qAdr, q.c_str());
    EXPECT_EQ(s.numMot, 1);
    rewritten += testutil::writtenBy([&](FILE *o) { s.printSuper(o); });
    s.del();
  }
  fclose(f);
  EXPECT_EQ(blocks, 6);
  // Every block written again gives the same lines (the power prints the same).
  std::string res = w.read("result.txt"), lines;
  size_t at = 0;
  while ((at = res.find("Supermotif", at)) != std::string::npos) {
    size_t e = res.find('\n', at);
    e = res.find('\n', e + 1);
    lines += res.substr(at, e + 1 - at);
    at = e;
  }
  EXPECT_EQ(rewritten, lines);
}

TEST(SearchProgram, NoHitsLeavesOnlyTheBanner) {
  Work w;
  std::string q = w.dir.file("q2.fa");
  std::string all = testutil::readFile(kData + "queries.fa");
  size_t from = all.find(">q2"), to = all.find(">q3");
  testutil::writeFile(q, all.substr(from, to - from));
  RunResult r = runSearch(w.dir.path(), {w.params(), w.banks(kData + "bank_prot.fa\n"), q, w.result()});
  ASSERT_EQ(r.rc, 0);
  std::string res = w.read("result.txt");
  EXPECT_EQ(res.find("Query"), res.find("Query sequence from file"));
  EXPECT_EQ(res.substr(res.size() - 54), "\n" + std::string(51, '*') + "\n\n");
}

TEST(SearchProgram, BlankSecondLineEndsTheBankList) {
  Work w;
  std::string q = kData + "queries.fa";
  std::string banks = w.banks(kData + "bank_prot.fa   first bank\n\n" + kData + "bank_nuc.fa\n");
  RunResult r = runSearch(w.dir.path(), {w.params(), banks, q, w.result()});
  ASSERT_EQ(r.rc, 0);
  std::string res = w.read("result.txt");
  EXPECT_NE(res.find("\n   Base list:\n        " + kData + "bank_prot.fa\n\n   Parameters: "),
            std::string::npos);
  EXPECT_EQ(res.find("bank_nuc.fa"), std::string::npos);
  EXPECT_EQ(w.read("ctr"), " \n Bank " + kData + "bank_prot.fa  ");
}

TEST(SearchProgram, NucleicQueryAgainstProteinAndMixedBanks) {
  Work w;
  std::string q = kData + "query_nuc.fa";
  std::string prot = kData + "bank_prot.fa", nuc = kData + "bank_nuc.fa";
  std::string p = w.params("!E Y\n!D f\n");
  RunResult r = runSearch(w.dir.path(), {p, w.banks(prot + "\n"), q, w.result()});
  ASSERT_EQ(r.rc, 0) << r.out;
  std::string res = blocksOf(w.read("result.txt"));
  // Frame 'a' of the query is q1: the copies come first, whole.
  EXPECT_EQ(res.find("\nQuery: >qn\n\nSupermotif " + q + "      0 " + prot + "      2 "), 0u);
  EXPECT_NE(res.find("     'a'      0      0    120 "), std::string::npos);
  EXPECT_EQ(res.find("'+'"), std::string::npos);  // the nucleic frame never meets a protein

  r = runSearch(w.dir.path(), {p, w.banks(nuc + "\n" + prot + "\n"), q, w.result()});
  ASSERT_EQ(r.rc, 0) << r.out;
  res = blocksOf(w.read("result.txt"));
  // Protein entries only through translated frames, nucleic entries only as nucleotides.
  int protHits = 0, nucHits = 0;
  for (const auto &bf : bankAndFrames(res)) {
    const std::string &bankPath = bf.first;
    const std::string frame(1, bf.second);
    if (bankPath == prot) {
      protHits++;
      EXPECT_NE(std::string("abcdef").find(frame), std::string::npos) << frame;
    } else {
      nucHits++;
      EXPECT_NE(std::string("+-").find(frame), std::string::npos) << frame;
    }
  }
  EXPECT_GE(protHits, 3);
  EXPECT_GE(nucHits, 2);
  EXPECT_EQ(w.read("ctr"), " \n Bank " + nuc + "   \n Bank " + prot + "  ");
  // The threaded option gives the same file.
  std::string single = blocksOf(w.read("result.txt"));
  r = runSearch(w.dir.path(), {"-2", p, w.banks(nuc + "\n" + prot + "\n"), q, w.result()});
  ASSERT_EQ(r.rc, 0);
  EXPECT_EQ(blocksOf(w.read("result.txt")), single);
}

TEST(SearchProgram, SelectionWithAQueryCutFromTheTenthLetter) {
  // The best hit ends at the cut's end; its positions carry the offset and stay legal.
  Work w;
  std::string q = kData + "queries.fa";
  RunResult r = runSearch(w.dir.path(),
                    {w.params("!T 10\n!l Y\n"), w.banks(kData + "bank_prot.fa\n"), q, w.result()});
  ASSERT_EQ(r.rc, 0) << r.out;
  std::string res = blocksOf(w.read("result.txt"));
  std::string head = "Supermotif " + q + "      0 " + kData + "bank_prot.fa      2 ";
  size_t at = res.find(head);
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(res.find("     '+'      9      9    111 ", at), std::string::npos);
}

// Every tenth entry of the Swiss-Prot test file of EMBOSS searched against the whole file.
TEST(SearchProgram, RealSwissProtEntriesFindThemselvesFirst) {
  const std::string src = "/usr/share/EMBOSS/test/swiss/seq.dat";
  if (!std::ifstream(src).good()) GTEST_SKIP() << "emboss-test is not installed";
  Work w;
  std::string bank = w.dir.file("seq.dat");
  testutil::writeFile(bank, testutil::readFile(src));
  ASSERT_TRUE(testutil::makeIndex(bank));
  // Queries: entries 0, 10, 20, ... as FASTA.
  std::string queries;
  std::vector<int> lengths;
  for (int k = 0;; k += 10) {
    WorkSeq s;
    if (s.readSeq(bank.c_str(), k) <= 0) break;
    queries += ">e" + std::to_string(k) + "\n" + std::string(s.seq(), s.len()) + "\n";
    lengths.push_back(s.len());
  }
  ASSERT_EQ(lengths.size(), 10u);
  std::string q = w.dir.file("q.fa");
  testutil::writeFile(q, queries);
  RunResult r = runSearch(w.dir.path(), {w.params(), w.banks(bank + "\n"), q, w.result()});
  ASSERT_EQ(r.rc, 0) << r.out;
  std::string res = w.read("result.txt");
  // The own entry has the query's best power (an identical entry earlier in the bank may come
  // first) with one motif on diagonal 0 over the query. The power-maximising ends may leave
  // off a last letter whose score does not pay for the lower length factor.
  for (size_t i = 0; i < lengths.size(); i++) {
    size_t at = res.find("\nQuery: >e" + std::to_string(10 * i) + "\n\n");
    ASSERT_NE(at, std::string::npos) << i;
    size_t end = res.find("\nQuery:", at + 1);
    std::string block = res.substr(at, end == std::string::npos ? std::string::npos : end - at);
    char qa[4096], ba[4096];
    int qn, bn, nm;
    double pw, best = -1;
    bool own = false;
    for (size_t line = block.find("Supermotif"); line != std::string::npos;
         line = block.find("Supermotif", line + 1)) {
      ASSERT_EQ(sscanf(block.c_str() + line, "Supermotif %4095s %d %4095s %d %lf %d", qa, &qn, ba,
                       &bn, &pw, &nm),
                6);
      EXPECT_EQ(qn, (int)i);
      if (best < 0) best = pw;
      if (bn != (int)(10 * i)) continue;
      own = true;
      EXPECT_EQ(pw, best) << "entry " << 10 * i;
      EXPECT_EQ(nm, 1);
      int mq, mb, ml;
      size_t mline = block.find('\n', line) + 1;
      ASSERT_EQ(sscanf(block.c_str() + mline, " '%*c' %d %d %d", &mq, &mb, &ml), 3);
      EXPECT_EQ(mq, mb);
      EXPECT_LE(mq, 2);
      EXPECT_LE(mq + ml, lengths[i]);
      EXPECT_GE(mq + ml, lengths[i] - 2) << "entry " << 10 * i;
      break;
    }
    EXPECT_TRUE(own) << "entry " << 10 * i;
  }
  // Every supermotif names an entry of the bank.
  FILE *f = fopen(w.result().c_str(), "rb");
  Supermotif s;
  int n = 0;
  while (s.load(f)) {
    n++;
    WorkSeq e;
    EXPECT_GT(e.readSeq(s.bAdr, s.bNum), 0) << s.bNum;
    s.del();
  }
  fclose(f);
  EXPECT_GE(n, 10);
}

}  // namespace
