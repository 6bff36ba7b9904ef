// The working sequence and its readers.
//
// Contents, in order:
//   residues        the residue filter (keepResidues, delEmpty) and the molecule type
//   editing         WorkSeq: copy, cut, reverse complement, print, lastFrame
//   entry readers   one reader per bank format (FASTA, Swiss-Prot/EMBL, GenBank, PRINTS,
//                   BLOCKS, Pfam) and the rows of the alignment formats (extrPrin ...)
//   dispatch        readEntry, the one switch over the formats, and the readers by name
#include "work_seq.h"

#include <sys/types.h>

#include <cstdlib>
#include <cstring>

#include "bank_file.h"
#include "intrin.h"
#include "params.h"

// ---------------------------------------------------------------- residues

namespace {
// Letter -> upper case, '*' -> '*', everything else 0.
struct ResidueTable {
  unsigned char map[256];
};
constexpr ResidueTable makeResidueTable() {
  ResidueTable t{};
  for (int c = 'A'; c <= 'Z'; c++) t.map[c] = (unsigned char)c;
  for (int c = 'a'; c <= 'z'; c++) t.map[c] = (unsigned char)(c - 'a' + 'A');
  t.map[(unsigned char)'*'] = '*';
  return t;
}
constexpr ResidueTable kResidue = makeResidueTable();
}  // namespace

namespace {

int keepPlain(char *buf, long n) {
  int k = 0;
  for (long i = 0; i < n && buf[i]; i++) {
    unsigned char c = kResidue.map[(unsigned char)buf[i]];
    if (c) buf[k++] = (char)c;
  }
  return k;
}

#if SEQ_VECTOR
// 64 bytes at a time: letters upper-cased, '*' kept, the rest dropped by one compression.
__attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt"))) int keepWide(char *buf, long n) {
  const __m512i zero = _mm512_setzero_si512();
  long k = 0;
  for (long i = 0; i < n; i += 64) {
    __mmask64 m = n - i >= 64 ? ~0ULL : (1ULL << (n - i)) - 1;
    const __m512i c = _mm512_maskz_loadu_epi8(m, buf + i);
    const __mmask64 nul = _mm512_mask_cmpeq_epi8_mask(m, c, zero);
    if (nul) m &= (nul & (0 - nul)) - 1;  // the bytes before the first NUL
    const __m512i low = _mm512_or_si512(c, _mm512_set1_epi8(0x20));
    const __mmask64 letter = _mm512_mask_cmplt_epu8_mask(
        m, _mm512_sub_epi8(low, _mm512_set1_epi8('a')), _mm512_set1_epi8(26));
    const __mmask64 keep = letter | _mm512_mask_cmpeq_epi8_mask(m, c, _mm512_set1_epi8('*'));
    const __m512i up = _mm512_and_si512(c, _mm512_set1_epi8((char)0xDF));
    const __m512i kept = _mm512_maskz_compress_epi8(keep, _mm512_mask_mov_epi8(c, letter, up));
    const int cnt = __builtin_popcountll(keep);
    _mm512_mask_storeu_epi8(buf + k, cnt == 64 ? ~0ULL : (1ULL << cnt) - 1, kept);
    k += cnt;
    if (nul) break;
  }
  return (int)k;
}
#endif

}  // namespace

int keepResidues(char *buf, long n, VectorForm form) {
  if (n <= 0) return 0;
#if SEQ_VECTOR
  if (useWide(form, kWideKeepResidues)) return keepWide(buf, n);
#endif
  (void)form;
  return keepPlain(buf, n);
}

char *delEmpty(char *buf, int *len) {
  const int k = keepResidues(buf, (long)strlen(buf));
  buf[k] = 0;
  if (len) *len = k;
  return buf;
}

int getMolType(const char *seq, int len) {
  if (!seq) return 0;
  long long letters = 0, nuc = 0;
  for (int i = 0; i < len; i++) {
    unsigned char c = kResidue.map[(unsigned char)seq[i]];
    if (c == 0 || c == '*') continue;
    letters++;
    if (c == 'A' || c == 'G' || c == 'C' || c == 'U' || c == 'T') nuc++;
  }
  if (letters == 0) return 0;
  return 20 * nuc >= 17 * letters ? 1 : 0;
}

// ---------------------------------------------------------------- editing

WorkSeq::WorkSeq(const WorkSeq &o) : BankSeq() {
  BasicString<char>::operator=(o);
  frame = o.frame;
}

int WorkSeq::cut(const BankSeq &src, int From, int To) {
  if (From < 0) From = 0;
  if (To > src.len()) To = src.len();
  if (To <= From) return 1;
  if (!src.seq()) {
    set(nullptr, 0);
  } else {
    set(src.seq() + From, To - From);
  }
  frame = src.frame;
  return 0;
}

