#include "params.h"

#include <sys/types.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "errormsg.h"
#include "intrin.h"

namespace {
inline int upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }
}  // namespace

int stricmp(const char *str1, const char *str2) {
  for (;; str1++, str2++) {
    if (upper((unsigned char)*str1) != upper((unsigned char)*str2)) return 1;
    if (!*str1) return 0;
  }
}

int strnicmp(const char *str1, const char *str2, int len) {
  for (int i = 0; i < len && str1[i] && str2[i]; i++)
    if (upper((unsigned char)str1[i]) != upper((unsigned char)str2[i])) return 1;
  return 0;
}

int hasntParam(char *buf, char *&key, char *&arg) {
  key = strchr(buf, '!');
  arg = nullptr;
  if (!key) return 1;
  // A "!" that ends the line has no key letter: no setting.
  if (!key[1]) {
    key = nullptr;
    return 1;
  }
  char *pos = key + 2;
  arg = nextToken(pos, " \n\r\t");
  return 0;
}

char *_strdup_(const char *sour) {
  if (!sour) return nullptr;
  size_t n = strlen(sour) + 1;
  char *p = new char[n];
  memcpy(p, sour, n);
  return p;
}

char *strupr(char *str) {
  for (char *p = str; *p; p++) *p = (char)upper((unsigned char)*p);
  return str;
}

char *_fgets_(char *string, int n, FILE *stream) {
  if (!fgets(string, n, stream)) return nullptr;
  string[strcspn(string, "\r\n")] = 0;
  return string;
}

int letCmp(const void *a, const void *b) {
  signed char x = *(const signed char *)a, y = *(const signed char *)b;
  return x < y ? -1 : (x > y ? 1 : 0);
}

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

inline bool beginsWithBom(const char *s, size_t n) { return n >= 3 && std::memcmp(s, kBom, 3) == 0; }

// Reads up to and including the line feed into line. A byte-order mark that opens the file is
// dropped; the position is asked only when the line's first byte could begin one.
bool readRawInto(FILE *f, std::string &line) {
  line.clear();
  int c = getc_unlocked(f);
  if (c == EOF) return false;
  const bool atStart = c == 0xEF && ftello(f) == 1;
  for (; c != EOF; c = getc_unlocked(f)) {
    line.push_back((char)c);
    if (c == '\n') break;
  }
  if (atStart && beginsWithBom(line.data(), line.size())) line.erase(0, 3);
  return !line.empty();  // a file of the mark alone is an empty file
}

}  // namespace

bool readLine(FILE *f, std::string &line) {
  if (!readRawInto(f, line)) return false;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool readRawLine(FILE *f, std::string &line) { return readRawInto(f, line); }

char *nextToken(char *&pos, const char *delims) {
  if (!pos) return nullptr;
  char *p = pos + strspn(pos, delims);
  if (!*p) {
    pos = p;
    return nullptr;
  }
  char *e = p + strcspn(p, delims);
  if (*e) {
    *e = 0;
    pos = e + 1;
  } else {
    pos = e;
  }
  return p;
}

int parseLong(const char *s, char **end) {
  long long v = strtoll(s, end, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return (int)v;
}

bool getRawLine(FILE *f, LineBuf &b) {
  ssize_t n = getline(&b.s, &b.cap, f);
  if (n < 0) {
    b.n = 0;
    if (b.s) b.s[0] = 0;
    return false;
  }
  // A byte-order mark that opens the file is dropped: n then counts the bytes after it, so
  // stepping back n bytes re-reads the line from just past the mark.
  if ((unsigned char)b.s[0] == 0xEF && beginsWithBom(b.s, (size_t)n) && ftello(f) == (off_t)n) {
    std::memmove(b.s, b.s + 3, (size_t)n - 2);
    n -= 3;
  }
  b.n = (long)n;
  return n > 0;  // a file of the mark alone is an empty file
}

namespace {

void translatePlain(const unsigned char (&table)[256], const char *in, int n,
                    unsigned char *out, unsigned char cap) {
  for (int i = 0; i < n; i++) {
    const unsigned char c = table[(unsigned char)in[i]];
    out[i] = c < cap ? c : cap;
  }
}

#if SEQ_VECTOR
// 64 letters at a time: each half of the table is one two-register byte permute, the top
// bit of the letter picks the half.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void translateAvx512(
    const unsigned char (&table)[256], const char *in, int n, unsigned char *out,
    unsigned char cap) {
  const __m512i t0 = _mm512_loadu_si512(table), t1 = _mm512_loadu_si512(table + 64);
  const __m512i t2 = _mm512_loadu_si512(table + 128), t3 = _mm512_loadu_si512(table + 192);
  const __m512i top = _mm512_set1_epi8((char)cap);
  for (int i = 0; i < n; i += 64) {
    const __mmask64 in_ = n - i >= 64 ? ~0ULL : (1ULL << (n - i)) - 1;
    const __m512i x = _mm512_maskz_loadu_epi8(in_, in + i);
    const __m512i low = _mm512_permutex2var_epi8(t0, x, t1);
    const __m512i high = _mm512_permutex2var_epi8(t2, x, t3);
    const __m512i c = _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high);
    _mm512_mask_storeu_epi8(out + i, in_, _mm512_min_epu8(c, top));
  }
}
#endif

}  // namespace

void translateBytes(const unsigned char (&table)[256], const char *in, int n,
                    unsigned char *out, unsigned char cap, VectorForm form) {
#if SEQ_VECTOR
  if (n >= 64 && useWide(form, kWideTranslate)) {
    translateAvx512(table, in, n, out, cap);
    return;
  }
#endif
  (void)form;
  translatePlain(table, in, n, out, cap);
}
