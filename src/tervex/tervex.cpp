// The tervex program's command line and inputs: the parameter file, the sequence set (from a
// motif file or a SubBase file), the options, the power threshold, and the dispatch to the
// screening methods.
#include "tervex.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "bank_file.h"
#include "bank_list.h"
#include "errormsg.h"
#include "params.h"
#include "seahom.h"

const char kTervexUsageText[] =
    "Creatig base and screening it against itself\n"
    "USAGE: tervex param_file motif_OR_subbase_file result_motif_file [options]\n"
    "  Options:\n"
    "    S|R|F  - Shorten, Reduce or Full(default) methods of the cross motifs ceation\n"
    "    N nSeq - nSeq - maximal number of sequences to be sceened\n"
    "    k      - Sequences on itself are included into cross motifs list\n";

namespace {

void freeList(char **list) {
  if (!list) return;
  for (int i = 0; list[i]; i++) delete[] list[i];
  delete[] list;
}

// White space as "%s" of the C library sees it.
const char kSpace[] = " \t\n\v\f\r";

// "\n", "\r\n" or a single character: the line that ends a SubBase header.
bool emptyLine(const std::string &line) {
  return line.size() <= 1 || line == "\r\n";
}

}  // namespace

// ---------------------------------------------------------------- inputs

SeqList::~SeqList() {
  for (SeqAddrPow &a : sa) delete[] a.name;
}

void SeqList::add(const char *name, int num, double pow) {
  SeqAddrPow a;
  a.name = _strdup_(name);
  a.num = num;
  a.pow = pow;
  sa.push_back(a);
}

InputKind detectInput(FILE *f) {
  std::string line;
  InputKind kind = kInputNeither;
  while (readLine(f, line)) {
    // A line holding both words is a motif line.
    if (line.find("Supermotif") != std::string::npos) {
      kind = kInputMotifs;
      break;
    }
    if (line.find("SubBase") != std::string::npos) {
      kind = kInputSubBase;
      break;
    }
  }
  rewind(f);
  return kind;
}

int cmpSA(const void *a, const void *b) {
  const SeqAddrPow &x = *static_cast<const SeqAddrPow *>(a);
  const SeqAddrPow &y = *static_cast<const SeqAddrPow *>(b);
  if (x.pow > y.pow) return -1;
  if (x.pow < y.pow) return 1;
  return 0;
}

void makeMotifList(FILE *f, SeqList &list) {
  std::vector<SeqAddrPow> sa(kMaxSeqAddr + 1);
  int n = 0;
  std::string line;
  while (readLine(f, line)) addSeqAddr(line.c_str(), n, sa.data(), 0);
  // Stable: equal powers keep file order, which decides the order of the screening.
  std::stable_sort(sa.begin(), sa.begin() + n,
                   [](const SeqAddrPow &a, const SeqAddrPow &b) { return cmpSA(&a, &b) < 0; });
  for (int i = 0; i < n; i++) list.sa.push_back(sa[i]);
}

int makeSA_list(FILE *f, SeqList &list, std::vector<std::string> &glue) {
  glue.clear();
  std::string line;
  bool ended = false;
  while (readRawLine(f, line)) {
    if (emptyLine(line)) {
      ended = true;
      break;
    }
    if ((int)glue.size() == kSubBaseHeaderRoom) return 0;
    glue.push_back(line);
  }
  if (!ended) return 0;

  std::string name;
  int num = 0;
  bool have = false;  // a previous line to inherit from
  while (readRawLine(f, line)) {
    const char *s = line.c_str();
    const char *tok = s + strspn(s, kSpace);
    const size_t tokLen = strcspn(tok, kSpace);
    if (tokLen == 0) {  // no path: the previous sequence again
      if (have) list.add(name.c_str(), num);
      continue;
    }
    const char *after = tok + tokLen;
    char *end = nullptr;
    const int v = parseLong(after, &end);
    const bool hasNum = end != after;
    if (!hasNum && !have) continue;  // no number to inherit
    name.assign(tok, tokLen);
    if (hasNum) num = v;
    have = true;
    list.add(name.c_str(), num);
  }
  return list.size();
}

long double minPowerExt(const char *motifName) {
  FILE *f = fopen(motifName, "rt");
  if (!f) {
    printf("\n Can't open motif file %s", motifName);
    return 0;
  }
  Supermotif sup;
  int minPow = 0;
  bool any = false;
  while (sup.load(f)) {
    if (!any || sup.power < minPow) minPow = sup.power;
    any = true;
    sup.del();
  }
  fclose(f);
  return (long double)minPow / 4096000.0L;
}

double getMinPower(const char *motifName) { return (double)minPowerExt(motifName); }

double subalignThreshold(long double minPower, int skipTheSame) {
  // Rounded once, when stored: the threshold is kept in a double.
  return (double)(minPower - (skipTheSame ? 0.5L : 1.0L));
}

