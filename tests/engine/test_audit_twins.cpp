// Slow twins written straight from the definitions, with none of the engine's own helpers:
// the merge walk and greedy clustering, and one whole comparison (pair and tuple histograms,
// coverage threshold, best diagonals, segment finder, rescoring, running sums). The fast
// code must agree with them exactly on random input and random settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cluster.h"
#include "inv_sqrt.h"
#include "seahom.h"
#include "w_matrix.h"

namespace {

struct Rng {
  unsigned s;
  explicit Rng(unsigned seed) : s(seed) {}
  int operator()(int k) {
    s = s * 1103515245u + 12345u;
    return (int)((s >> 8) % (unsigned)k);
  }
};

// ------------------------------------------------------------------ clustering twin

struct M {
  int q, b, len, sum, pow;
  char fr;
};
struct Chain {
  std::vector<M> ch;
  int power = 0;
};

// The walk of S's motifs with the pieces of W's motifs that fit between placed elements.
int walk(const Chain &S, const Chain &W, int minLen, int gap, std::vector<M> *out) {
  const int kSDone = 1000000001, kWBeg = 1000000000, kWEnd = 1000000001;
  if (minLen < 1) minLen = 1;
  long long sum = 0, tot = 0, pos = 0;
  int spanB = S.ch.empty() ? 0 : S.ch[0].q, spanE = 0, pq = 0, pb = 0;
  size_t si = 0, wi = 0;
  int aq, ab, wq, wb, wqe, wbe;
  auto setS = [&] {
    aq = si < S.ch.size() ? S.ch[si].q : kSDone;
    ab = si < S.ch.size() ? S.ch[si].b : kSDone;
  };
  auto setW = [&] {
    if (wi < W.ch.size()) {
      wq = W.ch[wi].q;
      wb = W.ch[wi].b;
      wqe = wq + W.ch[wi].len;
      wbe = wb + W.ch[wi].len;
    } else {
      wq = wb = kWBeg;
      wqe = wbe = kWEnd;
    }
  };
  auto charge = [&](int q, int b) {
    if (pq == 0) return;
    long long d = ((long long)b - pb) - ((long long)q - pq);
    tot += d < 0 ? -d : d;
    if (d > 0) pos += d;
  };
  setS();
  setW();
  while (si < S.ch.size() || wi < W.ch.size()) {
    if (wqe <= pq || wbe <= pb) {
      wi++;
      setW();
      continue;
    }
    if (wq < aq && wb < ab) {
      int cut = std::max({pq - wq, pb - wb, 0});
      int cutE = std::max({wqe - aq, wbe - ab, 0});
      int s = wq + cut, sb = wb + cut, n = wqe - cutE - s;
      if (n >= minLen) {
        const M &w = W.ch[wi];
        int ps = (int)((long double)w.sum / w.len * n);
        charge(s, sb);
        sum += ps;
        spanB = std::min(spanB, s);
        spanE = s + n;
        if (out) out->push_back({s, sb, n, ps, powerOf(ps, n), w.fr});
      }
      pq = wq = s + n;
      pb = wb = sb + n;
      continue;
    }
    const M &a = S.ch[si];
    charge(a.q, a.b);
    sum += a.sum;
    spanE = std::max(spanE, a.q + a.len);
    pq = a.q + a.len;
    pb = a.b + a.len;
    if (out) out->push_back(a);
    si++;
    setS();
  }
  return powerProduct(sum - (long long)gap * tot, lenFactor((int)(spanE - spanB + pos)));
}

int chainPower(const std::vector<M> &ch, int gap) {
  long long total = 0, tot = 0, pos = 0;
  for (size_t i = 0; i < ch.size(); i++) {
    total += ch[i].sum;
    if (i + 1 < ch.size()) {
      long long d = ((long long)ch[i + 1].b - ch[i].b) - ((long long)ch[i + 1].q - ch[i].q);
      tot += d < 0 ? -d : d;
      if (d > 0) pos += d;
    }
  }
  long long s = total - (long long)gap * tot;
  int len = ch.back().q + ch.back().len - ch[0].q + (int)pos;
  return s >= 0 ? powerOf(s, len) : 0;
}

int estimate(const Chain &c1, const Chain &c2, int minLen, int gap) {
  const bool swap = c1.power < c2.power;
  const Chain &S = swap ? c2 : c1, &W = swap ? c1 : c2;
  int e = walk(S, W, minLen, gap, nullptr);
  return e > S.power ? e : 0;
}

std::vector<Chain> twinClusters(const std::vector<M> &mot, int minLen, int thres, int gap) {
  int n = (int)mot.size();
  std::vector<Chain> cl(n);
  std::vector<char> dead(n, 0);
  for (int i = 0; i < n; i++) {
    cl[i].ch = {mot[i]};
    cl[i].power = mot[i].pow;
  }
  std::vector<std::vector<int>> tab(n, std::vector<int>(n, 0));
  for (int i = 1; i < n; i++)
    for (int j = 0; j < i; j++) tab[i][j] = estimate(cl[i], cl[j], minLen, gap);
  for (;;) {
    int best = 0, bi = -1, bj = -1;
    for (int i = 1; i < n; i++)
      for (int j = 0; j < i; j++)
        if (!dead[i] && !dead[j] && tab[i][j] > best) {
          best = tab[i][j];
          bi = i;
          bj = j;
        }
    if (bi < 0) break;
    int im = cl[bi].power > cl[bj].power ? bi : bj, jm = im == bi ? bj : bi;
    std::vector<M> ch;
    walk(cl[im], cl[jm], minLen, gap, &ch);
    cl[im].ch = ch;
    cl[im].power = chainPower(ch, gap);
    dead[jm] = 1;
    for (int k = 0; k < n; k++) {
      if (k == im || dead[k]) continue;
      int v = estimate(cl[im], cl[k], minLen, gap);
      (k < im ? tab[im][k] : tab[k][im]) = v;
    }
  }
  std::vector<Chain> out;
  for (int i = 0; i < n; i++) {
    if (dead[i] || cl[i].power < thres) continue;
    Chain c;
    c.power = cl[i].power;
    for (const M &m : cl[i].ch) {  // touching motifs of one frame are joined
      M *g = c.ch.empty() ? nullptr : &c.ch.back();
      if (g && g->fr == m.fr && g->q + g->len == m.q && g->b + g->len == m.b) {
        g->len += m.len;
        g->sum += m.sum;
        g->pow = powerOf(g->sum, g->len);
      } else {
        c.ch.push_back(m);
      }
    }
    out.push_back(c);
  }
  return out;
}

void compareClusterings(Rng &rnd, bool ties, int rounds) {
  for (int r = 0; r < rounds; r++) {
    int n = 1 + rnd(ties ? 30 : 20);
    std::vector<M> mot;
    for (int i = 0; i < n; i++) {
      int q, len, diag, sum;
      if (ties) {  // few shapes: many equal estimates and equal powers
        q = 10 * rnd(12);
        len = 10 + 5 * rnd(2);
        diag = 3 * rnd(3);
        sum = 10000 * (1 + rnd(2));
      } else {
        q = rnd(200);
        len = 1 + rnd(40);
        diag = rnd(9) - 4 + (rnd(5) == 0 ? rnd(100) - 50 : 0);
        sum = rnd(8) == 0 ? -rnd(5000) : 100 + rnd(30000);
      }
      int pow = rnd(6) == 0 ? powerOf(15000, 20) : powerOf(sum, len);
      mot.push_back({q, q + diag + 60, len, sum, pow, "+ab"[rnd(3)]});
    }
    int minLen = rnd(10), gap = rnd(2500), thres = rnd(3) * 8000000;
    std::vector<Chain> want = twinClusters(mot, minLen, thres, gap);
    std::vector<Motif> in;
    for (const M &m : mot) in.push_back(Motif(m.q, m.b, m.len, m.sum, m.pow, m.fr));
    Supermotif **super = nullptr;
    int k = Find_clusters(n, in.data(), super, minLen, thres, gap);
    ASSERT_EQ(k, (int)want.size()) << "round " << r;
    for (int i = 0; i < k; i++) {
      EXPECT_EQ(super[i]->power, want[i].power) << "round " << r;
      EXPECT_EQ(super[i]->numMot, (int)want[i].ch.size()) << "round " << r;
      Motif *m = super[i]->first;
      for (const M &w : want[i].ch) {
        ASSERT_NE(m, nullptr) << "round " << r;
        EXPECT_TRUE(m->qBeg == w.q && m->bBeg == w.b && m->len == w.len && m->sum == w.sum &&
                    m->pow == w.pow && m->frame == w.fr)
            << "round " << r;
        m = m->next;
      }
      EXPECT_EQ(m, nullptr);
      delete super[i];
    }
    delete[] super;
  }
}

TEST(AuditTwins, ClusteringFollowsTheWrittenWalk) {
  Rng rnd(7);
  compareClusterings(rnd, false, 4000);
  compareClusterings(rnd, true, 2000);
}

// ------------------------------------------------------------------ comparison twin

struct Seg {
  int left, length, sum, power;
};

std::vector<Seg> twinSegments(const int *e, int length, int L, int P, int accurate) {
  std::vector<Seg> res;
  L = std::max(L, 1);
  P = std::max(P, 1);
  if (length < L) return res;
  std::vector<std::pair<int, int>> st{{0, length}};
  while (!st.empty()) {
    int s = st.back().first, n = st.back().second;
    while (n > 0 && e[s + n - 1] <= 0) n--;
    while (n > 0 && e[s] <= 0) s++, n--;
    if (n < L) {
      st.pop_back();
      continue;
    }
    int t = s, m = n, a = s, w = n, bestPow = 0, start = 0, segSum = 0;
    bool ok = true;
    for (;;) {
      int run = 0, best = 0, end = 0;
      bestPow = 0;
      for (int i = 0; i < w; i++) {
        run += e[a + i];
        if (run < 0) break;
        if (run > best) {
          best = run;
          int pw = powerOf(run, i + 1);
          if (pw >= bestPow) bestPow = pw, end = i + 1;
        }
      }
      w = end;
      if (w < L) {
        ok = false;
        break;
      }
      run = best = bestPow = 0;
      for (int j = w - 1; j >= 0; j--) {
        run += e[a + j];
        if (run > best) {
          best = run;
          int pw = powerOf(run, w - j);
          if (pw >= bestPow) bestPow = pw, start = j, segSum = run;
        }
      }
      a += start;
      w -= start;
      if (!accurate || start == 0) break;
      if (w < L) {
        ok = false;
        break;
      }
    }
    st.pop_back();
    if (ok && w >= L && bestPow >= P) res.push_back({a, w, segSum, bestPow});
    if (a - t >= L) st.push_back({t, a - t});
    if (t + m - (a + w) >= L) st.push_back({a + w, t + m - (a + w)});
  }
  return res;
}

struct Rec {
  int qBeg, bBeg, len, sum, pow;
  char frame;
  std::vector<int> wei;
};

// One comparison from the definitions: parts, brute-force diagonal counts, top diagonals by
// the insertion rule, scores, segments and records.
std::vector<Rec> twinCompare(const SearchHomolParams &p, Weight_matrix &wm, const double *qf,
                             const BankSeq &query, const BankSeq &bank, const AA_groups &ag) {
  std::vector<Rec> out;
  double *f = wm.makeFreq(bank.len(), bank.seq());
  wm.recast(qf, f);
  delete[] f;
  const int homFac = wm.rescale(p.minHomolRatio);
  const int Lq = query.len(), Lb = bank.len(), P = p.partSize, nc = ag.num_colors;
  std::vector<int> left, length;
  for (int pos = 0, rest = Lq; rest > 0;) {
    left.push_back(pos);
    if (rest < 2 * P) {
      length.push_back(rest);
      rest = 0;
    } else {
      length.push_back(std::min(P + p.thLength, rest));
      pos += P;
      rest -= P;
    }
  }
  std::vector<int> bc(Lb);
  for (int i = 0; i < Lb; i++) bc[i] = std::min((int)ag.ord((unsigned char)bank.seq()[i]), nc);
  const int Pthr = (int)((long double)p.thPower * 1000 * 4096);
  const int from = p.From > 1 ? p.From - 1 : 0;
  for (size_t part = 0; part < left.size(); part++) {
    const int l = length[part];
    std::vector<int> qc(l);
    for (int i = 0; i < l; i++) qc[i] = ag.ord((unsigned char)query.seq()[left[part] + i]);
    const int numAll = l - 1 + Lb;
    std::vector<int> hist(std::max(numAll, 1), 0);
    int window;
    if (p.coiNum == 0 || nc > 5) {
      window = p.winWidth >= l ? l - 1 : p.winWidth;
      for (int g = 1; g <= window; g++)
        for (int q = 0; q < l - g; q++)
          for (int b = 0; b < Lb - g; b++)
            if (qc[q] == bc[b] && qc[q + g] == bc[b + g]) hist[l - 1 + b - q]++;
    } else {
      const int N = p.winWidth + 1, Mn = std::min(std::max(p.coiNum, 1), N);
      window = N;
      for (int i = 0; i + N <= l; i++)
        for (int j = 0; j + N <= Lb; j++) {
          if ((qc[i] & 3) != (bc[j] & 3)) continue;
          int c = 0;
          for (int k = 0; k < N; k++) c += (qc[i + k] & 3) == (bc[j + k] & 3);
          if (c >= Mn) hist[l - 1 + j - i] += c - 1;
        }
    }
    const int thr = (int)((long double)p.coincRatio * window * l);
    const int S = std::max(p.maxShifts, 1);
    std::vector<int> ks, kc;
    for (int i = 0; i < numAll; i++) {
      const int c = hist[i];
      if (c < thr || ((int)ks.size() == S && c <= kc.back())) continue;
      size_t at = 0;
      while (at < kc.size() && kc[at] >= c) at++;
      ks.insert(ks.begin() + (long)at, i - (l - 1));
      kc.insert(kc.begin() + (long)at, c);
      if ((int)ks.size() > S) ks.pop_back(), kc.pop_back();
    }
    for (int s : ks) {
      int a = l;
      const int over = std::max(s + a - Lb, 0);
      if (s < 0) a += s;
      const int len = a - over, ishCurr = left[part] + std::max(-s, 0), ishBank = std::max(s, 0);
      std::vector<int> weight(std::max(len, 1));
      for (int k = 0; k < len; k++)
        weight[k] = wm.weight(query.seq()[ishCurr + k], bank.seq()[ishBank + k]) - homFac;
      double mult = 1.0, add = 0.0;
      for (Seg h : twinSegments(weight.data(), len, p.thLength, Pthr, p.accurateDotHelix)) {
        if ((int)out.size() == 10000) break;
        h.sum += homFac * h.length;
        h.power = powerOf(h.sum, h.length);
        if (p.helixFreqRecalc) {
          int s2 = wm.recalcSum(h.length, query.seq() + ishCurr + h.left,
                                bank.seq() + ishBank + h.left, h.sum, 0, mult, add);
          int p2 = powerOf(s2, h.length);
          if ((long double)p2 < (long double)p.thPower * 1000 * 4096) continue;
          h.sum = s2;
          h.power = p2;
        }
        Rec r{ishCurr + h.left + from, ishBank + h.left, h.length, h.sum, h.power,
              query.frame != '+' ? query.frame : bank.frame, std::vector<int>(h.length + 1, 0)};
        const char qf = query.frame;
        if (qf >= 'a' && qf <= 'f') {
          // A translated frame of the cut: the motif's first codon, counted on the whole
          // query from its start (direct frames) or from its end (complementary ones, none of
          // the whole query after the cut here), names the whole query's frame and residue.
          const int q = ishCurr + h.left;
          const int nt = qf <= 'c' ? from + (qf - 'a') + 3 * q : (qf - 'd') + 3 * q;
          r.qBeg = nt / 3;
          r.frame = (char)((qf <= 'c' ? 'a' : 'd') + nt % 3);
        }
        for (int k = 1; k <= h.length; k++)
          r.wei[k] = (int)((long double)r.wei[k - 1] +
                           (long double)mult * ((long double)add + weight[h.left + k - 1] + homFac));
        out.push_back(r);
      }
    }
  }
  return out;
}

std::string randSeq(Rng &rnd, int n, const char *alpha) {
  std::string s;
  const int na = (int)strlen(alpha);
  for (int i = 0; i < n; i++) s += alpha[rnd(na)];
  return s;
}

void compareEngines(bool nucleic, unsigned seed, int rounds) {
  Rng rnd(seed);
  const char *alpha = nucleic ? "ACGTACGTacgN" : "ACDEFGHIKLMNPQRSTVWYACDEFGHIKLMNPQRSTVWYx*";
  AA_groups groups;
  if (nucleic) {
    groups.makeDNA();
  } else {
    FILE *f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    fputs("AG\nST\nC\nDE\nNQ\nKRH\nILMV\nFWY\nP\n", f);
    rewind(f);
    ASSERT_EQ(groups.fread(f), 0);
    fclose(f);
  }
  int motifs = 0;
  for (int r = 0; r < rounds; r++) {
    SearchHomolParams p;
    p.ag = groups;
    p.useLookingTable = 1;
    const double powers[] = {1.5, 2.0, 2.7, 3.2, 4.1};
    p.thPower = powers[rnd(5)];
    p.thLength = 1 + rnd(rnd(4) ? 12 : 60);
    p.partSize = 1 + rnd(rnd(4) ? 150 : 30);
    p.winWidth = 2 + rnd(6);
    p.coiNum = std::min(rnd(8), p.winWidth);
    p.maxShifts = rnd(5) ? rnd(25) : 2000000000;
    p.coincRatio = rnd(4) * 0.02;
    p.accurateDotHelix = rnd(2);
    p.helixFreqRecalc = rnd(2);
    p.minHomolRatio = rnd(3) ? 0.0 : 0.1 * rnd(5);
    p.From = rnd(20);
    const std::string qs = randSeq(rnd, 10 + rnd(350), alpha);
    BankSeq query;
    query.set(qs.c_str(), (int)qs.size());
    query.frame = nucleic ? '+' : "+abe"[rnd(4)];
    Weight_matrix *w = new Weight_matrix;
    if (nucleic)
      w->makeDiag();
    else
      w->makeBlos62();
    p.wm = w;
    Division_generator gen(&p.ag, &query, p.winWidth, p.coiNum, p.partSize, 1, p.thLength, 0);
    SearchHomol e(p);
    e.makeDivision(gen);
    e.makeFreq();
    e.normMatr();
    Weight_matrix twinMatrix = *static_cast<Weight_matrix *>(e.wm);
    std::unique_ptr<MotifWei[]> mot(new MotifWei[10000]);
    for (int b = 0; b < 4; b++) {
      std::string bs;
      if (rnd(3) == 0) {
        bs = randSeq(rnd, rnd(400), alpha);
      } else {  // a mutated stretch of the query between random flanks
        int a = rnd((int)qs.size()), len = rnd((int)qs.size() - a + 1), pct = rnd(40);
        std::string core = qs.substr((size_t)a, (size_t)len);
        for (char &c : core)
          if (rnd(100) < pct) c = alpha[rnd((int)strlen(alpha))];
        bs = randSeq(rnd, rnd(50), alpha) + core + randSeq(rnd, rnd(50), alpha);
      }
      BankSeq bank;
      bank.set(bs.c_str(), (int)bs.size());
      bank.frame = nucleic ? "+-"[rnd(2)] : "+de"[rnd(3)];
      const int n = e.compTwoSeq(bank, mot.get());
      const std::vector<Rec> want = twinCompare(p, twinMatrix, e.queryFreq, query, bank, p.ag);
      ASSERT_EQ(n, (int)want.size()) << "round " << r << " bank " << b;
      for (int i = 0; i < n; i++) {
        const MotifWei &m = mot[i];
        const Rec &x = want[(size_t)i];
        ASSERT_TRUE(m.qBeg == x.qBeg && m.bBeg == x.bBeg && m.len == x.len && m.sum == x.sum &&
                    m.pow == x.pow && m.frame == x.frame)
            << "round " << r << " bank " << b << " motif " << i;
        ASSERT_NE(m.wei, nullptr);
        for (int k = 0; k <= m.len; k++) ASSERT_EQ(m.wei[k], x.wei[(size_t)k]) << "motif " << i;
        delete[] mot[i].wei;
        mot[i].wei = nullptr;
      }
      motifs += n;
    }
  }
  EXPECT_GT(motifs, 100);  // the inputs do reach the segment finder
}

TEST(AuditTwins, ProteinComparisonFollowsTheWrittenSteps) { compareEngines(false, 11, 150); }

TEST(AuditTwins, NucleicComparisonFollowsTheWrittenSteps) { compareEngines(true, 23, 150); }

}  // namespace
