#pragma once
// The 35 worksheet functions of the family: for each, the function id it sends as topic 1,
// how many arguments Excel passes it, how many leading ones must be present, which arguments
// become topics and how, and whether its cell renders the answer or only shows state texts.
//
// Only XDP is registered with Excel; the others are exported under their names and share one
// code path (worksheet_function.h). Immutable, any thread.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "request/cell_messages.h"

namespace orra {

// The most arguments a function of the family takes (QX_SDH, QX_PDH).
inline constexpr size_t kMaxWorksheetArguments = 19;
// Caller address and function id come before the arguments.
inline constexpr size_t kLeadingTopics = 2;
inline constexpr size_t kMaxTopics = kLeadingTopics + kMaxWorksheetArguments;

enum class TopicConversion : uint8_t {
  kPlain,  // sent unchanged
  kDate,   // through DateArgumentToNumber
  kKeyed,  // through KeywordDateArgument, with the argument before it (as given) as keyword
};

// Arguments `first` to `last` (counted from 1, as Excel's argument list), all converted alike.
struct TopicRun {
  uint8_t first = 0;
  uint8_t last = 0;
  TopicConversion conversion = TopicConversion::kPlain;
};

inline constexpr size_t kMaxTopicRuns = 4;

struct WorksheetFunction {
  uint8_t id;
  std::string_view name;
  uint8_t argument_count;
  uint8_t required_count;  // leading arguments that must be present
  std::array<TopicRun, kMaxTopicRuns> runs;
  uint8_t run_count;
  // Arguments accepted and neither read nor sent (bit n-1 for argument n); a required one is
  // still checked.
  uint32_t ignored;
  FunctionShape shape;

