#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addin/registry.h"

namespace orra {
namespace {

// The Reg* functions want zero-terminated names; the views this port takes need not be.
std::wstring Terminated(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::kClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER; }

class Win32RegistryKey final : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
  ~Win32RegistryKey() override { RegCloseKey(key_); }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  std::optional<std::u16string> ReadText(std::u16string_view name, size_t max_chars) const override {
    std::vector<wchar_t> buffer(max_chars + 1, L'\0');
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(max_chars * sizeof(wchar_t));
    const LONG status = RegQueryValueExW(key_, Terminated(name).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    size_t chars = bytes / sizeof(wchar_t);
    while (chars > 0 && buffer[chars - 1] == L'\0') --chars;
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), chars);
  }

  bool WriteText(std::u16string_view name, std::u16string_view text) override {
    const std::wstring data = Terminated(text);
    return RegSetValueExW(key_, Terminated(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  bool WriteNumber(std::u16string_view name, uint32_t number) override {
    const DWORD data = number;
    return RegSetValueExW(key_, Terminated(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data)) == ERROR_SUCCESS;
  }

  bool DeleteValue(std::u16string_view name) override {
    return RegDeleteValueW(key_, Terminated(name).c_str()) == ERROR_SUCCESS;
  }

 private:
  HKEY key_;
};

class Win32Registry final : public Registry {
 public:
  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::u16string_view path) override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(RootKey(root), Terminated(path).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key);
  }

  std::unique_ptr<RegistryKey> Create(RegistryRoot root, std::u16string_view path) override {
    HKEY key = nullptr;
    if (RegCreateKeyExW(RootKey(root), Terminated(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key);
  }

  DeleteOutcome DeleteTree(RegistryRoot root, std::u16string_view path) override {
    // RegDeleteTreeW with a subkey name deletes that key too; an empty name would only empty the
    // root, which nothing here asks for.
    if (path.empty()) return DeleteOutcome::kFailed;
    const LONG status = RegDeleteTreeW(RootKey(root), Terminated(path).c_str());
    if (status == ERROR_SUCCESS) return DeleteOutcome::kDeleted;
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return DeleteOutcome::kMissing;
    return DeleteOutcome::kFailed;
  }
};

}  // namespace

std::unique_ptr<Registry> MakePlatformRegistry() { return std::make_unique<Win32Registry>(); }

}  // namespace orra
