// Mutex, Semaphore, Thread and Event: locking, counting, blocking, joining and the fatal exit
// taken when a primitive fails.
#include <gtest/gtest.h>
#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include "event.h"
#include "mutex.h"
#include "semaphor.h"
#include "thread.h"

namespace {

// A blocked thread must still be blocked after this long; a shorter real wait can only let a
// broken primitive pass, never fail a sound one.
void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

int semValue(Semaphore &s) {
  int v = -1;
  sem_getvalue(&s.SemaphoreHandle, &v);
  return v;
}

struct TryLockProbe {
  Mutex *m;
  int result;
};

void *tryLockFromOtherThread(void *arg) {
  TryLockProbe *p = static_cast<TryLockProbe *>(arg);
  p->result = pthread_mutex_trylock(&p->m->MutexHandle);
  if (p->result == 0) pthread_mutex_unlock(&p->m->MutexHandle);
  return nullptr;
}

int tryLockElsewhere(Mutex &m) {
  TryLockProbe p{&m, -1};
  Thread t(tryLockFromOtherThread, &p);
  EXPECT_TRUE(t.Started());
  t.Join();
  return p.result;
}

// Fatal messages go to standard output; death tests match standard error.
void stdoutToStderr() {
  fflush(stdout);
  dup2(STDERR_FILENO, STDOUT_FILENO);
}

// Death tests here start threads: re-run the binary rather than fork a threaded process.
class ThreadDeathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
  }
  void TearDown() override { GTEST_FLAG_SET(death_test_style, saved_); }
  std::string saved_;
};

}  // namespace

TEST(ThreadMutex, OwnerFlagDecidesWhoHoldsTheLock) {
  Mutex held(1);
  EXPECT_EQ(EBUSY, tryLockElsewhere(held));
  EXPECT_EQ(1, held.Release());
  EXPECT_EQ(0, tryLockElsewhere(held));

  Mutex unheld(0);
  EXPECT_EQ(0, tryLockElsewhere(unheld));
  EXPECT_EQ(1, unheld.Wait());
  EXPECT_EQ(EBUSY, tryLockElsewhere(unheld));
  EXPECT_EQ(1, unheld.Release());
}

namespace {
struct Counter {
  Mutex lock;
  long value = 0;
};
void *addMany(void *arg) {
  Counter *c = static_cast<Counter *>(arg);
  for (int i = 0; i < 20000; i++) {
    c->lock.Wait();
    c->value++;
    c->lock.Release();
  }
  return nullptr;
}
}  // namespace

TEST(ThreadMutex, ExcludesConcurrentUpdates) {
  Counter c;
  {
    Thread a(addMany, &c), b(addMany, &c), d(addMany, &c);
    ASSERT_TRUE(a.Started() && b.Started() && d.Started());
  }  // the destructors join
  EXPECT_EQ(60000, c.value);
}

TEST(ThreadSemaphore, ReleaseAddsOneWhateverTheCount) {
  Semaphore s(10, 2);
  EXPECT_EQ(2, semValue(s));
  EXPECT_EQ(1, s.Release(5));
  EXPECT_EQ(3, semValue(s));
  EXPECT_EQ(1, s.Release(0));
  EXPECT_EQ(4, semValue(s));
  EXPECT_EQ(1, s.Wait());
  EXPECT_EQ(3, semValue(s));
}

namespace {
struct Waiter {
  Semaphore *sem;
  std::atomic<int> done{0};
  int result = -1;
};
void *waitOnSemaphore(void *arg) {
  Waiter *w = static_cast<Waiter *>(arg);
  w->result = w->sem->Wait();
  w->done = 1;
  return nullptr;
}
}  // namespace

