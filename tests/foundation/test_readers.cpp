// Bank entry readers of the six formats, format detection, molecule type and fetching
// entries through the ".idx" index.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "seqbase.h"
#include "testutil.h"

using testutil::TempDir;
using testutil::streamOf;
using testutil::toCRLF;
using testutil::writeFile;

namespace {

std::string bankText(const char *name) { return testutil::readFile(testutil::dataPath(std::string("banks/") + name)); }

std::string seqOf(const WorkSeq &w) { return w.seq() ? std::string(w.seq()) : std::string(); }

// A 32-byte index record as the project's index writer lays it out.
std::string record(long long k, long long off) {
  char buf[64];
  snprintf(buf, sizeof buf, "%15lld %15lld\n", k, off);
  return buf;
}
std::string indexHeader() { return std::string(127, 'h') + "\n"; }

TEST(ReadFast, ReadsEntriesAndPutsTheNextHeaderBack) {
  const std::string text = ">seq1 text\nacgt\nACGT\n>seq2\nMK\n";
  FILE *f = streamOf(text);
  WorkSeq w;
  char name[1024];
  EXPECT_EQ(w.readFast(f, name), 0);
  EXPECT_EQ(seqOf(w), "ACGTACGT");
  EXPECT_STREQ(name, ">seq1");
  EXPECT_EQ(w.frame, '+');
  EXPECT_EQ(ftell(f), (long)text.find(">seq2"));
  EXPECT_EQ(w.readFast(f, name), 0);
  EXPECT_EQ(seqOf(w), "MK");
  EXPECT_STREQ(name, ">seq2");
  EXPECT_EQ(w.readFast(f, name), 1);
  EXPECT_EQ(w.len(), 0);
  fclose(f);
}

TEST(ReadFast, EdgeCases) {
  WorkSeq w;
  char name[1024];
  // A header directly followed by another header: an entry without residues, then the next.
  FILE *f = streamOf(">a\n>b\nKL\n");
  EXPECT_EQ(w.readFast(f, name), kReadEmpty);
  EXPECT_STREQ(name, ">a");
  EXPECT_EQ(w.readFast(f, name), 0);
  EXPECT_EQ(seqOf(w), "KL");
  fclose(f);

  // Indented header, ';' comment letters become residues, digits/gaps/blanks vanish,
  // a last line without a line feed still counts.
  f = streamOf("  \t>x desc\n;c1\n1 a-c.g t*\nWY");
  EXPECT_EQ(w.readFast(f, name), 0);
  EXPECT_STREQ(name, ">x");
  EXPECT_EQ(seqOf(w), "CACGT*WY");
  fclose(f);

  // A '>'-only header gives the name ">".
  f = streamOf(">\nAC\n");
  EXPECT_EQ(w.readFast(f, name), 0);
  EXPECT_STREQ(name, ">");
  fclose(f);

  // An empty file: nothing read, the frame is left as it was.
  WorkSeq fresh;
  f = streamOf("");
  EXPECT_EQ(fresh.readFast(f, name), 1);
  EXPECT_EQ(fresh.frame, ' ');
  fclose(f);
}

TEST(ReadFast, LongHeaderLeavesOnlyResidues) {
  // A header tail of 1500 characters, with a '>' where a 1023-byte reader would cut it.
  std::string header = ">long " + std::string(1017, 'x') + " >phantom " + std::string(470, 'y');
  std::string text = header + "\nACGT\n>next\nKL\n";
  FILE *f = streamOf(text);
  WorkSeq w;
  char name[1024];
  EXPECT_EQ(w.readFast(f, name), 0);
  EXPECT_STREQ(name, ">long");
  EXPECT_EQ(seqOf(w), "ACGT");
  EXPECT_EQ(w.readFast(f, name), 0);
  EXPECT_STREQ(name, ">next");
  EXPECT_EQ(w.readFast(f, name), 1);
  fclose(f);

  // A name token longer than the buffer is cut at 1023 characters.
  std::string longName = ">" + std::string(3000, 'n');
  f = streamOf(longName + "\nAC\n");
  char big[1100];
  memset(big, 'Z', sizeof big);
  EXPECT_EQ(w.readFast(f, big), 0);
  EXPECT_EQ(strlen(big), 1023u);
  EXPECT_EQ(big[1024], 'Z');  // nothing written past the caller's 1024 bytes
  fclose(f);

  // One unwrapped 5000-residue line.
  f = streamOf(">u\n" + std::string(5000, 'a') + "\n");
  EXPECT_EQ(w.readFast(f, name), 0);
  EXPECT_EQ(w.len(), 5000);
  EXPECT_EQ(w.seq()[4999], 'A');
  fclose(f);
}

TEST(FlatReaders, SwissAndGenBank) {
  WorkSeq w;
  char name[1024];
  FILE *f = streamOf(bankText("swiss.dat"));
  EXPECT_EQ(w.readSwis(f, name), 0);
  EXPECT_STREQ(name, "TEST1_HUMAN");
  EXPECT_EQ(seqOf(w), "MVLSPADKTNVKAAWGKVGAHAGEYGAEAL");
  EXPECT_EQ(w.frame, '+');
  EXPECT_EQ(w.readSwis(f, name), 0);
  EXPECT_STREQ(name, "TEST2_NUC");
  EXPECT_EQ(seqOf(w), "ACGTACGTACGT");
  EXPECT_EQ(w.readSwis(f, name), 1);
  fclose(f);

  f = streamOf(bankText("genbank.gb"));
  EXPECT_EQ(w.readGenb(f, name), 0);
  EXPECT_STREQ(name, "TESTSEQ");
  EXPECT_EQ(seqOf(w), "GATCCTCCATATACAACGGTATCTCCACCTCAGGTTTAGATCTCAACAACGGAACCATTG");
  EXPECT_EQ(w.readGenb(f, name), 0);
  EXPECT_STREQ(name, "SECOND");
  EXPECT_EQ(w.readGenb(f, name), 1);
  fclose(f);

  // A name that ends its line keeps no line end; a tab stays inside the name.
  f = streamOf("ID   ENDNAME\r\nSQ   x\n  AC\n//\nID   A\tB  x\nSQ  \nKL\n//\n");
  EXPECT_EQ(w.readSwis(f, name), 0);
  EXPECT_STREQ(name, "ENDNAME");
  EXPECT_EQ(w.readSwis(f, name), 0);
  EXPECT_STREQ(name, "A\tB");
  fclose(f);

  // A missing "//": the next entry's header letters become residues of this one.
  f = streamOf("ID   A\nSQ  \nAC\nID   B\nSQ  \nKL\n//\n");
  EXPECT_EQ(w.readSwis(f, name), 0);
  EXPECT_EQ(seqOf(w), "ACIDBSQKL");
  EXPECT_EQ(w.readSwis(f, name), 1);
  fclose(f);

  // An EMBL/GenBank entry without a sequence tag merges into the next one.
  f = streamOf("LOCUS       CON1\n//\nLOCUS       REAL\nORIGIN\n 1 ac\n//\n");
  EXPECT_EQ(w.readGenb(f, name), 0);
  EXPECT_STREQ(name, "REAL");
  EXPECT_EQ(seqOf(w), "AC");
  fclose(f);
}

// The same entry written in each sequence format, read with the format's reader.
std::string readAs(int format, const std::string &text, char *name) {
  FILE *f = streamOf(text);
  WorkSeq w;
  int r = format == 1 ? w.readFast(f, name) : format == 2 ? w.readSwis(f, name) : w.readGenb(f, name);
  fclose(f);
  return r == kReadCut ? "<cut>" : r ? "<none>" : seqOf(w);
}

TEST(FlatReaders, OneEntryInEveryFormat) {
  const std::string body = "mkv lla\n" + std::string(5000, 'w') + "\nacgt*";
  const std::string entry[] = {">E1 x\n" + body, "ID   E1 x\nSQ   SEQ\n" + body + "\n//\n",
                               "LOCUS       E1 x\nORIGIN\n" + body + "\n//\n"};
  const std::string want = "MKVLLA" + std::string(5000, 'W') + "ACGT*";
  for (int format = 1; format <= 3; format++) {
    const std::string &text = entry[format - 1];
    std::string noEnd = text.substr(0, text.size() - (format == 1 ? 0 : 4)) + (format == 1 ? "" : "\n//");
    for (const std::string &variant : {text, toCRLF(text), noEnd}) {
      char name[1024] = "";
      EXPECT_EQ(readAs(format, variant, name), want) << format;
      EXPECT_STREQ(name, format == 1 ? ">E1" : "E1") << format;
    }
    // An entry without residues reads as nothing in each format.
    const std::string empty[] = {">E1\n", "ID   E1\nSQ   SEQ\n//\n", "LOCUS       E1\nORIGIN\n//\n"};
    char name[1024];
    EXPECT_EQ(readAs(format, empty[format - 1], name), "<none>") << format;
  }
  // The file ends inside an entry, before its "//" (FASTA has none): cut short. Lines without
  // an "ID" or "LOCUS" line are no entry.
  char name[1024];
  EXPECT_EQ(readAs(2, "ID   E1\nSQ  \nAC\nGT", name), "<cut>");
  EXPECT_EQ(readAs(3, "LOCUS       E1\nORIGIN\n 1 ac\n 3 gt", name), "<cut>");
  EXPECT_EQ(readAs(2, "ID   E1\nDE   x\n", name), "<cut>");
  EXPECT_EQ(readAs(2, "DE   x\n", name), "<none>");
  EXPECT_EQ(readAs(1, ">E1\nAC", name), "AC");
}

// The one dispatch over the formats: each code reads as the reader of its name does; a code of
// no format reads nothing.
TEST(ReadEntry, EachFormatCodeGoesToItsReader) {
  const struct {
    int code;
    const char *file;
  } banks[] = {{kFormatFasta, "fasta.fa"},   {kFormatSwiss, "swiss.dat"}, {kFormatGenBank, "genbank.gb"},
               {kFormatPrints, "prints.txt"}, {kFormatBlocks, "blocks.txt"}, {kFormatPfam, "pfam.sto"}};
  for (const auto &b : banks) {
    const std::string text = bankText(b.file);
    FILE *f = streamOf(text), *g = streamOf(text);
    WorkSeq byCode, byName;
    LineBuf line;
    char n1[1024] = "", n2[1024] = "";
    const int r1 = readEntry(byCode, f, b.code, n1, line);
    int r2 = 0;
    switch (b.code) {
      case kFormatFasta: r2 = byName.readFast(g, n2); break;
      case kFormatSwiss: r2 = byName.readSwis(g, n2); break;
      case kFormatGenBank: r2 = byName.readGenb(g, n2); break;
      case kFormatPrints: r2 = byName.readPrints(g); break;
      case kFormatBlocks: r2 = byName.readBlocks(g); break;
      default: r2 = byName.readPFam(g); break;
    }
    EXPECT_EQ(r1, 0) << b.file;
    EXPECT_EQ(r1, r2) << b.file;
    EXPECT_GT(byCode.len(), 0) << b.file;
    EXPECT_EQ(seqOf(byCode), seqOf(byName)) << b.file;
    EXPECT_STREQ(n1, n2) << b.file;
    EXPECT_EQ(ftell(f), ftell(g)) << b.file;
    fclose(f);
    fclose(g);
  }
  for (int code : {(int)kFormatUnknown, 0, 7}) {
    FILE *f = streamOf(">x\nACGT\n");
    WorkSeq w;
    w.set("KEEP", 4);
    LineBuf line;
    char name[1024] = "unchanged";
    EXPECT_EQ(readEntry(w, f, code, name, line), -1) << code;
    EXPECT_EQ(seqOf(w), "KEEP") << code;
    EXPECT_STREQ(name, "unchanged") << code;
    EXPECT_EQ(ftell(f), 0) << code;
    fclose(f);
  }
}

// With `pending` a FASTA bank is read entry after entry without the stream going back.
TEST(ReadEntry, PendingHeaderStaysInTheLineBuffer) {
  FILE *f = streamOf(">a\nAC\nGT\n>b\nTT\n>c\nGG\n");
  WorkSeq w;
  LineBuf line;
  bool pending = false;
  char name[1024];
  std::vector<std::string> got;
  long lastPos = 0;
  while (readEntry(w, f, kFormatFasta, name, line, &pending) == 0) {
    got.push_back(std::string(name) + ":" + seqOf(w));
    EXPECT_GE(ftell(f), lastPos);
    lastPos = ftell(f);
  }
  fclose(f);
  EXPECT_EQ(got, (std::vector<std::string>{">a:ACGT", ">b:TT", ">c:GG"}));
}

TEST(SegmentReaders, PrintsBlocksPfamRows) {
  WorkSeq w;
  w.frame = 'x';
  FILE *f = streamOf(bankText("prints.txt"));
  EXPECT_EQ(w.readPrints(f), 0);
  EXPECT_EQ(seqOf(w), "ACDEFG\nACDEYG\n");
  EXPECT_EQ(w.frame, 'x');  // segment readers leave the frame
  // The "fc; TESTFAM2" line ended the first element and was consumed.
  EXPECT_EQ(w.readPrints(f), 0);
  EXPECT_EQ(seqOf(w), "KLMNP\n");
  EXPECT_EQ(w.readPrints(f), 1);
  fclose(f);

  f = streamOf(bankText("blocks.txt"));
  EXPECT_EQ(w.readBlocks(f), 0);
  EXPECT_EQ(seqOf(w), "ACDEFG\nACDEYG\n");
  EXPECT_EQ(w.len(), 14);
  EXPECT_EQ(w.readBlocks(f), 0);
  EXPECT_EQ(seqOf(w), "KLMN\n");
  EXPECT_EQ(w.readBlocks(f), 1);
  fclose(f);

  f = streamOf(bankText("pfam.sto"));
  EXPECT_EQ(w.readPFam(f), 0);
  EXPECT_EQ(seqOf(w), "AC--DE\nACGHDE\n");
  EXPECT_EQ(w.len(), 14);
  // Interleaved blocks give one row per line, lower case kept.
  EXPECT_EQ(w.readPFam(f), 0);
  EXPECT_EQ(seqOf(w), "AC--\nKLMN\n--DE\nPQRS\n");
  EXPECT_EQ(w.readPFam(f), 1);
  fclose(f);

  struct Case {
    const char *what, *text;
    int (WorkSeq::*reader)(FILE *);
    int ret;
    const char *rows;
  } cases[] = {
      {"prints fd line of the sequence alone", "fd; ACDE\n", &WorkSeq::readPrints, 0, "ACDE\n"},
      {"prints CRLF row", "fd; ACDE  X 1\r\nfd; KLM\r\n", &WorkSeq::readPrints, 0, "ACDE\nKLM\n"},
      {"prints fd without a row", "fd;\nfd; AC\n", &WorkSeq::readPrints, 0, "AC\n"},
      {"prints no fd", "fc; X\n", &WorkSeq::readPrints, 1, ""},
      {"blocks CRLF last token", "BL  x\r\nN (1) ACDE\r\n//\r\n", &WorkSeq::readBlocks, 0, "ACDE\n"},
      {"blocks name with ')'", "BL  x\nA)B (1) ACDE\n//\n", &WorkSeq::readBlocks, 0, "B\n"},
      {"blocks no ')' and nothing after it", "BL  x\nplain\nN (1)\n//\n", &WorkSeq::readBlocks, 2, ""},
      {"blocks no BL line", "ID x\n//\n", &WorkSeq::readBlocks, 1, ""},
      {"pfam no rows", "# STOCKHOLM 1.0\n#=GF ID x\n//\n", &WorkSeq::readPFam, 1, ""},
      {"pfam lower case and CRLF", "s1 ac.d\r\n", &WorkSeq::readPFam, 0, "ac-d\n"},
      {"pfam starts at an empty line", "#x\n\ns1 AC\n/\ns2 KL\n", &WorkSeq::readPFam, 0, "AC\n"},
  };
  for (const Case &c : cases) {
    WorkSeq s;
    f = streamOf(c.text);
    EXPECT_EQ((s.*c.reader)(f), c.ret) << c.what;
    EXPECT_EQ(seqOf(s), c.rows) << c.what;
    fclose(f);
  }
}

TEST(SegmentReaders, ExtractorsNeverWritePastTheLine) {
  // Exactly-sized buffers: the row must fit in the line's own bytes.
  struct Case {
    const char *line;
    char *(*fn)(char *);
    const char *row;
  } cases[] = {
      {"fd; ACDE", extrPrin, "ACDE\n"},
      {"fd; ACDE rest\n", extrPrin, "ACDE\n"},
      {"fd;", extrPrin, nullptr},
      {"X (12) KLMN", extrBlock, "KLMN\n"},
      {"X (12) KLMN 90\n", extrBlock, "KLMN\n"},
      {"X (12)", extrBlock, nullptr},
      {"no bracket", extrBlock, nullptr},
      {"s/1-4 a..b", extrPFam, "a--b\n"},
      {"s/1-4\t..b\t\n", extrPFam, "--b\n"},
      {"", extrPFam, nullptr},
  };
  for (const Case &c : cases) {
    std::vector<char> buf(c.line, c.line + strlen(c.line) + 1);
    char *row = c.fn(buf.data());
    if (!c.row) {
      EXPECT_EQ(row, nullptr) << c.line;
    } else {
      ASSERT_NE(row, nullptr) << c.line;
      EXPECT_STREQ(row, c.row) << c.line;
    }
  }
}

TEST(GetFormat, PrecedenceAndPositionKept) {
  struct Case {
    const char *what;
    std::string text;
    int code;
  } cases[] = {
      {"fasta header holding the banner", ">x Blocks Database\nAC\n", 1},
      {"banner before fc;", "Blocks Database\nfc; X\n", 5},
      {"fc; before the banner", "fc; X\nBlocks Database\n", 4},
      {"indented fasta", "  >x\nAC\n", -1},
      {"empty file", "", -1},
      {"swiss", "ID   X\nSQ   SEQ\n", 2},
      {"SQ with one blank", "SQ X\n", -1},
      {"genbank", "LOCUS x\nORIGIN\n", 3},
      {"stockholm", "# STOCKHOLM 1.0\n", 6},
      {"lower-case tags", "sq  \norigin\n", -1},
      {"banner past 1023 columns", std::string(1100, 'x') + "Blocks Database\n", 5},
  };
  for (const Case &c : cases) {
    std::string text = std::string("pad line\n") + c.text;
    FILE *f = streamOf(text);
    fseek(f, 4, SEEK_SET);
    EXPECT_EQ(getFormat(f), c.code) << c.what;
    EXPECT_EQ(ftell(f), 4) << c.what;
    fclose(f);
  }
}

TEST(GetMolType, EightyFivePercentOfLetters) {
  std::string s17 = std::string(17, 'a') + "KLM";  // 17 of 20
  std::string s16 = std::string(16, 'u') + "KLMN";
  EXPECT_EQ(getMolType(s17.c_str(), 20), 1);
  EXPECT_EQ(getMolType(s16.c_str(), 20), 0);
  EXPECT_EQ(getMolType("12-*", 4), 0);  // no letter
  EXPECT_EQ(getMolType("", 0), 0);
  EXPECT_EQ(getMolType("ACGTNNNNNN", 10), 0);  // N counts as a letter
  EXPECT_EQ(getMolType("AC GT*--", 8), 1);
  EXPECT_EQ(getMolType("ACGTKKKKKK", 4), 1);  // only the first len characters
}

// Banks of each format with their index, in one directory.
class IndexedBank : public ::testing::Test {
 protected:
  TempDir dir;
  std::string put(const std::string &name, const std::string &text, bool index = true) {
    std::string p = dir.file(name);
    writeFile(p, text);
    if (index) {
      EXPECT_TRUE(testutil::makeIndex(p));
    }
    return p;
  }
};

TEST_F(IndexedBank, EveryFormatThroughItsIndex) {
  struct Case {
    const char *file;
    std::vector<std::string> entries;
  } cases[] = {
      {"fasta.fa", {"ACGTACGTACGTACGT*", "MKVLLA"}},
      {"swiss.dat", {"MVLSPADKTNVKAAWGKVGAHAGEYGAEAL", "ACGTACGTACGT"}},
      {"genbank.gb", {"GATCCTCCATATACAACGGTATCTCCACCTCAGGTTTAGATCTCAACAACGGAACCATTG", "ACGTACGT"}},
      {"prints.txt", {"ACDEFG\nACDEYG\n", "KLMNP\n"}},
      {"blocks.txt", {"ACDEFG\nACDEYG\n", "KLMN\n"}},
      {"pfam.sto", {"AC--DE\nACGHDE\n", "AC--\nKLMN\n--DE\nPQRS\n"}},
  };
  for (const Case &c : cases) {
    std::string text = bankText(c.file);
    // LF, CRLF and byte-order-marked copies give the same residues; offsets count the CR bytes.
    for (int copy = 0; copy < 3; copy++) {
      std::string name = std::string(copy == 0 ? "lf_" : copy == 1 ? "crlf_" : "bom_") + c.file;
      std::string bank = put(name, copy == 1 ? toCRLF(text) : copy == 2 ? "\xEF\xBB\xBF" + text : text);
      for (size_t k = 0; k < c.entries.size(); k++) {
        WorkSeq w;
        EXPECT_EQ(w.readSeq(bank.c_str(), (int)k), (int)c.entries[k].size()) << name << " " << k;
        EXPECT_EQ(seqOf(w), c.entries[k]) << name << " " << k;
      }
      WorkSeq w;
      EXPECT_EQ(w.readSeq(bank.c_str(), (int)c.entries.size()), 0) << name;  // past the index
    }
  }
}

// An entry without residues, in each of the six formats (LF and CRLF), is an entry: read by
// number it gives 0 and is no failure, and the entry after it keeps its number.
TEST_F(IndexedBank, AnEmptyEntryInTheMiddleOfEachFormat) {
  const char *banks[][2] = {
      {"e.fa", ">a x\nACD\n>b empty\n>c\nKLM\n"},
      {"e.dat", "ID   A\nSQ   3 AA;\n  ACD\n//\nID   B\nSQ   0 AA;\n//\nID   C\nSQ   3 AA;\n  KLM\n//\n"},
      {"e.gb", "LOCUS       A\nORIGIN\n 1 acd\n//\nLOCUS       B\nORIGIN\n//\nLOCUS       C\nORIGIN\n 1 klm\n//\n"},
      {"e.prn", "gc; G\nfc; E1\nfd; ACD x\nbb;\nfc; E2\nfd;\nbb;\nfc; E3\nfd; KLM y\n"},
      {"e.blk", "Blocks Database\nID   A; BLOCK\nBL   x\nS1 (1) ACD\n//\nID   B; BLOCK\nBL   y\n//\n"
                "ID   C; BLOCK\nBL   z\nS1 (1) KLM\n//\n"},
      {"e.sto", "# STOCKHOLM 1.0\n#=GF ID   A\ns1 ACD\n//\n# STOCKHOLM 1.0\n#=GF ID   B\ns1\n//\n"
                "# STOCKHOLM 1.0\n#=GF ID   C\ns1 KLM\n//\n"},
  };
  for (int i = 0; i < 12; i++) {
    const char *const *b = banks[i / 2];
    const std::string bank = put((i % 2 ? "crlf_" : "") + std::string(b[0]), i % 2 ? toCRLF(b[1]) : b[1]);
    SCOPED_TRACE(bank);
    const std::string row = i < 6 ? "" : "\n", want[] = {"ACD" + row, "", "KLM" + row};
    EntryLog log;
    for (int k = 0; k < 3; k++) {
      WorkSeq w;
      EXPECT_EQ(w.readSeq(bank.c_str(), k, &log), (int)want[k].size()) << k;
      EXPECT_EQ(seqOf(w), want[k]) << k;
    }
    EXPECT_EQ(log.unreadable(), 0);
  }
}

// Index faults are told once per bank through a log, each entry counted once however often it is
// asked for; without a log they are silent. (Their words are rows of the bad-input tables.)
TEST_F(IndexedBank, IndexFaultsAreToldOncePerBankAndCounted) {
  const std::string fasta = ">e0\nAC\n>e1\nKL\n>e2\nMN\n";
  put("x.dat", "ID   A\nSQ  \nAC\n//\nID   B\nSQ  \nKL\n//\n");  // x.idx fits x.dat, not x.fa
  const std::string x = put("x.fa", fasta, false), y = put("y.fa", fasta), z = put("z.fa", fasta, false);
  writeFile(y, ">new first entry\nWW\n" + fasta);  // edited after indexing
  const std::string gz = put("g.fa", "\x1f\x8b\x08" + fasta, false), bin = put("b.fa", fasta + '\0', false);
  mkdir(dir.file("d.fa").c_str(), 0755);
  const struct { std::string bank; int num, len; bool told; /* the first time */ } rows[] = {{z, 0, 2, false}, {z, 2, 0, true}, {z, 1, 0, false}, {x, 1, 0, true},
              {x, 0, 2, false},  // record 0 points at the start, which begins an entry of x.fa too
              {y, 2, 0, true}, {gz, 0, 0, true}, {bin, 0, 0, true}, {dir.file("d.fa"), 0, 0, false},
              {dir.file("none.fa"), 0, 0, false}};
  EntryLog log;
  for (int pass = 0; pass < 2; pass++) {
    for (const auto &row : rows) {
      SCOPED_TRACE(row.bank + " " + std::to_string(row.num));
      WorkSeq w, silent;
      w.set("KEEP", 4);
      testing::internal::CaptureStdout();
      EXPECT_EQ(w.readSeq(row.bank.c_str(), row.num, &log), row.len);
      EXPECT_EQ(silent.readSeq(row.bank.c_str(), row.num), row.len);
      EXPECT_EQ(testing::internal::GetCapturedStdout().empty(), pass || !row.told);
      EXPECT_EQ(log.lastFailed(), row.len == 0);
      EXPECT_EQ(seqOf(w), row.len ? "AC" : "KEEP");
    }
  }
  EXPECT_FALSE(log.allUnreadable());
  testing::internal::CaptureStdout();
  log.printEnd();
  EntryLog().printEnd();  // nothing to tell
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n 8 of the 10 entries asked for could not be read");
}

TEST_F(IndexedBank, RecordsAreCheckedAndFailuresKeepTheSequence) {
  // Entry 3 at byte 1500 of a FASTA bank.
  std::string text = ">e0\nAC\n";
  text += std::string(1500 - text.size() - 1, ';') + "\n";
  text += ">e3\nKLMN\n";
  std::string bank = put("b.fa", text, false);
  std::string head = indexHeader();
  auto setIndex = [&](const std::string &records) { writeFile(dir.file("b.idx"), head + records); };
  std::string r012 = record(0, 0) + record(1, 0) + record(2, 0);

  struct Case {
    const char *what;
    std::string records;
    int num, ret;
  } cases[] = {
      {"record 3 at 1500", r012 + record(3, 1500), 3, 4},
      {"record 3 holding 4", r012 + record(4, 1500), 3, 0},
      {"index shorter than the record", r012, 3, 0},
      {"record cut inside", r012 + "              3", 3, 0},
      {"negative offset", r012 + "              3           -1500\n", 3, 0},
      {"non-numeric offset", r012 + "              3           15x00\n", 3, 0},
      {"non-numeric number", r012 + "              x            1500\n", 3, 0},
      {"offset past the end", r012 + record(3, 999999), 3, 0},
      {"offset inside a line", r012 + record(3, 1501), 3, 0},
      {"offset at a line of residues", r012 + record(3, 4), 3, 0},
      {"record without its line feed", r012 + "3 1500" + std::string(26, ' ') + record(4, 0), 3, 4},
      {"negative entry number", r012, -1, 0},
  };
  for (const Case &c : cases) {
    setIndex(c.records);
    WorkSeq w;
    w.set("PREVIOUS", 8);
    int r = w.readSeq(bank.c_str(), c.num);
    EXPECT_EQ(r, c.ret) << c.what;
    EXPECT_EQ(seqOf(w), c.ret ? "KLMN" : "PREVIOUS") << c.what;
  }

  // Without an index only entry 0 can be read, from the start of the bank.
  remove(dir.file("b.idx").c_str());
  WorkSeq w;
  EXPECT_EQ(w.readSeq(bank.c_str(), 0), 2);
  EXPECT_EQ(seqOf(w), "AC");
  EXPECT_EQ(w.readSeq(bank.c_str(), 3), 0);
  EXPECT_EQ(seqOf(w), "AC");
  EXPECT_EQ(w.readSeq(dir.file("missing.fa").c_str(), 0), 0);

  // An unknown or indented-FASTA bank reads nothing.
  std::string odd = put("odd.txt", "  >x\nACGT\n", false);
  EXPECT_EQ(w.readSeq(odd.c_str(), 0), 0);
  EXPECT_EQ(seqOf(w), "AC");
}

TEST_F(IndexedBank, IndexWriterCountsAsTheReaders) {
  // Empty entries, a Swiss entry without "//", a trailing partial entry.
  std::string swiss =
      "ID   A\nSQ  \nAC\n//\n"
      "ID   B\nSQ  \n//\n"                 // no residues: still an entry
      "ID   C\nSQ  \nKL\n"                 // no "//": swallows D
      "ID   D\nSQ  \nMN\n//\n"
      "ID   E\nSQ  \nPQ\n//\n"
      "ID   F\nDE   no sequence\n";        // never reaches SQ: no entry
  std::string bank = put("s.dat", swiss);
  std::string idx = testutil::readFile(dir.file("s.idx"));
  EXPECT_EQ(idx.size(), 128u + 4 * 32u);
  const char *want[] = {"AC", "", "KLIDDSQMN", "PQ"};
  for (int k = 0; k < 4; k++) {
    WorkSeq w;
    EXPECT_EQ(w.readSeq(bank.c_str(), k), (int)strlen(want[k])) << k;
    if (*want[k]) {
      EXPECT_EQ(seqOf(w), want[k]) << k;
    }
  }
  EXPECT_EQ(idx.substr(128, 32), record(0, 0));

  // FASTA: indented headers are entries too (though getFormat refuses such a bank).
  std::string fa = put("f.fa", ">a\nAC\n >b\nKL\n>c\n");
  EXPECT_EQ(testutil::readFile(dir.file("f.idx")).size(), 128u + 3 * 32u);
  WorkSeq w;
  EXPECT_EQ(w.readSeq(fa.c_str(), 1), 2);
  EXPECT_EQ(seqOf(w), "KL");
  EXPECT_EQ(w.readSeq(fa.c_str(), 2), 0);

  // Stockholm: an entry without rows runs on into the next entry's rows, as the reader
  // does; its number is fetched from its own identification line.
  std::string sto = put("p.sto",
                        "# STOCKHOLM 1.0\n#=GF ID   NOROWS\n//\n"
                        "# STOCKHOLM 1.0\n\n#=GF ID   LATE\n#=GF DE   Late id\ns1 KL\n//\n"
                        "# STOCKHOLM 1.0\n#=GF ID   LAST\ns1 MN\n//\n\n");
  EXPECT_EQ(testutil::readFile(dir.file("p.idx")).size(), 128u + 2 * 32u);
  EXPECT_EQ(w.readSeq(sto.c_str(), 0), 3);
  EXPECT_EQ(seqOf(w), "KL\n");
  EXPECT_EQ(w.readSeq(sto.c_str(), 1), 3);
  EXPECT_EQ(seqOf(w), "MN\n");
  SeqInfo info;
  EXPECT_EQ(info.readSeq(sto.c_str(), 0), 2);
  EXPECT_STREQ(info[0], "//");

  // PRINTS: one entry per element, fetched from its "fc;" line.
  std::string pr = put("q.txt", "gc; G\nfc; E1\nfd; AC x\nbb;\nfc; E2\nft; t\nfd; KL x\nfd; MN y\n");
  EXPECT_EQ(w.readSeq(pr.c_str(), 1), 6);
  EXPECT_EQ(seqOf(w), "KL\nMN\n");
  EXPECT_EQ(info.readSeq(pr.c_str(), 1), 2);
  EXPECT_STREQ(info[1], "FT; T");
}

}  // namespace
