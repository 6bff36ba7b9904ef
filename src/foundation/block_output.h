// A result written in place, one whole block at a time: each block is formatted in memory and
// handed to the file by one write with the stop signals held, so that a run stopped by a
// signal or a full disk leaves a file that ends at the end of a whole block.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <string>

class BlockOutput {
 public:
  BlockOutput() = default;
  BlockOutput(const BlockOutput &) = delete;
  BlockOutput &operator=(const BlockOutput &) = delete;
  // Closes the file unchecked; a block begun and not ended is dropped.
  ~BlockOutput();

  // Opens path to be written in place: a link is followed, a FIFO or a device is written
  // into, a regular file is emptied; nothing is removed or replaced. path also names the file
  // in messages. False, with errno set, when it can't be opened.
  bool open(const char *path);

  // The stream the next block is formatted into: in memory, emptied after each block.
  // Exits 7 when memory runs out.
  FILE *block();

  // Writes the block formatted since the last one, whole, with SIGINT, SIGTERM, SIGHUP and
  // SIGQUIT held until it is written: a stop meanwhile takes effect right after it. When the
  // write fails (no room, a file-size limit, an I/O error) a regular file is cut back to the
  // end of its last whole block and the run ends: "\n Can't write <path>: <reason>\n", exit 11.
  void endBlock();

  // Closes the file; a block not ended is dropped. A failed close ends the run as endBlock.
  void close();

 private:
  int fd = -1;
  bool regular = false;
  off_t whole = 0;  // bytes of the whole blocks in the file
  std::string path;
  FILE *mem = nullptr;
  char *buf = nullptr;
  size_t len = 0;

  [[noreturn]] void fail(int err);
};
