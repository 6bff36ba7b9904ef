// The counting pass over the motif file.
#include "homolog_counts.h"

#include <algorithm>
#include <cstring>

#include "bank_file.h"
#include "errormsg.h"
#include "feat_tab.h"
#include "hist_xx.h"
#include "mesh.h"
#include "motif.h"
#include "regions.h"

namespace {

std::string nameOf(const HistXX &h) { return h.FTname ? h.FTname : ""; }

}  // namespace

SeqInfo *EntryHeaders::get(const char *bank, int num) {
  auto key = std::make_pair(std::string(bank ? bank : ""), num);
  auto it = held_.find(key);
  if (it != held_.end()) return it->second.get();
  std::unique_ptr<SeqInfo> h(allocObject<SeqInfo>());
  if (!h->readSeq(key.first.c_str(), num, log_)) h.reset();
  return held_.emplace(std::move(key), std::move(h)).first->second.get();
}

int binOf(const HistXX &h, const SupRec &r) { return h.getNumPow(r.param[h.paramType != 0]); }

Counter::Counter(Stats &st, const char *seqAdr, int seqNum, int seqLen, EntryHeaders &headers,
                 Mesh *mesh, FILE *fcol)
    : st_(st), seqAdr_(seqAdr), seqNum_(seqNum), L_(seqLen), headers_(headers), mesh_(mesh),
      fcol_(fcol) {
  for (size_t f = 0; f < st.ft.size(); f++) {
    const std::string name = nameOf(*st.ft[f]);
    ftByName_[name].push_back((int)f);
    if (name.empty()) ftAnyKey_.push_back((int)f);
  }
}

void Counter::pass(FILE *fmot, bool recount, KwCounts &kc) {
  if (!recount) {
    ft.all.resize(st_.ft.size());
    ft.ksi.resize(st_.ft.size());
  }
  Supermotif sup;
  for (int number = 0; sup.load(fmot); number++) {
    if (!recount && number % 10 == 0) printf("\n Motif number %d", number);
    countOne(sup, recount, kc);
    sup.del();
  }
}

void Counter::finishFeatures() {
  for (size_t f = 0; f < ft.all.size(); f++) {
    if (!ft.all[f]) continue;
    const int np = st_.ft[f]->numPow;
    int *a = ft.all[f].get();
    for (int p = 1; p < L_; p++)
      for (int b = 0; b < np; b++) a[(size_t)p * np + b] += a[(size_t)(p - 1) * np + b];
  }
}

// A motif counts when it lies inside the query and, when the similar entry states its
// length, inside the similar sequence: a motif file that no longer fits its banks, or a
// reversal against another length, can't reach past either.
bool Counter::fits(const Motif *m, int bankLen) const {
  if (m->qBeg < 0 || m->len < 0 || (long long)m->qBeg + m->len > L_) return false;
  return bankLen <= 0 || (m->bBeg >= 0 && (long long)m->bBeg + m->len <= bankLen);
}

void Counter::countOne(Supermotif &sup, bool recount, KwCounts &kc) {
  // 0: another query's supermotif; 2: the query stands on the bank side, where the motifs'
  // query positions belong to the other sequence.
  if (is(&sup, seqAdr_, seqNum_) != 1) return;
  if (!(info_ = headers_.get(sup.bAdr, sup.bNum))) return;
  if (isHypoth(info_, (int)st_.typePtrs.size(), st_.typePtrs.data())) return;
  const int bankLen = info_->getLen();
  if (sup.first && sup.first->frame == '-') sup.reverse(bankLen);
  if (!recount && !st_.ft.empty()) countFeatures(sup, bankLen);
  countKeywords(sup, bankLen, recount, kc);
}

