// Threads of the search pipeline: started joinable, so that their owner can wait for them
// before it frees what they use. Also the one fatal exit of every thread primitive.
#pragma once
#include <pthread.h>

// Body of a thread: receives the parameter given to the constructor.
typedef void *(*ThreadStartRoutine)(void *);

// A thread primitive failed for a reason other than a signal: the pipeline would drop data or
// hang, so the run ends. Prints "\n <what> failed: <reason>" and exits with code 11.
[[noreturn]] void threadPrimitiveFailed(const char *what, int err);

class Thread {
 public:
  pthread_t ThreadHandle;  // zero until the thread is created
  int StartError;          // 0 when the thread started, else the error of pthread_create
  int Joined;              // 1 once the thread has been waited for

  // Starts `start(ThreadParameter)` with default attributes. A failed start is not fatal:
  // it is reported by Started() and StartError, and the caller decides what to do.
  Thread(ThreadStartRoutine start, void *ThreadParameter);
  // Waits for the thread if nobody did, so no thread outlives the object that started it.
  ~Thread();
  Thread(const Thread &) = delete;
  Thread &operator=(const Thread &) = delete;

  // 1 when the thread was started.
  int Started() const { return StartError == 0; }
  // Waits for the thread to end: 1 once it has ended (now or by an earlier call), 0 when it
  // never started. A failing pthread_join exits with code 11.
  int Join();
  // Ends the calling thread with a null result; ExitCode is ignored.
  static void Exit(int ExitCode);
};
