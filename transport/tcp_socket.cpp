#include "transport/tcp_socket.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "common/decimal_text.h"

namespace orra {

std::optional<Ipv4Address> ParseDottedIpv4(const char* host) {
  if (host == nullptr) return std::nullopt;
  // Each part is one to three decimal digits; a longer one is refused even when its value fits.
  constexpr int kParts = 4;
  constexpr size_t kMaxPartDigits = 3;
  constexpr DecimalRange kPartRange{0, 255};
  constexpr int kBitsPerPart = 8;
  std::string_view rest(host);
  Ipv4Address address = 0;
  for (int part = 0; part < kParts; ++part) {
    const size_t dot = part + 1 < kParts ? rest.find('.') : rest.size();
    if (dot == std::string_view::npos || dot > kMaxPartDigits) return std::nullopt;
    const std::optional<int64_t> value = ReadWholeDecimal(rest.substr(0, dot), kPartRange);
    if (!value) return std::nullopt;
    address = (address << kBitsPerPart) | static_cast<Ipv4Address>(*value);
    rest.remove_prefix(std::min(dot + 1, rest.size()));
  }
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
