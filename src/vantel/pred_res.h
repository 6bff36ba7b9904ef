// The result list of one keyword type: every region where a keyword is predicted is one
// result; the list merges near results of one keyword, orders them by strength, drops
// general keywords, and writes the type's block of the prediction file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class HistXX;

struct TPredRes {
  std::string key;       // the keyword (statistics name)
  bool live = true;      // false once merged or dropped
  HistXX *hist = nullptr;  // borrowed
  int beg = 0, end = 0;  // as written: 1-based, times the frame step
  double pow = 0;        // strength (P1): order and threshold
  double ita = 0;
  double prob = 0;       // P1divP2
};

// res1 takes the larger pow and prob, the smaller beg and the larger end of the two.
void append(TPredRes &res1, const TPredRes &res2);
// 1 when the keys are equal and one region begins less than delta from the other's end.
int areNear(const TPredRes &res1, const TPredRes &res2, int delta);
// Order of decreasing pow: -1, 0 or 1; a NaN pow comes after every number.
int resSort(const TPredRes &a, const TPredRes &b);

class TPredResProc {
 public:
  std::vector<TPredRes> res;
  int maxNum;

  explicit TPredResProc(int _maxNum) : maxNum(_maxNum) {}
  int num() const { return (int)res.size(); }

  // Appends one result. Exits 111 with "\n number of keywords is too large %d" when the list
  // already holds maxNum.
  void add(const char *_key, int _beg, int _end, double _pow, double _ita, double _prob,
           HistXX *_hist);
  // Merges each result with the later ones of the same key whose regions come within 15
  // positions of its (widened) region; the kept results stay in order.
  void join();
  // Decreasing pow, stable, NaN last.
  void sort();
  // Drops the results whose pow is below thres, and those whose key is inside the key of
  // another result at or above thres; of two keys inside each other the earlier is kept.
  void delGen(double thres);
  // Writes the block of keyType to fout (nothing for an empty list) and, when saveHist is set,
  // each written keyword's statistics block to pro (the ".pro" side file). A failed write to
  // fout ends the run (exit 11).
  void print(const char *keyType, FILE *fout, FILE *pro, int saveHist);
};
