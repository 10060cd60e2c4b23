// orra query: one query through the real ServerConnection and connection thread, printed as a
// table (or JSON), for checking what a server answers.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/debug_output.h"
#include "common/event.h"
#include "common/mutex.h"
#include "common/text_conversion.h"
#include "common/topic_id.h"
#include "common/utf8.h"
#include "tools/orra/command.h"
#include "transport/connection_thread.h"
#include "transport/message_code.h"
#include "transport/query_document.h"
#include "transport/query_reply.h"
#include "transport/result_set.h"
#include "transport/server_connection.h"

namespace orra::cli {
namespace {

int RunQuery(const std::vector<std::string>& args, Env& env);

const Command kQuery{
    "query",
    "--server HOST[:PORT] [--proxy http|socks4|socks5://[user:pass@]HOST:PORT] [--uquery] [--service xdbr] "
    "--path SERVICE_PATH [--user NAME] [--timeout SECONDS] [--json] [--verbose] [key=value ...]",
    "sends one query to a data server and prints the result table (exit 0), the server's error (1) or why the "
    "transport failed (2)",
    RunQuery};
const CommandRegistrar kRegistered(kQuery);

struct QueryOptions {
  ConnectionProfile profile;
  std::string service = "xdbr";
  std::string path;
  std::string user;
  double timeout_seconds = 10;
  bool json = false;
  bool verbose = false;  // the connection's debugger lines on standard error
  std::vector<std::pair<std::string, std::string>> pairs;
};

// "scheme://[user:pass@]host:port" into the profile; false with a message when malformed.
bool ParseProxy(const std::string& url, ConnectionProfile& profile, std::string* error) {
  const size_t scheme_end = url.find("://");
  const std::string scheme = scheme_end == std::string::npos ? "" : url.substr(0, scheme_end);
  uint32_t kind = 0;
  if (scheme == "http") kind = ProxyKind::kHttpConnect;
  else if (scheme == "socks4") kind = ProxyKind::kSocks4;
  else if (scheme == "socks5") kind = ProxyKind::kSocks5;
  else {
    *error = "--proxy must start with http://, socks4:// or socks5://";
    return false;
  }
  std::string rest = url.substr(scheme_end + 3);
  std::string user, password;
  const size_t at = rest.rfind('@');
  if (at != std::string::npos) {
    const std::string credentials = rest.substr(0, at);
    const size_t colon = credentials.find(':');
    user = credentials.substr(0, colon);
    password = colon == std::string::npos ? "" : credentials.substr(colon + 1);
    rest = rest.substr(at + 1);
    if (user.empty() || user.size() > 63 || password.size() > 63) {
      *error = "--proxy credentials need a user name, and user name and password of at most 63 bytes each";
      return false;
    }
  }
  std::string host;
  uint16_t port = 0;
  if (!SplitHostPort(rest, &host, &port, 0) || port == 0 || host.size() > 63) {
    *error = "--proxy needs HOST:PORT after the scheme, for example socks5://127.0.0.1:1080";
    return false;
  }
  profile.SetProxy(kind, host, port, user, password);
  return true;
}

std::optional<QueryOptions> ParseOptions(const std::vector<std::string>& args, std::string* error) {
  QueryOptions options;
  std::string server, proxy;
  bool uquery = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--uquery") { uquery = true; continue; }
    if (arg == "--json") { options.json = true; continue; }
    if (arg == "--verbose") { options.verbose = true; continue; }
    if (arg.rfind("--", 0) == 0) {
      if (i + 1 >= args.size()) {
        *error = "option " + arg + " needs a value";
        return std::nullopt;
      }
      const std::string& value = args[++i];
      if (arg == "--server") server = value;
      else if (arg == "--proxy") proxy = value;
      else if (arg == "--service") options.service = value;
      else if (arg == "--path") options.path = value;
      else if (arg == "--user") options.user = value;
      else if (arg == "--timeout") {
        char* end = nullptr;
        options.timeout_seconds = std::strtod(value.c_str(), &end);
        if (*end != '\0' || !(options.timeout_seconds > 0) || options.timeout_seconds > 3600) {
          *error = "--timeout wants seconds between 0 and 3600, not '" + value + "'";
          return std::nullopt;
        }
      } else {
        *error = "unknown option " + arg;
        return std::nullopt;
      }
      continue;
    }
    const size_t equals = arg.find('=');
    if (equals == std::string::npos || equals == 0) {
      *error = "parameters are written key=value, not '" + arg + "'";
      return std::nullopt;
    }
    options.pairs.emplace_back(arg.substr(0, equals), arg.substr(equals + 1));
  }
  std::string host;
  uint16_t port = 0;
  if (server.empty() || !SplitHostPort(server, &host, &port, ConnectionProfile::kDefaultPort) || host.size() > 31) {
    *error = "--server HOST[:PORT] is required (a host of at most 31 bytes, a port from 1 to 65535)";
    return std::nullopt;
  }
  if (options.path.empty()) {
    *error = "--path SERVICE_PATH is required";
    return std::nullopt;
  }
  options.profile.SetServer(host, port);
  if (uquery) options.profile.flags |= ConnectionProfile::kUQueryMode;
  if (!proxy.empty() && !ParseProxy(proxy, options.profile, error)) return std::nullopt;
  return options;
}

// The document the query worker would build: "~ver", the pairs with "@seccode@" first and
// "@@UserName" last, "~count", and the service path.
void BuildDocument(const QueryOptions& options, dozodavu_netcfg& document) {
  document.SetVersion();
  int32_t i = document.PairCount();
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& [key, value] : options.pairs) {
      if ((key == "@seccode@") != (pass == 0)) continue;
      document.SetPair(i++, FromUtf8(key), FromUtf8(value));
    }
  }
  document.SetPair(i, u"@@UserName", options.user.empty() ? u"GetUserNameFailed" : FromUtf8(options.user));
  document.SetPairCount(i + 1);
  document.SetServicePath(FromUtf8(options.path));
}

