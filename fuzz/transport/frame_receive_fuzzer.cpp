// Frames received from a byte stream: headers with any lengths, packed or not.
#include <cstddef>
#include <cstdint>

#include "transport/frame_codec.h"
#include "transport/memory_stream.h"

namespace {
// Where each body's bytes end up, so that reading every one of them (and the sanitizer's check
// of each read) is not optimised away.
volatile uint8_t body_sink = 0;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orra::MemoryStream stream({data, size});
  orra::TrafficCounters traffic;
  orra::FrameCodec codec(traffic);
  for (int frames = 0; frames < 64; ++frames) {
    const auto frame = codec.Receive(stream);
    if (!frame) break;
    uint8_t folded = 0;
    for (uint8_t b : frame->body) folded ^= b;
    body_sink = folded;
  }
  return 0;
}
