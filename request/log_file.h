#pragma once
// Port: develop.log opened to append as text, created when missing, never truncated, other
// writers denied where the platform can.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace orra {

class LogFile {
 public:
  // Null when the file cannot be opened.
  static std::unique_ptr<LogFile> OpenForAppend(const std::u16string& path);
  virtual ~LogFile() = default;
  // Appends the bytes and a line end; false on a write error.
  virtual bool AppendLine(std::string_view gbk_text) = 0;
  virtual void Flush() = 0;
};

// Port: the C stream for appending, or null.
FILE* OpenAppendStream(const std::u16string& path);

}  // namespace orra
