#include "transport/server_connection.h"

#include <cstring>

#include "common/ascii_text.h"
#include "common/diagnostic_log.h"
#include "common/text_conversion.h"

namespace orra {

namespace {

std::u16string ServerText(const ConnectionProfile& profile) {
  const std::string text = std::string(profile.server_host, strnlen(profile.server_host, sizeof profile.server_host)) + ":" + std::to_string(profile.server_port);
  return WidenAscii(text);
}

void LogConnect(const ConnectionProfile& profile, bool ok, const std::string& why) {
  if (!DiagnosticLogEnabled()) return;
  DiagnosticLog(u"connect " + ServerText(profile) + (profile.uquery_mode() ? u" uquery" : u"") +
                (ok ? std::u16string(u" ok") : u" failed: " + ToWideString(why)));
}

}  // namespace

bool ServerConnection::Connect(std::string* error) {
  std::string why;
  bool ok;
  if (profile_.uquery_mode()) {
    ok = uquery_.Login(&why);
  } else {
    codec_.ReleaseBuffers();
    ok = socket_.Connect(profile_, env_, &why);
  }
  LogConnect(profile_, ok, why);
  if (ok) ++connections_;
  if (error != nullptr) *error = why;
  return ok;
}

bool ServerConnection::CheckConnection() {
  if (profile_.uquery_mode()) return uquery_.HasSession() || Connect();
  return !socket_.IsBroken() || Connect();
}

std::optional<ReceivedFrame> ServerConnection::ReceiveFrame() {
  if (profile_.uquery_mode() || !socket_.IsOpen() || !socket_.HasData()) return std::nullopt;
  auto frame = codec_.Receive(socket_);
  if (!frame) Close();
  return frame;
}

bool ServerConnection::SendFrame(uint32_t code, std::span<const uint8_t> body, const PackedBody* packed,
                                 uint32_t context, std::optional<ReceivedFrame>* reply) {
  if (profile_.uquery_mode()) {
    *reply = uquery_.Exchange(code, body, context, codec_);
    return reply->has_value();
  }
  if (!socket_.IsOpen() || !codec_.Encode(code, body, context, outgoing_, packed) ||
      !socket_.SendAll(outgoing_.data(), outgoing_.size())) {
    Close();
    return false;
  }
  env_.traffic().AddSent(outgoing_.size());
  return true;
}

void ServerConnection::Close() {
  if (socket_.IsOpen() && DiagnosticLogEnabled()) DiagnosticLog(u"disconnect " + ServerText(profile_));
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
