// The prediction rule: whether a query has feature key or keyword X, from the segmented
// statistics of X and the counts of the query's similar sequences per power segment.
// Sections, in order:
//   1. The rule (predFT, makePxP_x, makeA, makeGamma)
//   2. Free functions (Fnormal, next, chkA)
// Fnormal's n is truncated toward zero in double by truncToInt.
#include <cmath>
#include <vector>

#include "hist_xx.h"
#include "inv_sqrt.h"

// ======================================================================================
// 1. The rule
// ======================================================================================

namespace {

// sqrt(2 pi) in double, as the rule writes it.
double sqrt2pi() { return std::sqrt(2.0 * M_PI); }

// Scratch of the prediction: on the stack for the segment counts segmentation gives.
class PredScratch {
 public:
  explicit PredScratch(int n) {
    if (n > kInline) {
      heap_.assign(3 * (size_t)n, 0.0);
      base_ = heap_.data();
    } else {
      base_ = inline_;
    }
    n_ = n;
  }
  double *Pxx() { return base_; }
  double *Px_x() { return base_ + n_; }
  double *A() { return base_ + 2 * n_; }

 private:
  static constexpr int kInline = 64;
  double inline_[3 * kInline];
  std::vector<double> heap_;
  double *base_;
  int n_;
};

}  // namespace

int HistXX::makePxP_x(double *Pxx, double *Px_x, const int *all) const {
  double sep = 0;
  for (int i = 0; i < numPow; i++) {
    Pxx[i] = qXbX[i];
    Px_x[i] = q_XbX[i];
    if (qXbX[i] < q_XbX[i]) Pxx[i] = Px_x[i] = (qXbX[i] + q_XbX[i]) * 0.5;
    sep += (Pxx[i] - Px_x[i]) * all[i];
  }
  return sep == 0 ? 1 : 0;
}

void HistXX::makeA(const double *Pxx, const double *Px_x, const int *all, const int * /*ksi*/,
                   double *A) const {
  double sum = 0;
  for (int i = 0; i < numPow; i++) {
    A[i] = all[i] != 0 ? Pxx[i] - Px_x[i] : 0;
    sum += A[i] * all[i];
  }
  if (sum <= 0) return;
  for (int i = 0; i < numPow; i++) A[i] = A[i] / sum;

  std::vector<double> heap;
  double inlineNew[64];
  double *Anew = inlineNew;
  if (numPow > 64) {
    heap.assign(numPow, 0.0);
    Anew = heap.data();
  }
  int numIt = 0;
  double den = 1.0;
  while (den > 0) {
    double sx = 0, s_x = 0;
    for (int i = 0; i < numPow; i++) {
      sx += A[i] * A[i] * all[i] * Pxx[i] * (1 - Pxx[i]);
      s_x += A[i] * A[i] * all[i] * Px_x[i] * (1 - Px_x[i]);
    }
    const double sigX = std::sqrt(sx > 0 ? sx : 0), sig_X = std::sqrt(s_x > 0 ? s_x : 0);
    den = 0;
    for (int i = 0; i < numPow; i++) {
      if (all[i] == 0) {
        Anew[i] = 0;
      } else {
        const double d = (sigX != 0 ? Pxx[i] * (1 - Pxx[i]) / sigX : 0) +
                         (sig_X != 0 ? Px_x[i] * (1 - Px_x[i]) / sig_X : 0);
        Anew[i] = d > 0 ? (Pxx[i] - Px_x[i]) / d : Pxx[i] - Px_x[i];
      }
      den += Anew[i] * all[i];
    }
    double err = 0;
    for (int i = 0; i < numPow; i++) {
      Anew[i] = den > 0 ? Anew[i] / den : 0;
      err += (A[i] - Anew[i]) * (A[i] - Anew[i]);
      A[i] = Anew[i];
    }
    numIt++;
    if (std::sqrt(err) <= 1e-6 || numIt > 99) break;
  }
}

