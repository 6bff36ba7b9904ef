// Feature histograms: the four pair counts of one feature key or keyword over a grid of
// motif powers, and their blocks in the statistics file. Sections, in order:
//   1. Construction and counting
//   2. Accessors
//   3. Writing blocks
//   4. Reading blocks (load, loadPxx, getKwType, loadKW)
//   5. Whole-file check (statFileWhole)
// The segmentation is in hist_segment.cpp, the prediction rule in hist_predict.cpp.
// Counts and indexes taken from reals (numPow, bins, loadPxx's widening) are truncated
// toward zero in double by truncToInt; nothing here is on the power scale.
#include "hist_xx.h"

#include <sys/types.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "errormsg.h"
#include "inv_sqrt.h"
#include "params.h"

namespace {

const char *orNull(const char *s) { return s ? s : "(null)"; }


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
  Pow = allocArray<double>(numPow, true);
  qXbX = allocArray<double>(numPow, true);
  qXb_X = allocArray<double>(numPow, true);
  q_XbX = allocArray<double>(numPow, true);
  q_Xb_X = allocArray<double>(numPow, true);
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
    Pow = allocArray<double>(numPow, true);
    qXbX = allocArray<double>(numPow, true);
    qXb_X = allocArray<double>(numPow, true);
    q_XbX = allocArray<double>(numPow, true);
    q_Xb_X = allocArray<double>(numPow, true);
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
    // The block's step is the object's from here on, and the widening counts in it.
    const bool widen = minPow < fMin || maxPow > fMax;
    const int numLeft = minPow < fMin ? truncToInt((fMin - minPow) / fStep + 1) : 0;
    const int numRigh = maxPow > fMax ? truncToInt((maxPow - fMax) / fStep + 1) : 0;
    const long long total = (long long)numLeft + fNum + numRigh;
    if ((widen && !(fStep > 0)) || numLeft < 0 || numRigh < 0 || total > kMaxHistBins) {
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
    stepPow = fStep;
    minPow = fMin - numLeft * stepPow;
    maxPow = fMax + numRigh * stepPow;
    Pow = allocArray<double>(numPow, true);
    qXbX = allocArray<double>(numPow, true);
    qXb_X = allocArray<double>(numPow, true);
    q_XbX = allocArray<double>(numPow, true);
    q_Xb_X = allocArray<double>(numPow, true);
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
// 5. Whole-file check
// ======================================================================================

namespace {

const char kBlanks[] = " \t\r\n\v\f";

// Tokens of s; the last one in [*last, *last + *lastLen).
long countTokens(const char *s, const char **last = nullptr, size_t *lastLen = nullptr) {
  long n = 0;
  for (const char *p = s + strspn(s, kBlanks); *p; p += strspn(p, kBlanks)) {
    const size_t len = strcspn(p, kBlanks);
    if (last) *last = p, *lastLen = len;
    p += len;
    n++;
  }
  return n;
}

bool firstTokenIs(const char *s, const char *word) {
  const char *p = s + strspn(s, kBlanks);
  const size_t len = strcspn(p, kBlanks);
  return len == strlen(word) && !strncmp(p, word, len);
}

std::string trimmed(const char *s) {
  const char *b = s + strspn(s, " ");
  const char *e = b + strlen(b);
  while (e > b && e[-1] == ' ') e--;
  return std::string(b, e);
}

constexpr const char *kStatRows[] = {"Pow", "qXbX", "q_XbX"};
constexpr const char *kCountRows[] = {"Pow", "qXbX", "qXb_X", "q_XbX", "q_Xb_X"};

// The file line by line: the blocks as orisk writes them, and the keyword tables before them.
class StatFileCheck {
 public:
  // False when the fault shows on this line (its line end removed; ended: it had one).
  bool line(const char *s, bool ended);
  // False when the file, ended after the last line given, is cut short.
  bool end() const;

 private:
  bool row(const char *s);
  bool grid(const char *s);
  void table(const char *s);

  // The open block.
  const char *const *rows_ = nullptr;
  int rowsLeft_ = 0;
  long numPow_ = 0;
  bool stat_ = false;
  bool afterHeader_ = false;
  std::string header_;
  // The last line: its line end, and whether it ended a block (with its last value).
  bool ended_ = true;
  bool closed_ = false;
  std::string lastValue_;
  // The tables and the blocks they promise.
  bool tables_ = false, dividing_ = false, mon_ = false, anyStat_ = false;
  int table_ = 0;
  std::string type_;
  std::set<std::string> headers_;  // of the statistics blocks
  std::vector<std::string> promised_;
};

bool StatFileCheck::line(const char *s, bool ended) {
  ended_ = ended;
  closed_ = false;
  if (rowsLeft_ > 0) return row(s);
  if (afterHeader_) {
    afterHeader_ = false;
    if (!firstTokenIs(s, "minPow") || !grid(s)) return false;
    // A keyword's count block (orisk -F) has a header of its own: only statistics count.
    if (stat_) headers_.insert(header_);
    return true;
  }
  if (strstr(s, kStat)) {
    header_ = trimmed(s);
    afterHeader_ = true;
    return true;
  }
  if (firstTokenIs(s, "minPow")) return grid(s);
  table(s);
  return true;
}

// One row of the open block: its label in order, at least numPow values.
bool StatFileCheck::row(const char *s) {
  if (!*(s + strspn(s, kBlanks))) return true;
  const char *want = rows_[0];
  if (!firstTokenIs(s, want) && !(!strcmp(want, "Pow") && firstTokenIs(s, "Hom"))) return false;
  const char *last = nullptr;
  size_t lastLen = 0;
  const long values = countTokens(s, &last, &lastLen) - 1;
  if (values < numPow_) return false;
  rows_++;
  if (--rowsLeft_ == 0) {
    closed_ = true;
    lastValue_.assign(values > 0 ? last : "", values > 0 ? lastLen : 0);
  }
  return true;
}

bool StatFileCheck::grid(const char *s) {
  double mn, mx, st, fr;
  int n = 0;
  if (scanGridLine(s, mn, mx, st, n, fr) < 4) return false;
  stat_ = strstr(s, "Freq") != nullptr;
  anyStat_ = anyStat_ || stat_;
  rows_ = stat_ ? kStatRows : kCountRows;
  rowsLeft_ = stat_ ? 3 : 5;
  numPow_ = n;
  return true;
}

// The tables: their head, each title with its type, each row of a keyword with its marks,
// and the segmentation line that ends them.
void StatFileCheck::table(const char *s) {
  const char *p = s + strspn(s, " ");
  if (!strncmp(p, "Feature Table", 13)) tables_ = true;
  if (dividing_ || !tables_) return;
  if (strstr(s, "Monotonous segment dividing") || strstr(s, "Increments equivalence dividing")) {
    dividing_ = true;
    mon_ = strstr(s, "Monotonous") != nullptr;
    return;
  }
  const char *end = s + strlen(s);
  if (*p == '=') {  // "====  TYPE  ====": a table of that type begins
    const char *b = p + strspn(p, "=");
    const char *e = end;
    while (e > b && e[-1] == '=') e--;
    if (e < end && e - b > 4 && !strncmp(b, "  ", 2) && !strncmp(e - 2, "  ", 2)) {
      type_.assign(b + 2, e - 2);
      table_++;
    }
    return;
  }
  const char *semi = strrchr(s, ';');
  if (type_.empty() || !semi || (table_ == 1 && type_ == "FT")) return;
  int marked = 0;
  for (const char *m = semi + 1; *(m += strspn(m, kBlanks));) {
    char *e = nullptr;
    const long v = strtol(m, &e, 10);
    if (e == m || !strchr(kBlanks, *e)) return;  // not a row of marks
    marked += v != 0;
    m = e;
  }
  // Kept in two or more sequences: orisk writes its block, always headed.
  if (marked >= 2) promised_.push_back(trimmed((std::string(p, semi) + " " + type_ + kStat).c_str()));
}

bool StatFileCheck::end() const {
  if (afterHeader_ || rowsLeft_ > 0) return false;
  if (!ended_) {
    if (!closed_) return false;
    // The last value of a statistics row has five decimals; fewer show a cut inside it.
    char *e = nullptr;
    const double v = strtod(lastValue_.c_str(), &e);
    const char *dot = strchr(lastValue_.c_str(), '.');
    if (stat_ && !*e && e != lastValue_.c_str() && std::isfinite(v) &&
        (!dot || strspn(dot + 1, "0123456789") < 5))
      return false;
  }
  if (tables_ && !dividing_) return false;
  if (mon_ || anyStat_)
    for (const std::string &h : promised_)
      if (!headers_.count(h)) return false;
  return true;
}

}  // namespace

bool statFileWhole(FILE *f, const char *path) {
  rewind(f);
  LineBuf b;
  StatFileCheck check;
  long n = 0, cutAt = 0;
  while (!cutAt && getRawLine(f, b)) {
    n++;
    long len = b.n;
    const bool ended = len > 0 && b.s[len - 1] == '\n';
    while (len > 0 && (b.s[len - 1] == '\n' || b.s[len - 1] == '\r')) len--;
    b.s[len] = 0;
    if (!check.line(b.s, ended)) cutAt = n;
  }
  if (!cutAt && !check.end()) cutAt = n;
  rewind(f);
  if (!cutAt) return true;
  printf("\n Statistics file %s is cut short at line %ld", path, cutAt);
  return false;
}
