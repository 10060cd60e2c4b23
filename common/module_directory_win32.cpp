#include <windows.h>

#include <string>

#include "common/module_directory.h"
#include "common/this_module_win32.h"

namespace orra {
namespace {

std::u16string DirectoryOf(HMODULE module) {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::u16string text(reinterpret_cast<const char16_t*>(path), n);
  const size_t slash = text.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : text.substr(0, slash + 1);
}

}  // namespace

std::u16string ModuleDirectory() { return DirectoryOf(ThisModule()); }
std::u16string ExecutableDirectory() { return DirectoryOf(nullptr); }

}  // namespace orra
