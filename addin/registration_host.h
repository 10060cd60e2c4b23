#pragma once
// RegistrationHost: what self-registration needs from the module that registers itself: where
// its file is, the registrar scripts it carries, and the registration of the type library it
// carries, which the system does through its own interface rather than key by key. The Windows
// adapter (registration_host_win32.cpp) answers for the DLL that contains it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "addin/registrar_script.h"

namespace orra {

class RegistrationHost {
 public:
  virtual ~RegistrationHost() = default;

  // The full path of the module's file; empty when it cannot be had.
  virtual std::u16string ModulePath() const = 0;
  virtual void MakeCurrentDirectory(std::u16string_view directory) = 0;
  // The text of the registrar script with that resource number; nothing when the module has none.
  virtual std::optional<std::u16string> RegistrarScriptText(int resource_number) const = 0;
  // HRESULTs of the system's type library registration, machine-wide or for the current user.
  virtual int32_t RegisterTypeLibrary(ClassesTarget target) = 0;
  virtual int32_t UnregisterTypeLibrary(ClassesTarget target) = 0;
};

// The DLL this code is linked into (Windows only).
std::unique_ptr<RegistrationHost> MakeThisModuleRegistrationHost();

}  // namespace orra