void Counter::countFeatures(Supermotif &sup, int len) {
  if (len <= 0) return;  // no length, no feature mask
  // Which features each feature line names, and the line's ranges, read once per entry.
  std::vector<std::vector<char>> masks(st_.ft.size());
  std::vector<int> named;
  int beg[SeqInfo::kMaxRanges], end[SeqInfo::kMaxRanges];
  char name[1024];
  for (int j = 1; j < info_->getNum(); j++) {
    if (!info_->isFT(j, "")) continue;
    named.clear();
    bool found = false;
    if (info_->getFormat() == kFormatSwiss) {
      // A Swiss line names exactly one feature: try the name it is compared with.
      const char *text = (*info_)[j] + 2;
      text += strspn(text, " \t");
      makeName(text, name, 2);
      if (info_->isFT(j, name)) {
        found = true;
        auto it = ftByName_.find(name);
        if (it != ftByName_.end()) named = it->second;
        // A statistics without a name is compared with "": every feature line is its own.
        if (*name) named.insert(named.end(), ftAnyKey_.begin(), ftAnyKey_.end());
      }
    }
    if (!found)
      for (size_t f = 0; f < st_.ft.size(); f++)
        if (info_->isFT(j, nameOf(*st_.ft[f]).c_str())) named.push_back((int)f);
    if (named.empty()) continue;
    const int n = info_->getBegEndFT(j, beg, end);
    for (int f : named) {
      std::vector<char> &mask = masks[(size_t)f];
      if (mask.empty()) mask.assign((size_t)len + 1, 0);
      for (int k = 0; k < n; k++)
        for (int p = std::max(beg[k], 1); p <= std::min(end[k], len); p++) mask[(size_t)p - 1] = 1;
    }
  }
  for (size_t f = 0; f < masks.size(); f++) {
    const std::vector<char> &mask = masks[f];
    if (mask.empty() || std::find(mask.begin(), mask.begin() + len, 1) == mask.begin() + len)
      continue;
    HistXX &h = *st_.ft[f];
    const int np = h.numPow;
    if (!ft.all[f]) {
      ft.all[f] = newZeroedInts((size_t)(L_ + 1) * np);
      ft.ksi[f] = newZeroedInts((size_t)L_ * np);
    }
    int *all = ft.all[f].get(), *ksi = ft.ksi[f].get();
    for (Motif *m = sup.first; m; m = m->next) {
      if (!fits(m, len)) continue;
      const int b = h.getNumPow(getParam(m, h.paramType));
      all[(size_t)m->qBeg * np + b]++;
      all[(size_t)(m->qBeg + m->len) * np + b]--;
      for (int i = 0; i < m->len; i++)
        if (mask[(size_t)(m->bBeg + i)]) ksi[(size_t)(m->qBeg + i) * np + b]++;
    }
  }
}

void Counter::countKeywords(Supermotif &sup, int bankLen, bool recount, KwCounts &kc) {
  int idx = -1;
  for (size_t t = 0; t < st_.kw.size(); t++) {
    const char *type = st_.typeKW[t].c_str();
    if (!info_->hasKWtype(type)) continue;
    if (idx < 0) {
      SupRec r;
      r.param[0] = getParam(&sup, 0);
      r.param[1] = getParam(&sup, 1);
      r.spanBeg = kc.spans.size();
      for (Motif *m = sup.first; m; m = m->next)
        if (fits(m, bankLen)) kc.spans.emplace_back(m->qBeg, m->len);
      r.spanEnd = kc.spans.size();
      idx = (int)kc.sups.size();
      kc.sups.push_back(r);
    }
    kc.typeSups[t].push_back(idx);
    int num = 0;
    char **list = getKWList(info_, mesh_, num, type);
    const SupRec &r = kc.sups[(size_t)idx];
    for (size_t k = 0; k < st_.kw[t].size(); k++) {
      HistXX &h = *st_.kw[t][k];
      const char *name = h.FTname ? h.FTname : "";
      int has = 0;
      for (int i = 0; i < num && !has; i++) has = firInsidSec(name, list[i]);
      if (has) kc.has[t][k].push_back(idx);
      if (fcol_ && !recount)
        fprintf(fcol_, "%s %s %3d %3d    %07.2f %3d\n", type, name, 0, 0,
                r.param[h.paramType != 0], has);
    }
    for (int i = 0; i < num; i++) delete[] list[i];
    delete[] list;
  }
}
