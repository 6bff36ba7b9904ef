#include <gtest/gtest.h>
#include <vector>
#include <random>

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "errormsg.h"
#include "params.h"
#include "seqbase.h"
#include "testutil.h"

namespace {

std::string printed(WorkSeq &w, int format, const char *sign) {
  char *buf = nullptr;
  size_t n = 0;
  FILE *f = open_memstream(&buf, &n);
  w.print(f, format, sign);
  fclose(f);
  std::string out(buf, n);
  free(buf);
  return out;
}

void setText(WorkSeq &w, const char *t) { w.set(t, (int)strlen(t)); }

TEST(GrowableString, GrowthRule) {
  BankSeq b;
  EXPECT_EQ(b.len(), 0);
  EXPECT_EQ(b.frame, ' ');
  EXPECT_EQ(b.capacity(), 1);
  b += "ACG";
  EXPECT_EQ(b.length, 4);
  EXPECT_EQ(b.capacity(), 4);
  EXPECT_STREQ(b.seq(), "ACG");

  struct Case { int cap, need, expect; } cases[] = {
      {40, 41, 45}, {16000, 16001, 17024}, {24, 25, 25}, {25, 26, 29},
      {8199, 8200, 9223}, {8200, 8201, 9224}, {10, 100, 100},
  };
  for (auto c : cases) {
    BasicString<char> s;
    s.grow(c.cap);
    ASSERT_EQ(s.capacity(), c.cap);
    s.grow(c.need);
    EXPECT_EQ(s.capacity(), c.expect) << c.cap << "->" << c.need;
  }
}

TEST(GrowableString, AssignIsExactAndSafe) {
  WorkSeq big;
  big.grow(5000);
  WorkSeq ten;
  setText(ten, "ACDEFGHIKL");
  big = ten;
  EXPECT_EQ(big.capacity(), 11);
  EXPECT_STREQ(big.seq(), "ACDEFGHIKL");
  big = big;  // self-assignment keeps the content
  EXPECT_STREQ(big.seq(), "ACDEFGHIKL");

  // Assignment from a buffer-less string leaves no buffer; appending then starts from "".
  BasicString<char> none;
  BasicString<char> s;
  s += "XY";
  s = none;
  EXPECT_EQ(s.length, 0);
  EXPECT_EQ(s.seq(), nullptr);
  s += "AB";
  EXPECT_STREQ(s.seq(), "AB");
  EXPECT_EQ(s.len(), 2);

  // Appending a piece of itself survives the reallocation.
  BasicString<char> self;
  self += "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  for (int i = 0; i < 6; i++) self += self.seq();
  EXPECT_EQ(self.len(), 26 * 64);
  EXPECT_EQ(0, strncmp(self.seq() + 26 * 63, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 26));

  WorkSeq copy(ten);
  EXPECT_STREQ(copy.seq(), "ACDEFGHIKL");
  s.setLen(0);  // never writes before the buffer
  EXPECT_EQ(s.len(), 0);
}

TEST(WorkSeq, CutReverse) {
  WorkSeq src;
  setText(src, "ACGTACGT");
  src.frame = 'b';
  WorkSeq d;
  EXPECT_EQ(d.cut(src, -5, 3), 0);
  EXPECT_STREQ(d.seq(), "ACG");
  EXPECT_EQ(d.frame, 'b');
  EXPECT_EQ(d.cut(src, 6, 100), 0);
  EXPECT_STREQ(d.seq(), "GT");
  WorkSeq keep;
  setText(keep, "QQ");
  keep.frame = 'x';
  EXPECT_EQ(keep.cut(src, 4, 4), 1);
  EXPECT_EQ(keep.cut(src, 5, 2), 1);
  EXPECT_STREQ(keep.seq(), "QQ");
  EXPECT_EQ(keep.frame, 'x');

  WorkSeq r;
  setText(r, "AACGTU");
  EXPECT_EQ(r.reverse(), 1);
  EXPECT_STREQ(r.seq(), "UACGTT");
  setText(r, "acgT");
  r.reverse();
  EXPECT_STREQ(r.seq(), "Agca");
}

TEST(WorkSeq, PrintBlocks) {
  WorkSeq w;
  EXPECT_EQ(printed(w, 2, nullptr), "SQ   SEQUENCE     0 AA;\n//\n");
  std::string s65(65, 'A');
  for (int i = 0; i < 65; i++) s65[i] = (char)('A' + i % 26);
  setText(w, s65.c_str());
  std::string expect =
      "SQ   SEQUENCE    65 AA;\n"
      "     ABCDEFGHIJ KLMNOPQRST UVWXYZABCD EFGHIJKLMN OPQRSTUVWX YZABCDEFGH\n"
      "     IJKLM\n//\n";
  EXPECT_EQ(printed(w, 2, nullptr), expect);
  setText(w, s65.substr(0, 60).c_str());
  EXPECT_EQ(printed(w, 3, "BP"),
            "SQ   SEQUENCE    60 BP;\n"
            "     ABCDEFGHIJ KLMNOPQRST UVWXYZABCD EFGHIJKLMN OPQRSTUVWX YZABCDEFGH\n//\n");
  setText(w, s65.substr(0, 61).c_str());
  EXPECT_EQ(printed(w, 3, nullptr),
            "ORIGIN\n"
            "     ABCDEFGHIJ KLMNOPQRST UVWXYZABCD EFGHIJKLMN OPQRSTUVWX YZABCDEFGH\n"
            "     I\n//\n");
  EXPECT_EQ(printed(w, 7, "AA"), "");
}

TEST(WorkSeq, LastFrame) {
  WorkSeq w;
  const char *frames = "+-abcdef";
  std::string a, b, c;
  for (const char *f = frames; *f; f++) {
    w.frame = *f;
    a += char('0' + w.lastFrame(0, 0));
    b += char('0' + w.lastFrame(0, 1));
    c += char('0' + w.lastFrame(1, 1));
  }
  EXPECT_EQ(a, "11001001");
  EXPECT_EQ(b, "10001000");
  EXPECT_EQ(c, "01000001");
}

TEST(Helpers, DelEmptyAndChExt) {
  char line[] = "  12 acgt*-x\n";
  int n = -1;
  EXPECT_STREQ(delEmpty(line, &n), "ACGT*X");
  EXPECT_EQ(n, 6);
  char hi[] = "\xe9z";
  EXPECT_STREQ(delEmpty(hi, nullptr), "Z");

  struct { const char *name, *ext, *expect; } cases[] = {
      {"dir.old/bank", ".idx", "dir.old/bank.idx"}, {"bank.dat", ".idx", "bank.idx"},
      {"a.b.c", ".inf", "a.b.inf"}, {"dir\\x.y\\bank", ".idx", "dir\\x.y\\bank.idx"},
      {"bank.", ".idx", "bank.idx"}, {".hidden", ".idx", ".idx"}, {"", ".pro", ".pro"},
  };
  for (auto &c : cases) {
    char *r = chExt(c.name, c.ext);
    EXPECT_STREQ(r, c.expect) << c.name;
    delete[] r;
  }
}

TEST(Helpers, Comparisons) {
  EXPECT_EQ(stricmp("abc", "ABC"), 0);
  EXPECT_EQ(stricmp("abc", "abcd"), 1);
  EXPECT_EQ(stricmp("", ""), 0);
  EXPECT_EQ(strnicmp("ft;xyz", "FT;", 3), 0);
  EXPECT_EQ(strnicmp("F", "FT", 2), 0);
  EXPECT_EQ(strnicmp("abc", "xyz", 0), 0);
  EXPECT_EQ(strnicmp("", "xyz", 3), 0);
  EXPECT_EQ(strnicmp("abd", "ABC", 3), 1);
  char s[] = "aBc1";
  EXPECT_STREQ(strupr(s), "ABC1");
  EXPECT_EQ(_strdup_(nullptr), nullptr);
  char *d = _strdup_("xy");
  EXPECT_STREQ(d, "xy");
  delete[] d;
  char v[] = "ba";
  qsort(v, 2, 1, letCmp);
  EXPECT_STREQ(v, "ab");
}

TEST(Helpers, HasntParam) {
  char l1[] = "Motif power !P 4.5 threshold";
  char *key, *arg;
  EXPECT_EQ(hasntParam(l1, key, arg), 0);
  EXPECT_EQ(key[1], 'P');
  EXPECT_STREQ(arg, "4.5");
  char l2[] = "!P4.5\n";
  EXPECT_EQ(hasntParam(l2, key, arg), 0);
  EXPECT_STREQ(arg, "4.5");
  char l3[] = "nothing here";
  EXPECT_EQ(hasntParam(l3, key, arg), 1);
  char l4[] = "ends with !";
  EXPECT_EQ(hasntParam(l4, key, arg), 1);
  char l5[] = "!P";
  EXPECT_EQ(hasntParam(l5, key, arg), 0);
  EXPECT_EQ(arg, nullptr);
}

TEST(Helpers, LineReaders) {
  std::string longLine(5000, 'x');
  std::string text = "ab\r\n" + longLine + "\nlast";
  FILE *f = fmemopen((void *)text.data(), text.size(), "r");
  char buf[1024];
  EXPECT_STREQ(_fgets_(buf, sizeof buf, f), "ab");
  EXPECT_EQ(strlen(_fgets_(buf, sizeof buf, f)), 1023u);  // long lines come in pieces
  rewind(f);
  std::string line;
  ASSERT_TRUE(readLine(f, line));
  EXPECT_EQ(line, "ab");
  ASSERT_TRUE(readLine(f, line));
  EXPECT_EQ(line, longLine);
  ASSERT_TRUE(readLine(f, line));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(readLine(f, line));
  fclose(f);

  // A byte-order mark is dropped where it opens the file, kept elsewhere (the bank readers
  // show getRawLine dropping it; readRawLine reads as readLine does).
  const std::string bom = "\xEF\xBB\xBF", marked = bom + "ab\n" + bom + "cd\n";
  f = fmemopen((void *)marked.data(), marked.size(), "r");
  LineBuf b;
  EXPECT_TRUE(readLine(f, line) && line == "ab");
  EXPECT_TRUE(getRawLine(f, b) && std::string(b.s, (size_t)b.n) == bom + "cd\n");
  fclose(f);

  EXPECT_EQ(parseLong("99999999999"), 2147483647);
  EXPECT_EQ(parseLong("-99999999999"), -2147483647 - 1);
  EXPECT_EQ(parseLong("42x"), 42);
}

TEST(Helpers, NextToken) {
  char s[] = "  a\tbb  c\n";
  char *pos = s;
  EXPECT_STREQ(nextToken(pos, " \t\n"), "a");
  EXPECT_STREQ(nextToken(pos, " \t\n"), "bb");
  EXPECT_STREQ(nextToken(pos, " \t\n"), "c");
  EXPECT_EQ(nextToken(pos, " \t\n"), nullptr);
}

TEST(GrowableStringDeath, NoRoomExitsSeven) {
  EXPECT_EXIT(noRoom(123), testing::ExitedWithCode(7), "");
  testing::internal::CaptureStdout();
  EXPECT_EXIT({ noRoom(77); }, testing::ExitedWithCode(7), "");
  testing::internal::GetCapturedStdout();
}

}  // namespace

