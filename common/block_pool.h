#pragma once
// The process-wide block pool: zero-filled byte blocks in sixteen size classes, recycled
// instead of freed so that the busy paths (query worker, connection thread) do not allocate.
//
// Any thread may acquire; any thread may release a block another thread acquired. Each class
// has its own lock, held only for the push or pop of its free list. In front of the classes up
// to kLargestCachedClass each thread keeps a few free blocks of its own (kThreadCacheBlocks per
// class), so that a thread that releases and acquires again touches no lock and no line another
// thread writes; a thread that ends gives its blocks to the shared lists.

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
  // At most 4 x (256 + ... + 65536) bytes, about half a megabyte, wait in a thread's cache.
  static constexpr size_t kLargestCachedClass = 65536;
  static constexpr size_t kThreadCacheBlocks = 4;

  static BufferPool& Instance();

  // A zero-filled payload of at least `size` bytes, or null when memory runs out.
  void* Acquire(size_t size, size_t* actual_size);
  // Takes a payload back; null is ignored.
  void Release(void* payload);
  // Frees every block on every free list and in the calling thread's cache.
  void Drain();

  // Free blocks kept by the class that serves `size`, in its shared list and the calling
  // thread's cache (for tests and diagnostics).
  size_t FreeCount(size_t size) const;

  // Index of the smallest class holding `size` bytes; none above the largest class.
  static std::optional<size_t> ClassFor(size_t size);

  BufferPool(const BufferPool&) = delete;
  BufferPool& operator=(const BufferPool&) = delete;

 private:
  BufferPool();
  ~BufferPool();
  struct SizeClass;
  struct ThreadCache;
  static ThreadCache& CurrentThreadCache();
  void DrainShared();
  // Puts a zero-filled block on its class's shared list.
  void PushShared(size_t index, void* block);
  std::unique_ptr<SizeClass[]> classes_;  // kClassCount of them
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
