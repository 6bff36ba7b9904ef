// Outputs written whole or not at all. A run gathers each output in memory and, once every
// one is complete, writes each to a new file beside its target ("<name>.unfinished-XXXXXX")
// and renames them all over their targets, so a failed or stopped run leaves the old files.
#pragma once

#include <cstddef>
#include <cstdio>
#include <deque>
#include <string>

// 0 when path can become an output: not a directory, its folder exists and takes a new file,
// and a file already there can be written; else the errno that says why. A symbolic link
// is judged by the file it names; a device or a pipe is taken as it is.
int outputRefusal(const char *path);

// The outputs of one run. Not copyable: it owns the streams it hands out.
class WholeOutput {
 public:
  WholeOutput() = default;
  WholeOutput(const WholeOutput &) = delete;
  WholeOutput &operator=(const WholeOutput &) = delete;
  // Without commit every target stays as it was.
  ~WholeOutput();

  // The stream of the output named `what` in messages, to be made at path: in memory for a
  // regular file (a link followed) or a path not there yet, else (a device, a pipe) the
  // target itself, opened for writing. Null, with errno set, when that target can't be
  // opened. Exits 7 when memory runs out. The stream stays owned here: never close it.
  FILE *open(const char *what, const char *path);

  // Ends the outputs: the direct ones are closed, the others written to new files that
  // replace their targets only when all are written (a replaced file keeps its permission
  // bits, a new one gets 0666 less the umask). On a failure every new file is removed and
  // the run ends: "\n Can't write <what>: <reason>\n", exit 11.
  void commit();

 private:
  struct Out {
    std::string what, target;  // target: the path with its links followed
    FILE *f = nullptr;
    char *buf = nullptr;  // the memory stream's bytes
    size_t len = 0;
    bool direct = false;
    std::string temp;  // the new file, once made
  };
  std::deque<Out> outs;  // a deque: the memory streams keep the addresses of buf and len

  [[noreturn]] void fail(const Out &o, int err);
};
