#include "ui/dialog_request.h"

namespace orra {

std::optional<RibbonDialog> DialogRequested(const ThreadMessage& message) {
  if (message.id != kOpenDialogMessage) return std::nullopt;
  switch (message.wparam) {
    case static_cast<uintptr_t>(RibbonDialog::kIndicatorNavigator):
      return RibbonDialog::kIndicatorNavigator;
    case static_cast<uintptr_t>(RibbonDialog::kInsertCode):
      return RibbonDialog::kInsertCode;
    default:
      return std::nullopt;
  }
}

}  // namespace orra
