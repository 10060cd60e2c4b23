#pragma once
// A scenario for the stand-in Excel: one step a line, a word and its operands, separated by
// blanks; texts in double quotes ("" for a quote inside); blank lines and lines starting with
// '#' are skipped. The steps and their operands are listed in README.md. The file is UTF-8.
//
// Pure values and functions; any thread.

#include <optional>
#include <string>
#include <vector>

#include "tools/xlhost/cell_address.h"
#include "tools/xlhost/formula.h"
#include "tools/xlhost/grid_value.h"

namespace orra::xlhost {

enum class StepKind {
  kOpen,                 // open [PATH]
  kAdd,                  // add
  kRemove,               // remove
  kClose,                // close
  kSet,                  // set CELL [VALUE | =FORMULA]
  kCalc,                 // calc [CELL]
  kExpect,               // expect CELL VALUE | empty
  kExpectRtd,            // expect-rtd CELL "PROGID" "SERVER" "TOPIC"...
  kExpectNoRtd,          // expect-no-rtd CELL
  kExpectRegistered,     // expect-registered NAME "TYPE TEXT" "ARGUMENT TEXT"
  kExpectNotRegistered,  // expect-not-registered NAME
  kExpectStatus,         // expect-status "TEXT"
  kExpectStatusCleared,  // expect-status-cleared
  kExpectAllocations,    // expect-allocations COUNT
  kPrint,                // print
  // RTD through a real server, the waits that let it answer, and the load loop
  kWait,                 // wait MS
  kWaitUntil,            // wait-until CELL VALUE [MS]
  kThrottle,             // throttle MS
  kExpectTopics,         // expect-topics COUNT
  kExpectRtdValue,       // expect-rtd-value CELL VALUE
  kFill,                 // fill CELL:CELL =FORMULA
  kRepeat,               // repeat COUNT
  kEndRepeat,            // end-repeat
  kNoteThreads,          // note-threads
  kExpectThreads,        // expect-threads [MORE]
};

struct Step {
  StepKind kind = StepKind::kPrint;
  int line = 0;
  std::string source;                 // the line as written, for messages
  std::optional<CellAddress> cell;
  std::string word;                   // open's path, a function name
  std::optional<Formula> formula;     // set's formula
  GridValue value;                    // set's constant (empty clears), expect's value
  std::vector<std::u16string> texts;  // expect-rtd's, expect-registered's, expect-status's texts
  size_t count = 0;                   // expect-allocations; the milliseconds, counts and
                                      // rounds of the RTD steps
  std::optional<CellAddress> last_cell;  // fill's range ends here
  size_t partner = 0;                    // the index of a repeat's end-repeat, and back
};

// Bounds of what a scenario may ask, so that a typing slip cannot hang or swamp a run.
inline constexpr size_t kMaxWaitMs = 600000;
inline constexpr size_t kDefaultWaitUntilMs = 10000;
inline constexpr size_t kMaxRepetitions = 1000;
inline constexpr size_t kMaxFilledCells = 100000;

// The steps of `text`; on a malformed line, none, and `error` names the line and what is wrong.
std::optional<std::vector<Step>> ParseScenario(const std::string& text, std::string& error);

}  // namespace orra::xlhost
