// The motif file: byte-exact writing, reading around junk and malformed blocks, round trips.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "motif.h"
#include "params.h"
#include "testutil.h"

namespace {

FILE *fromText(const std::string &text) {
  FILE *f = tmpfile();
  fwrite(text.data(), 1, text.size(), f);
  rewind(f);
  return f;
}

std::string readAll(FILE *f) {
  rewind(f);
  std::string s;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  return s;
}

char *dup(const char *s) { return _strdup_(s); }

void addMotif(Supermotif &s, int q, int b, int len, int sum, int pow, char frame) {
  Motif **tail = &s.first;
  while (*tail) tail = &(*tail)->next;
  *tail = new Motif(q, b, len, sum, pow, frame);
  s.numMot++;
}

struct Mot {
  char frame;
  int qBeg, bBeg, len, sum, pow;
};

void expectChain(const Supermotif &s, std::initializer_list<Mot> want) {
  const Motif *m = s.first;
  int i = 0;
  for (const Mot &w : want) {
    ASSERT_NE(m, nullptr) << "motif " << i;
    EXPECT_EQ(m->frame, w.frame) << "motif " << i;
    EXPECT_EQ(m->qBeg, w.qBeg) << "motif " << i;
    EXPECT_EQ(m->bBeg, w.bBeg) << "motif " << i;
    EXPECT_EQ(m->len, w.len) << "motif " << i;
    EXPECT_EQ(m->sum, w.sum) << "motif " << i;
    EXPECT_EQ(m->pow, w.pow) << "motif " << i;
    m = m->next;
    i++;
  }
  EXPECT_EQ(m, nullptr);
  EXPECT_EQ(s.numMot, i);
}

TEST(MotifFile, WritesTheExampleBlockExactly) {
  Supermotif s;
  s.bAdr = dup("b.fa");
  s.bNum = 17;
  s.power = 4096000;
  addMotif(s, 10, 40, 16, 4000, 4096000, '+');
  FILE *f = tmpfile();
  s.printSuper(f, "q.fa", 3, '+');
  EXPECT_EQ(readAll(f),
            "Supermotif q.fa      3 b.fa     17   1.00   1   query-bank\n"
            "     '+'     10     40     16       4000    4096000\n");
  fclose(f);
}

TEST(MotifFile, WriterForms) {
  Supermotif s;
  s.power = -4096000;
  addMotif(s, 1, 2, 3, -4, -5, 'a');
  addMotif(s, 123456, 1234567, 7, 1234567890, -2147483647 - 1, 'b');
  s.update("own.fa", 42, '+');

  FILE *f = tmpfile();
  s.printSuper(f);  // own address, own frames, null bank address
  s.printSuper(f, "given.fa", 1000000, 'd');
  s.numMot = 5;  // the count written is the chain's
  s.printSuper(f, "x", -1, 'f');
  s.del();
  s.printSuper(f);  // nothing left: placeholders, no motif lines
  EXPECT_EQ(readAll(f),
            "Supermotif own.fa     42 bAdr      0  -1.00   2   query-bank\n"
            "     'a'      1      2      3         -4         -5\n"
            "     'b' 123456 1234567      7 1234567890 -2147483648\n"
            "Supermotif given.fa 1000000 bAdr      0  -1.00   2   query-bank\n"
            "     'd'      1      2      3         -4         -5\n"
            "     'd' 123456 1234567      7 1234567890 -2147483648\n"
            "Supermotif x     -1 bAdr      0  -1.00   2   query-bank\n"
            "     'f'      1      2      3         -4         -5\n"
            "     'f' 123456 1234567      7 1234567890 -2147483648\n"
            "Supermotif qAdr     42 bAdr      0  -1.00   0   query-bank\n");
  fclose(f);
}

TEST(MotifFile, ReadsBlocksBetweenJunk) {
  FILE *f = fopen(SEQ_TEST_DATA "/motif/mixed.txt", "rb");
  ASSERT_NE(f, nullptr);
  Supermotif s;

  ASSERT_EQ(s.load(f), 1);
  EXPECT_STREQ(s.qAdr, "q.fa");
  EXPECT_EQ(s.qNum, 3);
  EXPECT_STREQ(s.bAdr, "b.fa");
  EXPECT_EQ(s.bNum, 17);
  EXPECT_EQ(s.power, 4096000);
  expectChain(s, {{'+', 10, 40, 16, 4000, 4096000}});
  s.del();

  // Short, indented, empty and negative blocks and a "Query:" line are passed over.
  ASSERT_EQ(s.load(f), 1);
  EXPECT_STREQ(s.qAdr, "q.fa");
  EXPECT_STREQ(s.bAdr, "c.fa");
  EXPECT_EQ(s.bNum, 4);
  EXPECT_EQ(s.power, 50544639);  // 12.34 reads back one unit low
  expectChain(s, {{'a', 0, 5, 10, 100, 102400}, {'a', 20, 30, 4, 50, 102400}});
  s.del();

  // A power past the scale saturates; the three lines after the head are taken as they come.
  ASSERT_EQ(s.load(f), 1);
  EXPECT_STREQ(s.qAdr, "other.fa");
  EXPECT_STREQ(s.bAdr, "d.fa");
  EXPECT_EQ(s.power, INT_MAX);
  expectChain(s, {{'-', 1, 2, 3, 4, 5}, {' ', 0, 0, 0, 0, 0}, {'+', 7, 8, 9, 10, 11}});

  // At the end the supermotif is left as it was.
  Motif *before = s.first;
  EXPECT_EQ(s.load(f), 0);
  EXPECT_EQ(s.first, before);
  EXPECT_STREQ(s.qAdr, "other.fa");
  EXPECT_EQ(s.numMot, 3);
  fclose(f);
}

TEST(MotifFile, MotifLineVariants) {
  struct {
    const char *line;
    Mot want;
  } cases[] = {
      {"no quotes at all 1 2 3 4 5", {' ', 0, 0, 0, 0, 0}},
      {"     'x 1 2 3 4 5", {'x', 0, 0, 0, 0, 0}},
      {"     '", {' ', 0, 0, 0, 0, 0}},
      {"'''", {'\'', 0, 0, 0, 0, 0}},
      {"     'b'  1 2", {'b', 1, 2, 0, 0, 0}},
      {"     'c' -1 2 x 4 5", {'c', -1, 2, 0, 0, 0}},
      {"     'c' 1 2 3 4 99999999999 7", {'c', 1, 2, 3, 4, INT_MAX}},
      {"\t'e'\t1\t2\t3\t4\t-99999999999\r", {'e', 1, 2, 3, 4, INT_MIN}},
      {"", {' ', 0, 0, 0, 0, 0}},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(c.line);
    FILE *f = fromText(std::string("Supermotif a 1 b 2 1.00 1 query-bank\n") + c.line + "\n");
    Supermotif s;
    ASSERT_EQ(s.load(f), 1);
    expectChain(s, {c.want});
    fclose(f);
  }
}

TEST(MotifFile, TruncatedAndAbsurdBlocks) {
  {  // ends inside a block: the motifs read are kept
    FILE *f = fromText("Supermotif a 1 b 2 3.00 5 query-bank\n     '+' 1 2 3 4 5\n");
    Supermotif s;
    ASSERT_EQ(s.load(f), 1);
    expectChain(s, {{'+', 1, 2, 3, 4, 5}});
    EXPECT_EQ(s.load(f), 0);
    fclose(f);
  }
  {  // ends right after the head: nothing read, nothing changed
    FILE *f = fromText("Supermotif a 1 b 2 3.00 3 query-bank\n");
    Supermotif s;
    s.power = 77;
    s.numMot = 9;
    EXPECT_EQ(s.load(f), 0);
    EXPECT_EQ(s.power, 77);
    EXPECT_EQ(s.numMot, 9);
    EXPECT_EQ(s.qAdr, nullptr);
    EXPECT_EQ(s.first, nullptr);
    fclose(f);
  }
  {  // huge counts stop at the end of the file
    for (const char *count : {"1000000000", "99999999999"}) {
      FILE *f = fromText(std::string("Supermotif a 1 b 2 3.00 ") + count +
                         " query-bank\n 'a' 1 1 1 1 1\n 'b' 2 2 2 2 2\n");
      Supermotif s;
      ASSERT_EQ(s.load(f), 1);
      expectChain(s, {{'a', 1, 1, 1, 1, 1}, {'b', 2, 2, 2, 2, 2}});
      fclose(f);
    }
  }
  {  // zero, negative and short heads are skipped; the next block is still read
    FILE *f = fromText(
        "Supermotif a 1 b 2 3.00 0 query-bank\n 'x' 1 1 1 1 1\n"
        "Supermotif a 1 b 2 3.00 -1 query-bank\n"
        "Supermotif a 1 b 2 3.00\n"
        "Supermotif\n"
        "Supermotif a 1 good.fa 2 3.00 1 query-bank\n 'y' 9 9 9 9 9\n");
    Supermotif s;
    ASSERT_EQ(s.load(f), 1);
    EXPECT_STREQ(s.bAdr, "good.fa");
    expectChain(s, {{'y', 9, 9, 9, 9, 9}});
    fclose(f);
  }
  {  // a short block swallows the next head as a motif line
    FILE *f = fromText(
        "Supermotif a 1 b 2 1.00 2 query-bank\n 'x' 1 2 3 4 5\n"
        "Supermotif c 1 d 2 1.00 1 query-bank\n 'y' 6 7 8 9 10\n");
    Supermotif s;
    ASSERT_EQ(s.load(f), 1);
    expectChain(s, {{'x', 1, 2, 3, 4, 5}, {' ', 0, 0, 0, 0, 0}});
    s.del();
    EXPECT_EQ(s.load(f), 0);
    fclose(f);
  }
  {  // numbers saturate as a 32-bit long would
    FILE *f = fromText("Supermotif a 99999999999 b -99999999999 -600 1\n 'x' 1 2 3 4 5\n");
    Supermotif s;
    ASSERT_EQ(s.load(f), 1);
    EXPECT_EQ(s.qNum, INT_MAX);
    EXPECT_EQ(s.bNum, INT_MIN);
    EXPECT_EQ(s.power, INT_MIN);
    fclose(f);
  }
}

// Each row: a file and the line where motifFileWhole sees it cut (0: whole).
TEST(MotifFile, WholeFileCheck) {
  const std::string head = "Supermotif q.fa 0 b.fa 1 1.00 2 query-bank\n", m1 = "     '+' 0 0 5 1 1\n",
                    m2 = "     '-' 5 5 5 1 1\n", whole = head + m1 + m2;
  const struct {
    std::string text;
    long line;
  } rows[] = {
      {"", 0},
      {"banner\nQuery: q\n\n" + whole + "Query: r\n" + whole, 0},  // text between blocks
      {testutil::toCRLF(whole + whole), 0},                         // ends between blocks
      {"Supermotif q 0 b 1 1.00 0 x\nSupermotif q 0 b 1 1.00 -3 x\n" + m1, 0},
      {"x\n" + head, 2},                              // after the Supermotif line
      {"x\n" + head + m1, 3},                         // after 1 of 2 motif lines
      {head + m1 + whole, 3},                         // a Supermotif line comes first
      {head + m1 + m2.substr(0, 10), 3},              // inside a line
      {whole.substr(0, whole.size() - 1), 3},         // the last line without its line end
      {whole + "Supermo", 4},
      {"Supermotif q.fa 0 b.fa 1 1.00\n" + m1, 1},    // six tokens
      {head + "     '+ 0 0 5 1 1\n" + m2, 2},         // one quote
      {head + "     '+' 0 0 5 1\n" + m2, 2},          // four integers
      {"Supermotif q.fa 0 b.fa 1 1.00 1000000 x\n" + m1 + m2, 3},
  };
  for (const auto &r : rows) {
    FILE *f = fromText(r.text);
    fseek(f, 5, SEEK_SET);
    testing::internal::CaptureStdout();
    const bool ok = motifFileWhole(f, "t.mot");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              r.line ? "\n Motif file t.mot is cut short at line " + std::to_string(r.line) : "") << r.text;
    EXPECT_TRUE(ok == !r.line && ftell(f) == 0) << r.text;
    fclose(f);
  }
}

