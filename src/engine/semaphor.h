// A counting semaphore private to the process (POSIX unnamed semaphore).
// A wait cut short by a signal is resumed; any other failure ends the run (exit code 11).
#pragma once
#include <semaphore.h>

class Semaphore {
 public:
  sem_t SemaphoreHandle;

  // Starts at `nitialCount`; `MaximumCount` is not used. A count out of range exits with 11.
  Semaphore(int MaximumCount, int nitialCount);
  ~Semaphore();
  Semaphore(const Semaphore &) = delete;
  Semaphore &operator=(const Semaphore &) = delete;

  // Decrements, sleeping in the kernel while the value is 0 (no spin); returns 1.
  int Wait();
  // Increments by exactly one whatever `lReleaseCount` is; returns 1.
  int Release(long lReleaseCount = 1);
};
