// Search parameters: the parameter file reader, the matrix of a query and the thresholds of
// short queries (the banner that prints them is written by the search program, banner.cpp).
#include "seahom_params.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bank_file.h"
#include "errormsg.h"
#include "params.h"
#include "seqbase.h"

namespace {

constexpr char kColorFileMsg[] = "\n Can't open file with color file %s or can't read it...";
constexpr char kCodeFileMsg[] = "\n Can't open file with translation code %s or can't read it";
constexpr char kNotNumberMsg[] = "\n Parameter !%c: %s is not a number";
constexpr char kNoMatrixMsg[] = "\n Can't open file with Weight matrix %s";
constexpr char kNotMatrixMsg[] =
    "\n File %s is no weight matrix: a line of column letters, then rows of a letter and numbers";
// Keys whose value is read as a number.
constexpr char kNumericKeys[] = "PFLGCHWkpsMTtIw";

void setFrames(char *frameList, const char *frames) {
  std::memset(frameList, 0, 10);
  std::strncpy(frameList, frames, 6);
  // Frame letters in character order (as signed bytes, as the letter comparator orders them).
  const size_t n = std::strlen(frameList);
  std::sort(frameList, frameList + n,
            [](char a, char b) { return (signed char)a < (signed char)b; });
}

}  // namespace

SearchHomolParams::SearchHomolParams()
    : eachFrame(1), selectData(0), thLength(7), thPower(4.0), thSubalignPower(6.0),
      useLookingTable(0), coincRatio(0.05), partSize(100), winWidth(5), coiNum(4),
      maxShifts(20), useColors(0), aaGroups(0), maxSuper(100), From(0), To(100000),
      gapPenalty(1.0), minHomolRatio(0.0), accurateDotHelix(1), helixFreqRecalc(1),
      reverse(0), trCode(0), baseMolType(0), psiMaxIter(1), psiNormal(1), psiMeth(3),
      psiPowOrSum(1), psiResc(1), psiFreq(0), psiColWeight(1.0), termom(0), selectSup(0),
      frameList{'a', 'b', 'c', 'd', 'e', 'f', 0, 0, 0, 0}, matrName(nullptr), wm(nullptr),
      agRead(false), codeRead(false) {}

SearchHomolParams::SearchHomolParams(const SearchHomolParams &o)
    : matrName(nullptr), wm(nullptr) {
  *this = o;
}

SearchHomolParams &SearchHomolParams::operator=(const SearchHomolParams &o) {
  if (this == &o) return *this;
  char *name = _strdup_(o.matrName);
  TMatrix *m = o.wm ? const_cast<TMatrix *>(o.wm)->duplicate() : nullptr;
  delete[] matrName;
  delete wm;
  matrName = name;
  wm = m;

  eachFrame = o.eachFrame;
  selectData = o.selectData;
  thLength = o.thLength;
  thPower = o.thPower;
  thSubalignPower = o.thSubalignPower;
  useLookingTable = o.useLookingTable;
  coincRatio = o.coincRatio;
  partSize = o.partSize;
  winWidth = o.winWidth;
  coiNum = o.coiNum;
  maxShifts = o.maxShifts;
  useColors = o.useColors;
  aaGroups = o.aaGroups;
  maxSuper = o.maxSuper;
  From = o.From;
  To = o.To;
  gapPenalty = o.gapPenalty;
  minHomolRatio = o.minHomolRatio;
  accurateDotHelix = o.accurateDotHelix;
  helixFreqRecalc = o.helixFreqRecalc;
  reverse = o.reverse;
  trCode = o.trCode;
  baseMolType = o.baseMolType;
  psiMaxIter = o.psiMaxIter;
  psiNormal = o.psiNormal;
  psiMeth = o.psiMeth;
  psiPowOrSum = o.psiPowOrSum;
  psiResc = o.psiResc;
  psiFreq = o.psiFreq;
  psiColWeight = o.psiColWeight;
  termom = o.termom;
  selectSup = o.selectSup;
  std::memcpy(frameList, o.frameList, sizeof frameList);
  ag = o.ag;
  code = o.code;
  agRead = o.agRead;
  codeRead = o.codeRead;
  colorName = o.colorName;
  codeName = o.codeName;
  return *this;
}

