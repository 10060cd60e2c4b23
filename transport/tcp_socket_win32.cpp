#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <mutex>

#include "transport/tcp_socket.h"

namespace orra {
namespace {

// Winsock 2.2 is started once for the process; the add-in's start-up may have started it too
// (WSAStartup counts its callers).
void EnsureWinsock() {
  static std::once_flag once;
  std::call_once(once, [] {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  });
}

SOCKET Handle(intptr_t h) { return static_cast<SOCKET>(h); }

sockaddr_in MakeAddress(Ipv4Address address, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  return sa;
}

IoResult FromCount(int n) {
  if (n > 0) return {IoStatus::kOk, static_cast<size_t>(n)};
  if (n == 0) return {IoStatus::kClosed, 0};
  const int error = WSAGetLastError();
  if (error == WSAEWOULDBLOCK || error == WSAEINTR) return {IoStatus::kWouldBlock, 0};
  return {IoStatus::kFailed, 0};
}

int Chunk(size_t n) { return n > 0x40000000 ? 0x40000000 : static_cast<int>(n); }

}  // namespace

std::optional<Ipv4Address> ResolveIpv4(const char* host) {
  if (auto dotted = ParseDottedIpv4(host)) return dotted;
  EnsureWinsock();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host == nullptr || getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  const auto* sa = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  const Ipv4Address address = ntohl(sa->sin_addr.s_addr);
  freeaddrinfo(found);
  return address;
}

int TcpSocket::LastError() { return WSAGetLastError(); }

std::optional<TcpSocket> TcpSocket::Create(int* error) {
  EnsureWinsock();
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    if (error) *error = WSAGetLastError();
    return std::nullopt;
  }
  return TcpSocket(static_cast<intptr_t>(s));
}

std::optional<TcpSocket> TcpSocket::Listen(Ipv4Address address, uint16_t port, int* error) {
  auto socket = Create(error);
  if (!socket) return std::nullopt;
  const BOOL exclusive = TRUE;
  setsockopt(Handle(socket->handle_), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  const sockaddr_in sa = MakeAddress(address, port);
  if (::bind(Handle(socket->handle_), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 ||
      ::listen(Handle(socket->handle_), 64) != 0) {
    if (error) *error = WSAGetLastError();
    return std::nullopt;
  }
  return socket;
}

void TcpSocket::Close() {
  if (handle_ == kNone) return;
  ::closesocket(Handle(handle_));
  handle_ = kNone;
}

bool TcpSocket::Configure(bool no_delay, int timeout_ms) {
  const BOOL flag = no_delay ? TRUE : FALSE;
  const DWORD timeout = static_cast<DWORD>(timeout_ms);
  return setsockopt(Handle(handle_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&flag), sizeof flag) == 0 &&
         setsockopt(Handle(handle_), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout) == 0 &&
         setsockopt(Handle(handle_), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout) == 0;
}

int TcpSocket::Connect(Ipv4Address address, uint16_t port) {
  const sockaddr_in sa = MakeAddress(address, port);
  if (::connect(Handle(handle_), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0) return 0;
  const int error = WSAGetLastError();
  return error == WSAEWOULDBLOCK ? 0 : error;
}

std::optional<TcpSocket> TcpSocket::Accept(int timeout_ms) {
  if (WaitReadable(timeout_ms) != Readiness::kReadable) return std::nullopt;
  const SOCKET s = ::accept(Handle(handle_), nullptr, nullptr);
  if (s == INVALID_SOCKET) return std::nullopt;
  return TcpSocket(static_cast<intptr_t>(s));
}

uint16_t TcpSocket::LocalPort() const {
  sockaddr_in sa{};
  int length = sizeof sa;
  if (getsockname(Handle(handle_), reinterpret_cast<sockaddr*>(&sa), &length) != 0) return 0;
  return ntohs(sa.sin_port);
}

IoResult TcpSocket::Receive(void* destination, size_t n) {
  if (handle_ == kNone) return {};
  return FromCount(::recv(Handle(handle_), static_cast<char*>(destination), Chunk(n), 0));
}

IoResult TcpSocket::Send(const void* bytes, size_t n) {
  if (handle_ == kNone) return {};
  return FromCount(::send(Handle(handle_), static_cast<const char*>(bytes), Chunk(n), 0));
}

TcpSocket::Readiness TcpSocket::WaitReadable(int timeout_ms) {
  if (handle_ == kNone) return Readiness::kFailed;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Handle(handle_), &readable);
  timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  const int rc = ::select(0, &readable, nullptr, nullptr, &tv);
  if (rc == SOCKET_ERROR) return Readiness::kFailed;
  return rc > 0 ? Readiness::kReadable : Readiness::kTimedOut;
}

void TcpSocket::Interrupt() {
  if (handle_ != kNone) ::shutdown(Handle(handle_), SD_BOTH);
}

void SleepMilliseconds(int ms) { ::Sleep(static_cast<DWORD>(ms)); }

}  // namespace orra
