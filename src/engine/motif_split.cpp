// Motif splitting across translation frames, and the two merging variants no driver calls.
#include "motif_split.h"

#include <algorithm>
#include <new>
#include <vector>

#include "errormsg.h"

namespace {

inline int diagonal(const Motif &m) { return m.bBeg - m.qBeg; }

// b lies inside a on the query and their diagonals are at most 3 apart.
inline bool insideNear(const Motif &a, const Motif &b) {
  if (b.qBeg < a.qBeg) return false;
  if ((long long)b.qBeg + b.len > (long long)a.qBeg + a.len) return false;
  long long d = (long long)diagonal(a) - diagonal(b);
  return d >= -3 && d <= 3;
}

inline void copyMotif(Motif &to, const Motif &m) {
  to.update(m.qBeg, m.bBeg, m.len, m.sum, m.pow, m.frame);
}

// The piece of a over [s, s + n) with its sum from the running sums.
inline void emitPiece(int &to, const MotifWei &a, int s, int n, Motif *newMot) {
  int sum = a.wei[s + n] - a.wei[s];
  newMot[to++].update(a.qBeg + s, a.bBeg + s, n, sum, powerOf(sum, n), a.frame);
}

// Pro-rata sum of n letters of m; below 1 counts as 0.
inline int proRata(const Motif &m, int n) {
  if (m.len <= 0) return 0;
  int v = scaleToInt((long double)m.sum / m.len, n);
  return v < 1 ? 0 : v;
}

}  // namespace

void split(int &to, MotifWei &mot1, MotifWei &mot2, Motif *newMot) {
  const int minEnd = 5;  // an end piece shorter than this stays with the middle
  int F = mot2.qBeg - mot1.qBeg;
  int E = (mot1.qBeg + mot1.len) - (mot2.qBeg + mot2.len);
  if (!mot1.wei) {  // no running sums to cut with: keep the motif whole
    copyMotif(newMot[to++], mot1);
    return;
  }
  if (F >= minEnd) {
    emitPiece(to, mot1, 0, F, newMot);
    if (E >= minEnd) {
      emitPiece(to, mot1, F, mot2.len, newMot);
      emitPiece(to, mot1, F + mot2.len, E, newMot);
    } else {
      emitPiece(to, mot1, F, mot2.len + E, newMot);
    }
  } else if (E < minEnd) {
    copyMotif(newMot[to++], mot1);
  } else {
    emitPiece(to, mot1, 0, F + mot2.len, newMot);
    emitPiece(to, mot1, F + mot2.len, E, newMot);
  }
}

void motSplit2(int &nMot, MotifWei *mot, Motif *&newMot, int each) {
  int to = 0;
  if (nMot > 0) {
    char f0 = mot[0].frame;
    bool plain = f0 == '+' || f0 == '-' || each != 0;
    for (int a = 0; a < nMot; a++) {
      MotifWei &A = mot[a];
      int found = -1;
      if (!plain) {
        for (int b = 0; b < nMot; b++) {
          if (mot[b].frame != A.frame && insideNear(A, mot[b])) {
            found = b;
            break;
          }
        }
      }
      if (found >= 0)
        split(to, A, mot[found], newMot);
      else
        copyMotif(newMot[to++], A);
    }
  }
  for (int i = 0; i < nMot; i++) {
    delete[] mot[i].wei;
    mot[i].wei = nullptr;
  }
  nMot = to;
}

int cmpMot(const void *a, const void *b) {
  const Motif &x = *static_cast<const Motif *>(a);
  const Motif &y = *static_cast<const Motif *>(b);
  long long dx = (long long)x.qBeg - x.bBeg, dy = (long long)y.qBeg - y.bBeg;
  if (dx != dy) return dx < dy ? -1 : 1;
  if (x.qBeg != y.qBeg) return x.qBeg < y.qBeg ? -1 : 1;
  if (x.len != y.len) return x.len < y.len ? -1 : 1;
  return 0;
}

