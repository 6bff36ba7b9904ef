// Bad inputs for the search and plevit programs, one table row each: missing, empty,
// directory and garbage files, entries cut short, very long lines, CRLF files, a bank list
// naming itself, tiny queries, absurd parameter values, unwritable and full result files.
// Every row states its outcome (exit code and message); no row may crash, hang, leave a
// sanitizer report, or exit 0 after a failure.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "robust_run.h"
#include "testutil.h"

namespace {

using namespace robust;
using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

// The sanitizer runtime reserves terabytes of address space, so a build with it can't be
// run under an address-space cap.
bool sanitized(const std::string &prog) {
  return testutil::readFile(prog).find("__asan_init") != std::string::npos;
}
constexpr long kMemCap = 2L << 30;

// A weight matrix whose scores span the whole int range: its normal scores depend only on
// the ranks of its 441 scores.
const char kWideMatrix[] = "Scores at both ends of the int range\n   A  R  N\nA  4\n"
                           "R -2147483648  5\nN  0  2147483647  6\n";

std::string withoutCR(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
  return s;
}

// The banner's date line (ctime of the run) is the only part of a result file that differs
// between two equal runs.
std::string withoutDate(const std::string &result) {
  std::string out;
  size_t pos = 0;
  while (pos < result.size()) {
    size_t nl = result.find('\n', pos);
    size_t end = nl == std::string::npos ? result.size() : nl + 1;
    std::string line = result.substr(pos, end - pos);
    if (line.rfind("           ", 0) != 0 || line.find(':') == std::string::npos) out += line;
    pos = end;
  }
  return out;
}

const std::string kQ1 =
    "YMKFNNMAILYECQNLYDGEAHMAILLQPHRYNQICWKNKPIHVFQCPAMTPNEQRMCEW\n"
    "YGCLMHTAMVAIINNTQCVFDKKAYRKYYFDIMNRRPCDLIGSYQGGLYCVCRMDPNQEL\n";

// ---- search ----

// A working search set-up in a scratch directory: parameter file, bank list, one protein
// bank and the query file, each replaceable by a row.
class RobustSearch : public Scratch {
 protected:
  void SetUp() override {
    for (const char *f : {"colors.txt", "code.txt", "bank_prot.fa", "queries.fa"})
      put(f, readFile(testutil::dataPath(std::string("search/") + f)));
    put("p.prm", "!c colors.txt\n!e code.txt\n");
    put("list", "bank_prot.fa\n");
    mkdir(path("adir").c_str(), 0755);
    put("empty", "");
  }

