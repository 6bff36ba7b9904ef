// Histogram segmentation: the fine grid of counts turned into a few power steps, by least
// bending over every boundary vector (incrEq) or by two monotone step fits (monot).
// Sections, in order:
//   1. Least bending (incrEq, nextBou, makeFreq, makeDer)
//   2. Monotone steps (monot, findMaxPxx, findMaxP_xx, makeProb)
// Bin counts and minNum are truncated toward zero in double by truncToInt; the bending
// terms are added one after another in the order written.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

#include "errormsg.h"
#include "hist_xx.h"
#include "inv_sqrt.h"

namespace {

const char *orNull(const char *s) { return s ? s : "(null)"; }


// The count of one bin as the segment sums take it: truncated, saturated.
int64_t binCount(double v) { return truncToInt(v); }

}  // namespace

// ======================================================================================
// 1. Least bending
// ======================================================================================

namespace {

// Ratio of a segment: 0 when its "has X" sum is 0.
double ratio(int64_t has, int64_t lacks) { return has == 0 ? 0.0 : (double)has / (has + lacks); }

// The bending terms of segment s, the qXbX term added before the q_XbX term.
void addBend(double &der, int s, int numSegm, const double *Pxx, const double *P_xx,
             double freq) {
  const double lo = s == 0 ? freq * freq : Pxx[s - 1];
  const double hi = s == numSegm - 1 ? 1.0 : Pxx[s + 1];
  const double _lo = s == 0 ? (1 - freq) * (1 - freq) : P_xx[s - 1];
  const double _hi = s == numSegm - 1 ? 0.0 : P_xx[s + 1];
  der += std::fabs((Pxx[s] - lo) - (hi - Pxx[s]));
  der += std::fabs((P_xx[s] - _lo) - (_hi - P_xx[s]));
}

// First segment whose sums nextBou changed, for the cached bending prefix.
int advance(const HistXX &h, int numSegm, int minNum, int *curBou, int64_t *s1, int64_t *s2,
            int64_t *s3, int64_t *s4, int &firstChanged) {
  int i = numSegm - 1;
  while (i >= 1 && curBou[i + 1] - curBou[i] <= minNum) i--;
  if (i < 1) return 0;
  if (i == numSegm - 1) {
    const int b = curBou[i];
    const int64_t c1 = binCount(h.qXbX[b]), c2 = binCount(h.qXb_X[b]);
    const int64_t c3 = binCount(h.q_XbX[b]), c4 = binCount(h.q_Xb_X[b]);
    s1[i] -= c1, s2[i] -= c2, s3[i] -= c3, s4[i] -= c4;
    s1[i - 1] += c1, s2[i - 1] += c2, s3[i - 1] += c3, s4[i - 1] += c4;
    curBou[i]++;
    firstChanged = i - 1;
    return 1;
  }
  curBou[i]++;
  for (int j = i; j <= numSegm - 2; j++) curBou[j + 1] = curBou[j] + minNum;
  h.makeFreq(i - 1, numSegm, curBou, s1, s2, s3, s4);
  firstChanged = i - 1;
  return 2;
}

}  // namespace

void HistXX::makeFreq(int from, int to, const int *curBou, int64_t *QXBX, int64_t *QXB_X,
                      int64_t *Q_XBX, int64_t *Q_XB_X) const {
  for (int s = from; s < to; s++) {
    QXBX[s] = QXB_X[s] = Q_XBX[s] = Q_XB_X[s] = 0;
    for (int b = curBou[s]; b < curBou[s + 1]; b++) {
      QXBX[s] += binCount(qXbX[b]);
      QXB_X[s] += binCount(qXb_X[b]);
      Q_XBX[s] += binCount(q_XbX[b]);
      Q_XB_X[s] += binCount(q_Xb_X[b]);
    }
  }
}

double HistXX::makeDer(int numSeg, const int64_t *QXBX, const int64_t *QXB_X,
                       const int64_t *Q_XBX, const int64_t *Q_XB_X, double _freq) const {
  std::vector<double> Pxx(numSeg > 0 ? numSeg : 0), P_xx(Pxx.size());
  for (int s = 0; s < numSeg; s++) {
    Pxx[s] = ratio(QXBX[s], QXB_X[s]);
    P_xx[s] = ratio(Q_XBX[s], Q_XB_X[s]);
  }
  double der = 0;
  for (int s = 0; s < numSeg; s++) addBend(der, s, numSeg, Pxx.data(), P_xx.data(), _freq);
  return der;
}

