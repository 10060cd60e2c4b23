#include <windows.h>

#include "common/utilities.h"

// The shared utilities live from load to unload of the DLL. Nothing here may throw or wait on
// another thread: the loader lock is held.
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
