// Reduce screening: no search; two supermotifs of the input that share query positions imply
// facing regions of their bank sequences, which are scored position by position, cut into
// segments by DotHelix and clustered into cross motifs.
#include "tervex.h"

#include <algorithm>
#include <cstring>

#include "cluster.h"
#include "dothelix.h"
#include "errormsg.h"
#include "inv_sqrt.h"
#include "params.h"
#include "seqbase.h"

namespace {

constexpr long long kWiden = 10;  // letters added on each side of a region

long long min3(long long a, long long b, long long c) { return std::min(a, std::min(b, c)); }

}  // namespace

// ---------------------------------------------------------------- regions

void mergeShifts(std::vector<Shift> &shifts) {
  const size_t n = shifts.size();
  for (size_t i = 0; i < n; i++) {
    Shift &a = shifts[i];
    if (!a.len) continue;
    for (size_t j = i + 1; j < n; j++) {
      Shift &b = shifts[j];
      if (!b.len || (long long)a.x - a.y != (long long)b.x - b.y) continue;
      if (a.x < b.x) {
        a.len = b.x - a.x + b.len;
      } else {
        a.len = a.len + a.x - b.x;
        a.x = b.x;
        a.y = b.y;
      }
      b.len = 0;
    }
  }
  shifts.erase(std::remove_if(shifts.begin(), shifts.end(), [](const Shift &s) { return !s.len; }),
               shifts.end());
}

Shifts::Shifts(const WorkSeq *_seq1, const Supermotif *_sup1, const Supermotif *_sup2,
               const WorkSeq &_seq2, Weight_matrix &wm, const double *queryFreq)
    : sup1(_sup1), sup2(_sup2), seq1(_seq1), seq2(new WorkSeq(_seq2)) {
  const Motif *f1 = sup1->first, *f2 = sup2->first;
  frame = (f1 && f2 && f1->frame == f2->frame) ? '+' : '-';
  if (frame == '-') seq2->reverse();

  double freq2[22];
  wm.makeFreq(seq2->len(), seq2->seq(), freq2);
  wm.recast(queryFreq, freq2);

  const long long L1 = seq1->len(), L2 = seq2->len();
  for (const Motif *A = sup1->first; A; A = A->next) {
    for (const Motif *B = sup2->first; B; B = B->next) {
      const long long D = std::max(A->qBeg, B->qBeg);
      const long long G = std::min((long long)A->qBeg + A->len, (long long)B->qBeg + B->len);
      if (D > G) continue;
      long long x = (long long)A->bBeg - A->qBeg + D;
      long long y = (long long)B->bBeg - B->qBeg + D;
      long long len = G - D;
      if (A->frame == '-') {
        x = L1 - x - len;
        y = L2 - y - len;
      }
      const long long e1 = min3(x, y, kWiden);
      const long long e2 = min3(L1 - x - len, L2 - y - len, kWiden);
      x -= e1;
      y -= e1;
      len += e1 + e2;
      // A motif file that does not match its banks can point outside them: keep the part of
      // the diagonal that lies inside both sequences.
      if (x < 0) {
        len += x;
        y -= x;
        x = 0;
      }
      if (y < 0) {
        len += y;
        x -= y;
        y = 0;
      }
      len = std::min(len, std::min(L1 - x, L2 - y));
      if (len > 0) shifts.push_back({(int)x, (int)y, (int)len});
    }
  }

  mergeShifts(shifts);
  num = (int)shifts.size();
  cur = 0;
}

Shifts::~Shifts() { delete seq2; }

int Shifts::next(int &shift1, int &shift2, WorkSeq &s1, WorkSeq &s2) {
  if (cur >= num) return 0;
  const Shift &r = shifts[cur++];
  shift1 = r.x;
  shift2 = r.y;
  s1.cut(*seq1, r.x, r.x + r.len);
  s2.cut(*seq2, r.y, r.y + r.len);
  return 1;
}

void addMotifs(std::vector<Motif> &motifs, int numHomol, const Homology_info *helix,
               int shiftCur, int shiftBank, char frame) {
  for (int k = 0; k < numHomol; k++) {
    const Homology_info &h = helix[k];
    motifs.emplace_back(shiftCur + h.left, shiftBank + h.left, h.length, h.sum, h.power, frame);
  }
}

