#include "common/block_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "common/pooled_block.h"

namespace orra {
namespace {

bool AllZero(const void* p, size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  return std::all_of(b, b + n, [](unsigned char c) { return c == 0; });
}

size_t ActualSizeFor(size_t request) {
  size_t actual = 0;
  void* p = AcquireBuffer(request, &actual);
  EXPECT_NE(p, nullptr);
  ReleaseBuffer(p);
  return actual;
}

TEST(BufferPool, ChoosesTheSmallestClassThatHoldsTheRequest) {
  EXPECT_EQ(ActualSizeFor(0), 256u);
  EXPECT_EQ(ActualSizeFor(1), 256u);
  EXPECT_EQ(ActualSizeFor(256), 256u);
  EXPECT_EQ(ActualSizeFor(257), 512u);
  EXPECT_EQ(ActualSizeFor(65537), 131072u);
  // After 2 MiB the next class is 3 MiB, not 4 MiB.
  EXPECT_EQ(ActualSizeFor(2097153), 3145728u);
  EXPECT_EQ(ActualSizeFor(3145729), 4194304u);
  EXPECT_EQ(ActualSizeFor(4194304), 4194304u);
}

TEST(BufferPool, BlocksAboveTheLargestClassHaveExactSizeAndAreNotKept) {
  const size_t before = BufferPool::Instance().FreeCount(4194304);
  size_t actual = 0;
  void* p = AcquireBuffer(4194305, &actual);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(actual, 4194305u);
  EXPECT_TRUE(AllZero(p, actual));
  ReleaseBuffer(p);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(BufferPool::Instance().FreeCount(4194304), before);
}

TEST(BufferPool, RecycledBlockComesBackZeroFilled) {
  BufferPool::Instance().Drain();
  size_t actual = 0;
  auto* p = static_cast<unsigned char*>(AcquireBuffer(1000, &actual));
  ASSERT_NE(p, nullptr);
  std::memset(p, 0xAB, actual);
  unsigned char* first = p;
  ReleaseBuffer(p);
  EXPECT_EQ(BufferPool::Instance().FreeCount(1000), 1u);

  auto* again = static_cast<unsigned char*>(AcquireBuffer(700, &actual));
  EXPECT_EQ(again, first) << "the released block is reused by the next request of its class";
  EXPECT_EQ(actual, 1024u);
  EXPECT_TRUE(AllZero(again, actual));
  EXPECT_EQ(BufferPool::Instance().FreeCount(1000), 0u);
  ReleaseBuffer(again);
}

TEST(BufferPool, ReleaseOfNullDoesNothingAndDrainEmptiesEveryClass) {
  void* nothing = nullptr;
  ReleaseBuffer(nothing);
  BufferPool::Instance().Drain();  // whatever earlier tests in this process left
  void* a = AcquireBuffer(10);
  void* b = AcquireBuffer(100000);
  ReleaseBuffer(a);
  ReleaseBuffer(b);
  EXPECT_EQ(BufferPool::Instance().FreeCount(10), 1u);
  EXPECT_EQ(BufferPool::Instance().FreeCount(100000), 1u);
  BufferPool::Instance().Drain();
  EXPECT_EQ(BufferPool::Instance().FreeCount(10), 0u);
  EXPECT_EQ(BufferPool::Instance().FreeCount(100000), 0u);
}

TEST(BufferPool, BlocksMoveBetweenThreads) {
  // Each thread acquires and writes; the other side releases. Run under the thread sanitizer.
  constexpr int kBlocks = 2000;
  std::vector<void*> handed_over(kBlocks, nullptr);
  std::thread producer([&] {
    for (int i = 0; i < kBlocks; ++i) {
      size_t size = 0;
      handed_over[i] = AcquireBuffer(static_cast<size_t>(64 << (i % 8)), &size);
      std::memset(handed_over[i], i & 0xFF, size);
    }
  });
  producer.join();
  std::thread a([&] {
    for (int i = 0; i < kBlocks; i += 2) ReleaseBuffer(handed_over[i]);
  });
  std::thread b([&] {
    for (int i = 1; i < kBlocks; i += 2) ReleaseBuffer(handed_over[i]);
  });
  a.join();
  b.join();
  EXPECT_TRUE(std::all_of(handed_over.begin(), handed_over.end(), [](void* p) { return p == nullptr; }));
  size_t actual = 0;
  void* p = AcquireBuffer(64 << 7, &actual);
  EXPECT_TRUE(AllZero(p, actual));
  ReleaseBuffer(p);
}

TEST(BufferPool, AThreadKeepsAFewBlocksAndGivesThemBackWhenItsScopeEnds) {
  BufferPool& pool = BufferPool::Instance();
  pool.Drain();
  constexpr size_t kOverflow = 2;
  size_t cached_in_thread = 0;
  size_t free_in_thread = 0;
  std::thread([&] {
    const BufferPool::ThreadCacheScope scope;
    std::vector<void*> blocks;
    for (size_t i = 0; i < BufferPool::kThreadCacheBlocks + kOverflow; ++i) blocks.push_back(AcquireBuffer(300));
    for (void*& block : blocks) ReleaseBuffer(block);
    cached_in_thread = pool.CachedCount(300);
    free_in_thread = pool.FreeCount(300);
  }).join();
  EXPECT_EQ(cached_in_thread, BufferPool::kThreadCacheBlocks);
  EXPECT_EQ(free_in_thread, BufferPool::kThreadCacheBlocks + kOverflow) << "counted wherever they wait";
  EXPECT_EQ(pool.FreeCount(300), BufferPool::kThreadCacheBlocks + kOverflow) << "none lost with the thread";

  // Every cache given back is taken again: more threads than caches, one after another, all
  // keep blocks of their own.
  for (size_t t = 0; t < BufferPool::kThreadCacheCount + 4; ++t) {
    size_t cached = 0;
    std::thread([&] {
      const BufferPool::ThreadCacheScope scope;
      void* block = AcquireBuffer(300);
      ReleaseBuffer(block);
      cached = pool.CachedCount(300);
    }).join();
    EXPECT_EQ(cached, 1u) << "thread " << t;
  }
}

TEST(BufferPool, DrainAlsoEmptiesTheCacheOfAThreadThatEndedWithoutGivingItBack) {
  BufferPool& pool = BufferPool::Instance();
  pool.Drain();
  std::thread([] {
    void* block = AcquireBuffer(2000);
    ReleaseBuffer(block);
  }).join();
  EXPECT_EQ(pool.FreeCount(2000), 1u);
  pool.Drain();
  EXPECT_EQ(pool.FreeCount(2000), 0u);
}

TEST(PooledBlock, KeepsItsSizeAndReturnsTheBlockToThePool) {
  BufferPool::Instance().Drain();
  const uint8_t bytes[] = {1, 2, 3, 4, 5};
  {
    SharedBlock block = PooledBlock::CopyOf(bytes);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->size(), 5u);
    EXPECT_EQ(block->capacity(), 256u);
    EXPECT_EQ(block->bytes()[4], 5);
    EXPECT_EQ(BufferPool::Instance().FreeCount(5), 0u);
  }
  EXPECT_EQ(BufferPool::Instance().FreeCount(5), 1u);
  auto grown = PooledBlock::Create(10);
  EXPECT_TRUE(grown->Resize(256));
  EXPECT_FALSE(grown->Resize(257));
}

}  // namespace
}  // namespace orra
