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

// The room a packed body must fit, or the body travels as it is.
size_t PackingRoom(size_t body_length) { return 2 * body_length + 20; }

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

std::optional<PackedBody> FrameCodec::Pack(std::span<const uint8_t> body) {
  size_t packed_length = PackingRoom(body.size());
  auto zlib = PooledBlock::Create(packed_length);
  if (!zlib) return std::nullopt;
  if (!CompressBuffer(zlib->data(), packed_length, body.data(), body.size(), kCompressionLevel)) return PackedBody{};
  zlib->Resize(packed_length);
  return PackedBody{std::move(zlib)};
}

bool FrameCodec::Encode(uint32_t code, std::span<const uint8_t> body, uint32_t context, ByteBuffer& out,
                        const PackedBody* packed) {
  if (body.size() > FrameHeader::kMaxBodyLength) return false;
  const size_t room = PackingRoom(body.size());
  if (!out.Reserve(FrameHeader::kSize + room)) return false;
  FrameHeader header;
  header.stamp = stamp_;
  header.code = code;
  header.body_length = static_cast<uint32_t>(body.size());
  header.context = context;

  size_t packed_length = room;
  uint8_t* payload = out.data() + FrameHeader::kSize;
  if (packed != nullptr && packed->zlib) {
    packed_length = packed->zlib->size();
    if (packed_length > room) return false;
    std::memcpy(payload, packed->zlib->data(), packed_length);
    header.packed_length = static_cast<uint32_t>(packed_length);
  } else if (packed == nullptr && CompressBuffer(payload, packed_length, body.data(), body.size(), kCompressionLevel)) {
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
