// Open banks: a FASTA, Swiss-Prot/EMBL or GenBank file read one sequence (or one header) at a
// time.
#include "seqbase.h"

#include <stdio_ext.h>
#include <sys/types.h>

#include <cstring>

#include "errormsg.h"

namespace {

inline bool begins(const char *s, const char *tag) { return strncmp(s, tag, strlen(tag)) == 0; }

inline const char *skipBlanks(const char *p) { return p + strspn(p, " \t\r\n"); }

}  // namespace

SeqBase::SeqBase(const char *_name) {
  f = openInput(_name);
  if (!f) return;
  // Banks are read through from end to end, again for every query: large reads, and no lock
  // per line (one thread reads a bank).
  setvbuf(f, nullptr, _IOFBF, 1 << 18);
  __fsetlocking(f, FSETLOCKING_BYCALLER);
  name = _strdup_(_name);
  // A compressed or binary file may hold a '>' after a line feed by chance: refused first.
  const int kind = fileKind(f);
  if (const char *packer = packerName(kind)) fatalExit(kExitBadFormat, kCompressedMsg, name, packer);
  if (kind == kKindBinary) fatalExit(kExitBadFormat, kUnknownFormatMsg, name);
  format = detectType(f, molType);
  size = -1;
  _valid = 1;
}

SeqBase::~SeqBase() {
  delete[] name;
  if (f) fclose(f);
}

int SeqBase::detectType(FILE *_f, int &_molType) {
  int fmt = 0;
  LineBuf b;  // `line` may hold the header next() has read ahead
  while (getRawLine(_f, b)) {
    const char *p = skipBlanks(b.s);
    if (*p == '>')
      fmt = kFormatFasta;
    else if (begins(p, "SQ  "))
      fmt = kFormatSwiss;
    else if (begins(p, "ORIGIN"))
      fmt = kFormatGenBank;
    if (fmt) break;
  }
  rewind(_f);
  WorkSeq first;
  char nm[1024];
  // Entries without residues say nothing of the bank's molecule type.
  int r;
  do {
    r = readEntry(first, _f, fmt, nm, b);
  } while (r == kReadEmpty);
  if (r < 0) fatalExit(kExitBadFormat, kUnknownFormatMsg, name ? name : "");
  _molType = ::getMolType(first.seq(), first.len());
  rewind(_f);
  if (_f == f) pending = false;
  return fmt;
}

int SeqBase::next(WorkSeq &seq, char *_name, int &handle) {
  handle = 0;
  if (!f) return 0;
  const int r = readEntry(seq, f, format, _name, line, &pending);
  if (r < 0) fatalExit(kExitBadFormat, "\n Unknown bank format %d", format);
  if (r == kReadNone) return kBankEnd;
  const int num = entries++;
  if (r == kReadCut) {
    // Searched as it stands, the part would pass for the whole entry.
    printCutEntry(name ? name : "", num, _name);
    seq.setLen(1);
    return kEntryEmpty;
  }
  return r == kReadEntry ? kEntryRead : kEntryEmpty;
}

int SeqBase::next(SeqInfo &info) {
  if (!f) return 0;
  if (format == kFormatSwiss) return info.readSwis(f);
  if (format == kFormatGenBank) return info.readGenb(f);
  return 0;
}

int SeqBase::getSize() {
  if (size < 0) countSize();
  return size;
}

void SeqBase::countSize() {
  if (!f) return;
  off_t pos = ftello(f);
  rewind(f);
  size = 0;
  LineBuf b;  // `line` may hold the header next() has read ahead
  while (getRawLine(f, b)) {
    if (format == kFormatFasta ? *skipBlanks(b.s) == '>'
                               : begins(b.s, format == kFormatSwiss ? "SQ" : "OR"))
      size++;
  }
  if (pos >= 0) fseeko(f, pos, SEEK_SET);
}

void SeqBase::saveSubBase(int num, const int *list, const char *subName) {
  FILE *out = fopen(subName, "w");
  if (!out) return;
  fprintf(out, "SubBase of %s", name ? name : "");
  for (int i = 0; i < num; i++) fprintf(out, "\n%d", list[i]);
  checkWrite(out, subName);
  fclose(out);
}

