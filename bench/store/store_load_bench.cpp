// Loading the store from a large terminal data directory, against the floor of only reading
// the same files' bytes and inflating the two packed bodies. Loading runs on Excel's main
// thread, so both the absolute time and the ratio to the floor matter.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/file_system.h"
#include "common/utf8.h"
#include "store/byte_reader.h"
#include "store/compressed_body.h"
#include "store/orra_data.h"
#include "store/store_files.h"
#include "testing/terminal_description.h"

namespace {

using nlohmann::json;

constexpr int kTopFolders = 20;
constexpr int kSubFolders = 24;  // 20 + 20 * 24 = 500 folders
constexpr int kIndicatorRecords = 100000;
constexpr int kParameters = 5000;
constexpr int kSecurities = 10000;
constexpr int kTopCategories = 10;
constexpr int kChildCategories = 199;  // 10 + 10 * 199 = 2000 categories
constexpr int kMembersPerCategory = 50;  // 2000 * 50 = 100000 members
constexpr int kBlocks = 50;
constexpr int kStocksPerBlock = 100;

std::string Code(int n) {
  char text[16];
  std::snprintf(text, sizeof text, n % 2 == 0 ? "%06d.sh" : "%06d.sz", n % 2 == 0 ? 600000 + n : n);
  return text;
}

json Description() {
  json indicators = json::array();
  const int folders = kTopFolders + kTopFolders * kSubFolders;
  const int leaves_per_folder = (kIndicatorRecords - folders) / (kTopFolders * kSubFolders);
  int leaf = 0;
  for (int t = 0; t < kTopFolders; ++t) {
    json subs = json::array();
    for (int s = 0; s < kSubFolders; ++s) {
      json children = json::array();
      const int count = leaves_per_folder + ((t == kTopFolders - 1 && s == kSubFolders - 1)
                                                 ? (kIndicatorRecords - folders) % (kTopFolders * kSubFolders)
                                                 : 0);
      for (int n = 0; n < count; ++n, ++leaf) {
        children.push_back({{"name", "指标" + std::to_string(leaf)},
                            {"params", {"tradedate", "p" + std::to_string(leaf % kParameters)}},
                            {"service", "stock.i" + std::to_string(leaf)}});
      }
      subs.push_back({{"folder", "子目录" + std::to_string(s)}, {"children", children}});
    }
    indicators.push_back({{"folder", "目录" + std::to_string(t)}, {"children", subs}});
  }
  json parameters = json::array();
  for (int n = 0; n < kParameters; ++n) {
    if (n % 3 == 0) {
      parameters.push_back({{"name", "p" + std::to_string(n)}, {"control", "date"}, {"default", "-1010"}});
    } else if (n % 3 == 1) {
      parameters.push_back({{"name", "p" + std::to_string(n)}, {"control", "choice"},
                            {"choices", json::array({json::array({"甲", "1"}), json::array({"乙", "2"}), json::array({"丙", "3"})})}});
    } else {
      parameters.push_back({{"name", "p" + std::to_string(n)}, {"default", "文本"}});
    }
  }
  json securities = json::array();
  for (int n = 0; n < kSecurities; ++n) securities.push_back({Code(n), "证券" + std::to_string(n)});
  json top = json::array();
  int member = 0;
  for (int t = 0; t < kTopCategories; ++t) {
    json children = json::array();
    for (int c = 0; c < kChildCategories; ++c) {
      json members = json::array();
      for (int m = 0; m < kMembersPerCategory; ++m) members.push_back(Code((member++ * 7) % kSecurities));
      children.push_back({{"code", "C" + std::to_string(t) + "_" + std::to_string(c)},
                          {"name", "分类" + std::to_string(c)}, {"members", members}});
    }
    top.push_back({{"code", "T" + std::to_string(t)}, {"name", "顶层" + std::to_string(t)},
                   {"scheme", 1 + t % 2}, {"children", children}});
  }
  json blocks = json::array();
  for (int b = 0; b < kBlocks; ++b) {
    json stocks = json::array();
    for (int s = 0; s < kStocksPerBlock; ++s) stocks.push_back({Code(b * kStocksPerBlock + s), "名称", "信息"});
    blocks.push_back({{"name", "板块" + std::to_string(b)}, {"stocks", stocks}});
  }
  return {{"indicators", {{"tree", indicators}}},
          {"parameters", {{"tree", parameters}}},
          {"securities", securities},
          {"market", {{"schemes", {{{"scheme", 1}, {"categories", top}}}}}},
          {"self_blocks", {{{"group", "市场导航"}, {"blocks", blocks}}}}};
}

// The generated data directory, made once per process.
const std::u16string& DataDirectory() {
  static const std::u16string directory = [] {
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "orra-bench-store";
    std::filesystem::remove_all(root);
    const std::u16string dir = orra::WithTrailingSeparator(root.u16string());
    orra::terminal::WriteDataFiles(dir, orra::terminal::DescribeDataFiles(Description()));
    return dir;
  }();
  return directory;
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

// The floor: the median of a few runs, measured in this process before the loads.
double FloorSeconds() {
  static const double floor = [] {
    std::vector<double> runs;
    for (int i = 0; i < 7; ++i) runs.push_back(Seconds(ReadAndInflate));
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
  }();
  return floor;
}

void BM_ReadAndInflateFloor(benchmark::State& state) {
  DataDirectory();
  for (auto _ : state) ReadAndInflate(DataDirectory());
}

void BM_LoadStore(benchmark::State& state) {
  DataDirectory();
  const double floor = FloorSeconds();
  double total = 0;
  for (auto _ : state) total += Seconds(LoadStore);
  const double per_load = total / static_cast<double>(state.iterations());
  state.counters["load_ms"] = per_load * 1e3;
  state.counters["floor_ms"] = floor * 1e3;
  state.counters["ratio_to_floor"] = per_load / floor;
}

BENCHMARK(BM_ReadAndInflateFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStore)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