SearchHomolParams::~SearchHomolParams() {
  delete[] matrName;
  delete wm;
}

int SearchHomolParams::freadParam(FILE *f) {
  eachFrame = 1;
  thLength = 7;
  thPower = 4.0;
  thSubalignPower = 6.0;
  coincRatio = 0.05;
  partSize = 100;
  winWidth = 5;
  coiNum = 4;
  maxShifts = 20;
  maxSuper = 100;
  From = 0;
  To = 100000;
  gapPenalty = 1.0;
  minHomolRatio = 0.0;
  accurateDotHelix = 1;
  helixFreqRecalc = 1;
  reverse = 0;
  psiMaxIter = 1;
  psiNormal = 1;
  psiMeth = 3;
  psiPowOrSum = 1;
  psiResc = 1;
  psiFreq = 0;
  psiColWeight = 1.0;
  selectSup = 0;
  setFrames(frameList, "abcdef");
  delete[] matrName;
  matrName = nullptr;
  delete wm;
  wm = nullptr;

  int bad = 0;
  std::string line;
  std::vector<char> buf;
  while (readLine(f, line)) {
    // A line ends at its first carriage return, as the line reader of every file has it.
    buf.assign(line.begin(), line.begin() + (long)std::min(line.find('\r'), line.size()));
    buf.push_back(0);
    char *key, *arg;
    if (hasntParam(buf.data(), key, arg)) continue;
    if (!arg) continue;  // a key letter without a value sets nothing
    const int iv = parseLong(arg);
    char *end = nullptr;
    const double rv = std::strtod(arg, &end);
    // A number is read from the value's start ("4.5x" is 4.5); a value with none, or one that
    // reads as nan or infinity, is a mistake, never a 0.
    if ((end == arg || !std::isfinite(rv)) && key[1] && std::strchr(kNumericKeys, key[1])) {
      std::printf(kNotNumberMsg, key[1], arg);
      bad = 1;
      continue;
    }
    const char c0 = arg[0];
    switch (key[1]) {
      case 'P': thPower = rv; break;
      case 'F': thSubalignPower = rv; break;
      case 'L':
        if (iv >= 1) thLength = iv;
        break;
      case 'G': gapPenalty = rv; break;
      case 'C':
        if (rv >= 0 && rv <= 1) coincRatio = rv;
        break;
      case 'H':
        if (rv >= 0 && rv <= 1) minHomolRatio = rv;
        break;
      case 'W':
        if (iv >= 2 && iv <= 7) winWidth = iv;
        break;
      case 'k':
        if (iv >= 0 && iv <= 7) coiNum = iv;
        break;
      case 'p':
        // A part of no letter cannot divide a query.
        if (iv >= 1) partSize = iv;
        break;
      case 's': maxShifts = iv; break;
      case 'M': maxSuper = iv; break;
      case 'T': From = iv; break;
      case 't': To = iv; break;
      case 'A': accurateDotHelix = c0 == 'Y'; break;
      case 'h': helixFreqRecalc = c0 == 'Y'; break;
      case 'l': selectSup = c0 == 'Y'; break;
      case 'D': eachFrame = c0 == 'f'; break;
      case 'E':
        if (c0 == 'N') {
          reverse = 0;
          setFrames(frameList, "abc");
        } else if (c0 == 'B') {
          reverse = 1;
          setFrames(frameList, "def");
        } else if (c0 == 'Y') {
          reverse = 2;
          setFrames(frameList, "abcdef");
        } else {
          setFrames(frameList, arg);
        }
        break;
      case 'm':
        delete[] matrName;
        matrName = _strdup_(arg);
        delete wm;
        wm = nullptr;
        break;
      case 'c': {
        FILE *cf = openInput(arg, "r");
        const int unread = !cf || ag.fread(cf) != 0;
        if (cf) std::fclose(cf);
        if (unread) fatalExit(kExitBadInput, kColorFileMsg, arg);
        agRead = true;
        colorName = arg;
        break;
      }
      case 'e': {
        FILE *ef = openInput(arg, "r");
        const int unread = !ef || code.fread(ef) != 0;
        if (ef) std::fclose(ef);
        if (unread) fatalExit(kExitBadInput, kCodeFileMsg, arg);
        codeRead = true;
        codeName = arg;
        break;
      }
      case 'I': psiMaxIter = iv; break;
      case 'n': psiNormal = (c0 == 'C' || c0 == 'Y') ? 1 : (c0 == 'P' ? 2 : 0); break;
      case 'S': {
        const char *at = c0 ? std::strchr("ABCDEF", c0) : nullptr;
        if (at) psiMeth = (int)(at - "ABCDEF");
        break;
      }
      case 'o': psiPowOrSum = c0 == 'P'; break;
      case 'r': psiResc = c0 == 'C' ? 1 : (c0 == 'P' ? 2 : 0); break;
      case 'f':
        if (c0 == 'B') psiFreq = 0;
        else if (c0 == 'A') psiFreq = 1;
        else if (c0 == 'C') psiFreq = 2;
        else if (c0 == 'Q') psiFreq = 3;
        break;
      case 'w': psiColWeight = rv; break;
      default: break;
    }
  }
  winWidth = std::min(winWidth, 7);
  coiNum = std::min(coiNum, winWidth);
  useLookingTable = 1;
  termom = 1;
  std::memcpy(code.frameList, frameList, sizeof frameList);
  // The matrix a later line names replaces an earlier one: only the last is read.
  if (matrName) {
    const int m = checkMatrixFile(matrName);
    if (m != kMatrixOk) {
      std::printf(m == kMatrixNoFile ? kNoMatrixMsg : kNotMatrixMsg, matrName);
      bad = 1;
    }
  }
  return bad;
}

