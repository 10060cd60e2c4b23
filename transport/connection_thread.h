#pragma once
// The background thread that owns the add-in's server connection from the add-in's connection
// to Excel until its disconnection: it runs ConnectionLoop passes, waiting 10 ms after an idle
// pass, 0 after a busy one and 300 ms after a failed connection check. An unexpected error in a
// pass is written to the debugger output, the connection is closed, and the loop goes on.
//
// Start and Stop are called from one thread (Excel's main thread in the add-in).

#include <memory>
#include <thread>

#include "common/env.h"
#include "common/event.h"
#include "transport/connection_loop.h"
#include "transport/frame_link.h"
#include "transport/job_queue.h"

namespace orra {

class ConnectionThread {
 public:
  static constexpr int kStopGraceMs = 3000;

  // `env` and `queue` must outlive the thread.
  ConnectionThread(Env& env, JobQueue& queue) : env_(env), queue_(queue) {}
  ~ConnectionThread() { Stop(); }
  ConnectionThread(const ConnectionThread&) = delete;
  ConnectionThread& operator=(const ConnectionThread&) = delete;

  // Starts the thread over `link` (which must outlive Stop) with the handlers it calls. False
  // when it is running already or the thread cannot be created.
  bool Start(FrameLink& link, ConnectionHandlers handlers);
  // Stops the thread: sets the stop event and waits up to 3000 ms; a thread still inside a
  // blocked socket call is then interrupted and joined. Releases every queued job.
  void Stop();
  bool IsRunning() const { return thread_.joinable(); }

 private:
  void Run(FrameLink& link, ConnectionHandlers handlers);

  Env& env_;
  JobQueue& queue_;
  FrameLink* link_ = nullptr;
  std::thread thread_;
  std::unique_ptr<Event> stop_;
  std::unique_ptr<Event> finished_;
};

}  // namespace orra
