// orra-server: the stand-in data server. Serves the data file's tables over the binary frame
// protocol (and the uQuery HTTP mode) on loopback until interrupted.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/decimal_text.h"
#include "tools/orra-server/stand_in_server.h"
#include "tools/orra-server/terminal_answers.h"

namespace {

using orra::server::Fault;
using orra::server::ServerOptions;

std::atomic<bool> g_interrupted{false};
extern "C" void OnSignal(int) { g_interrupted = true; }

constexpr const char* kUsage =
    "usage: orra-server [--port 9911] [--bind 127.0.0.1] (--data FILE.json | --answer-terminal TERMINAL.json) "
    "[--uquery-port N] [--fault MODE] [--log FILE]\n"
    "  --answer-terminal answers every indicator of a stand-in terminal description (orra-terminal's JSON)\n"
    "  MODE: drop-mid-header, drop-mid-body, corrupt-zlib, wrong-length, huge-length, slow, close-after=N\n"
    "  --port 0 and --uquery-port 0 pick free ports; the ports in use are printed on standard output.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "orra-server: %s\n%s", message.c_str(), kUsage);
  return 2;
}

bool ParsePort(const std::string& text, uint16_t* port) {
  // Port 0 asks the system for a free one.
  constexpr orra::DecimalRange kPortRange{0, 65535};
  const std::optional<int64_t> value = orra::ReadWholeDecimal(text, kPortRange);
  if (!value) return false;
  *port = static_cast<uint16_t>(*value);
  return true;
}

// Answers for every indicator of a terminal description, for the securities it lists first.
bool LoadTerminalAnswers(const std::string& path, orra::server::ServerData& data, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read the file";
    return false;
  }
  try {
    const nlohmann::json terminal = nlohmann::json::parse(in);
    return data.Load(orra::server::AnswersForTerminal(terminal, {}), error);
  } catch (const nlohmann::json::exception& e) {
    *error = std::string("not a terminal description: ") + e.what();
    return false;
  }
}

int Run(const std::vector<std::string>& args) {
  ServerOptions options;
  std::string data_path;
  std::string terminal_path;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (i + 1 >= args.size()) return Fail("option " + arg + " needs a value");
    const std::string& value = args[++i];
    if (arg == "--port") {
      if (!ParsePort(value, &options.port)) return Fail("--port wants a number from 0 to 65535, not '" + value + "'");
    } else if (arg == "--uquery-port") {
      if (!ParsePort(value, &options.uquery_port)) return Fail("--uquery-port wants a number from 0 to 65535");
      options.uquery = true;
    } else if (arg == "--bind") {
      const auto address = orra::ParseDottedIpv4(value.c_str());
      if (!address) return Fail("--bind wants a dotted IPv4 address such as 127.0.0.1, not '" + value + "'");
      options.bind = *address;
    } else if (arg == "--data") {
      data_path = value;
    } else if (arg == "--answer-terminal") {
      terminal_path = value;
    } else if (arg == "--fault") {
      const auto fault = orra::server::ParseFault(value);
      if (!fault) return Fail("unknown fault mode '" + value + "'");
      options.fault = *fault;
    } else if (arg == "--log") {
      options.log_path = value;
    } else {
      return Fail("unknown option " + arg);
    }
  }
  if (data_path.empty() == terminal_path.empty()) {
    return Fail("give either --data FILE.json or --answer-terminal TERMINAL.json (see tools/orra-server/README.md)");
  }

  orra::server::ServerData data;
  std::string error;
  if (!terminal_path.empty()) {
    if (!LoadTerminalAnswers(terminal_path, data, &error)) {
      std::fprintf(stderr, "orra-server: %s: %s\n", terminal_path.c_str(), error.c_str());
      return 1;
    }
    data_path = terminal_path;
  } else if (!data.LoadFile(data_path, &error)) {
    std::fprintf(stderr, "orra-server: %s\n", error.c_str());
    return 1;
  }
  orra::server::StandInServer server(data);
  if (!server.Start(options, &error)) {
    std::fprintf(stderr, "orra-server: %s\n", error.c_str());
    return 1;
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::printf("orra-server: port %u\n", server.port());
  if (options.uquery) std::printf("orra-server: uquery-port %u\n", server.uquery_port());
  std::printf("orra-server: %zu services from %s, fault %s\n", data.ServiceCount(), data_path.c_str(),
              orra::server::FaultName(options.fault).c_str());
  std::fflush(stdout);
  while (!g_interrupted.load()) orra::SleepMilliseconds(100);
  server.Stop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orra-server: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "orra-server: unexpected failure\n");
  }
  return 1;
}
