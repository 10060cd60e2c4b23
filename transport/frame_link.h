#pragma once
// What the connection thread needs from a connection: keep it up, receive the frames that
// arrive, send (or, in uQuery mode, exchange) one job's frame. ServerConnection is the real
// one; tests drive the thread with their own.

#include <cstdint>
#include <optional>
#include <span>

#include "transport/frame_codec.h"

namespace orra {

class FrameLink {
 public:
  virtual ~FrameLink() = default;

  // Makes sure the link can carry a frame: reconnects a broken socket (binary mode) or logs in
  // when there is no session (uQuery mode). False when that failed.
  virtual bool CheckConnection() = 0;
  // In binary mode, one frame when one is waiting; nothing when none is (or on failure, after
  // which the link is closed). Always nothing in uQuery mode.
  virtual std::optional<ReceivedFrame> ReceiveFrame() = 0;
  // Sends one frame, its body packed ahead when `packed` is given. In uQuery mode the reply
  // frame comes back in *reply. False on failure.
  virtual bool SendFrame(uint32_t code, std::span<const uint8_t> body, const PackedBody* packed, uint32_t context,
                         std::optional<ReceivedFrame>* reply) = 0;
  virtual void Close() = 0;
  // How many connections the link has made so far. When the count moves on, frames sent over
  // an earlier connection will get no answer.
  virtual uint64_t Connections() const = 0;
  // Ends a call blocked in the connection thread; called from another thread.
  virtual void Interrupt() = 0;
};

}  // namespace orra
