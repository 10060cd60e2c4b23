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

// The XLL door holds the add-in's runtime from xlAutoOpen to xlAutoClose, and the worksheet
// functions look their requests up in it meanwhile. A second hold or release is ignored.
void HoldRuntimeForXll();
void ReleaseRuntimeForXll();

}  // namespace orra
