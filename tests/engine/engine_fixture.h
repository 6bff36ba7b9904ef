// Shared pieces of the comparison engine tests: the test color file and one engine over its
// own division of a query.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "seahom.h"
#include "w_matrix.h"

// The letter groups of the test color file.
inline void readTestColors(AA_groups &ag) {
  FILE *f = fopen(SEQ_TEST_DATA "/search/colors.txt", "rb");
  ASSERT_NE(f, nullptr);
  ag.fread(f);
  fclose(f);
}

// One engine over its own division of `query`.
struct Engine {
  BankSeq query;
  std::unique_ptr<Division_generator> gen;
  std::unique_ptr<SearchHomol> e;
  std::unique_ptr<MotifWei[]> mot;
  Engine(const SearchHomolParams &p, const BankSeq &q, int room = 10001) : query(q) {
    gen.reset(new Division_generator(&p.ag, &query, p.winWidth, p.coiNum, p.partSize,
                                     p.useLookingTable, p.thLength, 0));
    e.reset(new SearchHomol(p));
    e->makeDivision(*gen);
    e->makeFreq();
    e->normMatr();
    mot.reset(new MotifWei[room]);
  }
  int compare(const BankSeq &bank, int room = 10000) { return e->compTwoSeq(bank, mot.get(), room); }
  int score(const char *a, const char *b, int n) const {
    const Weight_matrix *w = static_cast<const Weight_matrix *>(e->wm);
    int s = 0;
    for (int i = 0; i < n; i++) s += w->weight(a[i], b[i]);
    return s;
  }
};
