// Shared by the histogram tests: rows and counts set by hand, and whole-stream helpers.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "hist_xx.h"

namespace histtest {

inline void fill(double *a, std::initializer_list<double> v) {
  int i = 0;
  for (double x : v) a[i++] = x;
}

// A segmented histogram's rows; qXb_X and q_Xb_X hold 1 - value as load leaves them.
inline void setRows(HistXX &h, std::initializer_list<double> pow, std::initializer_list<double> x,
                    std::initializer_list<double> _x) {
  h.numPow = (int)pow.size();
  fill(h.Pow, pow);
  fill(h.qXbX, x);
  fill(h.q_XbX, _x);
  for (int i = 0; i < h.numPow; i++) h.qXb_X[i] = 1 - h.qXbX[i], h.q_Xb_X[i] = 1 - h.q_XbX[i];
}

inline void setCounts(HistXX &h, std::initializer_list<double> a, std::initializer_list<double> b,
                      std::initializer_list<double> c, std::initializer_list<double> d) {
  fill(h.qXbX, a);
  fill(h.qXb_X, b);
  fill(h.q_XbX, c);
  fill(h.q_Xb_X, d);
}

// An open stream over the text; the caller closes it.
inline FILE *streamOf(const std::string &text) {
  FILE *f = tmpfile();
  fwrite(text.data(), 1, text.size(), f);
  rewind(f);
  return f;
}

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

// Standard output of fn.
template <class Fn>
std::string printed(Fn fn) {
  testing::internal::CaptureStdout();
  fn();
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

}  // namespace histtest
