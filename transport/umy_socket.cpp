#include "transport/umy_socket.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/text_conversion.h"
#include "common/utf8.h"
#include "transport/proxy_handshake.h"

namespace orra {
namespace {

void SetError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

// The texts are written in UTF-8 here and handed out in GBK, like every narrow text of the add-in.
std::string Printf(const char* utf8_format, const char* host, int port, int code) {
  char text[256];
  std::snprintf(text, sizeof text, utf8_format, host, port, code);
  return ToNarrowString(FromUtf8(text));
}

}  // namespace

bool UMySocket::Connect(const ConnectionProfile& profile, const Env& env, std::string* error) {
  Close();
  int code = 0;
  auto created = TcpSocket::Create(&code);
  if (!created) {
    SetError(error, "socket() failed, Error=" + std::to_string(code));
    return false;
  }
  socket_ = std::move(*created);
  socket_.Configure(true, kIoTimeoutMs);

  const bool via_proxy = profile.proxy_kind() != ProxyKind::kNone;
  const char* target_host = via_proxy ? profile.proxy_host : profile.server_host;
  const int target_port = via_proxy ? profile.proxy_port : static_cast<int>(profile.server_port & 0xFFFF);
  env.DebugPrintf("[UMySocket::Connect] Connect to [%s:%d]\r\n", target_host, target_port);

  const auto target = ResolveIpv4(target_host);
  const int connect_error = target ? socket_.Connect(*target, static_cast<uint16_t>(target_port)) : -1;
  if (connect_error != 0) {
    SetError(error, Printf("服务器:%s:%d连接失败, Error=%d", target_host, target_port, connect_error));
    Close();
    return false;
  }
  if (via_proxy) {
    const auto server = ResolveIpv4(profile.server_host);
    if (!server || !RunProxyHandshake(*this, profile, *server)) {
      SetError(error, Printf("代理服务器:%s:%d通讯失败", profile.server_host, static_cast<int>(profile.server_port), 0));
      Close();
      return false;
    }
  }
  return true;
}

void UMySocket::Adopt(TcpSocket socket) {
  Close();
  socket_ = std::move(socket);
  socket_.Configure(true, kIoTimeoutMs);
}

void UMySocket::Close() {
  socket_.Close();
  received_.Release();
  read_at_ = 0;
  queued_.Release();
}

bool UMySocket::IsBroken() {
  if (!socket_.IsOpen()) return true;
  if (socket_.WaitReadable(0) == TcpSocket::Readiness::kFailed) {
    Close();
    return true;
  }
  return false;
}

bool UMySocket::HasData() { return WaitForData(0); }

bool UMySocket::WaitForData(int timeout_ms) {
  return BufferedBytes() > 0 || socket_.WaitReadable(timeout_ms) == TcpSocket::Readiness::kReadable;
}

size_t UMySocket::TakeBuffered(void* destination, size_t n) {
  const size_t take = std::min(n, BufferedBytes());
  if (take > 0) std::memcpy(destination, received_.data() + read_at_, take);
  read_at_ += take;
  if (read_at_ == received_.size()) {
    received_.Clear();
    read_at_ = 0;
  }
  return take;
}

bool UMySocket::ReceiveIntoBuffer() {
  // What is left untaken (less than a read asked for) moves to the front once per receive.
  received_.Consume(read_at_);
  read_at_ = 0;
  if (received_.capacity() < kReadAhead && !received_.Reserve(kReadAhead)) return false;
  const size_t held = received_.size();
  const IoResult got = socket_.Receive(received_.data() + held, received_.capacity() - held);
  if (got.status == IoStatus::kOk) received_.SetLength(held + got.bytes);
  return got.status == IoStatus::kOk || got.status == IoStatus::kWouldBlock;
}

bool UMySocket::ReadExactly(void* destination, size_t n) {
  if (BufferedBytes() >= n) return TakeBuffered(destination, n) == n;
  if (!socket_.IsOpen() || !ReceiveIntoBuffer()) return false;
  if (BufferedBytes() >= n) return TakeBuffered(destination, n) == n;

  auto* out = static_cast<uint8_t*>(destination);
  size_t have = TakeBuffered(out, n);
  while (have < n) {
    const IoResult got = socket_.Receive(out + have, n - have);
    if (got.status == IoStatus::kWouldBlock) {
      SleepMilliseconds(1);
      continue;
    }
    if (got.status != IoStatus::kOk) return false;
    have += got.bytes;
  }
  return true;
}

IoResult UMySocket::ReceiveSome(void* destination, size_t n) {
  if (BufferedBytes() > 0) return {IoStatus::kOk, TakeBuffered(destination, n)};
  return socket_.Receive(destination, n);
}

bool UMySocket::SendAll(const void* bytes, size_t n) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  size_t sent = 0;
  while (sent < n) {
    const IoResult put = socket_.Send(p + sent, n - sent);
    if (put.status == IoStatus::kWouldBlock) {
      SleepMilliseconds(1);
      continue;
    }
    if (put.status != IoStatus::kOk) return false;
    sent += put.bytes;
  }
  return true;
}

bool UMySocket::Queue(const void* bytes, size_t n) { return queued_.Append(bytes, n); }

bool UMySocket::Flush() {
  const bool sent = SendAll(queued_.data(), queued_.size());
  // Kept for the next batch: a server gathering answers queues and flushes thousands of times.
  queued_.Clear();
  return sent;
}

}  // namespace orra
