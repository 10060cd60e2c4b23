#include "transport/frame_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/compression.h"
#include "common/traffic_counters.h"
#include "transport/memory_stream.h"
#include "transport/message_code.h"
#include "transport/wire_bytes.h"

namespace orra {
namespace {

std::vector<uint8_t> Encoded(FrameCodec& codec, uint32_t code, const std::vector<uint8_t>& body, uint32_t context) {
  ByteBuffer out;
  EXPECT_TRUE(codec.Encode(code, body, context, out));
  return {out.data(), out.data() + out.size()};
}

std::vector<uint8_t> RawFrame(FrameHeader header, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> bytes(FrameHeader::kSize);
  header.Encode(bytes.data());
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  return bytes;
}

TEST(FrameCodec, CompressibleBodiesGoPackedAndComeBackWhole) {
  TrafficCounters traffic;
  std::vector<uint8_t> body(1856, 0);
  for (size_t i = 0; i < body.size(); i += 100) body[i] = 'k';
  FrameCodec sender(traffic);
  sender.set_stamp(0x5EED);
  const auto bytes = Encoded(sender, MessageCode::kQuery, body, 77);
  const FrameHeader header = FrameHeader::Decode(bytes.data());
  EXPECT_EQ(header.stamp, 0x5EEDu);
  EXPECT_EQ(header.code, MessageCode::kQuery);
  EXPECT_EQ(header.body_length, body.size());
  EXPECT_NE(header.packed_length, 0u);
  EXPECT_EQ(bytes.size(), FrameHeader::kSize + header.packed_length);

  FrameCodec receiver(traffic);
  MemoryStream stream(bytes);
  const auto frame = receiver.Receive(stream);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->header.context, 77u);
  EXPECT_EQ(std::vector<uint8_t>(frame->body.begin(), frame->body.end()), body);
  EXPECT_EQ(receiver.stamp(), 0x5EEDu);
  const TrafficTotals totals = traffic.Read();
  EXPECT_EQ(totals.bytes_received, bytes.size());
  EXPECT_EQ(totals.frames_received, 1u);
}

// The query worker packs a job's body and the connection thread writes it: the frame must be
// the one packing at send time makes.
TEST(FrameCodec, BodiesPackedAheadMakeTheSameFrames) {
  TrafficCounters traffic;
  FrameCodec codec(traffic);
  codec.set_stamp(0x5EED);
  std::vector<uint8_t> compressible(900, 'a');
  for (size_t i = 0; i < compressible.size(); i += 7) compressible[i] = static_cast<uint8_t>(i);
  for (const std::vector<uint8_t>& body : {compressible, std::vector<uint8_t>{0x9C}, std::vector<uint8_t>{}}) {
    const std::optional<PackedBody> packed = FrameCodec::Pack(body);
    ASSERT_TRUE(packed);
    ASSERT_TRUE(packed->zlib);
    ByteBuffer ahead;
    ASSERT_TRUE(codec.Encode(MessageCode::kQuery, body, 9, ahead, &*packed));
    EXPECT_EQ(std::vector<uint8_t>(ahead.data(), ahead.data() + ahead.size()),
              Encoded(codec, MessageCode::kQuery, body, 9));
  }
}

// A body that did not pack ahead travels as it is, and is not packed again at send time.
TEST(FrameCodec, BodyThatDidNotPackAheadTravelsAsItIs) {
  TrafficCounters traffic;
  FrameCodec codec(traffic);
  const std::vector<uint8_t> body(40, 'z');
  const PackedBody unpacked;
  ByteBuffer out;
  ASSERT_TRUE(codec.Encode(MessageCode::kQuery, body, 3, out, &unpacked));
  const FrameHeader header = FrameHeader::Decode(out.data());
  EXPECT_EQ(header.packed_length, 0u);
  EXPECT_EQ(std::vector<uint8_t>(out.data() + FrameHeader::kSize, out.data() + out.size()), body);
}

TEST(FrameCodec, BodyPackedAheadLongerThanTheRoomIsRefused) {
  TrafficCounters traffic;
  FrameCodec codec(traffic);
  const std::vector<uint8_t> body(10, 'x');
  PackedBody packed{PooledBlock::Create(2 * body.size() + 21)};
  ASSERT_TRUE(packed.zlib);
  ByteBuffer out;
  EXPECT_FALSE(codec.Encode(MessageCode::kQuery, body, 1, out, &packed));
}

// A peer may pack at any level: a frame packed at the best level (as the terminal's side may
// send) reads back as one packed at the sender's own level does.
TEST(FrameCodec, FramesPackedAtAnyLevelAreReceived) {
  TrafficCounters traffic;
  std::vector<uint8_t> body;
  for (int i = 0; i < 200; ++i) {
    const std::string row = "600000.sh;20240105;" + std::to_string(i * 37 % 1000) + ";";
    body.insert(body.end(), row.begin(), row.end());
  }
  for (int level : {kFastestCompression, 6, kBestCompression}) {
    std::vector<uint8_t> packed(CompressBound(body.size()));
    size_t packed_length = packed.size();
    ASSERT_TRUE(CompressBuffer(packed.data(), packed_length, body.data(), body.size(), level));
    packed.resize(packed_length);
    FrameHeader header;
    header.code = MessageCode::kQuery;
    header.body_length = static_cast<uint32_t>(body.size());
    header.packed_length = static_cast<uint32_t>(packed_length);
    MemoryStream stream(RawFrame(header, packed));
    FrameCodec receiver(traffic);
    const auto frame = receiver.Receive(stream);
    ASSERT_TRUE(frame) << level;
    EXPECT_EQ(std::vector<uint8_t>(frame->body.begin(), frame->body.end()), body) << level;
  }
}

TEST(FrameCodec, UncompressedAndEmptyBodiesAreValidFrames) {
  TrafficCounters traffic;
  const std::vector<uint8_t> body = {'a', 'b', 'c'};
  FrameCodec codec(traffic);
  FrameHeader header;
  header.code = 0x12345;
  header.body_length = 3;
  header.stamp = 9;
  auto bytes = RawFrame(header, body);
  header.body_length = 0;
  const auto empty = RawFrame(header, {});
  bytes.insert(bytes.end(), empty.begin(), empty.end());
  MemoryStream stream(bytes);
  auto frame = codec.Receive(stream);
  ASSERT_TRUE(frame);
  EXPECT_EQ(std::string(frame->body.begin(), frame->body.end()), "abc");
  frame = codec.Receive(stream);
  ASSERT_TRUE(frame);
  EXPECT_TRUE(frame->body.empty());
  EXPECT_FALSE(codec.Receive(stream));
}

// zlib never grows a body beyond 2 x its length + 20, so even random bytes, which come out
// larger than they went in, travel packed.
TEST(FrameCodec, IncompressibleBodiesStillTravelPackedWithinTheirRoom) {
  TrafficCounters traffic;
  std::vector<uint8_t> noise(64);
  uint32_t x = 1;
  for (auto& b : noise) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 24);
  FrameCodec codec(traffic);
  const auto bytes = Encoded(codec, 1, noise, 0);
  const FrameHeader header = FrameHeader::Decode(bytes.data());
  EXPECT_GT(header.packed_length, noise.size());
  EXPECT_LE(header.packed_length, 2 * noise.size() + 20);
  MemoryStream stream(bytes);
  FrameCodec receiver(traffic);
  auto frame = receiver.Receive(stream);
  ASSERT_TRUE(frame);
  EXPECT_EQ(std::vector<uint8_t>(frame->body.begin(), frame->body.end()), noise);
}

