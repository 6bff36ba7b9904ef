// Running a program of the suite as a child process for the bad-input tests: standard
// output and error captured, an optional file-size and address-space cap, and a deadline
// past which the run counts as a hang.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "testutil.h"

namespace robust {

using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

inline const std::string kSearch = SEQ_BIN_DIR "/search";
inline const std::string kPlevit = SEQ_BIN_DIR "/plevit";
inline const std::string kTervex = SEQ_BIN_DIR "/tervex";
inline const std::string kOrisk = SEQ_BIN_DIR "/orisk";
inline const std::string kVantel = SEQ_BIN_DIR "/vantel";
// Long enough for a sanitizer build on a busy machine; a run past it is a hang.
constexpr int kTimeoutSeconds = 120;

// Exit status as the shell sees it: main's negative codes wrap to a byte.
constexpr int status(int code) { return code & 0xff; }

struct Outcome {
  bool exited = false;
  bool hung = false;
  int code = -1;  // exit status, or the signal number when killed
  std::string out, err;
};

// Runs prog with args in dir, standard output and error captured through pipes (so that a
// file size limit only touches the files the program writes). fileLimit > 0 caps the size of
// every file the program writes, as a full disk would: writes past it fail with EFBIG.
// memLimit > 0 caps the address space, so that a runaway allocation fails instead of
// exhausting the machine.
inline Outcome run(const std::string &prog, const std::vector<std::string> &args, const std::string &dir,
            long fileLimit = 0, long memLimit = 0) {
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) abort();
  pid_t pid = fork();
  if (pid < 0) abort();
  if (pid == 0) {
    setpgid(0, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    if (chdir(dir.c_str()) != 0) _exit(126);
    if (fileLimit > 0) {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit rl = {(rlim_t)fileLimit, (rlim_t)fileLimit};
      setrlimit(RLIMIT_FSIZE, &rl);
    }
    if (memLimit > 0) {
      struct rlimit rl = {(rlim_t)memLimit, (rlim_t)memLimit};
      setrlimit(RLIMIT_AS, &rl);
    }
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(prog.c_str()));
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    execv(prog.c_str(), argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  Outcome r;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
  struct pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string *sinks[2] = {&r.out, &r.err};
  int open = 2, st = 0;
  while (open > 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      r.hung = true;
      kill(-pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, 200) <= 0) continue;
    for (int i = 0; i < 2; i++) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[65536];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, (size_t)n);
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        open--;
      }
    }
  }
  for (auto &f : fds)
    if (f.fd >= 0) close(f.fd);
  waitpid(pid, &st, 0);
  r.exited = WIFEXITED(st);
  r.code = r.exited ? WEXITSTATUS(st) : (WIFSIGNALED(st) ? WTERMSIG(st) : -1);
  return r;
}

// The checks every row shares: the program ended by itself, without a sanitizer report,
// with the stated exit status and message.
inline void expectOutcome(const Outcome &r, int code, const std::string &message) {
  ASSERT_FALSE(r.hung) << "no end within " << kTimeoutSeconds << " s";
  ASSERT_TRUE(r.exited) << "killed by signal " << r.code << "\n" << r.err;
  EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
  EXPECT_EQ(r.code, status(code)) << r.out;
  if (!message.empty()) {
    EXPECT_NE(r.out.find(message), std::string::npos) << r.out;
  }
}

// Bytes that look like nothing the suite reads (a fixed sequence, so failures repeat).
inline std::string garbage(size_t n, bool noBang = false) {
  std::string s;
  uint32_t x = 2463534242u;
  while (s.size() < n) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    char c = (char)(x & 0xff);
    if (noBang && c == '!') continue;
    s += c;
  }
  return s;
}

// A scratch directory: every file put there is an input whose bytes no row may change.
class Scratch : public ::testing::Test {
 protected:
  TempDir dir;
  std::vector<std::string> inputs;  // files whose bytes no row may change

  std::string path(const std::string &name) const { return dir.file(name); }
  void put(const std::string &name, const std::string &text) {
    writeFile(path(name), text);
    inputs.push_back(name);
  }
  bool exists(const std::string &name) const {
    struct stat st;
    return stat(path(name).c_str(), &st) == 0;
  }
  std::map<std::string, size_t> hashes(bool all = false) const {  // of the inputs, or of every file
    std::map<std::string, size_t> h;
    for (const std::string &f : inputs) h[f] = std::hash<std::string>()(readFile(path(f)));
    for (const auto &e : std::filesystem::recursive_directory_iterator(dir.path()))
      // A device or a FIFO is never read: it could block or never end.
      if (all) h[e.path().string()] = !e.is_regular_file() ? (size_t)e.status().type() : std::hash<std::string>()(readFile(e.path().string()));
    return h;
  }
};

// A device that takes no byte, as a full disk (char 1,7), made at path; false when the
// tests do not run as root (only root makes devices).
inline bool makeFullDevice(const std::string &path) {
  return geteuid() == 0 && mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0;
}

// A FIFO made at path and held open for reading, its room grown to a whole result, so that a
// writer neither waits nor stops; drain() takes what was written.
inline int heldFifo(const std::string &path) {
  const int fd = mkfifo(path.c_str(), 0600) == 0 ? open(path.c_str(), O_RDWR | O_NONBLOCK) : -1;
  if (fd < 0 || fcntl(fd, F_SETPIPE_SZ, 1 << 20) < 0) abort();
  return fd;
}
inline std::string drain(int fd) {
  std::string got;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) got.append(buf, (size_t)n);
  return got;
}

// A result cut back by a full disk (limit bytes): the start of what the whole run wrote, up
// to a block beginning with `head`, so a motif file still reads as one.
inline void expectCutAtBlock(const std::string &cutPath, const std::string &whole, long limit,
                             const std::string &head) {
  const std::string c = testutil::maskDate(readFile(cutPath)), w = testutil::maskDate(whole);
  EXPECT_LT((long)c.size(), limit) << "not cut back";
  EXPECT_EQ(w.compare(0, c.size(), c), 0) << "not what the whole run wrote";
  EXPECT_EQ(w.compare(c.size(), head.size(), head), 0) << "cut inside a block";
}

}  // namespace robust
