#pragma once
// A simulated Excel behind the C API port, for native tests of the XLL: it answers the calls
// the add-in makes as Excel does (the calling cell and its sheet name, the date parts of a
// serial, coercion, RTD, registration, names, the workspace and the status bar), records every
// call with copies of its arguments, hands out its own memory for every text, array and
// reference it answers, and checks each xlFree against what it handed out, so a test sees a
// leak, a double free and a use after free (the memory really goes at xlFree).
//
// Excel's C API is single-threaded for the add-in; so is this.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "xll/excel_calls.h"
#include "xll/xl_constants.h"

namespace orra::testing {

class SimulatedExcel final : public ExcelCalls {
 public:
  struct RecordedCall {
    int32_t function = 0;
    int32_t return_code = xlretSuccess;
    // The arguments as passed (an absent pointer as a value of no type), each text's
    // characters kept beside them: a text argument's pointer may be gone after the call.
    std::vector<XLOPER12> arguments;
    std::vector<std::u16string> texts;  // the text of each argument, empty for others
  };

  // The calling cell (or array-formula range), on a sheet by its id.
  struct Caller {
    IDSHEET sheet = 0;
    XLREF12 cells{};
  };

  static constexpr IDSHEET kFirstSheet = 1;
  // What xlfRtd answers for a topic list it has not been told about: what the RTD server
  // answers when Excel connects a new topic.
  static constexpr double kNewTopicValue = -1;

  // Book1.xlsx with Sheet1 (kFirstSheet), the DLL at kDefaultDllPath, Excel 16.0, and no
  // calling cell (as from a macro) until the test sets one.
  SimulatedExcel();
  ~SimulatedExcel();
  SimulatedExcel(const SimulatedExcel&) = delete;
  SimulatedExcel& operator=(const SimulatedExcel&) = delete;

  // Sheets, as xlSheetNm names them: "[Book1.xlsx]Sheet1".
  void AddSheet(IDSHEET id, std::u16string name);
  void SetCaller(IDSHEET sheet, int32_t row, int32_t column) { SetCaller(sheet, XLREF12{row, row, column, column}); }
  void SetCaller(IDSHEET sheet, XLREF12 cells) { caller_ = Caller{sheet, cells}; }
  void SetNoCaller() { caller_.reset(); }
  void SetDllPath(std::u16string path) { dll_path_ = std::move(path); }
  void SetVersion(std::u16string version) { version_ = std::move(version); }

  // What xlfRtd answers for a topic list (the topics after the ProgID and the server, each as
  // the RTD server would receive it as text): a number (a topic id, or -1), or a text.
  void SetRtdAnswer(const std::vector<std::u16string>& topics, double value);
  void SetRtdTextAnswer(const std::vector<std::u16string>& topics, std::u16string text);
  // The answer for every topic list without one of its own (-1 unless set).
  void SetDefaultRtdAnswer(double value) { default_rtd_answer_ = value; }

  // The next call of `function` fails with `return_code` (a result of #VALUE!, as Excel).
  void FailNext(int32_t function, int32_t return_code) { failures_[function] = return_code; }

  // Every call so far, xlFree among them.
  const std::vector<RecordedCall>& calls() const { return calls_; }
  std::vector<int32_t> functions_called() const;
  size_t CountOf(int32_t function) const;
  // The topic lists xlfRtd received, as the RTD server would read them, and the ProgID and
  // server of each call before them.
  std::vector<std::vector<std::u16string>> rtd_calls() const;
  void ClearCalls() { calls_.clear(); }

  // Names defined with xlfSetName and not deleted; register ids not unregistered.
  const std::map<std::u16string, std::u16string>& names() const { return names_; }
  const std::set<double>& registered() const { return registered_; }
  // The status bar's text; none when Excel shows its own.
  const std::optional<std::u16string>& status_bar() const { return status_bar_; }

  // Memory handed out and not yet given back with xlFree; xlFree of memory not handed out
  // (or given back twice).
  size_t outstanding() const { return allocations_.size(); }
  int bad_frees() const { return bad_frees_; }

  int32_t Call(int32_t function, XLOPER12& result, std::span<const XLOPER12* const> arguments) noexcept override;

  static constexpr std::u16string_view kDefaultDllPath = u"C:\\Addins\\OrraAddin64.xll";

 private:
  struct Allocation;

  int32_t Answer(int32_t function, XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t Free(std::span<const XLOPER12* const> arguments);
  int32_t Rtd(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t Coerce(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t DatePart(int32_t function, XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t SheetName(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t CallerReference(XLOPER12& result);
  int32_t Register(XLOPER12& result, std::span<const XLOPER12* const> arguments);

  // Values whose memory is Excel's until xlFree.
  void Text(XLOPER12& result, std::u16string_view text);
  void Reference(XLOPER12& result, IDSHEET sheet, const XLREF12& cells);

  std::map<IDSHEET, std::u16string> sheets_;
  std::optional<Caller> caller_;
  std::u16string dll_path_{kDefaultDllPath};
  std::u16string version_ = u"16.0";
  std::map<std::vector<std::u16string>, std::pair<double, std::optional<std::u16string>>> rtd_answers_;
  double default_rtd_answer_ = kNewTopicValue;
  std::map<int32_t, int32_t> failures_;
  std::vector<RecordedCall> calls_;
  std::map<std::u16string, std::u16string> names_;
  std::set<double> registered_;
  double next_register_id_ = 0;
  std::optional<std::u16string> status_bar_;
  std::map<const void*, std::unique_ptr<Allocation>> allocations_;
  int bad_frees_ = 0;
};

// The text Excel makes of a value it reads as text (a topic, a coerced value): a number in
// its general format, TRUE or FALSE, the text itself; none for anything else.
std::optional<std::u16string> ExcelText(const XLOPER12& value);

}  // namespace orra::testing
