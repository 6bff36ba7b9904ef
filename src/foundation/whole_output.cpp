#include "whole_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "errormsg.h"

namespace {

// path with every symbolic link along it followed to the file it names (which need not
// exist): the new content goes there, and the link stays a link.
std::string followLinks(const char *path) {
  std::string p = path;
  for (int hop = 0; hop < 40; hop++) {  // a loop of links ends as the system's own lookup does
    struct stat st;
    if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string to((size_t)st.st_size + 1, '\0');
    const ssize_t n = readlink(p.c_str(), &to[0], to.size());
    if (n <= 0 || (size_t)n >= to.size()) break;
    to.resize((size_t)n);
    const size_t slash = p.rfind('/');
    p = to[0] == '/' || slash == std::string::npos ? to : p.substr(0, slash + 1) + to;
  }
  return p;
}

// A new file beside target, named so that a user recognises one a killed run left behind.
// Its descriptor, or -1 with errno set.
int makeTemp(const std::string &target, std::string &temp) {
  temp = target + ".unfinished-XXXXXX";
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) temp.clear();
  return fd;
}

}  // namespace

int outputRefusal(const char *path) {
  if (!path || !*path) return ENOENT;
  const std::string target = followLinks(path);
  struct stat st;
  if (stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return 0;
    if (access(target.c_str(), W_OK) != 0) return errno;
  } else if (errno != ENOENT) {
    return errno;
  }
  std::string temp;
  const int fd = makeTemp(target, temp);
  if (fd < 0) return errno;
  close(fd);
  unlink(temp.c_str());
  return 0;
}

WholeOutput::~WholeOutput() {
  for (Out &o : outs) {
    if (o.f) fclose(o.f);
    free(o.buf);
    if (!o.temp.empty()) unlink(o.temp.c_str());
  }
}

FILE *WholeOutput::open(const char *what, const char *path) {
  outs.emplace_back();
  Out &o = outs.back();
  o.what = what;
  o.target = followLinks(path);
  struct stat st;
  o.direct = stat(o.target.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
  if (o.direct) {
    if ((o.f = fopen(path, "wb"))) return o.f;
    const int err = errno;
    outs.pop_back();
    errno = err;
    return nullptr;
  }
  o.f = open_memstream(&o.buf, &o.len);
  if (!o.f) noRoom(BUFSIZ);
  return o.f;
}

void WholeOutput::fail(const Out &o, int err) {
  for (Out &t : outs)
    if (!t.temp.empty()) {
      unlink(t.temp.c_str());
      t.temp.clear();
    }
  fatalExit(kExitBadData, "\n Can't write %s: %s\n", o.what.c_str(), strerror(err));
}

void WholeOutput::commit() {
  // The direct outputs first: a failure there ends the run before any new file exists.
  for (Out &o : outs)
    if (o.direct) {
      FILE *f = o.f;
      o.f = nullptr;
      closeOutput(f, o.what.c_str());
    }
  // Read without a lasting change: the programs run one thread by now.
  const mode_t mask = umask(0);
  umask(mask);
  for (Out &o : outs) {
    if (o.direct) continue;
    const bool bad = ferror(o.f) != 0;
    const int closed = fclose(o.f);
    o.f = nullptr;
    if (closed != 0 || bad) fail(o, ENOMEM);  // only a memory stream that could not grow
    struct stat st;
    const bool had = stat(o.target.c_str(), &st) == 0;
    const int fd = makeTemp(o.target, o.temp);
    if (fd < 0) fail(o, errno);
    int err = fchmod(fd, had ? st.st_mode & 0777 : 0666 & ~mask) != 0 ? errno : 0;
    for (size_t at = 0; !err && at < o.len;) {
      const ssize_t n = write(fd, o.buf + at, o.len - at);
      if (n >= 0)
        at += (size_t)n;
      else if (errno != EINTR)
        err = errno;
    }
    if (close(fd) != 0 && !err) err = errno;
    free(o.buf);
    o.buf = nullptr;
    if (err) fail(o, err);
  }
  for (Out &o : outs) {
    if (o.direct) continue;
    if (rename(o.temp.c_str(), o.target.c_str()) != 0) fail(o, errno);
    o.temp.clear();
  }
}
