#include "block_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "errormsg.h"

BlockOutput::~BlockOutput() {
  if (fd >= 0) ::close(fd);
  if (mem) fclose(mem);
  free(buf);
}

bool BlockOutput::open(const char *name) {
  // The flags of fopen's "wb": a FIFO or a device ignores the truncation.
  fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) return false;
  struct stat st;
  regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  whole = 0;
  path = name;
  return true;
}

FILE *BlockOutput::block() {
  if (!mem) {
    mem = open_memstream(&buf, &len);
    if (!mem) noRoom(BUFSIZ);
  }
  return mem;
}

void BlockOutput::endBlock() {
  if (!mem) return;
  // The stream's size is its position, so a block shorter than the last one is not padded.
  if (fflush(mem) != 0 || ferror(mem)) noRoom((long long)len + BUFSIZ);
  sigset_t stops, old;
  sigemptyset(&stops);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&stops, sig);
  sigprocmask(SIG_BLOCK, &stops, &old);
  int err = 0;
  for (size_t done = 0; done < len;) {
    const ssize_t n = write(fd, buf + done, len - done);
    if (n > 0) {
      done += (size_t)n;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      err = n < 0 ? errno : EIO;
      break;
    }
  }
  if (err && regular && ftruncate(fd, whole) == 0) lseek(fd, whole, SEEK_SET);
  if (!err) whole += (off_t)len;
  sigprocmask(SIG_SETMASK, &old, nullptr);
  if (err) fail(err);
  fseeko(mem, 0, SEEK_SET);
}

void BlockOutput::close() {
  if (fd < 0) return;
  const int rc = ::close(fd);
  fd = -1;
  if (rc != 0) fail(errno);
}

void BlockOutput::fail(int err) {
  fatalExit(kExitBadData, "\n Can't write %s: %s\n", path.c_str(), strerror(err));
}
