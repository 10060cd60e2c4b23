#pragma once
// The XLL side of the add-in as Excel drives it through its entry points: opening starts the
// bridge (Excel's XLCALL32.DLL, Excel's version, the add-in's own file name and help file),
// makes libraries beside the add-in loadable by adding its folder to PATH once per process,
// and registers the worksheet functions; removal in the Add-in Manager marks the add-in, so
// that the closing that follows unregisters them, while a plain closing (Excel exits) leaves
// them as they are.
//
// One object per process, made before Excel opens the add-in and kept until the DLL goes.
// Excel's main thread only: Excel calls every entry point there, so nothing here locks.
//
// Diagnostics go to the debugger output of `env`.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/env.h"
#include "xll/excel_calls.h"
#include "xll/function_registry.h"
#include "xll/loaded_library.h"
#include "xll/process_environment.h"

namespace orra {

class XllAddin {
 public:
  // The library the Excel C API comes from, and the entries Excel 2007 and later export.
  static constexpr std::u16string_view kExcelLibrary = u"XLCALL32.DLL";
  static constexpr const char* kExcelLibraryEntries[] = {"Excel4", "Excel4v", "LPenHelper"};
  // XLOPER12 and its type letter "Q" came with Excel 2007, version 12.
  static constexpr int kFirstSupportedExcelVersion = 12;

  // All four must outlive the object. `registry` holds what is registered at opening.
  XllAddin(ExcelCalls& excel, LibraryLoader& libraries, ProcessEnvironment& process, Env& env,
           FunctionRegistry registry = FunctionRegistry::AddinFunctions());
  XllAddin(const XllAddin&) = delete;
  XllAddin& operator=(const XllAddin&) = delete;

  // xlAutoOpen: 1, or 0 when the bridge cannot start. A function Excel refuses to register is
  // reported and the others are still registered.
  int Open() noexcept;
  // xlAutoClose: unregisters the functions when the add-in was removed before; always 1.
  int Close() noexcept;
  // xlAutoRemove: always 1.
  int Remove() noexcept;

  const FunctionRegistry& registry() const { return registry_; }

 private:
  bool StartBridge();
  void AddAddinFolderToPath();
  void RegisterFunctions();
  void UnregisterFunctions();
  void ShowStatus(std::u16string_view text);
  void ClearStatus();
  // A line for the debugger output, and in developer mode for develop.log too.
  void Diagnose(std::u16string_view line);
  void Diagnose(std::string_view line);

  ExcelCalls& excel_;
  LibraryLoader& libraries_;
  ProcessEnvironment& process_;
  Env& env_;
  FunctionRegistry registry_;

  // The bridge, from opening to closing.
  std::unique_ptr<LoadedLibrary> excel_library_;
  std::u16string addin_file_name_;  // as Excel names it; empty when Excel did not say
  std::optional<std::u16string> help_file_;

  // PATH is the process's: it is extended at the first opening only, even when that failed,
  // so that reopening the add-in never appends its folder twice.
  bool path_step_taken_ = false;
  bool removed_ = false;
};

// xlAddInManagerInfo12: the add-in's name when `action` coerces to the integer 1, #VALUE!
// otherwise (also for no argument at all). The value is constant, so it stays valid after the
// call as Excel needs.
const XLOPER12& AddInManagerInfo(ExcelCalls& excel, const XLOPER12* action) noexcept;

}  // namespace orra
