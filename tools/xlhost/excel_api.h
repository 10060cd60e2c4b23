#pragma once
// The stand-in Excel's C API: what Excel12v (reached by an XLL through the host's MdCallBack12)
// does for the functions an XLL of ours calls, with Excel's return codes, and the records a
// scenario checks afterwards: registrations, defined names, status bar texts, the xlfRtd calls
// of each cell. Memory in results comes from HostMemory and goes back through xlFree.
//
// Every other function number answers xlretFailed when it is one Excel has (a worksheet
// function, a C-API-only function, a command) and xlretInvXlfn when it is not; every failure
// also sets the result to #VALUE!, as Excel does.
//
// Excel's main thread only, like the C API.

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/xlhost/cell_address.h"
#include "tools/xlhost/grid_value.h"
#include "tools/xlhost/host_memory.h"
#include "tools/xlhost/rtd_link.h"
#include "tools/xlhost/sheet.h"
#include "xll/excel_calls.h"

namespace orra::xlhost {

struct Registration {
  double register_id = 0;
  std::vector<GridValue> arguments;  // as xlfRegister received them: module, procedure, ...

  // Argument `index` (from 0) as text; "" when absent or not a text.
  std::u16string Text(size_t index) const;
  std::u16string procedure() const { return Text(1); }
  std::u16string type_text() const { return Text(2); }
  std::u16string function_name() const { return Text(3); }
  std::u16string argument_text() const { return Text(4); }
};

class ExcelApi final : public ExcelCalls {
 public:
  // Excel's version as xlfGetWorkspace(2) answers it.
  static constexpr std::u16string_view kVersion = u"16.0";

  ExcelApi(const Sheet& sheet, HostMemory& memory, RtdLink& rtd);

  int32_t Call(int32_t function, XLOPER12& result,
               std::span<const XLOPER12* const> arguments) noexcept override;

  // The file name xlGetName answers while an XLL is open.
  void set_xll_path(std::optional<std::u16string> path) { xll_path_ = std::move(path); }

  // While a worksheet function of `cell` runs: xlfCaller answers that cell, commands fail, and
  // the cell's xlfRtd record starts afresh.
  void BeginCell(CellAddress cell);
  void EndCell() { caller_.reset(); }

  // The registration whose function name is `name` in any case of its letters.
  const Registration* FindRegistration(std::u16string_view name) const;
  const std::vector<Registration>& registrations() const { return registrations_; }
  // Every text xlcMessage put in the status bar, in order.
  const std::vector<std::u16string>& status_texts() const { return status_texts_; }
  // What the status bar shows now; none when the XLL has handed it back to Excel.
  const std::optional<std::u16string>& status_bar() const { return status_bar_; }
  // The xlfRtd calls of the cell's last evaluation, in order.
  const std::vector<RtdCall>& RtdCallsOf(CellAddress cell) const;
  const std::map<std::u16string, GridValue>& names() const { return names_; }

 private:
  int32_t Dispatch(int32_t function, XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t Free(std::span<const XLOPER12* const> arguments);
  int32_t Caller(XLOPER12& result, size_t count);
  int32_t SheetName(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t DatePart(int32_t function, XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t Coerce(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t Rtd(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t Register(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t Unregister(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t SetName(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t GetName(XLOPER12& result, size_t count);
  int32_t GetWorkspace(XLOPER12& result, std::span<const XLOPER12* const> arguments);
  int32_t Message(XLOPER12& result, std::span<const XLOPER12* const> arguments);

  // The value an argument stands for: a reference to one cell of the sheet gives that cell's
  // value; none for a reference to more cells or to another sheet.
  std::optional<GridValue> Dereference(const XLOPER12& argument) const;
  // `value` into `result`, a text in memory of this host.
  void Put(const GridValue& value, XLOPER12& result);

  const Sheet& sheet_;
  HostMemory& memory_;
  RtdLink& rtd_;
  std::optional<std::u16string> xll_path_;
  std::optional<CellAddress> caller_;
  std::vector<Registration> registrations_;
  double next_register_id_;
  std::map<std::u16string, GridValue> names_;
  std::vector<std::u16string> status_texts_;
  std::optional<std::u16string> status_bar_;
  std::map<CellAddress, std::vector<RtdCall>> rtd_calls_;
};

}  // namespace orra::xlhost
