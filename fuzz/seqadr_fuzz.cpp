// Sequence-address lists: every line of any text fed to the list builder (both sides and
// bank side only), then every address looked up again.
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "seq_adr.h"

namespace {

void fill(const std::string &text, int both) {
  SeqAddrPow *sa = new SeqAddrPow[kMaxSeqAddr + 1];
  int nSeq = 0;
  for (const std::string &line : fuzzutil::cLines(text)) {
    std::vector<char> buf = fuzzutil::exactCopy(line);
    int before = nSeq;
    int r = addSeqAddr(buf.data(), nSeq, sa, both);
    FUZZ_CHECK(r == 0 || r == 1);
    FUZZ_CHECK(nSeq >= before && nSeq <= before + (both ? 2 : 1));
    if (!r) FUZZ_CHECK(nSeq == before);
    FUZZ_CHECK(nSeq <= kMaxSeqAddr);
    FUZZ_CHECK(std::strcmp(buf.data(), line.c_str()) == 0);  // the caller's line is left as it was
  }
  for (int i = 0; i < nSeq; i++) {
    FUZZ_CHECK(sa[i].name && sa[i].name[0]);
    FUZZ_CHECK(std::strpbrk(sa[i].name, " \t\r\n") == nullptr);
    // Addresses are distinct: each is found at its own place.
    FUZZ_CHECK(getSeqIdx(nSeq, sa, sa[i].name, sa[i].num) == i);
  }
  FUZZ_CHECK(getSeqIdx(nSeq, sa, "", 0) == -1);
  for (int i = 0; i < nSeq; i++) delete[] sa[i].name;
  delete[] sa;
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  fill(text, 1);
  fill(text, 0);
  return 0;
}
