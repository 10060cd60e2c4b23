#include "common/debug_output.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "common/ascii_text.h"
#include "common/platform_debug.h"

namespace orra {
namespace {
std::atomic<DebugSink> g_sink{nullptr};
}  // namespace

void DebugOutput(std::u16string_view text) {
  try {
    if (DebugSink sink = g_sink.load()) {
      sink(text);
    } else {
      platform::WriteDebugText(text);
    }
  } catch (...) {
    // Diagnostics must never fail the caller.
  }
}

void DebugOutput(std::string_view text) {
  try {
    DebugOutput(std::u16string_view(WidenAscii(text)));
  } catch (...) {
  }
}

void DebugPrintf(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (n < 0) return;
  DebugOutput(std::string_view(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1));
}

void SetDebugSinkForTesting(DebugSink sink) { g_sink.store(sink); }

}  // namespace orra
