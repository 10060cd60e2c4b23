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
#include "tools/xlhost/cell_range.h"
#include "tools/xlhost/formula.h"
#include "tools/xlhost/grid_value.h"
#include "tools/xlhost/window_driver.h"

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
  // Excel's COM side: the add-in session, the object model's state, message boxes.
  kRegister,              // register [PATH]
  kUnregister,            // unregister
  kConnect,               // connect [PROGID]
  kDisconnect,            // disconnect
  kClick,                 // click CONTROL
  kInvoke,                // invoke CALLBACK
  kSelect,                // select RANGE
  kActivate,              // activate CELL
  kEdit,                  // edit begin | end
  kAnswerMessages,        // answer-messages yes | no
  kExpectMessage,         // expect-message "TEXT" ["CAPTION"]
  kExpectMessages,        // expect-messages COUNT
  kExpectFormat,          // expect-format CELL "FORMAT"
  kExpectAlignment,       // expect-alignment CELL left | center | right | general
  kExpectCalculation,     // expect-calculation on | off
  kExpectRibbonImage,     // expect-ribbon-image CONTROL present | none
  kExpectRibbonEnabled,   // expect-ribbon-enabled CONTROL TRUE | FALSE
  kExpectRibbonXmlBytes,  // expect-ribbon-xml-bytes COUNT
  // The windows of the process (the add-in's dialogs): by caption, their controls by id.
  kWaitWindow,      // wait-window "CAPTION" [MS]
  kSetText,         // set-text "CAPTION" ID "TEXT"
  kType,            // type "CAPTION" ID "TEXT"
  kKey,             // key "CAPTION" ID KEY
  kPress,           // press "CAPTION" ID
  kChoose,          // choose "CAPTION" ID "ITEM"
  kSelectTree,      // select-tree "CAPTION" ID "TEXT"...
  kDoubleClickTree, // double-click-tree "CAPTION" ID "TEXT"...
  kSelectRows,      // select-rows "CAPTION" ID "TEXT"...
  kExpectText,      // expect-text "CAPTION" ID "TEXT"
  kExpectChecked,   // expect-checked "CAPTION" ID TRUE | FALSE
  kExpectRows,      // expect-rows "CAPTION" ID COLUMN "TEXT"...
  kExpectWindow,    // expect-window "CAPTION" visible | hidden | absent
  kScreenshot,      // screenshot "CAPTION" FILE.png
};

// Which part of the host a step drives. The kinds above are grouped by it, in this order, so a
// new kind takes its side from its place.
enum class StepSide {
  kWorkbook,  // the workbook, the XLL's entries and the RTD servers its cells call
  kExcel,     // Excel's COM side: the add-in session, the object model's state, message boxes
  kWindows,   // the windows of the process
};
StepSide SideOf(StepKind kind);

// Whether a step only compares what it finds with what the scenario expects: an expect- step.
bool IsExpectation(StepKind kind);

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
  // Excel's COM side: select's range; edit begin, answer-messages yes, expect-ribbon-image
  // present, expect-ribbon-enabled TRUE and expect-calculation on as true; an alignment.
  std::optional<CellRange> range;
  bool flag = false;
  int32_t alignment = 0;
  // The window steps: the window's caption, the control's id, expect-window's state and the
  // key's virtual key code (in count); texts hold the operands after the id.
  ControlAddress control;
  WindowPresence presence = WindowPresence::kVisible;
};

// Bounds of what a scenario may ask, so that a typing slip cannot hang or swamp a run.
inline constexpr size_t kMaxWaitMs = 600000;
inline constexpr size_t kDefaultWaitUntilMs = 10000;
inline constexpr size_t kMaxRepetitions = 1000;
inline constexpr size_t kMaxFilledCells = 100000;
inline constexpr size_t kDefaultWaitWindowMs = 5000;

// The steps of `text`; on a malformed line, none, and `error` names the line and what is wrong.
std::optional<std::vector<Step>> ParseScenario(const std::string& text, std::string& error);

}  // namespace orra::xlhost
