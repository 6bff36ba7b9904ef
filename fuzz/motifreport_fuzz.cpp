// Motif files as the report printers consume them: each block read is printed as a summary
// line and as an alignment against small banks this target provides (a protein and a nucleic
// entry on each side, fetched through bank indexes), with a matrix and a genetic code, so that
// positions, lengths and frames read from the file meet real sequences.
#include <cstring>
#include <string>

#include "aa_code.h"
#include "fuzz_util.h"
#include "motif.h"
#include "w_matrix.h"

namespace {

constexpr const char *kMotifs = "motifs.txt";
constexpr int kMaxBlocks = 1000;

// A FASTA bank and its index (the offset of every '>' line).
void writeBank(const char *path, const char *idxPath, const std::string &text) {
  fuzzutil::writeFile(path, text);
  std::string idx(127, ' ');
  idx += '\n';
  int k = 0;
  for (size_t at = text.find('>'); at != std::string::npos; at = text.find('>', at + 1)) {
    char rec[40];
    std::snprintf(rec, sizeof rec, "%15d %15zu\n", k++, at);
    idx += rec;
  }
  fuzzutil::writeFile(idxPath, idx);
}

struct Tools {
  Weight_matrix wm;
  Translation_code code;
};

Tools &tools() {
  static Tools t;
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzzutil::setUp();
  writeBank("q.fa", "q.idx",
            ">q0 protein\nMKVLAWWYDEHIKLMNPQRSTVWYACDEFGHIKLMNPQRS\n"
            ">q1 nucleic\nATGGCCAAATTTGGGCCCTTTAAACCCGGGTTTAAAGGGCCCATGAAAGTGCTG\n>q2\nMK\n");
  writeBank("b.fa", "b.idx",
            ">b0 protein\nMKVLAWWYDEHIKLMNPQRSTVWYACDEFGHIKLMNPQRSWWWW\n"
            ">b1 nucleic\nATGAAAGTGCTGGCCTGGTGGTATGATGAACATATTAAACTGATGAACCCG\n>b2\nW\n");
  std::string code;
  const char *n = "CTGA";
  for (int i = 0; i < 64; i++)
    code += std::string{n[i / 16], n[i / 4 % 4], n[i % 4]} + " " + "PLRQSFCYAVGDTIMN*KW"[i % 19] + "\n";
  fuzzutil::writeFile("code.txt", code);
  FILE *f = std::fopen("code.txt", "r");
  if (tools().code.fread(f) != 0) std::abort();
  std::fclose(f);
  tools().wm.makeBlos62();
  tools().wm.recast(aa_frequences, aa_frequences);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzutil::writeFile(kMotifs, data, size);
  FILE *f = std::fopen(kMotifs, "rb");
  FILE *out = fuzzutil::sink();
  Supermotif s;
  for (int n = 1; n <= kMaxBlocks; n++) {
    s.del();
    if (!s.load(f)) break;
    s.printInfasSW(out);
    int r = s.printSupasSW(out, &tools().wm, &tools().code, n);
    FUZZ_CHECK(r >= -4 && r <= 1);
    (void)s.printSupasSW(out, nullptr, nullptr, n);
    (void)s.printAlign(out, n);
  }
  std::fclose(out);
  std::fclose(f);
  return 0;
}
