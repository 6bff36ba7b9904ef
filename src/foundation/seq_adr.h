// Sequence-address lists: the distinct (bank path, entry number) pairs named by the
// "Supermotif" lines of a motif file, each with the highest power seen for it.
#pragma once

// A sequence address. `name` is a new[] copy owned by the list; whoever owns the array
// releases it with delete[] (the records stay trivially copyable so lists can be sorted).
struct SeqAddr {
  char *name = nullptr;  // bank file path
  int num = 0;           // entry number, from 0
};

struct SeqAddrPow : SeqAddr {
  double pow = 0;  // highest power seen, in printed units
};

// Most entries a list holds; callers allocate one more.
constexpr int kMaxSeqAddr = 999;

// When buf contains "Supermotif": adds the query address (only when both is non-zero) and
// the bank address of that line to the list sa of nSeq entries, and returns 1. Returns 0 and
// changes nothing for any other line, and for a line whose addresses or power are missing
// or do not parse. A full list prints "\n Too many sequences" for each new address.
int addSeqAddr(const char *buf, int &nSeq, SeqAddrPow *sa, int both);

// Adds or updates the address whose path is token nSkip (1 query side, 3 bank side) of the
// line pntr, counted from the word "Supermotif" as token 0; a known address keeps the
// larger power. Returns 1, or 0 (nothing changed) when a needed token is missing or bad.
int AddOneSeqAddr(const char *pntr, int &nSeq, SeqAddrPow *sa, int nSkip);

// Index of the entry with exactly this path and number, -1 when there is none.
int getSeqIdx(int nSeq, const SeqAddrPow *sa, const char *name, int num);
