// Open banks: format and molecule type at opening, iteration over the entries, and the
// bank list with the molecule type of a bank set.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bank_list.h"
#include "params.h"
#include "seqbase.h"
#include "testutil.h"

using testutil::TempDir;
using testutil::writeFile;

namespace {

struct Yield {
  int ret;
  std::string name, seq;
};

// Every call of next() as a caller makes them (until 0), plus `extra` calls after.
std::vector<Yield> iterate(SeqBase &b, int extra = 0) {
  std::vector<Yield> out;
  WorkSeq w;
  char name[1024];
  for (int zeros = 0; zeros < 1 + extra;) {
    int handle = 7;
    name[0] = 0;
    int r = b.next(w, name, handle);
    EXPECT_EQ(handle, 0);
    out.push_back({r, r ? name : "", r && w.seq() ? w.seq() : ""});
    if (!r) zeros++;
  }
  return out;
}

class Banks : public ::testing::Test {
 protected:
  TempDir dir;
  std::string put(const std::string &name, const std::string &text) {
    std::string p = dir.file(name);
    writeFile(p, text);
    return p;
  }
};

TEST_F(Banks, FastaIteration) {
  SeqBase b(put("two.fa", ">one x\nKLM\n>two\nPQ\n").c_str());
  ASSERT_EQ(b.valid(), 1);
  EXPECT_EQ(b.getMolType(), 0);
  auto y = iterate(b, 1);
  ASSERT_EQ(y.size(), 4u);
  EXPECT_EQ(y[0].ret, 1);
  EXPECT_EQ(y[0].name, ">one");
  EXPECT_EQ(y[0].seq, "KLM");
  EXPECT_EQ(y[1].ret, 1);
  EXPECT_EQ(y[1].name, ">two");
  EXPECT_EQ(y[2].ret, 0);
  EXPECT_EQ(y[3].ret, 0);

  // An entry without residues is given as such, and the iteration goes on past it.
  SeqBase e(put("gap.fa", ">a\nAC\n>empty\n>c\nGT\n").c_str());
  y = iterate(e);
  ASSERT_EQ(y.size(), 4u);
  EXPECT_EQ(y[1].ret, kEntryEmpty);
  EXPECT_EQ(y[2].seq, "GT");

  // Indented headers are taken as FASTA here.
  SeqBase ind(put("ind.fa", "\n  >a\nacgu\n\t>b\nAC\n").c_str());
  EXPECT_EQ(ind.getMolType(), 1);
  y = iterate(ind);
  ASSERT_EQ(y.size(), 3u);
  EXPECT_EQ(y[0].seq, "ACGU");
  EXPECT_EQ(y[1].name, ">b");
}

void checkResidues(VectorForm form) {
  // Random bytes of every value (a NUL now and then ends the line early), lengths around the
  // blocks of 64, and lines of letters only, where nothing is dropped.
  std::mt19937 rng(11);
  for (int iter = 0; iter < 3000; iter++) {
    const long n = (long)(rng() % 200);
    std::string line((size_t)n, 'x');
    for (char &c : line) {
      const unsigned r = rng();
      c = iter % 4 == 0 ? "ACDEFGHIKLMNPQRSTVWYacgt"[r % 24] : (char)(r % 256);
      if (iter % 4 != 0 && r % 97 == 0) c = 0;
    }
    // By definition: letters upper-cased, '*' kept, everything else dropped, up to a NUL.
    std::string ref;
    for (char c : line) {
      if (!c) break;
      if (c >= 'a' && c <= 'z') ref += (char)(c - 'a' + 'A');
      if ((c >= 'A' && c <= 'Z') || c == '*') ref += c;
    }
    const int want = (int)ref.size();
    std::string viaDelEmpty = line + '\0';
    int kept = -1;
    delEmpty(&viaDelEmpty[0], &kept);
    ASSERT_EQ(kept, want) << iter;
    ASSERT_EQ(std::string(viaDelEmpty.c_str()), ref) << iter;
    std::string got = line;
    ASSERT_EQ(keepResidues(&got[0], n, form), want) << iter;
    ASSERT_EQ(got.substr(0, (size_t)want), ref.substr(0, (size_t)want)) << iter;
    ASSERT_EQ(got.size(), (size_t)n);  // nothing written past the line
  }
}

TEST(Residues, KeptAsDelEmptyKeepsThem) { checkResidues(VectorForm::Plain); }

TEST(Residues, WideFormKeepsThemAsDelEmptyDoes) {
  SKIP_WITHOUT_WIDE(kWideKeepResidues);
  checkResidues(VectorForm::Wide);
}

TEST_F(Banks, FastaIterationGoesOnAfterCountingBetweenEntries) {
  // next() keeps the header of the entry that comes next; counting the entries in between
  // must leave it there.
  SeqBase b(put("three.fa", ">a\nAC\nGT\n>b\nKL\n\n  >c\nMN\n").c_str());
  WorkSeq w;
  char name[1024];
  int h = 0;
  ASSERT_EQ(b.next(w, name, h), 1);
  EXPECT_EQ(std::string(w.seq()), "ACGT");
  EXPECT_EQ(b.getSize(), 3);
  ASSERT_EQ(b.next(w, name, h), 1);
  EXPECT_STREQ(name, ">b");
  EXPECT_EQ(std::string(w.seq()), "KL");
  ASSERT_EQ(b.next(w, name, h), 1);
  EXPECT_STREQ(name, ">c");
  EXPECT_EQ(std::string(w.seq()), "MN");
  EXPECT_EQ(b.next(w, name, h), 0);
}

TEST_F(Banks, SwissAndGenBankIteration) {
  // The first entry decides the molecule type of the whole bank.
  SeqBase sw(put("nuc.dat", "ID   N1\nSQ  \nACGTACGT\n//\nID   P1\nSQ  \nMKLVWQ\n//\n").c_str());
  EXPECT_EQ(sw.getMolType(), 1);
  auto y = iterate(sw);
  ASSERT_EQ(y.size(), 3u);
  EXPECT_EQ(y[1].name, "P1");
  EXPECT_EQ(y[1].seq, "MKLVWQ");

  SeqBase gb(testutil::dataPath("banks/genbank.gb").c_str());
  EXPECT_EQ(gb.getMolType(), 1);
  y = iterate(gb);
  ASSERT_EQ(y.size(), 3u);
  EXPECT_EQ(y[0].name, "TESTSEQ");
  EXPECT_EQ(y[1].seq, "ACGTACGT");

  // Empty first entries: the molecule type of the first entry with residues, every entry given.
  SeqBase empty(put("empty1.dat", "ID   E\nSQ  \n//\nID   G\nSQ  \n//\nID   F\nSQ  \nACGT\n//\n").c_str());
  EXPECT_EQ(empty.getMolType(), 1);
  y = iterate(empty);
  ASSERT_EQ(y.size(), 4u);
  EXPECT_EQ(y[0].ret, kEntryEmpty);
  EXPECT_EQ(y[1].ret, kEntryEmpty);
  EXPECT_EQ(y[2].seq, "ACGT");
  SeqBase none(put("empty2.fa", ">a\n>b\n").c_str());
  EXPECT_EQ(none.getMolType(), 0);
  EXPECT_EQ(iterate(none).size(), 3u);
}

TEST_F(Banks, UnusedOperations) {
  std::string path = testutil::dataPath("banks/swiss.dat");
  SeqBase sw(path.c_str());
  EXPECT_EQ(sw.getSize(), 2);
  SeqInfo info;
  EXPECT_EQ(sw.next(info), 15);
  EXPECT_EQ(sw.next(info), 5);
  EXPECT_EQ(sw.next(info), 0);

  SeqBase fa(put("c.fa", " >a\nAC\n>b\nKL\n>c\n").c_str());
  EXPECT_EQ(fa.getSize(), 3);
  EXPECT_EQ(fa.next(info), 0);
  auto y = iterate(fa);  // counting kept the position at the start
  EXPECT_EQ(y[0].seq, "AC");

  std::string sub = dir.file("sub.txt");
  int list[] = {4, 0, 12};
  fa.saveSubBase(3, list, sub.c_str());
  EXPECT_EQ(testutil::readFile(sub), "SubBase of " + dir.file("c.fa") + "\n4\n0\n12");
}

TEST_F(Banks, UnopenableBankIsInvalidAndSilent) {
  testing::internal::CaptureStdout();
  SeqBase b(dir.file("missing.fa").c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(b.valid(), 0);
  EXPECT_EQ(b.getFILE(), nullptr);
  WorkSeq w;
  char name[1024];
  int handle = 3;
  EXPECT_EQ(b.next(w, name, handle), 0);
  EXPECT_EQ(handle, 0);
}

TEST_F(Banks, UnknownFormatsExit99) {
  const std::string fasta = ">a\nACDEF\n";
  const std::string texts[] = {
      "fc; X\nfd; ACDE\n",              // PRINTS
      "Blocks Database\nBL x\n",        // BLOCKS
      "# STOCKHOLM 1.0\ns1 AC\n//\n",   // Stockholm
      "",                               // empty
      "SQ X\nplain text\n",             // "SQ" needs two blanks
      fasta + '\0' + fasta,             // a NUL in the first block
      // Compressed, the packer named: gzip, bzip2, xz, zstd, zip.
      "\x1f\x8b\x08\x08\n" + fasta, "BZh91AY&SY\n" + fasta, std::string("\xfd" "7zXZ\0\n", 7) + fasta,
      "\x28\xb5\x2f\xfd\n" + fasta, "PK\x03\x04\n" + fasta,
  };
  const char *packers[] = {"gzip", "bzip2", "xz", "zstd", "zip"};
  int i = 0;
  for (const std::string &t : texts) {
    std::string p = put("u" + std::to_string(i) + ".txt", t);
    const std::string packed = i > 5 ? std::string(" is ") + packers[i - 6] + "-compressed; decompress it first" : "";
    i++;
    EXPECT_EXIT(
        {
          testutil::stdoutToStderr();
          SeqBase b(p.c_str());
        },
        ::testing::ExitedWithCode(99), ::testing::Eq("\n Unknown bank format: " + p + packed))
        << t;
  }
  // A NUL past the first 4096 bytes is read as a line of the bank.
  SeqBase late(put("late.fa", fasta + std::string(5000, 'W') + '\0' + "\n").c_str());
  EXPECT_EQ(late.valid(), 1);
}

// ---- bank list ----

std::vector<std::string> paths(char **list) {
  std::vector<std::string> out;
  for (int i = 0; list && list[i]; i++) out.push_back(list[i]);
  return out;
}

void freeList(char **list) {
  for (int i = 0; list && list[i]; i++) delete[] list[i];
  delete[] list;
}

char **loadText(const std::string &text) {
  FILE *f = testutil::streamOf(text);
  char **list = loadList(f);
  fclose(f);
  return list;
}

TEST(BankList, Paths) {
  char **l = loadText("bank1.dat other words\n\nbank2.dat\n");
  EXPECT_EQ(paths(l), std::vector<std::string>{"bank1.dat"});
  freeList(l);

  l = loadText(" \tbank1.dat\r\nbank2.dat\r\n");
  EXPECT_EQ(paths(l), (std::vector<std::string>{"bank1.dat", "bank2.dat"}));
  freeList(l);

  l = loadText("last-without-newline");
  EXPECT_EQ(paths(l), std::vector<std::string>{"last-without-newline"});
  freeList(l);

  // A long line is one path.
  std::string longPath(2000, 'p');
  l = loadText(longPath + " comment\nb2\n");
  EXPECT_EQ(paths(l), (std::vector<std::string>{longPath, "b2"}));
  freeList(l);

  // One blank line: a list whose first slot is null.
  l = loadText("\n");
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l[0], nullptr);
  freeList(l);

  testing::internal::CaptureStdout();
  l = loadText("");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n There are no banks in bankList");
  EXPECT_EQ(l, nullptr);

  // 127 banks fit; the slot after them is null.
  std::string many;
  for (int i = 0; i < 127; i++) many += "b" + std::to_string(i) + "\n";
  l = loadText(many);
  EXPECT_EQ(paths(l).size(), 127u);
  EXPECT_EQ(l[127], nullptr);
  freeList(l);
}

TEST(BankListDeathTest, MoreThan127BanksExit111) {
  std::string many;
  for (int i = 0; i < 128; i++) many += "b" + std::to_string(i) + "\n";
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        loadText(many);
      },
      ::testing::ExitedWithCode(111), ::testing::Eq("\n Too many banks in bankList (at most 127)"));
}

