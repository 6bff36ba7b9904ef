// Dot-helix segment finder: cuts one diagonal score profile into non-overlapping segments of
// high power (score sum x length factor), strongest stretch by stretch, depth first.
#pragma once

#include <cstdint>
#include <vector>

#include "helix_filter.h"
#include "vector_form.h"

// What the wide window scans of DotHelix need (its filter's scans follow its form too).
constexpr unsigned kWideWindowScan = kCpuAvx512f;

// One segment of a profile.
struct Homology_info {
  int left;    // first position in the profile
  int length;  // positions
  int sum;     // profile sum over the segment
  int power;   // sum x length factor, saturated to int32
};

// Reusable work space of one thread: the segments of the last call and the interval stack.
// Buffers only grow, so repeated calls allocate nothing.
class DotHelixWork {
 public:
  std::vector<Homology_info> found;  // segments of the last call, in the order found
  // Which form the window scans (kWideWindowScan) and the filter's scans take. Tests set it to
  // compare both.
  VectorForm vectorForm = VectorForm::Wide;

 private:
  friend int DotHelix(DotHelixWork &, const int *, int, int, int, int, bool);
  struct Interval {
    int left, length;
  };
  std::vector<Interval> stack_;
  std::vector<int32_t> prefix_;  // prefix sums of the profile for the vector scans
  HelixFilter filter_;
};

// Segments of elem[0 .. length) at least length_low_threshold long (below 1: 1) with power at
// least power_low_threshold (below 1: 1), into work.found; returns their number. With
// `accurate` each segment is narrowed again until its start no longer moves. `screened` skips
// the filter on the whole profile, for a caller that has just run it without a rejection.
int DotHelix(DotHelixWork &work, const int *elem, int length, int length_low_threshold,
             int power_low_threshold, int accurate, bool screened = false);

// The same as a new array the caller frees with delete[] (num_found records), or null with
// num_found 0 when no segment is found. Exit 7 when the array cannot be had.
Homology_info *DotHelix(const int *elem, int length, int length_low_threshold,
                        int power_low_threshold, int &num_found, int accurate);
