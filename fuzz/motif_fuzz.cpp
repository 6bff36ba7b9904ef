// Motif files: blocks read one after another, each written back and read again (the
// writer and the reader must agree), and the chain operations the programs apply to
// what they read.
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "motif.h"

namespace {

constexpr const char *kMotifs = "motifs.txt";
constexpr int kMaxBlocks = 100000;

int chainLength(const Supermotif &s) {
  int n = 0;
  for (const Motif *m = s.first; m; m = m->next) n++;
  return n;
}

std::string written(Supermotif &s) {
  char *buf = nullptr;
  size_t n = 0;
  FILE *f = open_memstream(&buf, &n);
  s.printSuper(f);
  std::fclose(f);
  std::string out(buf, n);
  std::free(buf);
  return out;
}

// Reads the one block of text back.
void readBack(const std::string &text, Supermotif &s) {
  FILE *f = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
  FUZZ_CHECK(s.load(f) == 1);
  std::fclose(f);
}

void sameChain(const Supermotif &a, const Supermotif &b) {
  FUZZ_CHECK(!std::strcmp(a.qAdr, b.qAdr) && !std::strcmp(a.bAdr, b.bAdr));
  FUZZ_CHECK(a.qNum == b.qNum && a.bNum == b.bNum && a.numMot == b.numMot);
  const Motif *m = a.first, *n = b.first;
  for (; m && n; m = m->next, n = n->next) {
    FUZZ_CHECK(m->qBeg == n->qBeg && m->bBeg == n->bBeg && m->len == n->len);
    FUZZ_CHECK(m->sum == n->sum && m->pow == n->pow && m->frame == n->frame);
  }
  FUZZ_CHECK(!m && !n);
}

void operate(const Supermotif &read) {
  Supermotif s;
  s.copy(&read);
  sameChain(read, s);
  (void)s.supLen();
  (void)getParam(&s, 0);
  (void)getParam(&s, 1);
  for (Motif *m = s.first; m; m = m->next) {
    (void)getParam(m, 0);
    (void)getParam(m, 1);
    (void)m->equal(s.first);
  }
  s.glueMot();
  FUZZ_CHECK(s.numMot == chainLength(s));
  s.reverse(read.first ? read.first->bBeg : 0);
  s.unTransl();
  s.chgQB();
  s.update("query.fa", 7, 'd');
  for (const Motif *m = s.first; m; m = m->next) FUZZ_CHECK(m->frame == 'd');
  FILE *out = fuzzutil::sink();
  s.printSuper(out, "q.fa", 3, '+');
  s.printSuper(out, nullptr, 0, 'a');
  std::fclose(out);
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzutil::writeFile(kMotifs, data, size);
  FILE *f = std::fopen(kMotifs, "rb");
  // The whole-file check reads any text to its end and hands the file back at its start.
  (void)motifFileWhole(f, kMotifs);
  FUZZ_CHECK(std::ftell(f) == 0);
  Supermotif s;
  int blocks = 0;
  while (blocks < kMaxBlocks) {
    s.del();
    if (!s.load(f)) break;
    blocks++;
    // A block read is a valid supermotif: addresses and a chain of numMot motifs.
    FUZZ_CHECK(s.qAdr && s.bAdr && s.first);
    FUZZ_CHECK(s.numMot >= 1 && s.numMot == chainLength(s));

    // Written and read again, it gives the same block, and writing that gives the same text.
    const std::string once = written(s);
    Supermotif back;
    readBack(once, back);
    sameChain(s, back);
    FUZZ_CHECK(written(back) == once);
    operate(s);
  }
  // After the last block the supermotif keeps what it held.
  FUZZ_CHECK(s.load(f) == 0);
  std::fclose(f);

  // Single motif lines.
  f = std::fopen(kMotifs, "rb");
  Motif m;
  for (int i = 0; i < kMaxBlocks && !std::feof(f); i++) (void)m.load(f);
  std::fclose(f);
  return 0;
}
