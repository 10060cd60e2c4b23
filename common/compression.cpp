#include "common/compression.h"

#include <zlib.h>

#include <limits>

namespace orra {
namespace {
constexpr size_t kZlibMax = std::numeric_limits<uInt>::max();

// compress2 sets up and tears down a whole deflate state (about 256 KiB at level 9) on every
// call, which costs more than compressing a typical frame. Each thread keeps one stream at
// compress2's settings and resets it between buffers: the output is byte for byte the same.
class ThreadDeflater {
 public:
  ThreadDeflater() { ready_ = deflateInit(&stream_, 9) == Z_OK; }
  ~ThreadDeflater() {
    if (ready_) deflateEnd(&stream_);
  }
  ThreadDeflater(const ThreadDeflater&) = delete;
  ThreadDeflater& operator=(const ThreadDeflater&) = delete;

  bool Compress(Bytef* destination, size_t& destination_length, const Bytef* source, size_t source_length) {
    if (!ready_ || deflateReset(&stream_) != Z_OK) return false;
    stream_.next_in = const_cast<Bytef*>(source);
    stream_.avail_in = static_cast<uInt>(source_length);
    stream_.next_out = destination;
    stream_.avail_out = static_cast<uInt>(destination_length < kZlibMax ? destination_length : kZlibMax);
    const int rc = deflate(&stream_, Z_FINISH);
    if (rc != Z_STREAM_END) return false;
    destination_length = stream_.total_out;
    return true;
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

}  // namespace

bool CompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length) {
  if (source_length > kZlibMax) return false;
  thread_local ThreadDeflater deflater;
  return deflater.Compress(static_cast<Bytef*>(destination), destination_length, static_cast<const Bytef*>(source),
                           source_length);
}

bool UncompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length) {
  if (destination_length > std::numeric_limits<uLong>::max() || source_length > std::numeric_limits<uLong>::max()) {
    return false;
  }
  uLongf length = static_cast<uLongf>(destination_length);
  const int rc = uncompress(static_cast<Bytef*>(destination), &length, static_cast<const Bytef*>(source),
                            static_cast<uLong>(source_length));
  if (rc != Z_OK) return false;
  destination_length = length;
  return true;
}

size_t CompressBound(size_t source_length) {
  if (source_length > std::numeric_limits<uLong>::max()) return 0;
  return compressBound(static_cast<uLong>(source_length));
}

}  // namespace orra
