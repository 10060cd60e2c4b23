#include "tools/orra-server/stand_in_server.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string_view>

#include "common/decimal_text.h"
#include "transport/base64.h"
#include "transport/memory_stream.h"
#include "transport/message_code.h"
#include "transport/uquery_protocol.h"
#include "transport/wire_bytes.h"

namespace orra::server {
namespace {

constexpr int kPollMs = 50;
// Answers gathered before they are sent even while more queries are read ahead.
constexpr size_t kMaxGatheredBytes = 256 * 1024;
constexpr size_t kMaxHttpHead = 64 * 1024;
constexpr size_t kMaxHttpBody = 512u << 20;

std::string Response(const std::string& body, bool closing_run) {
  std::string response = std::string(UQuery::kStatusOk) + std::string(UQuery::kBlankRun) + body;
  if (closing_run) response += UQuery::kBlankRun;
  return response;
}

// The value of a header line named `name` (case-insensitive) when it is a whole decimal number
// in `range`, blanks around it allowed.
std::optional<int64_t> HeaderNumber(const std::string& head, const std::string& name, DecimalRange range) {
  std::string lower = head;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  const size_t at = lower.find("\r\n" + name + ":");
  if (at == std::string::npos) return std::nullopt;
  const size_t begin = at + 3 + name.size();
  const size_t end = std::min(lower.find("\r\n", begin), lower.size());
  std::string_view value = std::string_view(lower).substr(begin, end - begin);
  constexpr std::string_view kBlanks = " \t";
  value.remove_prefix(std::min(value.find_first_not_of(kBlanks), value.size()));
  value.remove_suffix(value.size() - std::min(value.find_last_not_of(kBlanks) + 1, value.size()));
  return ReadWholeDecimal(value, range);
}

// Waits for bytes while the server runs; false when it is stopping or the wait failed.
bool AwaitData(UMySocket& connection, const std::atomic<bool>& stopping) {
  while (!stopping.load()) {
    if (connection.IsBroken()) return false;
    if (connection.WaitForData(kPollMs)) return true;
  }
  return false;
}

// True when the read-ahead holds a whole frame, so that answering it needs no wait.
bool WholeFrameBuffered(std::span<const uint8_t> buffered) {
  if (buffered.size() < FrameHeader::kSize) return false;
  const FrameHeader header = FrameHeader::Decode(buffered.data());
  const uint64_t body = header.packed_length != 0 ? header.packed_length : header.body_length;
  return buffered.size() - FrameHeader::kSize >= body;
}

bool Trickle(UMySocket& connection, const uint8_t* bytes, size_t n) {
  for (size_t at = 0; at < n; at += 3) {
    if (!connection.SendAll(bytes + at, std::min<size_t>(3, n - at))) return false;
    SleepMilliseconds(1);
  }
  return true;
}

}  // namespace

bool StandInServer::Start(const ServerOptions& options, std::string* error) {
  int code = 0;
  auto listener = TcpSocket::Listen(options.bind, options.port, &code);
  if (!listener) {
    *error = "cannot listen on " + FormatIpv4(options.bind) + ":" + std::to_string(options.port) + " (error " +
             std::to_string(code) + "); is the port in use?";
    return false;
  }
  listener_ = std::move(*listener);
  port_ = listener_.LocalPort();
  if (options.uquery) {
    auto uquery = TcpSocket::Listen(options.bind, options.uquery_port, &code);
    if (!uquery) {
      *error = "cannot listen for uQuery on " + FormatIpv4(options.bind) + ":" + std::to_string(options.uquery_port) +
               " (error " + std::to_string(code) + ")";
      listener_.Close();
      return false;
    }
    uquery_listener_ = std::move(*uquery);
    uquery_port_ = uquery_listener_.LocalPort();
  }
  {
    MutexLock lock(mutex_);
    if (!options.log_path.empty()) {
      log_.open(options.log_path, std::ios::app);
      if (!log_) {
        *error = "cannot write the log file " + options.log_path;
        return false;
      }
    }
    fault_ = options.fault;
  }
  stopping_ = false;
  acceptor_ = std::thread(&StandInServer::AcceptLoop, this);
  return true;
}

void StandInServer::Stop() {
  if (!acceptor_.joinable()) return;
  stopping_ = true;
  acceptor_.join();
  for (Worker& worker : workers_) worker.thread.join();
  workers_.clear();
  listener_.Close();
  uquery_listener_.Close();
}

void StandInServer::AcceptLoop() {
  while (!stopping_.load()) {
    workers_.remove_if([](Worker& w) {
      if (!w.done.load()) return false;
      w.thread.join();
      return true;
    });
    if (auto accepted = listener_.Accept(kPollMs)) Spawn(std::move(*accepted), false);
    if (uquery_listener_.IsOpen()) {
      if (auto accepted = uquery_listener_.Accept(0)) Spawn(std::move(*accepted), true);
    }
  }
}

void StandInServer::Spawn(TcpSocket socket, bool uquery) {
  {
    MutexLock lock(mutex_);
    ++stats_.connections;
  }
  Log(uquery ? "uquery connection" : "connection");
  Worker& worker = workers_.emplace_back();
  auto shared = std::make_shared<TcpSocket>(std::move(socket));
  worker.thread = std::thread([this, shared, uquery, &worker] {
    try {
      UMySocket connection;
      connection.Adopt(std::move(*shared));
      if (uquery) ServeUQuery(connection); else ServeBinary(connection);
    } catch (...) {
      Log("connection ended by an unexpected error");
    }
    worker.done = true;
  });
}

void StandInServer::ServeBinary(UMySocket& connection) {
  FrameCodec codec(traffic_);
  ByteBuffer encoded;
  int replies = 0;
  if (CurrentFault().kind == Fault::Kind::kCloseAfter && CurrentFault().count == 0) return;
  while (!stopping_.load()) {
    // Answers wait while whole queries are read ahead, then leave in one send: a send per
    // answer would cost the add-in a wake-up and a receive per answer.
    if (!WholeFrameBuffered(connection.Buffered())) {
      if (!connection.Flush() || !AwaitData(connection, stopping_)) return;
    }
    const auto frame = codec.Receive(connection);
    if (!frame) return;
    if (frame->header.code == MessageCode::kHeartbeat) {
      MutexLock lock(mutex_);
      ++stats_.heartbeats;
      continue;
    }
    if (frame->header.code != MessageCode::kQuery) continue;
    const auto query = ParseQuery(frame->body);
    Log("query " + (query ? query->path : std::string("(unreadable)")));
    const auto reply = data_.AnswerPayload(frame->body);
    {
      MutexLock lock(mutex_);
      ++stats_.queries;
    }
    if (!SendReply(connection, codec, frame->header.context, reply, replies++, encoded)) return;
    if (connection.QueuedBytes() >= kMaxGatheredBytes && !connection.Flush()) return;
  }
}

bool StandInServer::SendReply(UMySocket& connection, FrameCodec& codec, uint32_t context,
                              std::span<const uint8_t> reply, int replies_sent, ByteBuffer& frame) {
  const Fault fault = CurrentFault();
  codec.set_stamp(0x51A70000u + static_cast<uint32_t>(replies_sent));
  if (!codec.Encode(MessageCode::kQuery, reply, context, frame)) return false;
  // A fault acts on the bytes of this answer alone: what was gathered before goes first.
  if (fault.kind != Fault::Kind::kNone && !connection.Flush()) return false;
  uint8_t* bytes = frame.data();
  const size_t n = frame.size();
  switch (fault.kind) {
    case Fault::Kind::kDropMidHeader:
      connection.SendAll(bytes, FrameHeader::kSize / 2);
      return false;
    case Fault::Kind::kDropMidBody:
      connection.SendAll(bytes, FrameHeader::kSize + (n - FrameHeader::kSize) / 2);
      return false;
    case Fault::Kind::kCorruptZlib:
      for (size_t i = FrameHeader::kSize + 2; i < n; i += 3) bytes[i] ^= 0xA5;
      return connection.SendAll(bytes, n);
    case Fault::Kind::kWrongLength:
      PutU32(bytes + 8, GetU32(bytes + 8) + 1);
      return connection.SendAll(bytes, n);
    case Fault::Kind::kHugeLength:
      PutU32(bytes + 8, 0x7FFFFFF0u);
      PutU32(bytes + 12, 0);
      return connection.SendAll(bytes, FrameHeader::kSize);
    case Fault::Kind::kSlow:
      return Trickle(connection, bytes, n);
    case Fault::Kind::kCloseAfter:
      return connection.SendAll(bytes, n) && replies_sent + 1 < fault.count;
    case Fault::Kind::kNone:
      break;
  }
  return connection.Queue(bytes, n);
}

void StandInServer::ServeUQuery(UMySocket& connection) {
  std::string head;
  while (AwaitData(connection, stopping_)) {
    // The request head, byte by byte up to its blank line: the body may follow in the same packet.
    head.clear();
    char c = 0;
    while (head.size() < kMaxHttpHead && !head.ends_with("\r\n\r\n")) {
      if (!connection.ReadExactly(&c, 1)) return;
      head.push_back(c);
    }
    const std::optional<int64_t> length = HeaderNumber(head, "content-length", {0, kMaxHttpBody});
    if (!head.starts_with("POST /uQuery.dll ") || !length) return;
    std::string body(static_cast<size_t>(*length), '\0');
    if (!connection.ReadExactly(body.data(), body.size())) return;
    const std::string response = UQueryBody(body);
    if (CurrentFault().kind == Fault::Kind::kSlow) {
      if (!Trickle(connection, reinterpret_cast<const uint8_t*>(response.data()), response.size())) return;
    } else if (!connection.SendAll(response.data(), response.size())) {
      return;
    }
  }
}

std::string StandInServer::UQueryBody(const std::string& body) {
  const size_t semicolon = body.find(';');
  if (body.empty() || semicolon == std::string::npos) return Response("-1,", true);
  const char kind = body[0];
  const std::string token = body.substr(1, semicolon - 1);
  const std::string text = body.substr(semicolon + 1);
  if (kind == UQuery::kRequestKind && token.empty() && text.empty()) {
    const std::string fresh = NewToken();
    Log("uquery login " + fresh);
    return Response("0," + fresh + ",ok", true);
  }
  bool known = false;
  {
    MutexLock lock(mutex_);
    known = tokens_.count(token) > 0;
    if (kind == UQuery::kPollKind) ++stats_.polls; else ++stats_.uquery_requests;
  }
  if (!known) return Response(std::to_string(UQuery::kSessionExpired) + ",", true);
  if (kind == UQuery::kPollKind) return Response("0,", true);

  const auto decoded = Base64Decode(text);
  if (!decoded) return Response("-1,", true);
  MemoryStream stream(*decoded);
  FrameCodec codec(traffic_);
  const auto frame = codec.Receive(stream);
  if (!frame) return Response("-1,", true);
  // Every request frame needs a reply frame: a heartbeat is answered with one of its own.
  const bool heartbeat = frame->header.code == MessageCode::kHeartbeat;
  const std::vector<uint8_t> reply =
      heartbeat ? std::vector<uint8_t>(frame->body.begin(), frame->body.end()) : data_.AnswerPayload(frame->body);
  {
    MutexLock lock(mutex_);
    ++(heartbeat ? stats_.heartbeats : stats_.queries);
  }
  ByteBuffer out;
  codec.set_stamp(0x51A70000u);
  if (!codec.Encode(frame->header.code, reply, frame->header.context, out)) return Response("-1,", true);
  std::string payload(reinterpret_cast<const char*>(out.data()), out.size());
  const Fault fault = CurrentFault();
  if (fault.kind == Fault::Kind::kWrongLength) PutU32(reinterpret_cast<uint8_t*>(payload.data()) + 8, frame->header.body_length + 99);
  return Response(std::to_string(payload.size()) + "," + payload, false);
}

std::string StandInServer::NewToken() {
  MutexLock lock(mutex_);
  ++stats_.logins;
  char token[UQuery::kTokenLength + 1];
  std::snprintf(token, sizeof token, "T%07u", ++next_token_ % 10000000u);
  tokens_[token] = 1;
  return token;
}

void StandInServer::SetFault(const Fault& fault) {
  MutexLock lock(mutex_);
  fault_ = fault;
}

Fault StandInServer::CurrentFault() const {
  MutexLock lock(mutex_);
  return fault_;
}

void StandInServer::ExpireSessions() {
  MutexLock lock(mutex_);
  tokens_.clear();
}

ServerStats StandInServer::stats() const {
  MutexLock lock(mutex_);
  return stats_;
}

void StandInServer::Log(const std::string& line) {
  MutexLock lock(mutex_);
  if (log_.is_open()) log_ << line << std::endl;
}

}  // namespace orra::server
