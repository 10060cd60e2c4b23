#pragma once
// The XLL side of the add-in for the whole process: the bridge to the Excel that loaded the
// DLL, the platform's ports and the XllAddin they drive. Made at the first xlAutoOpen (never
// while the loader lock is held) and kept until the DLL is unloaded.
//
// Excel's main thread only: Excel calls every entry point there.

#include "xll/xll_addin.h"

namespace orra {

// Makes the objects at the first call.
XllAddin& OpenedXllAddin();
// None before the first xlAutoOpen.
XllAddin* ExistingXllAddin();

}  // namespace orra
