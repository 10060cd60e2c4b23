#include "transport/frame_codec.h"

#include <algorithm>
#include <cstring>

#include "common/compression.h"

namespace orra {
namespace {

// Bytes read before the buffer grows further: a header alone never makes the codec allocate
// more than this beyond what has actually arrived.
constexpr size_t kReadStep = 1u << 20;
// zlib's deflate cannot expand data more than about 1032 to 1; a packed body announcing more
// cannot be valid and is refused before its buffer is sized.
constexpr uint64_t kMaxInflateRatio = 1032;
// What zlib may add beyond that ratio for a short body (its stream header and end block), and
// the spare room the inflated body's buffer keeps.
constexpr uint64_t kInflateSlackBytes = 1024;

// Reads n bytes into `buffer` (replacing its content), growing it step by step as they come.
bool ReadGrowing(ByteStream& stream, ByteBuffer& buffer, size_t n) {
  buffer.Clear();
  while (buffer.size() < n) {
    const size_t step = std::min(kReadStep, n - buffer.size());
    const size_t wanted = buffer.size() + step;
    if (wanted + 8 > buffer.capacity() && !buffer.Reserve(std::min(n, std::max(wanted, 2 * buffer.capacity())))) {
      return false;
    }
    if (!stream.ReadExactly(buffer.data() + buffer.size(), step)) return false;
    buffer.SetLength(wanted);
  }
  return true;
}

}  // namespace

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
  if (CompressBuffer(payload, packed_length, body.data(), body.size(), kCompressionLevel)) {
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

  if (header.packed_length != 0) {
    if (!ReadGrowing(stream, packed_, header.packed_length)) return std::nullopt;
    traffic_.AddReceived(FrameHeader::kSize + header.packed_length, 1);
    if (header.body_length > header.packed_length * kMaxInflateRatio + kInflateSlackBytes ||
        !body_.Reserve(header.body_length + kInflateSlackBytes)) {
      return std::nullopt;
    }
    size_t inflated = header.body_length;
    if (!UncompressBuffer(body_.data(), inflated, packed_.data(), header.packed_length) ||
        inflated != header.body_length) {
      return std::nullopt;
    }
  } else {
    if (!ReadGrowing(stream, body_, header.body_length)) return std::nullopt;
    traffic_.AddReceived(FrameHeader::kSize + header.body_length, 1);
  }
  body_.SetLength(header.body_length);
  return ReceivedFrame{header, {body_.data(), header.body_length}};
}

void FrameCodec::ReleaseBuffers() {
  packed_.Release();
  body_.Release();
}

}  // namespace orra
