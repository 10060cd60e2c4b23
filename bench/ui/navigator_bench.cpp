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

#include "bench/ratio_main.h"
#include "common/env.h"
#include "common/file_system.h"
#include "common/text_conversion.h"
#include "store/orra_data.h"
#include "store/store_files.h"
#include "testing/large_terminal.h"
#include "testing/terminal_description.h"
#include "ui/indicator_tree.h"
#include "ui/navigator_model.h"

namespace orra {
namespace {

constexpr int kParameters = 5000;

// The terminal's files written once per process, and a store loaded from them.
struct LargeTerminal {
  LargeTerminal() {
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "orra-bench-navigator";
    std::filesystem::remove_all(root);
    directory = WithTrailingSeparator(root.u16string());
    terminal::LargeTerminalShape shape;  // 100 000 indicator records in 500 folders
    shape.parameters = kParameters;
    terminal::WriteDataFiles(directory, terminal::DescribeDataFiles(terminal::DescribeLargeTerminal(shape)));
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
