// Feature histograms. Sections, in order:
//   1. Construction and counting
//   2. Accessors
//   3. Writing blocks
//   4. Reading blocks (load, loadPxx, getKwType, loadKW)
//   5. Segmentation (incrEq, monot and their steps)
//   6. Prediction (predFT, makeA, makeGamma, Fnormal, next, chkA)
// Counts and indexes taken from reals (numPow, bins, minNum, Fnormal's n) are truncated
// toward zero in double by truncToInt; nothing here is on the power scale.
#include "hist_xx.h"

#include <sys/types.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "errormsg.h"
#include "inv_sqrt.h"
#include "params.h"

namespace {

const char *orNull(const char *s) { return s ? s : "(null)"; }

// n zeroed doubles (none for n <= 0); exit 7 when they can't be had.
double *newZeroed(int n) {
  if (n < 0) n = 0;
  double *p = new (std::nothrow) double[n]();
  if (!p) noRoom((long long)n * (long long)sizeof(double));
  return p;
}

// The count of one bin as the segment sums take it: truncated, saturated.
int64_t binCount(double v) { return truncToInt(v); }

}  // namespace

// ======================================================================================
// 1. Construction and counting
// ======================================================================================

HistXX::HistXX(double _minPow, double _maxPow, double _stepPow, const char *name, int _paramType)
    : minPow(_minPow), maxPow(_maxPow), stepPow(_stepPow), paramType(_paramType) {
  const int n = truncToInt((maxPow - minPow) / stepPow + 1);
  numPow = n > 0 ? n : 0;
  // The readers refuse larger blocks; a grid this fine is taken as memory that can't be had.
  if (numPow > kMaxHistBins) noRoom((long long)numPow * (long long)sizeof(double));
  Pow = newZeroed(numPow);
  qXbX = newZeroed(numPow);
  qXb_X = newZeroed(numPow);
  q_XbX = newZeroed(numPow);
  q_Xb_X = newZeroed(numPow);
  for (int i = 0; i < numPow; i++) Pow[i] = minPow + i * stepPow;
  FTname = _strdup_(name);
}

HistXX::HistXX(HistXX &&o) noexcept { *this = std::move(o); }

HistXX &HistXX::operator=(HistXX &&o) noexcept {
  if (this == &o) return *this;
  release();
  minPow = o.minPow;
  maxPow = o.maxPow;
  stepPow = o.stepPow;
  numPow = o.numPow;
  Pow = o.Pow;
  freq = o.freq;
  FTname = o.FTname;
  paramType = o.paramType;
  qXbX = o.qXbX;
  qXb_X = o.qXb_X;
  q_XbX = o.q_XbX;
  q_Xb_X = o.q_Xb_X;
  o.Pow = o.qXbX = o.qXb_X = o.q_XbX = o.q_Xb_X = nullptr;
  o.FTname = nullptr;
  o.numPow = 0;
  return *this;
}

HistXX::~HistXX() { release(); }

void HistXX::release() {
  delete[] Pow;
  delete[] qXbX;
  delete[] qXb_X;
  delete[] q_XbX;
  delete[] q_Xb_X;
  delete[] FTname;
  Pow = qXbX = qXb_X = q_XbX = q_Xb_X = nullptr;
  FTname = nullptr;
}

void HistXX::addKW(int qHas, int bHas, double power) {
  if (numPow <= 0 || !qXbX) return;
  const int b = getIdxPow(power);
  if (qHas)
    (bHas ? qXbX : qXb_X)[b] += 1.0;
  else
    (bHas ? q_XbX : q_Xb_X)[b] += 1.0;
}

void HistXX::add(const int *qFT, const int *bFT, int qBeg, int bBeg, int motLen, double power,
                 int bLen, int qLen) {
  if (!qFT || numPow <= 0 || !qXbX || !hasFT(bFT, bLen)) return;
  const int b = getIdxPow(power);
  for (int i = 0; i < motLen; i++) {
    const long long qi = (long long)qBeg + i, bi = (long long)bBeg + i;
    if (qi < 0 || qi >= qLen || bi < 0 || bi >= bLen) continue;
    if (qFT[qi])
      (bFT[bi] ? qXbX : qXb_X)[b] += 1.0;
    else
      (bFT[bi] ? q_XbX : q_Xb_X)[b] += 1.0;
  }
}