int HistXX::nextBou(int numSegm, int minNum, int *curBou, int64_t *QXBX, int64_t *QXB_X,
                    int64_t *Q_XBX, int64_t *Q_XB_X) const {
  int firstChanged;
  return advance(*this, numSegm, minNum, curBou, QXBX, QXB_X, Q_XBX, Q_XB_X, firstChanged);
}

void HistXX::incrEq(int numSegm, double coe, double _freq) {
  freq = _freq;
  if (numSegm < 3) numSegm = 3;
  if (numSegm > numPow / 2) numSegm = numPow / 2;
  if (numSegm <= 0) {
    numPow = 0;
    return;
  }
  int minNum = truncToInt(coe * numPow / numSegm);
  if (minNum < 1) minNum = 1;
  // A share above 1 would put the start vector past the grid.
  if (minNum > numPow / numSegm) minNum = numPow / numSegm;

  std::vector<int> curBou(numSegm + 1), minBou(numSegm + 1);
  for (int s = 0; s < numSegm; s++) curBou[s] = minBou[s] = s * minNum;
  curBou[numSegm] = minBou[numSegm] = numPow;
  std::vector<int64_t> sums(4 * (size_t)numSegm);
  int64_t *QXBX = sums.data(), *QXB_X = QXBX + numSegm, *Q_XBX = QXB_X + numSegm,
          *Q_XB_X = Q_XBX + numSegm;
  makeFreq(0, numSegm, curBou.data(), QXBX, QXB_X, Q_XBX, Q_XB_X);

  // prefix[s]: the bending summed over the terms of segments 0..s-1, in order; a step that
  // changes segments from c on changes the terms from c - 1 on, so the rest is added again
  // onto the same prefix and the sum is the one a full pass gives.
  std::vector<double> Pxx(numSegm), P_xx(numSegm), prefix(numSegm + 1, 0.0);
  double minDer = 1000000.0;
  int firstChanged = 0;
  int rc;
  do {
    for (int s = firstChanged; s < numSegm; s++) {
      Pxx[s] = ratio(QXBX[s], QXB_X[s]);
      P_xx[s] = ratio(Q_XBX[s], Q_XB_X[s]);
    }
    const int from = firstChanged > 0 ? firstChanged - 1 : 0;
    double der = prefix[from];
    for (int s = from; s < numSegm; s++) {
      addBend(der, s, numSegm, Pxx.data(), P_xx.data(), freq);
      prefix[s + 1] = der;
    }
    if (der < minDer) {
      minDer = der;
      minBou = curBou;
    }
    rc = advance(*this, numSegm, minNum, curBou.data(), QXBX, QXB_X, Q_XBX, Q_XB_X,
                 firstChanged);
  } while (rc);

  makeFreq(0, numSegm, minBou.data(), QXBX, QXB_X, Q_XBX, Q_XB_X);
  int k = 0;
  for (int s = 0; s < numSegm; s++) {
    qXbX[k] = ratio(QXBX[s], QXB_X[s]);
    q_XbX[k] = ratio(Q_XBX[s], Q_XB_X[s]);
    Pow[k] = Pow[minBou[s]];
    if (freq != 0) {
      qXbX[k] = (9 * qXbX[k] + freq) / 10;
      q_XbX[k] = (9 * q_XbX[k] + freq) / 10;
    }
    if (k == 0 || std::fabs(qXbX[k] - qXbX[k - 1]) > 0.001 ||
        std::fabs(q_XbX[k] - q_XbX[k - 1]) > 0.001)
      k++;
  }
  numPow = k;
}

// ======================================================================================
// 2. Monotone steps
// ======================================================================================

int HistXX::findMaxPxx(int i_min, int i_max, double &xx) const {
  double xx_max = 0, s1 = 0, s2 = 0;
  int id_max = i_max - 1;
  for (int i = i_max - 1; i >= i_min; i--) {
    s1 += qXbX[i];
    s2 += qXb_X[i];
    if ((s1 + s2) * xx_max <= s1) {
      id_max = i;
      if (s1 + s2 != 0) xx_max = s1 / (s1 + s2);
    }
  }
  xx = xx_max;
  return id_max;
}

