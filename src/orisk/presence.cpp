// orisk's presence marks and tables, their elimination, the column line and the pairs of
// "0 & Infinity".
#include "presence.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "feat_tab.h"
#include "hist_xx.h"

int Marks::count(int key) const {
  int n = 0;
  for (size_t i = 0; i < rows.size(); i++) n += at((int)i, key) != 0;
  return n;
}

std::vector<int> Marks::keys(int seq) const {
  std::vector<int> v;
  const std::vector<uint64_t> &r = rows[seq];
  for (size_t w = 0; w < r.size(); w++)
    for (uint64_t bits = r[w]; bits; bits &= bits - 1)
      v.push_back((int)(w * 64 + (size_t)__builtin_ctzll(bits)));
  return v;
}

void Marks::compact(const std::vector<char> &keep) {
  for (size_t i = 0; i < rows.size(); i++) {
    std::vector<uint64_t> out;
    int n = 0;
    for (size_t k = 0; k < keep.size(); k++) {
      if (!keep[k]) continue;
      if (at((int)i, (int)k)) {
        if ((size_t)(n >> 6) >= out.size()) out.resize((size_t)(n >> 6) + 1, 0);
        out[(size_t)n >> 6] |= uint64_t(1) << (n & 63);
      }
      n++;
    }
    rows[i] = std::move(out);
  }
}

namespace {

const char kRule[] = "          ============================================================\n";
const char kRun41[] = "=========================================";

void noKeywords(FILE *fft, const char *KW) {
  fprintf(fft, "\n\n          = There are no keywords of type %s in the found sequences \n\n", KW);
}

// Rows "\n%*s;   " then " %1d" per sequence, the names right-aligned to the longest.
void markRows(FILE *fft, int nSeq, int numKeys, char *const *names, const Marks &marks) {
  int width = 0;
  for (int k = 0; k < numKeys; k++) width = std::max(width, (int)strlen(names[k]));
  for (int k = 0; k < numKeys; k++) {
    fprintf(fft, "\n%*s;   ", width, names[k]);
    for (int i = 0; i < nSeq; i++) fprintf(fft, " %1d", marks.at(i, k));
  }
}

}  // namespace

void prnFTtabel(FILE *fft, int nSeq, int numFtAll, ftInfo *const *ftAll, const Marks &ftSign) {
  // The feature title is fixed text, not centred as the keyword titles are.
  fprintf(fft, "\n\n%s", kRule);
  fprintf(fft, "          ============================  %s  ==========================\n", "FT");
  fprintf(fft, "%s\n", kRule);
  if (numFtAll <= 0) {
    noKeywords(fft, "FT");
    return;
  }
  std::vector<char *> names(numFtAll);
  for (int k = 0; k < numFtAll; k++) names[k] = ftAll[k]->Name;
  markRows(fft, nSeq, numFtAll, names.data(), ftSign);
}

void prnKWtabelNew(FILE *fft, const char *KW, int nSeq, int numKwAll, char *const *kwAll,
                   const Marks &kwSign) {
  // A type too long for the ruler gets the whole run on each side, as a negative precision.
  const int len = (int)strlen(KW);
  const int pad = len > 56 ? 41 : (60 - len) / 2 - 2;
  fprintf(fft, "\n\n%s", kRule);
  fprintf(fft, "          %.*s  %s  %.*s\n", pad, kRun41, KW, pad, kRun41);
  fprintf(fft, "%s\n", kRule);
  if (numKwAll <= 0) {
    noKeywords(fft, KW);
    return;
  }
  markRows(fft, nSeq, numKwAll, kwAll, kwSign);
}

void prnKWtabel(FILE *fft, const char *KW, int nSeq, int numKwAll, char *const *kwAll,
                const Marks &kwSign, char *const *acc) {
  fprintf(fft, "\n\n%s", kRule);
  fprintf(fft, "          ============================  %s  ==========================\n", KW);
  fprintf(fft, "%s\n", kRule);
  if (numKwAll <= 0) {
    noKeywords(fft, KW);
    return;
  }
  // The keywords stand downwards, each in its own pair of columns, ending on the last row.
  int height = 0;
  for (int k = 0; k < numKwAll; k++) height = std::max(height, (int)strlen(kwAll[k]));
  std::string row;
  for (int r = 0; r < height; r++) {
    row.assign((size_t)numKwAll * 2, ' ');
    for (int k = 0; k < numKwAll; k++) {
      const int len = (int)strlen(kwAll[k]);
      const int c = r - (height - len);
      if (c >= 0) row[(size_t)k * 2] = kwAll[k][c];
    }
    fprintf(fft, "\n         %.*s", (int)row.size(), row.c_str());
  }
  for (int i = 0; i < nSeq; i++) {
    fprintf(fft, "\n%-9s", acc[i]);
    for (int k = 0; k < numKwAll; k++) fprintf(fft, "%-2s", kwSign.at(i, k) ? "+ " : "  ");
  }
}

