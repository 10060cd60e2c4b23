#include "common/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/spin_lock.h"

namespace orra {
namespace {
using std::chrono::milliseconds;

TEST(Event, AutoResetReleasesOneWaitAndClears) {
  Event event(Event::Reset::kAuto);
  EXPECT_FALSE(event.Wait(milliseconds(1)));
  event.Set();
  EXPECT_TRUE(event.Wait(milliseconds(0)));
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(milliseconds(1)));
}

TEST(Event, ManualResetStaysSetUntilReset) {
  Event event(Event::Reset::kManual, true);
  EXPECT_TRUE(event.Wait(milliseconds(0)));
  EXPECT_TRUE(event.Wait(milliseconds(0)));
  event.Reset();
  EXPECT_FALSE(event.Wait(milliseconds(1)));
}

TEST(Event, ZeroWaitOnlyLooksAtTheFlag) {
  // The connection thread ends each busy pass with a wait of 0 ms; a zero wait that slept even
  // a millisecond would cap it at a thousand frames a second.
  constexpr int kWaits = 1000;
  Event event(Event::Reset::kAuto);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kWaits; ++i) ASSERT_FALSE(event.Wait(milliseconds(0)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(500));
  event.Set();
  EXPECT_TRUE(event.Wait(milliseconds(0)));
  EXPECT_FALSE(event.Wait(milliseconds(0)));
}

TEST(Event, WakesAWaiterOnAnotherThread) {
  Event event(Event::Reset::kAuto);
  std::atomic<bool> woke{false};
  std::thread waiter([&] { woke = event.Wait(milliseconds(5000)); });
  event.Set();
  waiter.join();
  EXPECT_TRUE(woke);
}

TEST(SpinLock, KeepsACounterConsistentAcrossThreads) {
  SpinLock lock;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      std::lock_guard<SpinLock> guard(lock);
      ++counter;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
  // Through a branch, so that the thread-safety analysis knows the lock is held after it.
  if (!lock.try_lock()) FAIL() << "a thread left the lock held";
  std::atomic<bool> second_holder{true};
  std::thread([&] { second_holder = lock.try_lock(); }).join();
  EXPECT_FALSE(second_holder);
  lock.unlock();
}

}  // namespace
}  // namespace orra
