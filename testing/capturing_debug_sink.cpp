#include "testing/capturing_debug_sink.h"

namespace orra::testing {

void CapturingDebugSink::Write(std::u16string_view text) {
  std::lock_guard<std::mutex> guard(mutex_);
  text_.append(text);
}

std::u16string CapturingDebugSink::Text() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return text_;
}

void CapturingDebugSink::Clear() {
  std::lock_guard<std::mutex> guard(mutex_);
  text_.clear();
}

}  // namespace orra::testing
