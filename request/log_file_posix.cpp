#include <cstdio>

#include "common/utf8.h"
#include "request/log_file.h"

namespace orra {
namespace {

class PosixLogFile final : public LogFile {
 public:
  explicit PosixLogFile(FILE* file) : file_(file) {}
  ~PosixLogFile() override { std::fclose(file_); }
  bool AppendLine(std::string_view text) override {
    return std::fwrite(text.data(), 1, text.size(), file_) == text.size() && std::fputc('\n', file_) != EOF;
  }
  void Flush() override { std::fflush(file_); }

 private:
  FILE* file_;
};

}  // namespace

std::unique_ptr<LogFile> LogFile::OpenForAppend(const std::u16string& path) {
  FILE* file = std::fopen(ToUtf8(path).c_str(), "a");
  if (file == nullptr) return nullptr;
  return std::make_unique<PosixLogFile>(file);
}

}  // namespace orra
