// Supermotif reports. The sequences and headers are fetched again from the bank files by the
// supermotif's addresses.
//
// Contents, in order:
//   helpers        labels, bounds checks, letters of a row (file-local)
//   translation    tranMotif: a nucleic sequence translated along a chain
//   summary        printInfasSW: one line per supermotif
//   alignment      printSupasSW: query and bank sequence in blocks of 60 columns
//   block entry    printAlign: a motif against a multi-row block entry
#include "report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "aa_code.h"
#include "seqbase.h"
#include "seqinfo.h"
#include "w_matrix.h"
#include "work_seq.h"

// ---------------------------------------------------------------- helpers

namespace {

const char *orNull(const char *s) { return s ? s : "(null)"; }

char upperCh(char c) { return (char)std::toupper((unsigned char)c); }
char lowerCh(char c) { return (char)std::tolower((unsigned char)c); }
bool isUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }

// The bank file name without its directories; the first character never counts as a separator.
const char *pathTail(const char *path) {
  if (!path || !*path) return path ? path : "";
  const char *tail = path;
  for (const char *p = path + 1; *p; p++)
    if (*p == '/' || *p == '\\') tail = p + 1;
  return tail;
}

// The summary label: "name| AC| ID " cut to 36, padded to 37, its last non-blank made ']'.
std::string makeLabel(const char *bAdr, const char *ac, const char *id) {
  std::string label = pathTail(orNull(bAdr));
  label += "| ";
  label += orNull(ac);
  label += "| ";
  label += orNull(id);
  label += ' ';
  if (label.size() > 36) label.resize(36);
  label.resize(37, ' ');
  size_t last = label.find_last_not_of(' ');
  if (last != std::string::npos) label[last] = ']';
  return label;
}

// Every motif must lie inside both (translated) sequences before a letter is read.
bool chainFits(const Motif *first, long long qLen, long long bLen) {
  if (!first) return false;
  for (const Motif *m = first; m; m = m->next) {
    if (m->qBeg < 0 || m->bBeg < 0 || m->len < 1) return false;
    if ((long long)m->qBeg + m->len > qLen || (long long)m->bBeg + m->len > bLen) return false;
  }
  return true;
}

void motifOutOfSequence(const char *bAdr, int bNum) {
  printf("\n Motif out of sequence: %s %d", orNull(bAdr), bNum);
}

bool isTranslationFrame(char f) { return f >= 'a' && f <= 'f'; }

// Printed position = Mul * (position from 0) + Add; a row ends at start + Mul * letters + Shi.
struct Mapping {
  long long mul = 1, add = 1, shi = -1;
};

// Number of characters of row[from, from + w) that are not '-'.
long long lettersIn(const std::string &row, size_t from, size_t w) {
  long long n = 0;
  for (size_t i = from; i < from + w; i++)
    if (row[i] != '-') n++;
  return n;
}

}  // namespace

// ---------------------------------------------------------------- translation

void tranMotif(WorkSeq &seq, Translation_code *code, Motif *mot, int trBank) {
  if (!code || !mot) return;
  WorkSeq copy(seq);
  const long long full = copy.len() / 3;
  std::string result;
  long long pos = 0;
  BankSeq tr;
  for (Motif *m = mot; m; m = m->next) {
    bool translated = isTranslationFrame(m->frame) && code->translate(tr, copy, m->frame) != 0;
    long long avail = translated ? std::min<long long>(full, tr.len()) : full;
    long long end = avail;
    if (m->next) end = trBank ? m->next->bBeg : m->next->qBeg;
    // Stretches never run backwards nor past the translation.
    if (end > avail) end = avail;
    if (end < pos) end = pos;
    if (translated)
      result.append(tr.seq() + pos, (size_t)(end - pos));
    else
      result.append((size_t)(end - pos), 'X');
    pos = end;
  }
  seq.set(result.data(), (int)result.size());
}

// ---------------------------------------------------------------- summary

void Supermotif::printInfasSW(FILE *fout, EntryLog *log) {
  SeqInfo info;
  info.readSeq(bAdr, bNum, log);
  char *ac = info.getAC();
  char *id = info.getID();
  std::string label = makeLabel(bAdr, ac, id);
  delete[] ac;
  delete[] id;
  const char *de = info.getDE();
  fprintf(fout, "%s %7.2f ! %s\n", label.c_str(), power / 4096000.0, orNull(de));
}

// Fetches both sequences of a supermotif: 0, or -1 (query) / -2 (bank) unreadable.
// ---------------------------------------------------------------- alignment

