#include "seq_adr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "errormsg.h"
#include "params.h"

namespace {

const char kDelims[] = " \n\r\t";

// Start and length of token k of s (token 0 starts at s itself); false when missing.
bool tokenAt(const char *s, int k, const char *&tok, size_t &len) {
  const char *p = s;
  for (int i = 0;; i++) {
    p += strspn(p, kDelims);
    if (!*p) return false;
    size_t n = strcspn(p, kDelims);
    if (i == k) {
      tok = p;
      len = n;
      return true;
    }
    p += n;
  }
}

// The whole token must be a decimal integer.
bool intToken(const char *tok, size_t len, int &v) {
  char *end = nullptr;
  v = parseLong(tok, &end);
  return end == tok + len && len > 0;
}

bool realToken(const char *tok, size_t len, double &v) {
  char *end = nullptr;
  v = strtod(tok, &end);
  return end == tok + len && len > 0;
}

}  // namespace

int AddOneSeqAddr(const char *pntr, int &nSeq, SeqAddrPow *sa, int nSkip) {
  const char *path, *numTok, *powTok;
  size_t pathLen, numLen, powLen;
  int num;
  double pow;
  if (!tokenAt(pntr, nSkip, path, pathLen) || !tokenAt(pntr, nSkip + 1, numTok, numLen) ||
      !tokenAt(pntr, 5, powTok, powLen))
    return 0;
  if (!intToken(numTok, numLen, num) || !realToken(powTok, powLen, pow)) return 0;

  // Paths match exactly: a prefix match would fold "bankA" into "bankA2" and lose a sequence.
  for (int i = 0; i < nSeq; i++) {
    if (sa[i].num == num && strlen(sa[i].name) == pathLen && !memcmp(sa[i].name, path, pathLen)) {
      if (pow > sa[i].pow) sa[i].pow = pow;
      return 1;
    }
  }
  if (nSeq >= kMaxSeqAddr) {
    printf("\n Too many sequences");
    return 1;
  }
  char *name = allocArray<char>((long long)pathLen + 1);
  memcpy(name, path, pathLen);
  name[pathLen] = 0;
  sa[nSeq].name = name;
  sa[nSeq].num = num;
  sa[nSeq].pow = pow;
  nSeq++;
  return 1;
}

int addSeqAddr(const char *buf, int &nSeq, SeqAddrPow *sa, int both) {
  const char *p = strstr(buf, "Supermotif");
  if (!p) return 0;
  // Check every field first so a garbled line adds neither side.
  const char *tok;
  size_t len;
  int v;
  double d;
  for (int k = 1; k <= 5; k++)
    if (!tokenAt(p, k, tok, len)) return 0;
  tokenAt(p, 2, tok, len);
  if (!intToken(tok, len, v)) return 0;
  tokenAt(p, 4, tok, len);
  if (!intToken(tok, len, v)) return 0;
  tokenAt(p, 5, tok, len);
  if (!realToken(tok, len, d)) return 0;
  if (both) AddOneSeqAddr(p, nSeq, sa, 1);
  AddOneSeqAddr(p, nSeq, sa, 3);
  return 1;
}

int getSeqIdx(int nSeq, const SeqAddrPow *sa, const char *name, int num) {
  for (int i = 0; i < nSeq; i++)
    if (sa[i].num == num && sa[i].name && !strcmp(sa[i].name, name)) return i;
  return -1;
}
