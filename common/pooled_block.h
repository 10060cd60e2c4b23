#pragma once
// An owned block from the pool, returned to it when the owner goes away. A reply block that a
// request record and a rendering worksheet function share is a std::shared_ptr<const PooledBlock>.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace orra {

class PooledBlock {
 public:
  // A zero-filled block of `size` bytes; nullptr when memory runs out.
  static std::unique_ptr<PooledBlock> Create(size_t size);
  // A block holding a copy of `bytes`; nullptr when memory runs out.
  static std::unique_ptr<PooledBlock> CopyOf(std::span<const uint8_t> bytes);

  ~PooledBlock();
  PooledBlock(const PooledBlock&) = delete;
  PooledBlock& operator=(const PooledBlock&) = delete;

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  // The bytes in use (what the owner asked for, not the class size).
  size_t size() const { return size_; }
  // The bytes the pool handed out (at least size()).
  size_t capacity() const { return capacity_; }
  std::span<const uint8_t> bytes() const { return {data_, size_}; }
  // Shortens or lengthens the bytes in use within the capacity.
  bool Resize(size_t size);

 private:
  PooledBlock(uint8_t* data, size_t size, size_t capacity) : data_(data), size_(size), capacity_(capacity) {}
  uint8_t* data_;
  size_t size_;
  size_t capacity_;
};

using SharedBlock = std::shared_ptr<const PooledBlock>;

}  // namespace orra