std::string Utf8(const std::u16string& text) { return ToUtf8(text); }

int PrintTable(const ResultSet& table_in, bool json) {
  ResultSet table = table_in;
  if (json) {
    nlohmann::json out;
    out["columns"] = nlohmann::json::array();
    for (int c = 0; c < table.ColumnCount(); ++c) {
      out["columns"].push_back({{"name", Utf8(table.ColumnName(c))}, {"type", table.ColumnTypeOf(c)}, {"width", table.ColumnWidth(c)}});
    }
    out["rows"] = nlohmann::json::array();
    out["numbers"] = nlohmann::json::array();
    for (bool on = table.First(); on; on = table.Next()) {
      nlohmann::json texts = nlohmann::json::array(), numbers = nlohmann::json::array();
      for (int c = 0; c < table.ColumnCount(); ++c) {
        texts.push_back(Utf8(table.Text(c)));
        const double n = table.Number(c);
        numbers.push_back(std::isfinite(n) ? nlohmann::json(n) : nlohmann::json(nullptr));
      }
      out["rows"].push_back(texts);
      out["numbers"].push_back(numbers);
    }
    std::printf("%s\n", out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return 0;
  }
  std::vector<std::vector<std::string>> cells(1);
  for (int c = 0; c < table.ColumnCount(); ++c) cells[0].push_back(Utf8(table.ColumnName(c)));
  for (bool on = table.First(); on; on = table.Next()) {
    cells.emplace_back();
    for (int c = 0; c < table.ColumnCount(); ++c) cells.back().push_back(Utf8(table.Text(c)));
  }
  for (const auto& row : cells) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) line += (c ? "\t" : "") + row[c];
    std::printf("%s\n", line.c_str());
  }
  std::printf("(%d row%s)\n", table.RowCount(), table.RowCount() == 1 ? "" : "s");
  return 0;
}

