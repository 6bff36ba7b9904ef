// Bank entry headers: the six header readers, fetching by sequence address, and the
// accessors the statistics, prediction and report code ask.
//
// Contents, in order:
//   token helpers    prefix tests, copies, numbers and ranges of header lines
//   header readers   readFasta, readSwis, readGenb, readPrints, readBlocks, readPFam, and
//                    readSeq by sequence address; save
//   names            getAC, getID, getDE, getOS
//   keywords         isKW, hasKW, getKW, hasKWtype
//   feature table    isFT, getBegEndFT, getLen, getCharFT, printIDDEOS
//   feature names    makeName, updNumBra, belong
#include "seqinfo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "errormsg.h"
#include "params.h"
#include "bank_file.h"

namespace {

constexpr const char *kTokenDelims = "; \t\r\n";

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Case-sensitive prefix test over the whole tag.
inline bool begins(const char *s, const char *tag) { return strncmp(s, tag, strlen(tag)) == 0; }

// Case-insensitive prefix test over the whole tag (a line shorter than the tag fails).
bool beginsI(const char *s, const char *tag) {
  size_t n = strlen(tag);
  return strlen(s) >= n && strnicmp(s, tag, (int)n) == 0;
}

// Character at column c, 0 past the end of the line.
inline char colAt(const char *s, size_t c) { return c < strlen(s) ? s[c] : 0; }

inline size_t cutLen(const char *s) { return strcspn(s, "\r\n"); }

char *newCopy(const char *p, size_t n) {
  char *r = new char[n + 1];
  memcpy(r, p, n);
  r[n] = 0;
  return r;
}

// New copy of the first token of text, or a new " " when it holds none.
char *firstToken(const char *text) {
  text += strspn(text, kTokenDelims);
  size_t n = strcspn(text, kTokenDelims);
  return n ? newCopy(text, n) : newCopy(" ", 1);
}

// Reads a number as "%d" would after optional blanks; one leading '<' or '>' is passed
// over when allowed. False when no number is there.
bool readInt(const char *&p, int &v, bool skipAngle) {
  p += strspn(p, " \t\r\n");
  if (skipAngle && (*p == '<' || *p == '>')) p++;
  const char *q = p;
  if (*q == '+' || *q == '-') q++;
  if (!isDigit(*q)) return false;
  char *e = nullptr;
  v = parseLong(p, &e);
  p = e;
  return true;
}

// The k-th (from 1) whitespace-separated token of s as a number; 0 when missing or
// not a number.
int nthNumber(const char *s, int k) {
  const char *p = s;
  for (int t = 1; t < k; t++) {
    p += strspn(p, " \t\r\n");
    if (!*p) return 0;
    p += strcspn(p, " \t\r\n");
  }
  int v = 0;
  return readInt(p, v, false) ? v : 0;
}

// Today's Swiss-Prot ID line ("ID   CRU4_ARATH   Reviewed;   472 AA.") states the length
// as the number before "AA." or "BP."; -1 when no such pair is there.
int lengthBeforeUnit(const char *s) {
  const char *p = s;
  for (;;) {
    p += strspn(p, " \t\r\n");
    if (!*p) return -1;
    size_t n = strcspn(p, " \t\r\n");
    const char *q = p;
    int v = 0;
    const char *after = p + n;
    if (readInt(q, v, false) && q == after) {
      const char *u = after + strspn(after, " \t\r\n");
      if (strncmp(u, "AA.", 3) == 0 || strncmp(u, "BP.", 3) == 0) return v;
    }
    p = after;
  }
}

// Feature positions of today's Swiss-Prot layout: the token at p is "a..b" or a single
// position "n" with nothing after it on the line (each number may carry '<' or '>').
// Fills b and e and returns true for such a token; the older layout (two numbers in
// columns) gives false.
bool rangeToken(const char *p, int &b, int &e) {
  const char *q = p;
  if (!readInt(q, b, true)) return false;
  if (q[0] == '.' && q[1] == '.') {
    q += 2;
    if (*q != '<' && *q != '>' && !isDigit(*q)) return false;
    return readInt(q, e, true) && (!*q || strchr(" \t\r\n", *q));
  }
  e = b;
  return q[strspn(q, " \t\r\n")] == 0;
}

// A range of today's layout with an unknown end ("?..282"): marks, digits and "..", alone.
bool unknownRange(const char *p) {
  const size_t n = strspn(p += strspn(p, " \t"), "0123456789<>?.");
  return memchr(p, '?', n) && memmem(p, n, "..", 2) && !p[n + strspn(p + n, " \t\r\n")];
}

}  // namespace

