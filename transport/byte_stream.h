#pragma once
// The stream operations the proxy handshakes and the framing layer need from a connection,
// so that they run the same over a socket and over bytes in memory (tests, fuzzing).

#include <cstddef>

#include "transport/tcp_socket.h"

namespace orra {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Exactly n bytes, or false.
  virtual bool ReadExactly(void* destination, size_t n) = 0;
  // One receive of at most n bytes.
  virtual IoResult ReceiveSome(void* destination, size_t n) = 0;
  // All n bytes, or false.
  virtual bool SendAll(const void* bytes, size_t n) = 0;
};

}  // namespace orra
