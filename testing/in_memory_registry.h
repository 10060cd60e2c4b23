#pragma once
// InMemoryRegistry: a registry held in memory with the semantics of the Windows one as far as
// self-registration relies on them: key and value names compare without regard to letter case
// (and keep the spelling they were made with), a path's parts are separated by backslashes,
// an empty part or one longer than 255 characters is refused, a key deleted while a key object
// still refers to it can no longer be read or written, and a string value keeps exactly the
// characters written. A root can be made read-only to stand for a user without the rights to
// write it. For tests; one thread at a time.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "addin/registry.h"

namespace orra {

class InMemoryRegistry final : public Registry {
 public:
  InMemoryRegistry();
  ~InMemoryRegistry() override;
  InMemoryRegistry(const InMemoryRegistry&) = delete;
  InMemoryRegistry& operator=(const InMemoryRegistry&) = delete;

  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::u16string_view path) override;
  std::unique_ptr<RegistryKey> Create(RegistryRoot root, std::u16string_view path) override;
  DeleteOutcome DeleteTree(RegistryRoot root, std::u16string_view path) override;

  // Opening still works under a read-only root; every change fails.
  void SetReadOnly(RegistryRoot root, bool read_only);

  // Inspection for tests, bypassing the read-only switch and any size limit.
  bool HasKey(RegistryRoot root, std::u16string_view path) const;
  std::optional<std::u16string> Text(RegistryRoot root, std::u16string_view path, std::u16string_view name) const;
  std::optional<uint32_t> Number(RegistryRoot root, std::u16string_view path, std::u16string_view name) const;
  // Names as they were first written, in the order of their upper-case forms.
  std::vector<std::u16string> ValueNames(RegistryRoot root, std::u16string_view path) const;
  std::vector<std::u16string> SubkeyNames(RegistryRoot root, std::u16string_view path) const;
  // Every key, value and datum under the root, one line each, sorted: for comparing whole trees.
  std::vector<std::u16string> Dump(RegistryRoot root) const;

  struct RootState;

 private:
  RootState& State(RegistryRoot root) const;

  // Shared with the key objects handed out, which may outlive the registry.
  std::shared_ptr<RootState> classes_root_;
  std::shared_ptr<RootState> current_user_;
};

}  // namespace orra
