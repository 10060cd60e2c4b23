// orra sheet: runs a sheet of XDP formulas through the add-in's real request pipeline (login
// check, local data store, RTD server logic, query worker, connection thread), without Excel,
// and prints what each cell shows: its value, number format and alignment.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/utf8.h"
#include "request/cell_messages.h"
#include "request/request_pipeline.h"
#include "testing/grid_object_model.h"
#include "tools/orra/command.h"
#include "tools/orra/sheet_formula.h"
#include "xll/render_single_value.h"

namespace orra::cli {
namespace {

using Json = nlohmann::ordered_json;
constexpr char16_t kSheetName[] = u"[orra]Sheet1";
constexpr int kTickMs = 100;

struct SheetOptions {
  std::string file;
  std::string server;
  double wait_seconds = 10;
  bool json = false;
  bool before = false;
  std::string login_block = kLoginBlockName;
};

// What one cell shows.
struct ShownCell {
  std::string cell;
  std::string value;  // UTF-8
  bool is_number = false;
  std::optional<std::string> format;
  std::optional<std::string> alignment;
  std::optional<int> status;
};

// The timer ticks are the polling loop's own; nothing to arm.
class PolledTimer final : public MainThreadTimer {
 public:
  bool Start(uint32_t, uint32_t) override { return true; }
  void Stop(uint32_t) override {}
};

const Command& SheetCommand();

std::optional<SheetOptions> ParseOptions(const std::vector<std::string>& args, int& exit_code) {
  SheetOptions o;
  const auto fail = [&](const std::string& message) {
    exit_code = UsageError(message, SheetCommand());
    return std::nullopt;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (a == "--json") {
      o.json = true;
    } else if (a == "--before") {
      o.before = true;
    } else if (a == "--server" || a == "--wait" || a == "--login-block") {
      const auto v = value();
      if (!v) return fail(a + " needs a value");
      if (a == "--server") o.server = *v;
      if (a == "--login-block") o.login_block = *v;
      if (a == "--wait") {
        char* end = nullptr;
        o.wait_seconds = std::strtod(v->c_str(), &end);
        if (end == v->c_str() || *end != 0 || o.wait_seconds <= 0) return fail("--wait takes a number of seconds");
      }
    } else if (!a.empty() && a[0] == '-') {
      return fail("unknown option " + a);
    } else if (o.file.empty()) {
      o.file = a;
    } else {
      return fail("one sheet file only");
    }
  }
  if (o.file.empty()) return fail("which sheet file?");
  return o;
}

std::string NumberText(double number) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, number);
  return std::string(text, result.ptr);
}

std::string AlignmentName(int32_t alignment) {
  switch (alignment) {
    case kAlignLeft:
      return "left";
    case kAlignCenter:
      return "center";
    case kAlignRight:
      return "right";
    default:
      return std::to_string(alignment);
  }
}

ShownCell Show(const SheetCell& cell, bool requested, int32_t topic, RequestsDictionary& requests,
               GridObjectModel& grid, const CellMessageTable& messages, const Env& env) {
  ShownCell shown{cell.cell, "", false, std::nullopt, std::nullopt, std::nullopt};
  if (!requested) {
    shown.value = ToUtf8(messages.Text(CellMessage::kFixedParam));
    return shown;
  }
  const std::optional<tagRequest> record = requests.Find(topic);
  std::optional<CellValue> value;
  if (!record) {
    value = CellValue::Text(messages.Text(CellMessage::kFetching));
  } else {
    shown.status = record->status;
    const auto message = MessageForStatus(record->status, FunctionShape::kSingleValue);
    value = message ? CellValue::Text(messages.Text(*message)) : RenderSingleValue(&*record, &grid, messages, env);
  }
  shown.is_number = value->IsNumber();
  shown.value = shown.is_number ? NumberText(value->number()) : ToUtf8(value->text());
  if (const auto formatted = grid.Cell(CallerAddress(kSheetName, cell.cell))) {
    if (formatted->number_format) shown.format = ToUtf8(*formatted->number_format);
    if (formatted->horizontal_alignment) shown.alignment = AlignmentName(*formatted->horizontal_alignment);
  }
  return shown;
}

// Columns as a terminal shows them: CJK characters take two places.
size_t DisplayWidth(const std::string& utf8) {
  size_t width = 0;
  for (char16_t c : FromUtf8(utf8)) {
    if (c >= 0xDC00 && c <= 0xDFFF) continue;
    width += (c >= 0x1100 && (c <= 0x115F || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
                              (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6)))
                 ? 2
                 : 1;
  }
  return width;
}

