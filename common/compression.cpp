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

// The zlib calls of one direction. deflateInit and inflateInit2 are macros over the versioned
// entry points, hence the small functions.
struct Deflation {
  static int Init(z_stream& stream, int level) { return deflateInit(&stream, level); }
  static int Reset(z_stream& stream) { return deflateReset(&stream); }
  static int Finish(z_stream& stream) { return deflate(&stream, Z_FINISH); }
  static int End(z_stream& stream) { return deflateEnd(&stream); }
};

struct Inflation {
  static int Init(z_stream& stream, int window_bits) { return inflateInit2(&stream, window_bits); }
  static int Reset(z_stream& stream) { return inflateReset(&stream); }
  static int Finish(z_stream& stream) { return inflate(&stream, Z_FINISH); }
  static int End(z_stream& stream) { return inflateEnd(&stream); }
};

// compress2 sets up and tears down a whole deflate state (about 256 KiB at level 9) on every
// call, which costs more than compressing a typical frame, and uncompress does the same with an
// inflate state and its 32 KiB window. Kept streams at the same settings (the level, the window
// size), reset between buffers, write byte for byte the same and accept exactly the same streams.
template <typename Direction>
class KeptStream {
 public:
  explicit KeptStream(int settings) : settings_(settings) { ready_ = Direction::Init(stream_, settings) == Z_OK; }
  ~KeptStream() {
    if (ready_) Direction::End(stream_);
  }
  KeptStream(const KeptStream&) = delete;
  KeptStream& operator=(const KeptStream&) = delete;

  int settings() const { return settings_; }
  bool ready() const { return ready_; }

  // One whole buffer each way, as compress2 and uncompress take them: the stream must end within
  // the room given (an inflated stream's trailing bytes are ignored).
  bool Run(Bytef* destination, size_t& destination_length, const Bytef* source, size_t source_length) {
    if (!ready_ || source_length > kZlibMax || Direction::Reset(stream_) != Z_OK) return false;
    stream_.next_in = const_cast<Bytef*>(source);
    stream_.avail_in = static_cast<uInt>(source_length);
    stream_.next_out = destination;
    stream_.avail_out = static_cast<uInt>(destination_length < kZlibMax ? destination_length : kZlibMax);
    if (Direction::Finish(stream_) != Z_STREAM_END) return false;
    destination_length = stream_.total_out;
    return true;
  }

 private:
  z_stream stream_{};
  int settings_;
  bool ready_ = false;
};

// The idle streams of one kind, lent to one call at a time. Not thread-local streams: MinGW-w64
// runs a thread-local object's destructor at thread exit on storage it may already have freed (a
// heap corruption under Wine, as with the temporary memory and the block pool's cache), and a
// thread-local pointer would leave one stream behind for every connection thread that ever
// ended. Lent streams come back, so a pool holds as many as ever worked at once. The pools are
// never destroyed, so no destructor runs in the DLL at thread or process exit; the few idle
// streams go with the process.
template <typename Stream>
class StreamPool {
 public:
  // Runs one whole buffer through an idle stream made with `settings`, or a new one.
  bool Run(int settings, void* destination, size_t& destination_length, const void* source, size_t source_length) {
    try {
      std::unique_ptr<Stream> stream = Take(settings);
      const bool done = stream->Run(static_cast<Bytef*>(destination), destination_length,
                                    static_cast<const Bytef*>(source), source_length);
      Give(std::move(stream));
      return done;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

 private:
  std::unique_ptr<Stream> Take(int settings) {
    {
      MutexLock lock(mutex_);
      for (auto it = idle_.rbegin(); it != idle_.rend(); ++it) {
        if ((*it)->settings() != settings) continue;
        std::unique_ptr<Stream> stream = std::move(*it);
        idle_.erase(std::next(it).base());
        return stream;
      }
    }
    return std::make_unique<Stream>(settings);
  }

  // A stream zlib could not set up is dropped, so that the next call tries afresh.
  void Give(std::unique_ptr<Stream> stream) {
    if (!stream->ready()) return;
    MutexLock lock(mutex_);
    idle_.push_back(std::move(stream));
  }

  Mutex mutex_;
  std::vector<std::unique_ptr<Stream>> idle_ ORRA_GUARDED_BY(mutex_);
};

template <typename Stream>
StreamPool<Stream>& Streams() {
  static NoDestructor<StreamPool<Stream>> pool;
  return *pool;
}

}  // namespace

bool CompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length,
                    int level) {
  if (level < kFastestCompression || level > kBestCompression) return false;
  return Streams<KeptStream<Deflation>>().Run(level, destination, destination_length, source, source_length);
}

bool UncompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length) {
  return Streams<KeptStream<Inflation>>().Run(MAX_WBITS, destination, destination_length, source, source_length);
}

size_t CompressBound(size_t source_length) {
  if (source_length > std::numeric_limits<uLong>::max()) return 0;
  return compressBound(static_cast<uLong>(source_length));
}

}  // namespace orra
