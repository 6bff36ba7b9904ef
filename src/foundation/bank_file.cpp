// Bank files: the format of an open file, the opening of one entry through the bank's ".idx"
// index with the check that its record fits the bank, the log of the entries asked for, the
// opening of an input file, and file names with another extension.
#include "bank_file.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "params.h"

namespace {

constexpr const char *kBlanks = " \t\r\n";

inline bool begins(const char *s, const char *tag) { return strncmp(s, tag, strlen(tag)) == 0; }

inline bool beginsI(const char *s, const char *tag) {
  return strnicmp(s, tag, (int)strlen(tag)) == 0 && strlen(s) >= strlen(tag);
}

// A non-negative decimal of at most 18 digits.
bool parseOffset(const char *t, long long &v) {
  if (!t || !*t) return false;
  size_t n = strlen(t);
  if (n > 18 || strspn(t, "0123456789") != n) return false;
  v = strtoll(t, nullptr, 10);
  return true;
}

}  // namespace

char *chExt(const char *name, const char *ext) {
  size_t n = strlen(name), e = strlen(ext);
  size_t keep = n;
  for (size_t i = n; i > 0; i--) {
    char c = name[i - 1];
    if (c == '/' || c == '\\') break;
    if (c == '.') {
      keep = i - 1;
      break;
    }
  }
  char *out = new char[n + e + 1];
  memcpy(out, name, keep);
  memcpy(out + keep, ext, e + 1);
  return out;
}

FILE *openInput(const char *path, const char *mode) {
  if (!path) return nullptr;
  FILE *f = fopen(path, mode);
  if (!f) return nullptr;
  struct stat st;
  if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
    fclose(f);
    errno = EISDIR;
    return nullptr;
  }
  return f;
}

int fileKind(FILE *f) {
  const off_t pos = ftello(f);
  rewind(f);
  unsigned char b[4096];
  const size_t n = fread(b, 1, sizeof b, f);
  clearerr(f);
  if (pos >= 0) fseeko(f, pos, SEEK_SET);
  auto magic = [&](const char *m, size_t k) { return n >= k && memcmp(b, m, k) == 0; };
  if (magic("\x1f\x8b", 2)) return kKindGzip;
  if (magic("BZh", 3) && n > 3 && b[3] >= '1' && b[3] <= '9') return kKindBzip2;
  if (magic("\xfd" "7zXZ\x00", 6)) return kKindXz;
  if (magic("\x28\xb5\x2f\xfd", 4)) return kKindZstd;
  if (magic("PK\x03\x04", 4)) return kKindZip;
  return memchr(b, 0, n) ? kKindBinary : kKindText;
}

const char *packerName(int kind) {
  static constexpr const char *kPacker[] = {nullptr, "gzip", "bzip2", "xz", "zstd", "zip"};
  return kind > kKindText && kind < kKindBinary ? kPacker[kind] : nullptr;
}

void printUnknownFormat(const char *path, int kind) {
  if (const char *packer = packerName(kind))
    printf(kCompressedMsg, path, packer);
  else
    printf(kUnknownFormatMsg, path);
}

int getFormat(FILE *fin) {
  off_t pos = ftello(fin);
  rewind(fin);
  LineBuf b;
  int code = kFormatUnknown;
  while (code == kFormatUnknown && getRawLine(fin, b)) {
    const char *s = b.s;
    if (s[0] == '>')
      code = kFormatFasta;
    else if (begins(s, "SQ  "))
      code = kFormatSwiss;
    else if (begins(s, "ORIGIN"))
      code = kFormatGenBank;
    else if (begins(s, "fc;"))
      code = kFormatPrints;
    else if (strstr(s, "Blocks Database"))
      code = kFormatBlocks;
    else if (begins(s, "# STOCKHOLM"))
      code = kFormatPfam;
  }
  if (pos >= 0) fseeko(fin, pos, SEEK_SET);
  return code;
}

