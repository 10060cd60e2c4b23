#pragma once
// Frames as bytes: a 20-byte header and a body, zlib-compressed (at kCompressionLevel) when the compressed
// form fits the room of 2 x body length + 20 bytes. The codec remembers the stamp of the last
// frame received, which every frame sent carries, and keeps its buffers between frames (they
// grow to the largest frame seen). One thread at a time.

#include <cstdint>
#include <optional>
#include <span>

#include "common/compression.h"
#include "common/pooled_block.h"
#include "common/traffic_counters.h"
#include "transport/byte_buffer.h"
#include "transport/byte_stream.h"
#include "transport/frame_header.h"

namespace orra {

struct ReceivedFrame {
  FrameHeader header;
  std::span<const uint8_t> body;  // valid until the codec's next Receive
};

// A body packed ahead of its frame by FrameCodec::Pack: zlib's bytes, or none when the body
// does not pack into the frame's room and travels as it is.
struct PackedBody {
  std::unique_ptr<PooledBlock> zlib;
};

class FrameCodec {
 public:
  // The zlib level frames are packed at. Any level inflates the same way at the other end, so
  // it is the sender's choice alone. A query or a reply of a few hundred bytes packs about 5 %
  // larger at the fastest level than at the best, in a fifth of the time (bench_request): on
  // loopback and a LAN the time is what a hundred thousand cells wait for.
  static constexpr int kCompressionLevel = kFastestCompression;

  // Frames received are counted in `traffic`, which must outlive the codec.
  explicit FrameCodec(TrafficCounters& traffic) : traffic_(traffic) {}

  // Header and body of a frame with the remembered stamp, into `out` (replacing its content).
  // A body packed ahead (`packed`, from Pack) is written as it was packed; else it is packed
  // here. False when a buffer cannot be had or the body is longer than a frame may be.
  bool Encode(uint32_t code, std::span<const uint8_t> body, uint32_t context, ByteBuffer& out,
              const PackedBody* packed = nullptr);
  // Packs a body as Encode would, needing no codec: the thread that prepares a frame packs it,
  // so that the thread that sends it only writes. Nothing when the pool fails.
  static std::optional<PackedBody> Pack(std::span<const uint8_t> body);

  // Reads one frame. Nothing when a read fails, a length is beyond FrameHeader::kMaxBodyLength,
  // a packed body announces more than zlib can inflate it to, or it does not inflate to exactly
  // its body length. Buffers grow with the bytes that arrive, not with what a header announces.
  // Counts the traffic.
  std::optional<ReceivedFrame> Receive(ByteStream& stream);

  uint32_t stamp() const { return stamp_; }
  void set_stamp(uint32_t stamp) { stamp_ = stamp; }
  // Gives the buffers back to the pool.
  void ReleaseBuffers();

 private:
  TrafficCounters& traffic_;
  ByteBuffer packed_;
  ByteBuffer body_;
  uint32_t stamp_ = 0;
};

}  // namespace orra