TEST(ThreadSemaphore, WaitBlocksAtZeroUntilARelease) {
  Semaphore s(1, 0);
  Waiter w;
  w.sem = &s;
  Thread t(waitOnSemaphore, &w);
  ASSERT_TRUE(t.Started());
  settle();
  EXPECT_EQ(0, w.done.load());
  s.Release(1);
  EXPECT_EQ(1, t.Join());
  EXPECT_EQ(1, w.done.load());
  EXPECT_EQ(1, w.result);
  EXPECT_EQ(0, semValue(s));
}

// A stage with nothing to do costs nothing: a blocked wait sleeps (a few microseconds of the
// waiter's time; spinning first took about fifty). The median ignores a busy machine's odd wait.
TEST(ThreadSemaphore, BlockedWaitSleepsInsteadOfSpinning) {
  struct Waiter {
    Semaphore sem{1, 0};
    std::vector<double> cpu = std::vector<double>(101);  // the waiting thread's own processor time, per wait
    static double now() {
      timespec t;
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
      return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
    }
    static void *rounds(void *arg) {
      for (double &c : static_cast<Waiter *>(arg)->cpu) {
        c = now();
        static_cast<Waiter *>(arg)->sem.Wait();
        c = now() - c;
      }
      return nullptr;
    }
  } w;
  Thread t(Waiter::rounds, &w);
  ASSERT_TRUE(t.Started());
  for (size_t i = 0; i < w.cpu.size(); i++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the waiter blocks meanwhile
    w.sem.Release(1);
  }
  t.Join();
  std::sort(w.cpu.begin(), w.cpu.end());
  EXPECT_LT(w.cpu[w.cpu.size() / 2], 100e-6);
}

namespace {
std::atomic<int> g_signals{0};
void countSignal(int) { g_signals++; }
}  // namespace

