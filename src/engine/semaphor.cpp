// Semaphore over sem_t.
#include "semaphor.h"

#include <cerrno>

#include "thread.h"

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
  // No spinning: sem_wait takes a posted count without a system call and otherwise sleeps in
  // the kernel, so a stage with nothing to do costs no processor time.
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
