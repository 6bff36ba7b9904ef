// Bounded blocking queue of records (pointers) between the stages of the threaded search.
// CircleBuffer is the bare ring; FIFO adds two counting semaphores (free slots, held records)
// that do the blocking outside the lock, and one mutex held only while the ring is touched.
#pragma once
#include <new>

#include "errormsg.h"
#include "mutex.h"
#include "semaphor.h"

template <class T>
class CircleBuffer {
 public:
  int max_records;       // capacity
  T *records;            // max_records slots
  int used_records;      // records held
  int record_for_write;  // slot of the next put

  // A ring of `n` slots; n below 1 exits with code 11, a failed allocation with code 7.
  explicit CircleBuffer(int n)
      : max_records(n), records(nullptr), used_records(0), record_for_write(0) {
    if (n < 1) fatalExit(kExitBadData, "\n Queue capacity %d invalid\n", n);
    records = allocArray<T>(n, true);
  }
  ~CircleBuffer() { delete[] records; }
  CircleBuffer(const CircleBuffer &) = delete;
  CircleBuffer &operator=(const CircleBuffer &) = delete;

  // Appends x; 0 when the ring is full.
  int put(T x) {
    if (used_records == max_records) return 0;
    records[record_for_write] = x;
    record_for_write = (record_for_write + 1) % max_records;
    used_records++;
    return 1;
  }
  // Takes the oldest record into x; 0 when the ring is empty.
  int get(T &x) {
    if (used_records == 0) return 0;
    x = records[(max_records + record_for_write - used_records) % max_records];
    used_records--;
    return 1;
  }
  int size() const { return max_records; }
  int used() const { return used_records; }
  int free() const { return max_records - used_records; }
};

template <class T>
class FIFO : public CircleBuffer<T> {
 public:
  Semaphore putSem;  // free slots
  Semaphore getSem;  // held records
  Mutex blockMutex;  // guards the ring

  // An empty queue of capacity n. Destroy it only once no other thread can touch it.
  explicit FIFO(int n) : CircleBuffer<T>(n), putSem(n, n), getSem(n, 0), blockMutex(0) {}
  FIFO(const FIFO &) = delete;
  FIFO &operator=(const FIFO &) = delete;

  // Appends x (a null pointer is an ordinary record), blocking while the queue is full.
  // Returns 1 when stored; a failing primitive ends the run (exit code 11).
  int put(T x) {
    if (!putSem.Wait()) return 0;
    if (!blockMutex.Wait()) {
      putSem.Release(1);  // give the slot back: putSem + getSem must stay the capacity
      return 0;
    }
    int ok = CircleBuffer<T>::put(x);
    blockMutex.Release();
    if (ok)
      getSem.Release(1);
    else
      putSem.Release(1);
    return ok;
  }
  // Takes the oldest record into x, blocking while the queue is empty. Returns 1 when taken.
  int get(T &x) {
    if (!getSem.Wait()) return 0;
    if (!blockMutex.Wait()) {
      getSem.Release(1);
      return 0;
    }
    int ok = CircleBuffer<T>::get(x);
    blockMutex.Release();
    if (ok)
      putSem.Release(1);
    else
      getSem.Release(1);
    return ok;
  }
  // Records held: a snapshot, stale as soon as another thread moves.
  int used() {
    blockMutex.Wait();
    int n = this->used_records;
    blockMutex.Release();
    return n;
  }
  int size() const { return this->max_records; }
};
