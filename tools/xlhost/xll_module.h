#pragma once
// The port to an XLL loaded into the stand-in Excel: its xlAuto entries and its worksheet
// functions, found by their exported names. The Windows adapter is LoadLibrary and
// GetProcAddress; tests give the scenario runner a module of their own.
//
// Excel's main thread only.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "xll/xloper.h"

namespace orra::xlhost {

// Every worksheet function is called with this many argument pointers, those beyond the
// formula's arguments pointing at missing values. On x64 the caller reserves and removes the
// stack space of the arguments and a callee reads only the ones it declares, so a function of
// fewer parameters ignores the rest; 21 covers every function the add-in exports.
inline constexpr size_t kMaxFunctionArguments = 21;

class XllModule {
 public:
  virtual ~XllModule() = default;

  // Calls an entry that takes nothing and answers an int (xlAutoOpen, xlAutoClose,
  // xlAutoRemove, xlAutoAdd); none when the module does not export it.
  virtual std::optional<int> RunAutoEntry(const char* name) = 0;

  virtual bool ExportsFunction(std::string_view name) = 0;
  // The worksheet function `name`'s result pointer, which may be null. The module must export
  // it (ExportsFunction).
  virtual XLOPER12* CallFunction(std::string_view name,
                                 std::span<XLOPER12* const, kMaxFunctionArguments> arguments) = 0;

  // Hands a result flagged xlbitDLLFree back through xlAutoFree12; false when the module does
  // not export it.
  virtual bool AutoFree(XLOPER12* result) = 0;
};

}  // namespace orra::xlhost
