#include "common/debug_output.h"

#include <cstdio>

#include "common/ascii_text.h"
#include "common/platform_debug.h"

namespace orra {
namespace {

class PlatformSink final : public DebugSink {
 public:
  void Write(std::u16string_view text) override { platform::WriteDebugText(text); }
};
}  // namespace

DebugSink& PlatformDebugSink() {
  static PlatformSink sink;
  return sink;
}

void DebugOutput(DebugSink& sink, std::u16string_view text) noexcept {
  try {
    sink.Write(text);
  } catch (...) {
    // Diagnostics must never fail the caller.
  }
}

void DebugOutput(DebugSink& sink, std::string_view text) noexcept {
  try {
    DebugOutput(sink, std::u16string_view(WidenAscii(text)));
  } catch (...) {
  }
}

void DebugVprintf(DebugSink& sink, const char* format, va_list args) noexcept {
  char line[1024];
  const int n = std::vsnprintf(line, sizeof line, format, args);
  if (n < 0) return;
  DebugOutput(sink, std::string_view(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1));
}

}  // namespace orra
