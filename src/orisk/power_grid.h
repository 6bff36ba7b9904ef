// The power grids orisk's histograms count over: given on the command line, or estimated
// from the powers of the motifs and supermotifs of the motif file, which is parsed once and
// kept compactly for the learning pass.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

class Supermotif;

// Every supermotif block of a motif file, kept compactly in file order (the file is parsed once).
class MotifStore {
 public:
  struct Mot {
    int qBeg, bBeg, len, sum, pow;
    char frame;
  };
  struct Block {
    int power;
    int qAddr, bAddr;  // indexes into addr
    int numMot;
    size_t firstMot;  // index into mots
  };
  struct Addr {
    std::string name;
    int num;
  };
  std::vector<Addr> addr;
  std::vector<Block> blocks;
  std::vector<Mot> mots;

  // Reads every block of f with Supermotif::load; returns the number read.
  size_t read(FILE *f);
  // Makes s hold block b (its addresses and chain); what s held is released.
  void build(size_t b, Supermotif &s) const;
};

// Descending order of two doubles, NaN last: -1 when *a comes first, 1 when *b, 0 when tied.
int powSort(const void *a, const void *b);

// The grid of nPow powers sorted by powSort: the range up to just above the largest gap of
// the top quarter (or of all powers when that gap lies in the top quarter), in 50 steps. No
// power gives the grid of a single power 0.
void makePow(const double *pow, int nPow, double &minPow, double &maxPow, double &stepPow);

// Both grids from the powers of the stored blocks (motifs, then supermotifs); blocks without
// a motif take no part.
void estimatePow(const MotifStore &store, int paramType, double &minPowMot, double &maxPowMot,
                 double &stepPowMot, double &minPowSup, double &maxPowSup, double &stepPowSup);

// The command-line form: 1 when the grids were estimated from the motif file (argv[1], read
// into *store when given), 0 when the command line gives the range (the caller reads it).
// Exits 1 with kPowUsageText for a partial range, 4 when the motif file can't be opened.
int makePow(int argc, char **argv, double &minPowMot, double &maxPowMot, double &stepPowMot,
            double &minPowSup, double &maxPowSup, double &stepPowSup, int paramType,
            MotifStore *store = nullptr);
