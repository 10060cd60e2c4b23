#pragma once
// Diagnostics for a developer with a debugger attached: OutputDebugStringW on Windows,
// standard error elsewhere. Never throws.

#include <string>
#include <string_view>

namespace orra {

// Writes `text` as it stands (callers end their lines with "\r\n").
void DebugOutput(std::u16string_view text);
void DebugOutput(std::string_view utf8_or_ascii);
// printf-style formatting of an ASCII/UTF-8 line.
void DebugPrintf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Tests replace the sink to see what would be written; nullptr restores the platform's.
using DebugSink = void (*)(std::u16string_view text);
void SetDebugSinkForTesting(DebugSink sink);

}  // namespace orra
