// Shared by the histogram tests: histograms filled by hand, and whole-stream helpers.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "hist_xx.h"

namespace histtest {

// A histogram on the grid given, cut to the rows given (Pow, qXbX, q_XbX), as a segmented
// one would be; qXb_X and q_Xb_X hold 1 - value as load leaves them.
inline void setRows(HistXX &h, std::initializer_list<double> pow, std::initializer_list<double> x,
                    std::initializer_list<double> _x) {
  int i = 0;
  for (double v : pow) h.Pow[i++] = v;
  h.numPow = i;
  i = 0;
  for (double v : x) {
    h.qXbX[i] = v;
    h.qXb_X[i++] = 1 - v;
  }
  i = 0;
  for (double v : _x) {
    h.q_XbX[i] = v;
    h.q_Xb_X[i++] = 1 - v;
  }
}

// Four count rows set bin by bin.
inline void setCounts(HistXX &h, std::initializer_list<double> xbx, std::initializer_list<double> xb_x,
                      std::initializer_list<double> _xbx, std::initializer_list<double> _xb_x) {
  int i = 0;
  for (double v : xbx) h.qXbX[i++] = v;
  i = 0;
  for (double v : xb_x) h.qXb_X[i++] = v;
  i = 0;
  for (double v : _xbx) h.q_XbX[i++] = v;
  i = 0;
  for (double v : _xb_x) h.q_Xb_X[i++] = v;
}

// An open stream over the text; the caller closes it.
inline FILE *streamOf(const std::string &text) {
  FILE *f = tmpfile();
  fwrite(text.data(), 1, text.size(), f);
  rewind(f);
  return f;
}

// What fn writes to a stream.
template <class Fn>
std::string written(Fn fn) {
  char *buf = nullptr;
  size_t n = 0;
  FILE *f = open_memstream(&buf, &n);
  fn(f);
  fclose(f);
  std::string out(buf, n);
  free(buf);
  return out;
}

// The rest of the stream from its position (which is kept).
inline std::string rest(FILE *f) {
  const long at = ftell(f);
  std::string s;
  int c;
  while ((c = getc(f)) != EOF) s.push_back((char)c);
  fseek(f, at, SEEK_SET);
  return s;
}

}  // namespace histtest