TEST(FrameCodec, RejectsWrongInflatedLengthsHugeLengthsAndShortBodies) {
  TrafficCounters traffic;
  const std::vector<uint8_t> body(500, 'z');
  std::vector<uint8_t> packed(CompressBound(body.size()));
  size_t packed_length = packed.size();
  ASSERT_TRUE(CompressBuffer(packed.data(), packed_length, body.data(), body.size()));
  packed.resize(packed_length);

  FrameHeader header;
  header.packed_length = static_cast<uint32_t>(packed_length);
  for (uint32_t announced : {499u, 501u, 0u}) {
    header.body_length = announced;
    MemoryStream stream(RawFrame(header, packed));
    EXPECT_FALSE(FrameCodec(traffic).Receive(stream)) << announced;
  }
  header.body_length = 500;
  auto corrupt = packed;
  corrupt[corrupt.size() / 2] ^= 0x55;
  MemoryStream corrupt_stream(RawFrame(header, corrupt));
  EXPECT_FALSE(FrameCodec(traffic).Receive(corrupt_stream));

  header.packed_length = 0;
  header.body_length = 0xFFFFFFF0u;  // a negative length as a signed word
  MemoryStream huge(RawFrame(header, {}));
  EXPECT_FALSE(FrameCodec(traffic).Receive(huge));
  header.body_length = 10;
  header.packed_length = FrameHeader::kMaxBodyLength + 1;
  MemoryStream huge_packed(RawFrame(header, {}));
  EXPECT_FALSE(FrameCodec(traffic).Receive(huge_packed));

  header.packed_length = 0;
  const auto whole = RawFrame(header, std::vector<uint8_t>(10, 1));
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    MemoryStream stream({whole.data(), cut});
    EXPECT_FALSE(FrameCodec(traffic).Receive(stream)) << cut;
  }
}

TEST(FrameCodec, TheMostCompressibleBodyPassesAndImpossibleRatiosAreRefused) {
  TrafficCounters traffic;
  const std::vector<uint8_t> zeros(8u << 20, 0);
  FrameCodec codec(traffic);
  const auto bytes = Encoded(codec, MessageCode::kQuery, zeros, 1);
  MemoryStream stream(bytes);
  FrameCodec receiver(traffic);
  const auto frame = receiver.Receive(stream);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->body.size(), zeros.size());

  FrameHeader header = FrameHeader::Decode(bytes.data());
  header.body_length = header.packed_length * 1032 + 1025;
  std::vector<uint8_t> claimed(bytes.begin() + FrameHeader::kSize, bytes.end());
  MemoryStream impossible(RawFrame(header, claimed));
  EXPECT_FALSE(FrameCodec(traffic).Receive(impossible));
}

}  // namespace
}  // namespace orra