namespace {

// The line before `off` (which starts a line) begins with "//", or off is 0: the start of an
// entry that has no identification line.
bool afterEntryEnd(FILE *f, off_t off) {
  if (off == 0) return true;
  char w[4096];
  const off_t from = off > (off_t)sizeof w ? off - (off_t)sizeof w : 0;
  if (fseeko(f, from, SEEK_SET) != 0) return false;
  const size_t n = fread(w, 1, (size_t)(off - from), f);
  if (n != (size_t)(off - from) || n == 0 || w[n - 1] != '\n') return false;
  size_t at = n - 1;
  while (at > 0 && w[at - 1] != '\n') at--;
  if (at == 0 && from > 0) return false;  // a line longer than the window: no "//" line
  return n - at >= 2 && w[at] == '/' && w[at + 1] == '/';
}

// Scans lines from the current position: true when a line beginning (in either case) with
// `want` comes before any line beginning with one of `stop` (case-sensitive, null-ended).
bool metBefore(FILE *f, LineBuf &b, const char *want, const char *const *stop) {
  while (getRawLine(f, b)) {
    if (beginsI(b.s, want)) return true;
    for (const char *const *t = stop; *t; t++)
      if (begins(b.s, *t)) return false;
  }
  return false;
}

// Whether byte `off` of the bank begins an entry of `format`, as the index writer places
// entries and the header readers expect them.
bool entryStartsAt(FILE *bank, off_t off, int format) {
  if (off > 0) {
    if (fseeko(bank, off - 1, SEEK_SET) != 0 || getc(bank) != '\n') return false;
  } else if (fseeko(bank, 0, SEEK_SET) != 0) {
    return false;
  }
  LineBuf b;
  static constexpr const char *kPrintsStop[] = {"fd;", nullptr};
  static constexpr const char *kBlocksStop[] = {"BL ", "//", nullptr};
  bool fits = false;
  switch (format) {
    case kFormatFasta:
      fits = getRawLine(bank, b) && b.s[strspn(b.s, kBlanks)] == '>';
      break;
    case kFormatSwiss: fits = getRawLine(bank, b) && begins(b.s, "ID"); break;
    case kFormatGenBank: fits = getRawLine(bank, b) && begins(b.s, "LOCUS"); break;
    case kFormatPrints: fits = metBefore(bank, b, "fc;", kPrintsStop); break;
    case kFormatBlocks: fits = metBefore(bank, b, "ID ", kBlocksStop); break;
    case kFormatPfam: fits = getRawLine(bank, b) && beginsI(b.s, "#=GF ID"); break;
    default: return false;
  }
  if (!fits && format != kFormatFasta && format != kFormatPrints) fits = afterEntryEnd(bank, off);
  return fits && fseeko(bank, off, SEEK_SET) == 0;
}

enum RecordFault { kRecordOk, kRecordMissing, kRecordUnfit };

// Reads record _num of the index and places the bank at its offset when it fits.
RecordFault seekRecord(FILE *idx, FILE *bank, int _num, int format) {
  if (fseeko(idx, (off_t)128 + (off_t)32 * _num, SEEK_SET) != 0) return kRecordMissing;
  LineBuf b;
  if (!getRawLine(idx, b)) return kRecordMissing;
  char *pos = b.s;
  long long k = -1, off = -1;
  if (!parseOffset(nextToken(pos, kBlanks), k) || k != _num ||
      !parseOffset(nextToken(pos, kBlanks), off))
    return kRecordUnfit;
  struct stat st;
  if (fstat(fileno(bank), &st) != 0 || off >= (long long)st.st_size) return kRecordUnfit;
  return entryStartsAt(bank, (off_t)off, format) ? kRecordOk : kRecordUnfit;
}

}  // namespace

