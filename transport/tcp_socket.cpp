#include "transport/tcp_socket.h"

#include <cstdio>

namespace orra {

std::optional<Ipv4Address> ParseDottedIpv4(const char* host) {
  if (host == nullptr) return std::nullopt;
  Ipv4Address address = 0;
  const char* p = host;
  for (int part = 0; part < 4; ++part) {
    if (*p < '0' || *p > '9') return std::nullopt;
    unsigned value = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9') {
      value = value * 10 + static_cast<unsigned>(*p++ - '0');
      if (++digits > 3 || value > 255) return std::nullopt;
    }
    address = (address << 8) | value;
    if (part < 3 && *p++ != '.') return std::nullopt;
  }
  if (*p != '\0') return std::nullopt;
  return address;
}

std::string FormatIpv4(Ipv4Address a) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (a >> 24) & 255, (a >> 16) & 255, (a >> 8) & 255, a & 255);
  return text;
}

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kNone;
  }
  return *this;
}

}  // namespace orra
