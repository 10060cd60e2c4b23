#pragma once
// The subcommands of `orra`, the diagnostics command for people who support the add-in. Each
// *_command.cpp file registers its commands with a static CommandRegistrar; main dispatches.

#include <string>
#include <vector>

#include "common/env.h"

namespace orra::cli {

struct Command {
  std::string name;     // first word(s) after `orra`, e.g. "store dump"
  std::string usage;    // one line: arguments and options
  std::string summary;  // one line: what it does
  // Arguments after the name, and the process's environment (a command may build its own from
  // it). Answers the process exit code; prints its own errors.
  int (*run)(const std::vector<std::string>& args, Env& env);
};

class CommandRegistrar {
 public:
  explicit CommandRegistrar(Command command);
};

const std::vector<Command>& AllCommands();

// Prints "orra: <message>" and a hint to stderr; answers 2, the exit code of a usage error.
int UsageError(const std::string& message, const Command& command);

}  // namespace orra::cli
