// The result list of one keyword type.
#include "pred_res.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "errormsg.h"
#include "feat_tab.h"
#include "hist_xx.h"
#include "params.h"

void append(TPredRes &res1, const TPredRes &res2) {
  res1.pow = std::max(res1.pow, res2.pow);
  res1.prob = std::max(res1.prob, res2.prob);
  res1.beg = std::min(res1.beg, res2.beg);
  res1.end = std::max(res1.end, res2.end);
}

int areNear(const TPredRes &res1, const TPredRes &res2, int delta) {
  if (res1.key != res2.key) return 0;
  return std::llabs((long long)res1.beg - res2.end) < delta ||
         std::llabs((long long)res2.beg - res1.end) < delta;
}

int resSort(const TPredRes &a, const TPredRes &b) {
  const bool na = std::isnan(a.pow), nb = std::isnan(b.pow);
  if (na || nb) return na == nb ? 0 : (na ? 1 : -1);
  return a.pow > b.pow ? -1 : (a.pow < b.pow ? 1 : 0);
}

void TPredResProc::add(const char *_key, int _beg, int _end, double _pow, double _ita,
                       double _prob, HistXX *_hist) {
  if (num() >= maxNum) fatalExit(kExitBadInput, "\n number of keywords is too large %d", maxNum);
  TPredRes r;
  r.key = _key ? _key : "";
  r.hist = _hist;
  r.beg = _beg;
  r.end = _end;
  r.pow = _pow;
  r.ita = _ita;
  r.prob = _prob;
  res.push_back(std::move(r));
}

void TPredResProc::join() {
  size_t to = 0;
  for (size_t from = 0; from < res.size(); from++) {
    if (!res[from].live) continue;
    if (to != from) {
      res[to] = std::move(res[from]);
      res[from].live = false;
    }
    // Nearness is measured against the region as widened so far.
    for (size_t i = from + 1; i < res.size(); i++) {
      if (!res[i].live || !areNear(res[to], res[i], 15)) continue;
      append(res[to], res[i]);
      res[i].live = false;
    }
    to++;
  }
  res.resize(to);
}

void TPredResProc::sort() {
  std::stable_sort(res.begin(), res.end(),
                   [](const TPredRes &a, const TPredRes &b) { return resSort(a, b) < 0; });
}

void TPredResProc::delGen(double thres) {
  if (res.empty()) return;
  const size_t n = res.size();
  std::vector<TPredRes> kept;
  for (size_t from = 0; from < n; from++) {
    TPredRes &r = res[from];
    if (r.pow < thres) continue;
    bool general = false;
    for (size_t j = 0; j < n && !general; j++) {
      const TPredRes &o = res[j];
      if (j == from || !o.live || !(o.pow >= thres)) continue;
      if (!firInsidSec(r.key.c_str(), o.key.c_str())) continue;
      // Of two keys inside each other the earlier, the stronger after the sort, stays.
      general = j < from || !firInsidSec(o.key.c_str(), r.key.c_str());
    }
    if (general)
      r.live = false;
    else
      kept.push_back(r);
  }
  res = std::move(kept);
}

void TPredResProc::print(const char *keyType, FILE *fout, FILE *pro, int saveHist) {
  if (res.empty()) return;
  fprintf(fout, "CC   _______________________________ %s fields\n", keyType);
  // printf turns a negative width (a type longer than 47) into left justification.
  const int width = 47 - (int)strlen(keyType);
  for (TPredRes &r : res) {
    std::string key = r.key;
    char *pos = &key[0];
    while (char *part = nextToken(pos, "\n\r;")) {
      fprintf(fout, "%s   %-*s%6d  %6d  Prob %6.4f SD %6.2f\n", keyType, width, part, r.beg,
              r.end, r.prob, r.pow > 100.0 ? 100.0 : r.pow);
      if (saveHist && r.hist) r.hist->save(pro, keyType, 1, r.prob);
    }
  }
  checkWrite(fout, "prediction file");
}