int hasFT(const int *FT, int len) {
  if (!FT) return 0;
  int any = 0;
  for (int i = 0; i < len; i++) any |= FT[i];
  return any != 0;
}

// ======================================================================================
// 2. Accessors
// ======================================================================================

int HistXX::getIdxPow(double power) const {
  int bin;
  if (power < maxPow) {
    const double q = (power - minPow) / stepPow;
    // Tested before converting: -inf must not reach the conversion (NaN gives 0 there).
    bin = q < 0 ? 0 : truncToInt(q);
  } else {
    bin = numPow - 1;
  }
  // A degenerate grid (zero step) can give a quotient past the last bin.
  if (bin > numPow - 1) bin = numPow - 1;
  return bin < 0 ? 0 : bin;
}

int HistXX::getNumPow(double power) const {
  for (int i = 1; i < numPow; i++)
    if (power < Pow[i]) return i - 1;
  return numPow > 0 ? numPow - 1 : 0;
}

double HistXX::getProb(double power) const {
  if (numPow <= 0 || !qXbX) return 0.0;
  return qXbX[getNumPow(power)];
}

char *HistXX::getNiceFTname() const {
  char *s = _strdup_(FTname);
  if (s)
    for (char *p = s; *p; p++)
      if (*p == '_') *p = ' ';
  return s;
}

void HistXX::update() {
  for (int i = 0; i < numPow; i++) {
    double s = qXbX[i] + qXb_X[i];
    if (s < 1.0) s = 1.0;
    qXbX[i] /= s;
    qXb_X[i] /= s;
    s = q_XbX[i] + q_Xb_X[i];
    if (s < 1.0) s = 1.0;
    q_XbX[i] /= s;
    q_Xb_X[i] /= s;
  }
}

// ======================================================================================
// 3. Writing blocks
// ======================================================================================

namespace {

void printRow(FILE *f, const char *label, const double *v, int n, const char *fmt) {
  fputs(label, f);
  for (int i = 0; i < n; i++) fprintf(f, fmt, v[i]);
}

}  // namespace

void HistXX::print(FILE *fout) const {
  printRow(fout, "\nqXbX  ", qXbX, numPow, " %5.0f");
  printRow(fout, "\nqXb_X  ", qXb_X, numPow, " %5.0f");
  printRow(fout, "\nq_XbX ", q_XbX, numPow, " %5.0f");
  printRow(fout, "\nq_Xb_X ", q_Xb_X, numPow, " %5.0f");
}

namespace {

bool allZero(const double *v, int n) {
  for (int i = 0; i < n; i++)
    if (v[i] != 0.0) return false;
  return true;
}

}  // namespace

void HistXX::save(FILE *fout, const char *type, int writeGlue, double prob) const {
  if (allZero(qXbX, numPow)) {
    printf("   All qXbX are equal to zero...");
    return;
  }
  if (writeGlue) fprintf(fout, "\n\n %s %s_statistics", orNull(FTname), orNull(type));
  fprintf(fout, "\nminPow %5.2f maxPow %5.2f stepPow %5.2f numPow %5d Freq %f Prob %f", minPow,
          maxPow, stepPow, numPow, freq, prob);
  printRow(fout, paramType == 0 ? "\nPow   " : "\nHom   ", Pow, numPow, " %7.3f");
  printRow(fout, "\nqXbX  ", qXbX, numPow, " %7.5f");
  printRow(fout, "\nq_XbX ", q_XbX, numPow, " %7.5f");
}

