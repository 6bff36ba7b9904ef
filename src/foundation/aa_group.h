// Letter groups: sorts characters into a few classes (colours) so that the lookup tables
// of the search engine treat letters of one class as equal.
#pragma once

#include <cstdio>

class AA_groups {
 private:
  unsigned char nalpha[256];  // class of every character code
  unsigned char plot[26];     // class of each letter 'A'..'Z'

 public:
  int num_colors;  // classes, the one of every unnamed character included

  AA_groups();

  // Reads a color file (one class per line holding letters) from the current position
  // to the end, replacing the grouping held. Returns 0 when at least one class was read,
  // 1 when the file held no letter, 2 when it names more classes than a byte can number,
  // 3 (after a message naming the byte) when it holds a byte no letter group can hold: a
  // zero, a control byte other than tab and line ends, or one from 128 up. A byte-order
  // mark opening the file is passed over. The caller owns and closes the file.
  int fread(FILE *f);
  // The built-in nucleic grouping: A, C, G, T/U, everything else. Returns 0.
  int makeDNA();
  // Class of character c.
  unsigned char ord(unsigned char c) const { return nalpha[c]; }
  // The class of every character code, as one table.
  const unsigned char (&classes() const)[256] { return nalpha; }
};
