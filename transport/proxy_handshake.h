#pragma once
// The proxy handshakes that open a tunnel to the data server: HTTP CONNECT (with optional
// Basic credentials), SOCKS4 and SOCKS5 (RFC 1928, with RFC 1929 user name and password).
// They run over any ByteStream; every proxy answer is read in bounded pieces.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "transport/byte_stream.h"
#include "transport/connection_profile.h"
#include "transport/tcp_socket.h"

namespace orra {

// The most bytes an HTTP CONNECT reply may have before the tunnel opens.
constexpr size_t kHttpConnectReplyLimit = 8000;

// The CONNECT request for the profile's server; nothing when the credentials do not encode
// into the 128-byte field (more than 93 bytes of "user:password").
std::optional<std::string> HttpConnectRequest(const ConnectionProfile& profile);
// Whether a CONNECT reply (the bytes received, not necessarily terminated) opened the tunnel.
bool HttpConnectAccepted(std::span<const uint8_t> reply);

bool HttpConnectHandshake(ByteStream& stream, const ConnectionProfile& profile);
bool Socks5Handshake(ByteStream& stream, const ConnectionProfile& profile, Ipv4Address server);
bool Socks4Handshake(ByteStream& stream, const ConnectionProfile& profile, Ipv4Address server);

// Runs the handshake the profile's proxy kind selects (none for kind 0 or only bit 8);
// `server` is the data server's resolved address for the SOCKS requests.
bool RunProxyHandshake(ByteStream& stream, const ConnectionProfile& profile, Ipv4Address server);

}  // namespace orra