void HistXX::savePxx(FILE *fout, const char *type) const {
  if (allZero(qXbX, numPow)) {
    printf("   All qXbX are equal to zero...");
    return;
  }
  fprintf(fout, "\n\n %s %s_statistics", orNull(FTname), orNull(type));
  fprintf(fout, "\nminPow %f maxPow %f stepPow %f numPow %5d", minPow, maxPow, stepPow, numPow);
  printRow(fout, paramType == 0 ? "\nPow   " : "\nHom   ", Pow, numPow, " %7.4f");
  printRow(fout, "\nqXbX  ", qXbX, numPow, " %7.0f");
  printRow(fout, "\nqXb_X ", qXb_X, numPow, " %7.0f");
  printRow(fout, "\nq_XbX ", q_XbX, numPow, " %7.0f");
  printRow(fout, "\nq_Xb_X", q_Xb_X, numPow, " %7.0f");
}

// ======================================================================================
// 4. Reading blocks
// ======================================================================================

namespace {

constexpr const char *kStat = "_statistics";

// Whole lines of any length, each with its offset, so that a line belonging to the next
// block can be given back and a search can restore where it began.
class LineReader {
 public:
  explicit LineReader(FILE *f) : f_(f) {
    const off_t p = ftello(f);
    pos_ = p < 0 ? 0 : p;
    lineStart_ = pos_;
  }
  bool next() {
    lineStart_ = pos_;
    if (!getRawLine(f_, b_)) return false;
    pos_ += b_.n;
    return true;
  }
  char *line() { return b_.s; }
  off_t pos() const { return pos_; }
  // Gives the last line read back to the stream.
  void unread() { seekTo(lineStart_); }
  void seekTo(off_t p) {
    fseeko(f_, p, SEEK_SET);
    pos_ = lineStart_ = p;
  }

