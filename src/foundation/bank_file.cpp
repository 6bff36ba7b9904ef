// Bank files: the format of an open file, the opening of one entry through the bank's ".idx"
// index, and file names with another extension.
#include "bank_file.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "params.h"

namespace {

constexpr const char *kBlanks = " \t\r\n";

inline bool begins(const char *s, const char *tag) { return strncmp(s, tag, strlen(tag)) == 0; }

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

FILE *openBankEntry(const char *adrBase, int _num) {
  if (!adrBase || _num < 0) return nullptr;
  FILE *bank = fopen(adrBase, "rb");
  if (!bank) return nullptr;
  char *idxName = chExt(adrBase, ".idx");
  FILE *idx = fopen(idxName, "rb");
  delete[] idxName;
  if (!idx) {
    if (_num == 0) return bank;
    fclose(bank);
    return nullptr;
  }
  bool ok = false;
  if (fseeko(idx, (off_t)128 + (off_t)32 * _num, SEEK_SET) == 0) {
    LineBuf b;
    if (getRawLine(idx, b)) {
      char *pos = b.s;
      long long k = -1, off = -1;
      ok = parseOffset(nextToken(pos, kBlanks), k) && k == _num &&
           parseOffset(nextToken(pos, kBlanks), off) && fseeko(bank, (off_t)off, SEEK_SET) == 0;
    }
  }
  fclose(idx);
  if (!ok) {
    fclose(bank);
    return nullptr;
  }
  return bank;
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