SeqInfo::SeqInfo() : num(0), format(-1) {}

void SeqInfo::store(const char *line, size_t n) {
  if (num >= kMaxLines) return;  // further lines are read on and dropped
  if ((size_t)num < str.size())
    str[(size_t)num].assign(line, n);
  else
    str.emplace_back(line, n);
  num++;
}

int SeqInfo::readFasta(FILE *f) {
  clear();
  LineBuf b;
  while (getRawLine(f, b)) {
    store(b.s, strlen(b.s));  // FASTA lines keep their line end
    if (strchr(b.s, '>')) break;
  }
  return num;
}

namespace {
// Stores the lines up to endTag and skips to the "//" line. True when the file ends first,
// after an idTag line: the entry is cut short.
template <class Store>
bool readThrough(FILE *f, LineBuf &b, const char *idTag, const char *endTag, Store store) {
  bool found = false, atId = false;
  while (getRawLine(f, b)) {
    size_t n = cutLen(b.s);
    if (n) store(b.s, n);
    atId = atId || begins(b.s, idTag);
    if (begins(b.s, endTag)) {
      found = true;
      break;
    }
  }
  if (!found) return atId;
  while (getRawLine(f, b))
    if (begins(b.s, "//")) return false;
  return true;
}
}  // namespace

int SeqInfo::readSwis(FILE *f) {
  clear();
  format = kFormatSwiss;
  LineBuf b;
  cut = readThrough(f, b, "ID", "SQ  ", [this](const char *s, size_t n) { store(s, n); });
  return num;
}

int SeqInfo::readGenb(FILE *f) {
  clear();
  format = kFormatGenBank;
  LineBuf b;
  cut = readThrough(f, b, "LOCUS", "ORIGIN", [this](const char *s, size_t n) { store(s, n); });
  return num;
}

int SeqInfo::readPrints(FILE *f) {
  clear();
  format = kFormatPrints;
  LineBuf b;
  bool found = false;
  while (getRawLine(f, b)) {
    if (beginsI(b.s, "fc;")) {
      found = true;
      store(b.s, cutLen(b.s));
      break;
    }
  }
  if (!found) return num;
  while (getRawLine(f, b)) {
    size_t n = cutLen(b.s);
    if (n) store(b.s, n);
    if (beginsI(b.s, "ft;")) break;
  }
  return num;
}

int SeqInfo::readBlocks(FILE *f) {
  clear();
  format = kFormatBlocks;
  LineBuf b;
  bool found = false;
  while (getRawLine(f, b)) {
    if (beginsI(b.s, "ID ")) {
      found = true;
      store(b.s, cutLen(b.s));
      break;
    }
  }
  if (!found) return num;
  bool atRows = false;
  while (getRawLine(f, b)) {
    size_t n = cutLen(b.s);
    if (n) store(b.s, n);
    if (beginsI(b.s, "BL ")) {
      atRows = true;
      break;
    }
  }
  if (!atRows) return num;
  while (getRawLine(f, b))
    if (begins(b.s, "//")) break;
  return num;
}

