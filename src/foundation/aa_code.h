// Genetic code and the frame iterator: turns one sequence into the frames the search
// compares (as is, reverse complement, or three or six translations).
#pragma once

#include <cstdio>

#include "bankseq.h"

// Frame letters by frame index: 'a'..'c' direct translations, 'd'..'f' reverse ones,
// '+' the sequence as is, '-' its reverse complement.
constexpr char frameSign[] = "abcdef+-";

struct Translation_unit {
  char codon[3];  // as written in the file; never used for lookup
  char aa;
};

class Translation_code {
 public:
  Translation_unit code[64];  // indexed by codon number 16*b1 + 4*b2 + b3 (C0 T1 G2 A3)
  // Complement of every character. Named with a trailing '_' since `compl` is a
  // reserved operator word in C++.
  char compl_[256];
  int frame;        // index of the next frame to produce
  int numFrames;    // frames of the current pair of molecule types: 1, 2, 3 or 6
  int queMolType;   // 0 protein, 1 nucleic
  int baseMolType;
  char frameList[10];  // translation frames to produce, "abcdef" by default

  Translation_code();

  // Reads a translation code file: 64 codon lines from the first line starting "CCC".
  // Returns 0 when all 64 were read, 1 otherwise (no "CCC" line, fewer codons, or a
  // codon line without its amino-acid token). The caller owns and closes the file.
  int fread(FILE *f);
  // Amino acid of the three characters at p, read forwards (complement 0) or as their
  // reverse complement; 'X' when a character is not one of A, C, G, T, U.
  char getProt(const char *p, int complement) const;
  // Starts a pair of molecule types; sets numFrames (see the frame table) and frame 0.
  void update(int queMolType, int baseMolType, int reverse);
  // Frame iterator: writes the next frame of sour into dest and returns 1; returns 0 and
  // rewinds when all frames were produced. Exit 7 when dest cannot grow.
  int translate(BankSeq &dest, const BankSeq &sour);
  // The single translation frame chFrame ('a'..'f'), or the next listed one after it;
  // overwrites the molecule types and numFrames. 0 when none is produced.
  int translate(BankSeq &dest, const BankSeq &sour, char chFrame);
  // After translate produced a frame: 1 when it closes its strand.
  int lastFrame() const;
};

// For query frames produced in frame-list order: 1 when frame is the last one, or the
// last of the direct strand.
int lastFrame(int frame, int numFrames, const char *frameList);
