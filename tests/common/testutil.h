// Small helpers shared by the tests: a temporary directory removed at the end of the
// test, whole-file reads and writes, paths of the committed test data, and bank indexes
// written with the project's own tools/mkidx.py.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "aa_group.h"
#include "bankseq.h"
#include "vector_form.h"

// In a test of a wide form against its plain twin: skips the test, saying so, where the wide
// form would not run (no vector paths in the build, or the processor lacks its instructions).
#define SKIP_WITHOUT_WIDE(features)                                                          \
  do {                                                                                       \
    if (!cpuHas(features))                                                                   \
      GTEST_SKIP() << "no wide form to compare: vector paths off or instructions missing"; \
  } while (0)

namespace testutil {

// Letter groups read from the text of a color file (one group a line).
inline AA_groups groupsOf(const char *text) {
  AA_groups ag;
  FILE *f = tmpfile();
  fputs(text, f);
  rewind(f);
  EXPECT_EQ(ag.fread(f), 0);
  fclose(f);
  return ag;
}

// A sequence built in memory from text, with the given frame letter.
inline BankSeq seqOf(const std::string &s, char frame = ' ') {
  BankSeq b;
  b.set(s.data(), (int)s.size());
  b.frame = frame;
  return b;
}

// In a death test: sends standard output (where the suite's messages go) to standard
// error, which the death test matches.
inline void stdoutToStderr() {
  fflush(stdout);
  dup2(2, 1);
}

// A fresh directory under the system temp directory, removed with its content.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "seqtest.XXXXXX").string();
    char *p = mkdtemp(&tmpl[0]);
    path_ = p ? p : "";
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void writeFile(const std::string &path, const std::string &content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

inline std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Path of a committed test data file (relative to tests/data).
inline std::string dataPath(const std::string &rel) { return std::string(SEQ_TEST_DATA) + "/" + rel; }

// Every "\n" turned into "\r\n".
inline std::string toCRLF(const std::string &s) {
  std::string out;
  out.reserve(s.size() + s.size() / 16);
  for (char c : s) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Writes the ".idx" index beside `bank` with tools/mkidx.py; true on success.
inline bool makeIndex(const std::string &bank) {
  std::string cmd = std::string("python3 '") + SEQ_TOOLS_DIR + "/mkidx.py' '" + bank + "' >/dev/null";
  return std::system(cmd.c_str()) == 0;
}

// The one rule that masks what changes from run to run in the suite's output files: a date
// as ctime writes it ("Www Mmm dd hh:mm:ss yyyy") that ends a line, after blanks only (the
// banner of a search result) or after ", " (the head of a prediction), becomes "<date>".
// bench/report.py masks by the same rule.
inline bool isCtimeDate(const std::string &s) {
  // A upper case, a lower case, 9 digit, _ blank or digit, anything else itself.
  static const char shape[] = "Aaa Aaa _9 99:99:99 9999";
  if (s.size() != sizeof shape - 1) return false;
  for (size_t i = 0; i < s.size(); i++) {
    const char c = s[i], k = shape[i];
    const bool digit = c >= '0' && c <= '9';
    const bool ok = k == 'A'   ? (c >= 'A' && c <= 'Z')
                    : k == 'a' ? (c >= 'a' && c <= 'z')
                    : k == '9' ? digit
                    : k == '_' ? (digit || c == ' ')
                               : c == k;
    if (!ok) return false;
  }
  return true;
}

inline std::string maskDate(const std::string &text) {
  std::string out;
  size_t from = 0;
  while (from < text.size()) {
    const size_t end = text.find('\n', from);
    const size_t stop = end == std::string::npos ? text.size() : end;
    const std::string line = text.substr(from, stop - from);
    const size_t n = sizeof "Www Mmm dd hh:mm:ss yyyy" - 1;
    const std::string head = line.size() > n ? line.substr(0, line.size() - n) : "";
    const bool blanks = !head.empty() && head.find_first_not_of(' ') == std::string::npos;
    const bool comma = head.size() >= 2 && head.compare(head.size() - 2, 2, ", ") == 0;
    if ((blanks || comma) && isCtimeDate(line.substr(line.size() - n)))
      out += head + "<date>";
    else
      out += line;
    if (end == std::string::npos) break;
    out += '\n';
    from = end + 1;
  }
  return out;
}

// Output of `fn` written to a memory stream.
template <class Fn>
std::string writtenBy(Fn fn) {
  char *buf = nullptr;
  size_t n = 0;
  FILE *f = open_memstream(&buf, &n);
  fn(f);
  fclose(f);
  std::string out(buf, n);
  free(buf);
  return out;
}

// An open stdio stream over the given text (a temporary file); the caller closes it.
inline FILE *streamOf(const std::string &text) {
  FILE *f = tmpfile();
  if (!f) return nullptr;
  fwrite(text.data(), 1, text.size(), f);
  rewind(f);
  return f;
}

}  // namespace testutil