static int readPair(const Supermotif &sup, WorkSeq &query, WorkSeq &bank, int &qLen, int &bLen,
                    EntryLog *log) {
  qLen = query.readSeq(sup.qAdr, sup.qNum, log);
  if (qLen <= 0) {
    printf("\n Can't read query sequence: %s %d", orNull(sup.qAdr), sup.qNum);
    return -1;
  }
  bLen = bank.readSeq(sup.bAdr, sup.bNum, log);
  if (bLen <= 0) {
    printf("\n Can't read bank sequence: %s %d", orNull(sup.bAdr), sup.bNum);
    return -2;
  }
  return 0;
}

int Supermotif::printSupasSW(FILE *fout, Weight_matrix *wm, Translation_code *code, int,
                             EntryLog *log) {
  WorkSeq query, bank;
  int qLen = 0, bLen = 0;
  if (int rc = readPair(*this, query, bank, qLen, bLen, log)) return rc;
  if (!first) {
    motifOutOfSequence(bAdr, bNum);
    return -4;
  }
  const int qMolType = getMolType(query.seq(), qLen);
  const char frame0 = first->frame;

  if (frame0 != '+' && frame0 != '-') {
    if (!code) {
      printf("\n Translation code must be used for printing.\n");
      return -3;
    }
    // The caller's code stays as it was: the single-frame translation rewrites its state.
    if (isTranslationFrame(frame0)) {
      Translation_code local(*code);
      if (qMolType == 0)
        tranMotif(bank, &local, first, 1);
      else
        tranMotif(query, &local, first, 0);
    }
  }
  if (!chainFits(first, query.len(), bank.len())) {
    motifOutOfSequence(bAdr, bNum);
    return -4;
  }

  Weight_matrix local;
  if (wm) {
    local = *wm;
    double *cb = local.makeFreq(bank.len(), bank.seq());
    double *cq = local.makeFreq(query.len(), query.seq());
    local.normalize(aa_frequences, cb);
    local.recast(cb, cq);
    delete[] cb;
    delete[] cq;
  }

  Mapping qm, bm;
  if (frame0 == '-') {
    bank.reverse();
    bm = {-1, bLen, 1};
  } else if (isTranslationFrame(frame0)) {
    Mapping &side = qMolType == 1 ? qm : bm;
    const long long L = qMolType == 1 ? qLen : bLen;
    const int k = frame0 - 'a';
    if (k < 3)
      side = {3, 1 + k, -1};
    else
      side = {-3, L - (k - 3), 1};
  }

  // Rows grow as needed; an overlapping or backward step contributes no gap letters.
  std::string qRow, bRow;
  const char *q = query.seq();
  const char *b = bank.seq();
  for (const Motif *m = first; m; m = m->next) {
    for (int i = 0; i < m->len; i++) {
      qRow += upperCh(q[m->qBeg + i]);
      bRow += upperCh(b[m->bBeg + i]);
    }
    const Motif *n = m->next;
    if (!n) break;
    long long gq = (long long)n->qBeg - m->qBeg - m->len;
    long long gb = (long long)n->bBeg - m->bBeg - m->len;
    if (gq < 0) gq = 0;
    if (gb < 0) gb = 0;
    const long long d = gq - gb;
    if (d <= 0)
      qRow.append((size_t)-d, '-');
    else
      bRow.append((size_t)d, '-');
    for (long long i = 0; i < gq; i++) qRow += lowerCh(q[m->qBeg + m->len + i]);
    for (long long i = 0; i < gb; i++) bRow += lowerCh(b[m->bBeg + m->len + i]);
  }
  const size_t columns = qRow.size();

  std::string sign(columns, ' ');
  long long id = 0, numLet = 0;
  for (size_t c = 0; c < columns; c++) {
    const char qc = qRow[c], bc = bRow[c];
    if (isUpperLetter(bc)) numLet++;
    if (!wm) {
      if (qc == bc && isUpperLetter(qc)) {
        sign[c] = '|';
        id++;
      }
      continue;
    }
    if (!isUpperLetter(qc) || !isUpperLetter(bc)) continue;
    if (qc == bc) {
      sign[c] = qc;
      id++;
      continue;
    }
    const int o = local.orig_elem[local.ord(bc)][local.ord(qc)];
    const double z = ((o - local.mean) / local.mdisp) / 0.44;
    int k = 0;
    if (z >= 3.0)
      k = 3;
    else if (z >= 1.0)
      k = (int)z;
    sign[c] = " .+*"[k];
  }

  double summa, homPer;
  if (!wm) {
    summa = (double)id;
    homPer = numLet <= 1 ? (double)id : (double)id / (double)numLet;
  } else {
    summa = (power / 4096000.0) * std::sqrt((double)columns);
    const double denom = local.diag_average * (double)columns;
    // A flat matrix has no positive diagonal mean: no quotient then, only its sign.
    if (!(denom > 0.0)) {
      homPer = summa > 0.0 ? 1.0 : 0.0;
    } else {
      const double x = summa / denom;
      homPer = x < 1.0 ? x : 1.0;
    }
  }

  SeqInfo info;
  info.readSeq(bAdr, bNum, log);
  char *ac = info.getAC();
  fprintf(fout, "\n%-10s", orNull(ac));
  delete[] ac;
  for (const Motif *m = first; m; m = m->next) fputc(m->frame, fout);
  fprintf(fout, " %50s\n", orNull(info.getDE()));
  fprintf(fout, "Power %7.2f Summa %7.0f HomPer %7.2f", power / 4096000.0, summa, homPer);

  long long qPos = qm.mul * first->qBeg + qm.add;
  long long bPos = bm.mul * first->bBeg + bm.add;
  for (size_t col = 0; col < columns;) {
    const size_t w = std::min<size_t>(60, columns - col);
    const long long nq = lettersIn(qRow, col, w), nb = lettersIn(bRow, col, w);
    fprintf(fout, "\n%7lld   %.*s   %-7lld", qPos, (int)w, qRow.c_str() + col,
            qPos + qm.mul * nq + qm.shi);
    fprintf(fout, "\n          %.*s", (int)w, sign.c_str() + col);
    fprintf(fout, "\n%7lld   %.*s   %-7lld", bPos, (int)w, bRow.c_str() + col,
            bPos + bm.mul * nb + bm.shi);
    fputc('\n', fout);
    qPos += qm.mul * nq;
    bPos += bm.mul * nb;
    col += w;
  }
  return 0;
}