TervexOptions::~TervexOptions() { freeList(bankList); }

int parseOptions(int argc, char **argv, TervexOptions &opt) {
  for (int i = 1; i < argc; i++) {
    if (argv[i][0] != '-') continue;
    // An option's value is not skipped: it is tested as an option in its turn.
    const char *next = i + 1 < argc ? argv[i + 1] : nullptr;
    switch (toupper((unsigned char)argv[i][1])) {
      case 'B': {
        opt.method = kMethodBase;
        FILE *f = next ? openInput(next) : nullptr;
        if (!f) {
          printf("\n Can't open file with base list %s", next ? next : "(null)");
          return kTervexNoBankList;
        }
        char **list = loadList(f);
        fclose(f);
        if (!list) return kTervexNoBanks;
        freeList(opt.bankList);
        opt.bankList = list;
        opt.bankListName = next;
        break;
      }
      case 'R': opt.method = kMethodReduce; break;
      case 'S': opt.method = kMethodShorten; break;
      case 'K': opt.skipTheSame = 0; break;
      case 'N':
        if (next) opt.nSeq = parseLong(next);
        break;
      default: break;
    }
  }
  return 0;
}

// ---------------------------------------------------------------- the generator

LibcRandom::LibcRandom() {
  r_[0] = 1;
  for (int i = 1; i < 31; i++) r_[i] = (uint32_t)((16807LL * r_[i - 1]) % 2147483647LL);
  for (int i = 31; i < 34; i++) r_[i] = r_[i - 31];
  pos_ = 0;
  // The library throws away the first 310 values of the feedback sequence.
  for (int k = 0; k < 310; k++) next();
}

int32_t LibcRandom::next() {
  // r_ holds the last 34 values, r_[pos_] the oldest: value i is value i-31 plus value i-3.
  const uint32_t v = r_[(pos_ + 3) % 34] + r_[(pos_ + 31) % 34];
  r_[pos_] = v;
  pos_ = (pos_ + 1) % 34;
  return (int32_t)(v >> 1);
}

// ---------------------------------------------------------------- the program

namespace {

// The progress file that Base's bank search writes in the working directory.
constexpr char kProgressFile[] = "ctr";

// Letters of each sequence that Base searches the banks with.
constexpr int kBasePiece = 400;

// The end of a run that could read no sequence of its set.
constexpr char kNoEntryMsg[] = "\n No sequence to screen could be read";

// Opens and reads the parameter file into search. 0, or kTervexNoParamFile /
// kTervexBadParamFile after the message.
int loadParams(const char *paramName, SearchHomol &search) {
  FILE *f = openInput(paramName);
  if (!f) {
    printf("\n Can't open file with parameters %s \n", paramName);
    return kTervexNoParamFile;
  }
  // A refused value, or a read error that would leave every default in place.
  const bool bad = search.freadParam(f) != 0 || ferror(f);
  fclose(f);
  if (bad) {
    printf("\n Can't load parameter file %s", paramName);
    return kTervexBadParamFile;
  }
  // The screening never drops supermotifs covered by stronger ones.
  search.selectSup = 0;
  return 0;
}

// The sequence set of the input file and what its supermotif blocks name.
struct Input {
  InputKind kind = kInputNeither;
  SeqList list;
  std::vector<std::string> glue;   // the SubBase header
  std::vector<std::string> banks;  // the bank path of every supermotif block
  std::string firstQuery;          // the query path of the first block
};

// Reads every supermotif block of a motif file and rewinds it. Returns how many there are;
// appends the bank path of each block to paths, and sets firstQuery to the query path of the
// first block.
int scanBlocks(FILE *f, std::vector<std::string> &paths, std::string &firstQuery) {
  Supermotif sup;
  int n = 0;
  while (sup.load(f)) {
    if (n++ == 0) firstQuery = sup.qAdr;
    paths.push_back(sup.bAdr);
    sup.del();
  }
  rewind(f);
  return n;
}

// Reads the input file. 0, or kTervexNoInput / kTervexUnknownInput / kTervexBadSubBase after
// the message.
int readInput(const char *inputName, Input &in) {
  FILE *f = openInput(inputName);
  if (!f) {
    printf("\n Can't open file with motifs %s", inputName);
    return kTervexNoInput;
  }
  in.kind = detectInput(f);
  if (in.kind == kInputMotifs && !motifFileWhole(f, inputName)) {
    fclose(f);
    return kTervexUnknownInput;
  }
  // A file that names supermotifs without holding one (a report of plevit) is no motif file:
  // it would give an empty set and a threshold below every cluster.
  if (in.kind == kInputMotifs && scanBlocks(f, in.banks, in.firstQuery) == 0)
    in.kind = kInputNeither;
  int rc = 0;
  if (in.kind == kInputNeither) {
    printf("\n Given file %s neither MOTIFS nor SUB_BASE", inputName);
    rc = kTervexUnknownInput;
  } else if (in.kind == kInputMotifs) {
    makeMotifList(f, in.list);
  } else if (makeSA_list(f, in.list, in.glue) == 0) {
    printf("\n Given file %s isn't the SubBase", inputName);
    rc = kTervexBadSubBase;
  }
  fclose(f);
  return rc;
}

// Every file the method reads, each path once: the parameter file and the files it names, the
// input, the banks of the sequence set, the query file that Shorten reads, option B's list and
// its banks.
std::vector<std::string> filesRead(const char *paramName, const SearchHomolParams &search,
                                   const char *inputName, const Input &in,
                                   const TervexOptions &opt) {
  std::vector<std::string> files;
  std::set<std::string> seen;
  auto add = [&](const std::string &path) {
    if (seen.insert(path).second) files.push_back(path);
  };
  auto addBank = [&](const std::string &path) {
    add(path);
    add(indexPath(path.c_str()));
  };
  add(paramName);
  for (const std::string &named : search.namedFiles()) add(named);
  add(inputName);
  for (const SeqAddrPow &a : in.list.sa) addBank(a.name);
  for (const std::string &b : in.banks) addBank(b);
  if (opt.method == kMethodShorten && !in.firstQuery.empty()) addBank(in.firstQuery);
  if (opt.method == kMethodBase) {
    add(opt.bankListName);
    for (int i = 0; opt.bankList[i]; i++) addBank(opt.bankList[i]);
  }
  return files;
}

// True, after the message, when the result or Base's progress file would be made over a file
// the run reads, or the progress file over the result.
bool outputOverInput(const char *resultName, int method, const std::vector<std::string> &files) {
  for (const std::string &in : files)
    if (wouldOverwrite("Result", resultName, in.c_str())) return true;
  if (method != kMethodBase) return false;
  if (wouldOverwrite("Progress", kProgressFile, resultName)) return true;
  for (const std::string &in : files)
    if (wouldOverwrite("Progress", kProgressFile, in.c_str())) return true;
  return false;
}

}  // namespace

