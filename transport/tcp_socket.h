#pragma once
// The TCP socket port: the few socket calls the transport makes, over IPv4. Winsock 2.2 on
// Windows, BSD sockets elsewhere (tcp_socket_win32.cpp / tcp_socket_posix.cpp). A TcpSocket owns
// its handle and closes it when it goes away. One thread uses a socket at a time, except
// Interrupt, which any thread may call to end a blocked call.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orra {

enum class IoStatus { kOk, kWouldBlock, kClosed, kFailed };

struct IoResult {
  IoStatus status = IoStatus::kFailed;
  size_t bytes = 0;
};

// An IPv4 address in host order (127.0.0.1 is 0x7F000001).
using Ipv4Address = uint32_t;

// A dotted IPv4 address ("a.b.c.d", each 0..255), without asking a resolver.
std::optional<Ipv4Address> ParseDottedIpv4(const char* host);
// The dotted form, or else the first IPv4 address the name resolves to.
std::optional<Ipv4Address> ResolveIpv4(const char* host);
std::string FormatIpv4(Ipv4Address address);

class TcpSocket {
 public:
  TcpSocket() = default;
  ~TcpSocket() { Close(); }
  TcpSocket(TcpSocket&& other) noexcept;
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // A new stream socket; on failure the system's error code goes to *error.
  static std::optional<TcpSocket> Create(int* error);
  // A socket listening on address:port (port 0 picks a free one).
  static std::optional<TcpSocket> Listen(Ipv4Address address, uint16_t port, int* error);

  bool IsOpen() const { return handle_ != kNone; }
  void Close();

  // TCP_NODELAY and the send and receive time-outs.
  bool Configure(bool no_delay, int timeout_ms);
  // A blocking connect; 0 on success, else the socket error code.
  int Connect(Ipv4Address address, uint16_t port);
  // The next connection of a listening socket, waiting at most timeout_ms.
  std::optional<TcpSocket> Accept(int timeout_ms);
  uint16_t LocalPort() const;

  IoResult Receive(void* destination, size_t n);
  IoResult Send(const void* bytes, size_t n);
  enum class Readiness {
    kReadable,  // data or an orderly close waiting
    kTimedOut,  // nothing within timeout_ms
    kFailed,    // the socket is closed or in error
  };
  Readiness WaitReadable(int timeout_ms);
  // Shuts both directions, making a call blocked on this socket in another thread return.
  void Interrupt();

  static int LastError();

 private:
  static constexpr intptr_t kNone = -1;
  explicit TcpSocket(intptr_t handle) : handle_(handle) {}
  intptr_t handle_ = kNone;
};

void SleepMilliseconds(int ms);

}  // namespace orra
