#include "common/block_pool.h"

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

}  // namespace

// The lock is held only for a push or pop of two pointers, so a spin lock beats a mutex here.
struct BufferPool::SizeClass {
  mutable SpinLock lock;
  FreeBlock* free_list ORRA_GUARDED_BY(lock) = nullptr;
  size_t free_count ORRA_GUARDED_BY(lock) = 0;
};

BufferPool::BufferPool() : classes_(std::make_unique<SizeClass[]>(kClassCount)) {}

BufferPool::~BufferPool() { Drain(); }

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
  if (index) {
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
  SizeClass& sc = classes_[*index];
  auto* free_block = reinterpret_cast<FreeBlock*>(block);
  SpinLockGuard guard(sc.lock);
  free_block->next = sc.free_list;
  sc.free_list = free_block;
  ++sc.free_count;
}

void BufferPool::Drain() {
  for (int i = 0; i < kClassCount; ++i) {
    SizeClass& sc = classes_[i];
    FreeBlock* list;
    {
      SpinLockGuard guard(sc.lock);
      list = sc.free_list;
      sc.free_list = nullptr;
      sc.free_count = 0;
    }
    while (list != nullptr) {
      FreeBlock* next = list->next;
      std::free(list);
      list = next;
    }
  }
}

size_t BufferPool::FreeCount(size_t size) const {
  const std::optional<size_t> index = ClassFor(size);
  if (!index) return 0;
  SpinLockGuard guard(classes_[*index].lock);
  return classes_[*index].free_count;
}

void* AcquireBuffer(size_t size, size_t* actual_size) {
  return BufferPool::Instance().Acquire(size, actual_size);
}

void ReleaseBuffer(void*& buffer) {
  BufferPool::Instance().Release(buffer);
  buffer = nullptr;
}

}  // namespace orra
