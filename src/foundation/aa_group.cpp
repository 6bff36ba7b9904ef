// Letter groups: the color file reader and the built-in nucleic grouping.
#include "aa_group.h"

#include <cstdio>
#include <cstring>

#include "params.h"

namespace {

bool isAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Printable ASCII, tab and line ends: a zero, another control byte or a byte from 128 up
// marks a file that is no list of letter groups.
bool holdsInGroups(unsigned char c) {
  return (c >= ' ' && c < 127) || c == '\t' || c == '\n' || c == '\r';
}

// The reader's pieces: a line buffer of 1024 bytes.
constexpr long kPiece = 1023;

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
  // 1023 bytes of a line buffer are taken piece by piece, each piece a line of its own.
  LineBuf b;
  int fault = 0;
  long at = 0;  // bytes read before the line
  while (!fault && getRawLine(f, b)) {
    for (long p0 = 0; !fault && p0 < b.n; p0 += kPiece) {
      bool any = false;
      for (long i = p0; i < b.n && i < p0 + kPiece; i++) {
        unsigned char c = (unsigned char)b.s[i];
        if (!holdsInGroups(c)) {
          // A binary file would give groups of its stray letters, and other supermotifs.
          printf("\n Byte %ld of the letter groups is code %d, which no letter group holds", at + i + 1, c);
          fault = 3;
          break;
        }
        if (!isAsciiLetter(c)) continue;
        if (num_colors >= 255) {  // class numbers are bytes: a 256th class would wrap to 0
          fault = 2;
          break;
        }
        unsigned char up = (unsigned char)(c & ~0x20), low = (unsigned char)(c | 0x20);
        unsigned char v = (unsigned char)(num_colors + 1);
        plot[up - 'A'] = v;
        nalpha[up] = v;
        nalpha[low] = v;
        any = true;
      }
      if (any && !fault) num_colors++;
    }
    at += b.n;
  }
  if (fault) {
    memset(plot, 0, sizeof plot);
    memset(nalpha, 0, sizeof nalpha);
    num_colors = 1;
    return fault;
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
