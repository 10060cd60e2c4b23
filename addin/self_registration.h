#pragma once
// SelfRegistration: what DllRegisterServer, DllUnregisterServer and DllInstall do, and what
// every load of the DLL repeats so that a copy moved elsewhere points Excel at itself again.
// Registration writes, under HKEY_CURRENT_USER, the COM add-in entry Excel loads at start-up
// and this DLL's entry in the start-up list of each installed Excel version (values "OPEN",
// "OPEN1" ... "OPEN255" of its Options key); then it runs the two registrar scripts (the
// application id, the class) and registers the type library. Unregistration undoes all of it.
//
// The start-up list is shared with every other add-in: an entry is this system's when the text
// after its last backslash is OrraAddin64.xll and a closing quote, in any letter case, and no
// other entry is ever overwritten or deleted. Registry failures before the class registration
// are passed over; only the class and type library results reach the caller.
//
// One thread at a time; DllInstall's "user" switches every later call of this object to the
// current user's classes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "addin/registrar_script.h"
#include "addin/registration_host.h"
#include "addin/registry.h"

namespace orra {

// HRESULTs as the exports answer them.
inline constexpr int32_t kRegistrationSucceeded = 0;                             // S_OK
inline constexpr int32_t kClassRegistrationFailed = static_cast<int32_t>(0x80040201);  // SELFREG_E_CLASS

// The start-up list entry for a DLL in `module_directory` (which ends with a backslash): the
// fixed file name, whatever the DLL's own file is called, in double quotes.
std::u16string StartupEntry(std::u16string_view module_directory);
// Whether a start-up list value names this system's file.
bool IsOwnStartupEntry(std::u16string_view value);
// The path up to and with its last backslash; empty when it has none.
std::u16string DirectoryOf(std::u16string_view module_path);

class SelfRegistration {
 public:
  // Both are kept by reference and must outlive this object.
  SelfRegistration(Registry& registry, RegistrationHost& host) : registry_(registry), host_(host) {}
  SelfRegistration(const SelfRegistration&) = delete;
  SelfRegistration& operator=(const SelfRegistration&) = delete;

  int32_t Register();
  int32_t Unregister();
  // `command_line` equal to "user" in any letter case switches per-user registration on for
  // good. Then unregisters, or registers and, when that fails, unregisters and answers the
  // registration's failure.
  int32_t Install(bool install, std::optional<std::u16string_view> command_line);

  bool per_user() const { return per_user_; }

 private:
  ClassesTarget Target() const { return per_user_ ? ClassesTarget::kCurrentUser : ClassesTarget::kMachine; }
  void WriteComAddinEntry();
  void WriteStartupEntries(std::u16string_view entry);
  void DeleteStartupEntries();
  std::optional<RegistrarScript> Script(int resource_number) const;
  int32_t RegisterClasses();
  int32_t UnregisterClasses();

  Registry& registry_;
  RegistrationHost& host_;
  bool per_user_ = false;
};

}  // namespace orra
