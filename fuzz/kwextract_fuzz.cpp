// From bank-entry headers to keywords and feature types: any text read as a Swiss-Prot and
// as a GenBank header, then the keyword lists of several types (through a small thesaurus),
// the stop-word merge, the hypothetical test and the feature types of every feature line.
#include <cstring>
#include <string>
#include <vector>

#include "feat_tab.h"
#include "fuzz_util.h"
#include "mesh.h"
#include "inv_sqrt.h"
#include "seqinfo.h"

namespace {

constexpr const char *kHeader = "header.txt";
constexpr const char *kMesh = "small.mesh";
constexpr const char *kTypes = "KW_DE_OS_CC   -!- FUNCTION:_KE";

Mesh *gMesh = nullptr;

void extract(int format) {
  FILE *f = std::fopen(kHeader, "rb");
  if (!f) std::abort();
  SeqInfo info;
  if (format == 2)
    info.readSwis(f);
  else
    info.readGenb(f);
  std::fclose(f);

  std::vector<char *> dst(kMaxKeys, nullptr);
  std::vector<int> sign(kMaxKeys, 0);
  int numDst = 0;
  for (Mesh *mesh : {(Mesh *)nullptr, gMesh}) {
    int n = -1;
    char **list = getKWList(&info, mesh, n, kTypes);
    FUZZ_CHECK(n >= 0 && (n == 0) == (list == nullptr));
    for (int i = 0; i < n; i++) FUZZ_CHECK(list[i] && std::strlen(list[i]) >= 2);
    addKW(numDst, dst.data(), list, n, sign.data());
    FUZZ_CHECK(numDst <= kMaxKeys);
    for (int i = 0; i < n; i++) delete[] list[i];
    delete[] list;
  }
  const char *types[] = {"DE", "KW", "OS"};
  int h = isHypoth(&info, 3, types);
  FUZZ_CHECK(h == 0 || h == 1);

  std::vector<ftInfo *> ft(kMaxKeys, nullptr);
  int numFt = 0;
  int beg[SeqInfo::kMaxRanges], end[SeqInfo::kMaxRanges];
  for (int j = 0; j < info.getNum(); j++) {
    if (!info.isFT(j, "")) continue;
    int n = info.getBegEndFT(j, beg, end);
    FUZZ_CHECK(n >= 0 && n <= SeqInfo::kMaxRanges);
    for (int r = 0; r < n; r++) {
      int idx = addFT(numFt, ft.data(), info[j], clampInt32((long long)end[r] - beg[r] + 1));
      FUZZ_CHECK(idx >= -1 && idx < numFt);
    }
  }
  for (int i = 0; i < numFt; i++) delete ft[i];
  for (int i = 0; i < numDst; i++) delete[] dst[i];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzzutil::setUp();
  fuzzutil::writeFile(kMesh,
                      "3  number of first letters\n0\n2\n2\n3\n3  number of items\n"
                      "ATP BINDING\nNUCLEOTIDE-BINDING\nATPASE\nHYDROLASE\nCYCLE\nCELL CYCLE\n");
  gMesh = new Mesh;
  if (gMesh->load(kMesh) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzutil::writeFile(kHeader, data, size);
  extract(2);
  extract(3);
  return 0;
}
