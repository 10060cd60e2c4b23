#pragma once
// Where and how to reach the data server: 396 bytes, little-endian, in the layout the
// terminal's profiles use. Plain bytes, copied freely.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orra {

struct ProxyKind {
  static constexpr uint32_t kNone = 0;
  static constexpr uint32_t kHttpConnect = 1;
  static constexpr uint32_t kSocks4 = 2;
  static constexpr uint32_t kSocks5 = 4;
  static constexpr uint32_t kMask = 0xF;
};

struct ConnectionProfile {
  static constexpr uint32_t kUQueryMode = 0x100;
  static constexpr uint16_t kDefaultPort = 9911;
  static constexpr const char* kDefaultHost = "127.0.0.1";

  uint32_t flags = 0;                 //   0: proxy kind in bits 0..3, kUQueryMode
  char server_host[32] = {};          //   4
  char server_display[32] = {};       //  36: "host:port"
  uint32_t server_port = 0;           //  68
  char proxy_host[64] = {};           //  72
  uint16_t proxy_port = 0;            // 136
  uint16_t reserved_after_port = 0;   // 138
  char proxy_user[64] = {};           // 140: empty means no proxy authentication
  char proxy_password[64] = {};       // 204
  uint8_t reserved_tail[128] = {};    // 268

  uint32_t proxy_kind() const { return flags & ProxyKind::kMask; }
  bool uquery_mode() const { return (flags & kUQueryMode) != 0; }

  // Sets the server host (cut to 31 bytes) and port, and the display text.
  void SetServer(std::string_view host, uint32_t port);
  void SetProxy(uint32_t kind, std::string_view host, uint16_t port, std::string_view user = {},
                std::string_view password = {});

  // The add-in's own profile: binary mode, no proxy, the default host on port 9911, with
  // `server_override` ("host" or "host:port", from ORRA_SERVER) applied when not empty.
  static ConnectionProfile AddinDefault(std::string_view server_override);
  // AddinDefault with the environment variable ORRA_SERVER as the override.
  static ConnectionProfile AddinFromEnvironment();
};

static_assert(sizeof(ConnectionProfile) == 396, "the profile is a fixed 396-byte layout");
static_assert(offsetof(ConnectionProfile, server_port) == 68);
static_assert(offsetof(ConnectionProfile, proxy_host) == 72);
static_assert(offsetof(ConnectionProfile, proxy_port) == 136);
static_assert(offsetof(ConnectionProfile, proxy_user) == 140);
static_assert(offsetof(ConnectionProfile, proxy_password) == 204);
static_assert(offsetof(ConnectionProfile, reserved_tail) == 268);

// "host" or "host:port" into its parts; false when the port is not 1..65535.
bool SplitHostPort(std::string_view text, std::string* host, uint16_t* port, uint16_t default_port);

}  // namespace orra
