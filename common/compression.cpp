#include "common/compression.h"

#include <zlib.h>

#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "common/mutex.h"
#include "common/no_destructor.h"

namespace orra {
namespace {
constexpr size_t kZlibMax = std::numeric_limits<uInt>::max();

// compress2 sets up and tears down a whole deflate state (about 256 KiB at level 9) on every
// call, which costs more than compressing a typical frame. A kept stream at compress2's
// settings, reset between buffers, writes byte for byte the same.
class Deflater {
 public:
  explicit Deflater(int level) : level_(level) { ready_ = deflateInit(&stream_, level) == Z_OK; }
  ~Deflater() {
    if (ready_) deflateEnd(&stream_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  int level() const { return level_; }
  bool ready() const { return ready_; }

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
  int level_;
  bool ready_ = false;
};

// The idle streams, lent to one call at a time. Not thread-local streams: MinGW-w64 runs a
// thread-local object's destructor at thread exit on storage it may already have freed (a heap
// corruption under Wine, as with the temporary memory and the block pool's cache), and a
// thread-local pointer would leave one stream behind for every connection thread that ever
// ended. Lent streams come back, so the pool holds as many as ever compressed at once. The
// pool is never destroyed, so no destructor runs in the DLL at thread or process exit; the
// few idle streams go with the process.
class DeflaterPool {
 public:
  std::unique_ptr<Deflater> Take(int level) {
    {
      MutexLock lock(mutex_);
      for (auto it = idle_.rbegin(); it != idle_.rend(); ++it) {
        if ((*it)->level() != level) continue;
        std::unique_ptr<Deflater> deflater = std::move(*it);
        idle_.erase(std::next(it).base());
        return deflater;
      }
    }
    return std::make_unique<Deflater>(level);
  }

  // A stream zlib could not set up is dropped, so that the next call tries afresh.
  void Give(std::unique_ptr<Deflater> deflater) {
    if (!deflater->ready()) return;
    MutexLock lock(mutex_);
    idle_.push_back(std::move(deflater));
  }

 private:
  Mutex mutex_;
  std::vector<std::unique_ptr<Deflater>> idle_ ORRA_GUARDED_BY(mutex_);
};

DeflaterPool& Deflaters() {
  static NoDestructor<DeflaterPool> pool;
  return *pool;
}

}  // namespace

bool CompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length,
                    int level) {
  if (source_length > kZlibMax || level < kFastestCompression || level > kBestCompression) return false;
  try {
    DeflaterPool& pool = Deflaters();
    std::unique_ptr<Deflater> deflater = pool.Take(level);
    const bool done = deflater->Compress(static_cast<Bytef*>(destination), destination_length,
                                         static_cast<const Bytef*>(source), source_length);
    pool.Give(std::move(deflater));
    return done;
  } catch (const std::bad_alloc&) {
    return false;
  }
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