TEST(BankList, MolTypeOfTheSet) {
  TempDir dir;
  std::string prot = dir.file("p.fa"), nuc = dir.file("n.fa");
  writeFile(prot, ">p\nMKLVW\n");
  writeFile(nuc, ">n\nACGTT\n");
  struct Case {
    std::vector<std::string> banks;
    int type;
  } cases[] = {{{prot}, 0}, {{nuc}, 1}, {{prot, nuc}, 2}, {{nuc, nuc, prot}, 2}};
  for (const Case &c : cases) {
    std::string text;
    for (auto &b : c.banks) text += b + "\n";
    char **l = loadText(text);
    EXPECT_EQ(getBaseMolType(l), c.type) << text;
    freeList(l);
  }
}

TEST(BankListDeathTest, BadBanksExit) {
  TempDir dir;
  std::string prot = dir.file("p.fa"), odd = dir.file("odd.txt"), missing = dir.file("missing.fa");
  writeFile(prot, ">p\nMKLVW\n");
  writeFile(odd, "fc; PRINTS\n");
  char **l = loadText(prot + "\n" + missing + "\n");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        getBaseMolType(l);
      },
      ::testing::ExitedWithCode(111), ::testing::Eq("\n Base " + missing + " isn't valid"));
  freeList(l);

  l = loadText("\n");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        getBaseMolType(l);
      },
      ::testing::ExitedWithCode(111), ::testing::Eq("All bases in given ase_list have unknown molecular type..."));
  freeList(l);

  l = loadText(odd + "\n");
  EXPECT_EXIT(
      {
        testutil::stdoutToStderr();
        getBaseMolType(l);
      },
      ::testing::ExitedWithCode(99), ::testing::Eq("\n Unknown bank format: " + odd));
  freeList(l);
}

}  // namespace
