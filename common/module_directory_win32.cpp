#include <windows.h>

#include <string>

#include "common/module_directory.h"

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

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

std::u16string ModuleDirectory() { return DirectoryOf(ThisModule()); }
std::u16string ExecutableDirectory() { return DirectoryOf(nullptr); }

}  // namespace orra
