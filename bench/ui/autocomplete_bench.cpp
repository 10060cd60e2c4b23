// One keystroke in the navigator's search box over 100 000 indicator names: the edit's answer
// (search, display order, the list's new state) against the floor of a plain substring scan of
// the same names. The answer runs on the user-interface thread between two keystrokes, so it
// has to stay within one frame (16 ms) even for a one-character query that matches a large
// share of the names.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "bench/ratio_main.h"
#include "bench/ui/indicator_names.h"
#include "ui/autocomplete_edit.h"

namespace orra {
namespace {

const std::vector<std::u16string>& Names() {
  static const std::vector<std::u16string> names = bench::IndicatorNames();
  return names;
}

void Fill(AutocompleteEdit& edit) {
  for (std::size_t i = 0; i < Names().size(); ++i) edit.AddCandidate(Names()[i], i);
}

AutocompleteEdit& FilledEdit() {
  static AutocompleteEdit edit = [] {
    AutocompleteEdit filled;
    Fill(filled);
    return filled;
  }();
  return edit;
}

// range(0): 1 for the one-character query, 3 for the three-character one.
std::u16string_view Query(int64_t length) { return length == 1 ? u"率" : u"收益率"; }

void BM_Keystroke(benchmark::State& state) {
  AutocompleteEdit& edit = FilledEdit();
  const std::u16string_view query = Query(state.range(0));
  for (auto _ : state) {
    edit.OnTextChanged(query, {});
    benchmark::DoNotOptimize(edit.list().matches().data());
    state.PauseTiming();
    edit.OnTextChanged(u"", {});
    state.ResumeTiming();
  }
  state.counters["names"] = static_cast<double>(edit.candidates().size());
  state.counters["matches"] = static_cast<double>(edit.candidates().Match(query).size());
}
BENCHMARK(BM_Keystroke)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

// The first keystroke after the candidates were filled, when no focus event arranged the search
// copy ahead of it: it arranges the copy itself.
void BM_FirstKeystroke(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    AutocompleteEdit edit;
    Fill(edit);
    state.ResumeTiming();
    edit.OnTextChanged(Query(state.range(0)), {});
    benchmark::DoNotOptimize(edit.list().matches().data());
    state.PauseTiming();
    edit = AutocompleteEdit();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstKeystroke)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_PlainScan(benchmark::State& state) {
  const std::vector<std::u16string>& names = Names();
  const std::u16string_view query = Query(state.range(0));
  for (auto _ : state) {
    std::size_t found = 0;
    for (const std::u16string& name : names) found += std::u16string_view(name).find(query) != std::u16string_view::npos;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_PlainScan)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orra

ORRA_BENCHMARK_RATIO("keystroke vs plain scan, one character", "BM_Keystroke/1", "BM_PlainScan/1");
ORRA_BENCHMARK_RATIO("keystroke vs plain scan, three characters", "BM_Keystroke/3", "BM_PlainScan/3");
ORRA_BENCHMARK_MAIN();