TEST(MotifFile, MotifLoadReadsOneLine) {
  FILE *f = fromText(" 'c' 4 5 6 7 8\nno quote 1 2 3\n");
  Motif m(1, 1, 1, 1, 1, 'a');
  EXPECT_EQ(m.load(f), 1);
  EXPECT_EQ(m.frame, 'c');
  EXPECT_EQ(m.qBeg, 4);
  EXPECT_EQ(m.pow, 8);
  EXPECT_EQ(m.load(f), 0);
  EXPECT_EQ(m.frame, 'c');
  EXPECT_EQ(m.qBeg, 4);
  EXPECT_EQ(m.load(f), 0);  // end of file
  fclose(f);
}

TEST(MotifFile, RoundTrip) {
  struct {
    double printed;
    int written, reread;
  } powers[] = {
      {12.34, 50544640, 50544639}, {1.00, 4096000, 4096000},    {5.55, 22732800, 22732799},
      {3.14, 12861440, 12861440},  {123.45, 505651200, 505651200}, {0.0, 0, 0},
  };
  std::string longPath(2000, 'p');
  longPath = "/data/" + longPath + ".fa";

  FILE *f = tmpfile();
  int k = 0;
  for (auto &p : powers) {
    Supermotif s;
    s.power = p.written;
    s.bAdr = dup(k == 0 ? longPath.c_str() : "bank.gb");
    s.bNum = 100 + k;
    addMotif(s, k, 2 * k, 3 + k, 400 * k - 7, powerOf(400 * k - 7, 3 + k), "+-abcdef"[k]);
    addMotif(s, 50 + k, 70 + k, 12, 999, 999 * 1182, 'd');
    s.printSuper(f, k == 1 ? longPath.c_str() : "query.fa", k, '+');
    k++;
  }
  std::string first = readAll(f);
  rewind(f);

  FILE *g = tmpfile();
  k = 0;
  Supermotif s;
  while (s.load(f)) {
    SCOPED_TRACE(k);
    ASSERT_LT(k, 6);
    EXPECT_EQ(s.power, powers[k].reread);
    EXPECT_STREQ(s.qAdr, k == 1 ? longPath.c_str() : "query.fa");
    EXPECT_EQ(s.qNum, k);
    EXPECT_STREQ(s.bAdr, k == 0 ? longPath.c_str() : "bank.gb");
    EXPECT_EQ(s.bNum, 100 + k);
    expectChain(s, {{"+-abcdef"[k], k, 2 * k, 3 + k, 400 * k - 7, powerOf(400 * k - 7, 3 + k)},
                    {'d', 50 + k, 70 + k, 12, 999, 999 * 1182}});
    s.printSuper(g);
    s.del();
    k++;
  }
  EXPECT_EQ(k, 6);
  // The one-unit loss does not show in the printed value: the second write is identical.
  EXPECT_EQ(readAll(g), first);
  fclose(f);
  fclose(g);
}

TEST(MotifFile, CarriageReturnsAndOverride) {
  FILE *f = fromText("Supermotif q.fa 3 b.fa 17 1.00 2 query-bank\r\n 'a' 1 2 3 4 5\r\n 'b' 6 7 8 9 10\r\n");
  Supermotif s;
  ASSERT_EQ(s.load(f), 1);
  EXPECT_STREQ(s.bAdr, "b.fa");
  FILE *g = tmpfile();
  s.printSuper(g, s.qAdr, s.qNum, 'd');
  EXPECT_EQ(readAll(g),
            "Supermotif q.fa      3 b.fa     17   1.00   2   query-bank\n"
            "     'd'      1      2      3          4          5\n"
            "     'd'      6      7      8          9         10\n");
  fclose(f);
  fclose(g);
}

}  // namespace
