#include <windows.h>

#include <string>

#include "common/this_module_win32.h"
#include "xll/process_environment.h"

namespace orra {
namespace {

// Longer paths than this are not ones Excel loads add-ins from.
constexpr DWORD kMaxModulePath = 32768;

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string Utf16(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

class Win32ProcessEnvironment final : public ProcessEnvironment {
 public:
  std::optional<std::u16string> Variable(std::u16string_view name) override {
    const std::wstring wide_name = Wide(name);
    // The variable may change between the two calls (another thread of Excel's): try again
    // with the new size, a bounded number of times.
    std::wstring value(256, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
      ::SetLastError(ERROR_SUCCESS);
      const DWORD n = ::GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
      if (n == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::u16string();
      }
      if (n < value.size()) return Utf16(value.data(), n);
      value.assign(n, L'\0');
    }
    return std::nullopt;
  }

  bool SetVariable(std::u16string_view name, std::u16string_view value) override {
    return ::SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str()) != 0;
  }

  std::optional<std::u16string> AddinModulePath() override {
    const HMODULE module = ThisModule();
    if (module == nullptr) return std::nullopt;
    for (DWORD capacity = MAX_PATH; capacity <= kMaxModulePath; capacity *= 2) {
      std::wstring path(capacity, L'\0');
      const DWORD n = ::GetModuleFileNameW(module, path.data(), capacity);
      if (n == 0) return std::nullopt;
      if (n < capacity) return Utf16(path.data(), n);
    }
    return std::nullopt;
  }
};

}  // namespace

ProcessEnvironment& PlatformProcessEnvironment() {
  static Win32ProcessEnvironment environment;
  return environment;
}

}  // namespace orra