int HistXX::findMaxP_xx(int i_min, int i_max, double &_xx) const {
  double xx_max = 0, s1 = 0, s2 = 0;
  int id_max = i_min;
  for (int i = i_min; i < i_max; i++) {
    s1 += q_XbX[i];
    s2 += q_Xb_X[i];
    if ((s1 + s2) * xx_max <= s1) {
      id_max = i;
      if (s1 + s2 != 0) xx_max = s1 / (s1 + s2);
    }
  }
  _xx = xx_max;
  return id_max;
}

void HistXX::makeProb(int i1, int i2, double &xx, double &_xx, int _print) const {
  double sum1 = 0, sum2 = 0, has1 = 0, has2 = 0;
  for (int i = i1; i < i2; i++) {
    sum1 += qXbX[i] + qXb_X[i];
    sum2 += q_XbX[i] + q_Xb_X[i];
    has1 += qXbX[i];
    has2 += q_XbX[i];
  }
  xx = has1 / (sum1 > 1.0 ? sum1 : 1.0);
  _xx = has2 / (sum2 > 1.0 ? sum2 : 1.0);
  if (_print) printf("\n %s ", orNull(FTname));
}

void HistXX::monot(int /*_numSegm*/, double _freq) {
  freq = _freq;
  const int n = numPow > 0 ? numPow : 0;
  std::vector<int> iPxx(n), iP_xx(n);
  std::vector<double> Pxx(n), P_xx(n);
  double x;

  // The qXbX fit, from the top step down.
  int i = n - 1, iPow = n;
  while (i >= 0 && iPow != 0) {
    int id;
    if (i != 0) {
      id = findMaxPxx(0, iPow, Pxx[i]);
    } else {
      makeProb(0, iPow, Pxx[0], x, 1);
      id = 0;
    }
    iPxx[i] = id;
    iPow = id;
    i--;
  }
  const int numPxx = n - (i + 1);
  for (int k = 0; k < numPxx; k++) {
    iPxx[k] = iPxx[i + 1 + k];
    Pxx[k] = Pxx[i + 1 + k];
  }

  // The q_XbX fit, from the bottom step up.
  i = 0;
  iPow = 0;
  while (i < n && iPow < n) {
    iP_xx[i] = iPow;
    int id;
    if (i != n - 1) {
      id = findMaxP_xx(iPow, n, P_xx[i]);
    } else {
      makeProb(iPow, n, x, P_xx[i], 1);
      id = n - 1;
    }
    iPow = id + 1;
    i++;
  }
  const int numP_xx = i;

  // Rows at the union of both fits' start bins.
  double *newPow = allocArray<double>(n, true), *newPxx = allocArray<double>(n, true), *newP_xx = allocArray<double>(n, true);
  int rows = 0, ix = 0, i_x = 0;
  double prevX = 0, prev_X = 0;
  while (ix < numPxx || i_x < numP_xx) {
    int bin;
    if (ix < numPxx && i_x < numP_xx) {
      const int a = iPxx[ix], b = iP_xx[i_x];
      if (a < b) {
        prevX = Pxx[ix++];
        bin = a;
      } else if (a > b) {
        prev_X = P_xx[i_x++];
        bin = b;
      } else {
        prevX = Pxx[ix++];
        prev_X = P_xx[i_x++];
        bin = a;
      }
    } else if (ix < numPxx) {
      bin = iPxx[ix];
      prevX = Pxx[ix++];
    } else {
      bin = iP_xx[i_x];
      prev_X = P_xx[i_x++];
    }
    newPxx[rows] = prevX;
    newP_xx[rows] = prev_X;
    newPow[rows] = Pow[bin];
    rows++;
  }
  if (rows >= 2 && newPxx[rows - 1] == newPxx[rows - 2] && newP_xx[rows - 1] == newP_xx[rows - 2])
    rows--;
  numPow = rows;
  delete[] Pow;
  delete[] qXbX;
  delete[] q_XbX;
  Pow = newPow;
  qXbX = newPxx;
  q_XbX = newP_xx;
  if (freq != 0)
    for (int k = 0; k < numPow; k++) {
      qXbX[k] = (9 * qXbX[k] + freq) / 10;
      q_XbX[k] = (9 * q_XbX[k] + freq) / 10;
    }
}
