#pragma once
// The uQuery session of a connection: logs in for a session token and exchanges one request
// frame for one reply frame per HTTP round trip on a kept-alive socket. A failed exchange
// forgets the token, so the next use logs in again. Used by the connection thread only.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/env.h"
#include "transport/byte_buffer.h"
#include "transport/connection_profile.h"
#include "transport/frame_codec.h"
#include "transport/umy_socket.h"

namespace orra {

class UQueryChannel {
 public:
  // `profile` and `env` must outlive the channel.
  UQueryChannel(const ConnectionProfile* profile, Env& env) : profile_(profile), env_(env) {}

  bool HasSession() const { return !token_.empty(); }
  const std::string& token() const { return token_; }
  // The first 15 bytes of the last response.
  const std::string& status_line() const { return status_line_; }

  // Obtains a session token; on failure `error` (when given) says why.
  bool Login(std::string* error = nullptr);
  // Sends one frame and answers the reply frame, whose body is valid until the codec's next
  // Receive. Logs in first when there is no session.
  std::optional<ReceivedFrame> Exchange(uint32_t code, std::span<const uint8_t> body, uint32_t context,
                                        FrameCodec& codec, std::string* error = nullptr);
  enum class PollResult { kFrame, kNothing, kExpired, kFailed };
  // Asks for a waiting frame. An expired session forgets its token.
  PollResult Poll(FrameCodec& codec, std::optional<ReceivedFrame>* frame, std::string* error = nullptr);

  // Forgets the session and closes the socket.
  void Reset();
  void Interrupt() { socket_.Interrupt(); }

 private:
  // One round trip; the response body is left in response_ and answered as a span into it.
  std::optional<std::span<const uint8_t>> RoundTrip(char kind, std::string_view token, std::string_view text,
                                                    std::string* error);
  bool ReadResponse();
  std::optional<ReceivedFrame> FrameOf(std::span<const uint8_t> body, FrameCodec& codec, std::string* error);

  const ConnectionProfile* profile_;
  Env& env_;
  UMySocket socket_;
  std::string token_;
  std::string status_line_;
  ByteBuffer response_;
  ByteBuffer encoded_;  // the request frame before base64
  bool keep_alive_ = false;
};

}  // namespace orra
