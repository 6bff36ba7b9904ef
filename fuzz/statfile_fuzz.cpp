// Statistics files: read as vantel reads them (the "FT" blocks, then type by type what
// getKwType names), every read moving forward, every block written back and read again,
// and the accessors and the prediction applied to what was read.
#include <cmath>
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "hist_xx.h"

namespace {

constexpr const char *kStats = "stats.txt";
constexpr int kMaxRounds = 10000;
// Larger blocks are read but not written back: printing a million values per block would
// make every input slow.
constexpr int kMaxRewrite = 5000;

std::string saved(const HistXX &h, const char *type) {
  char *buf = nullptr;
  size_t n = 0;
  FILE *f = open_memstream(&buf, &n);
  h.save(f, type, 1, 0.0);
  std::fclose(f);
  std::string out(buf, n);
  std::free(buf);
  return out;
}

bool ordinary(double v) { return std::isfinite(v) && std::fabs(v) < 1e9; }

// Decimal text of ordinary values reads back to values that print the same.
bool rewritable(const HistXX &h) {
  if (h.numPow > kMaxRewrite) return false;
  // A name holding the key text would be cut at it when read back.
  if (std::strstr(h.FTname, "_statistics")) return false;
  if (!ordinary(h.minPow) || !ordinary(h.maxPow) || !ordinary(h.stepPow) || !ordinary(h.freq))
    return false;
  for (int i = 0; i < h.numPow; i++)
    if (!ordinary(h.Pow[i]) || !ordinary(h.qXbX[i]) || !ordinary(h.q_XbX[i])) return false;
  return true;
}

void check(HistXX &h, const char *type) {
  FUZZ_CHECK(h.numPow >= 1 && h.numPow <= kMaxHistBins);
  FUZZ_CHECK(h.FTname && h.Pow && h.qXbX && h.qXb_X && h.q_XbX && h.q_Xb_X);
  FUZZ_CHECK(h.paramType == 0 || h.paramType == 1);
  // The name has no blank at either end.
  const size_t len = std::strlen(h.FTname);
  FUZZ_CHECK(!len || (h.FTname[0] != ' ' && h.FTname[len - 1] != ' '));

  (void)h.getNumPow(h.Pow[0]);
  (void)h.getProb(NAN);
  (void)h.getIdxPow(-INFINITY);
  char *nice = h.getNiceFTname();
  delete[] nice;

  if (h.numPow <= kMaxRewrite) {
    int all[kMaxRewrite], ksi[kMaxRewrite];
    for (int i = 0; i < h.numPow; i++) {
      all[i] = i % 7;
      ksi[i] = i % 3;
    }
    predPAR p;
    h.predFT(&p, all, ksi, h.numPow & 1, 0);
    FUZZ_CHECK(p.isPred == 0 || p.isPred == 1);
  }

  // Written and read again it gives the same block text (a block of only zeros is not
  // written at all).
  if (!rewritable(h)) return;
  const std::string once = saved(h, type);
  if (once.empty()) return;
  FILE *f = fmemopen(const_cast<char *>(once.data()), once.size(), "r");
  HistXX back;
  FUZZ_CHECK(back.load(f, type) == 0);
  std::fclose(f);
  FUZZ_CHECK(back.numPow == h.numPow && !std::strcmp(back.FTname, h.FTname));
  FUZZ_CHECK(saved(back, type) == once);
}

// Loads blocks of the type until the reader says none follows; each read moves forward.
void loadAll(FILE *f, const char *type) {
  for (int n = 0; n < kMaxRounds; n++) {
    const long before = std::ftell(f);
    HistXX h;
    if (h.load(f, type)) {
      FUZZ_CHECK(h.FTname && !h.FTname[0] && h.numPow == 0);
      FUZZ_CHECK(std::ftell(f) >= before);
      return;
    }
    FUZZ_CHECK(std::ftell(f) > before);
    check(h, type);
  }
  FUZZ_CHECK(!"a load loop that never ends");
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzutil::writeFile(kStats, data, size);
  FILE *f = std::fopen(kStats, "rb");
  (void)statFileWhole(f, kStats);
  FUZZ_CHECK(std::ftell(f) == 0);
  loadAll(f, "FT");
  int rounds = 0;
  for (;;) {
    const long before = std::ftell(f);
    char *type = getKwType(f);
    FUZZ_CHECK(std::ftell(f) == before);
    if (!type) break;
    loadAll(f, type);
    // The header getKwType saw is always taken: the next round starts past it.
    FUZZ_CHECK(std::ftell(f) > before);
    delete[] type;
    FUZZ_CHECK(++rounds < kMaxRounds);
  }
  std::fclose(f);

  // Count blocks onto a grid of their own.
  f = std::fopen(kStats, "rb");
  HistXX grid(0, 10, 0.5, "grid", 0);
  for (int n = 0; n < kMaxRounds && grid.loadPxx(f, "FT") == 0; n++) {
    FUZZ_CHECK(grid.numPow >= 1 && grid.numPow <= kMaxHistBins);
    if (grid.numPow > kMaxRewrite) break;
  }
  std::fclose(f);
  return 0;
}
