#pragma once
// The client socket to the data server: connect (directly or through a proxy tunnel), buffered
// exact reads with a large read-ahead, send-all, and readiness and breakage checks. Owned and
// used by one thread, the connection thread; Interrupt is the one call another thread may make.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/env.h"
#include "transport/byte_buffer.h"
#include "transport/byte_stream.h"
#include "transport/connection_profile.h"
#include "transport/tcp_socket.h"

namespace orra {

class UMySocket : public ByteStream {
 public:
  // How far reads look ahead of what the caller asked for.
  static constexpr size_t kReadAhead = 4000000;
  // Sends and receives that block longer than this fail.
  static constexpr int kIoTimeoutMs = 1800000;

  UMySocket() = default;
  UMySocket(const UMySocket&) = delete;
  UMySocket& operator=(const UMySocket&) = delete;

  // Opens a new connection as the profile says, naming the target in the Env's debugger
  // output; on failure the socket is closed and, when `error` is given, a short GBK text says
  // why.
  bool Connect(const ConnectionProfile& profile, const Env& env, std::string* error = nullptr);
  // Takes over an accepted connection (the stand-in server's side).
  void Adopt(TcpSocket socket);
  // Closes the socket and releases both buffers.
  void Close();
  bool IsOpen() const { return socket_.IsOpen(); }

  // True when there is no socket or a readability test fails (the socket is then closed). A
  // peer that closed cleanly is not broken yet: the next read shows it.
  bool IsBroken();
  // True when bytes are buffered or the socket is readable now.
  bool HasData();
  // Waits up to timeout_ms for bytes (buffered or on the socket).
  bool WaitForData(int timeout_ms);

  bool ReadExactly(void* destination, size_t n) override;
  IoResult ReceiveSome(void* destination, size_t n) override;
  bool SendAll(const void* bytes, size_t n) override;

  // Buffered output: Queue appends; Flush sends everything with SendAll and empties the
  // buffer whatever the outcome.
  bool Queue(const void* bytes, size_t n);
  bool Flush();
  size_t QueuedBytes() const { return queued_.size(); }

  // Ends a call blocked on the socket in another thread.
  void Interrupt() { socket_.Interrupt(); }

  size_t BufferedBytes() const { return received_.size() - read_at_; }
  // The bytes read ahead and not yet taken; valid until the next read or Close.
  std::span<const uint8_t> Buffered() const { return {received_.data() + read_at_, BufferedBytes()}; }

 private:
  bool ReceiveIntoBuffer();
  // Copies up to n buffered bytes out; answers how many.
  size_t TakeBuffered(void* destination, size_t n);

  TcpSocket socket_;
  // Bytes read ahead; those before read_at_ are taken already. A read moves the cursor, not the
  // bytes: a read-ahead of a few megabytes holds thousands of small frames, and moving the rest
  // to the front after each would copy it thousands of times.
  ByteBuffer received_;
  size_t read_at_ = 0;
  ByteBuffer queued_;    // bytes waiting for Flush
};

}  // namespace orra
