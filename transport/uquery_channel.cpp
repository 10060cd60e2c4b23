#include "transport/uquery_channel.h"

#include "transport/base64.h"
#include "transport/memory_stream.h"
#include "transport/uquery_protocol.h"

namespace orra {
namespace {
void SetError(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
}
constexpr size_t kChunk = 256;
}  // namespace

void UQueryChannel::Reset() {
  token_.clear();
  keep_alive_ = false;
  socket_.Close();
  response_.Release();
  encoded_.Release();
}

bool UQueryChannel::ReadResponse() {
  response_.Clear();
  uint8_t chunk[kChunk];
  int interrupted = 0;
  while (response_.size() < UQuery::kMaxResponse) {
    const IoResult got = socket_.ReceiveSome(chunk, sizeof chunk);
    if (got.status == IoStatus::kWouldBlock) {
      if (++interrupted > 1000) return false;
      continue;
    }
    if (got.status == IoStatus::kClosed) return true;
    if (got.status != IoStatus::kOk) return !response_.empty();
    if (!response_.Append(chunk, got.bytes)) return false;
    if (got.bytes < kChunk) {
      size_t trim = 0;
      if (UQueryResponseComplete({response_.data(), response_.size()}, &trim)) {
        response_.SetLength(response_.size() - trim);
        return true;
      }
    }
  }
  return false;
}

std::optional<std::span<const uint8_t>> UQueryChannel::RoundTrip(char kind, std::string_view token,
                                                                 std::string_view text, std::string* error) {
  if (!keep_alive_ || socket_.IsBroken()) {
    if (!socket_.Connect(*profile_, env_, error)) return std::nullopt;
  }
  const std::string request =
      MakeUQueryRequest(profile_->server_host, static_cast<int>(profile_->server_port), kind, token, text);
  if (!socket_.SendAll(request.data(), request.size())) {
    SetError(error, "POST Error!");
    return std::nullopt;
  }
  env_.traffic().AddSent(request.size());
  if (!ReadResponse()) {
    SetError(error, "RECV Error!");
    return std::nullopt;
  }
  const std::span<const uint8_t> response(response_.data(), response_.size());
  status_line_.assign(reinterpret_cast<const char*>(response.data()),
                      response.size() < UQuery::kStatusLength ? response.size() : UQuery::kStatusLength);
  if (status_line_ != UQuery::kStatusOk) {
    SetError(error, "Server Error!");
    return std::nullopt;
  }
  const auto parsed = ReadUQueryResponse(response);
  if (!parsed) {
    SetError(error, "Grab Error! " + status_line_);
    return std::nullopt;
  }
  if (parsed->keep_alive) keep_alive_ = true;
  return parsed->body;
}

bool UQueryChannel::Login(std::string* error) {
  token_.clear();
  const auto body = RoundTrip(UQuery::kRequestKind, "", "", error);
  const auto token = body ? ReadUQueryLoginToken(*body) : std::nullopt;
  if (!token) {
    if (body) SetError(error, "login refused");
    Reset();
    return false;
  }
  token_ = *token;
  return true;
}

std::optional<ReceivedFrame> UQueryChannel::FrameOf(std::span<const uint8_t> body, FrameCodec& codec,
                                                    std::string* error) {
  const auto reply = ReadUQueryReplyBody(body);
  if (!reply || reply->payload.size() <= FrameHeader::kSize) {
    SetError(error, "RECV Error!");
    return std::nullopt;
  }
  MemoryStream stream(reply->payload);
  auto frame = codec.Receive(stream);
  if (!frame) SetError(error, "RECV Error!");
  return frame;
}

std::optional<ReceivedFrame> UQueryChannel::Exchange(uint32_t code, std::span<const uint8_t> body, uint32_t context,
                                                     FrameCodec& codec, std::string* error) {
  if (!HasSession() && !Login(error)) return std::nullopt;
  if (!codec.Encode(code, body, context, encoded_)) {
    SetError(error, "Malloc Error!");
    Reset();
    return std::nullopt;
  }
  const std::string text = Base64Encode({encoded_.data(), encoded_.size()});
  const auto response = RoundTrip(UQuery::kRequestKind, token_, text, error);
  auto frame = response ? FrameOf(*response, codec, error) : std::nullopt;
  if (!frame) Reset();
  return frame;
}

UQueryChannel::PollResult UQueryChannel::Poll(FrameCodec& codec, std::optional<ReceivedFrame>* frame,
                                              std::string* error) {
  if (!HasSession() && !Login(error)) return PollResult::kFailed;
  const auto response = RoundTrip(UQuery::kPollKind, token_, "", error);
  const auto reply = response ? ReadUQueryReplyBody(*response) : std::nullopt;
  if (!reply) {
    Reset();
    return PollResult::kFailed;
  }
  if (reply->count == UQuery::kSessionExpired) {
    token_.clear();
    return PollResult::kExpired;
  }
  if (reply->count <= 0) return PollResult::kNothing;
  *frame = FrameOf(*response, codec, error);
  if (!*frame) {
    Reset();
    return PollResult::kFailed;
  }
  return PollResult::kFrame;
}

}  // namespace orra
