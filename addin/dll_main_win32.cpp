#include <windows.h>

#include "common/utilities.h"

// The shared utilities live from load to unload of the DLL: they only allocate and free memory
// and read the executable's path. Nothing here may throw, start a thread or wait on one: the
// loader lock is held. So the runtime with its threads (addin/process_runtime.h) is built and
// stopped by the doors Excel opens and closes, never here, and no static object of the DLL
// joins or waits in its destructor.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  try {
    switch (reason) {
      case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(instance);
        orra::StartUtilities();
        break;
      case DLL_PROCESS_DETACH:
        // At process exit (reserved != null) the other threads are gone and the memory goes
        // with the process; free only on a real unload.
        if (reserved == nullptr) orra::StopUtilities();
        break;
      default:
        break;
    }
  } catch (...) {
  }
  return TRUE;
}
