#pragma once
// ServerLink: the add-in's line to the data server while Excel keeps the add-in connected: the
// server connection with its profile, and the connection thread that sends the job queue's
// queries over it and hands the replies to the request dictionary. Built and started when
// Excel connects the add-in, stopped and freed when it disconnects it; a new connection builds
// a new one, so nothing of an old connection's socket or thread is reused.
//
// Construct, Start, Stop and destroy on one thread (Excel's main thread in the add-in).

#include <string>

#include "common/env.h"
#include "request/requests_dictionary.h"
#include "transport/connection_profile.h"
#include "transport/connection_thread.h"
#include "transport/job_queue.h"
#include "transport/server_connection.h"

namespace orra {

class ServerLink {
 public:
  // `env`, `queue` and `requests` must outlive the link.
  ServerLink(Env& env, const ConnectionProfile& profile, JobQueue& queue, RequestsDictionary& requests)
      : requests_(requests), connection_(profile, env), thread_(env, queue) {}
  ~ServerLink() { Stop(); }
  ServerLink(const ServerLink&) = delete;
  ServerLink& operator=(const ServerLink&) = delete;

  // Starts the connection thread. False (with a reason) when it cannot be started; a server
  // that does not answer yet is not a failure (the thread keeps trying).
  bool Start(std::string* error);
  // Stops the connection thread (ConnectionThread::Stop: at most its stop grace and a socket
  // interrupt); the jobs still queued are released.
  void Stop() { thread_.Stop(); }

 private:
  RequestsDictionary& requests_;
  ServerConnection connection_;
  ConnectionThread thread_;
};

}  // namespace orra
