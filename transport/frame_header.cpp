#include "transport/frame_header.h"

#include "transport/wire_bytes.h"

namespace orra {

void FrameHeader::Encode(uint8_t* d) const {
  PutU32(d, stamp);
  PutU32(d + 4, code);
  PutU32(d + 8, body_length);
  PutU32(d + 12, packed_length);
  PutU32(d + 16, context);
}

FrameHeader FrameHeader::Decode(const uint8_t* s) {
  FrameHeader h;
  h.stamp = GetU32(s);
  h.code = GetU32(s + 4);
  h.body_length = GetU32(s + 8);
  h.packed_length = GetU32(s + 12);
  h.context = GetU32(s + 16);
  return h;
}

}  // namespace orra
