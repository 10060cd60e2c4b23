#include "request/log_file.h"

#include <cstdio>

namespace orra {
namespace {

class StdioLogFile final : public LogFile {
 public:
  explicit StdioLogFile(FILE* file) : file_(file) {}
  ~StdioLogFile() override { std::fclose(file_); }
  bool AppendLine(std::string_view text) override {
    return std::fwrite(text.data(), 1, text.size(), file_) == text.size() && std::fputc('\n', file_) != EOF;
  }
  void Flush() override { std::fflush(file_); }

 private:
  FILE* file_;
};

}  // namespace

std::unique_ptr<LogFile> LogFile::OpenForAppend(const std::u16string& path) {
  FILE* file = OpenAppendStream(path);
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioLogFile>(file);
}

}  // namespace orra
