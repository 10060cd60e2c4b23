#include "transport/connection_profile.h"

#include <cstdlib>
#include <cstring>

#include "common/decimal_text.h"

namespace orra {
namespace {
void CopyField(char* field, size_t width, std::string_view text) {
  std::memset(field, 0, width);
  // copy, unlike memcpy, takes the null data of an empty view.
  text.copy(field, text.size() < width ? text.size() : width - 1);
}
}  // namespace

void ConnectionProfile::SetServer(std::string_view host, uint32_t port) {
  CopyField(server_host, sizeof server_host, host);
  server_port = port;
  const std::string display = std::string(server_host) + ":" + std::to_string(port);
  CopyField(server_display, sizeof server_display, display);
}

void ConnectionProfile::SetProxy(uint32_t kind, std::string_view host, uint16_t port, std::string_view user,
                                 std::string_view password) {
  flags = (flags & ~ProxyKind::kMask) | (kind & ProxyKind::kMask);
  CopyField(proxy_host, sizeof proxy_host, host);
  proxy_port = port;
  CopyField(proxy_user, sizeof proxy_user, user);
  CopyField(proxy_password, sizeof proxy_password, password);
}

ConnectionProfile ConnectionProfile::AddinDefault(std::string_view server_override) {
  ConnectionProfile profile;
  std::string host = kDefaultHost;
  uint16_t port = kDefaultPort;
  if (!server_override.empty() && !SplitHostPort(server_override, &host, &port, kDefaultPort)) {
    host = kDefaultHost;
    port = kDefaultPort;
  }
  profile.SetServer(host, port);
  return profile;
}

ConnectionProfile ConnectionProfile::AddinFromEnvironment() {
  const char* server = std::getenv("ORRA_SERVER");
  return AddinDefault(server != nullptr ? server : "");
}

bool SplitHostPort(std::string_view text, std::string* host, uint16_t* port, uint16_t default_port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) {
    if (text.empty()) return false;
    *host = std::string(text);
    *port = default_port;
    return true;
  }
  if (colon == 0) return false;
  // Port 0 would ask the system for any port, which names no server.
  constexpr DecimalRange kPortRange{1, 65535};
  const std::optional<int64_t> value = ReadWholeDecimal(text.substr(colon + 1), kPortRange);
  if (!value) return false;
  *host = std::string(text.substr(0, colon));
  *port = static_cast<uint16_t>(*value);
  return true;
}

}  // namespace orra