std::vector<std::string> SearchHomolParams::namedFiles() const {
  std::vector<std::string> out;
  if (!colorName.empty()) out.push_back(colorName);
  if (!codeName.empty()) out.push_back(codeName);
  if (matrName) out.push_back(matrName);
  return out;
}

void SearchHomolParams::readMatr(const BankSeq &query) {
  delete wm;
  wm = nullptr;
  Weight_matrix *m = allocObject<Weight_matrix>();
  wm = m;
  if (matrName) {
    FILE *f = std::fopen(matrName, "r");
    if (f) {
      const int r = m->fread(f);
      std::fclose(f);
      if (r == 0) return;
    }
  }
  const int nucleic = getMolType(query.seq(), query.len());
  std::printf("\n Can't read file with Weight matrix %s or can't load it\n Default %s will be used",
              matrName ? matrName : "(null)", nucleic ? "Diagonal" : "Blosum62");
  if (nucleic)
    m->makeDiag();
  else
    m->makeBlos62();
}

void SearchHomolParams::correctParam(const BankSeq &query) {
  const int L = query.len() > 0 ? query.len() : 0;
  if (L <= 2) fatalExit(kExitBadInput, "\n Too short qury, length = %d", L);
  if (L <= 24) {
    thLength = std::min(thLength, L - 2);
    winWidth = std::min(winWidth, L - 2);
    thPower = std::min(thPower, L <= 14 ? 2.7 : 3.0);
    thSubalignPower = std::min(thSubalignPower, L <= 14 ? 4.0 : 5.0);
  } else if (L <= 49) {
    thPower = std::min(thPower, 3.2);
    thSubalignPower = std::min(thSubalignPower, 5.2);
  }
}

void SearchHomolParams::requireColors() const {
  if (!agRead) fatalExit(kExitBadInput, kColorFileMsg, "(null)");
}

void SearchHomolParams::requireCode() const {
  if (!codeRead) fatalExit(kExitBadInput, kCodeFileMsg, "(null)");
}
