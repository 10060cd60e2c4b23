#pragma once
// A test's environment: a clock that stands still at `now` until the test moves it, a sink
// that keeps the debugger output, the platform's files unless the test hands in its own, and
// counters of its own. Each test builds one, so nothing carries over from one test to the next.

#include <string>

#include "common/env.h"
#include "testing/capturing_debug_sink.h"
#include "testing/manual_clock.h"

namespace orra::testing {

namespace detail {
// Built before the Env that refers to them.
struct TestEnvCollaborators {
  explicit TestEnvCollaborators(LocalDateTime now) : manual_clock_(now) {}
  ManualClock manual_clock_;
  CapturingDebugSink captured_debug_;
};
}  // namespace detail

class TestEnv : private detail::TestEnvCollaborators, public Env {
 public:
  // A Monday morning in trading hours.
  static constexpr LocalDateTime kDefaultNow{2024, 6, 3, 9, 30, 0, 0, 1};

  explicit TestEnv(LocalDateTime now = kDefaultNow, FileSystem& files = PlatformFileSystem())
      : TestEnvCollaborators(now), Env(manual_clock_, files, captured_debug_) {}

  ManualClock& manual_clock() { return manual_clock_; }
  // What was written to the debugger output since the start or the last ClearDebugText.
  std::u16string DebugText() const { return captured_debug_.Text(); }
  void ClearDebugText() { captured_debug_.Clear(); }
};

}  // namespace orra::testing
