// orra store dump: what the add-in's local data store reads from a terminal's data directory,
// as JSON (UTF-8) on standard output.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/clock.h"
#include "common/decimal_text.h"
#include "common/text_conversion.h"
#include "common/utf8.h"
#include "store/orra_data.h"
#include "store/store_files.h"
#include "tools/orra/command.h"

namespace orra::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Utf8(std::u16string_view text) { return ToUtf8(text); }
std::string Utf8OfGbk(std::string_view gbk) { return ToUtf8(ToWideString(gbk)); }

Json Indicators(const IndicatorDictionary& dictionary) {
  Json list = Json::array();
  for (const auto& [name, index] : dictionary.SortedEntries()) {
    const IndicatorDescriptor d = DescribeIndicator(dictionary.file().At(index));
    Json params = Json::array();
    for (const std::string& p : d.parameters) params.push_back(Utf8OfGbk(p));
    list.push_back({{"name", Utf8(name)}, {"id", d.id}, {"parent", d.parent_id}, {"value_kind", d.value_kind},
                    {"decimals", d.decimals}, {"alignment", d.alignment}, {"date_style", d.date_style},
                    {"params", params}, {"service", Utf8OfGbk(d.service)}});
  }
  return list;
}

Json Parameters(const CRecordFile& dictionary) {
  Json list = Json::array();
  for (size_t i = 0; i < dictionary.count(); ++i) {
    const RecordView record = dictionary.At(i);
    if (record.is_folder) continue;
    Json choices = Json::array();
    for (const ChoiceItem& item : COrraData::ParseChoiceList(record)) {
      choices.push_back({Utf8(item.display()), Utf8(item.value())});
    }
    list.push_back({{"name", Utf8OfGbk(record.name)}, {"id", record.id}, {"control", ParameterControlType(record)},
                    {"caption", Utf8OfGbk(ParameterCaption(record))},
                    {"default", Utf8OfGbk(ParameterDefaultText(record))}, {"choices", choices}});
  }
  return list;
}

Json RecordFileSummary(const CRecordFile& file) {
  return {{"payload_size", file.file_payload_size()}, {"records", file.count()}, {"revision", file.revision()},
          {"rewrite", file.NeedsRewrite()}};
}

Json Securities(const std::vector<SecurityEntry>& securities) {
  Json list = Json::array();
  for (const SecurityEntry& s : securities) list.push_back({{"code", Utf8OfGbk(s.code)}, {"name", Utf8(s.name)}});
  return list;
}

Json Market(const CBlockData* market) {
  if (market == nullptr) return nullptr;
  Json categories = Json::array();
  for (const CategoryEntry& c : market->categories()) {
    categories.push_back({{"parent", Utf8OfGbk(c.parent_key)}, {"code", Utf8OfGbk(c.code)}, {"name", Utf8OfGbk(c.name)},
                          {"scheme", c.scheme_id}, {"has_children", c.has_children},
                          {"continues_group", c.continues_group}});
  }
  Json members = Json::array();
  for (const MemberEntry& m : market->members()) {
    members.push_back({{"category", Utf8OfGbk(m.category_code)}, {"scheme", m.scheme_id}, {"security", m.security_index}});
  }
  return {{"kind", market->kind()}, {"securities", Securities(market->securities())}, {"categories", categories},
          {"members", members}};
}

Json SelfBlocks(const CSelfBlockList* list) {
  if (list == nullptr) return nullptr;
  Json groups = Json::array();
  for (const SelfBlockGroup& g : list->groups()) {
    Json blocks = Json::array();
    for (const SelfBlock& b : g.blocks) {
      Json stocks = Json::array();
      for (const SelfStock& s : b.stocks) {
        stocks.push_back({{"code", Utf8OfGbk(s.code)}, {"name", Utf8OfGbk(s.name)}, {"info", Utf8OfGbk(s.info)}});
      }
      blocks.push_back({{"name", Utf8(b.wide_name)}, {"stocks", stocks}});
    }
    groups.push_back({{"group", Utf8OfGbk(g.name)}, {"blocks", blocks}});
  }
  return groups;
}

