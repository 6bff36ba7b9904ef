// Bank files of any of the six formats: format detection, molecule type, the six entry
// readers run entry after entry, the open bank (SeqBase) and the row extractors.
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "seqbase.h"

using fuzzutil::cLines;

namespace {

constexpr const char *kBank = "bank.dat";
// More entries than any input of the fuzzer's size can hold: a reader that stops consuming
// input would otherwise loop for ever.
constexpr int kMaxEntries = 100000;

bool isResidue(char c) { return (c >= 'A' && c <= 'Z') || c == '*'; }

// A sequence read from a flat entry holds only upper-case letters and '*'.
void checkResidues(const WorkSeq &w) {
  FUZZ_CHECK(w.len() >= 0);
  if (w.len() == 0) return;
  FUZZ_CHECK(w.seq() != nullptr);
  FUZZ_CHECK((int)std::strlen(w.seq()) == w.len());
  for (int i = 0; i < w.len(); i++) FUZZ_CHECK(isResidue(w.seq()[i]));
}

// Rows of a PRINTS, BLOCKS or Pfam entry: each ends with a line feed, none is empty.
void checkRows(const WorkSeq &w) {
  FUZZ_CHECK(w.len() >= 0);
  if (w.len() == 0) return;
  FUZZ_CHECK((int)std::strlen(w.seq()) == w.len());
  FUZZ_CHECK(w.seq()[w.len() - 1] == '\n');
  FUZZ_CHECK(w.seq()[0] != '\n');
}

// The caller's 1024-byte name buffer is filled up to its size, never past it.
void checkName(const char *name) { FUZZ_CHECK(memchr(name, 0, 1024) != nullptr); }

// Runs one reader over the whole file, entry after entry. Only a reader of entries closed by
// "//" (mayCut) tells an entry cut short, and only when the file ended inside it.
template <class Read, class Check>
void readAll(Read read, Check check, bool mayCut = false) {
  FILE *f = std::fopen(kBank, "rb");
  if (!f) std::abort();
  WorkSeq w;
  long last = -1;
  for (int i = 0; i < kMaxEntries; i++) {
    int r = read(w, f);
    FUZZ_CHECK(r == kReadEntry || r == kReadNone || r == kReadEmpty || (mayCut && r == kReadCut));
    if (r == kReadCut) FUZZ_CHECK(std::feof(f));
    else FUZZ_CHECK((r != kReadEntry) == (w.len() == 0));
    check(w);
    long pos = std::ftell(f);
    if (std::feof(f) || pos == last) break;
    last = pos;
  }
  std::fclose(f);
}

// SeqBase ends the run (exit 99) for a compressed or binary file and for one without a FASTA,
// Swiss-Prot or GenBank line; that documented exit is not a finding. Same tests as the bank's
// own detection.
bool seqBaseAccepts(const std::string &text) {
  FILE *f = std::fopen(kBank, "rb");
  const int kind = fileKind(f);
  std::fclose(f);
  if (kind != kKindText) return false;
  for (const std::string &line : cLines(fuzzutil::asRead(text))) {
    const char *p = line.c_str() + std::strspn(line.c_str(), " \t\r\n");
    if (*p == '>' || !std::strncmp(p, "SQ  ", 4) || !std::strncmp(p, "ORIGIN", 6)) return true;
  }
  return false;
}

void fuzzSeqBase() {
  {
    SeqBase bank(kBank);
    FUZZ_CHECK(bank.valid());
    FUZZ_CHECK(bank.getMolType() == 0 || bank.getMolType() == 1);
    int size = bank.getSize();
    FUZZ_CHECK(size >= 0);
    WorkSeq w;
    char name[1024];
    int handle = -1, n = 0, r;
    while (n < kMaxEntries && (r = bank.next(w, name, handle)) != kBankEnd) {
      FUZZ_CHECK(r == kEntryRead || r == kEntryEmpty);
      FUZZ_CHECK(handle == 0);
      FUZZ_CHECK((w.len() > 0) == (r == kEntryRead));
      FUZZ_CHECK(w.frame == '+');
      checkResidues(w);
      checkName(name);
      n++;
    }
    FUZZ_CHECK(n < kMaxEntries);
    // The end of the bank is sticky.
    if (n < kMaxEntries) FUZZ_CHECK(bank.next(w, name, handle) == kBankEnd);
    FUZZ_CHECK(bank.getSize() == size);
  }
  {
    SeqBase bank(kBank);
    SeqInfo info;
    for (int i = 0; i < kMaxEntries && bank.next(info) > 0; i++) {
      FUZZ_CHECK(info.getNum() <= SeqInfo::kMaxLines);
      const char *de = info.getDE();
      FUZZ_CHECK(de != nullptr);
    }
  }
}

void fuzzExtractors(const std::string &text) {
  for (const std::string &line : cLines(text)) {
    char *(*extr[])(char *) = {extrPrin, extrBlock, extrPFam};
    for (auto fn : extr) {
      std::vector<char> buf = fuzzutil::exactCopy(line);
      char *row = fn(buf.data());
      if (!row) continue;
      FUZZ_CHECK(row >= buf.data() && row < buf.data() + buf.size());
      size_t n = std::strlen(row);
      FUZZ_CHECK(n >= 2 && row[n - 1] == '\n');
    }
  }
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzutil::writeFile(kBank, data, size);
  const std::string text(reinterpret_cast<const char *>(data), size);

  int mt = getMolType(text.data(), (int)size);
  FUZZ_CHECK(mt == 0 || mt == 1);

  {
    FILE *f = std::fopen(kBank, "rb");
    std::fseek(f, (long)(size / 2), SEEK_SET);
    int fmt = getFormat(f);
    FUZZ_CHECK(fmt == -1 || (fmt >= 1 && fmt <= 6));
    FUZZ_CHECK(std::ftell(f) == (long)(size / 2));  // the caller's position is kept
    std::fclose(f);
  }

  char name[1024];
  readAll([&](WorkSeq &w, FILE *f) { return w.readFast(f, name); },
          [&](const WorkSeq &w) { checkResidues(w); checkName(name); });
  readAll([&](WorkSeq &w, FILE *f) { return w.readSwis(f, name); },
          [&](const WorkSeq &w) { checkResidues(w); checkName(name); }, true);
  readAll([&](WorkSeq &w, FILE *f) { return w.readGenb(f, name); },
          [&](const WorkSeq &w) { checkResidues(w); checkName(name); }, true);
  readAll([](WorkSeq &w, FILE *f) { return w.readPrints(f); }, checkRows);
  readAll([](WorkSeq &w, FILE *f) { return w.readBlocks(f); }, checkRows);
  readAll([](WorkSeq &w, FILE *f) { return w.readPFam(f); }, checkRows);

  // No index beside the bank: only entry 0 is found.
  WorkSeq w;
  int n = w.readSeq(kBank, 0);
  FUZZ_CHECK(n == w.len());
  FUZZ_CHECK(w.readSeq(kBank, 1) == 0);
  FUZZ_CHECK(w.len() == n);  // a failed read keeps what was held

  if (seqBaseAccepts(text)) fuzzSeqBase();
  fuzzExtractors(text);
  return 0;
}