int theSameBankSeq(const Supermotif *sup_1, const Supermotif *sup_2) {
  if (!sup_1->bAdr || !sup_2->bAdr) return 0;
  return sup_1->bNum == sup_2->bNum && !strcmp(sup_1->bAdr, sup_2->bAdr);
}

void addToBeg(Supermotif *sup, int qShift, int bShift) {
  for (Motif *m = sup->first; m; m = m->next) {
    m->qBeg += qShift;
    m->bBeg += bShift;
  }
}

// ---------------------------------------------------------------- the method

int red_tervex(SearchHomolParams &par, const char *inpFileName, const char *outFileName,
               EntryLog &log) {
  // The blocks are read once; the pairs are walked in file order.
  std::vector<std::unique_ptr<Supermotif>> blocks;
  if (FILE *f = fopen(inpFileName, "rb")) {
    for (;;) {
      std::unique_ptr<Supermotif> s(new Supermotif);
      if (!s->load(f)) break;
      blocks.push_back(std::move(s));
    }
    fclose(f);
  }
  if (blocks.empty()) {
    printf("\n tervex: REDUCE variant can't load supermotif from file %s\n", inpFileName);
    return kTervexUnknownInput;
  }
  BlockOutput out;
  if (!openResult(out, outFileName)) return kTervexNoResultFile;

  SeqCache cache(log);
  Weight_matrix wm;
  bool ready = false;
  int homFac = 0;
  const int powThres = toPowerScale(par.thPower);
  const int supThres = toPowerScale(par.thSubalignPower);
  const int gapPenal = scaleToInt(par.gapPenalty, 1000.0L);
  std::vector<Motif> motifs;
  std::vector<int> weight;
  std::vector<Supermotif *> found;
  WorkSeq s1, s2;

  for (size_t w = 0; w < blocks.size(); w++) {
    const Supermotif *sup1 = blocks[w].get();
    // An unreadable sequence would leave the previous one's letters in place: skip it.
    const WorkSeq *seq1 = cache.get(sup1->bAdr, sup1->bNum);
    if (!seq1) continue;
    double queryFreq[22];
    wm.makeFreq(seq1->len(), seq1->seq(), queryFreq);
    if (!ready) {
      // The matrix is the one this sequence would be searched with, normalised once.
      par.readMatr(*seq1);
      wm = *static_cast<const Weight_matrix *>(par.wm);
      const double *T = getMolType(seq1->seq(), seq1->len()) ? nu_frequences : aa_frequences;
      wm.normalize(T, T);
      homFac = par.wm->rescale(par.minHomolRatio);
      ready = true;
    }
    weight.resize((size_t)std::max(seq1->len(), 1));

    for (size_t k = 0; k < blocks.size(); k++) {
      const int s = (int)k + 1;
      const Supermotif *sup2 = blocks[k].get();
      if (k == w || theSameBankSeq(sup1, sup2)) continue;
      const WorkSeq *seq2 = cache.get(sup2->bAdr, sup2->bNum);
      if (!seq2) continue;
      Shifts sh(seq1, sup1, sup2, *seq2, wm, queryFreq);
      if (s % 100 == 0) printf("\n sup1 %d   sup2 %d  shifts  %d", (int)w, s, sh.getNum());

      motifs.clear();
      int x, y;
      while (sh.next(x, y, s1, s2)) {
        wm.getWeight(s1, s2, weight.data(), homFac, 0);
        int count = 0;
        Homology_info *helix = DotHelix(weight.data(), s1.len(), par.thLength, powThres, count,
                                        par.accurateDotHelix);
        addMotifs(motifs, count, helix, x, y, sh.getFrame());
        delete[] helix;
      }
      Supermotif **sups = nullptr;
      const int c =
          Find_clusters((int)motifs.size(), motifs.data(), sups, par.thLength, supThres, gapPenal);
      for (int i = 0; i < c; i++) {
        delete[] sups[i]->bAdr;
        sups[i]->bAdr = _strdup_(sup2->bAdr);
        sups[i]->bNum = sup2->bNum;
        found.push_back(sups[i]);
      }
      delete[] sups;
      appendSupers(out, found, sup1->bAdr, sup1->bNum);
    }
  }
  out.close();
  return 0;
}
