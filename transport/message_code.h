#pragma once
// What a frame's body is. Codes the add-in does not know are still delivered to the
// completion handler, so this is a set of named values rather than a closed enumeration.

#include <cstdint>

namespace orra {

struct MessageCode {
  static constexpr uint32_t kQuery = 0x10010;      // query payload out, query reply back
  static constexpr uint32_t kHeartbeat = 0x10001;  // heartbeat payload, to the server
  static constexpr uint32_t kPushQuote = 0x91002;  // first push handler (none installed)
  static constexpr uint32_t kPushQuoteAlt = 0x91018;
  static constexpr uint32_t kPushNotice = 0x91022;  // second push handler (none installed)

  static bool IsPush(uint32_t code) { return code == kPushQuote || code == kPushQuoteAlt || code == kPushNotice; }
};

}  // namespace orra
