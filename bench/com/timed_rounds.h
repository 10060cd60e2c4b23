#pragma once
// The Windows benchmarks' own timing: Google Benchmark is not available for MinGW here (Debian
// packages it for the native build only). A case is a round function; a round does its own
// setup and cleanup untimed and answers the time it measured and how many calls that time
// covers, so that a case times only the calls it is about. A subject and its baseline are
// measured together, their rounds taking turns (after one warm-up round each, which loads what
// is loaded once), until each has measured at least kMinimumMeasured: whatever else the machine
// does then weighs on both alike, and their ratio compares two cases of the same process. A
// case's time per call is the median over its rounds, so that a round another process's burst
// on the shared cores slowed down does not move it.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace orra::bench {

using Nanoseconds = std::chrono::nanoseconds;

struct RoundTime {
  Nanoseconds measured{0};
  int64_t calls = 0;
};

struct CaseResult {
  std::string name;
  double ns_per_call = 0;
  int64_t calls = 0;
  int rounds = 0;
};

inline constexpr Nanoseconds kMinimumMeasured = std::chrono::milliseconds(500);
// Bounds for a case whose rounds measure next to nothing: it ends at either.
inline constexpr int kMaxRounds = 100000;
inline constexpr std::chrono::seconds kMaxWallTime{60};

struct CasePair {
  CaseResult subject, baseline;
};

template <typename SubjectRound, typename BaselineRound>
CasePair MeasurePair(const std::string& subject_name, SubjectRound subject_round, const std::string& baseline_name,
                     BaselineRound baseline_round) {
  subject_round();
  baseline_round();
  CasePair pair{{subject_name}, {baseline_name}};
  Nanoseconds subject_time{0}, baseline_time{0};
  std::vector<double> subject_rounds, baseline_rounds;
  const auto take = [](CaseResult& result, Nanoseconds& total, std::vector<double>& per_call, const RoundTime& time) {
    total += time.measured;
    result.calls += time.calls;
    ++result.rounds;
    if (time.calls > 0) per_call.push_back(static_cast<double>(time.measured.count()) / static_cast<double>(time.calls));
  };
  const auto give_up = std::chrono::steady_clock::now() + kMaxWallTime;
  while ((subject_time < kMinimumMeasured || baseline_time < kMinimumMeasured) &&
         pair.subject.rounds < kMaxRounds && std::chrono::steady_clock::now() < give_up) {
    if (subject_time < kMinimumMeasured) take(pair.subject, subject_time, subject_rounds, subject_round());
    if (baseline_time < kMinimumMeasured) take(pair.baseline, baseline_time, baseline_rounds, baseline_round());
  }
  const auto finish = [](CaseResult& result, Nanoseconds total, std::vector<double>& per_call) {
    if (per_call.empty()) throw std::runtime_error(result.name + ": no call was measured");
    std::nth_element(per_call.begin(), per_call.begin() + static_cast<std::ptrdiff_t>(per_call.size() / 2), per_call.end());
    result.ns_per_call = per_call[per_call.size() / 2];
    // A case whose rounds are slow to set up may end at the wall-time bound with less measured.
    std::printf("%-58s %10.1f ns/call %9lld calls %5d rounds %7.1f ms measured\n", result.name.c_str(),
                result.ns_per_call, static_cast<long long>(result.calls), result.rounds, total.count() / 1e6);
  };
  finish(pair.subject, subject_time, subject_rounds);
  finish(pair.baseline, baseline_time, baseline_rounds);
  std::fflush(stdout);
  return pair;
}

inline void PrintRatio(const std::string& label, const CasePair& pair) {
  std::printf("%-58s %10.2f  (%.1f / %.1f ns)\n", label.c_str(), pair.subject.ns_per_call / pair.baseline.ns_per_call,
              pair.subject.ns_per_call, pair.baseline.ns_per_call);
}

}  // namespace orra::bench
