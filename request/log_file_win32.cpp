#include <windows.h>
#include <share.h>

#include <cstdio>

#include "request/log_file.h"

namespace orra {
namespace {

class Win32LogFile final : public LogFile {
 public:
  explicit Win32LogFile(FILE* file) : file_(file) {}
  ~Win32LogFile() override { std::fclose(file_); }
  bool AppendLine(std::string_view text) override {
    // Text mode: "\n" reaches the file as "\r\n", as Notepad expects.
    return std::fwrite(text.data(), 1, text.size(), file_) == text.size() && std::fputc('\n', file_) != EOF;
  }
  void Flush() override { std::fflush(file_); }

 private:
  FILE* file_;
};

}  // namespace

std::unique_ptr<LogFile> LogFile::OpenForAppend(const std::u16string& path) {
  FILE* file = _wfsopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"at", _SH_DENYWR);
  if (file == nullptr) return nullptr;
  return std::make_unique<Win32LogFile>(file);
}

}  // namespace orra
