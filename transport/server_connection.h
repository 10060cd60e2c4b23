#pragma once
// The add-in's one connection to the data server: the binary-mode socket, the uQuery channel,
// the profile that says which of them to use and how to reach the server, and the frame codec
// with its buffers and the last stamp received. Only the connection thread touches it (apart
// from Interrupt at stop).

#include <optional>
#include <string>

#include "common/env.h"
#include "transport/connection_profile.h"
#include "transport/frame_codec.h"
#include "transport/frame_link.h"
#include "transport/uquery_channel.h"
#include "transport/umy_socket.h"

namespace orra {

class ServerConnection : public FrameLink {
 public:
  // `env` (its clock, debugger output and traffic counters) must outlive the connection.
  ServerConnection(const ConnectionProfile& profile, Env& env)
      : env_(env), profile_(profile), uquery_(&profile_, env), codec_(env.traffic()) {}
  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  const ConnectionProfile& profile() const { return profile_; }

  // Opens the binary-mode socket (or, in uQuery mode, logs in).
  bool Connect(std::string* error = nullptr);
  bool CheckConnection() override;
  std::optional<ReceivedFrame> ReceiveFrame() override;
  bool SendFrame(uint32_t code, std::span<const uint8_t> body, const PackedBody* packed, uint32_t context,
                 std::optional<ReceivedFrame>* reply) override;
  void Close() override;
  void Interrupt() override;
  uint64_t Connections() const override { return connections_; }

  // Waits up to timeout_ms for a frame to arrive (binary mode); for callers outside the thread
  // loop, such as the tools.
  bool WaitForData(int timeout_ms) { return socket_.WaitForData(timeout_ms); }
  UQueryChannel& uquery() { return uquery_; }
  FrameCodec& codec() { return codec_; }

 private:
  Env& env_;
  ConnectionProfile profile_;
  UMySocket socket_;
  UQueryChannel uquery_;
  FrameCodec codec_;
  ByteBuffer outgoing_;
  uint64_t connections_ = 0;
};

}  // namespace orra
