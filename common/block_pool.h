#pragma once
// The process-wide block pool: zero-filled byte blocks in sixteen size classes, recycled
// instead of freed so that the busy paths (query worker, connection thread) do not allocate.
//
// Any thread may acquire; any thread may release a block another thread acquired. Each class
// has its own lock, held only for the push or pop of its free list.
//
// In front of the classes up to kLargestCachedClass, a thread keeps a few free blocks of its
// own (kThreadCacheBlocks per class) in one of kThreadCacheCount caches owned by the pool, so
// that a thread that releases and acquires again meets no other thread on a lock or a cache
// line. A cache has its own lock, which only its thread takes, except when the pool is drained
// or counted. The thread knows its cache by a plain thread-local pointer: a thread-local object
// with a destructor is not used, since MinGW-w64 under Wine may free a thread's thread-local
// storage before such a destructor runs. So a cache goes back to the pool only when its thread
// says so: the threads of the system hold a ThreadCacheScope for their lifetime. A cache of a
// thread that ends without one stays taken, its blocks freed by Drain; once every cache is
// taken, further threads use the shared lists alone.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace orra {

class BufferPool {
 public:
  static constexpr int kClassCount = 16;
  static constexpr size_t kClassSizes[kClassCount] = {
      256,    512,    1024,   2048,    4096,    8192,    16384,   32768,
      65536,  131072, 262144, 524288,  1048576, 2097152, 3145728, 4194304};
  static constexpr size_t kLargestClass = kClassSizes[kClassCount - 1];
  // At most 4 x (256 + ... + 65536) bytes, about half a megabyte, wait in one cache.
  static constexpr size_t kLargestCachedClass = 65536;
  static constexpr size_t kThreadCacheBlocks = 4;
  static constexpr size_t kThreadCacheCount = 16;

  // Gives the calling thread's cache, with its blocks, back to the pool for the thread's
  // lifetime scope: on the thread's way out, not through a thread-local destructor.
  class ThreadCacheScope {
   public:
    ThreadCacheScope() = default;
    ~ThreadCacheScope() { Instance().ReleaseThreadCache(); }
    ThreadCacheScope(const ThreadCacheScope&) = delete;
    ThreadCacheScope& operator=(const ThreadCacheScope&) = delete;
  };

  static BufferPool& Instance();

  // A zero-filled payload of at least `size` bytes, or null when memory runs out.
  void* Acquire(size_t size, size_t* actual_size);
  // Takes a payload back; null is ignored.
  void Release(void* payload);
  // Frees every block on every free list and in every thread's cache.
  void Drain();
  // Moves the calling thread's cached blocks to the shared lists and frees its cache for
  // another thread; the thread takes a cache again if it uses the pool again.
  void ReleaseThreadCache();

  // Free blocks kept for `size`, on the shared list of its class and in every thread's cache
  // (for tests and diagnostics).
  size_t FreeCount(size_t size) const;
  // Free blocks kept for `size` in the calling thread's cache.
  size_t CachedCount(size_t size) const;

  // Index of the smallest class holding `size` bytes; none above the largest class.
  static std::optional<size_t> ClassFor(size_t size);

  BufferPool(const BufferPool&) = delete;
  BufferPool& operator=(const BufferPool&) = delete;

 private:
  BufferPool();
  ~BufferPool();
  struct SizeClass;
  struct ThreadCache;
  // The calling thread's cache, taken at its first use; null when every cache is taken.
  ThreadCache* CacheOfThisThread();
  void PushShared(size_t index, unsigned char* block);
  static thread_local ThreadCache* thread_cache_;
  std::unique_ptr<SizeClass[]> classes_;      // kClassCount of them
  std::unique_ptr<ThreadCache[]> caches_;     // kThreadCacheCount of them
};

// The pool's entry points as the rest of the system calls them.
void* AcquireBuffer(size_t size, size_t* actual_size = nullptr);
void ReleaseBuffer(void*& buffer);

template <typename T>
void ReleaseBuffer(T*& buffer) {
  void* payload = const_cast<void*>(static_cast<const void*>(buffer));
  ReleaseBuffer(payload);
  buffer = nullptr;
}

}  // namespace orra