namespace {

void checkTranslation(VectorForm form) {
  // Every byte value, lengths across the 64-letter blocks, caps low and high.
  std::mt19937 rng(17);
  for (int iter = 0; iter < 400; iter++) {
    unsigned char table[256];
    for (auto &t : table) t = (unsigned char)(rng() % 256);
    const int n = (int)(rng() % 300);
    std::string in;
    for (int i = 0; i < n; i++) in += (char)(rng() % 256);
    const unsigned char cap = iter % 3 == 0 ? 255 : (unsigned char)(rng() % 256);
    std::vector<unsigned char> want((size_t)n);
    for (int i = 0; i < n; i++) {
      const unsigned char c = table[(unsigned char)in[(size_t)i]];
      want[(size_t)i] = c < cap ? c : cap;
    }
    std::vector<unsigned char> got((size_t)n + 1, 0xEE);
    translateBytes(table, in.data(), n, got.data(), cap, form);
    ASSERT_EQ(got.back(), 0xEE) << "wrote past the end";
    got.pop_back();
    ASSERT_EQ(got, want) << iter;
  }
}

}  // namespace

TEST(Strings, ByteTranslationMatchesTheTable) { checkTranslation(VectorForm::Plain); }

TEST(Strings, ByteTranslationWideFormMatchesTheTable) {
  SKIP_WITHOUT_WIDE(kWideTranslate);
  checkTranslation(VectorForm::Wide);
}

