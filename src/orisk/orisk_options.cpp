// orisk's command line: the power-range decision and the option words.
#include "orisk_options.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "params.h"

const char kOriskUsageText[] =
    "\nExtracting feature table statistics from the given MOTIFs or SUBBASE\n"
    "USAGE: orisk motif_file [ minPow maxPow stepPow ] result_FT_file [options]\n"
    "Options: -KW KE DE ...\n"
    "         -D monX | -D equX_Y\n"
    "         -I        0 & Infinity motifs are added.\n";

const char kPowUsageText[] =
    "Extracting feature table statistics from the given MOTIFs or SUBBASE\n"
    "USAGE: orisk motif_file [minPow maxPow stepPow] result_FT_file [options]\n";

namespace {

inline bool isOptionWord(const char *w) { return w[0] == '-' || w[0] == '/'; }

}  // namespace

bool isPowNumber(const char *w) {
  const char *c = w;
  while (*c && ((*c >= '0' && *c <= '9') || *c == '.')) c++;
  if (!*c) return true;
  if (isOptionWord(w)) return false;
  char *end;
  strtod(w, &end);
  return end != w && !*end;
}

int powRangeKind(int argc, char **argv) {
  if (argc < 3 || !isPowNumber(argv[2])) return kRangeEstimate;
  int n = 0;
  while (n < 3 && 2 + n < argc && isPowNumber(argv[2 + n])) n++;
  // Three numbers need the result name after them.
  return n == 3 && argc > 5 ? kRangeGiven : kRangePartial;
}

int readPowRange(char **argv, double &minPow, double &maxPow, double &stepPow) {
  minPow = atof(argv[2]);
  maxPow = atof(argv[3]);
  stepPow = atof(argv[4]);
  if (!std::isfinite(minPow) || !std::isfinite(maxPow) || !std::isfinite(stepPow)) return 1;
  if (!(stepPow > 0) || !(maxPow >= minPow)) return 1;
  const double bins = (maxPow - minPow) / stepPow + 1;
  return std::isfinite(bins) && bins <= kMaxGridBins ? 0 : 1;
}

int strayWord(int argc, char **argv, int resultAt) {
  const int w = resultAt + 1;
  return w < argc && !isOptionWord(argv[w]) ? w : 0;
}

namespace {

// "monX" or "equX_Y": X from the fourth character on, Y after the first '_'.
void readDivision(const char *v, OriskOptions &opt) {
  if (!strncmp(v, "mon", 3)) {
    opt.divSegm = 1;
  } else {
    opt.divSegm = 0;
    if (const char *u = strchr(v, '_')) opt.minPart = parseLong(u + 1) / 100.0;
  }
  opt.numSegm = strlen(v) > 3 ? parseLong(v + 3) : 0;
}

}  // namespace

void getOptions(int argc, char **argv, int first, OriskOptions &opt) {
  opt = OriskOptions();
  int w = first;
  while (w < argc) {
    const char *s = argv[w];
    if (!isOptionWord(s)) {
      w++;
      continue;
    }
    if (!strncmp(s + 1, "KW", 2)) {
      // A second -KW adds its types after the first one's.
      for (w++; w < argc && !isOptionWord(argv[w]); w++) {
        if (!strncmp(argv[w], "CC", 2))
          for (int c = 0; c < numCC; c++) opt.KW.push_back(funCC[c]);
        else
          opt.KW.push_back(argv[w]);
      }
      continue;
    }
    const bool hasValue = w + 1 < argc;
    switch (toupper((unsigned char)s[1])) {
      case 'M':
        if (hasValue) opt.meshPath = argv[++w];
        break;
      case 'D':
        if (hasValue) readDivision(argv[++w], opt);
        break;
      case 'C':
        if (hasValue) {
          opt.hasCol = true;
          opt.writeCol = argv[++w];
        }
        break;
      case 'I': opt.zerInfMot = 1; break;
      case 'F': opt.fullPxx = 1; break;
      case 'H': opt.paramType = 1; break;
      default: break;
    }
    w++;
  }
  opt.numKW = (int)opt.KW.size();
}