  constexpr std::span<const TopicRun> topic_runs() const { return {runs.data(), run_count}; }
  // Topics before missing ones and placement options are dropped.
  constexpr size_t topic_count() const {
    size_t count = kLeadingTopics;
    for (size_t i = 0; i < run_count; ++i) count += runs[i].last - runs[i].first + 1;
    return count;
  }
};

inline constexpr size_t kWorksheetFunctionCount = 35;

namespace table_detail {

constexpr TopicRun Plain(uint8_t first, uint8_t last) { return {first, last, TopicConversion::kPlain}; }
constexpr TopicRun Plain(uint8_t only) { return Plain(only, only); }
constexpr TopicRun Date(uint8_t first, uint8_t last) { return {first, last, TopicConversion::kDate}; }
constexpr TopicRun Date(uint8_t only) { return Date(only, only); }
constexpr TopicRun Keyed(uint8_t first, uint8_t last) { return {first, last, TopicConversion::kKeyed}; }

constexpr uint32_t Ignored(uint8_t argument) { return uint32_t{1} << (argument - 1); }

constexpr WorksheetFunction Row(uint8_t id, std::string_view name, uint8_t arguments, uint8_t required,
                                std::initializer_list<TopicRun> runs, uint32_t ignored, FunctionShape shape) {
  WorksheetFunction row{id, name, arguments, required, {}, 0, ignored, shape};
  for (const TopicRun& run : runs) row.runs[row.run_count++] = run;
  return row;
}

constexpr FunctionShape kValue = FunctionShape::kSingleValue;
constexpr FunctionShape kArray = FunctionShape::kArray;

}  // namespace table_detail

// In function-id order: row i has id i.
inline constexpr std::array<WorksheetFunction, kWorksheetFunctionCount> kWorksheetFunctions = [] {
  using namespace table_detail;
  return std::array<WorksheetFunction, kWorksheetFunctionCount>{
      Row(0, "XDP", 16, 2, {Plain(1, 3), Keyed(4, 16)}, 0, kValue),
      Row(1, "QX_PDP", 14, 4, {Plain(1, 2), Date(3), Plain(4, 5), Keyed(6, 14)}, 0, kValue),
      Row(2, "QX_SDH", 19, 4, {Plain(1), Date(2, 3), Plain(4, 5), Keyed(6, 19)}, 0, kArray),
      Row(3, "QX_PDH", 19, 5, {Plain(1, 2), Date(3, 4), Plain(5, 6), Keyed(7, 19)}, 0, kArray),
      Row(4, "QX_REPORT", 12, 1, {Date(1), Plain(3), Keyed(4, 12)}, Ignored(2), kArray),
      Row(5, "QX_SRADAR", 9, 1, {Date(1), Plain(3), Keyed(4, 9)}, Ignored(2), kArray),
      Row(6, "QX_SNE", 10, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 10)}, 0, kValue),
      Row(7, "QX_SHE", 10, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 10)}, 0, kValue),
      Row(8, "QX_SLE", 10, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 10)}, 0, kValue),
      Row(9, "QX_SHVR", 7, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 7)}, 0, kValue),
      Row(10, "QX_SLVR", 7, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 7)}, 0, kValue),
      Row(11, "QX_SARR", 7, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 7)}, 0, kValue),
      Row(12, "QX_SERS", 9, 3, {Plain(1), Date(2), Plain(4), Keyed(5, 9)}, Ignored(3), kValue),
      Row(13, "QX_SRV", 9, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 9)}, 0, kValue),
      Row(14, "QX_SRP", 8, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 8)}, 0, kValue),
      Row(15, "QX_PRADAR", 7, 1, {Date(1), Plain(3), Keyed(4, 7)}, Ignored(2), kArray),
      Row(16, "QX_PHVR", 10, 4, {Plain(1, 2), Date(3), Plain(4, 5), Keyed(6, 10)}, 0, kValue),
      Row(17, "QX_PLVR", 10, 4, {Plain(1, 2), Date(3), Plain(4, 5), Keyed(6, 10)}, 0, kValue),
      Row(18, "QX_PARR", 10, 4, {Plain(1, 2), Date(3), Plain(4, 5), Keyed(6, 10)}, 0, kValue),
      Row(19, "QX_PERS", 9, 3, {Plain(1, 2), Date(3), Plain(5), Keyed(6, 9)}, Ignored(4), kValue),
      Row(20, "QX_PRV", 10, 4, {Plain(1, 2), Date(3), Plain(4, 5), Keyed(6, 10)}, 0, kValue),
      Row(21, "QX_PRP", 10, 4, {Plain(1, 2), Date(3), Plain(4, 5), Keyed(6, 10)}, 0, kValue),
      Row(22, "QX_COMPONENTS", 5, 3, {Plain(1, 2), Date(3), Plain(5)}, Ignored(4), kArray),
      Row(23, "QX_IINDEX", 4, 2, {Plain(1, 2), Plain(4)}, Ignored(3), kArray),
      Row(24, "QX_ISTOCK", 5, 1, {Plain(1), Plain(3), Keyed(4, 5)}, Ignored(2), kValue),
      Row(25, "QX_COE", 10, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 10)}, 0, kValue),
      Row(26, "QX_PERCENT", 8, 3, {Plain(1), Date(2), Plain(3, 4), Keyed(5, 8)}, 0, kValue),
      Row(27, "QX_PERCENT_VALUE", 8, 5, {Plain(1, 2), Date(3), Plain(4, 6), Keyed(7, 8)}, 0, kValue),
      Row(28, "QX_RPERIOD", 8, 4, {Plain(1, 3), Date(4), Plain(5), Keyed(6, 8)}, 0, kValue),
      Row(29, "QX_ANALYSTID", 4, 2, {Plain(1, 2), Plain(4)}, Ignored(3), kArray),
      Row(30, "FF_FDP", 12, 2, {Plain(1, 3), Keyed(4, 12)}, 0, kArray),
      Row(31, "FF_FDH", 14, 4, {Plain(1), Date(2, 3), Plain(4, 5), Keyed(6, 14)}, 0, kArray),
      Row(32, "CF_FDP", 12, 2, {Plain(1, 3), Keyed(4, 12)}, 0, kValue),
      Row(33, "IF_FDP", 12, 2, {Plain(1, 3), Keyed(4, 12)}, 0, kArray),
      Row(34, "IF_FDH", 14, 4, {Plain(1), Date(2, 3), Plain(4, 5), Keyed(6, 14)}, 0, kArray),
  };
}();

// The row of function id `id`, or null beyond the table.
const WorksheetFunction* WorksheetFunctionById(uint8_t id);

}  // namespace orra
