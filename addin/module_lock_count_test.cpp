#include "addin/module_lock_count.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace orra {
namespace {

TEST(ModuleLockCountTest, UnloadsOnlyWithNoObjectAndNoLock) {
  ModuleLockCount count;
  EXPECT_TRUE(count.CanUnload());

  count.ObjectMade();
  count.Lock();
  EXPECT_FALSE(count.CanUnload());
  count.ObjectGone();
  EXPECT_FALSE(count.CanUnload()) << "a lock alone keeps the DLL";
  count.Lock();
  count.Unlock();
  EXPECT_FALSE(count.CanUnload()) << "one of two locks is still held";
  count.Unlock();
  EXPECT_TRUE(count.CanUnload());

  count.ObjectMade();
  count.ObjectMade();
  count.ObjectGone();
  EXPECT_FALSE(count.CanUnload()) << "one of two objects still lives";
  count.ObjectGone();
  EXPECT_TRUE(count.CanUnload());
}

TEST(ModuleLockCountTest, ExtraUnlocksAndReleasesDoNotHideLaterHolds) {
  ModuleLockCount count;
  count.Unlock();
  count.ObjectGone();
  EXPECT_EQ(count.Locks(), 0);
  EXPECT_EQ(count.Objects(), 0);
  count.Lock();
  count.ObjectMade();
  EXPECT_FALSE(count.CanUnload()) << "an earlier unmatched unlock must not cancel a later lock";
  EXPECT_EQ(count.Locks(), 1);
  EXPECT_EQ(count.Objects(), 1);
}

TEST(ModuleLockCountTest, ConcurrentHoldsAndReleasesBalance) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  ModuleLockCount count;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&count] {
      for (int i = 0; i < kRounds; ++i) {
        count.ObjectMade();
        count.Lock();
        count.Unlock();
        count.ObjectGone();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_TRUE(count.CanUnload());
  EXPECT_EQ(count.Objects(), 0);
  EXPECT_EQ(count.Locks(), 0);
}

}  // namespace
}  // namespace orra