int PrintReply(const std::vector<uint8_t>& reply, bool json) {
  const auto view = ReadQueryReply(reply);
  if (!view) {
    std::fprintf(stderr, "orra query: the server's reply is damaged (%zu bytes, shorter than its lengths say)\n",
                 reply.size());
    return 2;
  }
  if (view->failed) {
    const std::string text = Utf8(ToWideString(view->error_text));
    if (json) std::printf("%s\n", nlohmann::json{{"error", text}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    else std::printf("server error: %s\n", text.c_str());
    return 1;
  }
  ResultSet table;
  if (!table.Open(view->table)) {
    std::fprintf(stderr, "orra query: the result table in the reply is damaged (its length passes the end)\n");
    return 2;
  }
  return PrintTable(table, json);
}

// Waits for the completion or dropped-job handler of the one query.
struct Outcome {
  Mutex mutex;
  Event done{Event::Reset::kManual};
  std::optional<std::vector<uint8_t>> reply ORRA_GUARDED_BY(mutex);
  bool dropped ORRA_GUARDED_BY(mutex) = false;
};

// The one query's topic id: any id will do, as nothing else is in flight.
constexpr TopicId kContext = 1;

// Without --verbose the connection's debugger lines would mix with the answer on the terminal.
class DiscardingSink final : public DebugSink {
 public:
  void Write(std::u16string_view) override {}
};

int RunQuery(const std::vector<std::string>& args, Env& process_env) {
  std::string error;
  const auto options = ParseOptions(args, &error);
  if (!options) return UsageError(error, kQuery);

  DiscardingSink discarding;
  Env env(process_env.clock(), process_env.files(), options->verbose ? process_env.debug_sink() : discarding);

  dozodavu_netcfg document;
  BuildDocument(*options, document);
  auto job = QueryJob::ForQuery(kContext, FromUtf8(options->service), document);
  if (!job) {
    std::fprintf(stderr, "orra query: out of memory building the query\n");
    return 2;
  }
  ServerConnection connection(options->profile, env);
  const std::string where = std::string(options->profile.server_display) +
                            (options->profile.proxy_kind() ? std::string(" through ") + options->profile.proxy_host : "");
  if (!connection.Connect(&error)) {
    std::fprintf(stderr, "orra query: cannot reach %s: %s\n", where.c_str(),
                 error.empty() ? "the connection failed" : Utf8(ToWideString(error)).c_str());
    return 2;
  }

  JobQueue queue;
  queue.PushTail(std::move(job));
  Outcome outcome;
  ConnectionHandlers handlers;
  handlers.completion = [&outcome](TopicId context, uint32_t code, SharedBlock body) {
    if (context != kContext || code != MessageCode::kQuery || !body) return;
    MutexLock lock(outcome.mutex);
    outcome.reply.emplace(body->bytes().begin(), body->bytes().end());
    outcome.done.Set();
  };
  handlers.dropped = [&outcome](TopicId context, uint32_t) {
    if (context != kContext) return;
    MutexLock lock(outcome.mutex);
    outcome.dropped = true;
    outcome.done.Set();
  };
  ConnectionThread thread(env, queue);
  if (!thread.Start(connection, std::move(handlers))) {
    std::fprintf(stderr, "orra query: cannot start the connection thread\n");
    return 2;
  }
  const auto timeout = std::chrono::milliseconds(static_cast<int64_t>(options->timeout_seconds * 1000));
  const bool finished = outcome.done.Wait(timeout);
  thread.Stop();

  MutexLock lock(outcome.mutex);
  if (outcome.reply) return PrintReply(*outcome.reply, options->json);
  if (!finished) {
    std::fprintf(stderr, "orra query: no reply from %s within %g s; is the server answering? (--timeout raises the wait)\n",
                 where.c_str(), options->timeout_seconds);
  } else {
    std::fprintf(stderr, "orra query: the query could not be sent to %s after 4 attempts\n", where.c_str());
  }
  return 2;
}

}  // namespace
}  // namespace orra::cli
