// The prediction and the blocks of the prediction file.
#include "prediction.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "hist_xx.h"
#include "inv_sqrt.h"
#include "pred_res.h"
#include "regions.h"

namespace {

// The counts of keyword k of type t along the query; with recount, recounted by the second
// pass's supermotifs.
void keywordRows(CountRows &rows, HistXX &h, size_t t, size_t k, int L, const KwCounts &kc,
                 const KwCounts *recount) {
  const int np = h.numPow;
  rows.reset(L, np);
  std::unique_ptr<int[]> diff = newZeroedInts((size_t)(L + 1) * np);
  for (int ksiSide = 0; ksiSide < 2; ksiSide++) {
    const std::vector<int> &sups = ksiSide ? kc.has[t][k] : kc.typeSups[t];
    std::fill(diff.get(), diff.get() + (size_t)(L + 1) * np, 0);
    for (int s : sups) {
      const SupRec &r = kc.sups[(size_t)s];
      const int b = binOf(h, r);
      for (size_t i = r.spanBeg; i < r.spanEnd; i++) {
        diff[(size_t)kc.spans[i].first * np + b]++;
        diff[(size_t)(kc.spans[i].first + kc.spans[i].second) * np + b]--;
      }
    }
    int *out = ksiSide ? rows.ksi.get() : rows.all.get();
    for (int b = 0; b < np; b++) {
      int run = 0;
      for (int p = 0; p < L; p++) out[(size_t)p * np + b] = run += diff[(size_t)p * np + b];
    }
    if (!recount) continue;
    std::vector<BinSpan> spans;
    for (int s : ksiSide ? recount->has[t][k] : recount->typeSups[t]) {
      const SupRec &r = recount->sups[(size_t)s];
      const int b = binOf(h, r);
      for (size_t i = r.spanBeg; i < r.spanEnd; i++)
        spans.push_back({recount->spans[i].first, recount->spans[i].second, b});
    }
    recountRow(out, L, np, spans);
  }
}

int32_t scaled(int pos, int intFra) { return clampInt32(((long long)pos + 1) * intFra); }

}  // namespace

void writeKeywords(FILE *fres, Stats &st, int L, int intFra, int sumType, int wrDist,
                   const KwCounts &kc, const KwCounts *recount, FILE *pro) {
  CountRows rows;
  for (size_t t = 0; t < st.kw.size(); t++) {
    const char *type = st.typeKW[t].c_str();
    const int probIdx = strcmp(type, "KW") == 0 ? 0 : 1;
    TPredResProc list(kMaxResults);
    for (size_t k = 0; k < st.kw[t].size(); k++) {
      if (kc.has[t][k].empty()) continue;  // no region without a hit
      HistXX &h = *st.kw[t][k];
      keywordRows(rows, h, t, k, L, kc, recount);
      std::vector<int> sumAll((size_t)std::max(h.numPow, 1)), sumKsi(sumAll.size());
      int beg = 0, end = -1;
      while (makeRegion(rows, beg, end, sumAll.data(), sumKsi.data(), sumType)) {
        predPAR pred{};
        h.predFT(&pred, sumAll.data(), sumKsi.data(), probIdx, wrDist);
        if (pred.isPred)
          list.add(h.FTname, scaled(beg, intFra), scaled(end, intFra), pred.P1, pred.ita,
                   pred.P1divP2, &h);
      }
    }
    list.join();
    list.sort();
    list.delGen(0.0);
    list.print(type, fres, pro, 1);
  }
}

void writeFeatures(FILE *fres, Stats &st, int L, int intFra, FtCounts &ft, FILE *pro) {
  fputs("CC   _______________________________ FT fields\n", fres);
  for (size_t f = 0; f < st.ft.size(); f++) {
    HistXX &h = *st.ft[f];
    const int np = h.numPow;
    const int *all = f < ft.all.size() ? ft.all[f].get() : nullptr;
    const int *ksi = f < ft.ksi.size() ? ft.ksi[f].get() : nullptr;
    std::unique_ptr<char[]> nice(h.getNiceFTname());
    // Most positions share their counts (all zero in particular): predict once per change.
    std::vector<int> curAll((size_t)np), curKsi((size_t)np);
    predPAR pred{};
    bool known = false;
    double maxProb = 0, sumProb = 0, sumP1 = 0;
    int runBeg = -1;
    auto emit = [&](int s, int e) {
      const double n = e - s + 1;
      const double prob = sumProb / n, sd = sumP1 / n;
      fprintf(fres, "FT   %-45s%6d  %6d  Prob %6.4f SD %6.2f\n", nice ? nice.get() : "",
              scaled(s, intFra), scaled(e, intFra), prob, sd > 100.0 ? 100.0 : sd);
      if (prob > maxProb) maxProb = prob;
    };
    for (int p = 0; p < L; p++) {
      bool same = known;
      for (int b = 0; b < np; b++) {
        const int a = all ? all[(size_t)p * np + b] : 0, k = ksi ? ksi[(size_t)p * np + b] : 0;
        if (a != curAll[(size_t)b] || k != curKsi[(size_t)b]) same = false;
        curAll[(size_t)b] = a;
        curKsi[(size_t)b] = k;
      }
      if (!same) {
        pred = predPAR{};
        h.predFT(&pred, curAll.data(), curKsi.data(), 1, 0);
        known = true;
      }
      if (pred.isPred) {
        if (runBeg < 0) {
          runBeg = p;
          sumProb = sumP1 = 0;
        }
        sumProb += pred.P1divP2;
        sumP1 += pred.P1;
      } else if (runBeg >= 0) {
        emit(runBeg, p - 1);
        runBeg = -1;
      }
    }
    if (runBeg >= 0) emit(runBeg, L - 1);
    if (maxProb > 0) h.save(pro, "FT", 1, maxProb);
  }
}
