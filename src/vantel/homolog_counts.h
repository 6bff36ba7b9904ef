// The counting pass over the motif file: for every query position, feature and keyword of
// the statistics, how many similar sequences cover the position with a motif in each power
// bin, and how many of them carry the feature there or carry the keyword.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "seqinfo.h"
#include "stat_tables.h"

class EntryLog;
class Mesh;
class Supermotif;
struct Motif;

// The headers of the similar entries, each read once through its bank's index: every
// similar entry vantel reads comes through here, so all of them can be read before any
// file is created.
class EntryHeaders {
 public:
  // log: the run's log of the entries read (not owned; it outlives this object).
  explicit EntryHeaders(EntryLog *log) : log_(log) {}
  // The header of entry num of bank, read on the first request; null when it can't be read.
  // The header lives as long as this object.
  SeqInfo *get(const char *bank, int num);

 private:
  EntryLog *log_;
  std::map<std::pair<std::string, int>, std::unique_ptr<SeqInfo>> held_;  // null: unreadable
};

// A supermotif counted for the keywords: its power on both scales and its motif spans.
struct SupRec {
  double param[2];
  size_t spanBeg, spanEnd;
};

// What one pass over the motif file found for the keywords.
struct KwCounts {
  std::vector<std::pair<int, int>> spans;  // (qBeg, len) of motifs inside the query
  std::vector<SupRec> sups;
  std::vector<std::vector<int>> typeSups;  // per type: the supermotifs counted for it
  std::vector<std::vector<std::vector<int>>> has;  // per type, per keyword: those that have it

  explicit KwCounts(const Stats &st) : typeSups(st.kw.size()), has(st.kw.size()) {
    for (size_t t = 0; t < st.kw.size(); t++) has[t].resize(st.kw[t].size());
  }
};

// Feature counts along the query, made only for the features some similar entry has.
struct FtCounts {
  std::vector<std::unique_ptr<int[]>> all, ksi;  // all: (L + 1) x numPow, range adds first
};

// The power bin of a counted supermotif in the grid of h.
int binOf(const HistXX &h, const SupRec &r);

class Counter {
 public:
  // The query's address and length; the headers of the similar entries; the thesaurus (or
  // null) for the keyword lists; the column file (or null).
  Counter(Stats &st, const char *seqAdr, int seqNum, int seqLen, EntryHeaders &headers,
          Mesh *mesh, FILE *fcol);

  FtCounts ft;

  // One pass over the motif file from its current position. The recount pass (recount set)
  // counts no feature, writes no column line and prints no progress.
  void pass(FILE *fmot, bool recount, KwCounts &kc);

  // The feature counts as plain counts per position (after the range adds).
  void finishFeatures();

 private:
  Stats &st_;
  const char *seqAdr_;
  int seqNum_;
  int L_;
  EntryHeaders &headers_;
  Mesh *mesh_;
  FILE *fcol_;
  SeqInfo *info_ = nullptr;  // the header of the similar entry being counted
  std::unordered_map<std::string, std::vector<int>> ftByName_;
  std::vector<int> ftAnyKey_;  // the features without a name

  bool fits(const Motif *m, int bankLen) const;
  void countOne(Supermotif &sup, bool recount, KwCounts &kc);
  void countFeatures(Supermotif &sup, int len);
  void countKeywords(Supermotif &sup, int bankLen, bool recount, KwCounts &kc);
};