FILE *openBankEntry(const char *adrBase, int _num, EntryLog *log, int *format) {
  if (log) log->ask(adrBase ? adrBase : "", _num);
  auto fail = [&](FILE *bank) -> FILE * {
    if (bank) fclose(bank);
    if (log) log->fail(adrBase ? adrBase : "", _num);
    return nullptr;
  };
  if (!adrBase || _num < 0) return fail(nullptr);
  FILE *bank = openInput(adrBase);
  if (!bank) return fail(nullptr);
  const int kind = fileKind(bank);
  const int fmt = kind == kKindText ? getFormat(bank) : kFormatUnknown;
  if (format) *format = fmt;
  if (fmt == kFormatUnknown) {
    if (log) log->unknownFormat(adrBase, kind);
    return fail(bank);
  }
  const std::string idxPath = indexPath(adrBase);
  const char *idxName = idxPath.c_str();
  FILE *idx = openInput(idxName);
  if (!idx) {
    if (_num != 0 && log) log->noIndex(adrBase, idxName);
    return _num == 0 ? bank : fail(bank);
  }
  const RecordFault fault = seekRecord(idx, bank, _num, fmt);
  fclose(idx);
  if (fault == kRecordUnfit && log) log->unfit(adrBase, idxName);
  if (fault == kRecordMissing && log) log->noRecord(adrBase, idxName, _num);
  return fault == kRecordOk ? bank : fail(bank);
}

// ---------------------------------------------------------------- the log of the entries

bool EntryLog::tellOnce(char fault, const char *bank) {
  return told_.insert(std::string(1, fault) + bank).second;
}

void EntryLog::ask(const char *bank, int num) {
  asked_.emplace(bank, num);
  lastFailed_ = false;
}

void EntryLog::fail(const char *bank, int num) {
  bad_.emplace(bank, num);
  lastFailed_ = true;
}

void EntryLog::noIndex(const char *bank, const char *idx) {
  if (tellOnce('i', bank))
    printf("\n No index file %s: entries of %s past 0 can't be read; make it with tools/mkidx.py",
           idx, bank);
}

void EntryLog::unfit(const char *bank, const char *idx) {
  if (tellOnce('u', bank))
    printf("\n Index %s of bank %s does not fit; remake it with tools/mkidx.py", idx, bank);
}

void EntryLog::noRecord(const char *bank, const char *idx, int num) {
  if (tellOnce('r', bank)) printf("\n Index %s of bank %s holds no entry %d", idx, bank, num);
}

void EntryLog::unknownFormat(const char *bank, int kind) {
  if (tellOnce('f', bank)) printUnknownFormat(bank, kind);
}

void EntryLog::cutShort(const char *bank, int num, const char *name) {
  if (tellOnce('c', bank)) printCutEntry(bank, num, name);
  fail(bank, num);
}

void printCutEntry(const char *bank, int num, const char *name) {
  printf("\n Entry %d%s%s of bank %s is cut short: the file ends before its \"//\" line", num,
         name && *name ? " " : "", name ? name : "", bank);
}

void EntryLog::printEnd() const {
  if (!bad_.empty())
    printf("\n %d of the %d entries asked for could not be read", (int)bad_.size(),
           (int)asked_.size());
}

std::string indexPath(const char *bank) {
  std::unique_ptr<char[]> name(chExt(bank, ".idx"));
  return name.get();
}

int sameFile(const char *a, const char *b) {
  if (!a || !b) return 0;
  if (strcmp(a, b) == 0) return 1;
  struct stat sa, sb;
  if (stat(a, &sa) == 0 && stat(b, &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  // A file not made yet: its path with the existing directories resolved ("./x", "d/../x").
  std::error_code ea, eb;
  const std::filesystem::path pa =
      std::filesystem::weakly_canonical(std::filesystem::absolute(a, ea), ea);
  const std::filesystem::path pb =
      std::filesystem::weakly_canonical(std::filesystem::absolute(b, eb), eb);
  return !ea && !eb && pa == pb;
}

int wouldOverwrite(const char *what, const char *out, const char *in) {
  if (!out || !sameFile(out, in)) return 0;
  printf("\n %s file %s would overwrite %s", what, out, in);
  return 1;
}
