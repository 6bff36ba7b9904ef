// Letter groups: the color file reader and the built-in nucleic grouping.
#include "aa_group.h"

#include <cstring>

namespace {

bool isAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

AA_groups::AA_groups() : num_colors(1) {
  memset(nalpha, 0, sizeof nalpha);
  memset(plot, 0, sizeof plot);
}

int AA_groups::fread(FILE *f) {
  memset(plot, 0, sizeof plot);
  memset(nalpha, 0, sizeof nalpha);
  num_colors = 0;
  // While reading, 0 marks an unnamed character and k+1 class k. Lines longer than the
  // buffer are taken piece by piece, each piece a line of its own.
  char buf[1024];
  bool tooMany = false;
  while (fgets(buf, sizeof buf, f)) {
    bool any = false;
    for (const char *p = buf; *p; p++) {
      unsigned char c = (unsigned char)*p;
      if (!isAsciiLetter(c)) continue;
      if (num_colors >= 255) {  // class numbers are bytes: a 256th class would wrap to 0
        tooMany = true;
        break;
      }
      unsigned char up = (unsigned char)(c & ~0x20), low = (unsigned char)(c | 0x20);
      unsigned char v = (unsigned char)(num_colors + 1);
      plot[up - 'A'] = v;
      nalpha[up] = v;
      nalpha[low] = v;
      any = true;
    }
    if (tooMany) break;
    if (any) num_colors++;
  }
  if (tooMany) {
    memset(plot, 0, sizeof plot);
    memset(nalpha, 0, sizeof nalpha);
    num_colors = 1;
    return 2;
  }
  unsigned char rest = (unsigned char)num_colors;
  for (auto &v : plot) v = v ? (unsigned char)(v - 1) : rest;
  for (auto &v : nalpha) v = v ? (unsigned char)(v - 1) : rest;
  num_colors++;
  return num_colors == 1 ? 1 : 0;
}

int AA_groups::makeDNA() {
  num_colors = 5;
  memset(plot, 4, sizeof plot);
  memset(nalpha, 4, sizeof nalpha);
  const char *groups[4] = {"A", "C", "G", "TU"};
  for (int k = 0; k < 4; k++) {
    for (const char *p = groups[k]; *p; p++) {
      unsigned char c = (unsigned char)*p;
      plot[c - 'A'] = (unsigned char)k;
      nalpha[c] = (unsigned char)k;
      nalpha[c | 0x20] = (unsigned char)k;
    }
  }
  return 0;
}