 private:
  FILE *f_;
  LineBuf b_;
  off_t pos_ = 0;
  off_t lineStart_ = 0;
};

// The key of a type as a header carries it: a blank, the type and "_statistics"; a header
// that starts with the type also counts, as getKwType reads it. Returns where the type
// starts in the line, or null.
const char *findKey(const char *line, const std::string &key) {
  const char *at = strstr(line, key.c_str());
  if (at) return at + 1;
  if (!strncmp(line, key.c_str() + 1, key.size() - 1)) return line;
  return nullptr;
}

bool isHeader(const char *line) { return strstr(line, kStat) != nullptr; }

bool isBlankLine(const char *s) {
  for (; *s; s++)
    if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n') return false;
  return true;
}

std::string nameOf(const char *line, const char *typeStart) {
  std::string name((size_t)(typeStart - line) + 1, '\0');
  loadKW(line, typeStart, &name[0]);
  name.resize(strlen(name.c_str()));
  return name;
}

const char *skipBlanks(const char *p) {
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') p++;
  return p;
}

// The grid line as "%s %lf %s %lf %s %lf %s %d %s %lf" scans it, the labels unchecked:
// returns how many of min, max, step, numPow and freq were read (they fill in that order).
// The integer is read as a 32-bit long would be.
int scanGridLine(const char *s, double &mn, double &mx, double &st, int &n, double &fr) {
  double *reals[4] = {&mn, &mx, &st, &fr};
  int got = 0;
  const char *p = s;
  for (int field = 0; field < 5; field++) {
    p = skipBlanks(p);
    if (!*p) return got;
    while (*p && !strchr(" \t\n\r\v\f", *p)) p++;  // the label
    p = skipBlanks(p);
    char *end = nullptr;
    if (field == 3) {
      const int v = parseLong(p, &end);
      if (end == p) return got;
      n = v;
    } else {
      const double v = strtod(p, &end);
      if (end == p) return got;
      *reals[field < 3 ? field : 3] = v;
    }
    p = end;
    got++;
  }
  return got;
}

// Values of one row after its label; missing or unreadable ones are 0.
void readRow(char *line, double *v, int n) {
  char *pos = line;
  nextToken(pos, " \n\r\t");  // the label
  for (int i = 0; i < n; i++) {
    const char *t = nextToken(pos, " \n\r\t");
    if (!t) {
      for (; i < n; i++) v[i] = 0.0;
      return;
    }
    char *end = nullptr;
    const double x = strtod(t, &end);
    v[i] = end == t ? 0.0 : x;
  }
}

// Reads lines up to the first that holds label1 (result 1) or label2 (result 2). A header
// line ends the search (given back, result 0): a row never comes from the next block.
int findRow(LineReader &r, const char *label1, const char *label2 = nullptr) {
  while (r.next()) {
    const char *l = r.line();
    if (isHeader(l)) {
      r.unread();
      return 0;
    }
    if (strstr(l, label1)) return 1;
    if (label2 && strstr(l, label2)) return 2;
  }
  return 0;
}

// One statistics block as read, committed to the histogram only when whole.
struct StatBlock {
  std::string name;
  double mn = 0, mx = 0, st = 0, fr = 0;
  int n = 0;
  int paramType = 0;
  std::vector<double> pow, xbx, _xbx;
};

bool sizeOk(int n) { return n >= 1 && n <= kMaxHistBins; }

// The count block whose grid line was just read: its rows through "q_Xb_X". False (and the
// position back after the grid line) when that row does not come before a header or the end.
bool skipCountRows(LineReader &r) {
  const off_t afterGrid = r.pos();
  if (findRow(r, "q_Xb_X") == 1) return true;
  r.seekTo(afterGrid);
  return false;
}

// Reads the block whose header was just read. On false the block is refused; the position
// is then after the lines it used, never before the header.
bool readStatBlock(LineReader &r, const std::string &key, StatBlock &b) {
  for (;;) {
    if (!r.next()) return false;  // a header on the last line
    if (isHeader(r.line())) {
      r.unread();
      return false;
    }
    std::string grid = r.line();
    if (!strstr(grid.c_str(), "Freq") && skipCountRows(r)) {
      // A count block (orisk -F): its statistics follow, headed again (keywords) or not.
      bool more;
      while ((more = r.next()) && isBlankLine(r.line())) {
      }
      if (!more) return false;
      const char *at = findKey(r.line(), key);
      if (at) {
        b.name = nameOf(r.line(), at);
        continue;
      }
      if (strncmp(skipBlanks(r.line()), "minPow", 6) != 0) {
        r.unread();
        return false;
      }
      grid = r.line();
    }
    double fr = 0.0;
    const int got = scanGridLine(grid.c_str(), b.mn, b.mx, b.st, b.n, fr);
    if (got < 4 || !sizeOk(b.n)) return false;
    b.fr = got >= 5 ? fr : 0.0;
    b.pow.assign(b.n, 0.0);
    b.xbx.assign(b.n, 0.0);
    b._xbx.assign(b.n, 0.0);
    const int which = findRow(r, "Pow", "Hom");
    b.paramType = which == 2 ? 1 : 0;
    if (which) readRow(r.line(), b.pow.data(), b.n);
    if (findRow(r, "qXbX")) readRow(r.line(), b.xbx.data(), b.n);
    if (findRow(r, "q_XbX")) readRow(r.line(), b._xbx.data(), b.n);
    return true;
  }
}

char *emptyName() {
  char *s = new char[1];
  s[0] = 0;
  return s;
}

std::string keyOf(const char *type) { return std::string(" ") + orNull(type) + kStat; }

}  // namespace

void loadKW(const char *buf, const char *end, char *FTname) {
  const char *beg = buf;
  while (beg < end && *beg == ' ') beg++;
  const char *stop = end;
  while (stop > beg && stop[-1] == ' ') stop--;
  memcpy(FTname, beg, (size_t)(stop - beg));
  FTname[stop - beg] = 0;
}

int HistXX::load(FILE *fin, const char *type) {
  const std::string key = keyOf(type);
  LineReader r(fin);
  off_t restore = r.pos();
  delete[] FTname;
  FTname = emptyName();
  for (;;) {
    const char *at = nullptr;
    while (r.next() && !(at = findKey(r.line(), key))) {
    }
    if (!at) {
      r.seekTo(restore);
      return 1;
    }
    StatBlock b;
    b.name = nameOf(r.line(), at);
    if (!readStatBlock(r, key, b)) {
      // Never back before a header once read: a refused block is passed over for good.
      restore = r.pos();
      continue;
    }
    release();
    minPow = b.mn;
    maxPow = b.mx;
    stepPow = b.st;
    numPow = b.n;
    freq = b.fr;
    paramType = b.paramType;
    FTname = _strdup_(b.name.c_str());
    Pow = newZeroed(numPow);
    qXbX = newZeroed(numPow);
    qXb_X = newZeroed(numPow);
    q_XbX = newZeroed(numPow);
    q_Xb_X = newZeroed(numPow);
    for (int i = 0; i < numPow; i++) {
      Pow[i] = b.pow[i];
      qXbX[i] = b.xbx[i];
      qXb_X[i] = 1 - qXbX[i];
      q_XbX[i] = b._xbx[i];
      q_Xb_X[i] = 1 - q_XbX[i];
    }
    return 0;
  }
}