int SeqInfo::readPFam(FILE *f) {
  clear();
  format = kFormatPfam;
  LineBuf b;
  // The identification line is skipped; the line after it is kept whatever it is, then
  // lines are kept up to and including the first that is not a description line.
  bool first = true;
  while (getRawLine(f, b)) {
    if (first && beginsI(b.s, "#=GF ID ")) continue;
    size_t n = cutLen(b.s);
    if (!n) continue;
    store(b.s, n);
    if (first) {
      first = false;
      continue;
    }
    if (!beginsI(b.s, "#=GF DE ")) break;
  }
  return num;
}

int SeqInfo::readSeq(const char *adrBase, int _num, EntryLog *log) {
  int fmt = format;
  FILE *bank = openBankEntry(adrBase, _num, log, &fmt);
  // A bank of no known format leaves its code; the lines held stay.
  if (fmt == kFormatUnknown) format = fmt;
  if (!bank) return 0;
  format = fmt;
  switch (format) {
    case kFormatFasta: readFasta(bank); break;
    case kFormatSwiss: readSwis(bank); break;
    case kFormatGenBank: readGenb(bank); break;
    case kFormatPrints: readPrints(bank); break;
    case kFormatBlocks: readBlocks(bank); break;
    default: readPFam(bank); break;
  }
  fclose(bank);
  if (cut) {
    char *id = getID();
    if (log) log->cutShort(adrBase, _num, id);
    delete[] id;
    clear();
    return 0;
  }
  for (int i = 0; i < num; i++) strupr(&str[(size_t)i][0]);
  return num;
}

void SeqInfo::save(FILE *fOut) {
  for (int i = 0; i < num; i++) fprintf(fOut, "%s\n", str[(size_t)i].c_str());
  checkWrite(fOut, "entry header");
}

char *SeqInfo::getAC() {
  for (int i = 0; i < num; i++) {
    const char *s = str[(size_t)i].c_str();
    if (begins(s, "AC")) {
      const char *t = s + strcspn(s, " \t");
      return firstToken(t + strspn(t, " \t"));
    }
    if (i == 0) {
      const char *p = s + strspn(s, " \t\r\n");
      if (*p == '>') return firstToken(p + 1);
    }
  }
  return newCopy(" ", 1);
}

char *SeqInfo::getID() {
  for (int i = 0; i < num; i++) {
    const char *s = str[(size_t)i].c_str();
    if (begins(s, "ID")) return firstToken(s + 2);
    if (begins(s, "LOCUS")) return firstToken(s + 5);
    if (i == 0) {
      const char *p = s + strspn(s, " \t\r\n");
      if (*p == '>') return firstToken(p + 1);
    }
    if (beginsI(s, "ft;")) return newCopy(s + 3, strlen(s + 3));
  }
  return newCopy(" ", 1);
}

const char *SeqInfo::getDE() {
  for (int i = 0; i < num; i++) {
    const char *s = str[(size_t)i].c_str();
    if (begins(s, "DE") && !strstr(s, "MOL_ID")) return s + strcspn(s, " \t");
    if (beginsI(s, "#=GF DE ") || beginsI(s, "ft;")) return s;
    if (i == 0) {
      // A FASTA header line: the text after its first word, blanks kept as after "DE". The
      // line keeps its line end, which a description must not carry: a copy without it.
      const char *p = s + strspn(s, " \t\r\n");
      if (*p == '>') {
        p++;
        p += strspn(p, " \t");
        p += strcspn(p, " \t\r\n");
        fastaDE.assign(p, cutLen(p));
        if (fastaDE.find_first_not_of(" \t") != std::string::npos) return fastaDE.c_str();
      }
    }
  }
  return " ";
}

