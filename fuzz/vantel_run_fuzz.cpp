// The vantel program on any command line, statistics file and motif file, over a small fixed
// set of bank entries: the option scan on its own, then whole runs. Input: option words, a
// line "====", the statistics text, optionally another "====" line and the motif text.
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "vantel.h"

namespace {

const char kSep[] = "\n====\n";

std::string entry(const char *id, const char *ac, const char *extra, const char *seq) {
  return std::string("ID   ") + id + "      STANDARD;      PRT;    60 AA.\nAC   " + ac +
         ";\nDE   Test entry.\n" + extra + "SQ   SEQUENCE    60 AA;\n     " + seq + "\n//\n";
}

const char kSeq[] =
    "ACDEFGHIKL MNPQRSTVWY ACDEFGHIKL MNPQRSTVWY ACDEFGHIKL MNPQRSTVWY";

const char kMotif[] =
    "Query: QRY_TEST\n\n"
    "Supermotif q.dat      0 s1.dat      0  12.34   2   query-bank\n"
    "     '+'      5      5     20      30000   27450000\n"
    "     '+'     30     30     10      30000   27450000\n"
    "Supermotif q.dat      0 s2.dat      0   9.00   1   query-bank\n"
    "     '-'     40     10     15      30000   27450000\n"
    "Supermotif q.dat      0 s3.dat      0  30.00   1   query-bank\n"
    "     '+'      0      0     60      30000   27450000\n";

// Resource limits of a run, not faults: a statistics file whose grids are huge, or so many
// blocks that a keyword type passes the result limit (a documented exit).
bool withinLimits(const std::string &stat) {
  size_t blocks = 0;
  for (size_t p = 0; (p = stat.find("_statistics", p)) != std::string::npos; p++) blocks++;
  if (blocks > 300) return false;
  for (size_t p = 0; (p = stat.find("numPow", p)) != std::string::npos; p++) {
    const char *s = stat.c_str() + p + 6;
    while (*s == ' ' || *s == '\t') s++;
    if (strtod(s, nullptr) > 5000) return false;
  }
  return true;
}

std::vector<std::string> words(const std::string &text) {
  std::vector<std::string> w;
  std::istringstream in(text);
  for (std::string s; in >> s && w.size() < 32;) w.push_back(s);
  return w;
}

// The option scan on the words as they are: values are words of the command line, never
// the file names.
void scanOnly(const std::vector<std::string> &w) {
  std::vector<std::string> keep = {"vantel"};
  keep.insert(keep.end(), w.begin(), w.end());
  std::vector<char *> argv;
  for (std::string &s : keep) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  VantelOptions opt;
  const int rc = getOptions((int)keep.size(), argv.data(), opt);
  FUZZ_CHECK(rc == 0 || rc == kVantelUsage);
  FUZZ_CHECK(rc != 0 || keep.size() >= 4);
  FUZZ_CHECK(opt.sumType == 0 || opt.sumType == 1);
  for (const char *v : {opt.meshPath, opt.colFile}) {
    if (!v) continue;
    bool fromArgv = false;
    for (size_t i = 4; i < keep.size(); i++) fromArgv |= v == argv[i];
    FUZZ_CHECK(fromArgv && v[0] != '-');
  }
}

std::string readAll(const char *path) {
  std::string s;
  FILE *f = fopen(path, "rb");
  if (!f) return s;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
  fclose(f);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzzutil::setUp();
  const char *kwft = "KW   KINASE; TRANSFERASE.\nFT   BINDING      10     20       ATP.\n";
  fuzzutil::writeFile("q.dat", entry("QRY_TEST", "Q00001", "", kSeq));
  fuzzutil::writeFile("s1.dat", entry("SIM1_TEST", "P00001", kwft, kSeq));
  fuzzutil::writeFile("s2.dat", entry("SIM2_TEST", "P00002", kwft, kSeq));
  fuzzutil::writeFile("s3.dat",
                      entry("SIM3_TEST", "P00003", "KW   PHOSPHOTRANSFERASE; ZINC.\n", kSeq));
  fuzzutil::writeFile("mesh.idx",
                      "1  number of first letters\n0\n1\n1  number of items\n"
                      "PHOSPHOTRANSFERASE\nKINASE\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string opts, rest, stat, motif;
  fuzzutil::splitAt(data, size, kSep, opts, rest);
  if (!fuzzutil::splitAt(reinterpret_cast<const uint8_t *>(rest.data()), rest.size(), kSep, stat,
                         motif))
    motif = kMotif;
  const std::vector<std::string> w = words(opts);
  scanOnly(w);

  // Banks are named relatively, so a run reads only the files made here.
  if (!withinLimits(fuzzutil::asRead(stat)) || motif.find('/') != std::string::npos) return 0;
  fuzzutil::writeFile("stat.sta", stat);
  fuzzutil::writeFile("mot.mot", motif);
  std::vector<std::string> args = {"vantel", "stat.sta", "mot.mot", "out.txt"};
  for (size_t i = 0; i < w.size(); i++) {
    if (w[i][0] == '-') {
      args.push_back(w[i]);
    } else {
      const bool col = i > 0 && w[i - 1].size() > 1 && (w[i - 1][1] == 'C' || w[i - 1][1] == 'c');
      args.push_back(col ? "col.txt" : "mesh.idx");
    }
  }
  std::vector<char *> argv;
  for (std::string &s : args) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  const int rc = run_vantel((int)args.size(), argv.data());
  FUZZ_CHECK((rc >= kVantelDone && rc <= kVantelNoThesaurus) || rc == kVantelNoEntry);
  // The statistics file and the motif file are read, never written.
  FUZZ_CHECK(readAll("stat.sta") == stat);
  FUZZ_CHECK(readAll("mot.mot") == motif);
  for (const char *f : {"out.txt", "stat.inf", "stat.pro", "col.txt", "fun_dist.txt"}) remove(f);
  return 0;
}
