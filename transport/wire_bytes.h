#pragma once
// Little-endian fixed-width integers in byte buffers, and a bounded reader over a byte span
// that stops cleanly at the end of the bytes present.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace orra {

inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutU64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }

inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t GetU64(const uint8_t* p) { return GetU32(p) | (static_cast<uint64_t>(GetU32(p + 4)) << 32); }
inline int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }

// Copies a text into a fixed field, cut to width - 1 bytes, zero-terminated and zero-filled.
inline void PutFixedText(uint8_t* field, size_t width, std::string_view text) {
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), text.size() < width ? text.size() : width - 1);
}
// The zero-terminated text of a fixed field (the whole field when no zero is in it).
inline std::string_view GetFixedText(const uint8_t* field, size_t width) {
  const void* zero = std::memchr(field, 0, width);
  return {reinterpret_cast<const char*>(field), zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - field) : width};
}

// Reads forward through a span; every read fails once it would pass the end.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t Remaining() const { return bytes_.size() - position_; }
  size_t Position() const { return position_; }
  const uint8_t* Here() const { return bytes_.data() + position_; }
  bool Skip(size_t n) {
    if (n > Remaining()) return false;
    position_ += n;
    return true;
  }
  bool ReadI32(int32_t* v) {
    if (Remaining() < 4) return false;
    *v = GetI32(Here());
    position_ += 4;
    return true;
  }
  bool ReadU16(uint16_t* v) {
    if (Remaining() < 2) return false;
    *v = GetU16(Here());
    position_ += 2;
    return true;
  }
  // A view of the next n bytes.
  bool ReadSpan(size_t n, std::span<const uint8_t>* out) {
    if (n > Remaining()) return false;
    *out = bytes_.subspan(position_, n);
    position_ += n;
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
};

}  // namespace orra
