// Motif clustering: the greedy merging of one bank sequence's motifs into supermotifs.
//
// Contents, in order:
//   merge walk   the chain two clusters make when joined (file-local)
//   P_Cluster    one chain, its extent, sum and power
//   merger       the power of a merger and the merger itself
//   generator    the table of merger powers and the emission of supermotifs
//   driver       Find_clusters
#include "cluster.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "errormsg.h"

// ---------------------------------------------------------------- merge walk

namespace {

// Positions of an exhausted chain: beyond any real position (positions stay below 10^9).
constexpr int kSDone = 1000000001;
constexpr int kWDoneBeg = 1000000000;
constexpr int kWDoneEnd = 1000000001;

inline int maxOf3(int a, int b, int c) {
  int m = a > b ? a : b;
  return m > c ? m : c;
}

void freeChain(Motif *m) {
  while (m) {
    Motif *n = m->next;
    delete m;
    m = n;
  }
}

// The walk shared by the estimate and the merger: S's motifs are kept whole, W's motifs
// contribute the pieces that fit between placed elements. With `tail` null only the estimate
// is formed; otherwise the chain of placed elements is built after *tail.
int mergeWalk(const P_Cluster *S, const P_Cluster *W, int minLen, int gapPenal, Motif **tail) {
  if (minLen < 1) minLen = 1;
  long long sum = 0, totShift = 0, posShift = 0;
  int spanBeg = S->first ? S->first->qBeg : 0;
  int spanEnd = 0;
  int pq = 0, pb = 0;

  const Motif *sm = S->first;
  int aq = sm ? sm->qBeg : kSDone;
  int ab = sm ? sm->bBeg : kSDone;

  const Motif *wm = W->first;
  int wq, wb, wqe, wbe;
  auto loadW = [&]() {
    if (wm) {
      wq = wm->qBeg;
      wb = wm->bBeg;
      wqe = wq + wm->len;
      wbe = wb + wm->len;
    } else {
      wq = wb = kWDoneBeg;
      wqe = wbe = kWDoneEnd;
    }
  };
  loadW();

  auto charge = [&](int q, int b) {
    if (pq == 0) return;  // nothing placed yet
    long long d = ((long long)b - pb) - ((long long)q - pq);
    totShift += d < 0 ? -d : d;
    if (d > 0) posShift += d;
  };

  while (sm || wm) {
    if (wm && (wqe <= pq || wbe <= pb)) {  // behind the last placed end
      wm = wm->next;
      loadW();
      continue;
    }
    if (wm && wq < aq && wb < ab) {
      int cut = maxOf3(pq - wq, pb - wb, 0);
      int cutE = maxOf3(wqe - aq, wbe - ab, 0);
      int ps = wq + cut, pbs = wb + cut;
      int plen = wqe - cutE - ps;
      if (plen >= minLen) {
        int psum = 0;
        if (wm->len > 0) psum = scaleToInt((long double)wm->sum / wm->len, plen);
        charge(ps, pbs);
        sum += psum;
        if (ps < spanBeg) spanBeg = ps;
        spanEnd = ps + plen;
        if (tail) {
          Motif *n = allocObject<Motif>(ps, pbs, plen, psum, powerOf(psum, plen), wm->frame);
          *tail = n;
          tail = &n->next;
        }
      }
      // A dropped piece moves the reference all the same.
      pq = ps + plen;
      pb = pbs + plen;
      wq = pq;
      wb = pb;
      continue;
    }
    if (!sm) {  // cannot happen with positions below 10^9
      wm = wm->next;
      loadW();
      continue;
    }
    charge(sm->qBeg, sm->bBeg);
    sum += sm->sum;
    int e = sm->qBeg + sm->len;
    if (e > spanEnd) spanEnd = e;
    pq = e;
    pb = sm->bBeg + sm->len;
    if (tail) {
      Motif *n = allocObject<Motif>(sm->qBeg, sm->bBeg, sm->len, sm->sum, sm->pow, sm->frame);
      *tail = n;
      tail = &n->next;
    }
    sm = sm->next;
    aq = sm ? sm->qBeg : kSDone;
    ab = sm ? sm->bBeg : kSDone;
  }
  long long net = sum - (long long)gapPenal * totShift;
  long long span = (long long)spanEnd - spanBeg + posShift;
  return powerProduct(net, lenFactor(clampInt32(span)));
}

}  // namespace

