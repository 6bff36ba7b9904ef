// orisk's power grids estimated from any motif file: every block kept, both measures of
// power, and the grids always usable by the histograms (finite, ordered, 50 steps).
#include <cmath>
#include <string>

#include "fuzz_util.h"
#include "motif.h"
#include "orisk.h"

namespace {

constexpr const char *kMotifs = "motifs.txt";

void checkGrid(double mn, double mx, double st) {
  FUZZ_CHECK(std::isfinite(mn) && std::isfinite(mx) && std::isfinite(st));
  FUZZ_CHECK(mx > mn);
  FUZZ_CHECK(st == (mx - mn) / 50);
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzutil::writeFile(kMotifs, data, size);
  FILE *f = std::fopen(kMotifs, "rb");
  MotifStore st;
  const size_t n = st.read(f);
  std::fclose(f);
  FUZZ_CHECK(n == st.blocks.size());
  size_t mots = 0;
  for (size_t b = 0; b < st.blocks.size(); b++) {
    const MotifStore::Block &k = st.blocks[b];
    FUZZ_CHECK(k.numMot >= 1 && k.firstMot == mots);
    FUZZ_CHECK(k.qAddr >= 0 && k.qAddr < (int)st.addr.size());
    FUZZ_CHECK(k.bAddr >= 0 && k.bAddr < (int)st.addr.size());
    mots += (size_t)k.numMot;
    Supermotif s;
    st.build(b, s);
    int chain = 0;
    for (const Motif *m = s.first; m; m = m->next) chain++;
    FUZZ_CHECK(chain == k.numMot && s.power == k.power);
  }
  FUZZ_CHECK(mots == st.mots.size());
  for (int paramType = 0; paramType <= 1; paramType++) {
    double a, b, c, d, e, g;
    estimatePow(st, paramType, a, b, c, d, e, g);
    checkGrid(a, b, c);
    checkGrid(d, e, g);
  }
  return 0;
}