int HistXX::loadPxx(FILE *fin, const char *type) {
  const std::string key = keyOf(type);
  LineReader r(fin);
  off_t restore = r.pos();
  delete[] FTname;
  FTname = emptyName();
  for (;;) {
    const char *at = nullptr;
    while (r.next() && !(at = findKey(r.line(), key))) {
    }
    if (!at) {
      r.seekTo(restore);
      return 1;
    }
    const std::string name = nameOf(r.line(), at);
    restore = r.pos();
    if (!r.next()) continue;
    if (isHeader(r.line())) {
      r.unread();
      continue;
    }
    double fMin = 0, fMax = 0, fStep = 0, fr = 0;
    int fNum = 0;
    // A statistics block (it has a Freq) is not a count block.
    if (strstr(r.line(), "Freq") || scanGridLine(r.line(), fMin, fMax, fStep, fNum, fr) < 4 ||
        !sizeOk(fNum)) {
      restore = r.pos();
      continue;
    }
    const int numLeft = minPow < fMin ? truncToInt((fMin - minPow) / stepPow + 1) : 0;
    const int numRigh = maxPow > fMax ? truncToInt((maxPow - fMax) / stepPow + 1) : 0;
    const long long total = (long long)numLeft + fNum + numRigh;
    if (numLeft < 0 || numRigh < 0 || total > kMaxHistBins) {
      restore = r.pos();
      continue;
    }
    std::vector<double> rows[4];
    const char *labels[4] = {"qXbX", "qXb_X", "q_XbX", "q_Xb_X"};
    for (int k = 0; k < 4; k++) {
      rows[k].assign(fNum, 0.0);
      if (findRow(r, labels[k])) readRow(r.line(), rows[k].data(), fNum);
    }
    const char *keepName = name.c_str();
    delete[] FTname;
    FTname = _strdup_(keepName);
    delete[] Pow;
    delete[] qXbX;
    delete[] qXb_X;
    delete[] q_XbX;
    delete[] q_Xb_X;
    numPow = (int)total;
    minPow = fMin - numLeft * stepPow;
    maxPow = fMax + numRigh * stepPow;
    Pow = newZeroed(numPow);
    qXbX = newZeroed(numPow);
    qXb_X = newZeroed(numPow);
    q_XbX = newZeroed(numPow);
    q_Xb_X = newZeroed(numPow);
    double *dest[4] = {qXbX, qXb_X, q_XbX, q_Xb_X};
    for (int k = 0; k < 4; k++)
      for (int i = 0; i < fNum; i++) dest[k][numLeft + i] = rows[k][i];
    for (int i = 0; i < numPow; i++) Pow[i] = minPow + i * stepPow;
    return 0;
  }
}

char *getKwType(FILE *fin) {
  LineReader r(fin);
  const off_t start = r.pos();
  char *type = nullptr;
  while (r.next()) {
    char *line = r.line();
    char *cut = strstr(line, kStat);
    if (!cut) continue;
    *cut = 0;
    char *from = strstr(line, "CC   -!-");
    if (!from) from = cut;
    // Left to the nearest blank, never past the line start.
    while (from > line && from[-1] != ' ') from--;
    type = _strdup_(from);
    break;
  }
  r.seekTo(start);
  return type;
}

// ======================================================================================
// 5. Segmentation
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
  double *newPow = newZeroed(n), *newPxx = newZeroed(n), *newP_xx = newZeroed(n);
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

// ======================================================================================
// 6. Prediction
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
