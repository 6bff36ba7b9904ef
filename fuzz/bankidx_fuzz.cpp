// The bank index file with its bank: entries fetched by number through the ".idx" records,
// by the sequence reader, the header reader and the bare positioning.
// Input: bank text, the separator line "#IDX#", then the index bytes. Without the
// separator the whole input is the index of a small built-in bank.
#include <climits>
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "params.h"
#include "seqbase.h"
#include "seqinfo.h"

namespace {

constexpr const char *kBank = "b.dat";
constexpr const char *kIndex = "b.idx";
const std::string kSeparator = "\n#IDX#\n";

// One small bank per format, three entries where the format has several.
const char *const kBanks[] = {
    ">s1 one\nACDEFGHIK\n>s2 two\nMKVLA\nWWY\n>s3\nACGTACGT\n",
    "ID   P1  STANDARD;  PRT;   5 AA.\nAC   P00001;\nDE   First.\nSQ   SEQUENCE 5 AA;\n"
    "     MKVLA\n//\nID   P2  STANDARD;  PRT;   3 AA.\nAC   P00002;\nSQ   SEQUENCE 3 AA;\n"
    "     WWY\n//\n",
    "LOCUS       G1   8 bp    DNA\nDEFINITION  one.\nACCESSION   A1\nORIGIN\n"
    "        1 acgtacgt\n//\nLOCUS       G2   4 bp    DNA\nORIGIN\n        1 ttgg\n//\n",
    "gc; P1\ngx; PR00001\nfc; ONE\nfd; AAAA one\nfd; CCCC two\nbb;\nfc; TWO\nft; x\n"
    "fd; GGGG three\nbb;\n",
    "ID   B1; BLOCK\nAC   BL00001A\nDE   Blocks Database one\nBL   ADE;\n"
    "S1 (  1) MKVLA  10\nS2 (  3) MKILA  20\n//\n",
    "# STOCKHOLM 1.0\n#=GF ID   F1\n#=GF DE   Family one\ns1/1-5 AC..DE\ns2/3-8 ACGHDE\n//\n",
};

void fetch(int num, EntryLog &log) {
  WorkSeq w;
  w.set("KEEP", 4);
  int n = w.readSeq(kBank, num, &log);
  FUZZ_CHECK(n >= 0);
  if (log.lastFailed())
    FUZZ_CHECK(n == 0 && w.len() == 4);  // kept
  else
    FUZZ_CHECK(n == w.len());  // read, possibly an entry without residues
  FUZZ_CHECK(log.unreadable() <= log.asked());
  WorkSeq silent;
  FUZZ_CHECK(silent.readSeq(kBank, num) == n);  // a log changes what is told, not what is read

  SeqInfo info;
  int lines = info.readSeq(kBank, num);
  FUZZ_CHECK(lines >= 0);
  if (lines) FUZZ_CHECK(lines == info.getNum());
  delete[] info.getAC();
  delete[] info.getID();
  (void)std::strlen(info.getDE());

  if (FILE *f = openBankEntry(kBank, num)) {
    // A record that fits places the bank at the start of a line.
    const long at = std::ftell(f);
    FUZZ_CHECK(at >= 0);
    if (at > 0) {
      std::fseek(f, at - 1, SEEK_SET);
      FUZZ_CHECK(std::fgetc(f) == '\n');
    }
    std::fclose(f);
  }
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string bank, index;
  if (!fuzzutil::splitAt(data, size, kSeparator, bank, index)) {
    index = bank;
    bank = kBanks[size % (sizeof kBanks / sizeof kBanks[0])];
  }
  fuzzutil::writeFile(kBank, bank);
  fuzzutil::writeFile(kIndex, index);

  EntryLog log;
  for (int num = 0; num < 6; num++) fetch(num, log);
  fetch(-1, log);
  fetch(INT_MAX, log);
  fetch(INT_MAX / 32, log);
  // The number the first record names, whatever it is.
  if (index.size() > 128) fetch(parseLong(index.c_str() + 128), log);
  FUZZ_CHECK(log.asked() >= 1 && log.asked() <= 10);
  return 0;
}
