// DllRegisterServer, DllUnregisterServer and DllInstall: catch-all shells over SelfRegistration
// working on the machine's registry for this DLL. The per-user switch of DllInstall lasts for
// the rest of the process, so one SelfRegistration serves every call; the calls (from regsvr32,
// an installer, or the load-time registration) are serialised.
#include <windows.h>

#include <atomic>
#include <memory>
#include <new>
#include <optional>
#include <string_view>

#include "addin/load_time_registration.h"
#include "addin/registration_host.h"
#include "addin/registry.h"
#include "addin/self_registration.h"
#include "common/mutex.h"

namespace orra {
namespace {

class ProcessRegistration {
 public:
  ProcessRegistration()
      : registry_(MakePlatformRegistry()), host_(MakeThisModuleRegistrationHost()), registration_(*registry_, *host_) {}

  template <typename Call>
  HRESULT Run(Call call) {
    MutexLock lock(mutex_);
    return call(registration_);
  }

 private:
  Mutex mutex_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<RegistrationHost> host_;
  SelfRegistration registration_ ORRA_GUARDED_BY(mutex_);
};

// Made at the first call, after the DLL has loaded.
ProcessRegistration& Process() {
  static ProcessRegistration process;
  return process;
}

template <typename Call>
HRESULT Guarded(Call call) noexcept {
  try {
    return Process().Run(call);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace

void RegisterAtLoad() noexcept {
  // Both doors call this; whichever Excel opens first registers, once per load of the DLL.
  static std::atomic<bool> registered{false};
  if (registered.exchange(true)) return;
  Guarded([](SelfRegistration& registration) { return registration.Register(); });
}

}  // namespace orra

extern "C" HRESULT __stdcall DllRegisterServer() {
  return orra::Guarded([](orra::SelfRegistration& registration) { return registration.Register(); });
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
  return orra::Guarded([](orra::SelfRegistration& registration) { return registration.Unregister(); });
}

extern "C" HRESULT __stdcall DllInstall(BOOL install, LPCWSTR command_line) {
  return orra::Guarded([&](orra::SelfRegistration& registration) {
    std::optional<std::u16string_view> text;
    if (command_line != nullptr) text = std::u16string_view(reinterpret_cast<const char16_t*>(command_line));
    return registration.Install(install != FALSE, text);
  });
}
