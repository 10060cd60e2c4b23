#pragma once
// Per-thread temporary memory for the values a worksheet function builds and returns. Excel
// copies a returned value before the next worksheet-function call on the same thread, so
// everything a call builds lives until that next call empties the thread's pool: no result
// asks Excel to hand it back (no xlbitDLLFree), and nothing goes through xlAutoFree12.
//
// A pool keeps one block between calls and gives back whatever a call needed beyond it, so
// memory follows the largest single call, not the number of calls. Each thread has its own
// pool, owned by a process-wide list under a lock, so that ReleaseAll can reach them all. A
// pool stays in the list when its thread ends (nothing runs at a thread's end, see
// OfThisThread), holding at most one block until the next ReleaseAll: Excel calls the
// functions from its main thread, so the list holds one pool, or a few in tests.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "common/mutex.h"

#include "xll/xloper.h"

namespace orra {

class TemporaryMemory {
 public:
  // The calling thread's pool, made on the thread's first use (throws std::bad_alloc when
  // memory runs out then).
  static TemporaryMemory& OfThisThread();

  // Frees every pool's memory. xlAutoClose calls it, when no worksheet function is running:
  // a value handed out before is gone afterwards. A pool used again afterwards starts afresh.
  static void ReleaseAll() noexcept;

  // Empties this pool: the values built since the last Reset are gone. Called at the start of
  // every worksheet-function call.
  void Reset() noexcept;

  // Values that stay valid until the next Reset (or ReleaseAll). Each answers null only when
  // memory runs out.
  XLOPER12* Number(double number) noexcept;
  XLOPER12* Integer(int32_t number) noexcept;
  // Cut at kMaxXlTextUnits units: a longer text is no cell's.
  XLOPER12* Text(std::u16string_view text) noexcept;
  XLOPER12* Boolean(bool value) noexcept;
  XLOPER12* Error(int32_t code) noexcept;
  XLOPER12* Missing() noexcept;
  XLOPER12* Nil() noexcept;

  // Bytes held now, between calls at most one block unless a call needed more (for tests).
  size_t BytesHeld() const noexcept;

  ~TemporaryMemory();
  TemporaryMemory(const TemporaryMemory&) = delete;
  TemporaryMemory& operator=(const TemporaryMemory&) = delete;

 private:
  struct Block {
    std::unique_ptr<std::byte[]> bytes;
    size_t size = 0;
  };

  TemporaryMemory();
  // `bytes` bytes aligned for an XLOPER12, or null when memory runs out.
  void* Allocate(size_t bytes) noexcept ORRA_REQUIRES(mutex_);
  XLOPER12* Value(uint32_t type) noexcept;
  void Release() noexcept;

  // Taken by the owning thread on every allocation and by ReleaseAll from another thread;
  // never contended while Excel keeps its rule that closing waits for calculation.
  mutable Mutex mutex_;
  std::vector<Block> blocks_ ORRA_GUARDED_BY(mutex_);  // the last one is being filled
  size_t used_ ORRA_GUARDED_BY(mutex_) = 0;            // bytes used of the last block
};

}  // namespace orra
