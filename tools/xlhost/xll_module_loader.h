#pragma once
// The platform's way to load an XLL into this process (an XllLoader for the scenario runner).
//
// Excel's main thread only.

#include <memory>
#include <string>

#include "tools/xlhost/xll_module.h"

namespace orra::xlhost {

// None, with `error` saying why, when the file cannot be loaded as a DLL.
std::unique_ptr<XllModule> LoadXll(const std::string& path, std::string& error);

}  // namespace orra::xlhost