int elimFT(int numFtAll, std::vector<ftInfo *> &ftAll, int nSeq, Marks &_sign) {
  std::vector<char> keep(numFtAll, 0);
  int out = 0;
  for (int k = 0; k < numFtAll; k++) {
    ftInfo *f = ftAll[k];
    int n = 0;
    for (int i = 0; i < nSeq; i++) n += _sign.at(i, k) != 0;
    if (n >= 2 && !ftIsBad(f->Name, (int)strlen(f->Name))) {
      keep[k] = 1;
      ftAll[k] = nullptr;
      ftAll[out++] = f;
    } else {
      delete f;
      ftAll[k] = nullptr;
    }
  }
  _sign.compact(keep);
  return out;
}

int elimKW(int numKwAll, std::vector<char *> &KwAll, int nSeq, Marks &_sign) {
  if (numKwAll <= 0) return 0;
  std::vector<char> keep(numKwAll, 0);
  int out = 0;
  for (int k = 0; k < numKwAll; k++) {
    char *kw = KwAll[k];
    int n = 0;
    for (int i = 0; i < nSeq; i++) n += _sign.at(i, k) != 0;
    KwAll[k] = nullptr;
    if (n >= 2) {
      keep[k] = 1;
      KwAll[out++] = kw;
    } else {
      delete[] kw;
    }
  }
  _sign.compact(keep);
  return out;
}

void writeColLine(FILE *fcol, const char *type, const char *kw, int qIdx, int qHas, double power,
                  int bHas) {
  fprintf(fcol, "%s %s %3d %3d    %07.2f %3d\n", type, kw, qIdx, qHas, power, bHas);
}

// Every sequence paired with itself above the keyword grid, and every ordered pair of
// different sequences without a supermotif at minPowMot - 0.5. Each case of one keyword
// falls into one bin, so the pairs are counted per keyword with bit sets and added at once:
// integer counts add exactly, as adding 1.0 that many times would.
void addZerInf(int numKW, int nSeq, const std::vector<int> &numKwAll,
               const std::vector<Marks> &kwSign,
               std::vector<std::vector<std::unique_ptr<HistXX>>> &histKW,
               const std::vector<int> &hasMot, double maxPowSup, double minPowMot) {
  const size_t words = ((size_t)nSeq + 63) / 64;
  std::vector<uint64_t> noMot((size_t)nSeq * words, 0);
  std::vector<int> noMotCount(nSeq, 0);
  for (int s1 = 0; s1 < nSeq; s1++)
    for (int s2 = 0; s2 < nSeq; s2++)
      if (s1 != s2 && !hasMot[(size_t)s1 * nSeq + s2]) {
        noMot[(size_t)s1 * words + s2 / 64] |= uint64_t(1) << (s2 % 64);
        noMotCount[s1]++;
      }
  std::vector<uint64_t> has(words);
  for (int t = 0; t < numKW; t++) {
    for (int j = 0; j < numKwAll[t]; j++) {
      HistXX &h = *histKW[t][j];
      if (h.numPow <= 0) continue;
      std::fill(has.begin(), has.end(), 0);
      int nHas = 0;
      for (int s = 0; s < nSeq; s++)
        if (kwSign[t].at(s, j)) {
          has[s / 64] |= uint64_t(1) << (s % 64);
          nHas++;
        }
      const int top = h.getIdxPow(maxPowSup + 0.5);
      h.qXbX[top] += nHas;
      h.q_Xb_X[top] += nSeq - nHas;
      const int low = h.getIdxPow(minPowMot - 0.5);
      for (int s1 = 0; s1 < nSeq; s1++) {
        long long both = 0;
        for (size_t w = 0; w < words; w++)
          both += __builtin_popcountll(noMot[(size_t)s1 * words + w] & has[w]);
        const long long rest = noMotCount[s1] - both;
        if (kwSign[t].at(s1, j)) {
          h.qXbX[low] += both;
          h.qXb_X[low] += rest;
        } else {
          h.q_XbX[low] += both;
          h.q_Xb_X[low] += rest;
        }
      }
    }
  }
}
