// Alignment blocks and the alignment bank (PRINTS, BLOCKS, Pfam).
//
// Contents, in order:
//   rows          row allocation and the residues of a line (file-local)
//   WorkAli       the block: rows, columns, the readers of the three formats, consensus
//   AliBase       the open alignment bank, one entry per call
//   line helpers  getStrAliStr, getLenAliStr
#include "alibase.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "alphabet.h"
#include "errormsg.h"
#include "params.h"
#include "seqbase.h"

// ---------------------------------------------------------------- rows

namespace {

constexpr int kMaxRows = 100000;

bool isLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isBlankLine(const std::string &s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

[[noreturn]] void tooManyRows() {
  fatalExit(kExitBadInput, "\n Too large number of rows in the alignment\n");
}

// Letters and '-' of the first word of a PRINTS line (after its leading blanks).
std::string firstWordResidues(const std::string &line) {
  std::string out;
  size_t p = line.find_first_not_of(" \t\r\n");
  if (p == std::string::npos) return out;
  for (; p < line.size() && line[p] != ' ' && line[p] != '\t'; p++) {
    unsigned char c = (unsigned char)line[p];
    if (isLetter(c) || c == '-') out += (char)c;
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------- WorkAli

void WorkAli::clear() {
  if (ali) {
    for (int r = 0; r < nSeq; r++) delete[] ali[r];
    delete[] ali;
  }
  ali = nullptr;
  nSeq = 0;
}

void WorkAli::alloc(int _nSeq, int _nCol) {
  clear();  // rows held before would leak otherwise
  if (_nSeq < 0) _nSeq = 0;
  if (_nCol < 0) _nCol = 0;
  ali = allocArray<char *>(_nSeq > 0 ? _nSeq : 1);
  for (int r = 0; r < _nSeq; r++) {
    ali[r] = allocArray<char>(_nCol ? _nCol : 1);
    memset(ali[r], 0, (size_t)_nCol ? (size_t)_nCol : 1);
  }
  nSeq = _nSeq;
  len = _nCol;
}

int WorkAli::empty(int n) const {
  for (int r = 0; r < nSeq; r++) {
    char c = ali[r][n];
    if (c && c != '-' && strchr(aa_letters, c)) return 0;
  }
  return 1;
}

int WorkAli::equal(int col1, int col2) const {
  for (int r = 0; r < nSeq; r++)
    if (ali[r][col2] != 0 && ali[r][col1] == 0) return 0;
  return 1;
}

void WorkAli::printf() const {
  std::printf("\n\n");
  for (int r = 0; r < nSeq; r++) {
    for (int k = 0; k < len; k++) std::printf("%c", ali[r][k]);
    std::printf("\n");
  }
}

int WorkAli::readFast(const char *fileName) {
  FILE *f = fopen(fileName, "rb");
  if (!f) return 0;
  std::string line;
  // The rows of the first block: consecutive non-blank lines.
  int rows = 0;
  bool started = false;
  while (readLine(f, line)) {
    if (isBlankLine(line)) {
      if (started) break;
      continue;
    }
    started = true;
    rows++;
  }
  if (rows == 0) {
    fclose(f);
    return 0;
  }
  std::vector<long long> count((size_t)rows, 0);
  rewind(f);
  long long k = 0;
  while (readLine(f, line)) {
    if (isBlankLine(line)) continue;
    for (unsigned char c : line)
      if (isLetter(c)) count[(size_t)(k % rows)]++;
    k++;
  }
  long long longest = 0;
  for (long long c : count)
    if (c > longest) longest = c;
  if (longest > INT32_MAX - 1) noRoom(longest);
  clear();
  ali = allocArray<char *>(rows > 0 ? rows : 1);
  for (int r = 0; r < rows; r++) {
    ali[r] = allocArray<char>(longest ? (long long)longest : 1);
    memset(ali[r], '-', (size_t)longest);
  }
  nSeq = rows;
  len = (int)longest;
  std::vector<int> fill((size_t)rows, 0);
  rewind(f);
  k = 0;
  while (readLine(f, line)) {
    if (isBlankLine(line)) continue;
    size_t r = (size_t)(k % rows);
    for (unsigned char c : line)
      if (isLetter(c)) ali[r][fill[r]++] = (char)c;
    k++;
  }
  fclose(f);
  return 1;
}

namespace {

// Takes over the collected rows and checks that they have one length. extended adds the
// row count and the rows to the failure report.
int settleRows(WorkAli &wa, std::vector<char *> &rows, bool extended) {
  wa.ali = allocArray<char *>(rows.empty() ? 1 : (long long)rows.size());
  for (size_t r = 0; r < rows.size(); r++) wa.ali[r] = rows[r];
  wa.nSeq = (int)rows.size();
  rows.clear();
  if (wa.nSeq == 0) {
    wa.len = 0;
    return 0;
  }
  wa.len = (int)strlen(wa.ali[0]);
  if (wa.len == 0) return 0;
  for (int r = 1; r < wa.nSeq; r++) {
    int l = (int)strlen(wa.ali[r]);
    if (l == wa.len) continue;
    std::printf("\n Different length of the rows in alignment\n");
    std::printf("\n len_#1=%d len_#%d=%d\n", wa.len, r, l);
    if (extended) {
      std::printf("\nnSeq %d", wa.nSeq);
      for (int k = 0; k < wa.nSeq; k++) std::printf("\n%s", wa.ali[k]);
    }
    fatalExit(kExitBadAlignment, "%s", "");
  }
  return 1;
}

char *copyRow(const char *tok) {
  size_t n = strlen(tok);
  char *p = allocArray<char>((long long)n + 1);
  memcpy(p, tok, n + 1);
  return p;
}

}  // namespace

int WorkAli::readBlocks(FILE *f) {
  clear();
  std::vector<char *> rows;
  std::string line;
  bool inBlock = false;
  while (readLine(f, line)) {
    if (!inBlock) {
      inBlock = line.compare(0, 3, "BL ") == 0;
      continue;
    }
    if (line.compare(0, 2, "//") == 0) break;
    if ((int)rows.size() >= kMaxRows) tooManyRows();
    size_t close = line.find(')');
    if (close == std::string::npos) continue;
    char *pos = &line[close + 1];
    char *tok = nextToken(pos, " \n\t");
    if (tok) rows.push_back(copyRow(tok));
  }
  return settleRows(*this, rows, false);
}

int WorkAli::readPFam(FILE *f) {
  clear();
  std::vector<char *> rows;
  std::string line;
  bool any = false;
  while (readLine(f, line)) {
    if (line[0] == '#' || line[0] == '/') continue;
    any = true;
    break;
  }
  if (!any) return 0;
  do {
    if (line[0] == '/') break;
    if (line[0] == '#') continue;
    // Held rows are capped as in the BLOCKS reader: a further line would need a slot.
    if ((int)rows.size() >= kMaxRows) tooManyRows();
    char *pos = &line[0];
    nextToken(pos, " \t\r\n");
    char *tok = nextToken(pos, " \t\r\n");
    if (!tok) continue;
    for (char *p = tok; *p; p++)
      if (*p == '.') *p = '-';
    rows.push_back(copyRow(tok));
  } while (readLine(f, line));
  return settleRows(*this, rows, true);
}

WorkSeq *WorkAli::makeConsen() const {
  std::string cons((size_t)(len > 0 ? len : 0), 'X');
  std::vector<double> share((size_t)(len > 0 ? len : 0), 0.0);
  std::vector<char> top((size_t)(len > 0 ? len : 0), 'a');
  for (int c = 0; c < len; c++) {
    int count[26] = {0};
    for (int r = 0; r < nSeq; r++) {
      unsigned char ch = (unsigned char)ali[r][c];
      if (isLetter(ch)) count[(ch | 0x20) - 'a']++;
    }
    int best = 0;
    for (int k = 1; k < 26; k++)
      if (count[k] > count[best]) best = k;
    top[(size_t)c] = (char)('a' + best);
    share[(size_t)c] = (double)count[best] / len;
  }
  double thr = 1.0;
  if (len > 0) {
    // Below 0 every column counts, so the loop ends; the bound only guards against NaN.
    int above;
    do {
      thr -= 0.1;
      above = 0;
      for (double s : share)
        if (s > thr) above++;
    } while (above < 0.7 * len && thr > -1.0);
  }
  for (int c = 0; c < len; c++)
    if (share[(size_t)c] >= thr) cons[(size_t)c] = (char)(top[(size_t)c] - 'a' + 'A');
  WorkSeq *w = allocObject<WorkSeq>();
  w->set(cons.data(), (int)cons.size());
  w->frame = ' ';
  return w;
}

// ---------------------------------------------------------------- AliBase

AliBase::AliBase(const char *_name)
    : f(nullptr), _valid(0), format(0), molType(0), size(0), name(nullptr) {
  f = fopen(_name, "rb");
  if (!f) return;
  format = ::getFormat(f);
  _valid = 1;
  name = _strdup_(_name);
}

AliBase::~AliBase() {
  if (f) fclose(f);
  delete[] name;
}

int AliBase::next(WorkAli &ws) {
  if (!f) return 0;
  switch (format) {
    case kFormatBlocks:
      return ws.readBlocks(f);
    case kFormatPfam:
      return ws.readPFam(f);
    case kFormatPrints:
      break;
    default:
      std::printf("Unknown alinment format %d", format);
      return 0;
  }
  std::string line;
  bool found = false;
  while (readLine(f, line))
    if (line.compare(0, 3, "ft;") == 0) {
      found = true;
      break;
    }
  if (!found) return 0;
  fpos_t mark;
  if (fgetpos(f, &mark) != 0) return 0;
  // Rows are sized by the longest first word, so no row overruns its columns.
  int rows = 0;
  size_t cols = 0;
  while (readLine(f, line) && line.compare(0, 3, "bb;") != 0) {
    size_t n = firstWordResidues(line).size();
    if (n == 0) continue;
    rows++;
    if (n > cols) cols = n;
  }
  if (rows == 0) return 0;
  if (cols > (size_t)INT32_MAX) noRoom((long long)cols);
  ws.alloc(rows, (int)cols);
  if (fsetpos(f, &mark) != 0) return 0;
  int r = 0;
  while (r < rows && readLine(f, line) && line.compare(0, 3, "bb;") != 0) {
    std::string res = firstWordResidues(line);
    if (res.empty()) continue;
    memcpy(ws.ali[r++], res.data(), res.size());
  }
  return 1;
}

// ---------------------------------------------------------------- line helpers

char *getStrAliStr(char *buf) {
  char *p = buf + strspn(buf, " \t\r\n");
  while (*p && *p != ' ' && *p != '\t') p++;
  while (*p && !isLetter((unsigned char)*p) && *p != '-') p++;
  return p;
}

int getLenAliStr(char *buf) {
  int n = 0;
  for (char *p = getStrAliStr(buf); *p && !strchr(" \t\r\n", *p); p++)
    if (isLetter((unsigned char)*p) || *p == '-') n++;
  return n;
}