int cmpPoi(const void *a, const void *b) {
  int x = *static_cast<const int *>(a), y = *static_cast<const int *>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int inside(const Motif &mot1, const Motif &mot2) { return insideNear(mot1, mot2) ? 1 : 0; }

Motif *motUpd(int &nMot, Motif *mot) {
  int n = nMot < 0 ? 0 : nMot;
  size_t room = std::max<size_t>(10000, (size_t)n * 2);
  Motif *out = allocArray<Motif>(room);
  int cnt = 0;
  std::stable_sort(mot, mot + n, [](const Motif &x, const Motif &y) { return cmpMot(&x, &y) < 0; });
  std::vector<int> pos;
  int i = 0;
  while (i < n) {
    int k = i + 1;
    while (k < n && mot[k].qBeg - mot[k].bBeg == mot[i].qBeg - mot[i].bBeg) k++;
    if (k - i == 1) {
      copyMotif(out[cnt++], mot[i]);
      i = k;
      continue;
    }
    pos.clear();
    for (int m = i; m < k; m++) {
      pos.push_back(mot[m].qBeg);
      pos.push_back(mot[m].qBeg + mot[m].len);
    }
    std::sort(pos.begin(), pos.end());
    pos.erase(std::unique(pos.begin(), pos.end()), pos.end());
    for (size_t s = 0; s + 1 < pos.size(); s++) {
      int p = pos[s], len = pos[s + 1] - p;
      int best = -1, bestSum = 0;
      for (int m = i; m < k; m++) {
        if (mot[m].qBeg > p || mot[m].qBeg + mot[m].len <= p) continue;
        int ps = proRata(mot[m], len);
        if (best < 0 || ps > bestSum) {
          best = m;
          bestSum = ps;
        }
      }
      if (best < 0 || bestSum <= 0) continue;
      Motif *last = cnt > 0 ? &out[cnt - 1] : nullptr;
      if (last && last->frame == mot[best].frame && last->qBeg + last->len == p) {
        last->add(len, bestSum);
      } else {
        out[cnt++].update(p, p + diagonal(mot[best]), len, bestSum, powerOf(bestSum, len),
                          mot[best].frame);
      }
    }
    i = k;
  }
  delete[] mot;
  nMot = cnt;
  return out;
}

int motSplit(int &nMot, MotifWei *mot, Motif *&newMot) {
  const int step = 10000;
  int n = nMot < 0 ? 0 : nMot;
  std::vector<int> pos;
  pos.reserve((size_t)n * 2);
  for (int m = 0; m < n; m++) {
    pos.push_back(mot[m].qBeg);
    pos.push_back(mot[m].qBeg + mot[m].len);
  }
  std::sort(pos.begin(), pos.end());
  pos.erase(std::unique(pos.begin(), pos.end()), pos.end());
  int cnt = 0;
  size_t room = step;
  for (size_t s = 0; s + 1 < pos.size(); s++) {
    if (cnt == step) break;
    int p = pos[s], len = pos[s + 1] - p;
    int stretchStart = cnt;
    for (int m = 0; m < n; m++) {
      const MotifWei &M = mot[m];
      if (M.qBeg > p || M.qBeg + M.len <= p) continue;
      int off = p - M.qBeg;
      int sum = M.wei ? M.wei[off + len] - M.wei[off] : proRata(M, len);
      Motif piece(p, M.bBeg + off, len, sum, powerOf(sum, len), M.frame);
      bool seen = false;
      for (int e = stretchStart; e < cnt && !seen; e++) seen = newMot[e].equal(&piece) != 0;
      if (seen) continue;
      newMot[cnt++] = piece;
      if (cnt % step == 0 && (size_t)cnt == room) {
        Motif *bigger = allocArray<Motif>(room + step);
        std::copy(newMot, newMot + cnt, bigger);
        delete[] newMot;
        newMot = bigger;
        room += step;
      }
    }
  }
  for (int m = 0; m < n; m++) {
    delete[] mot[m].wei;
    mot[m].wei = nullptr;
  }
  nMot = cnt;
  return cnt;
}