char *SeqInfo::getOS() {
  for (int i = 0; i < num; i++) {
    const char *s = str[(size_t)i].c_str();
    if (!begins(s, "OS") || strstr(s, "MOL_ID")) continue;
    const char *p = s + 2;
    p += strspn(p, " ");
    if (isDigit(*p)) {
      p += strcspn(p, " ");
      p += strspn(p, " ");
    }
    if (begins(p, "ORGANISM_SCIENTIFIC:")) {
      p += strlen("ORGANISM_SCIENTIFIC:");
      p += strspn(p, " ");
    }
    const char *cut = strchr(p, ':');
    if (!cut) cut = strchr(p, ';');
    if (!cut) cut = p + strcspn(p, " ");
    return newCopy(p, (size_t)(cut - p));
  }
  return newCopy(" ", 1);
}

int SeqInfo::isKW(int i, const char *type, const char *KW) {
  if (i < 0 || i >= num) return 0;
  if (format != kFormatSwiss && format != kFormatGenBank) return 0;
  const char *s = str[(size_t)i].c_str();
  bool typed = begins(s, type);
  if (!KW) return typed;
  return typed && strstr(s, KW) != nullptr;
}

int SeqInfo::hasKW(const char *type, const char *KW) {
  for (int i = 0; i < num; i++)
    if (isKW(i, type, KW)) return 1;
  return 0;
}

char *SeqInfo::getKW(const char *type) {
  if (!type) return nullptr;
  const char *t = strcmp(type, "OR") == 0 ? "  OR" : type;
  int i0 = -1;
  for (int i = 0; i < num; i++) {
    if (isKW(i, t, nullptr)) {
      i0 = i;
      break;
    }
  }
  if (i0 < 0) return nullptr;

  int end = i0 + 1;
  if (format == kFormatSwiss) {
    bool topic = begins(t, "CC   -!-");
    while (end < num) {
      const char *s = str[(size_t)end].c_str();
      if (!(begins(s, t) || (topic && colAt(s, 5) == ' '))) break;
      end++;
    }
  } else if (format == kFormatGenBank) {
    while (end < num && str[(size_t)end][0] == ' ') end++;
  } else {
    return nullptr;
  }

  // 80 bytes a line, or room for the whole block when its lines are longer (today's DE
  // lines with evidence blocks): a long line must not end the text.
  size_t whole = 1;
  for (int j = i0; j < end; j++) whole += str[(size_t)j].size() + 1;
  const size_t room = std::max((size_t)80 * (size_t)(end - i0), whole);
  char *res = new char[room];
  size_t len = 0;
  res[0] = 0;

  if (strcmp(t, "FT") == 0 || strcmp(t, "FE") == 0) {
    for (int j = i0; j < end; j++) {
      const char *s = str[(size_t)j].c_str();
      char c5 = colAt(s, 5), c4 = colAt(s, 4);
      if (!c5 || c5 == ' ' || c4 != ' ') continue;
      size_t k = strcspn(s + 5, " ");
      if (len + k + 1 + 1 > room) break;
      memcpy(res + len, s + 5, k);
      len += k;
      res[len++] = ' ';
      res[len] = 0;
    }
    return res;
  }

  size_t shift = format == kFormatSwiss ? 5 : 12;
  const char *s0 = str[(size_t)i0].c_str();
  size_t tl = strlen(t), l0 = strlen(s0);
  if (format == kFormatGenBank) {
    // A GenBank tag is a whole word (DEFINITION, KEYWORDS, ORGANISM): the type names it by
    // its start, and no part of the tag is text.
    const size_t tag = strspn(s0, " ");
    tl = std::max(tl, tag + strcspn(s0 + tag, " "));
  }
  size_t p0 = l0 > tl ? l0 - tl : 0;
  if (p0 == 0 || p0 + 1 > room) return res;  // an empty or oversized first piece: ""
  memcpy(res, s0 + tl, p0);
  len = p0;
  res[len] = 0;
  for (int j = i0 + 1; j < end; j++) {
    const char *s = str[(size_t)j].c_str();
    size_t L = strlen(s);
    if (L <= shift) break;  // an empty piece ends the text
    size_t pl = L - shift;
    bool joined = len > 0 && res[len - 1] == '-';  // a word broken at the line end
    size_t need = len + (joined ? 0 : 1) + pl + 1;
    if (need > room) break;
    if (!joined) res[len++] = s[shift - 1];
    memcpy(res + len, s + shift, pl);
    len += pl;
    res[len] = 0;
  }
  return res;
}

