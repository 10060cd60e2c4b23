#pragma once
// The port to the stand-in Excel's own process, for what a scenario waits on and counts: the
// main thread's message queue (the add-in's hidden windows get their timers and posted
// messages only while it is pumped, as in Excel when it is idle), a monotonic clock, the
// process's thread count, and COM's release of libraries no object uses any more. The Windows
// adapter is the real process; tests give one whose time moves when it is pumped.
//
// Excel's main thread only.

#include <cstdint>
#include <memory>
#include <optional>

namespace orra::xlhost {

class HostProcess {
 public:
  virtual ~HostProcess() = default;

  // Dispatches the thread's messages as they come, for `duration_ms`.
  virtual void PumpMessages(int64_t duration_ms) = 0;
  virtual int64_t NowMs() const = 0;
  // None when the system cannot tell.
  virtual std::optional<size_t> ThreadCount() const = 0;
  // Unloads the COM servers' libraries that no object of theirs holds any more.
  virtual void ReleaseUnusedLibraries() = 0;
};

// The process this runs in: the main thread is in a single-threaded COM apartment for as long
// as the returned object lives.
std::unique_ptr<HostProcess> StartHostProcess();

}  // namespace orra::xlhost
