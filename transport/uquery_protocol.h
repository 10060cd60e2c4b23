#pragma once
// The texts of the uQuery exchange, where every frame travels base64-encoded in an HTTP
// "POST /uQuery.dll" and the reply frame comes back in the response body as "N," and N bytes.
// Pure functions over bytes, shared by the client channel and the stand-in server.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orra {

struct UQuery {
  static constexpr char kRequestKind = '@';  // a login (empty token and text) or a request frame
  static constexpr char kPollKind = '#';
  static constexpr size_t kTokenLength = 8;
  static constexpr size_t kStatusLength = 15;
  static constexpr std::string_view kStatusOk = "HTTP/1.1 200 OK";
  static constexpr std::string_view kBlankRun = "\r\n\r\n\r\n";
  static constexpr int kSessionExpired = -9;
  // A response longer than this is not waited for: the exchange fails.
  static constexpr size_t kMaxResponse = (256u << 20) + 4096;
};

// The whole request text. `token` is empty for a login.
std::string MakeUQueryRequest(std::string_view host, int port, char kind, std::string_view token,
                              std::string_view text);

// Whether the bytes received so far make a whole response by the channel's rule: after the
// status line and the blank-line run, "N," and exactly N bytes for N > 0; for N <= 0 a second
// blank-line run, which *trim tells the caller to drop (6 bytes).
bool UQueryResponseComplete(std::span<const uint8_t> response, size_t* trim);

struct UQueryResponse {
  std::span<const uint8_t> body;
  bool keep_alive = false;  // the body followed a blank-line run
};
// The body of a whole response; nothing unless the status line is "HTTP/1.1 200 OK" and a
// blank line follows it.
std::optional<UQueryResponse> ReadUQueryResponse(std::span<const uint8_t> response);

struct UQueryReplyBody {
  int64_t count = 0;                 // N
  std::span<const uint8_t> payload;  // the N bytes (empty for N <= 0)
};
// "N," followed by exactly N bytes (N may be negative, with nothing after the comma).
std::optional<UQueryReplyBody> ReadUQueryReplyBody(std::span<const uint8_t> body);

// The session token of a login reply body: it starts with "0", has at least 11 bytes, and
// its bytes 2 to 9 are the token.
std::optional<std::string> ReadUQueryLoginToken(std::span<const uint8_t> body);

}  // namespace orra
