// Mutex over pthread_mutex_t.
#include "mutex.h"

#include "thread.h"

Mutex::Mutex(int owner) {
  int err = pthread_mutex_init(&MutexHandle, nullptr);
  if (err != 0) threadPrimitiveFailed("Mutex creation", err);
  if (owner) Wait();
}

Mutex::~Mutex() {
  int err = pthread_mutex_destroy(&MutexHandle);
  if (err != 0) threadPrimitiveFailed("Mutex destruction", err);
}

int Mutex::Wait() {
  int err = pthread_mutex_lock(&MutexHandle);
  if (err != 0) threadPrimitiveFailed("Mutex lock", err);
  return 1;
}

int Mutex::Release() {
  int err = pthread_mutex_unlock(&MutexHandle);
  if (err != 0) threadPrimitiveFailed("Mutex unlock", err);
  return 1;
}
