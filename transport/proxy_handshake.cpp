#include "transport/proxy_handshake.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "transport/base64.h"

namespace orra {
namespace {

constexpr std::string_view kEstablished = "Connection established";
constexpr std::string_view kHeaderEnd = "\r\n\r\n";

bool Contains(std::span<const uint8_t> bytes, std::string_view needle) {
  const std::string_view haystack(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return haystack.find(needle) != std::string_view::npos;
}

uint16_t ServerPort(const ConnectionProfile& profile) { return static_cast<uint16_t>(profile.server_port); }

void PutAddressAndPort(std::vector<uint8_t>& out, Ipv4Address address, uint16_t port, bool port_first) {
  const uint8_t port_bytes[2] = {static_cast<uint8_t>(port >> 8), static_cast<uint8_t>(port)};
  const uint8_t address_bytes[4] = {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
                                    static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
  if (port_first) out.insert(out.end(), port_bytes, port_bytes + 2);
  out.insert(out.end(), address_bytes, address_bytes + 4);
  if (!port_first) out.insert(out.end(), port_bytes, port_bytes + 2);
}

bool SendBytes(ByteStream& stream, const std::vector<uint8_t>& bytes) { return stream.SendAll(bytes.data(), bytes.size()); }

bool Socks5Authenticate(ByteStream& stream, const ConnectionProfile& profile) {
  const std::string_view user = profile.proxy_user;
  const std::string_view password = profile.proxy_password;
  std::vector<uint8_t> request{0x01, static_cast<uint8_t>(user.size())};
  request.insert(request.end(), user.begin(), user.end());
  request.push_back(static_cast<uint8_t>(password.size()));
  request.insert(request.end(), password.begin(), password.end());
  uint8_t reply[2];
  return SendBytes(stream, request) && stream.ReadExactly(reply, 2) && reply[0] == 0x01 && reply[1] == 0x00;
}

// The bound address and port after the 4-byte reply head, whose last byte names the address kind.
bool Socks5SkipBoundAddress(ByteStream& stream, uint8_t address_type) {
  size_t length = 0;
  if (address_type == 0x01) {
    length = 4;
  } else if (address_type == 0x04) {
    length = 16;
  } else if (address_type == 0x03) {
    uint8_t name_length = 0;
    if (!stream.ReadExactly(&name_length, 1)) return false;
    length = name_length;
  } else {
    return false;
  }
  uint8_t rest[256 + 2];
  return stream.ReadExactly(rest, length + 2);
}

}  // namespace

std::optional<std::string> HttpConnectRequest(const ConnectionProfile& profile) {
  char request[512];
  if (profile.proxy_user[0] == '\0') {
    std::snprintf(request, sizeof request, "CONNECT %s:%d HTTP/1.0\r\nUser-Agent:rmtcmd/0.1\r\n\r\n",
                  profile.server_host, static_cast<int>(profile.server_port));
    return std::string(request);
  }
  char credentials[128];
  const int n = std::snprintf(credentials, sizeof credentials, "%s:%s", profile.proxy_user, profile.proxy_password);
  if (n < 0 || n > 127) return std::nullopt;
  char encoded[128];
  if (Base64Encode(encoded, credentials, static_cast<size_t>(n), '=', sizeof encoded) == 0) return std::nullopt;
  std::snprintf(request, sizeof request,
                "CONNECT %s:%d HTTP/1.0\r\nProxy-Authorization:Basic %s\r\nUser-Agent:rmtcmd/0.1\r\n\r\n",
                profile.server_host, static_cast<int>(profile.server_port), encoded);
  return std::string(request);
}

bool HttpConnectAccepted(std::span<const uint8_t> reply) { return !reply.empty() && Contains(reply, kEstablished); }

bool HttpConnectHandshake(ByteStream& stream, const ConnectionProfile& profile) {
  const auto request = HttpConnectRequest(profile);
  if (!request || !stream.SendAll(request->data(), request->size())) return false;
  // A reply may arrive in pieces: gather until its blank line, bounded by the limit. Nothing is
  // read past the blank line's receive, and the server says nothing before the client does.
  std::vector<uint8_t> reply(kHttpConnectReplyLimit);
  size_t held = 0;
  for (int interrupted = 0; held < reply.size() && interrupted < 100;) {
    const IoResult got = stream.ReceiveSome(reply.data() + held, reply.size() - held);
    if (got.status == IoStatus::kWouldBlock) {
      ++interrupted;
      continue;
    }
    if (got.status != IoStatus::kOk) break;
    held += got.bytes;
    if (Contains({reply.data(), held}, kHeaderEnd)) break;
  }
  return HttpConnectAccepted({reply.data(), held});
}

bool Socks5Handshake(ByteStream& stream, const ConnectionProfile& profile, Ipv4Address server) {
  const uint8_t greeting[4] = {0x05, 0x02, 0x00, 0x02};
  uint8_t choice[2];
  if (!stream.SendAll(greeting, sizeof greeting) || !stream.ReadExactly(choice, 2)) return false;
  if (choice[0] != 0x05 || (choice[1] != 0x00 && choice[1] != 0x02)) return false;
  if (choice[1] == 0x02 && !Socks5Authenticate(stream, profile)) return false;
  std::vector<uint8_t> connect{0x05, 0x01, 0x00, 0x01};
  PutAddressAndPort(connect, server, ServerPort(profile), false);
  uint8_t head[4];
  if (!SendBytes(stream, connect) || !stream.ReadExactly(head, 4)) return false;
  if (head[0] != 0x05 || head[1] != 0x00) return false;
  return Socks5SkipBoundAddress(stream, head[3]);
}

bool Socks4Handshake(ByteStream& stream, const ConnectionProfile& profile, Ipv4Address server) {
  std::vector<uint8_t> request{0x04, 0x01};
  PutAddressAndPort(request, server, ServerPort(profile), true);
  request.push_back(0x00);  // empty user id
  uint8_t reply[8];
  return SendBytes(stream, request) && stream.ReadExactly(reply, 8) && reply[0] == 0x00 && reply[1] == 0x5A;
}

bool RunProxyHandshake(ByteStream& stream, const ConnectionProfile& profile, Ipv4Address server) {
  const uint32_t kind = profile.proxy_kind();
  if (kind & ProxyKind::kHttpConnect) return HttpConnectHandshake(stream, profile);
  if (kind & ProxyKind::kSocks5) return Socks5Handshake(stream, profile, server);
  if (kind & ProxyKind::kSocks4) return Socks4Handshake(stream, profile, server);
  return true;
}

}  // namespace orra
