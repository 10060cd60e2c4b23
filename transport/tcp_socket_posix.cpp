#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "transport/tcp_socket.h"

namespace orra {
namespace {

sockaddr_in MakeAddress(Ipv4Address address, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  return sa;
}

int Fd(intptr_t handle) { return static_cast<int>(handle); }

IoResult FromCount(ssize_t n) {
  if (n > 0) return {IoStatus::kOk, static_cast<size_t>(n)};
  if (n == 0) return {IoStatus::kClosed, 0};
  // The sockets block, so EAGAIN means the send or receive time-out ran out: a failure.
  if (errno == EINTR) return {IoStatus::kWouldBlock, 0};
  return {IoStatus::kFailed, 0};
}

}  // namespace

std::optional<Ipv4Address> ResolveIpv4(const char* host) {
  if (auto dotted = ParseDottedIpv4(host)) return dotted;
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

int TcpSocket::LastError() { return errno; }

std::optional<TcpSocket> TcpSocket::Create(int* error) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = errno;
    return std::nullopt;
  }
  return TcpSocket(fd);
}

std::optional<TcpSocket> TcpSocket::Listen(Ipv4Address address, uint16_t port, int* error) {
  auto socket = Create(error);
  if (!socket) return std::nullopt;
  const int yes = 1;
  setsockopt(Fd(socket->handle_), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  const sockaddr_in sa = MakeAddress(address, port);
  if (::bind(Fd(socket->handle_), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 ||
      ::listen(Fd(socket->handle_), 64) != 0) {
    if (error) *error = errno;
    return std::nullopt;
  }
  return socket;
}

void TcpSocket::Close() {
  if (handle_ == kNone) return;
  ::close(Fd(handle_));
  handle_ = kNone;
}

bool TcpSocket::Configure(bool no_delay, int timeout_ms) {
  const int flag = no_delay ? 1 : 0;
  timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  return setsockopt(Fd(handle_), IPPROTO_TCP, TCP_NODELAY, &flag, sizeof flag) == 0 &&
         setsockopt(Fd(handle_), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) == 0 &&
         setsockopt(Fd(handle_), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0;
}

int TcpSocket::Connect(Ipv4Address address, uint16_t port) {
  const sockaddr_in sa = MakeAddress(address, port);
  if (::connect(Fd(handle_), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0) return 0;
  if (errno == EINPROGRESS || errno == EWOULDBLOCK) return 0;
  return errno == 0 ? -1 : errno;
}

std::optional<TcpSocket> TcpSocket::Accept(int timeout_ms) {
  if (WaitReadable(timeout_ms) != Readiness::kReadable) return std::nullopt;
  const int fd = ::accept4(Fd(handle_), nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return std::nullopt;
  return TcpSocket(fd);
}

uint16_t TcpSocket::LocalPort() const {
  sockaddr_in sa{};
  socklen_t length = sizeof sa;
  if (getsockname(Fd(handle_), reinterpret_cast<sockaddr*>(&sa), &length) != 0) return 0;
  return ntohs(sa.sin_port);
}

IoResult TcpSocket::Receive(void* destination, size_t n) {
  if (handle_ == kNone) return {};
  return FromCount(::recv(Fd(handle_), destination, n, 0));
}

IoResult TcpSocket::Send(const void* bytes, size_t n) {
  if (handle_ == kNone) return {};
  return FromCount(::send(Fd(handle_), bytes, n, MSG_NOSIGNAL));
}

TcpSocket::Readiness TcpSocket::WaitReadable(int timeout_ms) {
  if (handle_ == kNone) return Readiness::kFailed;
  pollfd p{Fd(handle_), POLLIN, 0};
  const int rc = ::poll(&p, 1, timeout_ms);
  // A signal that cuts the wait short counts as a wait that saw nothing; the caller waits again.
  if (rc < 0) return errno == EINTR ? Readiness::kTimedOut : Readiness::kFailed;
  if (rc == 0) return Readiness::kTimedOut;
  if (p.revents & POLLNVAL) return Readiness::kFailed;
  return Readiness::kReadable;
}

void TcpSocket::Interrupt() {
  if (handle_ != kNone) ::shutdown(Fd(handle_), SHUT_RDWR);
}

void SleepMilliseconds(int ms) {
  timespec t{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

}  // namespace orra
