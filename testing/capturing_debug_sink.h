#pragma once
// A debug sink that keeps what is written, for tests that check a diagnostic line, and keeps
// the debugger output of every other test off the terminal. Any thread may write.

#include <string>
#include <string_view>

#include "common/debug_output.h"
#include "common/mutex.h"

namespace orra::testing {

class CapturingDebugSink final : public DebugSink {
 public:
  void Write(std::u16string_view text) override;
  // Everything written since the start or the last Clear.
  std::u16string Text() const;
  void Clear();

 private:
  mutable Mutex mutex_;
  std::u16string text_ ORRA_GUARDED_BY(mutex_);
};

}  // namespace orra::testing
