#include "seqbase.h"

#include <cstring>

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
  if (format == 2) {
    fprintf(fout, "SQ   SEQUENCE%6d AA;\n", n);
  } else if (format == 3) {
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

char *delEmpty(char *buf, int *len) {
  int k = 0;
  for (char *p = buf; *p; p++) {
    unsigned char c = (unsigned char)*p;
    if (c >= 'a' && c <= 'z')
      buf[k++] = (char)(c - 'a' + 'A');
    else if ((c >= 'A' && c <= 'Z') || c == '*')
      buf[k++] = (char)c;
  }
  buf[k] = 0;
  if (len) *len = k;
  return buf;
}

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