int WorkSeq::reverse() {
  char *p = seq();
  int n = len();
  if (!p || n <= 0) return 1;
  for (int i = 0; i < n; i++) {
    switch (p[i]) {
      case 'A': p[i] = 'T'; break;
      case 'T': p[i] = 'A'; break;
      case 'C': p[i] = 'G'; break;
      case 'G': p[i] = 'C'; break;
      default: break;
    }
  }
  for (int i = 0, j = n - 1; i < j; i++, j--) {
    char c = p[i];
    p[i] = p[j];
    p[j] = c;
  }
  return 1;
}

void WorkSeq::print(FILE *fout, int format, const char *sign) {
  int n = len() > 0 ? len() : 0;
  if (format == kFormatSwiss) {
    fprintf(fout, "SQ   SEQUENCE%6d AA;\n", n);
  } else if (format == kFormatGenBank) {
    if (sign)
      fprintf(fout, "SQ   SEQUENCE%6d %s;\n", n, sign);
    else
      fprintf(fout, "ORIGIN\n");
  } else {
    return;
  }
  const char *p = seq();
  for (int off = 0; off < n;) {
    fputs("    ", fout);
    for (int g = 0; g < 6 && off < n; g++, off += 10) fprintf(fout, " %-.10s", p + off);
    fputs("\n", fout);
  }
  fputs("//\n", fout);
}

void WorkSeq::print() {
  printf("\n %4d  >%.*s", len(), len() > 0 ? len() : 0, seq() ? seq() : "");
}

int WorkSeq::lastFrame(int _reverse, int toNextSeq) const {
  if (!toNextSeq) return frame == '+' || frame == '-' || frame == 'c' || frame == 'f';
  if (!_reverse) return frame == '+' || frame == 'c';
  return frame == '-' || frame == 'f';
}

// ---------------------------------------------------------------- entry readers

namespace {

constexpr const char *kBlanks = " \t\r\n";

inline bool begins(const char *s, const char *tag) { return strncmp(s, tag, strlen(tag)) == 0; }

inline const char *skipBlanks(const char *p) { return p + strspn(p, kBlanks); }

// Copies a name of n characters into the caller's 1024-byte buffer, never past it.
void copyName(char *name, const char *p, size_t n) {
  if (n > 1023) n = 1023;
  memcpy(name, p, n);
  name[n] = 0;
}

// First token at or after p: its start (null when none) and length in n.
char *tokenAt(char *p, const char *delims, size_t &n) {
  p += strspn(p, delims);
  if (!*p) return nullptr;
  n = strcspn(p, delims);
  return p;
}

// Second token of the line.
char *secondToken(char *line, const char *delims, size_t &n) {
  char *t = tokenAt(line, delims, n);
  if (!t) return nullptr;
  return tokenAt(t + n, delims, n);
}

// Turns the token [t, t+n) of a line into a row "token\n" inside the same buffer. A token
// that ends the string moves one place left (over the delimiter or ')' before it) so that
// the row never writes past the string.
char *asRow(char *t, size_t n) {
  if (t[n]) {
    t[n] = '\n';
    t[n + 1] = 0;
    return t;
  }
  memmove(t - 1, t, n);
  t[n - 1] = '\n';
  t[n] = 0;
  return t - 1;
}

inline void appendResidues(WorkSeq &w, LineBuf &b) {
  const int m = keepResidues(b.s, b.n);
  if (m) w.append(b.s, m);
}

// Puts the line just read back, so that the next read starts with it.
inline void unread(FILE *f, const LineBuf &b) { fseeko(f, -(off_t)b.n, SEEK_CUR); }

// With `pending`, the next entry's header line is kept in b (and *pending set) rather than
// put back into the stream, and a call that finds *pending set starts from it: a bank read
// entry after entry then never seeks.
int readFastImpl(WorkSeq &w, FILE *f, char *name, LineBuf &b, bool *pending) {
  w.setLen(1);
  bool held = pending && *pending;
  if (pending) *pending = false;
  for (;; held = false) {
    if (!held && !getRawLine(f, b)) return kReadNone;
    const char *p = skipBlanks(b.s);
    if (*p == '>') {
      copyName(name, p, strcspn(p, kBlanks));
      break;
    }
  }
  while (getRawLine(f, b)) {
    if (*skipBlanks(b.s) == '>') {
      if (pending)
        *pending = true;
      else
        unread(f, b);
      break;
    }
    appendResidues(w, b);
  }
  w.frame = '+';
  return w.len() == 0 ? kReadEmpty : kReadEntry;
}

// Swiss-Prot/EMBL (idTag "ID", seqTag "SQ  ") and GenBank ("LOCUS", "ORIGIN").
int readFlatImpl(WorkSeq &w, FILE *f, char *name, LineBuf &b, const char *idTag,
                 const char *seqTag) {
  w.setLen(1);
  bool atSeq = false, atId = false;
  while (getRawLine(f, b)) {
    if (begins(b.s, seqTag)) {
      atSeq = true;
      break;
    }
    if (begins(b.s, idTag)) {
      atId = true;
      // Names split on blanks only (a tab stays inside); the line end is not kept.
      size_t n = 0;
      char *t = secondToken(b.s, " ", n);
      if (t) {
        n = strcspn(t, "\r\n") < n ? strcspn(t, "\r\n") : n;
        copyName(name, t, n);
      } else {
        name[0] = 0;
      }
    }
  }
  w.frame = '+';
  // An entry ends its header at the sequence tag; without one there is no entry, unless
  // the file ends inside one.
  if (!atSeq) return atId ? kReadCut : kReadNone;
  while (getRawLine(f, b)) {
    if (begins(b.s, "//")) return w.len() == 0 ? kReadEmpty : kReadEntry;
    appendResidues(w, b);
  }
  return kReadCut;
}

int readPrintsImpl(WorkSeq &w, FILE *f, LineBuf &b) {
  w.setLen(1);
  bool first = false;
  while (getRawLine(f, b)) {
    if (begins(b.s, "fd;")) {
      first = true;
      break;
    }
  }
  if (!first) return kReadNone;
  do {
    if (!begins(b.s, "fd;")) break;
    if (const char *row = extrPrin(b.s)) w += row;
  } while (getRawLine(f, b));
  return w.len() == 0 ? kReadEmpty : kReadEntry;
}

int readBlocksImpl(WorkSeq &w, FILE *f, LineBuf &b) {
  w.setLen(1);
  bool found = false;
  while (getRawLine(f, b)) {
    if (begins(b.s, "BL ")) {
      found = true;
      break;
    }
  }
  if (!found) return kReadNone;
  while (getRawLine(f, b)) {
    if (begins(b.s, "//")) break;
    if (const char *row = extrBlock(b.s)) w += row;
  }
  return w.len() == 0 ? kReadEmpty : kReadEntry;
}

int readPFamImpl(WorkSeq &w, FILE *f, LineBuf &b) {
  w.setLen(1);
  bool found = false;
  while (getRawLine(f, b)) {
    if (b.s[0] != '#' && b.s[0] != '/') {
      found = true;
      break;
    }
  }
  if (!found) return kReadNone;
  do {
    if (b.s[0] == '/') break;
    if (b.s[0] == '#') continue;
    if (const char *row = extrPFam(b.s)) w += row;
  } while (getRawLine(f, b));
  return w.len() == 0 ? kReadEmpty : kReadEntry;
}

}  // namespace