int run_tervex(int argc, char **argv) {
  if (argc < 4) {
    fputs(kTervexUsageText, stdout);
    return kTervexUsage;
  }
  const char *paramName = argv[1];
  const char *inputName = argv[2];
  const char *resultName = argv[3];

  // Inputs first: a run that stops on one leaves the result and "ctr" as they were.
  SearchHomol search;
  int rc = loadParams(paramName, search);
  if (rc) return rc;
  Input in;
  rc = readInput(inputName, in);
  if (rc) return rc;
  TervexOptions opt;
  rc = parseOptions(argc, argv, opt);
  if (rc) return rc;
  // Every method but Reduce compares sequences, which takes the letter groups; Base's banks
  // are opened here (exit 111 or 99 for one that can't be used).
  if (opt.method != kMethodReduce) search.requireColors();
  if (opt.method == kMethodBase) search.baseMolType = getBaseMolType(opt.bankList, opt.bankListName);

  if (outputOverInput(resultName, opt.method, filesRead(paramName, search, inputName, in, opt)))
    return kTervexNoResultFile;

  const int n = in.list.size();
  EntryLog log;
  // Without a genetic code, a Base run that would translate ends here, its result untouched.
  if (opt.method == kMethodBase && !search.codeRead &&
      baseNeedsCode(search, n, in.list.sa.data(), kBasePiece, log))
    search.requireCode();
  search.thSubalignPower = subalignThreshold(minPowerExt(inputName), opt.skipTheSame);
  const int nSeqLoop = opt.nSeq > 0 ? std::min(opt.nSeq, n) : n;

  int status = 0;
  switch (opt.method) {
    case kMethodFull: {
      int allLen = 0;
      status = full_tervex(nSeqLoop, in.list.sa.data(), search, allLen, resultName, log);
      break;
    }
    case kMethodReduce: status = red_tervex(search, inputName, resultName, log); break;
    case kMethodShorten:
      // Shorten has a region per supermotif, more than the distinct sequences counted here.
      status = sho_tervex(opt.nSeq > 0 ? opt.nSeq : 0, search, inputName, resultName,
                          opt.skipTheSame, log);
      break;
    case kMethodBase:
      status = full_search(search, opt.bankList, n, in.list.sa.data(), resultName,
                           in.kind == kInputSubBase ? &in.glue : nullptr, kBasePiece, log);
      break;
  }
  // A run that could read nothing it asked for is no success, whatever it wrote (an empty
  // motif file, Base's header): that is left in place.
  if (status == 0 && log.allUnreadable()) status = kTervexNoEntry;
  if (status == kTervexNoEntry)
    fputs(kNoEntryMsg, stdout);
  else if (status == 0)
    log.printEnd();
  fflush(stdout);
  return status;
}
