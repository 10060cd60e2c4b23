#pragma once
// A growable byte area from the block pool, as the socket and the framing layer use it for
// read-ahead, output and frame bodies. Grows to the largest use seen and is reused; one thread
// at a time.

#include <cstddef>
#include <cstdint>

namespace orra {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ~ByteBuffer() { Release(); }
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  // Sets the length to n, zero-filling the whole area (a new one when the capacity is below
  // n + 8). Null when the pool fails; the buffer is then empty.
  uint8_t* Prepare(size_t n);
  // Appends n bytes, growing the area (content kept) when needed. False when the pool fails.
  bool Append(const void* bytes, size_t n);
  // Copies the first n bytes out and moves the rest to the front; false (nothing changed) when
  // fewer than n are held.
  bool Take(void* destination, size_t n);
  // Drops the first n bytes (at most the length).
  void Consume(size_t n);
  // Makes room for at least n bytes in total, keeping the content. False when the pool fails.
  bool Reserve(size_t n);
  // Returns the area to the pool.
  void Release();
  void Clear() { length_ = 0; }
  // Sets the length within the capacity (after writing into data() directly).
  bool SetLength(size_t n);

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return length_; }
  size_t capacity() const { return capacity_; }
  bool empty() const { return length_ == 0; }

 private:
  uint8_t* data_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;
};

}  // namespace orra
