// Color files (letter groups): the reader on any text, then the grouping it leaves.
#include "aa_group.h"
#include "fuzz_util.h"

namespace {

constexpr const char *kColors = "colors.txt";

bool isLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Every character has a class below num_colors; a letter and its other case share it;
// non-letters are in the last class.
void checkGrouping(const AA_groups &g) {
  FUZZ_CHECK(g.num_colors >= 1 && g.num_colors <= 256);
  for (int c = 0; c < 256; c++) {
    FUZZ_CHECK(g.ord((unsigned char)c) < g.num_colors);
    if (!isLetter(c)) FUZZ_CHECK(g.ord((unsigned char)c) == g.num_colors - 1);
  }
  for (int c = 'A'; c <= 'Z'; c++) FUZZ_CHECK(g.ord((unsigned char)c) == g.ord((unsigned char)(c + 32)));
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzutil::writeFile(kColors, data, size);
  FILE *f = std::fopen(kColors, "r");
  AA_groups g;
  int r = g.fread(f);
  std::fclose(f);
  FUZZ_CHECK(r == 0 || r == 1 || r == 2);
  checkGrouping(g);
  if (r != 0) FUZZ_CHECK(g.num_colors == 1);

  bool anyLetter = false;
  for (size_t i = 0; i < size && !anyLetter; i++) anyLetter = isLetter(data[i]);
  if (!anyLetter) FUZZ_CHECK(r == 1);

  // Reading again replaces the grouping: the same file gives the same classes.
  AA_groups again;
  again.makeDNA();
  f = std::fopen(kColors, "r");
  FUZZ_CHECK(again.fread(f) == r);
  std::fclose(f);
  FUZZ_CHECK(again.num_colors == g.num_colors);
  for (int c = 0; c < 256; c++) FUZZ_CHECK(again.ord((unsigned char)c) == g.ord((unsigned char)c));
  return 0;
}
