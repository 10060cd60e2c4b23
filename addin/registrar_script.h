#pragma once
// RegistrarScript: the text that describes a tree of registry keys the add-in writes when it
// is registered and removes when it is unregistered, in the registrar syntax COM servers
// commonly carry as resources:
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove '%CLSID%' = s 'OrraExcel Class'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// A root (HKCR or HKCU, also spelled out as HKEY_CLASSES_ROOT / HKEY_CURRENT_USER) holds keys;
// a key has a name, optionally a default value (`= s 'text'` or `= d number`) and a block of
// subkeys and named values (`val Name = s 'text'`, `val Name = d 3`). Names and texts are
// either a bare word or quoted in single quotes, a doubled quote standing for one. `%NAME%`
// anywhere in a name or text is replaced by the variable of that name, `%%` by one percent
// sign. Key flags: NoRemove keeps the key at unregistration (its subkeys are still looked at),
// ForceRemove deletes the key's whole tree before it is written again at registration.
// Unregistration deletes every other key the script names, with whatever it holds.
//
// The whole text is parsed and checked before the registry is touched, so a malformed script
// changes nothing. The text is untrusted: every read is bounded by its length and the nesting
// of blocks by kMaxRegistrarDepth.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "addin/registry.h"

namespace orra {

inline constexpr size_t kMaxRegistrarDepth = 16;

struct RegistrarVariable {
  std::u16string_view name;
  std::u16string_view value;
};

// Where the script's HKCR goes: the machine-wide classes root, or the current user's classes
// ("Software\Classes" under HKEY_CURRENT_USER) when the registration is per user.
enum class ClassesTarget { kMachine, kCurrentUser };

class RegistrarScript {
 public:
  // Nothing when the text does not parse or names a variable that is not given.
  static std::optional<RegistrarScript> Parse(std::u16string_view text, std::span<const RegistrarVariable> variables);

  // Writes the keys and values; stops at the first key or value that cannot be written.
  bool Register(Registry& registry, ClassesTarget classes) const;
  // Deletes the keys; goes on past a key that cannot be deleted and then answers false. A key
  // already missing is not a failure.
  bool Unregister(Registry& registry, ClassesTarget classes) const;

 private:
  struct Value {
    std::u16string name;  // empty for the default value
    std::variant<std::u16string, uint32_t> data;  // REG_SZ or REG_DWORD
  };
  struct Key {
    std::u16string name;
    bool no_remove = false;
    bool force_remove = false;
    std::vector<Value> values;
    std::vector<Key> subkeys;
  };
  struct Root {
    bool classes = false;  // HKCR; otherwise HKCU
    std::vector<Key> keys;
  };

  class Parser;

  explicit RegistrarScript(std::vector<Root> roots) : roots_(std::move(roots)) {}

  std::vector<Root> roots_;
};

}  // namespace orra
