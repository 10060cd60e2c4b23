#pragma once
// The 20-byte head of every frame: five little-endian 32-bit words.

#include <cstddef>
#include <cstdint>

namespace orra {

struct FrameHeader {
  static constexpr size_t kSize = 20;
  // The largest body, packed or not, that a frame may announce. Bodies are sized from the
  // header before anything else is checked, so a larger announcement closes the connection.
  static constexpr uint32_t kMaxBodyLength = 256u << 20;

  uint32_t stamp = 0;          // the peer's time stamp, echoed in every frame sent
  uint32_t code = 0;           // MessageCode
  uint32_t body_length = 0;    // uncompressed body bytes
  uint32_t packed_length = 0;  // zlib bytes that follow, 0 when the body follows as it is
  uint32_t context = 0;        // returned unchanged by the server (the RTD topic id)

  void Encode(uint8_t* destination) const;
  static FrameHeader Decode(const uint8_t* source);

  // False for a header whose lengths are beyond kMaxBodyLength.
  bool LengthsAcceptable() const { return body_length <= kMaxBodyLength && packed_length <= kMaxBodyLength; }
};

}  // namespace orra
