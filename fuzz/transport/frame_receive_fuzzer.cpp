// Frames received from a byte stream: headers with any lengths, packed or not.
#include <cstddef>
#include <cstdint>

#include "transport/frame_codec.h"
#include "transport/memory_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orra::MemoryStream stream({data, size});
  orra::TrafficCounters traffic;
  orra::FrameCodec codec(traffic);
  for (int frames = 0; frames < 64; ++frames) {
    const auto frame = codec.Receive(stream);
    if (!frame) break;
    volatile uint8_t sink = 0;
    for (uint8_t b : frame->body) sink ^= b;
  }
  return 0;
}