  Outcome search(const std::string &prm, const std::string &list, const std::string &query,
                 const std::string &result = "res.txt", long fileLimit = 0) const {
    return run(kSearch, {prm, list, query, result}, dir.path(), fileLimit);
  }
  std::string result() const { return readFile(path("res.txt")); }
};

struct FileRow {
  const char *what;
  int which;          // 0 parameter file, 1 bank list, 2 query file
  std::string name;   // the file given in its place (words: the files from there on)
  int code;
  const char *message;
};

// Every input is checked before any output: a run that stops leaves every file as it was.
TEST_F(RobustSearch, MissingEmptyDirectoryAndGarbageFiles) {
  put("garbage", garbage(3000, true));
  put("self", "self\n");
  put("nobank", "nope.fa\n");
  put("dirbank", "adir\n");
  put("garbank", "garbage\n");
  put("blankfirst", "\nbank_prot.fa\n");
  std::string many;
  for (int i = 0; i < 128; i++) many += "bank_prot.fa\n";
  put("many", many);
  put("q.fa.gz", std::string("\x1f\x8b\x08\x08", 4) + garbage(500));
  put("nan.prm", "!c colors.txt\n!e code.txt\n!F nan\n!w 2\n");
  for (const char *f : {"bank_nuc.fa", "query_nuc.fa"}) put(f, readFile(testutil::dataPath(std::string("search/") + f)));
  put("noe.prm", "!c colors.txt\n");  // no genetic code
  put("mix.lst", "bank_prot.fa\nbank_nuc.fa\n");
  put("res.txt", "an earlier result\n");
  const char *noCode = "\n Can't open file with translation code (null) or can't read it";
  const FileRow rows[] = {
      {"missing parameter file", 0, "nope.prm", -2, "\n Can't open file with parameters nope.prm"},
      {"directory as parameter file", 0, "adir", -2, "\n Can't open file with parameters adir"},
      // A file without settings lacks the letter groups, which have no default.
      {"empty parameter file", 0, "empty", 111, "\n Can't open file with color file (null)"},
      {"garbage parameter file", 0, "garbage", 111, "\n Can't open file with color file (null)"},
      {"nan for a number", 0, "nan.prm", -3, "\n Parameter !F: nan is not a number\n Can't load parameter file"},
      {"missing bank list", 1, "nope", -4, "\n Can't open file with base list nope"},
      {"empty bank list", 1, "empty", -5, "\n There are no banks in bankList"},
      {"directory as bank list", 1, "adir", -4, "\n Can't open file with base list adir"},
      {"bank list naming itself", 1, "self", 99, "\n Unknown bank format: self"},
      {"bank list naming a missing bank", 1, "nobank", 111, "\n Base nope.fa isn't valid\n Line 1 of bank list nobank names no bank file"},
      {"query file as bank list", 1, "queries.fa", 111, "\n Base >q1 isn't valid\n Line 1 of bank list queries.fa names no bank file"},
      {"bank list naming a directory", 1, "dirbank", 111, "\n Base adir isn't valid"},
      {"bank list naming garbage", 1, "garbank", 99, "\n Unknown bank format: garbage"},
      {"bank list starting with a blank line", 1, "blankfirst", 111,
       "All bases in given ase_list have unknown molecular type..."},
      {"bank list of 128 banks", 1, "many", 111, "\n Too many banks in bankList"},
      {"missing query file", 2, "nope.fa", -6, "\n File nope.fa with query sequences is invalid"},
      {"empty query file", 2, "empty", 99, "\n Unknown bank format: empty"},
      {"directory as query file", 2, "adir", -6, "\n File adir with query sequences is invalid"},
      {"garbage query file", 2, "garbage", 99, "\n Unknown bank format: garbage"},
      {"gzip query file", 2, "q.fa.gz", 99, "\n Unknown bank format: q.fa.gz is gzip-compressed; decompress"},
      // Without a genetic code, a translated comparison is refused before any output.
      {"nucleic query, protein bank, no code", 0, "noe.prm list query_nuc.fa", 111, noCode},
      {"protein query, both kinds of bank, no code", 0, "noe.prm mix.lst", 111, noCode},
  };
  const auto before = hashes(true);
  for (const FileRow &row : rows) {
    SCOPED_TRACE(row.what);
    std::string a[3] = {"p.prm", "list", "queries.fa"};
    std::istringstream words(row.name);
    for (int i = row.which; i < 3 && words >> a[i]; i++) {}
    Outcome r = search(a[0], a[1], a[2]);
    expectOutcome(r, row.code, row.message);
    EXPECT_EQ(hashes(true), before) << "a run that stopped wrote";
  }
  // Query and result swapped, the query's name mistyped: the query file stays as it was.
  expectOutcome(search("p.prm", "list", "nosuch.fa", "queries.fa"), -6, "\n File nosuch.fa with query");
  EXPECT_EQ(hashes(true), before);
  // Queries and banks of one kind need no code.
  expectOutcome(search("noe.prm", "list", "queries.fa"), 0, "\n Elapsed time:");
}

// An entry without residues is an entry: the search goes on, the entries after keep their
// numbers; an empty query finds nothing and leaves no trace.
TEST_F(RobustSearch, EmptyEntriesAreEntries) {
  std::string q1 = kQ1, fasta, swiss;
  q1.erase(std::remove(q1.begin(), q1.end(), '\n'), q1.end());
  for (int k = 0; k < 45; k++) {
    const std::string seq = k == 5 ? "" : q1 + "\n", n = std::to_string(k);
    fasta += ">e" + n + "\n" + seq;
    swiss += "ID   E" + n + "\nSQ   SEQUENCE " + std::to_string(k == 5 ? 0 : 120) + " AA;\n" + seq + "//\n";
  }
  put("e.fa", fasta);
  put("e.dat", swiss);
  put("first.dat", "ID   N0\nSQ   SEQUENCE 0 AA;\n//\n" + swiss);
  for (const char *b : {"e.fa", "e.dat", "first.dat"}) put(std::string(b) + ".lst", std::string(b) + "\n");
  put("mid.fa", ">q1\n" + q1 + "\n>empty query\n>q3\n" + q1 + "\n");
  const auto before = hashes();
  const struct { const char *list, *query; std::vector<std::string> found, absent; } rows[] = {
      {"e.fa.lst", "queries.fa", {" 0 e.fa      6 ", " 2 e.fa     44 "}, {"e.fa      5 "}},
      {"e.dat.lst", "queries.fa", {" 0 e.dat      6 ", " 2 e.dat     44 "}, {"e.dat      5 "}},  // 0 AA
      {"first.dat.lst", "queries.fa", {" 0 first.dat      7 ", " 0 first.dat     45 "}, {"first.dat      6 "}},
      {"list", "mid.fa", {"mid.fa      0 bank_prot.fa      1", "mid.fa      2 bank"}, {"mid.fa      1 ", "empty query"}},
  };
  for (const auto &row : rows)
    for (const char *mode : {"-1", "-2"}) {
      SCOPED_TRACE(std::string(row.list) + " " + row.query + " " + mode);
      std::remove(path("res.txt").c_str());
      expectOutcome(run(kSearch, {mode, "p.prm", row.list, row.query, "res.txt"}, dir.path()), 0, "\n Elapsed time:");
      for (const std::string &f : row.found) EXPECT_NE(result().find(f), std::string::npos) << f;
      for (const std::string &a : row.absent) EXPECT_EQ(result().find(a), std::string::npos) << a;
      EXPECT_EQ(hashes(), before);
    }
}

TEST_F(RobustSearch, QueriesOfOneTwoAndThreeLetters) {
  const struct {
    const char *seq;
    int code;
    const char *message;
  } rows[] = {
      {"A", 111, "\n Too short qury, length = 1"},
      {"AC", 111, "\n Too short qury, length = 2"},
      {"ACD", 0, "\n Elapsed time:"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.seq);
    put("q.fa", std::string(">q\n") + row.seq + "\n");
    // In the calling thread and in the threaded pipeline alike.
    for (const char *mode : {"-1", "-2"}) {
      SCOPED_TRACE(mode);
      std::remove(path("res.txt").c_str());
      Outcome r = run(kSearch, {mode, "p.prm", "list", "q.fa", "res.txt"}, dir.path());
      expectOutcome(r, row.code, row.message);
      EXPECT_NE(result().find("Search 3.0"), std::string::npos);
    }
  }
}

TEST_F(RobustSearch, EntriesCutInTheMiddle) {
  // The query's last line without its line end, then cut inside the line.
  put("q.fa", ">q1 cut\n" + kQ1.substr(0, kQ1.size() - 1));
  expectOutcome(search("p.prm", "list", "q.fa"), 0, "");
  EXPECT_NE(result().find("\nQuery: >q1\n"), std::string::npos);
  put("q.fa", ">q1 cut\n" + kQ1.substr(0, 75));
  expectOutcome(search("p.prm", "list", "q.fa"), 0, "");
  EXPECT_NE(result().find("\nQuery: >q1\n"), std::string::npos);

  // A Swiss-Prot query entry without its "//" line, and one cut inside its sequence: each is
  // named as cut short and searched as an entry without residues.
  const std::string swiss = "ID   Q1_TEST  STANDARD;  PRT;  120 AA.\nSQ   SEQUENCE   120 AA;\n";
  const char *told = "\n Entry 0 Q1_TEST of bank q.dat is cut short: the file ends before its \"//\" line";
  for (const std::string &cut : {swiss + kQ1, swiss + kQ1.substr(0, 90)}) {
    put("q.dat", cut);
    expectOutcome(search("p.prm", "list", "q.dat"), 0, told);
    EXPECT_EQ(result().find("\nQuery: Q1_TEST\n"), std::string::npos);
  }

  // A bank cut inside the entry after the first hit: the hits before the cut are kept.
  std::string bank = readFile(path("bank_prot.fa"));
  size_t b3 = bank.find(">b3");
  ASSERT_NE(b3, std::string::npos);
  put("cut.fa", bank.substr(0, b3 + 40));
  put("cutlist", "cut.fa\n");
  expectOutcome(search("p.prm", "cutlist", "queries.fa"), 0, "");
  EXPECT_NE(result().find("cut.fa      2"), std::string::npos);
}

TEST_F(RobustSearch, LinesOf100000Characters) {
  std::string filler(100000, 'w');
  put("long.prm", "#" + filler + "\n!c colors.txt\n!e code.txt\n!P 4.0 " + filler + "\n");
  put("long.list", "long.fa " + filler + "\n");
  std::string seq;
  for (size_t i = 0; seq.size() < 100000; i++) seq += "ACDEFGHIKLMNPQRSTVWY"[(i * 7 + i / 20) % 20];
  std::string q1 = kQ1;
  q1.erase(std::remove(q1.begin(), q1.end(), '\n'), q1.end());
  put("long.fa", ">long " + filler + "\n" + seq.substr(0, 50000) + q1 + seq.substr(50000) + "\n");
  const std::string name(3000, 'n');
  put("longq.fa", ">" + name + " " + filler + "\n" + q1 + "\n");
  Outcome r = search("long.prm", "long.list", "longq.fa");
  expectOutcome(r, 0, "\n Search found 1 supermotifs");
  // The name is kept up to the reader's 1023 characters; the hit lies past position 50000.
  const std::string res = result();
  EXPECT_NE(res.find("\nQuery: >" + name.substr(0, 1022) + "\n"), std::string::npos);
  EXPECT_NE(res.find("     '+'      0  50000"), std::string::npos);
}

// CRLF files opened by a byte-order mark give the result of the plain files.
TEST_F(RobustSearch, CrlfFilesGiveTheSameResult) {
  const std::string bom = "\xEF\xBB\xBF";
  Outcome lf = search("p.prm", "list", "queries.fa", "lf.txt");
  expectOutcome(lf, 0, "");
  for (const char *f : {"colors.txt", "code.txt", "bank_prot.fa", "queries.fa"})
    put(std::string("crlf-") + f, bom + testutil::toCRLF(readFile(path(f))));
  put("crlf.prm", bom + "!c crlf-colors.txt\r\n!e crlf-code.txt\r\n");
  put("crlf.list", bom + "crlf-bank_prot.fa\r\n");
  Outcome crlf = search("crlf.prm", "crlf.list", "crlf-queries.fa", "crlf.txt");
  expectOutcome(crlf, 0, "");
  std::string a = withoutDate(readFile(path("lf.txt")));
  std::string b = withoutDate(readFile(path("crlf.txt")));
  for (const char *f : {"bank_prot.fa", "queries.fa"}) {
    for (size_t p; (p = b.find(std::string("crlf-") + f)) != std::string::npos;) b.erase(p, 5);
  }
  EXPECT_EQ(a, b);
  EXPECT_NE(a.find("Supermotif"), std::string::npos);
}

TEST_F(RobustSearch, AbsurdParameterValues) {
  // Every value is read as written; none may crash or hang the search (in the calling
  // thread or the threaded pipeline), and each run ends with the result file complete.
  const char *settings[] = {
      "!P -1",         "!P 0",          "!P 1e308",     "!P 4abc",
      "!F -1",         "!F 1e308",      "!L 0",         "!L -5",
      "!L 2147483647", "!L 99999999999", "!L .5",       "!M 0",         "!M -5",
      "!M 2147483647", "!M 0x10",       "!p 1",         "!p 0",         "!p -3",
      "!p 2147483647", "!s 0",          "!s -1",        "!s 2147483647", "!T -5",
      "!T 2147483647", "!t 0",          "!t -5",        "!T 100\n!t 5", "!T 60\n!t 62",
      "!G -1e300",     "!G 1e300",      "!W 99",        "!W -1",
      "!k -1",         "!k 99",         "!C 1.5",       "!C -1",        "!H 1",
      "!H 2",          "!E xyz",        "!E N",         "!E B",         "!E Y",
      "!A",            "!m",            "!I -1",        "!",
  };
  put("garbage", garbage(2000));
  for (const char *s : settings) {
    SCOPED_TRACE(s);
    put("v.prm", std::string("!c colors.txt\n!e code.txt\n") + s + "\n");
    for (const char *mode : {"-1", "-2"}) {
      SCOPED_TRACE(mode);
      std::remove(path("res.txt").c_str());
      Outcome r = run(kSearch, {mode, "v.prm", "list", "queries.fa", "res.txt"}, dir.path());
      expectOutcome(r, 0, "\n Elapsed time:");
      EXPECT_NE(result().find("Search 3.0"), std::string::npos);
    }
  }
  // A range of two letters leaves a query too short to search.
  put("v.prm", "!c colors.txt\n!e code.txt\n!T 60\n!t 61\n");
  expectOutcome(search("v.prm", "list", "queries.fa"), 111, "\n Too short qury, length = 2");
}

TEST_F(RobustSearch, MatrixOfExtremeScores) {
  // The cap proves the table stays small; the sanitizers reserve too much to run under one.
  const long cap = sanitized(kSearch) ? 0 : kMemCap;
  put("wide.mat", kWideMatrix);
  put("w.prm", "!c colors.txt\n!e code.txt\n!m wide.mat\n");
  Outcome r = run(kSearch, {"w.prm", "list", "queries.fa", "res.txt"}, dir.path(), 0, cap);
  expectOutcome(r, 0, "\n Elapsed time:");
}

TEST_F(RobustSearch, CommandLine) {
  expectOutcome(run(kSearch, {"p.prm", "list", "queries.fa"}, dir.path()), -1,
                "\nSearch homology USAGE:");
  expectOutcome(run(kSearch, {"-2", "p.prm", "list", "queries.fa"}, dir.path()), -1,
                "\nSearch homology USAGE:");
  // "-x" is no option: it is the parameter file.
  expectOutcome(run(kSearch, {"-x", "p.prm", "list", "queries.fa", "res.txt"}, dir.path()), -2,
                "\n Can't open file with parameters -x");
}

// A result that can't be made, a full device, a disk that fills up in the second query (the
// result cut back to the banner and the first): no input changes.
TEST_F(RobustSearch, UnwritableAndFullResultFiles) {
  const auto before = hashes();
  expectOutcome(search("p.prm", "list", "queries.fa", "nodir/res.txt"), -7,
                "\n search: Can't open result file nodir/res.txt");
  expectOutcome(search("p.prm", "list", "queries.fa", "adir"), -7,
                "\n search: Can't open result file adir");
  if (makeFullDevice(path("full.dev")))
    expectOutcome(search("p.prm", "list", "queries.fa", "full.dev"), 11,
                  "\n Can't write full.dev: No space left on device\n");
  expectOutcome(search("p.prm", "list", "queries.fa"), 0, "");
  const std::string whole = result();
  const long limit = (long)whole.find("\nQuery:", whole.find("\nQuery:") + 1) + 40;
  expectOutcome(search("p.prm", "list", "queries.fa", "res.txt", limit), 11,
                "\n Can't write res.txt: File too large\n");
  expectCutAtBlock(path("res.txt"), whole, limit, "\nQuery:");
  EXPECT_EQ(hashes(), before);
}

// ---- plevit ----

// The small banks and motif files of the plevit tests, in a scratch directory (the motif
// files name their banks relatively).
class RobustPlevit : public Scratch {
 protected:
  void SetUp() override {
    for (const char *f : {"prot.dat", "prot.idx", "query.dat", "query.idx", "pr.dat", "pr.idx",
                          "three.mot", "prints.mot", "code.txt"})
      put(f, readFile(testutil::dataPath(std::string("plevit/") + f)));
    mkdir(path("adir").c_str(), 0755);
    put("empty", "");
    put("garbage", garbage(3000));
  }