TEST(ThreadSemaphore, WaitInterruptedBySignalKeepsWaiting) {
  struct sigaction sa = {}, old = {};
  sa.sa_handler = countSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: sem_wait then returns EINTR
  ASSERT_EQ(0, sigaction(SIGUSR1, &sa, &old));
  g_signals = 0;

  Semaphore s(1, 0);
  Waiter w;
  w.sem = &s;
  Thread t(waitOnSemaphore, &w);
  ASSERT_TRUE(t.Started());
  settle();
  // Keep signalling until the handler has run a few times (a loaded machine may be slow).
  for (int i = 0; i < 1000 && g_signals.load() < 3; i++) {
    pthread_kill(t.ThreadHandle, SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  settle();
  EXPECT_GE(g_signals.load(), 3);
  EXPECT_EQ(0, w.done.load());  // the interrupted wait neither returned nor took a count
  s.Release(1);
  t.Join();
  EXPECT_EQ(1, w.result);
  EXPECT_EQ(0, semValue(s));
  sigaction(SIGUSR1, &old, nullptr);
}

TEST_F(ThreadDeathTest, FailingPrimitivesEndTheRunWithCode11) {
  EXPECT_EXIT({
    stdoutToStderr();
    Semaphore s(1, -1);
  }, ::testing::ExitedWithCode(11),
              "^\n Semaphore creation failed: Invalid argument\n$");
  EXPECT_EXIT(
      {
        stdoutToStderr();
        Semaphore s(1, SEM_VALUE_MAX);
        s.Release(1);
      },
      ::testing::ExitedWithCode(11), "^\n Semaphore release failed: Value too large");
}

#if !defined(__SANITIZE_THREAD__)
// ThreadSanitizer reports the destruction of a held mutex itself and changes the exit code.
TEST_F(ThreadDeathTest, DestroyingAHeldMutexEndsTheRun) {
  EXPECT_EXIT({
    stdoutToStderr();
    Mutex m(1);
  }, ::testing::ExitedWithCode(11),
              "^\n Mutex destruction failed: Device or resource busy\n$");
}
#endif

namespace {
struct Gate {
  Semaphore open{1, 0};
  std::atomic<int> passed{0};
};
void *passGate(void *arg) {
  Gate *g = static_cast<Gate *>(arg);
  g->open.Wait();
  settle();  // finishing late: a destructor that does not wait is caught below
  g->passed = 1;
  return nullptr;
}
void *doNothing(void *) { return nullptr; }
}  // namespace

TEST(ThreadThread, JoinWaitsForTheBodyAndCanBeRepeated) {
  Gate g;
  Thread t(passGate, &g);
  ASSERT_TRUE(t.Started());
  EXPECT_EQ(0, t.StartError);
  g.open.Release(1);
  EXPECT_EQ(1, t.Join());
  EXPECT_EQ(1, g.passed.load());
  EXPECT_EQ(1, t.Joined);
  EXPECT_EQ(1, t.Join());
}

TEST(ThreadThread, DestructorWaitsForAThreadNobodyJoined) {
  Gate g;
  {
    Thread t(passGate, &g);
    ASSERT_TRUE(t.Started());
    g.open.Release(1);
  }
  EXPECT_EQ(1, g.passed.load());
}

#if !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
namespace {
// Leaves no address space for a new thread's stack.
void capAddressSpace() {
  long pages = 0;
  FILE *f = fopen("/proc/self/statm", "r");
  if (!f || fscanf(f, "%ld", &pages) != 1) exit(4);
  fclose(f);
  struct rlimit rl;
  rl.rlim_cur = rl.rlim_max = (rlim_t)(pages * sysconf(_SC_PAGESIZE) + (1 << 20));
  if (setrlimit(RLIMIT_AS, &rl) != 0) exit(5);
}
}  // namespace

// Sanitizers reserve huge address ranges, so the cap is tried only in plain builds.
TEST_F(ThreadDeathTest, FailedStartIsReportedAndNeverJoined) {
  EXPECT_EXIT(
      {
        capAddressSpace();
        Thread t(doNothing, nullptr);
        if (t.Started() || t.StartError == 0) exit(1);
        if (t.Join() != 0 || t.Joined) exit(2);
        exit(3);
      },
      ::testing::ExitedWithCode(3), "");
}
#endif

TEST(ThreadThread, ExitEndsOnlyTheCallingThread) {
  struct Body {
    static void *run(void *arg) {
      static_cast<std::atomic<int> *>(arg)->store(1);
      Thread::Exit(5);
      static_cast<std::atomic<int> *>(arg)->store(2);  // never reached
      return nullptr;
    }
  };
  std::atomic<int> step{0};
  Thread t(Body::run, &step);
  ASSERT_TRUE(t.Started());
  EXPECT_EQ(1, t.Join());
  EXPECT_EQ(1, step.load());
  Thread quick(doNothing, nullptr);
  EXPECT_EQ(1, quick.Join());
}

namespace {
struct EventWaiter {
  Event *ev;
  std::atomic<int> woken{0};
};
void *waitOnEvent(void *arg) {
  EventWaiter *w = static_cast<EventWaiter *>(arg);
  w->ev->Wait();
  w->woken++;
  return nullptr;
}
}  // namespace

TEST(ThreadEvent, ReleaseWakesOneWaiterAndIsNotLost) {
  Event ev(1);  // the initial state is ignored: starts unsignalled
  EventWaiter w;
  w.ev = &ev;
  Thread a(waitOnEvent, &w), b(waitOnEvent, &w);
  ASSERT_TRUE(a.Started() && b.Started());
  settle();
  EXPECT_EQ(0, w.woken.load());
  EXPECT_EQ(1, ev.Release());
  // One wake-up per release: wait until it has landed, then check the other still waits.
  while (w.woken.load() == 0) std::this_thread::yield();
  settle();
  EXPECT_EQ(1, w.woken.load());
  ev.Release();
  a.Join();
  b.Join();
  EXPECT_EQ(2, w.woken.load());

  // A release with nobody waiting is kept for the next waiter.
  ev.Release();
  EXPECT_EQ(1, ev.Wait());
  EXPECT_EQ(0, ev.Signalled);
}
