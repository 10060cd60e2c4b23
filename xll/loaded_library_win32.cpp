#include <windows.h>

#include <string>

#include "xll/loaded_library.h"

namespace orra {
namespace {

class Win32Library final : public LoadedLibrary {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  ~Win32Library() override { ::FreeLibrary(module_); }
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  bool HasEntry(const char* name) const override { return ::GetProcAddress(module_, name) != nullptr; }

 private:
  HMODULE module_;
};

class Win32LibraryLoader final : public LibraryLoader {
 public:
  std::unique_ptr<LoadedLibrary> Load(std::u16string_view file_name) override {
    const std::wstring name(file_name.begin(), file_name.end());
    const HMODULE module = ::LoadLibraryW(name.c_str());
    if (module == nullptr) return nullptr;
    return std::make_unique<Win32Library>(module);
  }
};

}  // namespace

LibraryLoader& PlatformLibraryLoader() {
  static Win32LibraryLoader loader;
  return loader;
}

}  // namespace orra
