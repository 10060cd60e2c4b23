#include "xll/temporary_memory.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "xll/xl_constants.h"

namespace orra {
namespace {

// One call's values fit a block this size unless it returns a long text: 32 767 units are
// 64 KiB, which then takes a block of its own until the next call.
constexpr size_t kBlockBytes = 4096;
constexpr size_t kAlignment = alignof(XLOPER12);

size_t RoundUp(size_t bytes) { return (bytes + kAlignment - 1) / kAlignment * kAlignment; }

// Every thread's pool, for ReleaseAll. A pool enters at its thread's first use and stays.
struct PoolList {
  Mutex mutex;
  std::vector<std::unique_ptr<TemporaryMemory>> pools ORRA_GUARDED_BY(mutex);
};

PoolList& Pools() {
  // Never destroyed: a thread may end (and leave the list) after static destruction began.
  static PoolList* const list = new PoolList;
  return *list;
}

}  // namespace

TemporaryMemory& TemporaryMemory::OfThisThread() {
  // A plain pointer, not a thread-local pool: MinGW-w64 may free a thread's thread-local
  // storage before the destructor of a thread-local object runs (seen under Wine), and the
  // pool's destructor would then free what that storage had held.
  thread_local TemporaryMemory* memory = nullptr;
  if (memory == nullptr) {
    std::unique_ptr<TemporaryMemory> pool(new TemporaryMemory);
    PoolList& list = Pools();
    MutexLock lock(list.mutex);
    list.pools.push_back(std::move(pool));
    memory = list.pools.back().get();
  }
  return *memory;
}

TemporaryMemory::TemporaryMemory() = default;

TemporaryMemory::~TemporaryMemory() = default;

void TemporaryMemory::ReleaseAll() noexcept {
  PoolList& list = Pools();
  MutexLock lock(list.mutex);
  for (const std::unique_ptr<TemporaryMemory>& pool : list.pools) pool->Release();
}

void TemporaryMemory::Release() noexcept {
  MutexLock lock(mutex_);
  blocks_.clear();
  used_ = 0;
}

void TemporaryMemory::Reset() noexcept {
  MutexLock lock(mutex_);
  used_ = 0;
  if (blocks_.empty()) return;
  // Keep the first block when it is a standard one; a long text's block goes.
  const bool keep_first = blocks_.front().size == kBlockBytes;
  blocks_.erase(blocks_.begin() + (keep_first ? 1 : 0), blocks_.end());
}

size_t TemporaryMemory::BytesHeld() const noexcept {
  MutexLock lock(mutex_);
  size_t bytes = 0;
  for (const Block& block : blocks_) bytes += block.size;
  return bytes;
}

void* TemporaryMemory::Allocate(size_t bytes) noexcept {
  bytes = RoundUp(bytes);
  if (!blocks_.empty() && blocks_.back().size - used_ >= bytes) {
    void* memory = blocks_.back().bytes.get() + used_;
    used_ += bytes;
    return memory;
  }
  try {
    const size_t size = std::max(kBlockBytes, bytes);
    // The block's bytes are only ever written before they are read.
    blocks_.push_back(Block{std::make_unique_for_overwrite<std::byte[]>(size), size});
  } catch (...) {
    return nullptr;
  }
  used_ = bytes;
  return blocks_.back().bytes.get();
}

XLOPER12* TemporaryMemory::Value(uint32_t type) noexcept {
  MutexLock lock(mutex_);
  void* memory = Allocate(sizeof(XLOPER12));
  if (memory == nullptr) return nullptr;
  XLOPER12* value = new (memory) XLOPER12{};
  value->xltype = type;
  return value;
}

XLOPER12* TemporaryMemory::Number(double number) noexcept {
  XLOPER12* value = Value(xltypeNum);
  if (value != nullptr) value->val.num = number;
  return value;
}

XLOPER12* TemporaryMemory::Integer(int32_t number) noexcept {
  XLOPER12* value = Value(xltypeInt);
  if (value != nullptr) value->val.w = number;
  return value;
}

XLOPER12* TemporaryMemory::Boolean(bool b) noexcept {
  XLOPER12* value = Value(xltypeBool);
  if (value != nullptr) value->val.xbool = b ? 1 : 0;
  return value;
}

XLOPER12* TemporaryMemory::Error(int32_t code) noexcept {
  XLOPER12* value = Value(xltypeErr);
  if (value != nullptr) value->val.err = code;
  return value;
}

XLOPER12* TemporaryMemory::Missing() noexcept { return Value(xltypeMissing); }

XLOPER12* TemporaryMemory::Nil() noexcept { return Value(xltypeNil); }

XLOPER12* TemporaryMemory::Text(std::u16string_view text) noexcept {
  const size_t length = std::min<size_t>(text.size(), kMaxXlTextUnits);
  MutexLock lock(mutex_);
  // The value and its units in one piece: the length unit, then the characters.
  void* memory = Allocate(sizeof(XLOPER12) + (length + 1) * sizeof(XCHAR));
  if (memory == nullptr) return nullptr;
  XLOPER12* value = new (memory) XLOPER12{};
  XCHAR* units = reinterpret_cast<XCHAR*>(value + 1);
  units[0] = static_cast<XCHAR>(length);
  std::memcpy(units + 1, text.data(), length * sizeof(XCHAR));
  value->xltype = xltypeStr;
  value->val.str = units;
  return value;
}

}  // namespace orra
