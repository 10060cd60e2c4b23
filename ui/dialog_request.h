#pragma once
// Which dialog a thread message asks the user-interface thread to open: the ribbon's dialog
// message with wParam 0 (the indicator navigator) or 1 (the insert-code dialog). Any other
// message or wParam asks for none.

#include <optional>

#include "addin/dialog_thread.h"
#include "addin/ribbon_commands.h"

namespace orra {

std::optional<RibbonDialog> DialogRequested(const ThreadMessage& message);

}  // namespace orra
