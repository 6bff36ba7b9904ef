// Shared scaffolding of the reader fuzz targets: every run works in a private scratch
// directory (the readers take paths and FILE*), standard output is silenced (the readers'
// messages go there), and a broken invariant aborts so libFuzzer records the input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fuzzutil {

// A violated property is a finding: abort names it and libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

// Scratch directory of this process; made current by setUp().
inline std::string &scratchDir() {
  static std::string dir;
  return dir;
}

inline void removeScratch() {
  std::error_code ec;
  if (!scratchDir().empty()) std::filesystem::remove_all(scratchDir(), ec);
}

// Makes a fresh scratch directory the working directory (relative paths in the inputs can
// only name files the target made there) and sends standard output to /dev/null.
inline void setUp() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "seqfuzz.XXXXXX").string();
  if (!mkdtemp(&tmpl[0]) || chdir(tmpl.c_str()) != 0) {
    std::perror("fuzz scratch directory");
    std::exit(2);
  }
  scratchDir() = tmpl;
  std::atexit(removeScratch);
  if (!std::freopen("/dev/null", "w", stdout)) std::exit(2);
}

inline void writeFile(const char *path, const uint8_t *data, size_t size) {
  FILE *f = std::fopen(path, "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

inline void writeFile(const char *path, const std::string &s) {
  writeFile(path, reinterpret_cast<const uint8_t *>(s.data()), s.size());
}

// The input cut at the first occurrence of sep: the part before it in head, after it in tail.
// False (head = whole input) when sep does not occur.
inline bool splitAt(const uint8_t *data, size_t size, const std::string &sep, std::string &head,
                    std::string &tail) {
  std::string all(reinterpret_cast<const char *>(data), size);
  size_t at = all.find(sep);
  if (at == std::string::npos) {
    head = all;
    tail.clear();
    return false;
  }
  head = all.substr(0, at);
  tail = all.substr(at + sep.size());
  return true;
}

// A file's text as the line readers give it: a UTF-8 byte-order mark at byte 0 is dropped
// (a mark elsewhere stays; a file of the mark alone is empty). Whatever predicts what a line
// reader makes of a file reads this, not the bytes written.
inline std::string asRead(const std::string &file) {
  return file.compare(0, 3, "\xEF\xBB\xBF") == 0 ? file.substr(3) : file;
}

inline std::string asRead(const uint8_t *data, size_t size) {
  return asRead(std::string(reinterpret_cast<const char *>(data), size));
}

// Lines of text split at '\n', each cut at its first zero byte
// (a C-string reader stops there).
inline std::vector<std::string> cLines(const std::string &text) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string::npos ? text.size() : nl + 1;
    std::string line = text.substr(pos, end - pos);
    out.push_back(line.substr(0, std::strlen(line.c_str())));
    pos = end;
  }
  return out;
}

// A zero-terminated heap copy of exactly the string's size, so that AddressSanitizer sees
// any write past it.
inline std::vector<char> exactCopy(const std::string &s) {
  std::vector<char> v(s.begin(), s.end());
  v.push_back(0);
  v.shrink_to_fit();
  return v;
}

// An output stream that discards what it is given.
inline FILE *sink() {
  FILE *f = std::fopen("/dev/null", "w");
  if (!f) std::abort();
  return f;
}

// The text's lines, without their '\n' (a last line without one included).
inline std::vector<std::string> splitLines(const std::string &text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t nl = text.find('\n', pos);
    lines.push_back(text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos));
    pos = nl == std::string::npos ? text.size() : nl + 1;
  }
  return lines;
}

inline std::vector<std::string> splitLines(const uint8_t *data, size_t size) {
  return splitLines(std::string(reinterpret_cast<const char *>(data), size));
}

}  // namespace fuzzutil

// The libFuzzer start-up of a target that needs nothing but the scratch directory.
#define FUZZ_SCRATCH_ONLY_SETUP                           \
  extern "C" int LLVMFuzzerInitialize(int *, char ***) { \
    fuzzutil::setUp();                                    \
    return 0;                                             \
  }
