#pragma once
// A cursor over bytes that never reads past its end: every read answers false (and leaves the
// cursor where it was) when the bytes it needs are not there. The decoders of the terminal's
// files are written over it, so a truncated or lying file stops a section instead of a read
// running off the buffer.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

namespace orra {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t position() const { return position_; }
  size_t remaining() const { return bytes_.size() - position_; }
  bool empty() const { return remaining() == 0; }

  bool Skip(size_t count) {
    if (count > remaining()) return false;
    position_ += count;
    return true;
  }

  bool ReadBytes(size_t count, std::span<const uint8_t>& out) {
    if (count > remaining()) return false;
    out = bytes_.subspan(position_, count);
    position_ += count;
    return true;
  }

  bool ReadU8(uint8_t& out) {
    if (remaining() < 1) return false;
    out = bytes_[position_++];
    return true;
  }

  bool ReadI32(int32_t& out) { return ReadLittleEndian(out); }
  bool ReadI64(int64_t& out) { return ReadLittleEndian(out); }

  // One length byte n, then n bytes of text, no terminator.
  bool ReadShortText(std::string_view& out) {
    const size_t start = position_;
    uint8_t length = 0;
    std::span<const uint8_t> text;
    if (!ReadU8(length) || !ReadBytes(length, text)) {
      position_ = start;
      return false;
    }
    out = {reinterpret_cast<const char*>(text.data()), text.size()};
    return true;
  }

  // Seven bits a byte, least significant group first; the lowest bit of a byte says that
  // another byte follows. More than ten bytes cannot be a 64-bit value and fail the read.
  bool ReadPackedNumber(uint64_t& out) {
    constexpr int kMaxBytes = 10;
    const size_t start = position_;
    uint64_t value = 0;
    for (int k = 0; k < kMaxBytes; ++k) {
      uint8_t byte = 0;
      if (!ReadU8(byte)) break;
      value |= static_cast<uint64_t>(byte >> 1) << (7 * k);
      if ((byte & 1) == 0) {
        out = value;
        return true;
      }
    }
    position_ = start;
    return false;
  }

 private:
  template <typename T>
  bool ReadLittleEndian(T& out) {
    if (remaining() < sizeof(T)) return false;
    out = LoadLittleEndian<T>(bytes_.data() + position_);
    position_ += sizeof(T);
    return true;
  }

 public:
  // The store reads its record files' lengths and ids field by field, a few hundred thousand
  // times per load: on a little-endian machine one unaligned load does what the byte loop does,
  // and GCC does not always turn the loop into it.
  template <typename T>
  static T LoadLittleEndian(const uint8_t* p) {
    using U = std::make_unsigned_t<T>;
    U value = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&value, p, sizeof value);
    } else {
      for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<U>(static_cast<U>(p[i]) << (8 * i));
    }
    return static_cast<T>(value);
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
};

template <typename T>
void StoreLittleEndian(uint8_t* p, T value) {
  using U = std::make_unsigned_t<T>;
  const U bits = static_cast<U>(value);
  for (size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace orra
