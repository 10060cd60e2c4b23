// Loading the store from a large terminal data directory, against the floor of only reading
// the same files' bytes and inflating the two packed bodies. Loading runs on Excel's main
// thread, so both the absolute time and the ratio to the floor matter.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include <nlohmann/json.hpp>

#include "common/file_system.h"
#include "common/utf8.h"
#include "store/byte_reader.h"
#include "store/compressed_body.h"
#include "store/orra_data.h"
#include "store/store_files.h"
#include "testing/large_terminal.h"
#include "testing/terminal_description.h"

namespace {

// The counts every earlier figure of this program was measured over, so that figures compare
// across changes.
orra::terminal::LargeTerminalShape Shape() {
  orra::terminal::LargeTerminalShape shape;  // 100 000 indicator records in 500 folders
  shape.parameters = 5000;
  shape.securities = 10000;
  shape.top_categories = 10;
  shape.child_categories = 199;  // 10 + 10 * 199 = 2000 categories
  shape.members_per_category = 50;  // 2000 * 50 = 100000 members
  shape.blocks = 50;
  shape.stocks_per_block = 100;
  return shape;
}

// glibc moves its mapping and trimming thresholds with every large block a process frees, so
// how the rounds' buffers were served depended on the allocations that built the terminal's
// description: one way of building it left every round faulting its memory in afresh, which
// cost far more than the reading (a floor of 300 ms instead of 7). Fixed thresholds, set before
// anything large is allocated, make the rounds independent of what came before them.
constexpr int kMmapThresholdBytes = 32 << 20;
constexpr int kTrimThresholdBytes = 256 << 20;

// The generated data, in a folder of this process's own (two runs at once must not rebuild
// each other's files), removed when the process ends.
class DataFolder {
 public:
  DataFolder() {
    mallopt(M_MMAP_THRESHOLD, kMmapThresholdBytes);
    mallopt(M_TRIM_THRESHOLD, kTrimThresholdBytes);
    directory_ = orra::WithTrailingSeparator(root_.u16string());
    const nlohmann::json description = orra::terminal::DescribeLargeTerminal(Shape());
    orra::terminal::WriteDataFiles(directory_, orra::terminal::DescribeDataFiles(description));
  }
  ~DataFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  DataFolder(const DataFolder&) = delete;
  DataFolder& operator=(const DataFolder&) = delete;

  const std::u16string& directory() const { return directory_; }

 private:
  std::filesystem::path root_ =
      std::filesystem::temp_directory_path() / ("orra-bench-store-" + std::to_string(std::random_device{}()));
  std::u16string directory_;
};

const std::u16string& DataDirectory() {
  static const DataFolder folder;
  return folder.directory();
}

void ReadAndInflate(const std::u16string& dir) {
  orra::FileSystem& files = orra::PlatformFileSystem();
  for (std::u16string_view name : {orra::kIndicatorFileName, orra::kSystemDictionaryName, orra::kSelfBlockName}) {
    benchmark::DoNotOptimize(files.ReadAll(dir + std::u16string(name), orra::FileSystem::Access::kRead));
  }
  const auto inflate = [&](std::u16string_view name, size_t header, size_t sizes) {
    const auto bytes = files.ReadAll(dir + std::u16string(name), orra::FileSystem::Access::kRead);
    const auto inflated = orra::ByteReader::LoadLittleEndian<int32_t>(bytes->data() + sizes);
    const auto compressed = orra::ByteReader::LoadLittleEndian<int32_t>(bytes->data() + sizes + 4);
    benchmark::DoNotOptimize(orra::InflateBody(std::span<const uint8_t>(*bytes).subspan(header), inflated, compressed));
  };
  inflate(orra::kKeyIndexName, 136, 96);
  inflate(orra::kMarketDataName, 188, 148);
}

double Seconds(void (*work)(const std::u16string&)) {
  const auto start = std::chrono::steady_clock::now();
  work(DataDirectory());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void LoadStore(const std::u16string& dir) {
  orra::PlatformEnv env;
  orra::COrraData store(env);
  store.SetWritesAllowed(false);
  store.SetDataDirectory(dir);
  store.Load();
  benchmark::DoNotOptimize(store.Indicators()->size());
}

// Every round loads the store and then reads the floor's files, so that the ratio compares the
// two under the same conditions: on a shared machine the speed of both moves by a third from
// one second to the next, and a floor measured once before the loads moved the ratio with it.
void BM_LoadStore(benchmark::State& state) {
  DataDirectory();
  double floor = 0;
  double load = 0;
  for (auto _ : state) {
    load += Seconds(LoadStore);
    floor += Seconds(ReadAndInflate);
  }
  const auto rounds = static_cast<double>(state.iterations());
  state.counters["load_ms"] = load / rounds * 1e3;
  state.counters["floor_ms"] = floor / rounds * 1e3;
  state.counters["ratio_to_floor"] = load / floor;
}

BENCHMARK(BM_LoadStore)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
