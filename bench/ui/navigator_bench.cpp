// The indicator navigator's first opening over a large terminal (100 000 indicator records in
// 500 folders, 5 000 parameters): building the tree and the search candidates, against the
// floor of a plain scan of the same records (each record's view and its name made wide, as
// any walk that shows the names must). The whole first opening (the model built from the
// loaded store, the first indicator selected, its first formula) runs on the user-interface
// thread while the user waits; it should stay within 300 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench/ratio_main.h"
#include "common/env.h"
#include "common/file_system.h"
#include "common/text_conversion.h"
#include "store/orra_data.h"
#include "store/store_files.h"
#include "testing/terminal_description.h"
#include "ui/indicator_tree.h"
#include "ui/navigator_model.h"

namespace orra {
namespace {

using nlohmann::json;

constexpr int kTopFolders = 20;
constexpr int kSubFolders = 24;  // 20 + 20 * 24 = 500 folders
constexpr int kIndicatorRecords = 100000;
constexpr int kParameters = 5000;

json Description() {
  json indicators = json::array();
  const int folders = kTopFolders + kTopFolders * kSubFolders;
  const int leaves = kIndicatorRecords - folders;
  const int per_folder = leaves / (kTopFolders * kSubFolders);
  int leaf = 0;
  for (int t = 0; t < kTopFolders; ++t) {
    json subs = json::array();
    for (int s = 0; s < kSubFolders; ++s) {
      const bool last = t == kTopFolders - 1 && s == kSubFolders - 1;
      const int count = per_folder + (last ? leaves % (kTopFolders * kSubFolders) : 0);
      json children = json::array();
      for (int n = 0; n < count; ++n, ++leaf) {
        children.push_back({{"name", "指标" + std::to_string(leaf)},
                            {"params", json::array({"tradedate", "p" + std::to_string(leaf % kParameters)})},
                            {"service", "stock.i" + std::to_string(leaf)}});
      }
      subs.push_back({{"folder", "子目录" + std::to_string(s)}, {"children", children}});
    }
    indicators.push_back({{"folder", "目录" + std::to_string(t)}, {"children", subs}});
  }
  json parameters = json::array({{{"name", "tradedate"}, {"control", "date"}, {"default", "-1010"}}});
  for (int n = 0; n < kParameters; ++n) {
    json p = {{"name", "p" + std::to_string(n)}, {"caption", "参数"}};
    if (n % 2 == 0) {
      p["control"] = "choice";
      p["choices"] = json::array({json::array({"甲", "1"}), json::array({"乙", "2"})});
    }
    parameters.push_back(p);
  }
  return {{"indicators", {{"tree", indicators}}}, {"parameters", {{"tree", parameters}}}};
}

// The terminal's files written once per process, and a store loaded from them.
struct LargeTerminal {
  LargeTerminal() {
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "orra-bench-navigator";
    std::filesystem::remove_all(root);
    directory = WithTrailingSeparator(root.u16string());
    terminal::WriteDataFiles(directory, terminal::DescribeDataFiles(Description()));
    store.SetWritesAllowed(false);
    store.SetDataDirectory(directory);
    store.Load();
  }
  ~LargeTerminal() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(directory), ignored);
  }

  std::u16string directory;
  PlatformEnv env;
  COrraData store{env};
};

LargeTerminal& Terminal() {
  static LargeTerminal terminal;
  return terminal;
}

class NoRanges final : public CellReferenceProbe {
 public:
  bool IsRange(std::u16string_view) override { return false; }
  std::optional<std::u16string> ActiveCellAddress() override { return std::nullopt; }
};

void BM_ScanRecords(benchmark::State& state) {
  const std::shared_ptr<const CRecordFile> file = Terminal().store.IndicatorFile();
  for (auto _ : state) {
    size_t units = 0;
    for (size_t i = 0; i < file->count(); ++i) {
      const RecordView record = file->At(i);
      if (record.id == 0) break;
      units += ToWideString(record.name).size();
    }
    benchmark::DoNotOptimize(units);
  }
  state.counters["records"] = static_cast<double>(file->count());
}

void BM_BuildTree(benchmark::State& state) {
  const std::shared_ptr<const CRecordFile> file = Terminal().store.IndicatorFile();
  size_t candidates = 0;
  for (auto _ : state) {
    const IndicatorTree tree(file);
    candidates = tree.candidates().size();
    benchmark::DoNotOptimize(tree.nodes().data());
  }
  state.counters["candidates"] = static_cast<double>(candidates);
}

void BM_FirstOpening(benchmark::State& state) {
  const COrraData& store = Terminal().store;
  NoRanges excel;
  for (auto _ : state) {
    NavigatorModel model(store);
    const std::optional<size_t> node = model.ChooseSearchText(u"指标99000");
    model.Select(node);
    const std::vector<RowReading> readings{u"600000.sh", CalendarDate{2017, 2, 20}, ChosenItem{0}};
    model.Tick(readings, excel);
    benchmark::DoNotOptimize(model.formula().data());
  }
}

BENCHMARK(BM_ScanRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstOpening)->Unit(benchmark::kMillisecond);

ORRA_BENCHMARK_RATIO("navigator tree and candidates vs scanning the records", "BM_BuildTree", "BM_ScanRecords");

}  // namespace
}  // namespace orra

ORRA_BENCHMARK_MAIN();
