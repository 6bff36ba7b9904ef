// Sequence-address lists filled from "Supermotif" lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "seq_adr.h"

namespace {

// A caller-owned list of 1000 records that frees its names.
struct List {
  SeqAddrPow sa[1000];
  int n = 0;
  ~List() {
    for (int i = 0; i < n; i++) delete[] sa[i].name;
  }
  int add(const std::string &line, int both) { return addSeqAddr(line.c_str(), n, sa, both); }
};

std::string line(const std::string &q, int qn, const std::string &b, int bn, const char *pow) {
  char buf[4096];
  snprintf(buf, sizeof buf, "Supermotif %s %6d %s %6d %s   1   query-bank\n", q.c_str(), qn, b.c_str(),
           bn, pow);
  return buf;
}

TEST(SeqAddr, KeepsHighestPower) {
  List l;
  EXPECT_EQ(l.add(line("q.fa", 0, "b.fa", 7, " 12.50"), 0), 1);
  EXPECT_EQ(l.add(line("q.fa", 1, "b.fa", 7, " 30.00"), 0), 1);
  EXPECT_EQ(l.add(line("q.fa", 2, "b.fa", 7, " 20.00"), 0), 1);
  ASSERT_EQ(l.n, 1);
  EXPECT_STREQ(l.sa[0].name, "b.fa");
  EXPECT_EQ(l.sa[0].num, 7);
  EXPECT_DOUBLE_EQ(l.sa[0].pow, 30.0);
  // A new entry takes the power of its line, not a maximum with anything.
  EXPECT_EQ(l.add(line("q.fa", 2, "b.fa", 8, "  2.00"), 0), 1);
  ASSERT_EQ(l.n, 2);
  EXPECT_DOUBLE_EQ(l.sa[1].pow, 2.0);
}

TEST(SeqAddr, BothSides) {
  List l;
  EXPECT_EQ(l.add(line("same.fa", 4, "same.fa", 4, "  5.00"), 1), 1);
  ASSERT_EQ(l.n, 1);
  EXPECT_DOUBLE_EQ(l.sa[0].pow, 5.0);
  EXPECT_EQ(l.add(line("q.fa", 0, "b.fa", 3, "  6.00"), 1), 1);
  ASSERT_EQ(l.n, 3);
  EXPECT_STREQ(l.sa[1].name, "q.fa");  // query side first, in first-met order
  EXPECT_STREQ(l.sa[2].name, "b.fa");
  EXPECT_EQ(l.add(line("q2.fa", 0, "b.fa", 3, "  9.00"), 0), 1);  // bank side only
  EXPECT_EQ(l.n, 3);
  EXPECT_DOUBLE_EQ(l.sa[2].pow, 9.0);
  EXPECT_DOUBLE_EQ(l.sa[1].pow, 6.0);
}

TEST(SeqAddr, PathsMatchExactly) {
  for (int order = 0; order < 2; order++) {
    List l;
    const char *a = order ? "bankA2" : "bankA";
    const char *b = order ? "bankA" : "bankA2";
    l.add(line("q", 0, a, 5, "  1.00"), 0);
    l.add(line("q", 0, b, 5, "  2.00"), 0);
    ASSERT_EQ(l.n, 2) << order;
    EXPECT_EQ(getSeqIdx(l.n, l.sa, "bankA", 5), order);
    EXPECT_EQ(getSeqIdx(l.n, l.sa, "bankA2", 5), 1 - order);
    EXPECT_DOUBLE_EQ(l.sa[0].pow, 1.0);
    EXPECT_DOUBLE_EQ(l.sa[1].pow, 2.0);
  }
  List l;
  l.add(line("q", 0, "bankA2", 5, "  1.00"), 0);
  EXPECT_EQ(getSeqIdx(l.n, l.sa, "bankA", 5), -1);
  EXPECT_EQ(getSeqIdx(l.n, l.sa, "bankA2", 6), -1);
  EXPECT_EQ(getSeqIdx(l.n, l.sa, "BANKA2", 5), -1);
  EXPECT_EQ(getSeqIdx(0, l.sa, "bankA2", 5), -1);
}

TEST(SeqAddr, CapOf999) {
  List l;
  for (int i = 0; i < 999; i++) l.add(line("q", 0, "b", i, "  1.00"), 0);
  ASSERT_EQ(l.n, 999);
  testing::internal::CaptureStdout();
  EXPECT_EQ(l.add(line("q", 0, "b", 999, "  3.00"), 0), 1);
  EXPECT_EQ(l.add(line("q", 0, "b", 5, "  4.00"), 0), 1);  // known: still updated
  fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n Too many sequences");
  EXPECT_EQ(l.n, 999);
  EXPECT_DOUBLE_EQ(l.sa[5].pow, 4.0);
  EXPECT_EQ(getSeqIdx(l.n, l.sa, "b", 999), -1);
}

TEST(SeqAddr, OtherAndMalformedLines) {
  const char *bad[] = {
      "",
      "Query: q.fa",
      "     '+'     10     40     16       4000    4096000",
      "supermotif q 1 b 2 3.00 1 query-bank",
      "Supermotif",
      "Supermotif q.fa 3 b.fa",
      "Supermotif q.fa 3 b.fa 17",
      "Supermotif q.fa x b.fa 17 1.00 1",
      "Supermotif q.fa 3 b.fa 17x 1.00 1",
      "Supermotif q.fa 3 b.fa 17 pow 1",
      "Query: >Supermotif of a strange name",
  };
  List l;
  for (const char *b : bad) EXPECT_EQ(l.add(b, 1), 0) << b;
  EXPECT_EQ(l.n, 0);
}

TEST(SeqAddr, WordFoundAnywhereWithAnyBlanks) {
  List l;
  EXPECT_EQ(l.add("junk Supermotifs\tq.fa\t3\r b.fa  17\t 2.50 1", 1), 1);
  ASSERT_EQ(l.n, 2);
  EXPECT_STREQ(l.sa[0].name, "q.fa");
  EXPECT_EQ(l.sa[0].num, 3);
  EXPECT_STREQ(l.sa[1].name, "b.fa");
  EXPECT_EQ(l.sa[1].num, 17);
  EXPECT_DOUBLE_EQ(l.sa[1].pow, 2.5);
  // AddOneSeqAddr alone, and with a missing token
  EXPECT_EQ(AddOneSeqAddr("Supermotif q.fa 3 c.fa 9 7.00 1", l.n, l.sa, 3), 1);
  EXPECT_EQ(getSeqIdx(l.n, l.sa, "c.fa", 9), 2);
  EXPECT_EQ(AddOneSeqAddr("Supermotif q.fa 3", l.n, l.sa, 1), 0);
  EXPECT_EQ(l.n, 3);
}

TEST(SeqAddr, LongPath) {
  List l;
  std::string p(2000, 'z');
  EXPECT_EQ(l.add("Supermotif " + p + " 1 " + p + " 1 3.00 1 query-bank", 1), 1);
  ASSERT_EQ(l.n, 1);
  EXPECT_EQ(std::string(l.sa[0].name), p);
  EXPECT_DOUBLE_EQ(l.sa[0].pow, 3.0);
}

}  // namespace
