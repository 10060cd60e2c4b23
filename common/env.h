#pragma once
// Env: the collaborators through which the system reaches the machine and which tests and
// tools choose for themselves: the clock, the files, the debugger output, and the traffic
// counters the heartbeat reports. A composition root (the add-in's start-up, a tool's main, a
// test fixture) creates one and hands it by reference to the objects that need it; it must
// outlive them. Nothing reaches these collaborators any other way.
//
// Any thread may use an Env: the clock and the files are shareable by their own contracts,
// the sink is written from any thread, and the counters lock.

#include <string_view>

#include "common/clock.h"
#include "common/debug_output.h"
#include "common/file_system.h"
#include "common/traffic_counters.h"

namespace orra {

class Env {
 public:
  // The three collaborators are kept by reference; the counters belong to the Env.
  Env(const Clock& clock, FileSystem& files, DebugSink& debug) : clock_(clock), files_(files), debug_(debug) {}
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;

  const Clock& clock() const { return clock_; }
  FileSystem& files() const { return files_; }
  DebugSink& debug_sink() const { return debug_; }
  TrafficCounters& traffic() { return traffic_; }

  // Debugger output (callers end their lines with "\r\n"); never throws.
  void Debug(std::u16string_view text) const noexcept { DebugOutput(debug_, text); }
  void Debug(std::string_view utf8_or_ascii) const noexcept { DebugOutput(debug_, utf8_or_ascii); }
  void DebugPrintf(const char* format, ...) const noexcept
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

 private:
  const Clock& clock_;
  FileSystem& files_;
  DebugSink& debug_;
  TrafficCounters traffic_;
};

// The platform's clock, files and debugger output, with counters of its own: what a
// composition root creates when nothing is to be replaced.
class PlatformEnv final : public Env {
 public:
  PlatformEnv() : Env(SystemClock(), PlatformFileSystem(), PlatformDebugSink()) {}
};

}  // namespace orra
