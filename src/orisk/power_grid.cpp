// orisk's power grids: the motif store, powSort, both makePow and the estimation.
#include "power_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "errormsg.h"
#include "motif.h"
#include "orisk_options.h"
#include "params.h"

size_t MotifStore::read(FILE *f) {
  std::unordered_map<std::string, int> known;
  auto intern = [&](const char *name, int num) {
    std::string key(name);
    key += '\n';
    key += std::to_string(num);
    auto it = known.find(key);
    if (it != known.end()) return it->second;
    const int id = (int)addr.size();
    addr.push_back({name, num});
    known.emplace(std::move(key), id);
    return id;
  };
  size_t n = 0;
  Supermotif s;
  while (s.load(f)) {
    Block b;
    b.power = s.power;
    b.qAddr = intern(s.qAdr, s.qNum);
    b.bAddr = intern(s.bAdr, s.bNum);
    b.firstMot = mots.size();
    b.numMot = 0;
    for (const Motif *m = s.first; m; m = m->next, b.numMot++)
      mots.push_back({m->qBeg, m->bBeg, m->len, m->sum, m->pow, m->frame});
    blocks.push_back(b);
    s.del();
    n++;
  }
  return n;
}

void MotifStore::build(size_t b, Supermotif &s) const {
  s.del();
  const Block &k = blocks[b];
  s.power = k.power;
  s.numMot = k.numMot;
  s.qAdr = _strdup_(addr[k.qAddr].name.c_str());
  s.qNum = addr[k.qAddr].num;
  s.bAdr = _strdup_(addr[k.bAddr].name.c_str());
  s.bNum = addr[k.bAddr].num;
  Motif **tail = &s.first;
  for (int i = 0; i < k.numMot; i++) {
    const Mot &m = mots[k.firstMot + i];
    Motif *p = new Motif(m.qBeg, m.bBeg, m.len, m.sum, m.pow, m.frame);
    *tail = p;
    tail = &p->next;
  }
}

int powSort(const void *a, const void *b) {
  const double x = *static_cast<const double *>(a), y = *static_cast<const double *>(b);
  const bool nx = std::isnan(x), ny = std::isnan(y);
  if (nx || ny) return nx == ny ? 0 : nx ? 1 : -1;
  return x > y ? -1 : x < y ? 1 : 0;
}

void makePow(const double *pow, int nPow, double &minPow, double &maxPow, double &stepPow) {
  // Powers that are not numbers sort last and take no part in the grid.
  while (nPow > 0 && std::isnan(pow[nPow - 1])) nPow--;
  if (nPow <= 0) {
    minPow = 0;
    maxPow = 0.000001;
    stepPow = (maxPow - minPow) / 50;
    return;
  }
  const double infPart = nPow * 0.25;
  double maxDel = 0, maxDel_14 = 0;
  int maxJ = 0, maxJ_14 = 0;
  for (int j = 1; j < nPow; j++) {
    const double del = pow[j - 1] - pow[j];
    if (del > maxDel) {
      maxDel = del;
      maxJ = j - 1;
    }
    if (j < infPart && del > maxDel_14) {
      maxDel_14 = del;
      maxJ_14 = j - 1;
    }
  }
  minPow = pow[nPow - 1];
  maxPow = (maxJ < infPart ? pow[maxJ] : pow[maxJ_14]) + 0.000001;
  stepPow = (maxPow - minPow) / 50;
}

namespace {

void sortedGrid(std::vector<double> &pow, double &minPow, double &maxPow, double &stepPow) {
  std::stable_sort(pow.begin(), pow.end(),
                   [](const double &a, const double &b) { return powSort(&a, &b) < 0; });
  makePow(pow.data(), (int)std::min<size_t>(pow.size(), INT32_MAX), minPow, maxPow, stepPow);
}

}  // namespace

void estimatePow(const MotifStore &store, int paramType, double &minPowMot, double &maxPowMot,
                 double &stepPowMot, double &minPowSup, double &maxPowSup, double &stepPowSup) {
  std::vector<double> motPow, supPow;
  motPow.reserve(std::max<size_t>(store.mots.size(), 1));
  supPow.reserve(std::max<size_t>(store.blocks.size(), 1));
  Supermotif s;
  for (size_t b = 0; b < store.blocks.size(); b++) {
    // The reader never keeps a block without a motif; a store filled otherwise may hold one.
    if (store.blocks[b].numMot <= 0) continue;
    store.build(b, s);
    supPow.push_back(getParam(&s, paramType));
    for (Motif *m = s.first; m; m = m->next) motPow.push_back(getParam(m, paramType));
  }
  sortedGrid(motPow, minPowMot, maxPowMot, stepPowMot);
  sortedGrid(supPow, minPowSup, maxPowSup, stepPowSup);
}

int makePow(int argc, char **argv, double &minPowMot, double &maxPowMot, double &stepPowMot,
            double &minPowSup, double &maxPowSup, double &stepPowSup, int paramType,
            MotifStore *store) {
  const int kind = powRangeKind(argc, argv);
  if (kind == kRangeGiven) return 0;
  if (kind == kRangePartial) fatalExit(kOriskUsage, "%s", kPowUsageText);
  FILE *f = argc > 1 ? fopen(argv[1], "rb") : nullptr;
  if (!f) fatalExit(kOriskNoPowFile, "\n Can't open motifs file %s.", argc > 1 ? argv[1] : "");
  MotifStore local;
  MotifStore &st = store ? *store : local;
  st.read(f);
  fclose(f);
  estimatePow(st, paramType, minPowMot, maxPowMot, stepPowMot, minPowSup, maxPowSup, stepPowSup);
  return 1;
}
