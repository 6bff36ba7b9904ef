// The bank list: paths read one per line, and the molecule type of the bank set when
// every listed path is one of the banks this target provides.
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "bank_list.h"

namespace {

constexpr const char *kList = "list.txt";
// Banks in the scratch directory and their molecule types.
struct Bank {
  const char *path;
  const char *text;
  int molType;
};
const Bank kKnown[] = {
    {"p.fa", ">p1\nMKVLAWWYDE\n", 0},
    {"n.fa", ">n1\nACGTACGTTTGGCCAA\n", 1},
    {"n.gb", "LOCUS  N2 8 bp\nORIGIN\n 1 acgtacgu\n//\n", 1},
    {"p.dat", "ID   P1\nSQ   SEQUENCE\n     MKVLAWWY\n//\n", 0},
};

const Bank *known(const char *path) {
  for (const Bank &b : kKnown)
    if (!std::strcmp(b.path, path)) return &b;
  return nullptr;
}

// Paths the list holds, counted as the reader counts them (up to the first line without one).
// loadList ends the run (exit 111) beyond 127 banks: a documented exit, not a finding.
int countPaths(const std::string &read) {
  int n = 0;
  for (std::string line : fuzzutil::splitLines(read)) {
    line.resize(std::strlen(line.c_str()));
    if (line.find_first_not_of(" \r\t") == std::string::npos) break;
    n++;
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzzutil::setUp();
  for (const Bank &b : kKnown) fuzzutil::writeFile(b.path, b.text);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string read = fuzzutil::asRead(data, size);
  if (countPaths(read) > 127) return 0;
  fuzzutil::writeFile(kList, data, size);
  FILE *f = std::fopen(kList, "rb");
  char **list = loadList(f);
  std::fclose(f);
  if (!list) {
    FUZZ_CHECK(read.empty());  // only a file without any line has no list
    return 0;
  }

  int n = 0, prot = 0, nuc = 0;
  bool allKnown = true;
  for (; n < 128 && list[n]; n++) {
    FUZZ_CHECK(list[n][0] != 0);
    FUZZ_CHECK(std::strpbrk(list[n], " \t\r\n") == nullptr);  // one token, no blanks
    const Bank *b = known(list[n]);
    if (!b) allKnown = false;
    else if (b->molType) nuc++;
    else prot++;
  }
  FUZZ_CHECK(n < 128);
  FUZZ_CHECK(n == countPaths(read));

  if (allKnown && n > 0) {
    int expect = nuc ? (prot ? 2 : 1) : 0;
    FUZZ_CHECK(getBaseMolType(list) == expect);
  }
  for (int i = 0; i < n; i++) delete[] list[i];
  delete[] list;
  return 0;
}
