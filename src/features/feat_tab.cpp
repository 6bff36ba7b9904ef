// Keyword and feature extraction.
//
// Contents: word helpers (clrEdge, _strtok, firInsidSec); today's description layout
// (isLabelledDE, namesOfDE); keywords (getKWitems, getKWList, addKW, kwIsBad, isHypoth);
// feature types (ftInfo, addFT, ftIsBad); the side of a supermotif (is); helpers no program
// calls (getWordScore, joinList, toList, addItem).
#include "feat_tab.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bad_word.h"
#include "errormsg.h"
#include "mesh.h"
#include "motif.h"
#include "params.h"
#include "seqinfo.h"

namespace {

constexpr const char *badFT[] = {"SOURCE", "CONFLICT", "VARIANT", nullptr};
constexpr const char *hypKW[] = {"HYPOTHETICAL", "ORF", "PUTATIVE", "PROBABLE", nullptr};

char *copyOf(const char *s, size_t n) {
  char *r = new char[n + 1];
  memcpy(r, s, n);
  r[n] = 0;
  return r;
}

char *copyOf(const char *s) { return copyOf(s, strlen(s)); }

// An array of the strings of v (new[], at least one slot), v's strings handed over.
char **toArray(const std::vector<char *> &v) {
  char **r = new char *[v.empty() ? 1 : v.size()];
  for (size_t i = 0; i < v.size(); i++) r[i] = v[i];
  return r;
}

bool inSet(char c, const char *set) { return c && strchr(set, c); }

bool hasLetter(const char *s) {
  for (; *s; s++)
    if ((*s >= 'A' && *s <= 'Z') || (*s >= 'a' && *s <= 'z')) return true;
  return false;
}

// The word delimiters of keyword comparison: " \n;:-" (no tab).
bool isWordDelim(char c) { return c == ' ' || c == '\n' || c == ';' || c == ':' || c == '-'; }

// The next word of a text at p without copying it.
bool nextWord(const char *&p, const char *&w, size_t &n) {
  while (isWordDelim(*p)) p++;
  if (!*p) return false;
  w = p;
  while (*p && !isWordDelim(*p)) p++;
  n = (size_t)(p - w);
  return true;
}

// The first characters of a text's words as a set of 64 bits. Matching words share their
// first character, so two texts that match both ways have equal sets.
uint64_t firstLetters(const char *p) {
  uint64_t m = 0;
  for (bool start = true; *p; p++) {
    const bool delim = isWordDelim(*p);
    if (start && !delim) m |= uint64_t(1) << ((unsigned char)*p & 63);
    start = delim;
  }
  return m;
}

bool wordsMatch(const char *f, size_t fn, const char *s, size_t sn) {
  if (fn < 6 || sn < 6) return fn == sn && memcmp(f, s, fn) == 0;
  return fn <= sn && memcmp(f, s, fn) == 0;
}

bool isAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

// ---------------------------------------------------------------- word helpers

int clrEdge(char *&word) {
  size_t n = strlen(word);
  while (n > 0 && inSet(word[n - 1], " ),-.:]}")) n--;
  word[n] = 0;
  while (inSet(*word, " (,-.:[{")) word++;
  return strlen(word) >= 2 ? 1 : 0;
}

char *_strtok(char *&str, const char *tok) {
  while (inSet(*str, tok)) str++;
  if (!*str) return nullptr;
  char *start = str;
  while (*str && !inSet(*str, tok)) str++;
  if (*str) *str++ = 0;
  return start;
}

int firInsidSec(const char *fir, const char *sec) {
  const char *fp = fir, *fw;
  size_t fn;
  while (nextWord(fp, fw, fn)) {
    const char *sp = sec, *sw;
    size_t sn;
    bool found = false;
    while (!found && nextWord(sp, sw, sn)) found = wordsMatch(fw, fn, sw, sn);
    if (!found) return 0;
  }
  return 1;
}

// ---------------------------------------------------------------- today's description layout

namespace {

bool startsNoCase(const char *p, const char *word) {
  for (; *word; p++, word++)
    if (toupper((unsigned char)*p) != *word) return false;
  return true;
}

// A description written with the labels of today's layout ("RecName: Full=...;").
bool isLabelledDE(const char *text) {
  for (const char *p = text; *p; p++)
    if (startsNoCase(p, "RECNAME:") || startsNoCase(p, "ALTNAME:") || startsNoCase(p, "SUBNAME:"))
      return true;
  return false;
}

// The values of the Full= and Short= fields of a labelled description, in order, joined by
// "; ", without their evidence blocks ("{ECO:...}", an open one runs to the value's end).
// The labels and the other fields (EC=, Flags: ...) name nothing and are left out.
std::string namesOfDE(const char *text) {
  std::string names;
  for (const char *p = text; *p; p++) {
    if (p > text && !strchr(" :;", p[-1])) continue;
    const size_t field = startsNoCase(p, "FULL=") ? 5 : startsNoCase(p, "SHORT=") ? 6 : 0;
    if (!field) continue;
    std::string value;
    bool evidence = false;
    for (p += field; *p && *p != ';'; p++) {
      if (*p == '{' || (evidence && *p == '}'))
        evidence = *p == '{';
      else if (!evidence)
        value += *p;
    }
    const size_t b = value.find_first_not_of(" \n\r\t");
    if (b != std::string::npos) {
      if (!names.empty()) names += "; ";
      names += value.substr(b, value.find_last_not_of(" \n\r\t") + 1 - b);
    }
    if (!*p) break;
  }
  return names;
}

}  // namespace

// ---------------------------------------------------------------- keywords

char **getKWitems(char *src, Mesh *mesh, int &num, const char *KW) {
  const bool phrase = strcmp(KW, "KW") == 0 || strcmp(KW, "KE") == 0 || strcmp(KW, "KS") == 0;
  std::vector<char *> items;
  char *cur = src;
  while (char *seg = _strtok(cur, ":;()\n\r")) {
    if (!clrEdge(seg)) continue;
    if (char *h = mesh ? mesh->findSyn(seg) : nullptr) {
      items.push_back(h);
      printf("Synonym\n");
      continue;
    }
    char *wc = seg;
    if (phrase) {
      std::string joined;
      while (char *w = _strtok(wc, " ")) {
        if (!clrEdge(w)) continue;
        if (!joined.empty()) joined += ' ';
        char *h = mesh ? mesh->findSyn(w) : nullptr;
        joined += h ? h : w;
        delete[] h;
      }
      if (!joined.empty()) items.push_back(copyOf(joined.c_str(), joined.size()));
    } else {
      while (char *w = _strtok(wc, " ")) {
        if (!clrEdge(w)) continue;
        if (char *h = mesh ? mesh->findSyn(w) : nullptr) {
          items.push_back(h);
          printf("Synonim\n");
        } else {
          items.push_back(copyOf(w));
        }
      }
    }
  }
  std::vector<char *> kept;
  for (char *it : items) {
    bool dup = false;
    for (char *k : kept)
      if (stricmp(k, it) == 0) {
        dup = true;
        break;
      }
    if (dup)
      delete[] it;
    else
      kept.push_back(it);
  }
  num = (int)kept.size();
  return toArray(kept);
}

char **getKWList(SeqInfo *info, Mesh *mesh, int &resNum, const char *KW) {
  resNum = 0;
  std::vector<char *> res;
  std::string types(KW ? KW : "");
  char *cur = &types[0];
  while (char *type = _strtok(cur, "_\n")) {
    char *text = info->getKW(type);
    if (!text) continue;
    int n = 0;
    char **items;
    if (strcmp(type, "DE") == 0 && isLabelledDE(text)) {
      std::string names = namesOfDE(text);
      items = getKWitems(&names[0], mesh, n, type);
    } else {
      items = getKWitems(text, mesh, n, type);
    }
    delete[] text;
    for (int i = 0; i < n; i++) {
      bool dup = false;
      for (char *r : res)
        if (strcmp(r, items[i]) == 0) {
          dup = true;
          break;
        }
      if (dup)
        delete[] items[i];
      else
        res.push_back(items[i]);
    }
    delete[] items;
  }
  if (res.empty()) return nullptr;
  resNum = (int)res.size();
  return toArray(res);
}

void addKW(int &numDst, char **dst, char **src, int numSrc, int *_sign) {
  bool refused = false;
  // The keywords held are scanned once per call; a word-by-word comparison is made only
  // where the first letters of the words agree.
  std::vector<uint64_t> letters;
  if (numSrc > 0) {
    letters.reserve((size_t)numDst + (size_t)numSrc);
    for (int k = 0; k < numDst; k++) letters.push_back(firstLetters(dst[k]));
  }
  for (int i = 0; i < numSrc; i++) {
    const char *kw = src[i];
    if (isBadWord(kw) || !hasLetter(kw)) continue;
    const uint64_t mine = firstLetters(kw);
    bool matched = false;
    for (int k = 0; k < numDst; k++) {
      if (letters[(size_t)k] == mine && firInsidSec(kw, dst[k]) && firInsidSec(dst[k], kw)) {
        _sign[k] = 1;
        matched = true;
      }
    }
    if (matched) continue;
    if (numDst >= kMaxKeys) {
      if (!refused) printf("\n Too many keywords: %d are kept, %s and later ones are not", kMaxKeys, kw);
      refused = true;
      continue;
    }
    _sign[numDst] = 1;
    dst[numDst++] = copyOf(kw);
    letters.push_back(mine);
  }
}

int kwIsBad(const char *KW) {
  if (isBadWord(KW)) return 1;
  if (!*KW) return 1;
  return hasLetter(KW) ? 0 : 1;
}

int isHypoth(SeqInfo *info, int numKWtype, const char *const *typeKW) {
  for (int t = 0; t < numKWtype; t++) {
    char *text = info->getKW(typeKW[t]);
    if (!text) continue;
    bool hyp = false;
    for (const char *const *h = hypKW; *h && !hyp; h++) hyp = strstr(text, *h) != nullptr;
    delete[] text;
    if (hyp) return 1;
  }
  return 0;
}

// ---------------------------------------------------------------- feature types

void ftInfo::init(const char *, int ftLen, const char *_name) {
  delete[] Name;
  Name = new (std::nothrow) char[1024];
  if (!Name) noRoom(1024);
  size_t n = strlen(_name);
  if (n > 1023) n = 1023;
  memcpy(Name, _name, n);
  Name[n] = 0;
  Len = Freq = 0;
  Dens = ftLen;
}

void ftInfo::printf(FILE *fout, int nSeq) const {
  fprintf(fout, "\n %-18s   %6.2f    %10.0f   %6.2f", Name, 100.0 * Freq / nSeq, Len,
          100.0 * Dens / Len);
}

int addFT(int &num, ftInfo **info, const char *buf, int ftLen) {
  const char *p;
  int layout;
  if (strncmp(buf, "FT", 2) == 0) {
    p = buf + 2;
    p += strspn(p, " \n\r\t");
    layout = 2;
  } else {
    size_t n = strlen(buf);
    p = buf + (n < 5 ? n : 5);
    layout = 3;
  }
  char name[1024];
  makeName(p, name, layout);
  for (int k = 0; k < num; k++) {
    if (strcmp(info[k]->Name, name) == 0) {
      info[k]->add(ftLen);
      return k;
    }
  }
  if (ftIsBad(name, (int)strlen(name))) return -1;
  if (num >= kMaxKeys) {
    printf("\n Too many feature types: %d are kept, %s is not", kMaxKeys, name);
    return -1;
  }
  ftInfo *f = new (std::nothrow) ftInfo;
  if (!f) noRoom((long long)sizeof(ftInfo));
  f->init(nullptr, ftLen, name);
  info[num] = f;
  return num++;
}

int ftIsBad(const char *FT, int len) {
  for (const char *const *b = badFT; *b; b++)
    if ((int)strlen(*b) == len && strnicmp(*b, FT, len) == 0) return 1;
  return 0;
}

// ---------------------------------------------------------------- supermotif side

int is(const Supermotif *super, const char *name, int num) {
  if (super->qAdr && strcmp(super->qAdr, name) == 0 && super->qNum == num) return 1;
  if (super->bAdr && strcmp(super->bAdr, name) == 0 && super->bNum == num) return 2;
  return 0;
}

// ---------------------------------------------------------------- helpers no program calls

double getWordScore(int numKey, char **listKey, const char *pre) {
  for (int k = 0; k < numKey; k++)
    if (strcmp(listKey[k], pre) == 0) return 1.0;
  int numWords = 0;
  int *lens = nullptr;
  char **words = toList(pre, numWords, lens);
  double best = 0;
  for (int k = 0; k < numKey; k++) {
    const char *key = listKey[k];
    int keyWords = 1;
    for (const char *c = key; *c; c++) keyWords += *c == ' ';
    if (keyWords < numWords) continue;
    int found = 0;
    for (int w = 0; w < numWords; w++) {
      for (const char *m = strstr(key, words[w]); m; m = strstr(m + 1, words[w])) {
        bool before = m > key && isAlnum(m[-1]);
        bool after = isAlnum(m[lens[w]]);
        if (!before && !after) {
          found++;
          break;
        }
      }
    }
    double score = found * (1.0 / keyWords);
    if (score > best) best = score;
  }
  for (int w = 0; w < numWords; w++) delete[] words[w];
  delete[] words;
  delete[] lens;
  return best > 1.0 ? 1.0 : best;
}

char **joinList(char **resList, int &resNum, char **addList, int addNum) {
  if (resNum == 0 && addNum == 0) {
    delete[] resList;
    return nullptr;
  }
  char **r = new char *[(size_t)resNum + (size_t)addNum];
  int n = 0;
  for (int i = 0; i < resNum; i++) r[n++] = resList[i];
  for (int i = 0; i < addNum; i++) {
    bool dup = false;
    for (int k = 0; k < n && !dup; k++) dup = strcmp(r[k], addList[i]) == 0;
    if (!dup) r[n++] = copyOf(addList[i]);
  }
  delete[] resList;
  resNum = n;
  return r;
}

char **toList(const char *str, int &numKW, int *&lenKW) {
  std::string copy(str);
  char *cur = &copy[0];
  std::vector<char *> words;
  while (char *w = _strtok(cur, " \n\t")) words.push_back(copyOf(w));
  numKW = (int)words.size();
  lenKW = new int[words.empty() ? 1 : words.size()];
  for (size_t i = 0; i < words.size(); i++) lenKW[i] = (int)strlen(words[i]);
  return toArray(words);
}

char *addItem(char *list, const char *item) {
  if (!list) return copyOf(item);
  size_t a = strlen(list), b = strlen(item);
  char *r = new char[a + 1 + b + 1];
  memcpy(r, list, a);
  r[a] = ' ';
  memcpy(r + a + 1, item, b + 1);
  delete[] list;
  return r;
}
