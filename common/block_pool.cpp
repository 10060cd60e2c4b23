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

constexpr size_t CachedClassCount() {
  size_t n = 0;
  while (n < BufferPool::kClassCount && BufferPool::kClassSizes[n] <= BufferPool::kLargestCachedClass) ++n;
  return n;
}
constexpr size_t kCachedClassCount = CachedClassCount();

// Cleared when the pool is destroyed at exit: a thread that ends later frees its cache itself.
std::atomic<bool> g_pool_alive{false};

void FreeList(FreeBlock* list) {
  while (list != nullptr) {
    FreeBlock* next = list->next;
    std::free(list);
    list = next;
  }
}

}  // namespace

// A thread's own free blocks. Touched only by its thread, so it needs no lock; its destructor
// runs as the thread ends (on Windows inside the loader's thread-detach notification), so it
// only pushes onto the shared lists and never waits for anything but their short locks.
struct BufferPool::ThreadCache {
  FreeBlock* lists[kCachedClassCount] = {};
  size_t counts[kCachedClassCount] = {};

  ThreadCache() = default;
  ThreadCache(const ThreadCache&) = delete;
  ThreadCache& operator=(const ThreadCache&) = delete;
  ~ThreadCache() {
    const bool pool_alive = g_pool_alive.load(std::memory_order_acquire);
    for (size_t i = 0; i < kCachedClassCount; ++i) {
      if (!pool_alive) {
        FreeList(lists[i]);
        continue;
      }
      while (FreeBlock* head = lists[i]) {
        lists[i] = head->next;
        Instance().PushShared(i, head);
      }
    }
  }
};

BufferPool::ThreadCache& BufferPool::CurrentThreadCache() {
  thread_local ThreadCache cache;
  return cache;
}

// The lock is held only for a push or pop of two pointers, so a spin lock beats a mutex here.
struct BufferPool::SizeClass {
  mutable SpinLock lock;
  FreeBlock* free_list ORRA_GUARDED_BY(lock) = nullptr;
  size_t free_count ORRA_GUARDED_BY(lock) = 0;
};

BufferPool::BufferPool() : classes_(std::make_unique<SizeClass[]>(kClassCount)) {
  g_pool_alive.store(true, std::memory_order_release);
}

BufferPool::~BufferPool() {
  g_pool_alive.store(false, std::memory_order_release);
  // The threads' caches are gone or go by themselves: thread-local objects end before statics.
  DrainShared();
}

BufferPool& BufferPool::Instance() {
  static BufferPool pool;
  return pool;
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
    ThreadCache& cache = CurrentThreadCache();
    if (FreeBlock* head = cache.lists[*index]) {
      cache.lists[*index] = head->next;
      --cache.counts[*index];
      block = reinterpret_cast<unsigned char*>(head);
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
    ThreadCache& cache = CurrentThreadCache();
    if (cache.counts[*index] < kThreadCacheBlocks) {
      auto* free_block = reinterpret_cast<FreeBlock*>(block);
      free_block->next = cache.lists[*index];
      cache.lists[*index] = free_block;
      ++cache.counts[*index];
      return;
    }
  }
  PushShared(*index, block);
}

void BufferPool::PushShared(size_t index, void* block) {
  SizeClass& sc = classes_[index];
  auto* free_block = static_cast<FreeBlock*>(block);
  SpinLockGuard guard(sc.lock);
  free_block->next = sc.free_list;
  sc.free_list = free_block;
  ++sc.free_count;
}

void BufferPool::Drain() {
  ThreadCache& cache = CurrentThreadCache();
  for (size_t i = 0; i < kCachedClassCount; ++i) {
    FreeList(cache.lists[i]);
    cache.lists[i] = nullptr;
    cache.counts[i] = 0;
  }
  DrainShared();
}

void BufferPool::DrainShared() {
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
  const size_t cached = *index < kCachedClassCount ? CurrentThreadCache().counts[*index] : 0;
  SpinLockGuard guard(classes_[*index].lock);
  return classes_[*index].free_count + cached;
}

void* AcquireBuffer(size_t size, size_t* actual_size) {
  return BufferPool::Instance().Acquire(size, actual_size);
}

void ReleaseBuffer(void*& buffer) {
  BufferPool::Instance().Release(buffer);
  buffer = nullptr;
}

}  // namespace orra
