// Genetic code reader and the frame iterator.
#include "aa_code.h"

#include <cstring>
#include <string>

#include "params.h"

namespace {

// Nucleotide values of a codon number (upper case only); -1 for anything else.
constexpr signed char kNucValue[256] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    //  A      C               G
    -1, 3, -1, 0, -1, -1, -1, 2, -1, -1, -1, -1, -1, -1, -1, -1,
    //           T  U
    -1, -1, -1, -1, 1, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
};

constexpr const char *kBlanks = " \n\r\t";

bool inList(const char *list, size_t size, char c) {
  return c && memchr(list, c, strnlen(list, size)) != nullptr;
}

}  // namespace

Translation_code::Translation_code()
    : frame(0), numFrames(1), queMolType(0), baseMolType(0) {
  memset(code, 0, sizeof code);
  memset(compl_, 'A', sizeof compl_);
  const char *from = "ATCGatcg", *to = "TAGCtagc";
  for (int i = 0; from[i]; i++) compl_[(unsigned char)from[i]] = to[i];
  memset(frameList, 0, sizeof frameList);
  strcpy(frameList, "abcdef");
}

int Translation_code::fread(FILE *f) {
  std::string line;
  bool started = false;
  int n = 0;
  while (n < 64 && readRawLine(f, line)) {
    const char *p = line.c_str() + strspn(line.c_str(), kBlanks);
    if (!started) {
      if (strncmp(p, "CCC", 3) != 0) continue;
      started = true;
    }
    if (strlen(p) <= 4) continue;
    std::string work(p);
    char *pos = &work[0];
    char *codon = nextToken(pos, kBlanks);
    char *aa = nextToken(pos, kBlanks);
    // The table is positional: a line without its letter would shift every later codon.
    if (!codon || !aa) return 1;
    memset(code[n].codon, 0, sizeof code[n].codon);
    memcpy(code[n].codon, codon, strnlen(codon, 3));
    code[n].aa = aa[0];
    n++;
  }
  return n == 64 ? 0 : 1;
}

char Translation_code::getProt(const char *p, int complement) const {
  int b[3];
  for (int k = 0; k < 3; k++) {
    int v = kNucValue[(unsigned char)p[k]];
    if (v < 0) return 'X';
    b[k] = v;
  }
  int num;
  if (complement == 0) {
    num = 16 * b[0] + 4 * b[1] + b[2];
  } else {
    // C<->G, T/U<->A: value v complements to (v + 2) mod 4
    num = 16 * ((b[2] + 2) & 3) + 4 * ((b[1] + 2) & 3) + ((b[0] + 2) & 3);
  }
  return code[num].aa;
}

void Translation_code::update(int _queMolType, int _baseMolType, int reverse) {
  queMolType = _queMolType;
  baseMolType = _baseMolType;
  frame = 0;
  if (queMolType == baseMolType) {
    numFrames = (queMolType != 0 && reverse) ? 2 : 1;
  } else if ((queMolType == 0 && baseMolType == 1) || (queMolType == 1 && baseMolType == 0)) {
    numFrames = reverse ? 6 : 3;
  }
}

int Translation_code::translate(BankSeq &dest, const BankSeq &sour) {
  if (&dest == &sour) {  // the frame is built from a copy when both are one object
    BankSeq copy(sour);
    return translate(dest, copy);
  }
  if (frame >= numFrames) {
    frame = 0;
    return 0;
  }
  const int L = sour.len() > 0 ? sour.len() : 0;
  const char *s = sour.seq();
  bool transl = (queMolType == 0 && baseMolType == 1) || (queMolType == 1 && baseMolType == 0);
  if (transl) {
    while (frame < numFrames && !inList(frameList, sizeof frameList, frameSign[frame])) frame++;
    if (frame >= numFrames) {
      frame = 0;
      return 0;
    }
    const int n = L / 3;
    dest.setLen(n + 1);
    char *d = dest.seq();
    const int k = frame;
    if (k < 3) {
      // Codons running past the last nucleotide give 'X'.
      for (int i = 0; i < n; i++) {
        int at = k + 3 * i;
        d[i] = (at + 2 < L) ? getProt(s + at, 0) : 'X';
      }
    } else {
      // Codons starting before nucleotide 0 give 'X'.
      const int start = L - 3 - (k - 3);
      for (int i = 0; i < n; i++) {
        int at = start - 3 * i;
        d[i] = (at >= 0) ? getProt(s + at, 1) : 'X';
      }
    }
    dest.frame = frameSign[frame];
  } else if (frame == 0) {
    dest.set(s, L);
    dest.frame = '+';
  } else {
    dest.setLen(L + 1);
    char *d = dest.seq();
    for (int i = 0; i < L; i++) d[i] = compl_[(unsigned char)s[L - 1 - i]];
    dest.frame = '-';
  }
  frame++;
  return 1;
}

int Translation_code::translate(BankSeq &dest, const BankSeq &sour, char chFrame) {
  numFrames = 6;
  queMolType = 0;
  baseMolType = 1;
  const char *letters = "abcdef";
  const char *p = chFrame ? strchr(letters, chFrame) : nullptr;
  if (!p) return 0;
  frame = (int)(p - letters);
  return translate(dest, sour);
}

int Translation_code::lastFrame() const {
  if (numFrames <= 2) return 1;
  int i = frame;
  while (i < numFrames && !inList(frameList, sizeof frameList, frameSign[i])) i++;
  return (i == numFrames || (frame <= 3 && i >= 3)) ? 1 : 0;
}

int lastFrame(int frame, int numFrames, const char *frameList) {
  if (frame + 1 == numFrames) return 1;
  auto direct = [](char c) { return c != 0 && !strchr("def+-", c); };
  return (direct(frameList[frame]) && !direct(frameList[frame + 1])) ? 1 : 0;
}