// ---------------------------------------------------------------- P_Cluster

P_Cluster::~P_Cluster() { freeChain(first); }

void P_Cluster::update(int gap_penal) {
  num_homologies = 0;
  sum = 0;
  power = 0;
  xbeg = ybeg = xend = yend = 0;
  if (first) {
    xbeg = first->qBeg;
    ybeg = first->bBeg;
    xend = first->qBeg + first->len;
    yend = first->bBeg + first->len;
  }
  long long total = 0, totShift = 0, posShift = 0;
  for (Motif *m = first; m; m = m->next) {
    total += m->sum;
    xend = m->qBeg + m->len;
    yend = m->bBeg + m->len;
    if (m->next) {
      long long d = ((long long)m->next->bBeg - m->bBeg) - ((long long)m->next->qBeg - m->qBeg);
      totShift += d < 0 ? -d : d;
      if (d > 0) posShift += d;
    }
    num_homologies++;
  }
  sum = clampInt32(total - (long long)gap_penal * totShift);
  length = clampInt32((long long)xend - xbeg + posShift);
  if (sum >= 0) power = powerOf(sum, length);
}

void P_Cluster::print() {
  printf("\n Cluster %d motifs xbeg %d ybeg %d xend %d yend %d length %d sum %d power %6.2f",
         num_homologies, xbeg, ybeg, xend, yend, length, sum, power / 4096000.0);
  int k = 0;
  for (Motif *m = first; m; m = m->next, k++)
    printf("\n Motif %3d qBeg %d bBeg %d len %d sum %d pow %6.2f frame %c", k, m->qBeg, m->bBeg,
           m->len, m->sum, m->pow / 4096000.0, m->frame);
}

// ---------------------------------------------------------------- merger

int calculate_power(P_Cluster *c1, P_Cluster *c2, int lenThres, int gapPenal) {
  const P_Cluster *S = c1, *W = c2;
  if (c1->power < c2->power) {
    S = c2;
    W = c1;
  }
  int est = mergeWalk(S, W, lenThres, gapPenal, nullptr);
  return est > S->power ? est : 0;
}

void concatenate_clusters(P_Cluster *&c1, P_Cluster *&c2, int lenThres, int gapPenal) {
  if (c1->power < c2->power) {
    P_Cluster *t = c1;
    c1 = c2;
    c2 = t;
  }
  P_Cluster *merged = allocObject<P_Cluster>();
  mergeWalk(c1, c2, lenThres, gapPenal, &merged->first);
  merged->update(gapPenal);
  delete c1;
  c1 = merged;
  // The unplaced remainder of W is never scored or emitted: its slot dies at once.
  delete c2;
  c2 = allocObject<P_Cluster>();
}

// ---------------------------------------------------------------- generator

Cluster_generator::Cluster_generator(int numMot, const Motif *motifs, int lenThres,
                                     int gapPenal) {
  if (numMot < 0) numMot = 0;
  num_entries = num_active_clusters = numMot;
  size_t n = (size_t)numMot;
  power_value = allocArray<int>(n * (n + 1) / 2 + 1);
  cluster = allocArray<P_Cluster *>(n + 1);
  status = allocArray<unsigned char>(n + 1);
  rowBest = allocArray<int>(n + 1);
  rowArg = allocArray<int>(n + 1);

  for (int i = numMot - 1; i >= 0; i--) {
    const Motif &m = motifs[i];
    P_Cluster *c = allocObject<P_Cluster>();
    c->num_homologies = 1;
    c->first = allocObject<Motif>(m.qBeg, m.bBeg, m.len, m.sum, m.pow, m.frame);
    c->xbeg = m.qBeg;
    c->ybeg = m.bBeg;
    c->xend = m.qBeg + m.len;
    c->yend = m.bBeg + m.len;
    c->length = m.len;
    c->sum = m.sum;
    c->power = m.pow;
    cluster[i] = c;
    status[i] = 0;
  }

  for (int i = 1; i < numMot; i++)
    for (int j = 0; j < i; j++)
      assign_power(i, j, calculate_power(cluster[i], cluster[j], lenThres, gapPenal));
  for (int i = 0; i < numMot; i++) refreshRow(i);

  int imax, jmax;
  while (get_max_power(imax, jmax) > 0) {
    concatenate_clusters(cluster[imax], cluster[jmax], lenThres, gapPenal);
    status[jmax] = 1;
    num_active_clusters--;
    for (int k = 0; k < numMot; k++) {
      if (k == imax || status[k]) continue;
      assign_power(imax, k, calculate_power(cluster[imax], cluster[k], lenThres, gapPenal));
    }
    refreshRow(imax);
    for (int k = 0; k < numMot; k++) {
      if (k == imax || status[k]) continue;
      if (rowArg[k] == jmax || (k > imax && rowArg[k] == imax)) {
        refreshRow(k);
      } else if (k > imax) {
        int v = get_power(k, imax);
        if (v > rowBest[k] || (v == rowBest[k] && v > 0 && imax < rowArg[k])) {
          rowBest[k] = v;
          rowArg[k] = imax;
        }
      }
    }
  }
}

