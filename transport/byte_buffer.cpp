#include "transport/byte_buffer.h"

#include <cstring>

#include "common/block_pool.h"

namespace orra {

uint8_t* ByteBuffer::Prepare(size_t n) {
  if (capacity_ < n + 8) {
    Release();
    size_t actual = 0;
    data_ = static_cast<uint8_t*>(AcquireBuffer(n + 16, &actual));
    if (data_ == nullptr) return nullptr;
    capacity_ = actual;
  } else {
    std::memset(data_, 0, capacity_);
  }
  length_ = n;
  return data_;
}

bool ByteBuffer::Reserve(size_t n) {
  if (capacity_ >= n + 8 && data_ != nullptr) return true;
  size_t actual = 0;
  auto* grown = static_cast<uint8_t*>(AcquireBuffer(n + 16, &actual));
  if (grown == nullptr) return false;
  if (length_ > 0) std::memcpy(grown, data_, length_);
  ReleaseBuffer(data_);
  data_ = grown;
  capacity_ = actual;
  return true;
}

bool ByteBuffer::Append(const void* bytes, size_t n) {
  if (!Reserve(length_ + n)) return false;
  if (n > 0) std::memcpy(data_ + length_, bytes, n);
  length_ += n;
  return true;
}

bool ByteBuffer::Take(void* destination, size_t n) {
  if (n > length_) return false;
  if (n > 0) std::memcpy(destination, data_, n);
  Consume(n);
  return true;
}

void ByteBuffer::Consume(size_t n) {
  if (n >= length_) {
    length_ = 0;
    return;
  }
  std::memmove(data_, data_ + n, length_ - n);
  length_ -= n;
}

bool ByteBuffer::SetLength(size_t n) {
  if (n > capacity_) return false;
  length_ = n;
  return true;
}

void ByteBuffer::Release() {
  ReleaseBuffer(data_);
  length_ = 0;
  capacity_ = 0;
}

}  // namespace orra