int SeqInfo::hasKWtype(const char *type) {
  if (!type) return 0;
  std::string list(type);
  char *pos = &list[0];
  while (char *t = nextToken(pos, "_\n")) {
    size_t tl = strlen(t);
    for (int i = 0; i < num; i++) {
      const char *s = str[(size_t)i].c_str();
      if (begins(s, t) && strlen(s) > tl + 2) return 1;
    }
  }
  return 0;
}

int SeqInfo::isFT(int i, const char *FT) {
  if (i < 0 || i >= num) return 0;
  const char *s = str[(size_t)i].c_str();
  if (format == kFormatSwiss) {
    if (!beginsI(s, "FT")) return 0;
    char c6 = colAt(s, 6);
    if (!c6 || c6 == ' ') return 0;  // continuation lines are blank there
    if (!*FT) return 1;
    const char *text = s + 2;
    text += strspn(text, " \t");
    char name[1024];
    makeName(text, name, 2);
    return strcmp(name, FT) == 0;
  }
  if (format == kFormatGenBank) {
    size_t k = strspn(s, " \t\r\n");
    if (k != 5) return 0;
    if (!*FT) return 1;
    return strnicmp(s + 5, FT, (int)strlen(FT)) == 0;
  }
  return 0;
}

int SeqInfo::getBegEndFT(int i, int *beg, int *end) {
  if (i < 0 || i >= num) return 0;
  if (format == kFormatSwiss) {
    const char *p = str[(size_t)i].c_str();
    // tag, key, then the two positions
    p += strspn(p, " \t\r\n");
    p += strcspn(p, " \t\r\n");
    p += strspn(p, " \t\r\n");
    size_t kl = strcspn(p, " \t\r\n");
    char key[1024];
    if (kl > sizeof key - 1) kl = sizeof key - 1;
    memcpy(key, p, kl);
    key[kl] = 0;
    p += strcspn(p, " \t\r\n");
    int b = 0, e = 0;
    if (!rangeToken(p, b, e) && (!readInt(p, b, true) || !readInt(p, e, true)))
      return 0;  // "?" and the like
    if (belong(key, TwoResSWISS)) {
      beg[0] = end[0] = b;
      beg[1] = end[1] = e;
      return 2;
    }
    beg[0] = b;
    end[0] = e;
    return 1;
  }
  if (format != kFormatGenBank) return 0;

  int count = 0, bra = 0;
  for (int j = i;; j++) {
    const char *s = str[(size_t)j].c_str();
    if (strstr(s, "..")) {
      for (const char *q = strstr(s, ".."); q && count < kMaxRanges; q = strstr(q + 2, "..")) {
        const char *e = q + 2;
        while (*e && !isDigit(*e) && *e != '.') e++;
        const char *b = q;
        while (b > s && isDigit(b[-1])) b--;
        if (b > s && b[-1] == ':') continue;  // a range on another entry ("X03488.1:50..196")
        beg[count] = isDigit(*b) ? parseLong(b) : 0;
        end[count] = isDigit(*e) ? parseLong(e) : 0;
        count++;
      }
    } else if (strpbrk(s, "0123456789")) {
      const char *d = s + strcspn(s, "0123456789.");
      int v = isDigit(*d) ? parseLong(d) : 0;
      beg[count] = end[count] = v;
      count++;
    }
    updNumBra(s, bra);
    if (bra == 0 || count >= kMaxRanges || j - i >= 5000 || j + 1 >= num) break;
  }
  return count;
}

