#include "common/pooled_block.h"

#include <cstring>
#include <new>

#include "common/block_pool.h"

namespace orra {

std::unique_ptr<PooledBlock> PooledBlock::Create(size_t size) {
  size_t capacity = 0;
  auto* data = static_cast<uint8_t*>(AcquireBuffer(size, &capacity));
  if (data == nullptr) return nullptr;
  std::unique_ptr<PooledBlock> block(new (std::nothrow) PooledBlock(data, size, capacity));
  if (!block) ReleaseBuffer(data);
  return block;
}

std::unique_ptr<PooledBlock> PooledBlock::CopyOf(std::span<const uint8_t> bytes) {
  auto block = Create(bytes.size());
  if (block && !bytes.empty()) std::memcpy(block->data(), bytes.data(), bytes.size());
  return block;
}

PooledBlock::~PooledBlock() { ReleaseBuffer(data_); }

bool PooledBlock::Resize(size_t size) {
  if (size > capacity_) return false;
  size_ = size;
  return true;
}

}  // namespace orra