void HistXX::makeGamma(predPAR *unswer, double ita, const double *Pxx, const double *Px_x,
                       const double *A, const int *all, const int * /*ksi*/, int probIdx,
                       int /*wrDist*/) const {
  double MX = 0, M_X = 0, sx = 0, s_x = 0;
  for (int i = 0; i < numPow; i++) {
    MX += A[i] * all[i] * Pxx[i];
    M_X += A[i] * all[i] * Px_x[i];
    sx += A[i] * A[i] * all[i] * Pxx[i] * (1 - Pxx[i]);
    s_x += A[i] * A[i] * all[i] * Px_x[i] * (1 - Px_x[i]);
  }
  const double sigX = sx > 0 ? std::sqrt(sx) : 0, sig_X = s_x > 0 ? std::sqrt(s_x) : 0;

  double gamma;
  if (ita < 0.3)
    gamma = ita + 0.0001;
  else if (sigX + sig_X > 0)
    gamma = (MX * sig_X + M_X * sigX) / (sigX + sig_X);
  else if (freq >= 0.6)
    gamma = ita - 0.00001;
  else
    gamma = (MX + M_X) * 0.5;
  unswer->gamma = gamma;
  unswer->isPred = ita >= gamma ? 1 : 0;
  unswer->P1divP2 = 1.0;

  if (!(sigX + sig_X > 0)) {
    unswer->P1 = 100.0;
    unswer->P1divP2 = freq < 0.6 ? 0.0 : (freq - 0.6) / 0.4;
    return;
  }

  if (ita > MX) {
    unswer->P1 = sig_X > 0 ? (ita - M_X) / sig_X : 10000.0;
  } else {
    double v;
    if (sigX > 0 && sig_X > 0) {
      const double a = (ita - M_X) / sig_X, b = (ita - MX) / sigX;
      v = a * a - b * b;
    } else if (sig_X > 0) {
      v = 0.01;
    } else {
      v = 10000.0;
    }
    if (v < 0) v = 0;
    if (v > 10000) v = 10000;
    unswer->P1 = std::sqrt(v);
  }

  const int row = probIdx ? 1 : 0;
  const double p1 = sigX > 0 ? Fnormal((ita - MX) / sigX) : 1.0;
  const double p2 = sig_X > 0 ? 1 - Fnormal((ita - M_X) / sig_X) : 0;
  const double x = p2 > 0.00001 ? p1 / p2 : arProbStat[row][19];
  for (int j = 0; j < 20; j++)
    if (x <= arProbStat[row][j]) {
      unswer->P1divP2 = arProbVal[row][j];
      break;
    }
}

void HistXX::predFT(predPAR *unswer, const int *all, const int *ksi, int probIdx,
                    int wrDist) const {
  *unswer = predPAR{};
  const int n = numPow > 0 ? numPow : 0;
  PredScratch w(n);
  if (makePxP_x(w.Pxx(), w.Px_x(), all)) {
    if (freq >= 0.6) {
      unswer->isPred = 1;
      unswer->ita = freq;
      unswer->gamma = freq - 0.001;
      unswer->P1 = 99.0;
    }
    return;
  }
  makeA(w.Pxx(), w.Px_x(), all, ksi, w.A());
  double ita = 0;
  for (int i = 0; i < n; i++) ita += w.A()[i] * ksi[i];
  unswer->ita = ita;
  makeGamma(unswer, ita, w.Pxx(), w.Px_x(), w.A(), all, ksi, probIdx, wrDist);
}

// ======================================================================================
// 2. Free functions
// ======================================================================================

double Fnormal(double x) {
  if (x != x) return 0.5;
  if (x < 0) return 1 - Fnormal(-x);
  if (x >= 3) return 1 - std::exp(-x * x / 2) / (x * sqrt2pi());
  const int n = truncToInt(x / 0.01);
  double sum = 0;
  for (int k = n; k >= 1; k--) {
    const double t = 0.01 * k;
    sum += std::exp(-(t * t) / 2);
  }
  return 0.5 + (0.01 / sqrt2pi()) * sum;
}

int next(double *A, const int *all, int numPow) {
  for (int i = 0; i < numPow; i++)
    if (A[i] < 1.0 && all[i] != 0) {
      A[i] = A[i] + 0.1;
      for (int j = 0; j < i; j++) A[j] = 0;
      return 1;
    }
  return 0;
}

void chkA(const double *Pxx, const double *Px_x, const int *all, int numPow) {
  if (numPow <= 0) return;
  std::vector<double> A(numPow, 0.0), norm(numPow), best(numPow, 0.0);
  double bestVal = 0;
  bool any = false;
  do {
    double s = 0;
    for (int i = 0; i < numPow; i++) s += A[i] * all[i];
    for (int i = 0; i < numPow; i++) norm[i] = s > 0 ? A[i] / s : A[i];
    double num = 0, v1 = 0, v2 = 0;
    for (int i = 0; i < numPow; i++) {
      num += norm[i] * all[i] * (Pxx[i] - Px_x[i]);
      v1 += norm[i] * norm[i] * all[i] * Pxx[i] * (1 - Pxx[i]);
      v2 += norm[i] * norm[i] * all[i] * Px_x[i] * (1 - Px_x[i]);
    }
    const double den = std::sqrt(v1) + std::sqrt(v2);
    if (den > 0) {
      const double val = num / den;
      if (!any || val <= bestVal) {
        bestVal = val;
        best = norm;
        any = true;
      }
    }
  } while (next(A.data(), all, numPow));
}
