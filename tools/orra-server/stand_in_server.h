#pragma once
// The stand-in data server: answers binary-mode frames on one port and uQuery HTTP requests on
// another, from a ServerData, misbehaving as its Fault says. It runs its own threads (one
// accepting, one per connection) from Start to Stop; every public call is thread-safe.

#include <atomic>
#include <cstdint>
#include <fstream>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "common/traffic_counters.h"
#include "common/mutex.h"
#include "tools/orra-server/fault_mode.h"
#include "tools/orra-server/server_data.h"
#include "transport/frame_codec.h"
#include "transport/tcp_socket.h"
#include "transport/umy_socket.h"

namespace orra::server {

struct ServerOptions {
  Ipv4Address bind = 0x7F000001;
  uint16_t port = 9911;     // 0 picks a free port
  bool uquery = false;
  uint16_t uquery_port = 0;  // 0 picks a free port
  Fault fault;
  std::string log_path;
};

struct ServerStats {
  int connections = 0;
  int queries = 0;
  int heartbeats = 0;
  int logins = 0;
  int uquery_requests = 0;
  int polls = 0;
};

class StandInServer {
 public:
  explicit StandInServer(const ServerData& data) : data_(data) {}
  ~StandInServer() { Stop(); }
  StandInServer(const StandInServer&) = delete;
  StandInServer& operator=(const StandInServer&) = delete;

  bool Start(const ServerOptions& options, std::string* error);
  void Stop();

  uint16_t port() const { return port_; }
  uint16_t uquery_port() const { return uquery_port_; }
  void SetFault(const Fault& fault);
  // Every session token is forgotten: the next use of one is told its session expired.
  void ExpireSessions();
  ServerStats stats() const;

 private:
  struct Worker {
    std::thread thread;
    std::atomic<bool> done{false};
  };
  void AcceptLoop();
  void Spawn(TcpSocket socket, bool uquery);
  void ServeBinary(UMySocket& connection);
  void ServeUQuery(UMySocket& connection);
  // Queues a reply frame (encoded into `frame`) for the connection's next flush, or sends it at
  // once as the fault says; false when the connection is to be closed.
  bool SendReply(UMySocket& connection, FrameCodec& codec, uint32_t context, std::span<const uint8_t> reply,
                 int replies_sent, ByteBuffer& frame);
  std::string UQueryBody(const std::string& request_body);
  std::string NewToken();
  void Log(const std::string& line);
  Fault CurrentFault() const;

  const ServerData& data_;
  TcpSocket listener_;
  TcpSocket uquery_listener_;
  uint16_t port_ = 0;
  uint16_t uquery_port_ = 0;
  std::atomic<bool> stopping_{false};
  TrafficCounters traffic_;  // the server's side of the traffic; no heartbeat reports it
  std::thread acceptor_;
  std::list<Worker> workers_;  // touched by the accepting thread and by Stop after it ended

  mutable Mutex mutex_;
  Fault fault_ ORRA_GUARDED_BY(mutex_);
  ServerStats stats_ ORRA_GUARDED_BY(mutex_);
  std::map<std::string, int> tokens_ ORRA_GUARDED_BY(mutex_);
  uint32_t next_token_ ORRA_GUARDED_BY(mutex_) = 0;
  std::ofstream log_ ORRA_GUARDED_BY(mutex_);
};

}  // namespace orra::server
