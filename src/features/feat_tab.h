// Keywords and feature types of bank entries: keywords are words or whole phrases of chosen
// header line types, brought to their main headings through the thesaurus; feature types are
// the names of feature-table entries with their totals. Also the stop-word test, hypothetical
// entries, word-set comparison of keywords and the side of a supermotif a sequence is on.
//
// Every array of strings returned here is new[] (as is each string): the caller deletes both.
#pragma once

#include <cstdio>

class SeqInfo;
class Mesh;
class Supermotif;

// Most keywords (of one type) and feature types a caller's table holds.
constexpr int kMaxKeys = 10000;

// Trims a word in place: trailing characters of " ),-.:]}" (a zero is written after the last
// one kept), then leading ones of " (,-.:[{" (the cursor moves). 1 when 2 or more remain.
int clrEdge(char *&word);
// Tokenizer with its position in the caller's cursor: skips delimiters, cuts the token with a
// zero and moves past it; null when nothing is left. At the end the cursor stays on the zero.
char *_strtok(char *&str, const char *tok);
// 1 when every word of fir (split at " \n;:-") matches a word of sec: equal when either is
// shorter than 6 characters, else the fir word is a prefix of the sec word. Case-sensitive.
int firInsidSec(const char *fir, const char *sec);
// Keywords of one type's text src (src is cut up). Phrase types ("KW", "KE", "KS") keep whole
// segments; other types give single words. Duplicates ignoring case are dropped. Prints
// "Synonym\n" / "Synonim\n" on thesaurus hits as it goes. Never null; num is the count.
char **getKWitems(char *src, Mesh *mesh, int &num, const char *KW);
// Keywords of every type of the list KW ('_' or '\n' separated), exact duplicates across
// types dropped; null with resNum 0 when there are none. A DE text in today's layout
// (RecName:, AltName:, SubName:) gives only the values of its Full= and Short= fields.
char **getKWList(SeqInfo *info, Mesh *mesh, int &resNum, const char *KW);
// Merges the keywords src of one sequence into dst (room for kMaxKeys) and sets _sign[k] for
// every keyword k of dst the sequence has. Stop words and keywords without letters are
// skipped; a keyword matching an existing one both ways marks it instead of being added.
// Past kMaxKeys keywords a new one is refused with a message.
void addKW(int &numDst, char **dst, char **src, int numSrc, int *_sign);
// 1 for a keyword that is not to be learned (a stop word, empty, or without letters).
int kwIsBad(const char *KW);
// 1 when the text of one of the types contains HYPOTHETICAL, ORF, PUTATIVE or PROBABLE.
int isHypoth(SeqInfo *info, int numKWtype, const char *const *typeKW);

// Totals of one feature type.
class ftInfo {
 public:
  char *Name = nullptr;  // the name as the feature line builds it (1024 bytes)
  double Len = 0;        // lengths of the sequences that carry the type
  double Freq = 0;       // number of those sequences
  double Dens = 0;       // lengths of all its ranges

  ftInfo() = default;
  ftInfo(const ftInfo &) = delete;
  ftInfo &operator=(const ftInfo &) = delete;
  ~ftInfo() { delete[] Name; }

  void init(const char *str, int ftLen, const char *_name);
  void plus(int seqLen) {
    Len += seqLen;
    Freq += 1;
  }
  void add(int ftLen) { Dens += ftLen; }
  // One row of the feature summary table.
  void printf(FILE *fout, int nSeq) const;
};

// Counts one range of ftLen letters of the feature line buf: the index of its type in info
// (a new entry at num when the type is new), or -1 for SOURCE, CONFLICT, VARIANT and for a
// new type past kMaxKeys (refused with a message). Exits 7 when memory runs out.
int addFT(int &num, ftInfo **info, const char *buf, int ftLen);
// 1 when FT (of length len) is SOURCE, CONFLICT or VARIANT ignoring case.
int ftIsBad(const char *FT, int len);
// 1 when (name, num) is the query of super, 2 when it is its bank sequence, else 0.
int is(const Supermotif *super, const char *name, int num);

// How well the phrase pre matches one of the keys, from 0 to 1.
double getWordScore(int numKey, char **listKey, const char *pre);
// resList with copies of the items of addList it lacks appended: a new array (the old one is
// deleted, its strings moved); null when both counts are 0.
char **joinList(char **resList, int &resNum, char **addList, int addNum);
// The words of str (split at " \n\t") and their lengths in lenKW (new[]).
char **toList(const char *str, int &numKW, int *&lenKW);
// item when list is null, else list + " " + item (list is deleted).
char *addItem(char *list, const char *item);
