// A POSIX mutex with default attributes, as the bounded queues of the pipeline use it.
// Every failure of the underlying calls ends the run (exit code 11).
#pragma once
#include <pthread.h>

class Mutex {
 public:
  pthread_mutex_t MutexHandle;

  // Initialises the mutex; when `owner` is non-zero the constructing thread holds it on return.
  explicit Mutex(int owner = 0);
  // Destroys the mutex; destroying one that is still held exits with code 11.
  ~Mutex();
  Mutex(const Mutex &) = delete;
  Mutex &operator=(const Mutex &) = delete;

  // Locks, blocking; returns 1.
  int Wait();
  // Unlocks; returns 1.
  int Release();
};
