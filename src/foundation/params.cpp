#include "params.h"

#include <climits>
#include <cstdlib>
#include <cstring>

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

bool readLine(FILE *f, std::string &line) {
  line.clear();
  int c;
  bool any = false;
  while ((c = getc_unlocked(f)) != EOF) {
    any = true;
    if (c == '\n') break;
    line.push_back((char)c);
  }
  if (!any) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

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
