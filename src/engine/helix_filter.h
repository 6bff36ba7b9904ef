// The quick proof that a diagonal profile holds no segment of the dot-helix finder.
#pragma once

#include <cstdint>
#include <vector>

#include "vector_form.h"

// What the wide forms need: the batch screen of rejectsBatch, the band scan of rejectsSuffix.
constexpr unsigned kWideBatch = kCpuAvx2;
constexpr unsigned kWideBandScan = kCpuAvx512f | kCpuAvx512vl;

// A quick proof that a profile holds no segment. A segment of n positions needs a sum of at
// least need(n) = ceil(P / factor(n)), which grows like sqrt(n). Over a band of lengths
// [lo, hi] a line alpha + beta x n stays at or below need (alpha is the exact minimum of
// need(n) - beta x n there), so a passing run of such a length makes the best run of
// (elem - beta) reach alpha. When no band's best run reaches its alpha, nothing passes.
class HelixFilter {
 public:
  // Profiles screened at once by rejectsBatch.
  static constexpr int kLanes = 8;
  // What rejectsBatch reads past a lane's own length: no run through it can gain.
  static constexpr int kPad = -(1 << 26);
  // Longest profile and largest |score| the batch takes: within them its 32-bit sums are exact.
  static constexpr int kBatchRows = 4096;
  static constexpr int kBatchScore = 1 << 16;

  // Thresholds as DotHelix takes them (below 1 count as 1).
  void prepare(int length_low_threshold, int power_low_threshold);
  // True when no run of elem[0 .. length) has length >= L and power >= P, so DotHelix
  // returns nothing. False says nothing.
  bool rejects(const int *elem, int length);
  // rejects(elem + s, end - s), sharing its work among the stretches of one profile that end
  // at the same place. newProfile() forgets that work: call it whenever elem's values change.
  bool rejectsSuffix(const int *elem, int s, int end) {
    // Most questions come again for the same end once its answer is known.
    if (elem == sufElem_ && end == sufEnd_ && sufPass_ >= 0) return s > sufPass_;
    return rejectsSuffixScan(elem, s, end);
  }
  void newProfile();
  // The same for kLanes profiles at once, interleaved: value i of lane l at elem[i x kLanes +
  // l] for i < rows, lane l holding len[l] values and kPad from there to rows (rows is the
  // largest len). Every |value| is at most maxScore. Bit l of the result set proves lane l
  // empty; a clear bit says nothing (also for every lane when the bounds above are exceeded;
  // `ran` tells whether the screen ran).
  unsigned rejectsBatch(const int *elem, const int *len, int rows, int maxScore, bool &ran);
  // rejectsBatch computed in 64 bits, lane by lane: the twin the vector forms are checked on.
  unsigned rejectsBatchPlain(const int *elem, const int *len, int rows, int maxScore);
  // The bands rejectsBatch takes for profiles of at most `rows` values and |value| at most
  // maxScore: their number (0 when the 32-bit screen does not serve them), each band's slope
  // and intercept into beta and alpha (room for kMaxBatchBands). A lane passes when its best
  // run of (value - beta[k]) reaches alpha[k] for some k; lanes shorter than minLength()
  // never pass.
  int batchThresholds(int rows, int maxScore, int32_t *beta, int32_t *alpha);
  int minLength() const { return L_; }
  static constexpr int kMaxBatchBands = 8;
  // Which form rejectsBatch (kWideBatch) and the scan of rejectsSuffix (kWideBandScan) take;
  // the plain ones work in 64 bits. Tests set it to compare both.
  VectorForm vectorForm = VectorForm::Wide;

 private:
  struct Band {
    int lo, hi;       // lengths covered
    long long beta;   // slope
    long long alpha;  // intercept, the least need(n) - beta x n over the band
  };
  int L_ = 0, P_ = 0;
  std::vector<Band> bands_;  // consecutive from L on, added as longer profiles come
  // Bands from L by ratio 4 up to the longest factor: never more than this.
  static constexpr int kMaxBands = 8;
  // One backward scan of all bands at once over the stretches ending at sufEnd_: reached
  // sufPos_, with each band's best run starting there (c) and best run so far (b), or the
  // largest start sufPass_ from which some band passes (-1 while none does). Band k counts
  // only for starts up to lim[k], where the stretch is at least its shortest length.
  const int *sufElem_ = nullptr;
  int sufEnd_ = -1, sufPos_ = -1, sufPass_ = -1, sufBands_ = 0;
  long long sufBeta_[kMaxBands], sufAlpha_[kMaxBands], sufC_[kMaxBands], sufB_[kMaxBands];
  int sufLim_[kMaxBands];
  void addBand();
  bool rejectsSuffixScan(const int *elem, int s, int end);
  // Bands of the lengths up to rows (their number), or 0 when a 32-bit batch may overflow.
  int batchBands(int rows, int maxScore);
};
