#include "errormsg.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void fatalExit(int code, const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vprintf(fmt, ap);
  va_end(ap);
  fflush(stdout);
  exit(code);
}

void noRoom(long long size) {
  if (size > INT_MAX) size = INT_MAX;
  fatalExit(kExitNoMemory, "\n Not enough rooms for new %d", (int)size);
}

void checkWrite(FILE *f, const char *what) {
  if (f && (fflush(f) != 0 || ferror(f))) {
    int err = errno;
    fatalExit(kExitBadData, "\n Can't write %s: %s\n", what ? what : "output", strerror(err));
  }
}

void closeOutput(FILE *f, const char *what) {
  checkWrite(f, what);
  if (fclose(f) != 0) {
    const int err = errno;
    fatalExit(kExitBadData, "\n Can't write %s: %s\n", what ? what : "output", strerror(err));
  }
}
