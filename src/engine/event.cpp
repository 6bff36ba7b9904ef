// Event over a condition variable and its own mutex.
#include "event.h"

#include "thread.h"

Event::Event(int InitialState) : Signalled(0) {
  (void)InitialState;
  int err = pthread_mutex_init(&EventMutexHandle, nullptr);
  if (err != 0) threadPrimitiveFailed("Event creation", err);
  err = pthread_cond_init(&EventHandle, nullptr);
  if (err != 0) threadPrimitiveFailed("Event creation", err);
}

Event::~Event() {
  int err = pthread_cond_destroy(&EventHandle);
  if (err == 0) err = pthread_mutex_destroy(&EventMutexHandle);
  if (err != 0) threadPrimitiveFailed("Event destruction", err);
}

int Event::Wait() {
  int err = pthread_mutex_lock(&EventMutexHandle);
  if (err != 0) threadPrimitiveFailed("Event wait", err);
  // The flag keeps a Release that came first, and absorbs spurious wake-ups.
  while (!Signalled) {
    err = pthread_cond_wait(&EventHandle, &EventMutexHandle);
    if (err != 0) threadPrimitiveFailed("Event wait", err);
  }
  Signalled = 0;
  err = pthread_mutex_unlock(&EventMutexHandle);
  if (err != 0) threadPrimitiveFailed("Event wait", err);
  return 1;
}

int Event::Release() {
  int err = pthread_mutex_lock(&EventMutexHandle);
  if (err != 0) threadPrimitiveFailed("Event release", err);
  Signalled = 1;
  err = pthread_cond_signal(&EventHandle);
  if (err == 0) err = pthread_mutex_unlock(&EventMutexHandle);
  if (err != 0) threadPrimitiveFailed("Event release", err);
  return 1;
}
