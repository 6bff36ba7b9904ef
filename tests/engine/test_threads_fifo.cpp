// The bounded queues: order and wrap-around, capacity, blocking on full and empty, null records,
// and a many-producer many-consumer run.
#include <gtest/gtest.h>
#include <semaphore.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "fifo.h"
#include "thread.h"

namespace {

void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

int semValue(Semaphore &s) {
  int v = -1;
  sem_getvalue(&s.SemaphoreHandle, &v);
  return v;
}

// Free slots plus held records must always make the capacity.
void expectBalanced(FIFO<int *> &q, int held) {
  EXPECT_EQ(held, q.used_records);
  EXPECT_EQ(held, semValue(q.getSem));
  EXPECT_EQ(q.max_records - held, semValue(q.putSem));
}

}  // namespace

TEST(ThreadFifo, RecordsLeaveInArrivalOrderAcrossTheWrap) {
  int a = 1, b = 2, c = 3, d = 4;
  FIFO<int *> q(3);
  EXPECT_EQ(3, q.size());
  expectBalanced(q, 0);
  EXPECT_EQ(1, q.put(&a));
  EXPECT_EQ(1, q.put(&b));
  EXPECT_EQ(1, q.put(&c));
  EXPECT_EQ(0, q.record_for_write);
  expectBalanced(q, 3);
  int *x = nullptr;
  EXPECT_EQ(1, q.get(x));
  EXPECT_EQ(&a, x);
  EXPECT_EQ(1, q.put(&d));
  EXPECT_EQ(1, q.record_for_write);
  EXPECT_EQ(3, q.used());
  EXPECT_EQ(1, q.get(x));
  EXPECT_EQ(&b, x);
  EXPECT_EQ(1, q.get(x));
  EXPECT_EQ(&c, x);
  EXPECT_EQ(1, q.get(x));
  EXPECT_EQ(&d, x);
  expectBalanced(q, 0);
}

TEST(ThreadFifo, RingRefusesPastItsBounds) {
  int a = 1, b = 2;
  CircleBuffer<int *> r(2);
  int *x = &a;
  EXPECT_EQ(0, r.get(x));
  EXPECT_EQ(&a, x);  // untouched by a failed get
  EXPECT_EQ(1, r.put(&a));
  EXPECT_EQ(1, r.put(&b));
  EXPECT_EQ(0, r.put(&a));
  EXPECT_EQ(2, r.used());
  EXPECT_EQ(0, r.free());
  EXPECT_EQ(1, r.get(x));
  EXPECT_EQ(&a, x);
  EXPECT_EQ(1, r.free());

  // Capacity one: every put and get wraps.
  CircleBuffer<int *> one(1);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(1, one.put(i % 2 ? &a : &b));
    EXPECT_EQ(0, one.put(&a));
    EXPECT_EQ(1, one.get(x));
    EXPECT_EQ(i % 2 ? &a : &b, x);
  }
}

TEST(ThreadFifo, NullIsAnOrdinaryRecord) {
  int a = 1, b = 2;
  FIFO<int *> q(3);
  q.put(&a);
  q.put(nullptr);
  q.put(&b);
  int *x = &a;
  EXPECT_EQ(1, q.get(x));
  EXPECT_EQ(&a, x);
  EXPECT_EQ(1, q.get(x));
  EXPECT_EQ(nullptr, x);
  EXPECT_EQ(1, q.get(x));
  EXPECT_EQ(&b, x);
  expectBalanced(q, 0);
}

namespace {
struct Side {
  FIFO<int *> *q;
  int *record;
  int result = -1;
  std::atomic<int> done{0};
};
void *putOne(void *arg) {
  Side *s = static_cast<Side *>(arg);
  s->result = s->q->put(s->record);
  s->done = 1;
  return nullptr;
}
void *getOne(void *arg) {
  Side *s = static_cast<Side *>(arg);
  s->result = s->q->get(s->record);
  s->done = 1;
  return nullptr;
}
}  // namespace