Json Dump(const COrraData& store) {
  Json variables = Json::object();
  for (const auto& [name, value] : store.Variables()) variables[Utf8(name)] = Utf8(value);
  const std::shared_ptr<const CKeyIndex> key_index = store.KeyIndex();
  return {{"indicators", Indicators(*store.Indicators())},
          {"variables", variables},
          {"parameters", Parameters(*store.SystemDictionary())},
          {"record_files",
           {{"indicators", RecordFileSummary(*store.IndicatorFile())},
            {"system_dict", RecordFileSummary(*store.SystemDictionary())}}},
          {"key_index", key_index ? Securities(key_index->securities()) : Json::array()},
          {"market", Market(store.MarketData().get())},
          {"self_blocks", SelfBlocks(store.SelfBlocks().get())}};
}

std::optional<LocalDateTime> ParseDay(const std::string& text) {
  constexpr size_t kYmdDigits = 8;
  constexpr DecimalRange kYmdRange{0, 99'999'999};
  if (text.size() != kYmdDigits) return std::nullopt;
  const std::optional<int64_t> ymd = ReadWholeDecimal(text, kYmdRange);
  if (!ymd) return std::nullopt;
  const int value = static_cast<int>(*ymd);
  const std::chrono::year_month_day day{std::chrono::year{value / 10000},
                                        std::chrono::month{static_cast<unsigned>(value / 100 % 100)},
                                        std::chrono::day{static_cast<unsigned>(value % 100)}};
  if (!day.ok()) return std::nullopt;
  LocalDateTime now;
  now.year = value / 10000;
  now.month = value / 100 % 100;
  now.day = value % 100;
  return now;
}

// --today: the relative-date defaults resolve against this day instead of the system's, so a
// dump can show what the add-in would have read on another day.
class FixedDayClock final : public Clock {
 public:
  FixedDayClock(const LocalDateTime& day, const Clock& running) : day_(day), running_(running) {}
  LocalDateTime LocalNow() const override { return day_; }
  int64_t SteadyMilliseconds() const override { return running_.SteadyMilliseconds(); }

 private:
  LocalDateTime day_;
  const Clock& running_;
};

int RunDump(const std::vector<std::string>& args, Env& env);

const Command kDump{"store dump", "DIR [--today YYYYMMDD] [--no-write]",
                    "loads the local data store from the terminal's data directory DIR as the add-in does and "
                    "prints it as JSON",
                    RunDump};
const CommandRegistrar kRegisterDump(kDump);

int RunDump(const std::vector<std::string>& args, Env& process_env) {
  std::optional<std::string> directory;
  std::optional<LocalDateTime> today;
  bool no_write = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--no-write") {
      no_write = true;
    } else if (args[i] == "--today") {
      if (i + 1 == args.size()) return UsageError("--today needs a date YYYYMMDD", kDump);
      today = ParseDay(args[++i]);
      if (!today) return UsageError("--today wants a calendar date as YYYYMMDD, for example 20240315", kDump);
    } else if (args[i].rfind("--", 0) == 0) {
      return UsageError("unknown option " + args[i], kDump);
    } else if (directory) {
      return UsageError("only one DIR is taken", kDump);
    } else {
      directory = args[i];
    }
  }
  if (!directory) return UsageError("the terminal's data directory DIR is needed", kDump);
  const std::u16string wide_directory = FromUtf8(*directory);
  std::error_code error;
  if (!std::filesystem::is_directory(std::filesystem::path(wide_directory), error)) {
    std::fprintf(stderr, "orra: %s is not a readable directory; give the terminal's data directory\n",
                 directory->c_str());
    return 2;
  }
  std::optional<FixedDayClock> fixed_day;
  if (today) fixed_day.emplace(*today, process_env.clock());
  Env env(fixed_day ? *fixed_day : process_env.clock(), process_env.files(), process_env.debug_sink());
  COrraData store(env);  // its end writes back what the add-in writes back at exit
  store.SetWritesAllowed(!no_write);
  store.SetDataDirectory(WithTrailingSeparator(wide_directory));
  store.Load();
  const std::string text = Dump(store).dump(1);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  if (!store.SaveRecordFiles()) {
    std::fprintf(stderr, "orra: could not write back a record file under %s\n", directory->c_str());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace orra::cli
