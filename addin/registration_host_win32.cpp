#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "addin/registration_host.h"
#include "common/this_module_win32.h"
#include "common/utf8.h"

// MinGW's oleauto.h lacks these two, which its import library exports.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* full_path, OLECHAR* help_directory);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library_id, WORD major, WORD minor, LCID locale, SYSKIND kind);
}

namespace orra {
namespace {

// A module path is at most this long even with the long-path prefix.
constexpr DWORD kMaxModulePathChars = 32768;
constexpr wchar_t kRegistrarResourceType[] = L"REGISTRY";

struct ReleaseTypeLib {
  void operator()(ITypeLib* library) const { library->Release(); }
};
using TypeLibPtr = std::unique_ptr<ITypeLib, ReleaseTypeLib>;

class ThisModuleRegistrationHost final : public RegistrationHost {
 public:
  std::u16string ModulePath() const override {
    std::vector<wchar_t> path(MAX_PATH + 1);
    while (true) {
      const DWORD n = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
      if (n == 0) return {};
      if (n < path.size()) return std::u16string(reinterpret_cast<const char16_t*>(path.data()), n);
      if (path.size() >= kMaxModulePathChars) return {};
      path.resize(path.size() * 2);
    }
  }

  void MakeCurrentDirectory(std::u16string_view directory) override {
    const std::wstring terminated(directory.begin(), directory.end());
    SetCurrentDirectoryW(terminated.c_str());
  }

  std::optional<std::u16string> RegistrarScriptText(int resource_number) const override {
    const HMODULE module = ThisModule();
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resource_number), kRegistrarResourceType);
    if (resource == nullptr) return std::nullopt;
    const HGLOBAL loaded = LoadResource(module, resource);
    const DWORD size = SizeofResource(module, resource);
    const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
    if (bytes == nullptr) return std::nullopt;
    // The scripts are UTF-8 text.
    return FromUtf8(std::string_view(static_cast<const char*>(bytes), size));
  }

  int32_t RegisterTypeLibrary(ClassesTarget target) override {
    std::wstring path = ModulePathW();
    TypeLibPtr library;
    const HRESULT loaded = Load(path, library);
    if (FAILED(loaded)) return loaded;
    return target == ClassesTarget::kCurrentUser ? RegisterTypeLibForUser(library.get(), path.data(), nullptr)
                                                 : RegisterTypeLib(library.get(), path.data(), nullptr);
  }

  int32_t UnregisterTypeLibrary(ClassesTarget target) override {
    TypeLibPtr library;
    const HRESULT loaded = Load(ModulePathW(), library);
    if (FAILED(loaded)) return loaded;
    TLIBATTR* attributes = nullptr;
    const HRESULT got = library->GetLibAttr(&attributes);
    if (FAILED(got)) return got;
    const TLIBATTR copy = *attributes;
    library->ReleaseTLibAttr(attributes);
    return target == ClassesTarget::kCurrentUser
               ? UnRegisterTypeLibForUser(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind)
               : UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
  }

 private:
  std::wstring ModulePathW() const {
    const std::u16string path = ModulePath();
    return std::wstring(path.begin(), path.end());
  }

  // The type library resource of the module, read without registering anything.
  static HRESULT Load(const std::wstring& path, TypeLibPtr& library) {
    ITypeLib* raw = nullptr;
    const HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &raw);
    if (SUCCEEDED(result)) library.reset(raw);
    return result;
  }
};

}  // namespace

std::unique_ptr<RegistrationHost> MakeThisModuleRegistrationHost() {
  return std::make_unique<ThisModuleRegistrationHost>();
}

}  // namespace orra
