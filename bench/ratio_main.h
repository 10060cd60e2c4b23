#pragma once
// A benchmark main that prints, after the usual table, the ratios the benchmark program
// declared: subject time / baseline time, both measured in this process and run.
//
//   ORRA_BENCHMARK_RATIO("pool vs malloc, 256 B", "BM_Pool/256", "BM_Malloc/256");
//   ORRA_BENCHMARK_MAIN();

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace orra::bench {

struct Ratio {
  std::string label, subject, baseline;
};

inline std::vector<Ratio>& Ratios() {
  static std::vector<Ratio> ratios;
  return ratios;
}

struct RatioRegistrar {
  RatioRegistrar(const char* label, const char* subject, const char* baseline) {
    Ratios().push_back({label, subject, baseline});
  }
};

class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        times_[run.benchmark_name()] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    if (Ratios().empty()) return;
    std::printf("\n%-58s %12s %12s %8s\n", "ratio (subject / baseline, real time)", "subject", "baseline", "ratio");
    for (const Ratio& r : Ratios()) {
      auto s = times_.find(r.subject), b = times_.find(r.baseline);
      if (s == times_.end() || b == times_.end() || b->second <= 0) continue;
      std::printf("%-58s %12.1f %12.1f %8.2f\n", r.label.c_str(), s->second, b->second, s->second / b->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

inline int RunWithRatios(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}

}  // namespace orra::bench

#define ORRA_BENCH_CONCAT2(a, b) a##b
#define ORRA_BENCH_CONCAT(a, b) ORRA_BENCH_CONCAT2(a, b)
#define ORRA_BENCHMARK_RATIO(label, subject, baseline) \
  static ::orra::bench::RatioRegistrar ORRA_BENCH_CONCAT(orra_ratio_, __LINE__)(label, subject, baseline)
#define ORRA_BENCHMARK_MAIN() \
  int main(int argc, char** argv) { return ::orra::bench::RunWithRatios(argc, argv); }
