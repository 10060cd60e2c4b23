#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/orra/command.h"

namespace orra::cli {
namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void PrintHelp(FILE* out) {
  std::fprintf(out, "orra: diagnostics for the Orra Excel add-in\n\nusage:\n");
  for (const Command& c : AllCommands()) {
    std::fprintf(out, "  orra %s %s\n      %s\n", c.name.c_str(), c.usage.c_str(), c.summary.c_str());
  }
}

// The command whose name is the longest run of leading words of args.
const Command* FindCommand(const std::vector<std::string>& args, size_t& words) {
  const Command* best = nullptr;
  for (const Command& c : AllCommands()) {
    std::string joined;
    for (size_t n = 1; n <= args.size(); ++n) {
      joined += (n > 1 ? " " : "") + args[n - 1];
      if (joined == c.name && (best == nullptr || n > words)) {
        best = &c;
        words = n;
      }
    }
  }
  return best;
}

}  // namespace

CommandRegistrar::CommandRegistrar(Command command) { Registry().push_back(std::move(command)); }

const std::vector<Command>& AllCommands() { return Registry(); }

int UsageError(const std::string& message, const Command& command) {
  std::fprintf(stderr, "orra: %s\nusage: orra %s %s\n", message.c_str(), command.name.c_str(), command.usage.c_str());
  return 2;
}

}  // namespace orra::cli

int main(int argc, char** argv) {
  using namespace orra::cli;
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
      PrintHelp(args.empty() ? stderr : stdout);
      return args.empty() ? 2 : 0;
    }
    size_t words = 0;
    const Command* command = FindCommand(args, words);
    if (command == nullptr) {
      std::fprintf(stderr, "orra: unknown command '%s'; 'orra --help' lists the commands\n", args[0].c_str());
      return 2;
    }
    orra::PlatformEnv env;
    return command->run(std::vector<std::string>(args.begin() + static_cast<long>(words), args.end()), env);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orra: %s\n", e.what());
    return 2;
  } catch (...) {
    std::fprintf(stderr, "orra: unexpected failure\n");
    return 2;
  }
}
