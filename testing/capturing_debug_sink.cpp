#include "testing/capturing_debug_sink.h"

namespace orra::testing {

void CapturingDebugSink::Write(std::u16string_view text) {
  MutexLock lock(mutex_);
  text_.append(text);
}

std::u16string CapturingDebugSink::Text() const {
  MutexLock lock(mutex_);
  return text_;
}

void CapturingDebugSink::Clear() {
  MutexLock lock(mutex_);
  text_.clear();
}

}  // namespace orra::testing
