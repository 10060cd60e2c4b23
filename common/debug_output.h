#pragma once
// Diagnostics for a developer with a debugger attached. A DebugSink is where they go: the
// platform's (OutputDebugStringW on Windows, standard error elsewhere) or a test's. The Env
// holds the sink in use, and code writes through Env::Debug; the functions here are what it
// forwards to. None of them throws.

#include <cstdarg>
#include <string>
#include <string_view>

namespace orra {

class DebugSink {
 public:
  virtual ~DebugSink() = default;
  // Writes `text` as it stands (callers end their lines with "\r\n"). Any thread may call.
  virtual void Write(std::u16string_view text) = 0;
};

// The platform's debugger output; it holds no state.
DebugSink& PlatformDebugSink();

void DebugOutput(DebugSink& sink, std::u16string_view text) noexcept;
void DebugOutput(DebugSink& sink, std::string_view utf8_or_ascii) noexcept;
// vprintf-style formatting of an ASCII/UTF-8 line of at most 1023 bytes.
void DebugVprintf(DebugSink& sink, const char* format, va_list args) noexcept;

}  // namespace orra
