#include "store/compressed_body.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace orra {
namespace {

// Deflate cannot expand data by more than about 1032 to 1; a stated size above this bound is a
// lie.
constexpr uint64_t kMaxInflateRatio = 1040;
constexpr uint64_t kInflateSlack = 4096;
// The buffer starts at a plausible size and grows towards the stated one only as the stream
// really produces bytes, so a lying header cannot make a small file take a large buffer.
constexpr size_t kFirstGuessRatio = 8;

class Inflater {
 public:
  Inflater() { ready_ = inflateInit(&stream_) == Z_OK; }
  ~Inflater() {
    if (ready_) inflateEnd(&stream_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Inflates all of `in` into `out`, growing it as needed; false when the stream is broken, cut
  // short, or holds more than `limit` bytes. One byte of room beyond the limit lets a stream of
  // exactly `limit` bytes reach its end marker.
  bool Run(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit) {
    const size_t capacity = limit + 1;
    if (!ready_ || in.size() > std::numeric_limits<uInt>::max()) return false;
    stream_.next_in = const_cast<Bytef*>(in.data());
    stream_.avail_in = static_cast<uInt>(in.size());
    size_t produced = 0;
    for (;;) {
      if (produced == out.size()) {
        if (out.size() >= capacity) return false;
        out.resize(std::min(capacity, std::max<size_t>(out.size() * 2, 4096)));
      }
      const size_t room = std::min<size_t>(out.size() - produced, std::numeric_limits<uInt>::max());
      stream_.next_out = out.data() + produced;
      stream_.avail_out = static_cast<uInt>(room);
      const int rc = inflate(&stream_, Z_NO_FLUSH);
      produced += room - stream_.avail_out;
      if (rc == Z_STREAM_END) {
        out.resize(produced);
        return produced <= limit;
      }
      if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
      if (stream_.avail_out != 0 && stream_.avail_in == 0) return false;  // the stream is cut short
    }
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

}  // namespace

std::optional<std::vector<uint8_t>> InflateBody(std::span<const uint8_t> after_header, int32_t inflated_size,
                                                int32_t compressed_size) {
  if (inflated_size < 0 || compressed_size < 0) return std::nullopt;
  const size_t present = std::min(after_header.size(), static_cast<size_t>(compressed_size));
  const auto stated = static_cast<size_t>(inflated_size);
  if (stated > present * kMaxInflateRatio + kInflateSlack) return std::nullopt;
  std::vector<uint8_t> body;
  if (stated == 0) return body;
  body.resize(std::min(stated + 1, present * kFirstGuessRatio + kInflateSlack));
  Inflater inflater;
  if (!inflater.Run(after_header.first(present), body, stated)) return std::nullopt;
  return body;
}

}  // namespace orra
