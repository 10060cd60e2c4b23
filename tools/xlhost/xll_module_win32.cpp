// LoadLibrary and GetProcAddress behind the XllModule port. The module is freed when the
// object goes, after the runner has called xlAutoClose.
#include <windows.h>

#include "common/utf8.h"
#include "tools/xlhost/xll_module_loader.h"

namespace orra::xlhost {
namespace {

using AutoEntry = int(__stdcall*)();
using AutoFree12 = void(__stdcall*)(XLOPER12*);
// Every worksheet function is called through this one type; see kMaxFunctionArguments.
using WorksheetFunction = XLOPER12*(__stdcall*)(
    XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*,
    XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*,
    XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*, XLOPER12*);
static_assert(kMaxFunctionArguments == 21, "WorksheetFunction names every argument");

// The export's address as the function type the caller knows it by (through void(*)(), the
// cast GCC accepts between unrelated function types).
template <typename Function>
Function ExportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class LoadedXll final : public XllModule {
 public:
  explicit LoadedXll(HMODULE module) : module_(module) {}
  ~LoadedXll() override { FreeLibrary(module_); }
  LoadedXll(const LoadedXll&) = delete;
  LoadedXll& operator=(const LoadedXll&) = delete;

  std::optional<int> RunAutoEntry(const char* name) override {
    const auto entry = ExportOf<AutoEntry>(module_, name);
    if (entry == nullptr) return std::nullopt;
    return entry();
  }

  bool ExportsFunction(std::string_view name) override {
    return GetProcAddress(module_, std::string(name).c_str()) != nullptr;
  }

  XLOPER12* CallFunction(std::string_view name,
                         std::span<XLOPER12* const, kMaxFunctionArguments> a) override {
    const auto function = ExportOf<WorksheetFunction>(module_, std::string(name).c_str());
    return function(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11],
                    a[12], a[13], a[14], a[15], a[16], a[17], a[18], a[19], a[20]);
  }

  bool AutoFree(XLOPER12* result) override {
    const auto free = ExportOf<AutoFree12>(module_, "xlAutoFree12");
    if (free == nullptr) return false;
    free(result);
    return true;
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<XllModule> LoadXll(const std::string& path, std::string& error) {
  const std::u16string wide = FromUtf8(path);
  HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
  if (module == nullptr) {
    error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    return nullptr;
  }
  return std::make_unique<LoadedXll>(module);
}

}  // namespace orra::xlhost
