// Color files (letter groups): the reader on any text, then the grouping it leaves.
#include "aa_group.h"
#include "fuzz_util.h"

namespace {

constexpr const char *kColors = "colors.txt";

bool isLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A byte no letter group can hold: a control byte other than tab and the line ends, or one
// from 127 up.
bool holdsBadByte(const std::string &text) {
  for (unsigned char c : text)
    if ((c < 32 && c != '\t' && c != '\n' && c != '\r') || c >= 127) return true;
  return false;
}

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
  FUZZ_CHECK(r == 0 || r == 1 || r == 2 || r == 3);
  checkGrouping(g);
  if (r != 0) FUZZ_CHECK(g.num_colors == 1);

  const std::string read = fuzzutil::asRead(data, size);
  const bool bad = holdsBadByte(read);
  // Past 255 groups the reader stops before it may reach the byte.
  FUZZ_CHECK(bad ? (r == 3 || r == 2) : r != 3);
  bool anyLetter = false;
  for (size_t i = 0; i < read.size() && !anyLetter; i++) anyLetter = isLetter((unsigned char)read[i]);
  if (!anyLetter && !bad) FUZZ_CHECK(r == 1);

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
