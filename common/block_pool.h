#pragma once
// The process-wide block pool: zero-filled byte blocks in sixteen size classes, recycled
// instead of freed so that the busy paths (query worker, connection thread) do not allocate.
//
// Any thread may acquire; any thread may release a block another thread acquired. Each class
// has its own lock, held only for the push or pop of its free list.

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

  static BufferPool& Instance();

  // A zero-filled payload of at least `size` bytes, or null when memory runs out.
  void* Acquire(size_t size, size_t* actual_size);
  // Takes a payload back; null is ignored.
  void Release(void* payload);
  // Frees every block on every free list.
  void Drain();

  // Free blocks kept by the class that serves `size` (for tests and diagnostics).
  size_t FreeCount(size_t size) const;

  // Index of the smallest class holding `size` bytes; none above the largest class.
  static std::optional<size_t> ClassFor(size_t size);

  BufferPool(const BufferPool&) = delete;
  BufferPool& operator=(const BufferPool&) = delete;

 private:
  BufferPool();
  ~BufferPool();
  struct SizeClass;
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