int SeqInfo::getLen() {
  int v = 0;
  if (format == kFormatSwiss) {
    int i = 0;
    while (i < num && !begins(str[(size_t)i].c_str(), "ID")) i++;
    if (i == num) fatalExit(kExitBadData, "\n Something wrong with SeqInfo: there is no ID");
    const char *id = str[(size_t)i].c_str();
    v = nthNumber(id, 5);
    const char *p = id;
    for (int t = 1; t < 5; t++) {
      p += strspn(p, " \t\r\n");
      p += strcspn(p, " \t\r\n");
    }
    int v5 = 0;
    p += strspn(p, " \t\r\n");
    if (!readInt(p, v5, false)) {
      int u = lengthBeforeUnit(id);
      if (u >= 0) v = u;
    }
  } else if (format == kFormatGenBank) {
    int i = 0;
    while (i < num && !strstr(str[(size_t)i].c_str(), "LOCUS")) i++;
    if (i == num) fatalExit(kExitBadData, "\n Something wrong with SeqInfo: there is no LOCUS");
    v = nthNumber(str[(size_t)i].c_str(), 3);
  }
  return v < 0 ? 0 : v;
}

int *SeqInfo::getCharFT(const char *FT, int &len) {
  len = getLen();
  int *res = allocArray<int>(len, true);
  int beg[kMaxRanges], end[kMaxRanges];
  for (int j = 1; j < num; j++) {
    if (!isFT(j, FT)) continue;
    int n = getBegEndFT(j, beg, end);
    for (int k = 0; k < n; k++) {
      int b = beg[k] < 1 ? 1 : beg[k];
      int e = end[k] > len ? len : end[k];
      for (int p = b; p <= e; p++) res[p - 1] = 1;
    }
  }
  return res;
}

void SeqInfo::printIDDEOS(FILE *fout) {
  bool id = false, de = false, os = false;
  for (int i = 0; i < num && !(id && de && os); i++) {
    const char *s = str[(size_t)i].c_str();
    bool *kind = begins(s, "ID") ? &id : begins(s, "DE") ? &de : begins(s, "OS") ? &os : nullptr;
    if (!kind) continue;
    fprintf(fout, "\n%s", s);
    *kind = true;
  }
}

void makeName(const char *str, char *Name, int typeFT) {
  size_t n = strcspn(str, " \t\r\n");
  if (n > 1023) n = 1023;
  memcpy(Name, str, n);
  Name[n] = 0;
  if (typeFT != 2 || strstr(str, "SIMILARITY") || !belong(Name, nameFT)) return;
  const char *p = str + n;
  int b = 0, e = 0;
  // Today's layout: the description is on a /note line.
  if (rangeToken(p, b, e) || unknownRange(p)) return;
  // The positions: at most two words of digits, '.' and the marks of an uncertain one
  // ("<1", ">35", "?"). The description after them is kept whole, even when it begins
  // with digits ("40 kDa protein").
  for (int t = 0; t < 2; t++) {
    while (*p == ' ' || *p == '\n') p++;
    const size_t w = strcspn(p, " \t\r\n");
    if (!w || strspn(p, "0123456789.<>?") < w) break;
    p += w;
  }
  size_t len = n;
  for (;;) {
    p += strspn(p, " \t\r\n");
    if (!*p) break;
    size_t w = strcspn(p, " \t\r\n");
    if (len + 1 + w > 1023) break;
    Name[len++] = '_';
    memcpy(Name + len, p, w);
    len += w;
    p += w;
  }
  Name[len] = 0;
  if (len && (Name[len - 1] == '.' || Name[len - 1] == ',')) Name[len - 1] = 0;
}

int updNumBra(const char *str, int &numBra) {
  for (const char *p = str; *p; p++) {
    if (*p == '(') numBra++;
    if (*p == ')') numBra--;
  }
  return numBra;
}

int belong(const char *FT, const char *const *list) {
  for (; *list; list++)
    if (strcmp(FT, *list) == 0) return 1;
  return 0;
}