// The switch of the vector forms: Plain never runs a wide form; without vector paths nothing
// does; with them, what the processor has decides.
TEST(VectorConvention, FormsAndFeatures) {
  EXPECT_FALSE(useWide(VectorForm::Plain, 0));
  EXPECT_FALSE(useWide(VectorForm::Plain, kCpuAvx2));
  EXPECT_EQ(useWide(VectorForm::Wide, 0), SEQ_VECTOR == 1);
  EXPECT_EQ(cpuHas(0), SEQ_VECTOR == 1);
#if SEQ_VECTOR
  EXPECT_EQ(cpuHas(kCpuAvx2), (bool)__builtin_cpu_supports("avx2"));
  EXPECT_EQ(cpuHas(kCpuAvx512f | kCpuAvx512vbmi2),
            __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vbmi2"));
#else
  EXPECT_FALSE(cpuHas(kCpuPopcnt));
  EXPECT_FALSE(useWide(VectorForm::Wide, kCpuAvx2));
#endif
}

// The one allocation helper: cleared arrays are zero, a negative count gives an empty array,
// and a size no memory holds ends the run with the message and exit 7.
TEST(Allocation, ArraysAndObjectsOrExitSeven) {
  int *z = allocArray<int>(1000, true);
  for (int i = 0; i < 1000; i++) ASSERT_EQ(z[i], 0);
  delete[] z;
  int *none = allocArray<int>(-5);
  ASSERT_NE(none, nullptr);
  delete[] none;
  std::string *s = allocObject<std::string>(3, 'x');
  EXPECT_EQ(*s, "xxx");
  delete s;
  EXPECT_EXIT(
      {
        fflush(stdout);
        dup2(2, 1);
        allocArray<double>(1LL << 60);
      },
      testing::ExitedWithCode(7), "Not enough rooms for new 2147483647");
  EXPECT_EXIT(
      {
        fflush(stdout);
        dup2(2, 1);
        allocArray<int64_t>(1LL << 61, true);
      },
      testing::ExitedWithCode(7), "Not enough rooms for new 2147483647");
}
