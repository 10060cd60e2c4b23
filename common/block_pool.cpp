#include "common/block_pool.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "common/spin_lock.h"

namespace orra {
namespace {

// Every block starts with an 8-byte header: the payload size in its first 32-bit word while
// the block is handed out, the link to the next free block while it is on a free list.
constexpr size_t kHeaderSize = 8;

struct FreeBlock {
  FreeBlock* next;
};
static_assert(sizeof(FreeBlock) <= kHeaderSize);

unsigned char* HeaderOf(void* payload) { return static_cast<unsigned char*>(payload) - kHeaderSize; }

uint32_t ReadPayloadSize(const unsigned char* header) {
  uint32_t size;
  std::memcpy(&size, header, sizeof size);
  return size;
}

void WritePayloadSize(unsigned char* header, size_t size) {
  // Blocks above 4 GiB cannot be described by the 32-bit header; Acquire refuses them.
  const uint32_t size32 = static_cast<uint32_t>(size);
  std::memcpy(header, &size32, sizeof size32);
}

void FreeList(FreeBlock* list) {
  while (list != nullptr) {
    FreeBlock* next = list->next;
    std::free(list);
    list = next;
  }
}

// The classes a thread's cache serves: 256 B up to kLargestCachedClass.
constexpr size_t CachedClassCount() {
  size_t count = 0;
  while (count < BufferPool::kClassCount && BufferPool::kClassSizes[count] <= BufferPool::kLargestCachedClass) ++count;
  return count;
}
constexpr size_t kCachedClassCount = CachedClassCount();

// A cache line, so that two threads' caches never share one.
constexpr size_t kCacheLineSize = 64;

}  // namespace

// Its lock is taken by its own thread, and by another only to drain or count it.
struct alignas(kCacheLineSize) BufferPool::ThreadCache {
  std::atomic<bool> taken{false};
  mutable SpinLock lock;
  FreeBlock* lists[kCachedClassCount] ORRA_GUARDED_BY(lock) = {};
  size_t counts[kCachedClassCount] ORRA_GUARDED_BY(lock) = {};
};

// Trivially destructible: nothing runs for it when the thread ends.
thread_local BufferPool::ThreadCache* BufferPool::thread_cache_ = nullptr;

// The lock is held only for a push or pop of two pointers, so a spin lock beats a mutex here.
struct BufferPool::SizeClass {
  mutable SpinLock lock;
  FreeBlock* free_list ORRA_GUARDED_BY(lock) = nullptr;
  size_t free_count ORRA_GUARDED_BY(lock) = 0;
};

BufferPool::BufferPool()
    : classes_(std::make_unique<SizeClass[]>(kClassCount)), caches_(std::make_unique<ThreadCache[]>(kThreadCacheCount)) {}

BufferPool::~BufferPool() { Drain(); }

BufferPool& BufferPool::Instance() {
  static BufferPool pool;
  return pool;
}

BufferPool::ThreadCache* BufferPool::CacheOfThisThread() {
  if (thread_cache_ != nullptr) return thread_cache_;
  for (size_t i = 0; i < kThreadCacheCount; ++i) {
    ThreadCache& cache = caches_[i];
    bool expected = false;
    if (!cache.taken.load(std::memory_order_relaxed) &&
        cache.taken.compare_exchange_strong(expected, true, std::memory_order_acquire)) {
      thread_cache_ = &cache;
      return thread_cache_;
    }
  }
  return nullptr;
}

std::optional<size_t> BufferPool::ClassFor(size_t size) {
  for (size_t i = 0; i < kClassCount; ++i) {
    if (size <= kClassSizes[i]) return i;
  }
  return std::nullopt;
}

void* BufferPool::Acquire(size_t size, size_t* actual_size) {
  const std::optional<size_t> index = ClassFor(size);
  const size_t payload_size = index ? kClassSizes[*index] : size;
  if (payload_size > UINT32_MAX) return nullptr;

  unsigned char* block = nullptr;
  if (index && *index < kCachedClassCount) {
    if (ThreadCache* cache = CacheOfThisThread()) {
      SpinLockGuard guard(cache->lock);
      if (FreeBlock* head = cache->lists[*index]) {
        cache->lists[*index] = head->next;
        --cache->counts[*index];
        block = reinterpret_cast<unsigned char*>(head);
      }
    }
  }
  if (block == nullptr && index) {
    SizeClass& sc = classes_[*index];
    SpinLockGuard guard(sc.lock);
    if (FreeBlock* head = sc.free_list) {
      sc.free_list = head->next;
      --sc.free_count;
      block = reinterpret_cast<unsigned char*>(head);
    }
  }
  if (block != nullptr) {
    // Zeroed when it was released; only the link in the header needs overwriting.
    WritePayloadSize(block, payload_size);
  } else {
    block = static_cast<unsigned char*>(std::calloc(1, kHeaderSize + payload_size));
    if (block == nullptr) return nullptr;
    WritePayloadSize(block, payload_size);
  }
  if (actual_size != nullptr) *actual_size = payload_size;
  return block + kHeaderSize;
}

void BufferPool::Release(void* payload) {
  if (payload == nullptr) return;
  unsigned char* block = HeaderOf(payload);
  const uint32_t payload_size = ReadPayloadSize(block);
  const std::optional<size_t> index = ClassFor(payload_size);
  if (!index || kClassSizes[*index] != payload_size) {
    std::free(block);
    return;
  }
  std::memset(block, 0, kHeaderSize + payload_size);
  if (*index < kCachedClassCount) {
    if (ThreadCache* cache = CacheOfThisThread()) {
      SpinLockGuard guard(cache->lock);
      if (cache->counts[*index] < kThreadCacheBlocks) {
        auto* free_block = reinterpret_cast<FreeBlock*>(block);
        free_block->next = cache->lists[*index];
        cache->lists[*index] = free_block;
        ++cache->counts[*index];
        return;
      }
    }
  }
  PushShared(*index, block);
}

void BufferPool::PushShared(size_t index, unsigned char* block) {
  SizeClass& sc = classes_[index];
  auto* free_block = reinterpret_cast<FreeBlock*>(block);
  SpinLockGuard guard(sc.lock);
  free_block->next = sc.free_list;
  sc.free_list = free_block;
  ++sc.free_count;
}

void BufferPool::ReleaseThreadCache() {
  ThreadCache* cache = thread_cache_;
  if (cache == nullptr) return;
  thread_cache_ = nullptr;
  for (size_t i = 0; i < kCachedClassCount; ++i) {
    FreeBlock* list;
    {
      SpinLockGuard guard(cache->lock);
      list = cache->lists[i];
      cache->lists[i] = nullptr;
      cache->counts[i] = 0;
    }
    while (list != nullptr) {
      FreeBlock* next = list->next;
      PushShared(i, reinterpret_cast<unsigned char*>(list));
      list = next;
    }
  }
  cache->taken.store(false, std::memory_order_release);
}

void BufferPool::Drain() {
  for (size_t c = 0; c < kThreadCacheCount; ++c) {
    ThreadCache& cache = caches_[c];
    for (size_t i = 0; i < kCachedClassCount; ++i) {
      FreeBlock* list;
      {
        SpinLockGuard guard(cache.lock);
        list = cache.lists[i];
        cache.lists[i] = nullptr;
        cache.counts[i] = 0;
      }
      FreeList(list);
    }
  }
  for (int i = 0; i < kClassCount; ++i) {
    SizeClass& sc = classes_[i];
    FreeBlock* list;
    {
      SpinLockGuard guard(sc.lock);
      list = sc.free_list;
      sc.free_list = nullptr;
      sc.free_count = 0;
    }
    FreeList(list);
  }
}

size_t BufferPool::FreeCount(size_t size) const {
  const std::optional<size_t> index = ClassFor(size);
  if (!index) return 0;
  size_t count = 0;
  if (*index < kCachedClassCount) {
    for (size_t c = 0; c < kThreadCacheCount; ++c) {
      SpinLockGuard guard(caches_[c].lock);
      count += caches_[c].counts[*index];
    }
  }
  SpinLockGuard guard(classes_[*index].lock);
  return count + classes_[*index].free_count;
}

size_t BufferPool::CachedCount(size_t size) const {
  const std::optional<size_t> index = ClassFor(size);
  const ThreadCache* cache = thread_cache_;
  if (!index || *index >= kCachedClassCount || cache == nullptr) return 0;
  SpinLockGuard guard(cache->lock);
  return cache->counts[*index];
}

void* AcquireBuffer(size_t size, size_t* actual_size) {
  return BufferPool::Instance().Acquire(size, actual_size);
}

void ReleaseBuffer(void*& buffer) {
  BufferPool::Instance().Release(buffer);
  buffer = nullptr;
}

}  // namespace orra
