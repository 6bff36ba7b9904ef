#include "motif.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "errormsg.h"
#include "params.h"

namespace {

const char kDelims[] = " \n\r\t";

// Reads a motif line into m (fields the line lacks stay as they are); false when the line
// holds no quote. Never reads past the terminating zero.
bool parseMotifLine(const char *line, Motif &m) {
  const char *q1 = strchr(line, '\'');
  if (!q1) return false;
  m.frame = q1[1] ? q1[1] : ' ';
  const char *from = q1[1] ? q1 + 2 : q1 + 1;
  const char *q2 = strchr(from, '\'');
  if (!q2) return true;
  int *fields[5] = {&m.qBeg, &m.bBeg, &m.len, &m.sum, &m.pow};
  const char *p = q2 + 1;
  for (int *f : fields) {
    char *end = nullptr;
    int v = parseLong(p, &end);
    if (end == p) break;
    *f = v;
    p = end;
  }
  return true;
}

void writeBlock(const Supermotif &s, FILE *fout, const char *qName, int qNum, char frame) {
  int count = 0;
  for (const Motif *m = s.first; m; m = m->next) count++;
  fprintf(fout, "Supermotif %s %6d %s %6d %6.2f %3d   query-bank\n", qName ? qName : "qAdr", qNum,
          s.bAdr ? s.bAdr : "bAdr", s.bAdr ? s.bNum : 0, s.power / 4096000.0, count);
  for (const Motif *m = s.first; m; m = m->next)
    fprintf(fout, "     '%c' %6d %6d %6d %10d %10d\n", frame == '+' ? m->frame : frame, m->qBeg,
            m->bBeg, m->len, m->sum, m->pow);
}

}  // namespace

// ---- Motif ----

Motif::Motif(int _qBeg, int _bBeg, int _len, int _sum, int _pow, char _frame)
    : qBeg(_qBeg), bBeg(_bBeg), len(_len), sum(_sum), pow(_pow), frame(_frame) {}

void Motif::update(int _qBeg, int _bBeg, int _len, int _sum, int _pow, char _frame) {
  qBeg = _qBeg;
  bBeg = _bBeg;
  len = _len;
  sum = _sum;
  pow = _pow;
  frame = _frame;
  next = nullptr;
}

void Motif::add(int _len, int _sum) {
  len = clampInt32((long long)len + _len);
  sum = clampInt32((long long)sum + _sum);
  pow = powerOf(sum, len);
}

int Motif::equal(const Motif *mot) const {
  return qBeg == mot->qBeg && bBeg == mot->bBeg && len == mot->len && frame == mot->frame;
}

int Motif::load(FILE *fin) {
  std::string line;
  if (!readLine(fin, line)) return 0;
  Motif m = *this;
  if (!parseMotifLine(line.c_str(), m)) return 0;
  *this = m;
  return 1;
}

// ---- Supermotif ----

void Supermotif::del() {
  delete[] qAdr;
  delete[] bAdr;
  qAdr = bAdr = nullptr;
  while (first) {
    Motif *n = first->next;
    delete first;
    first = n;
  }
}

void Supermotif::glueMot() {
  Motif *cur = first;
  while (cur && cur->next) {
    Motif *n = cur->next;
    if (n->frame == cur->frame && (long long)n->qBeg == (long long)cur->qBeg + cur->len &&
        (long long)n->bBeg == (long long)cur->bBeg + cur->len) {
      cur->add(n->len, n->sum);
      cur->next = n->next;
      delete n;
      numMot--;
    } else {
      cur = n;
    }
  }
}

void Supermotif::unTransl() {
  for (Motif *m = first; m; m = m->next) {
    m->bBeg = clampInt32(3LL * m->bBeg);
    m->len = clampInt32(3LL * m->len);
  }
}

void Supermotif::reverse(int seqLen) {
  // Relinking in place gives the same chain as collecting it into an array.
  Motif *prev = nullptr;
  for (Motif *m = first; m;) {
    Motif *n = m->next;
    m->bBeg = clampInt32((long long)seqLen - m->bBeg - m->len);
    m->next = prev;
    prev = m;
    m = n;
  }
  first = prev;
}

void Supermotif::update(const char *_qName, int _qNum, char frame) {
  char *name = _strdup_(_qName);
  delete[] qAdr;
  qAdr = name;
  qNum = _qNum;
  if (frame != '+')
    for (Motif *m = first; m; m = m->next) m->frame = frame;
}

int Supermotif::supLen() const {
  long long total = 0;
  for (const Motif *m = first; m; m = m->next) {
    total += m->len;
    if (const Motif *n = m->next) {
      long long gq = (long long)n->qBeg - m->qBeg - m->len;
      long long gb = (long long)n->bBeg - m->bBeg - m->len;
      total += gq > gb ? gq : gb;
    }
  }
  return clampInt32(total);
}

