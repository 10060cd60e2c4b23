#include "transport/server_connection.h"

#include "transport/traffic_counters.h"

namespace orra {

bool ServerConnection::Connect(std::string* error) {
  if (profile_.uquery_mode()) return uquery_.Login(error);
  codec_.ReleaseBuffers();
  return socket_.Connect(profile_, error);
}

bool ServerConnection::CheckConnection() {
  if (profile_.uquery_mode()) return uquery_.HasSession() || uquery_.Login();
  return !socket_.IsBroken() || Connect();
}

std::optional<ReceivedFrame> ServerConnection::ReceiveFrame() {
  if (profile_.uquery_mode() || !socket_.IsOpen() || !socket_.HasData()) return std::nullopt;
  auto frame = codec_.Receive(socket_);
  if (!frame) Close();
  return frame;
}

bool ServerConnection::SendFrame(uint32_t code, std::span<const uint8_t> body, uint32_t context,
                                 std::optional<ReceivedFrame>* reply) {
  if (profile_.uquery_mode()) {
    *reply = uquery_.Exchange(code, body, context, codec_);
    return reply->has_value();
  }
  if (!socket_.IsOpen() || !codec_.Encode(code, body, context, outgoing_) ||
      !socket_.SendAll(outgoing_.data(), outgoing_.size())) {
    Close();
    return false;
  }
  TrafficCounters::Instance().AddSent(outgoing_.size());
  return true;
}

void ServerConnection::Close() {
  socket_.Close();
  uquery_.Reset();
  codec_.ReleaseBuffers();
  outgoing_.Release();
}

void ServerConnection::Interrupt() {
  socket_.Interrupt();
  uquery_.Interrupt();
}

}  // namespace orra
