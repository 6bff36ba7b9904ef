// Semaphore over sem_t.
#include "semaphor.h"

#include <cerrno>

#include "thread.h"

namespace {
constexpr int kSpinTries = 1500;
}  // namespace

Semaphore::Semaphore(int MaximumCount, int nitialCount) {
  (void)MaximumCount;
  if (nitialCount < 0) threadPrimitiveFailed("Semaphore creation", EINVAL);
  if (sem_init(&SemaphoreHandle, 0, (unsigned)nitialCount) != 0)
    threadPrimitiveFailed("Semaphore creation", errno);
}

Semaphore::~Semaphore() {
  if (sem_destroy(&SemaphoreHandle) != 0) threadPrimitiveFailed("Semaphore destruction", errno);
}

int Semaphore::Wait() {
  // The pipeline hands records over at a high rate and the other side usually posts within
  // microseconds: a short spin saves a sleep and a wake-up for most of them.
  for (int spin = 0; spin < kSpinTries; spin++) {
    if (sem_trywait(&SemaphoreHandle) == 0) return 1;
    if (errno != EAGAIN && errno != EINTR) threadPrimitiveFailed("Semaphore wait", errno);
    __builtin_ia32_pause();
  }
  while (sem_wait(&SemaphoreHandle) != 0) {
    int err = errno;
    // A signal handler ran: the count is untouched, so simply wait again.
    if (err != EINTR) threadPrimitiveFailed("Semaphore wait", err);
  }
  return 1;
}

int Semaphore::Release(long lReleaseCount) {
  (void)lReleaseCount;
  if (sem_post(&SemaphoreHandle) != 0) threadPrimitiveFailed("Semaphore release", errno);
  return 1;
}
