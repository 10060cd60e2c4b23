#include "xll/worksheet_function_table.h"

namespace orra {
namespace {

// Every argument of a row is sent by exactly one run or ignored, runs are in argument order
// (the keyword of a keyed argument is the argument before it), a keyed run never starts at the
// first argument, and the required ones are arguments that exist.
constexpr bool WellFormed(const WorksheetFunction& row) {
  if (row.argument_count > kMaxWorksheetArguments || row.required_count > row.argument_count) return false;
  uint32_t covered = row.ignored;
  uint8_t next = 1;
  for (const TopicRun& run : row.topic_runs()) {
    if (run.first < next || run.first > run.last || run.last > row.argument_count) return false;
    if (run.conversion == TopicConversion::kKeyed && run.first < 2) return false;
    for (uint8_t argument = run.first; argument <= run.last; ++argument) {
      const uint32_t bit = uint32_t{1} << (argument - 1);
      if ((covered & bit) != 0) return false;
      covered |= bit;
    }
    next = static_cast<uint8_t>(run.last + 1);
  }
  return covered == (uint32_t{1} << row.argument_count) - 1;
}

constexpr bool TableWellFormed() {
  for (size_t i = 0; i < kWorksheetFunctions.size(); ++i) {
    if (kWorksheetFunctions[i].id != i || !WellFormed(kWorksheetFunctions[i])) return false;
  }
  return true;
}

static_assert(TableWellFormed());
static_assert(kWorksheetFunctions.size() == kFunctionCount, "the RTD server reads ids below kFunctionCount");

}  // namespace

const WorksheetFunction* WorksheetFunctionById(uint8_t id) {
  return id < kWorksheetFunctions.size() ? &kWorksheetFunctions[id] : nullptr;
}

}  // namespace orra
