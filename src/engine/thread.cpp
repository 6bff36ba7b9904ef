// Joinable threads and the fatal exit of the thread primitives.
#include "thread.h"

#include <cstring>

#include "errormsg.h"

void threadPrimitiveFailed(const char *what, int err) {
  char buf[256];
  // GNU strerror_r: thread-safe, may return a static string instead of filling buf.
  const char *reason = strerror_r(err, buf, sizeof buf);
  fatalExit(kExitBadData, "\n %s failed: %s\n", what, reason);
}

Thread::Thread(ThreadStartRoutine start, void *ThreadParameter)
    : ThreadHandle(), StartError(0), Joined(0) {
  StartError = pthread_create(&ThreadHandle, nullptr, start, ThreadParameter);
  if (StartError != 0) ThreadHandle = pthread_t();
}

Thread::~Thread() { Join(); }

int Thread::Join() {
  if (!Started()) return 0;
  if (Joined) return 1;
  int err = pthread_join(ThreadHandle, nullptr);
  if (err != 0) threadPrimitiveFailed("Thread join", err);
  Joined = 1;
  return 1;
}

void Thread::Exit(int ExitCode) {
  (void)ExitCode;
  pthread_exit(nullptr);
}
