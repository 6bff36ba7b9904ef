// Search parameters: every setting of a search read from the "!"-keyed parameter file, the
// substitution matrix of the current query and the lowering of thresholds for short queries;
// also the declaration of the banner that the search program writes.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "aa_code.h"
#include "aa_group.h"
#include "bankseq.h"
#include "w_matrix.h"

class SearchHomolParams {
 public:
  int eachFrame;          // D: 1 clusters each frame pair alone, 0 pools a strand
  int selectData;         // never set or used
  int thLength;           // L: least motif length
  double thPower;         // P: motif power threshold (real units)
  double thSubalignPower; // F: supermotif power threshold
  int useLookingTable;    // 1 after reading
  double coincRatio;      // C: coincidence ratio of the diagonal filter
  int partSize;           // p: letters per query part
  int winWidth;           // W: window width of the lookup tables
  int coiNum;             // k: coincidences within a window
  int maxShifts;          // s: diagonals kept per part
  int useColors, aaGroups;  // never set or used
  int maxSuper;           // M: most supermotifs kept per query
  int From;               // T: first query letter, from 1 (<= 1: the first)
  int To;                 // t: last query letter, included
  double gapPenalty;      // G
  double minHomolRatio;   // H
  int accurateDotHelix;   // A
  int helixFreqRecalc;    // h
  int reverse;            // E: 0 none, 1 complementary strand only, 2 both
  int trCode;             // never set or used
  int baseMolType;        // set by the caller: 0, 1 or 2
  int psiMaxIter;         // I, n, S, o, r, f, w: read and kept, used by nothing
  int psiNormal;
  int psiMeth;
  int psiPowOrSum;
  int psiResc;
  int psiFreq;
  double psiColWeight;
  int termom;             // 1 after reading
  int selectSup;          // l: drop supermotifs mostly covered by stronger ones
  char frameList[10];     // E: translation frames used, ascending
  AA_groups ag;           // c: letter groups of the lookup tables
  Translation_code code;  // e: genetic code and frame iterator
  char *matrName;         // m: weight matrix file; owned copy or null
  TMatrix *wm;            // matrix of the current query; owned or null

  // Whether key c / key e named a file that was read: neither has a default.
  bool agRead;
  bool codeRead;
  // The paths keys c and e named, as written; empty when not named.
  std::string colorName;
  std::string codeName;

  // Defaults everywhere, no matrix, no letter groups, no codon table.
  SearchHomolParams();
  // Value semantics: the name is copied and the matrix duplicated; the destructor frees both,
  // so a derived class must not free matrName or wm again.
  SearchHomolParams(const SearchHomolParams &o);
  SearchHomolParams &operator=(const SearchHomolParams &o);
  virtual ~SearchHomolParams();

  // Sets the defaults and reads the parameter file to its end; 0 when every value is usable.
  // Non-zero, after a message naming it, when the value of a numeric key holds no number
  // ("\n Parameter !P: four is not a number") or the matrix file of key m can't be opened
  // ("\n Can't open file with Weight matrix %s") or reads as no matrix ("\n File %s is no
  // weight matrix: a line of column letters, then rows of a letter and numbers"). A color
  // or translation code file that can't be opened or read ends the process (exit 111).
  int freadParam(FILE *f);
  // The files the parameter file named, which a run reads: the color file (key c), the
  // translation code file (e) and the weight matrix file (m), those named, in that order.
  std::vector<std::string> namedFiles() const;
  // Writes the parameter banner: the query file path and the banks of the null-ended list.
  // Output errors are left to the caller. Defined with the search program
  // (src/search/banner.cpp), the one program that writes it.
  void print(FILE *fout, const char *inpName, const char *const *base_list) const;
  // Replaces wm by the matrix of this query: the named file, or else the built-in BLOSUM62
  // (protein query) or diagonal matrix (nucleic query) after a message on standard output.
  void readMatr(const BankSeq &query);
  // Lowers the thresholds for a short query (for the rest of the run); a query of at most
  // 2 letters ends the process (exit 111).
  void correctParam(const BankSeq &query);

  // End the process (exit 111) with the color-file / translation-code message when no such
  // file was read: called before the first comparison / before a translated one is set up.
  void requireColors() const;
  void requireCode() const;
};