Cluster_generator::~Cluster_generator() {
  for (int i = 0; i < num_entries; i++) delete cluster[i];
  delete[] cluster;
  delete[] power_value;
  delete[] status;
  delete[] rowBest;
  delete[] rowArg;
}

void Cluster_generator::refreshRow(int i) {
  rowBest[i] = 0;
  rowArg[i] = -1;
  for (int j = 0; j < i; j++) {
    if (status[j]) continue;
    int v = get_power(i, j);
    if (v > rowBest[i]) {
      rowBest[i] = v;
      rowArg[i] = j;
    }
  }
}

int Cluster_generator::get_max_power(int &imax, int &jmax) const {
  int best = 0, bi = -1, bj = -1;
  for (int i = 1; i < num_entries; i++) {
    if (status[i]) continue;
    if (rowBest[i] > best) {
      best = rowBest[i];
      bi = i;
      bj = rowArg[i];
    }
  }
  if (bi < 0) {
    imax = jmax = 0;
    return 0;
  }
  // The stronger cluster survives; on equal powers the lower slot does.
  if (cluster[bi]->power > cluster[bj]->power) {
    imax = bi;
    jmax = bj;
  } else {
    imax = bj;
    jmax = bi;
  }
  return best;
}

Supermotif *Cluster_generator::emit_supermotif(int powThres) {
  while (emitPos < num_entries) {
    int i = emitPos++;
    if (status[i]) continue;
    status[i] = 1;
    num_active_clusters--;
    P_Cluster *c = cluster[i];
    if (c->power < powThres) continue;
    Supermotif *s = allocObject<Supermotif>();
    s->power = c->power;
    s->numMot = c->num_homologies;
    s->first = c->first;
    s->qAdr = s->bAdr = nullptr;
    c->first = nullptr;
    c->num_homologies = 0;
    s->glueMot();
    return s;
  }
  return nullptr;
}

void Cluster_generator::printClust(int num) {
  P_Cluster *c = cluster[num];
  printf("\n Cluster number %3d %s. %d motifs xbeg %d ybeg %d xend %d yend %d length %d sum %d "
         "power %6.2f",
         num, status[num] ? "DEAD" : "    ", c->num_homologies, c->xbeg, c->ybeg, c->xend,
         c->yend, c->length, c->sum, c->power / 4096000.0);
  int k = 0;
  for (Motif *m = c->first; m; m = m->next, k++)
    printf("\n Motif %3d qBeg %d bBeg %d len %d sum %d pow %6.2f frame %c", k, m->qBeg, m->bBeg,
           m->len, m->sum, m->pow / 4096000.0, m->frame);
}

void Cluster_generator::printAll() {
  printf("\n\n %d clusters.", num_entries);
  for (int i = 0; i < num_entries; i++) printClust(i);
  for (int i = 0; i < num_entries; i++) {
    printf("\n");
    for (int j = 0; j <= i; j++)
      printf(" %6.2f", (j == i ? cluster[i]->power : get_power(i, j)) / 4096000.0);
  }
}

// ---------------------------------------------------------------- driver

int Find_clusters(int numMot, const Motif *motifs, Supermotif **&super, int lenThres,
                  int powThres, int gapPenal) {
  super = nullptr;
  if (numMot <= 0) return 0;
  Cluster_generator gen(numMot, motifs, lenThres, gapPenal);
  super = allocArray<Supermotif *>((size_t)numMot + 1);
  int n = 0;
  while (Supermotif *s = gen.emit_supermotif(powThres)) super[n++] = s;
  super[n] = nullptr;
  return n;
}