char *extrPrin(char *buf) {
  size_t n = 0;
  char *t = secondToken(buf, kBlanks, n);
  return t ? asRow(t, n) : nullptr;
}

char *extrBlock(char *buf) {
  char *p = strchr(buf, ')');
  if (!p) return nullptr;
  size_t n = 0;
  char *t = tokenAt(p + 1, " \n\t\r", n);
  return t ? asRow(t, n) : nullptr;
}

char *extrPFam(char *buf) {
  size_t n = 0;
  char *t = secondToken(buf, kBlanks, n);
  if (!t) return nullptr;
  for (size_t i = 0; i < n; i++)
    if (t[i] == '.') t[i] = '-';
  return asRow(t, n);
}

// ---------------------------------------------------------------- dispatch

int readEntry(WorkSeq &w, FILE *f, int format, char *name, LineBuf &b, bool *pending) {
  switch (format) {
    case kFormatFasta: return readFastImpl(w, f, name, b, pending);
    case kFormatSwiss: return readFlatImpl(w, f, name, b, "ID", "SQ  ");
    case kFormatGenBank: return readFlatImpl(w, f, name, b, "LOCUS", "ORIGIN");
    case kFormatPrints: return readPrintsImpl(w, f, b);
    case kFormatBlocks: return readBlocksImpl(w, f, b);
    case kFormatPfam: return readPFamImpl(w, f, b);
    default: return -1;
  }
}

int WorkSeq::readFast(FILE *f, char *name) {
  LineBuf b;
  return readEntry(*this, f, kFormatFasta, name, b);
}

int WorkSeq::readSwis(FILE *f, char *name) {
  LineBuf b;
  return readEntry(*this, f, kFormatSwiss, name, b);
}

int WorkSeq::readGenb(FILE *f, char *name) {
  LineBuf b;
  return readEntry(*this, f, kFormatGenBank, name, b);
}

int WorkSeq::readPrints(FILE *f) {
  LineBuf b;
  return readEntry(*this, f, kFormatPrints, nullptr, b);
}

int WorkSeq::readBlocks(FILE *f) {
  LineBuf b;
  return readEntry(*this, f, kFormatBlocks, nullptr, b);
}

int WorkSeq::readPFam(FILE *f) {
  LineBuf b;
  return readEntry(*this, f, kFormatPfam, nullptr, b);
}

int WorkSeq::readSeq(const char *adrBase, int _num, EntryLog *log) {
  int format = kFormatUnknown;
  FILE *bank = openBankEntry(adrBase, _num, log, &format);
  if (!bank) return 0;
  LineBuf b;
  char name[1024] = "";
  WorkSeq got;
  got.frame = frame;  // the alignment readers leave it
  const int r = readEntry(got, bank, format, name, b);
  fclose(bank);
  if (r == kReadCut) {
    if (log) log->cutShort(adrBase, _num, name);
    return 0;
  }
  *this = got;
  return len();
}
