#include "addin/xll_addin_holder.h"

#include <memory>

#include "addin/process_runtime.h"
#include "common/env.h"
#include "xll/host_excel_calls.h"
#include "xll/loaded_library.h"
#include "xll/process_environment.h"
#include "xll/xll_services.h"

namespace orra {
namespace {

struct XllAddinParts {
  PlatformEnv env;
  HostExcelCalls excel = ConnectToHostExcel();
  XllAddin addin{excel, PlatformLibraryLoader(), PlatformProcessEnvironment(), env};
};

// Constant-initialised: nothing runs at load time.
std::unique_ptr<XllAddinParts> parts;
bool runtime_held = false;

}  // namespace

XllAddin& OpenedXllAddin() {
  if (parts == nullptr) {
    parts = std::make_unique<XllAddinParts>();
    // From now on the worksheet functions reach Excel through the same bridge.
    XllServices& services = InstalledXllServices();
    services.excel = &parts->excel;
    services.env = &parts->env;
  }
  return parts->addin;
}

XllAddin* ExistingXllAddin() { return parts == nullptr ? nullptr : &parts->addin; }

void HoldRuntimeForXll() {
  if (runtime_held) return;
  AddinRuntime& runtime = AcquireRuntime();
  runtime_held = true;
  XllServices& services = InstalledXllServices();
  services.requests = &runtime.requests();
  services.messages = &runtime.messages();
}

void ReleaseRuntimeForXll() {
  if (!runtime_held) return;
  // The functions must not reach the runtime's objects once it may go.
  XllServices& services = InstalledXllServices();
  services.requests = nullptr;
  services.messages = nullptr;
  runtime_held = false;
  ReleaseRuntime();
}

}  // namespace orra
