// Helpers of the tervex tests: synthetic sequence families written as indexed FASTA banks, the
// program run as a process, and the blocks of a result motif file read back.
#pragma once

#include <sys/wait.h>

#include <random>
#include <string>
#include <vector>

#include "motif.h"
#include "testutil.h"

namespace tvx {

const std::string kBin = SEQ_BIN_DIR "/tervex";

inline std::string randomLetters(std::mt19937 &g, int n, const char *alphabet) {
  const std::string a(alphabet);
  std::string s;
  for (int i = 0; i < n; i++) s += a[g() % a.size()];
  return s;
}
inline std::string randomProtein(std::mt19937 &g, int n) {
  return randomLetters(g, n, "ACDEFGHIKLMNPQRSTVWY");
}
// Every k-th letter replaced by another of the alphabet.
inline std::string mutateEvery(std::string s, int k, const char *alphabet) {
  const std::string a(alphabet);
  for (size_t i = 0; i < s.size(); i += (size_t)k) s[i] = a[(a.find(s[i]) + 1) % a.size()];
  return s;
}
inline std::string revComp(const std::string &s) {
  std::string r(s.rbegin(), s.rend());
  for (char &c : r) c = c == 'A' ? 'T' : c == 'T' ? 'A' : c == 'C' ? 'G' : c == 'G' ? 'C' : c;
  return r;
}

struct RunResult {
  int rc;
  std::string out;
};

// Runs a program in dir with the arguments (each quoted); the exit code as the shell sees it.
// Standard output goes through `outFile` (default: stdout.txt in dir).
inline RunResult runIn(const std::string &dir, const std::string &bin,
                       const std::vector<std::string> &args, std::string outFile = "") {
  if (outFile.empty()) outFile = dir + "/stdout.txt";
  std::string cmd = "cd '" + dir + "' && timeout 300 '" + bin + "'";
  for (const std::string &a : args) cmd += " '" + a + "'";
  cmd += " > '" + outFile + "'";
  const int st = std::system(cmd.c_str());
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, testutil::readFile(outFile)};
}

// One block of a motif file as read back.
struct Block {
  std::string qAdr, bAdr;
  int qNum, bNum, power;
  std::vector<Motif> mots;
};

inline std::vector<Block> blocksOf(const std::string &path) {
  std::vector<Block> v;
  FILE *f = fopen(path.c_str(), "rb");
  if (!f) return v;
  Supermotif s;
  while (s.load(f)) {
    Block b{s.qAdr, s.bAdr, s.qNum, s.bNum, s.power, {}};
    for (Motif *m = s.first; m; m = m->next) b.mots.push_back(*m);
    v.push_back(b);
    s.del();
  }
  fclose(f);
  return v;
}

// A scratch directory with indexed FASTA banks, letter groups and a parameter file.
struct Work {
  testutil::TempDir dir;
  std::string file(const std::string &n) const { return dir.file(n); }
  // Writes the bank (entries named s0, s1, ...) and its index.
  void bank(const std::string &name, const std::vector<std::string> &seqs) {
    std::string text;
    for (size_t i = 0; i < seqs.size(); i++) {
      text += ">s" + std::to_string(i) + "\n";
      for (size_t p = 0; p < seqs[i].size(); p += 60) text += seqs[i].substr(p, 60) + "\n";
    }
    testutil::writeFile(file(name), text);
    EXPECT_TRUE(testutil::makeIndex(file(name)));
  }
  // Protein (or nucleic) letter groups and a parameter file with the extra lines.
  void params(const std::string &extra = "", bool nucleic = false) {
    testutil::writeFile(file("colors.txt"),
                        nucleic ? "A\nC\nG\nTU\n" : "AGST\nC\nDENQ\nFWY\nHKR\nILMV\nP\n");
    testutil::writeFile(file("params.txt"), "Parameters\n!c colors.txt\n" + extra);
  }
  RunResult tervex(const std::vector<std::string> &args) const {
    return runIn(dir.path(), kBin, args);
  }
  std::vector<Block> blocks(const std::string &name) const { return blocksOf(file(name)); }
  bool exists(const std::string &name) const {
    FILE *f = fopen(file(name).c_str(), "rb");
    if (f) fclose(f);
    return f != nullptr;
  }
};

// A Supermotif block as the motif file holds it; motifs as {frame, qBeg, bBeg, len}.
struct M {
  char frame;
  int q, b, len;
};
inline std::string block(const std::string &q, int qn, const std::string &b, int bn,
                         const char *power, const std::vector<M> &mots) {
  char line[512];
  snprintf(line, sizeof line, "Supermotif %s %6d %s %6d %s %3d   query-bank\n", q.c_str(), qn,
           b.c_str(), bn, power, (int)mots.size());
  std::string s = line;
  for (const M &m : mots) {
    snprintf(line, sizeof line, "     '%c' %6d %6d %6d %10d %10d\n", m.frame, m.q, m.b, m.len,
             1000 * m.len, 4096000);
    s += line;
  }
  return s;
}

}  // namespace tvx