void PrintTable(const std::string& title, const std::vector<ShownCell>& cells) {
  std::vector<std::vector<std::string>> rows = {{"cell", "value", "format", "alignment", "status"}};
  for (const ShownCell& c : cells) {
    rows.push_back({c.cell, c.value, c.format.value_or(""), c.alignment.value_or(""),
                    c.status ? std::to_string(*c.status) : ""});
  }
  std::vector<size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
  }
  std::printf("%s\n", title.c_str());
  for (const auto& row : rows) {
    std::string line = " ";
    for (size_t i = 0; i < row.size(); ++i) {
      line += " " + row[i] + std::string(widths[i] - DisplayWidth(row[i]) + 1, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::printf("%s\n", line.c_str());
  }
  std::fflush(stdout);
}

Json AsJson(const std::vector<ShownCell>& cells) {
  Json list = Json::array();
  for (const ShownCell& c : cells) {
    Json value = c.is_number ? Json(std::strtod(c.value.c_str(), nullptr)) : Json(c.value);
    list.push_back({{"cell", c.cell},
                    {"value", value},
                    {"type", c.is_number ? "number" : "text"},
                    {"format", c.format ? Json(*c.format) : Json(nullptr)},
                    {"alignment", c.alignment ? Json(*c.alignment) : Json(nullptr)},
                    {"status", c.status ? Json(*c.status) : Json(nullptr)}});
  }
  return list;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool AllSettled(const std::vector<int32_t>& topics, RequestsDictionary& requests) {
  for (int32_t topic : topics) {
    const auto record = requests.Find(topic);
    if (record && record->Status() == RequestStatus::kPending) return false;
  }
  return true;
}

int RunSheet(const std::vector<std::string>& args, Env& env) {
  int exit_code = 0;
  const std::optional<SheetOptions> options = ParseOptions(args, exit_code);
  if (!options) return exit_code;
  const std::optional<std::string> text = ReadWholeFile(options->file);
  if (!text) {
    std::fprintf(stderr, "orra: cannot read the sheet file %s; check the path\n", options->file.c_str());
    return 2;
  }
  std::string error;
  const auto cells = ParseSheet(*text, error);
  if (!cells) {
    std::fprintf(stderr, "orra: %s: %s\n", options->file.c_str(), error.c_str());
    return 2;
  }

  LoginBlockBytes block{};
  if (MakeLoginBlockReader(options->login_block)->Read(block) != LoginBlockReader::Result::kOk) {
    std::fprintf(stderr,
                 "orra: no login block \"%s\": start the terminal, or `orra-terminal login --user NAME --dir DIR`, "
                 "and try again\n",
                 options->login_block.c_str());
    return 2;
  }
  const char* env_server = std::getenv("ORRA_SERVER");
  const std::string server = !options->server.empty() ? options->server : (env_server != nullptr ? env_server : "");
  RequestPipeline::Options pipeline_options;
  pipeline_options.profile = ConnectionProfile::AddinDefault(server);
  pipeline_options.login_block_name = options->login_block;
  {
    ServerConnection probe(pipeline_options.profile, env);
    std::string why;
    if (!probe.Connect(&why)) {
      std::fprintf(stderr, "orra: cannot reach the data server (%s): %s; start orra-server or pass --server HOST:PORT\n",
                   server.empty() ? "127.0.0.1:9911" : server.c_str(), why.c_str());
      return 2;
    }
  }

  COrraData store(env);
  RequestsDictionary requests(env);
  CellMessageTable messages;
  JobQueue queue;
  PolledTimer timer;
  GridObjectModel grid;
  grid.AddSheet(u"orra", u"Sheet1");
  RequestPipeline pipeline(env, store, requests, queue, timer, pipeline_options);
  if (!pipeline.Start(&error)) {
    std::fprintf(stderr, "orra: %s\n", error.c_str());
    return 2;
  }

  std::vector<bool> requested(cells->size(), false);
  std::vector<int32_t> topics;
  for (size_t i = 0; i < cells->size(); ++i) {
    const auto topic_list = XdpTopics((*cells)[i], kSheetName);
    if (!topic_list) continue;
    requested[i] = true;
    const auto topic = static_cast<int32_t>(i + 1);
    topics.push_back(topic);
    pipeline.rtd().ConnectData(topic, *topic_list);
  }
  const auto show_all = [&] {
    std::vector<ShownCell> shown;
    for (size_t i = 0; i < cells->size(); ++i) {
      shown.push_back(Show((*cells)[i], requested[i], static_cast<int32_t>(i + 1), requests, grid, messages, env));
    }
    return shown;
  };
  if (options->before && !options->json) PrintTable("right after connecting:", show_all());

  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<int64_t>(options->wait_seconds * 1000));
  while (std::chrono::steady_clock::now() < deadline) {
    pipeline.rtd().RefreshData();
    if (AllSettled(topics, requests)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
  }
  pipeline.rtd().RefreshData();
  const std::vector<ShownCell> shown = show_all();
  pipeline.Stop();
  if (options->json) {
    std::printf("%s\n", AsJson(shown).dump(2).c_str());
  } else {
    PrintTable(AllSettled(topics, requests) ? "once the answers are in:" : "when the wait ran out:", shown);
  }
  return 0;
}

const Command& SheetCommand() {
  static const Command command{
      "sheet", "FILE [--server HOST[:PORT]] [--wait SECONDS] [--json] [--before] [--login-block NAME]",
      "runs a sheet of =XDP formulas (CELL FORMULA per line) through the add-in's pipeline and prints each cell",
      &RunSheet};
  return command;
}

const CommandRegistrar kRegistrar(SheetCommand());

}  // namespace
}  // namespace orra::cli
