#pragma once
// The body of a query frame (code 0x10010 to the server): a 128-byte head naming the service,
// the serialised query document, and one zero byte.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orra {

class dozodavu_config;

struct QueryPayloadLayout {
  static constexpr size_t kServiceOffset = 64;
  static constexpr size_t kServiceWidth = 32;
  static constexpr size_t kDocumentSizeOffset = 108;
  static constexpr size_t kHeadSize = 128;
  // Payload bytes beyond the document: the head and the closing zero.
  static constexpr size_t kOverhead = kHeadSize + 1;
};

// Writes the payload for `document` into `destination` (at least document.Size() + 129
// bytes, zero-filled). The service name is GBK, cut to 31 bytes. Answers the payload length.
size_t WriteQueryPayload(uint8_t* destination, std::string_view service_gbk, const dozodavu_config& document);

struct QueryPayloadView {
  std::string service;                 // GBK
  std::span<const uint8_t> document;   // the serialised document
};

// The server's reading of a query payload; nothing when the document size passes the end.
std::optional<QueryPayloadView> ReadQueryPayload(std::span<const uint8_t> payload);

}  // namespace orra
