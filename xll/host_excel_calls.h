#pragma once
// The bridge to the Excel that loaded the add-in: Excel12v as Microsoft's own XLL framework
// implements it, through the "MdCallBack12" entry that Excel's executable exports. Every call
// carries the international flag, so that Excel reads the texts we pass (names, formulas) as
// its English version would, whatever the user's language.
//
// Excel's main thread only, like the C API itself. The object holds the entry and nothing else:
// copying it is cheap, and it may be made for a single call.

#include <cstdint>
#include <span>
#include <string>

#include "xll/excel_calls.h"

namespace orra {

class HostExcelCalls final : public ExcelCalls {
 public:
  // MdCallBack12: the count and the argument list come before the result, unlike Excel12v.
  // x64 has one calling convention, so the declaration needs no platform keyword.
  using Entry = int32_t (*)(int32_t function, int32_t count, XLOPER12** arguments, XLOPER12* result);

  // Excel accepts at most this many arguments in one call.
  static constexpr size_t kMaxArguments = 255;

  // A null `entry` is an Excel that cannot be reached: every call fails with xlretFailed.
  explicit HostExcelCalls(Entry entry) : entry_(entry) {}

  int32_t Call(int32_t function, XLOPER12& result,
               std::span<const XLOPER12* const> arguments) noexcept override;

 private:
  Entry entry_;
};

// Looks "MdCallBack12" up in the process's executable, or in the loaded module of that name
// when one is given.
HostExcelCalls ConnectToHostExcel(const std::u16string& module_name = {});

}  // namespace orra