void Supermotif::copy(const Supermotif *sup) {
  if (sup == this) return;
  del();
  power = sup->power;
  numMot = sup->numMot;
  qAdr = _strdup_(sup->qAdr);
  qNum = sup->qNum;
  bAdr = _strdup_(sup->bAdr);
  bNum = sup->bNum;
  Motif **tail = &first;
  for (const Motif *m = sup->first; m; m = m->next) {
    Motif *c = allocObject<Motif>();
    *c = *m;
    c->next = nullptr;
    *tail = c;
    tail = &c->next;
  }
}

void Supermotif::chgQB() {
  char *name = _strdup_(bAdr);
  delete[] qAdr;
  qAdr = name;
  qNum = bNum;
  for (Motif *m = first; m; m = m->next) {
    int t = m->qBeg;
    m->qBeg = m->bBeg;
    m->bBeg = t;
  }
}

void Supermotif::printSuper(FILE *fout, const char *_qName, int _qNum, char frame) {
  writeBlock(*this, fout, _qName, _qNum, frame);
}

void Supermotif::printSuper(FILE *fout) { writeBlock(*this, fout, qAdr, qNum, '+'); }

int Supermotif::load(FILE *fin) {
  std::string line;
  while (readLine(fin, line)) {
    if (strncmp(line.c_str(), "Supermotif", 10) != 0) continue;
    char *pos = &line[0];
    char *tok[7];
    int n = 0;
    while (n < 7 && (tok[n] = nextToken(pos, kDelims)) != nullptr) n++;
    if (n < 7) continue;
    int count = parseLong(tok[6]);
    if (count < 1) continue;

    // Build the chain aside: a file ending before any motif line leaves this one unchanged.
    Motif *head = nullptr, **tail = &head;
    int read = 0;
    std::string mline;
    while (read < count && readLine(fin, mline)) {
      Motif *m = allocObject<Motif>();
      parseMotifLine(mline.c_str(), *m);
      *tail = m;
      tail = &m->next;
      read++;
    }
    if (!read) return 0;
    qAdr = _strdup_(tok[1]);
    qNum = parseLong(tok[2]);
    bAdr = _strdup_(tok[3]);
    bNum = parseLong(tok[4]);
    power = toPowerScale((long double)strtod(tok[5], nullptr));
    numMot = read;
    first = head;
    return 1;
  }
  return 0;
}

// ---- whole-file check ----

namespace {

// A motif line as written: a frame between two quotes, then five integers.
bool motifLineWhole(const char *line) {
  const char *q1 = strchr(line, '\'');
  if (!q1 || !q1[1] || q1[2] != '\'') return false;
  const char *p = q1 + 3;
  for (int i = 0; i < 5; i++) {
    char *end = nullptr;
    parseLong(p, &end);
    if (end == p) return false;
    p = end;
  }
  return true;
}

}  // namespace

bool motifFileWhole(FILE *f, const char *path) {
  rewind(f);
  LineBuf b;
  long n = 0, cutAt = 0;
  long long left = 0;    // motif lines the open block still announces
  bool inBlock = false;  // the last line read belongs to a block
  bool ended = true;     // the last line read has its line end
  while (!cutAt && getRawLine(f, b)) {
    n++;
    ended = b.n > 0 && b.s[b.n - 1] == '\n';
    if (strncmp(b.s, "Supermotif", 10) == 0) {
      char *pos = b.s, *tok[7];
      int k = 0;
      while (k < 7 && (tok[k] = nextToken(pos, kDelims)) != nullptr) k++;
      if (left > 0 || k < 7) {
        cutAt = n;
        break;
      }
      left = parseLong(tok[6]);
      inBlock = true;
    } else if (left > 0) {
      if (!motifLineWhole(b.s)) cutAt = n;
      left--;
      inBlock = true;
    } else {
      // Without its line end, the start of the word is a Supermotif line cut short.
      inBlock = b.n < 10 && !strncmp(b.s, "Supermotif", (size_t)b.n);
    }
  }
  if (!cutAt && (left > 0 || (inBlock && !ended))) cutAt = n;
  rewind(f);
  if (!cutAt) return true;
  printf("\n Motif file %s is cut short at line %ld", path, cutAt);
  return false;
}

// ---- parameters ----

namespace {
double byParam(int pw, int len, int paramType) {
  if (paramType == 0) return pw / 4096000.0;
  if (paramType == 1) return pw / (4096.0 * 1000.0 * std::sqrt((double)(len > 1 ? len : 1)));
  fatalExit(kExitBadInput, "getParam: Invalid pramType %d", paramType);
}
}  // namespace

double getParam(Supermotif *sup, int paramType) {
  return byParam(sup->power, paramType == 1 ? sup->supLen() : 1, paramType);
}

double getParam(Motif *mot, int paramType) { return byParam(mot->pow, mot->len, paramType); }
