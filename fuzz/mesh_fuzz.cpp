// Mesh index files: the loader on any text (pair lines padded so that the file never ends
// inside its pairs, which is a deliberate exit), every lookup it allows, and the round trip
// of what it accepted.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "mesh.h"

namespace {

constexpr const char *kIndex = "in.mesh";
constexpr const char *kSaved = "out.mesh";
constexpr const char *kAgain = "again.mesh";

bool leading(const std::string &line, long long &v) {
  const char *p = line.c_str();
  p += std::strspn(p, " \t");
  const char *d = (*p == '+' || *p == '-') ? p + 1 : p;
  if (*d < '0' || *d > '9') return false;
  v = std::strtoll(p, nullptr, 10);
  return true;
}

std::string readAll(const char *path) {
  std::string s;
  FILE *f = std::fopen(path, "rb");
  if (!f) return s;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  const std::vector<std::string> lines = fuzzutil::splitLines(fuzzutil::asRead(text));
  // Pad the pair lines the counts announce, when the counts can be read.
  long long numF = 0, num = 0;
  if (!lines.empty() && leading(lines[0], numF) && numF >= 0 && numF < 300 &&
      (long long)lines.size() > numF + 2 && leading(lines[(size_t)numF + 2], num)) {
    if (num > 20000) return 0;
    long long have = (long long)lines.size() - (numF + 3);
    if (!text.empty() && text.back() != '\n') text += '\n';
    for (long long i = have; num > 0 && i < 2 * num; i++) text += "PAD\n";  // a count below 0 pads nothing
  }
  fuzzutil::writeFile(kIndex, text);
  Mesh m;
  int r = m.load(kIndex);
  FUZZ_CHECK(r == 0 || r == 1);
  if (r == 1) FUZZ_CHECK(m.num == 0);
  for (int i = 0; i < m.num; i++) {
    char *h = m.findSyn(m.ks[i].Sy);
    delete[] h;
  }
  for (const std::string &line : lines) {
    char *h = m.findSyn(line.c_str());
    delete[] h;
  }
  if (r != 0) return 0;
  // What was accepted is written and read back to the same bytes.
  FUZZ_CHECK(m.save(kSaved) == 0);
  Mesh back;
  FUZZ_CHECK(back.load(kSaved) == 0);
  FUZZ_CHECK(back.num == m.num && back.numF == m.numF);
  FUZZ_CHECK(back.save(kAgain) == 0);
  FUZZ_CHECK(readAll(kSaved) == readAll(kAgain));
  return 0;
}
