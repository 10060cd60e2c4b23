#include "transport/frame_codec.h"

#include <cstring>

#include "common/compression.h"
#include "transport/traffic_counters.h"

namespace orra {

bool FrameCodec::Encode(uint32_t code, std::span<const uint8_t> body, uint32_t context, ByteBuffer& out) {
  if (body.size() > FrameHeader::kMaxBodyLength) return false;
  const size_t room = 2 * body.size() + 20;
  if (!out.Reserve(FrameHeader::kSize + room)) return false;
  FrameHeader header;
  header.stamp = stamp_;
  header.code = code;
  header.body_length = static_cast<uint32_t>(body.size());
  header.context = context;

  size_t packed_length = room;
  uint8_t* payload = out.data() + FrameHeader::kSize;
  if (CompressBuffer(payload, packed_length, body.data(), body.size())) {
    header.packed_length = static_cast<uint32_t>(packed_length);
  } else {
    if (!body.empty()) std::memcpy(payload, body.data(), body.size());
    packed_length = body.size();
  }
  header.Encode(out.data());
  out.SetLength(FrameHeader::kSize + packed_length);
  return true;
}

std::optional<ReceivedFrame> FrameCodec::Receive(ByteStream& stream) {
  uint8_t head[FrameHeader::kSize];
  if (!stream.ReadExactly(head, sizeof head)) return std::nullopt;
  const FrameHeader header = FrameHeader::Decode(head);
  stamp_ = header.stamp;
  if (!header.LengthsAcceptable()) return std::nullopt;
  if (!body_.Reserve(header.body_length + 1024)) return std::nullopt;

  if (header.packed_length != 0) {
    if (!packed_.Reserve(header.packed_length) || !stream.ReadExactly(packed_.data(), header.packed_length)) {
      return std::nullopt;
    }
    TrafficCounters::Instance().AddReceived(FrameHeader::kSize + header.packed_length, 1);
    size_t inflated = header.body_length;
    if (!UncompressBuffer(body_.data(), inflated, packed_.data(), header.packed_length) ||
        inflated != header.body_length) {
      return std::nullopt;
    }
  } else {
    if (!stream.ReadExactly(body_.data(), header.body_length)) return std::nullopt;
    TrafficCounters::Instance().AddReceived(FrameHeader::kSize + header.body_length, 1);
  }
  body_.SetLength(header.body_length);
  return ReceivedFrame{header, {body_.data(), header.body_length}};
}

void FrameCodec::ReleaseBuffers() {
  packed_.Release();
  body_.Release();
}

}  // namespace orra
