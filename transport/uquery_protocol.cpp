#include "transport/uquery_protocol.h"

#include <cstdio>

#include "common/decimal_text.h"

namespace orra {
namespace {

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// A reply's count: a decimal number with an optional minus sign filling its field wholly, of
// at most twelve digits.
constexpr DecimalRange kCountRange{-999'999'999'999, 999'999'999'999};

}  // namespace

std::string MakeUQueryRequest(std::string_view host, int port, char kind, std::string_view token,
                              std::string_view text) {
  const size_t content = text.size() + (token.empty() ? 2 : 2 + UQuery::kTokenLength);
  std::string request;
  request.reserve(text.size() + 200);
  request += "POST /uQuery.dll HTTP/1.1\r\nhost:";
  request += host;
  // Piece by piece: MinGW's GCC 12 warns falsely (-Wrestrict) on a literal + std::string.
  request += ':';
  request += std::to_string(port);
  request += "\r\nuxs:1\r\nContent-Length:";
  request += std::to_string(content);
  request += "\r\n\r\n";
  request += kind;
  request += token;
  request += ';';
  request += text;
  return request;
}

bool UQueryResponseComplete(std::span<const uint8_t> response, size_t* trim) {
  *trim = 0;
  const std::string_view text = AsText(response);
  const size_t run = text.find(UQuery::kBlankRun);
  if (run == std::string_view::npos) return false;
  const size_t digits_at = run + UQuery::kBlankRun.size();
  const size_t comma = text.find(',', digits_at);
  if (comma == std::string_view::npos) return false;
  const auto count = ReadWholeDecimal(text.substr(digits_at, comma - digits_at), kCountRange);
  if (!count) return false;
  if (*count > 0) {
    return text.size() == UQuery::kStatusLength + UQuery::kBlankRun.size() + (comma - digits_at) + 1 +
                              static_cast<size_t>(*count);
  }
  if (text.find(UQuery::kBlankRun, comma) == std::string_view::npos) return false;
  *trim = UQuery::kBlankRun.size();
  return true;
}

std::optional<UQueryResponse> ReadUQueryResponse(std::span<const uint8_t> response) {
  const std::string_view text = AsText(response);
  if (text.substr(0, UQuery::kStatusLength) != UQuery::kStatusOk) return std::nullopt;
  UQueryResponse result;
  size_t start = text.find(UQuery::kBlankRun, UQuery::kStatusLength);
  if (start != std::string_view::npos) {
    start += UQuery::kBlankRun.size();
    result.keep_alive = true;
  } else {
    start = text.find("\r\n\r\n", UQuery::kStatusLength);
    if (start == std::string_view::npos) return std::nullopt;
    start += 4;
  }
  result.body = response.subspan(start);
  return result;
}

std::optional<UQueryReplyBody> ReadUQueryReplyBody(std::span<const uint8_t> body) {
  const std::string_view text = AsText(body);
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto count = ReadWholeDecimal(text.substr(0, comma), kCountRange);
  if (!count) return std::nullopt;
  UQueryReplyBody reply;
  reply.count = *count;
  const size_t rest = body.size() - comma - 1;
  if (*count > 0) {
    if (static_cast<uint64_t>(*count) != rest) return std::nullopt;
    reply.payload = body.subspan(comma + 1);
  } else if (rest != 0) {
    return std::nullopt;
  }
  return reply;
}

std::optional<std::string> ReadUQueryLoginToken(std::span<const uint8_t> body) {
  // "0," then the token, then at least one byte more (the server sends ",ok").
  constexpr size_t kTokenAt = 2;
  constexpr size_t kShortestReply = kTokenAt + UQuery::kTokenLength + 1;
  if (body.size() < kShortestReply || body[0] != '0') return std::nullopt;
  return std::string(reinterpret_cast<const char*>(body.data()) + kTokenAt, UQuery::kTokenLength);
}

}  // namespace orra
