// orra-terminal: the stand-in for the desktop terminal. Writes a data directory from a
// readable description, and publishes the login block while it runs.
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <exception>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/decimal_text.h"
#include "common/file_system.h"
#include "common/text_conversion.h"
#include "common/utf8.h"
#include "request/login_block.h"
#include "store/store_files.h"
#include "testing/login_block_publisher.h"
#include "testing/terminal_description.h"
#include "tools/orra-terminal/stop_request.h"

namespace {

using namespace orra;

constexpr char kUsage[] =
    "usage:\n"
    "  orra-terminal write DIR --from FILE.json\n"
    "      writes the terminal's data files under DIR from the description in FILE.json\n"
    "  orra-terminal login --user NAME --dir DIR [--access N] [--seconds S]\n"
    "      publishes the login block CheckOrraLogin until stopped (Ctrl-C) or for S seconds;\n"
    "      N is the access state, 1 (the default) meaning logged in with permission\n";

int UsageError(const std::string& message) {
  std::fprintf(stderr, "orra-terminal: %s\n%s", message.c_str(), kUsage);
  return 2;
}

// "--name value" options after the positional arguments.
class Options {
 public:
  Options(const std::vector<std::string>& args, size_t first) {
    for (size_t i = first; i < args.size(); ++i) {
      if (args[i].rfind("--", 0) != 0) {
        positional_.push_back(args[i]);
      } else if (i + 1 < args.size()) {
        values_.emplace_back(args[i], args[i + 1]);
        ++i;
      } else {
        missing_value_ = args[i];
      }
    }
  }
  std::optional<std::string> Get(const std::string& name) const {
    for (const auto& [key, value] : values_) {
      if (key == name) return value;
    }
    return std::nullopt;
  }
  std::optional<std::string> Unknown(const std::vector<std::string>& known) const {
    if (!missing_value_.empty()) return missing_value_ + " needs a value";
    for (const auto& [key, value] : values_) {
      bool found = false;
      for (const std::string& k : known) found = found || k == key;
      if (!found) return "unknown option " + key;
    }
    return std::nullopt;
  }
  const std::vector<std::string>& positional() const { return positional_; }

 private:
  std::vector<std::string> positional_;
  std::vector<std::pair<std::string, std::string>> values_;
  std::string missing_value_;
};

// A whole number on the command line: digits after an optional '-' and nothing else, within the
// 32 bits the login block gives the access state.
std::optional<long> ParseWhole(const std::string& text) {
  constexpr DecimalRange kInt32{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
  const std::optional<int64_t> value = ReadWholeDecimal(text, kInt32);
  if (!value) return std::nullopt;
  return static_cast<long>(*value);
}

int Write(const std::vector<std::string>& args) {
  const Options options(args, 1);
  if (auto problem = options.Unknown({"--from"})) return UsageError(*problem);
  if (options.positional().size() != 1) return UsageError("write needs exactly one DIR");
  const std::optional<std::string> from = options.Get("--from");
  if (!from) return UsageError("write needs --from FILE.json");
  const std::optional<std::vector<uint8_t>> text =
      PlatformFileSystem().ReadAll(FromUtf8(*from), FileSystem::Access::kRead);
  if (!text) {
    std::fprintf(stderr, "orra-terminal: cannot read %s; check the path\n", from->c_str());
    return 1;
  }
  nlohmann::json description;
  try {
    description = nlohmann::json::parse(text->begin(), text->end());
  } catch (const nlohmann::json::parse_error& e) {
    std::fprintf(stderr, "orra-terminal: %s is not valid JSON: %s\n", from->c_str(), e.what());
    return 1;
  }
  try {
    const std::vector<terminal::DataFile> files = terminal::DescribeDataFiles(description);
    terminal::WriteDataFiles(FromUtf8(options.positional()[0]), files);
    for (const terminal::DataFile& file : files) {
      std::fprintf(stderr, "orra-terminal: wrote %s (%zu bytes)\n", ToUtf8(file.name).c_str(), file.bytes.size());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orra-terminal: %s: %s\n", from->c_str(), e.what());
    return 1;
  }
  return 0;
}

int Login(const std::vector<std::string>& args) {
  const Options options(args, 1);
  if (auto problem = options.Unknown({"--user", "--dir", "--access", "--seconds"})) return UsageError(*problem);
  if (!options.positional().empty()) return UsageError("unexpected argument " + options.positional()[0]);
  const std::optional<std::string> user = options.Get("--user");
  const std::optional<std::string> dir = options.Get("--dir");
  if (!user || !dir) return UsageError("login needs --user NAME and --dir DIR");
  const std::optional<long> access = ParseWhole(options.Get("--access").value_or("1"));
  if (!access) return UsageError("--access must be a whole number");
  std::optional<long> seconds;
  if (auto text = options.Get("--seconds")) {
    seconds = ParseWhole(*text);
    if (!seconds || *seconds < 0) return UsageError("--seconds must be a whole number of seconds, 0 or more");
  }
  const std::string gbk_user = ToNarrowString(FromUtf8(*user));
  const std::string gbk_dir = ToNarrowString(WithTrailingSeparator(FromUtf8(*dir)));
  std::string error;
  terminal::WatchForStopRequest();
  const auto block = PublishLoginBlock(
      kLoginBlockName, EncodeLoginBlock({gbk_user, gbk_dir, static_cast<int32_t>(*access)}), error);
  if (!block) {
    std::fprintf(stderr, "orra-terminal: cannot publish the login block: %s\n", error.c_str());
    return 1;
  }
  std::printf("orra-terminal: CheckOrraLogin published for %s (access %ld, data directory %s)\n", user->c_str(),
              *access, ToUtf8(ToWideString(gbk_dir)).c_str());
  std::fflush(stdout);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds.value_or(0));
  while (terminal::WaitAWhile()) {
    if (seconds && std::chrono::steady_clock::now() >= deadline) break;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return UsageError("a command is needed");
    if (args[0] == "--help" || args[0] == "-h") {
      std::printf("%s", kUsage);
      return 0;
    }
    if (args[0] == "write") return Write(args);
    if (args[0] == "login") return Login(args);
    return UsageError("unknown command " + args[0]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orra-terminal: %s\n", e.what());
    return 1;
  } catch (...) {
    std::fprintf(stderr, "orra-terminal: unexpected failure\n");
    return 1;
  }
}
