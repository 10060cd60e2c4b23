#pragma once
// Registry: the keys and values self-registration reads and writes, under the two roots it
// needs. Key paths are relative to a root, their parts separated by a backslash; key and value
// names compare without regard to letter case, as Windows compares them. The empty value name
// is the key's default value.
//
// The Windows adapter calls the Reg* functions (registry_win32.cpp); tests use an in-memory
// registry with the same semantics (testing/in_memory_registry.h). A key object closes its key
// when it is destroyed. Neither a registry nor a key is shared between threads.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orra {

enum class RegistryRoot {
  kClassesRoot,  // HKEY_CLASSES_ROOT: the machine-wide classes
  kCurrentUser,  // HKEY_CURRENT_USER
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // The text of a string value whose stored characters, with any terminating zero stored after
  // them, fit in room for `max_chars` characters (the zero is not returned); nothing when the
  // value is missing, is not a string, does not fit, or cannot be read.
  virtual std::optional<std::u16string> ReadText(std::u16string_view name, size_t max_chars) const = 0;

  // A string value is stored with a byte count that covers its characters only, without a
  // terminating zero. False when the value could not be written.
  virtual bool WriteText(std::u16string_view name, std::u16string_view text) = 0;
  virtual bool WriteNumber(std::u16string_view name, uint32_t number) = 0;

  // False when the value was missing or could not be deleted.
  virtual bool DeleteValue(std::u16string_view name) = 0;
};

enum class DeleteOutcome { kDeleted, kMissing, kFailed };

class Registry {
 public:
  virtual ~Registry() = default;

  // An existing key, opened for reading and writing; nullptr when it is missing or the access
  // is refused.
  virtual std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::u16string_view path) = 0;
  // The key, made along with every missing key on its path; nullptr when that fails.
  virtual std::unique_ptr<RegistryKey> Create(RegistryRoot root, std::u16string_view path) = 0;
  // The key with all its subkeys and values.
  virtual DeleteOutcome DeleteTree(RegistryRoot root, std::u16string_view path) = 0;
};

// The machine's registry (Windows only).
std::unique_ptr<Registry> MakePlatformRegistry();

}  // namespace orra
