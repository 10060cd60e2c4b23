// A uQuery HTTP response: the completion rule, the body, the "N," reply and its frame, the login token.
#include <cstddef>
#include <cstdint>

#include "transport/frame_codec.h"
#include "transport/memory_stream.h"
#include "transport/uquery_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  size_t trim = 0;
  if (orra::UQueryResponseComplete(bytes, &trim) && trim > bytes.size()) __builtin_trap();
  const auto response = orra::ReadUQueryResponse(bytes.first(bytes.size() - trim));
  if (!response) return 0;
  (void)orra::ReadUQueryLoginToken(response->body);
  const auto reply = orra::ReadUQueryReplyBody(response->body);
  if (reply && reply->payload.size() > orra::FrameHeader::kSize) {
    orra::MemoryStream stream(reply->payload);
    orra::TrafficCounters traffic;
    orra::FrameCodec codec(traffic);
    (void)codec.Receive(stream);
  }
  return 0;
}
