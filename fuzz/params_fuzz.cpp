// Search parameter files: the "!"-keyed reader on any text, the banner, the matrix choice
// per query and the short-query lowering of thresholds.
// Keys c and e open the files they name and end the run (exit 111) when those can't be
// read; only the color and code files this target provides are let through. Key m may
// name anything without a '/' (the scratch directory holds only this target's files).
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "params.h"
#include "seahom_params.h"

namespace {

constexpr const char *kParams = "params.txt";

bool acceptable(const uint8_t *data, size_t size) {
  for (const std::string &line : fuzzutil::splitLines(fuzzutil::asRead(data, size))) {
    std::vector<char> buf = fuzzutil::exactCopy(line.substr(0, line.find('\r')));
    char *key, *arg;
    if (hasntParam(buf.data(), key, arg) || !arg) continue;
    if (key[1] == 'c' && std::strcmp(arg, "colors")) return false;
    if (key[1] == 'e' && std::strcmp(arg, "code")) return false;
    if (key[1] == 'm' && std::strchr(arg, '/')) return false;
  }
  return true;
}

void checkRead(const SearchHomolParams &p) {
  FUZZ_CHECK(p.winWidth >= 2 && p.winWidth <= 7);
  FUZZ_CHECK(p.coiNum >= 0 && p.coiNum <= p.winWidth);
  FUZZ_CHECK(p.coincRatio >= 0 && p.coincRatio <= 1);
  FUZZ_CHECK(p.minHomolRatio >= 0 && p.minHomolRatio <= 1);
  FUZZ_CHECK(p.useLookingTable == 1 && p.termom == 1);
  FUZZ_CHECK(std::memchr(p.frameList, 0, sizeof p.frameList) != nullptr);
  FUZZ_CHECK(std::strlen(p.frameList) <= 6);
  for (size_t i = 1; i < std::strlen(p.frameList); i++)
    FUZZ_CHECK((signed char)p.frameList[i - 1] <= (signed char)p.frameList[i]);
  FUZZ_CHECK(!std::memcmp(p.frameList, p.code.frameList, sizeof p.frameList));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzzutil::setUp();
  fuzzutil::writeFile("colors", std::string("AG\nST\nC\nDENQ\nILMV\nFWY\nHKR\nP\n"));
  std::string code;
  const char *n = "CTGA";
  for (int i = 0; i < 64; i++)
    code += std::string{n[i / 16], n[i / 4 % 4], n[i % 4]} + " " + "ACDEFGHIKLMNPQRSTVWY*"[i % 21] + "\n";
  fuzzutil::writeFile("code", code);
  fuzzutil::writeFile("matrix", std::string("BLOSUM\n   A  R\nA  4\nR -1  5\n"));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (!acceptable(data, size)) return 0;
  fuzzutil::writeFile(kParams, data, size);
  SearchHomolParams p;
  FILE *f = std::fopen(kParams, "rb");
  const int bad = p.freadParam(f);
  std::fclose(f);
  checkRead(p);
  // A run goes on only with a matrix file that reads as one.
  if (!bad && p.matrName) FUZZ_CHECK(checkMatrixFile(p.matrName) == kMatrixOk);

  const char *banks[] = {"p.fa", "n.fa", nullptr};
  FILE *out = fuzzutil::sink();
  p.print(out, "q.fa", banks);
  std::fclose(out);

  // The matrix for a protein and for a nucleic query, then the short-query rules for every
  // length around their bounds, each on a copy (the lowering is for the rest of a run).
  BankSeq prot, nuc;
  prot.set("MKVLAWWYDEHIKLMNPQRSTVWYAC", 26);
  nuc.set("ACGTACGTTTGGCCAAGT", 18);
  p.readMatr(prot);
  FUZZ_CHECK(p.wm != nullptr);
  p.readMatr(nuc);
  FUZZ_CHECK(p.wm != nullptr);
  const std::string letters(60, 'A');
  for (int L : {3, 4, 5, 10, 14, 15, 16, 24, 25, 49, 50, 60}) {
    SearchHomolParams c(p);
    BankSeq q;
    q.set(letters.data(), L);
    c.correctParam(q);
    FUZZ_CHECK(c.thPower <= p.thPower || c.thPower != c.thPower);
    FUZZ_CHECK(c.thLength <= p.thLength);
  }
  return 0;
}
