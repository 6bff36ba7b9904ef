// An auto-reset event: Release wakes one waiter, or the next one to come when nobody waits.
// Every failure of the underlying calls ends the run (exit code 11).
#pragma once
#include <pthread.h>

class Event {
 public:
  pthread_cond_t EventHandle;
  pthread_mutex_t EventMutexHandle;  // guards `Signalled` and is held around the wait
  int Signalled;                     // a Release not yet consumed by a Wait

  // Starts unsignalled; `InitialState` is ignored.
  explicit Event(int InitialState = 0);
  ~Event();
  Event(const Event &) = delete;
  Event &operator=(const Event &) = delete;

  // Blocks until the event is signalled, then resets it; returns 1.
  int Wait();
  // Signals the event and wakes one waiter; returns 1.
  int Release();
};
