#pragma once
// The WindowDriver of the running process: finds its top-level windows by caption and drives
// their controls with the window messages that input gives them.
//
// Excel's main thread only.

#include <memory>

#include "tools/xlhost/window_driver.h"

namespace orra::xlhost {

std::unique_ptr<WindowDriver> MakeWin32WindowDriver();

}  // namespace orra::xlhost