TEST(ThreadFifo, PutIntoAFullQueueWaitsForAGet) {
  int a = 1, b = 2, c = 3, d = 4;
  FIFO<int *> q(3);
  q.put(&a);
  q.put(&b);
  q.put(&c);
  Side s;
  s.q = &q;
  s.record = &d;
  Thread t(putOne, &s);
  ASSERT_TRUE(t.Started());
  settle();
  EXPECT_EQ(0, s.done.load());
  EXPECT_EQ(3, q.used());
  int *x = nullptr;
  EXPECT_EQ(1, q.get(x));
  EXPECT_EQ(&a, x);
  t.Join();
  EXPECT_EQ(1, s.result);
  for (int *want : {&b, &c, &d}) {
    EXPECT_EQ(1, q.get(x));
    EXPECT_EQ(want, x);
  }
  expectBalanced(q, 0);
}

TEST(ThreadFifo, GetFromAnEmptyQueueWaitsAndReceivesANull) {
  int a = 1;
  FIFO<int *> q(2);
  Side s;
  s.q = &q;
  s.record = &a;
  Thread t(getOne, &s);
  ASSERT_TRUE(t.Started());
  settle();
  EXPECT_EQ(0, s.done.load());
  EXPECT_EQ(1, q.put(nullptr));
  t.Join();
  EXPECT_EQ(1, s.result);
  EXPECT_EQ(nullptr, s.record);
  expectBalanced(q, 0);
}

namespace {

constexpr int kPerProducer = 100000;
constexpr int kProducers = 2;

struct Item {
  int producer;
  int seq;
};

struct Stress {
  FIFO<Item *> q{3};
  std::vector<Item> items[kProducers];
  std::atomic<int> nextProducer{0};
};

void *produce(void *arg) {
  Stress *s = static_cast<Stress *>(arg);
  int p = s->nextProducer++;
  for (Item &it : s->items[p]) s->q.put(&it);
  return nullptr;
}

struct Consumer {
  Stress *s;
  std::vector<int> taken[kProducers];  // seq numbers per producer, in the order received
};

void *consume(void *arg) {
  Consumer *c = static_cast<Consumer *>(arg);
  Item *it = nullptr;
  while (c->s->q.get(it) && it) c->taken[it->producer].push_back(it->seq);
  return nullptr;
}

}  // namespace

// Shaped like the search pipeline: producers, then one null per consumer as its end marker.
TEST(ThreadFifo, ManyProducersAndConsumersLoseAndReorderNothing) {
  for (int consumers : {1, 2, 3}) {
    Stress s;
    for (int p = 0; p < kProducers; p++)
      for (int i = 0; i < kPerProducer; i++) s.items[p].push_back({p, i});
    std::vector<Consumer> cons(consumers);
    std::vector<Thread *> threads;
    for (Consumer &c : cons) {
      c.s = &s;
      threads.push_back(new Thread(consume, &c));
    }
    std::vector<Thread *> producers;
    for (int p = 0; p < kProducers; p++) producers.push_back(new Thread(produce, &s));
    // Every started thread is joined even when one failed to start: no thread outlives `s`.
    for (Thread *t : producers) {
      EXPECT_TRUE(t->Started());
      t->Join();
      delete t;
    }
    for (int i = 0; i < consumers; i++) s.q.put(nullptr);
    for (Thread *t : threads) {
      EXPECT_TRUE(t->Started());
      t->Join();
      delete t;
    }

    for (int p = 0; p < kProducers; p++) {
      std::vector<int> seen(kPerProducer, 0);
      for (const Consumer &c : cons) {
        const std::vector<int> &v = c.taken[p];
        for (size_t k = 0; k < v.size(); k++) {
          if (k > 0) {
            ASSERT_LT(v[k - 1], v[k]) << "producer " << p << " reordered";
          }
          seen[v[k]]++;
        }
      }
      for (int i = 0; i < kPerProducer; i++)
        ASSERT_EQ(1, seen[i]) << "producer " << p << " item " << i;
    }
    EXPECT_EQ(0, s.q.used_records);
    EXPECT_EQ(0, semValue(s.q.getSem));
    EXPECT_EQ(3, semValue(s.q.putSem));
  }
}

TEST(ThreadFifoDeathTest, CapacityBelowOneEndsTheRun) {
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);  // the message goes to standard output
        FIFO<int *> q(0);
      }, ::testing::ExitedWithCode(11), "^\n Queue capacity 0 invalid\n$");
}