  Outcome plevit(std::vector<std::string> args, long fileLimit = 0) const {
    return run(kPlevit, args, dir.path(), fileLimit);
  }
  std::string report() const { return readFile(path("rep.txt")); }
};

TEST_F(RobustPlevit, MissingEmptyDirectoryAndGarbageFiles) {
  put("nobank.mot", "Supermotif query.dat 0 nope.dat 0 1.00 1 query-bank\n"
                    "     '+'      0      0      5       1000    4096000\n");
  put("dirbank.mot", "Supermotif query.dat 0 adir 0 1.00 1 query-bank\n"
                     "     '+'      0      0      5       1000    4096000\n");
  const struct {
    const char *what;
    std::vector<std::string> args;
    int code;
    const char *message;
  } rows[] = {
      {"no arguments", {}, 1, "Print supermotifs\nUSAGE:"},
      {"one file only", {"-a", "three.mot"}, 1, "Print supermotifs\nUSAGE:"},
      {"missing motif file", {"nope.mot", "rep.txt"}, 2, "\n Can't open Motif file nope.mot"},
      {"empty motif file", {"empty", "rep.txt"}, 3, "Can't load motif from file empty\n"},
      {"directory as motif file", {"adir", "rep.txt"}, 2, "\n Can't open Motif file adir"},
      {"garbage motif file", {"garbage", "rep.txt"}, 3, "Can't load motif from file garbage\n"},
      {"missing bank", {"nobank.mot", "rep.txt"}, 4, "Can't open base file nope.dat\n"},
      {"directory as bank", {"dirbank.mot", "rep.txt"}, 4, "Can't open base file adir\n"},
      {"missing matrix: printed without", {"three.mot", "rep.txt", "nope.mat", "code.txt"}, 0, "Matrix file nope.mat"},
      {"directory as matrix", {"three.mot", "rep.txt", "adir", "code.txt"}, 6, "Can't open Matrix file adir"},
      {"genetic code as matrix", {"three.mot", "rep.txt", "code.txt"}, 6, "File code.txt is no weight matrix"},
      {"directory as code", {"three.mot", "rep.txt", "none", "adir"}, 9, "Can't open Translation_code file adir"},
      {"garbage code: printed without", {"three.mot", "rep.txt", "none", "garbage"}, 0, "Translation_code: garbage"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.what);
    std::remove(path("rep.txt").c_str());
    expectOutcome(plevit(row.args), row.code, row.message);
    EXPECT_EQ(exists("rep.txt"), row.code == 0);  // a run that stops makes no report
  }
}

TEST_F(RobustPlevit, MotifBlockCutInTheMiddle) {
  // The first block announces two motifs; the file ends after the first motif line, then
  // inside it: refused, no report made.
  const std::string mot = readFile(path("three.mot"));
  size_t second = mot.find("     '+'     10     12");
  ASSERT_NE(second, std::string::npos);
  for (size_t cut : {second, second - 20}) {
    SCOPED_TRACE(cut);
    put("cut.mot", mot.substr(0, cut));
    expectOutcome(plevit({"cut.mot", "rep.txt"}), 3, "\n Motif file cut.mot is cut short at line 7");
    EXPECT_FALSE(exists("rep.txt"));
  }
}

TEST_F(RobustPlevit, LongLinesAndCrlf) {
  const std::string filler(100000, 'h');
  const std::string mot = readFile(path("three.mot"));
  expectOutcome(plevit({"three.mot", "lf.txt"}), 0, "");
  const std::string lf = readFile(path("lf.txt"));

  put("long.mot", filler + "\n" + mot);
  expectOutcome(plevit({"long.mot", "rep.txt"}), 0, "");
  EXPECT_EQ(report(), filler + "\n" + lf);

  put("crlf.mot", testutil::toCRLF(mot));
  expectOutcome(plevit({"crlf.mot", "rep.txt"}), 0, "");
  EXPECT_EQ(withoutCR(report()), lf);

  // A bank path of 100000 characters names no file.
  put("longpath.mot", "Supermotif query.dat 0 " + filler + " 0 1.00 1 query-bank\n"
                      "     '+'      0      0      5       1000    4096000\n");
  expectOutcome(plevit({"longpath.mot", "rep.txt"}), 4, "Can't open base file hhhh");
}

TEST_F(RobustPlevit, AbsurdMotifValues) {
  const char *blocks[] = {
      "Supermotif query.dat 0 prot.dat 0 1.00 0 query-bank\n     '+' 0 0 5 1000 4096000\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 -3 query-bank\n     '+' 0 0 5 1000 4096000\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 1000000 query-bank\n     '+' 0 0 5 1000 4096000\n",
      "Supermotif query.dat 0 prot.dat 0 1e308 1 query-bank\n     '+' 0 0 5 1000 4096000\n",
      "Supermotif query.dat 0 prot.dat 0 nan 1 query-bank\n     '+' 0 0 5 1000 4096000\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 1 query-bank\n     '+' -5 -7 5 1000 4096000\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 1 query-bank\n     '+' 0 0 -5 1000 4096000\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 1 query-bank\n"
      "     '+' 2147483647 2147483647 2147483647 2147483647 2147483647\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 1 query-bank\n"
      "     '+' -2147483648 -2147483648 -2147483648 -2147483648 -2147483648\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 2 query-bank\n     '+' 0 0 5 1 1\n"
      "     '+' 2147483640 2147483640 100 1 1\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 1 query-bank\n     'a' 0 0 5 1000 4096000\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 1 query-bank\n     'x 0 0 5 1000 4096000\n",
      "Supermotif query.dat 0 prot.dat 0 1.00 1 query-bank\n     no quote at all\n",
      "Supermotif query.dat -1 prot.dat 2147483647 1.00 1 query-bank\n     '+' 0 0 5 1 1\n",
      "Supermotif query.dat 0 prot.dat\n     '+' 0 0 5 1 1\n",
      "Supermotif query.dat 0 pr.dat 0 1.00 1 query-bank\n"
      "     '+' 2147483647 0 2147483647 1 1\n",
      "Supermotif query.dat 0 pr.dat 99999 1.00 1 query-bank\n     '+' 0 0 5 1 1\n",
  };
  for (const char *block : blocks) {
    SCOPED_TRACE(block);
    put("odd.mot", std::string("Query: odd\n\n") + block);
    Outcome r = plevit({"odd.mot", "rep.txt", "none", "code.txt"});
    ASSERT_FALSE(r.hung);
    ASSERT_TRUE(r.exited) << "killed by signal " << r.code << "\n" << r.err;
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    // Printed (0), no readable supermotif (3) or none of its entries readable (10).
    EXPECT_TRUE(r.code == 0 || r.code == 3 || r.code == 10) << r.code << r.out;
  }
}

TEST_F(RobustPlevit, MatrixOfExtremeScores) {
  // The cap proves the table stays small; the sanitizers reserve too much to run under one.
  const long cap = sanitized(kPlevit) ? 0 : kMemCap;
  put("wide.mat", kWideMatrix);
  Outcome r = run(kPlevit, {"three.mot", "rep.txt", "wide.mat", "code.txt"}, dir.path(), 0, cap);
  expectOutcome(r, 0, "");
  EXPECT_NE(report().find("\n Supermotifs"), std::string::npos);
}

TEST_F(RobustPlevit, OptionIsSkipped) {
  expectOutcome(plevit({"three.mot", "plain.txt"}), 0, "");
  expectOutcome(plevit({"-a", "three.mot", "rep.txt"}), 0, "");
  EXPECT_EQ(report(), readFile(path("plain.txt")));
  expectOutcome(plevit({"-A", "three.mot", "rep.txt"}), 0, "");
  EXPECT_EQ(report(), readFile(path("plain.txt")));
}

// A report that can't be made, a full device, a disk that fills up: the report ends at the
// end of a whole alignment (the part of a query block before its first one is a block too).
TEST_F(RobustPlevit, UnwritableAndFullReports) {
  const auto before = hashes();
  expectOutcome(plevit({"three.mot", "nodir/rep.txt"}), 5, "Can't open result file nodir/rep.txt");
  expectOutcome(plevit({"three.mot", "adir"}), 5, "Can't open result file adir");
  if (makeFullDevice(path("full.dev")))
    expectOutcome(plevit({"three.mot", "full.dev"}), 11, "\n Can't write full.dev: No space left on device\n");
  expectOutcome(plevit({"three.mot", "rep.txt"}), 0, "");
  const std::string whole = report();
  ASSERT_GT(whole.size(), 200u);
  const long limit = (long)whole.size() / 2;
  expectOutcome(plevit({"three.mot", "rep.txt"}, limit), 11, "\n Can't write rep.txt: File too large\n");
  expectCutAtBlock(path("rep.txt"), whole, limit, "\n");
  EXPECT_EQ(hashes(), before);
}

}  // namespace
