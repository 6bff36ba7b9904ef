// Translation code files: the reader on any text, then the frame iterator over a sequence
// for every pair of molecule types, and the single-frame translation.
// Input: the code file, optionally followed by the separator line "#SEQ#", a frame list
// line and the sequence to translate.
#include <cstring>
#include <string>

#include "aa_code.h"
#include "fuzz_util.h"

namespace {

constexpr const char *kCode = "code.txt";
const std::string kSeparator = "\n#SEQ#\n";

bool translated(int q, int b) { return (q == 0 && b == 1) || (q == 1 && b == 0); }

void iterate(Translation_code &tc, const BankSeq &sour, int q, int b, int rev) {
  tc.update(q, b, rev);
  const int L = sour.len();
  BankSeq dest;
  int frames = 0;
  while (frames <= 8 && tc.translate(dest, sour)) {
    frames++;
    FUZZ_CHECK(dest.len() >= 0);
    if (translated(q, b)) {
      FUZZ_CHECK(std::strchr("abcdef", dest.frame) && dest.frame);
      FUZZ_CHECK(dest.len() == L / 3);
    } else {
      FUZZ_CHECK(dest.frame == (frames == 1 ? '+' : '-'));
      FUZZ_CHECK(dest.len() == L);
    }
    (void)tc.lastFrame();
  }
  FUZZ_CHECK(frames <= 6);
  FUZZ_CHECK(tc.frame == 0);  // rewound for the next sequence
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string codeText, rest;
  fuzzutil::splitAt(data, size, kSeparator, codeText, rest);
  fuzzutil::writeFile(kCode, codeText);

  Translation_code tc;
  FILE *f = std::fopen(kCode, "r");
  int r = tc.fread(f);
  std::fclose(f);
  FUZZ_CHECK(r == 0 || r == 1);

  std::string frameList = "abcdef", seqText = "ATGGCCTTAGCNNaugX";
  if (!rest.empty()) {
    size_t nl = rest.find('\n');
    frameList = rest.substr(0, nl);
    seqText = nl == std::string::npos ? "" : rest.substr(nl + 1);
  }
  std::memset(tc.frameList, 0, sizeof tc.frameList);
  std::strncpy(tc.frameList, frameList.c_str(), sizeof tc.frameList - 1);

  BankSeq sour;
  sour.set(seqText.data(), (int)seqText.size());
  for (int q = 0; q <= 2; q++)
    for (int b = 0; b <= 2; b++)
      for (int rev = 0; rev <= 2; rev++) iterate(tc, sour, q, b, rev);

  // The iterator serving its own output.
  tc.update(1, 0, 2);
  BankSeq self(sour);
  while (tc.translate(self, self)) {}

  BankSeq dest;
  for (char ch : std::string("abcdefx+\0", 9)) {
    int got = tc.translate(dest, sour, ch);
    FUZZ_CHECK(got == 0 || got == 1);
    if (got) FUZZ_CHECK(dest.len() == sour.len() / 3);
  }

  for (size_t i = 0; i + 3 <= seqText.size(); i++) {
    char a = tc.getProt(seqText.c_str() + i, 0), c = tc.getProt(seqText.c_str() + i, 1);
    (void)a;
    (void)c;
  }
  for (int fr = 0; fr < 8; fr++) (void)lastFrame(fr, 6, tc.frameList);
  return 0;
}
