// Filling the insert-code dialog's candidate list from a category of 100 000 members, against
// the floor of a plain scan that copies the same codes and names out of the market data. The
// fill runs on the user-interface thread while the user waits for the list, so the ratio says
// what the report list's rows cost beyond reading the data. Moving all of them to the selected
// list is timed too: its duplicate check must not grow with the square of the rows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench/ratio_main.h"
#include "testing/terminal_files.h"
#include "ui/insert_code_model.h"

namespace {

using orra::CBlockData;

constexpr int kSecurities = 100000;
constexpr int kLargestCategoryMembers = 100000;
constexpr int kSmallCategories = 200;
constexpr int kSmallCategoryMembers = 50;

// Category codes sort as the terminal writes them, in byte order.
std::string SmallCategoryCode(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "B%03d", n);
  return text;
}

std::string Code(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d.%s", n, n % 2 == 0 ? "sh" : "sz");
  return text;
}

// A market with one category holding every security, beside many small ones; ASCII names, as
// the layout takes its texts as the file's GBK bytes.
std::shared_ptr<const CBlockData> LargeMarket() {
  orra::terminal::MarketLayout layout;
  for (int n = 0; n < kSecurities; ++n) layout.securities.push_back({Code(n), "Security " + std::to_string(n), ""});
  layout.categories.push_back({true, false, 1, "", "ALL", "All", ""});
  layout.categories.push_back({false, false, 1, "ALL", "A00000", "Largest", ""});
  for (int c = 1; c <= kSmallCategories; ++c) layout.categories.push_back({false, true, 1, "ALL", SmallCategoryCode(c), "Small", ""});
  for (int m = 0; m < kLargestCategoryMembers; ++m) {
    layout.members.push_back({m == 0 ? "A00000" : "", 1, static_cast<uint64_t>(m)});
  }
  for (int c = 1; c <= kSmallCategories; ++c) {
    for (int m = 0; m < kSmallCategoryMembers; ++m) {
      layout.members.push_back({m == 0 ? SmallCategoryCode(c) : "", 1, static_cast<uint64_t>(c * kSmallCategoryMembers + m)});
    }
  }
  std::optional<CBlockData> market = CBlockData::Decode(orra::terminal::EncodeMarketData(layout), nullptr);
  return std::make_shared<const CBlockData>(std::move(*market));
}

const std::shared_ptr<const CBlockData>& Market() {
  static const std::shared_ptr<const CBlockData> market = LargeMarket();
  return market;
}

std::optional<size_t> LargestCategory(const orra::InsertCodeModel& model) {
  for (size_t i = 0; i < model.tree().nodes().size(); ++i) {
    if (model.tree().nodes()[i].text == u"Largest[ A00000 ]") return i;
  }
  return std::nullopt;
}

void BM_FillCandidates(benchmark::State& state) {
  orra::InsertCodeModel model(nullptr, Market(), orra::CellColours{});
  const std::optional<size_t> largest = LargestCategory(model);
  if (!largest) {
    state.SkipWithError("the largest category is not in the tree");
    return;
  }
  for (auto _ : state) {
    model.FillCandidates(largest);
    benchmark::DoNotOptimize(model.candidates().GetItemCount());
  }
  if (model.candidates().GetItemCount() != kLargestCategoryMembers) state.SkipWithError("wrong number of candidates");
}

void BM_PlainScan(benchmark::State& state) {
  const CBlockData& market = *Market();
  std::vector<std::pair<std::u16string, std::u16string>> rows;
  for (auto _ : state) {
    rows.clear();
    const std::optional<orra::IndexRange> members = market.MembersOf("A00000");
    for (size_t i = members->first; i <= members->second; ++i) {
      const orra::SecurityEntry& security = market.securities()[static_cast<size_t>(market.members()[i].security_index)];
      rows.emplace_back(security.WideCode(), security.name);
    }
    benchmark::DoNotOptimize(rows.data());
  }
}

// ">>" with every member of the largest category into an empty selected list: each candidate
// is checked against all the rows added before it.
void BM_AddAllCandidates(benchmark::State& state) {
  orra::InsertCodeModel model(nullptr, Market(), orra::CellColours{});
  model.FillCandidates(LargestCategory(model));
  for (auto _ : state) {
    model.RemoveAll();
    model.AddAllCandidates();
    benchmark::DoNotOptimize(model.selected().GetItemCount());
  }
  if (model.selected().GetItemCount() != kLargestCategoryMembers) state.SkipWithError("wrong number of selected rows");
}

BENCHMARK(BM_FillCandidates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddAllCandidates)->Unit(benchmark::kMillisecond);

ORRA_BENCHMARK_RATIO("candidate fill vs plain scan, 100 000 members", "BM_FillCandidates", "BM_PlainScan");

}  // namespace

ORRA_BENCHMARK_MAIN();
