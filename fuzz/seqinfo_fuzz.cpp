// Bank entry headers: each of the six header readers on any text, then every accessor of
// the header it leaves (accession, name, description, organism, keyword blocks, feature
// keys and ranges, length, per-residue feature marks).
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_util.h"
#include "seqbase.h"
#include "seqinfo.h"

namespace {

constexpr const char *kBank = "entry.dat";
// Longest stated length whose per-residue marks are built: getCharFT allocates one int per
// residue the header claims, and a claim of two billion is an allocation, not a reader fault.
constexpr int kMaxMarkedLen = 1 << 20;

const char *const kKWTypes[] = {"KW", "OR", "DE", "OS", "OC", "CC   -!- FUNCTION", "CC   -!-",
                                "FT", "FE", "KEYWORDS", "DEFINITION", "  ORGANISM", "ID", ""};
const char *const kFTKeys[] = {"", "DOMAIN", "DOMAIN_KRINGLE_1", "DISULFID", "CHAIN", "CDS",
                               "gene", "SITE", "ACT_SITE", "source"};

void checkNewString(char *s) {
  FUZZ_CHECK(s != nullptr);
  (void)std::strlen(s);
  delete[] s;
}

// getLen ends the run (exit 11) for a Swiss-Prot header without an ID line or a GenBank one
// without a LOCUS line: a documented exit, so the length is only asked when it is there.
bool lengthStated(const SeqInfo &info) {
  for (int i = 0; i < info.getNum(); i++) {
    const char *s = info[i];
    if (info.getFormat() == 2 && !std::strncmp(s, "ID", 2)) return true;
    if (info.getFormat() == 3 && std::strstr(s, "LOCUS")) return true;
  }
  return info.getFormat() != 2 && info.getFormat() != 3;
}

void exercise(SeqInfo &info) {
  const int num = info.getNum();
  FUZZ_CHECK(num >= 0 && num <= SeqInfo::kMaxLines);
  for (int i = 0; i < num; i++) (void)std::strlen(info[i]);

  checkNewString(info.getAC());
  checkNewString(info.getID());
  const char *de = info.getDE();
  FUZZ_CHECK(de != nullptr);
  (void)std::strlen(de);
  checkNewString(info.getOS());

  for (const char *type : kKWTypes) {
    char *kw = info.getKW(type);
    if (kw) checkNewString(kw);
    (void)info.hasKWtype(type);
    (void)info.hasKW(type, "HEME");
  }
  (void)info.hasKWtype("KW_OC\nDE");
  (void)info.hasKWtype("__\n\n");

  // Room for exactly the documented number of ranges, so an overrun is seen.
  std::unique_ptr<int[]> beg(new int[SeqInfo::kMaxRanges]), end(new int[SeqInfo::kMaxRanges]);
  for (int i = -1; i <= num; i++) {
    for (const char *key : kFTKeys) (void)info.isFT(i, key);
    int n = info.getBegEndFT(i, beg.get(), end.get());
    FUZZ_CHECK(n >= 0 && n <= SeqInfo::kMaxRanges);
    (void)info.isKW(i, "FT", nullptr);
  }

  if (lengthStated(info)) {
    int len = info.getLen();
    FUZZ_CHECK(len >= 0);
    if (len <= kMaxMarkedLen) {
      for (const char *key : kFTKeys) {
        int l = -1;
        int *marks = info.getCharFT(key, l);
        FUZZ_CHECK(l == len);
        for (int k = 0; k < l; k++) FUZZ_CHECK(marks[k] == 0 || marks[k] == 1);
        delete[] marks;
      }
    }
  }

  FILE *out = fuzzutil::sink();
  info.printIDDEOS(out);
  info.save(out);
  std::fclose(out);
}

void fuzzNames(const std::string &text) {
  char name[1024];
  for (const std::string &line : fuzzutil::cLines(text)) {
    for (int type = 0; type <= 3; type++) {
      makeName(line.c_str(), name, type);
      FUZZ_CHECK(std::memchr(name, 0, sizeof name) != nullptr);
    }
    int bra = 0;
    (void)updNumBra(line.c_str(), bra);
    (void)belong(line.c_str(), nameFT);
  }
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzutil::writeFile(kBank, data, size);

  int (SeqInfo::*readers[])(FILE *) = {&SeqInfo::readFasta, &SeqInfo::readSwis,
                                        &SeqInfo::readGenb,  &SeqInfo::readPrints,
                                        &SeqInfo::readBlocks, &SeqInfo::readPFam};
  for (auto read : readers) {
    FILE *f = std::fopen(kBank, "rb");
    SeqInfo info;
    // Every entry of the file, as a reader walking a bank would meet them.
    for (int entry = 0; entry < 64; entry++) {
      int n = (info.*read)(f);
      FUZZ_CHECK(n == info.getNum());
      exercise(info);
      if (n == 0 || std::feof(f)) break;
    }
    std::fclose(f);
  }

  // Through the bank entry reader: format by detection, lines upper-cased.
  SeqInfo info;
  int n = info.readSeq(kBank, 0);
  FUZZ_CHECK(n == 0 || n == info.getNum());
  if (n) {
    for (int i = 0; i < info.getNum(); i++)
      for (const char *p = info[i]; *p; p++) FUZZ_CHECK(!(*p >= 'a' && *p <= 'z'));
  }
  exercise(info);

  fuzzNames(std::string(reinterpret_cast<const char *>(data), size));
  return 0;
}
