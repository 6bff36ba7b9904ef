// Motif clustering: the motifs of one query (frame) against one bank sequence are merged
// greedily into chains (the merger that raises the stronger partner's power most goes first),
// and every chain that reaches the power threshold becomes a Supermotif.
#pragma once

#include <cstddef>

#include "motif.h"

// One chain of motifs running forward on both sequences.
class P_Cluster {
 public:
  int num_homologies = 0;
  Motif *first = nullptr;
  int xbeg = 0;
  int ybeg = 0;
  int xend = 0;  // end (start + length) of the last motif on the query
  int yend = 0;  // ... and on the bank sequence
  int length = 0;
  int sum = 0;
  int power = 0;

  P_Cluster() = default;
  P_Cluster(const P_Cluster &) = delete;
  P_Cluster &operator=(const P_Cluster &) = delete;
  // Frees the chain's motifs.
  ~P_Cluster();

  // Recomputes count, extent, length, sum and power from the chain; each change of diagonal
  // costs gap_penal per letter of shift.
  void update(int gap_penal);
  // Debug listing on standard output.
  void print();
};

// The state of one clustering run. The generator copies the input motifs; what it holds is
// freed by its destructor except the chains handed to emitted supermotifs.
class Cluster_generator {
 public:
  int num_entries = 0;
  int num_active_clusters = 0;
  int *power_value = nullptr;  // triangular: the pair (i, j), j < i, sits in row i - 1, column j
  P_Cluster **cluster = nullptr;
  unsigned char *status = nullptr;  // 0 live, 1 dead

  // Builds one cluster per motif and performs every merger. Exit 7 when memory runs out.
  Cluster_generator(int numMot, const Motif *motifs, int lenThres, int gapPenal);
  Cluster_generator(const Cluster_generator &) = delete;
  Cluster_generator &operator=(const Cluster_generator &) = delete;
  ~Cluster_generator();

  // The best pair's estimate (0 when no estimate is positive); imax is the stronger slot.
  int get_max_power(int &imax, int &jmax) const;
  // The next live cluster at or above powThres as a new supermotif (no addresses), or null.
  Supermotif *emit_supermotif(int powThres);
  // Debug listings on standard output.
  void printClust(int num);
  void printAll();

  void assign_power(int i, int j, int value) { power_value[pairIndex(i, j)] = value; }
  int get_power(int i, int j) const { return power_value[pairIndex(i, j)]; }

 private:
  // Row r holds r + 1 entries; 64-bit so large runs index correctly.
  static size_t pairIndex(int i, int j) {
    if (i < j) {
      int t = i;
      i = j;
      j = t;
    }
    size_t r = (size_t)(i - 1);
    return r * (r + 1) / 2 + (size_t)j;
  }
  // Cached best estimate of each row over live columns (first column on ties), so the best
  // pair is found by scanning rows rather than the whole table.
  int *rowBest = nullptr;
  int *rowArg = nullptr;
  int emitPos = 0;
  void refreshRow(int i);
};

// Estimate of merging c1 and c2: the merged power when it is strictly above the stronger
// partner's power (the first argument on equal powers), else 0.
int calculate_power(P_Cluster *c1, P_Cluster *c2, int lenThres, int gapPenal);
// Merges c2 into c1 (the slots first exchange their clusters when c1 is the weaker). c1 then
// holds the merged cluster; c2 holds an empty cluster standing for the unused remainder.
void concatenate_clusters(P_Cluster *&c1, P_Cluster *&c2, int lenThres, int gapPenal);

// Clusters numMot motifs (each with a null next). `super` receives a new[] array of
// numMot + 1 pointers ending with a null after the supermotifs made, or null when numMot is 0;
// the caller owns the array and the supermotifs. Returns their number. Exit 7 on no memory.
int Find_clusters(int numMot, const Motif *motifs, Supermotif **&super, int lenThres,
                  int powThres, int gapPenal);