// ---------------------------------------------------------------- block entry

int Supermotif::printAlign(FILE *fout, int nSup, EntryLog *log) {
  WorkSeq query, bank;
  int qLen = 0, bLen = 0;
  if (int rc = readPair(*this, query, bank, qLen, bLen, log)) return rc;
  const char *text = bank.seq();
  const char *lf = std::strchr(text, '\n');
  const long long lenRow = lf ? (long long)(lf - text) + 1 : 0;
  if (lenRow == 0 || bLen % lenRow != 0) {
    printf("\n Something wrong with PRINTS sequence.\n");
    return -4;
  }
  const long long rows = bLen / lenRow;
  const Motif *m = first;
  if (!m || m->qBeg < 0 || m->bBeg < 0 || m->len < 1 || (long long)m->qBeg + m->len > qLen) {
    motifOutOfSequence(bAdr, bNum);
    return -4;
  }

  // Grades by the number of distinct letters in a column; past the table, blanks.
  static constexpr char grade[] = "#####*****+++++.....   ";
  std::string marks, letters;
  double pw = 0.0;
  for (int i = 0; i < m->len; i++) {
    bool seen[26] = {};
    int numDif = 0;
    const long long col = (long long)m->bBeg + i;
    if (col < lenRow - 1) {  // the line feed column and beyond hold no letters
      for (long long r = 0; r < rows; r++) {
        const char c = upperCh(text[r * lenRow + col]);
        if (isUpperLetter(c) && !seen[c - 'A']) {
          seen[c - 'A'] = true;
          numDif++;
        }
      }
    }
    pw += numDif ? 1.0 / numDif : 1.0;
    const char qc = upperCh(query.seq()[m->qBeg + i]);
    if (!isUpperLetter(qc) || !seen[qc - 'A']) {
      letters += lowerCh(qc);
      marks += ' ';
    } else {
      letters += qc;
      if (numDif == 1)
        marks += qc;
      else
        marks += numDif < (int)sizeof(grade) - 1 ? grade[numDif] : ' ';
    }
  }

  SeqInfo info;
  if (info.readSeq(bAdr, bNum, log) <= 0) {
    printf("\n Can't read bank sequence: %s %d", orNull(bAdr), bNum);
    return -5;
  }
  char *id = info.getID();
  fprintf(fout, "\nMotif %4d  %s\n   power  %5.4f  len  %4d", nSup, orNull(id),
          pw / std::sqrt((double)m->len), m->len);
  delete[] id;
  fprintf(fout, "\n        %.*s\n %5d  %.*s\n", m->len, marks.c_str(), m->qBeg, m->len,
          letters.c_str());
  return 0;
}
