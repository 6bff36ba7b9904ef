// Running the orisk program in a scratch directory that holds the small Swiss-Prot bank of
// the tests (b.sp with its index) and its motif file (m.txt).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testutil.h"

namespace oriskrun {

// Tests that run the program itself.
class ProgramTest : public ::testing::Test {};

const std::string kBin = SEQ_BIN_DIR "/orisk";

struct RunResult {
  int rc;
  std::string out;
};

inline std::string quoted(const std::string &s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs `prog` in dir with the arguments and returns the exit code with standard output.
inline RunResult runIn(const std::string &dir, const std::string &prog,
                       const std::vector<std::string> &args) {
  std::string cmd = "cd " + quoted(dir) + " && " + quoted(prog);
  for (const std::string &a : args) cmd += " " + quoted(a);
  FILE *p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int st = pclose(p);
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
}

// A scratch directory with b.sp, b.idx and m.txt of tests/data/orisk.
struct Work {
  testutil::TempDir dir;
  Work() {
    for (const char *f : {"b.sp", "m.txt"})
      testutil::writeFile(dir.file(f), testutil::readFile(testutil::dataPath(std::string("orisk/") + f)));
    testutil::makeIndex(dir.file("b.sp"));
  }
  RunResult orisk(const std::vector<std::string> &args) const { return runIn(dir.path(), kBin, args); }
  std::string read(const std::string &name) const { return testutil::readFile(dir.file(name)); }
  void write(const std::string &name, const std::string &text) const {
    testutil::writeFile(dir.file(name), text);
  }
  bool exists(const std::string &name) const {
    FILE *f = fopen(dir.file(name).c_str(), "rb");
    if (f) fclose(f);
    return f != nullptr;
  }
};

}  // namespace oriskrun
