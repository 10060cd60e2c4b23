#include <windows.h>

#include "xll/host_excel_calls.h"

namespace orra {

HostExcelCalls ConnectToHostExcel(const std::u16string& module_name) {
  const HMODULE module = module_name.empty()
                             ? ::GetModuleHandleW(nullptr)
                             : ::GetModuleHandleW(reinterpret_cast<const wchar_t*>(module_name.c_str()));
  const FARPROC entry = module == nullptr ? nullptr : ::GetProcAddress(module, "MdCallBack12");
  // Through a pointer to a function without parameters, the conversion GCC accepts silently.
  return HostExcelCalls(reinterpret_cast<HostExcelCalls::Entry>(reinterpret_cast<void (*)()>(entry)));
}

}  // namespace orra
