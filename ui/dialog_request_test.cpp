#include "ui/dialog_request.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace orra {
namespace {

TEST(DialogRequestTest, OnlyTheDialogMessageWithAKnownWParamOpensADialog) {
  EXPECT_EQ(DialogRequested({kOpenDialogMessage, 0, 0}), RibbonDialog::kIndicatorNavigator);
  EXPECT_EQ(DialogRequested({kOpenDialogMessage, 1, 0}), RibbonDialog::kInsertCode);
  EXPECT_EQ(DialogRequested({kOpenDialogMessage, 1, 77}), RibbonDialog::kInsertCode) << "lParam is not read";
  for (const uintptr_t other : {uintptr_t{2}, uintptr_t{3}, UINTPTR_MAX}) {
    EXPECT_EQ(DialogRequested({kOpenDialogMessage, other, 0}), std::nullopt) << other;
  }
  EXPECT_EQ(DialogRequested({kOpenDialogMessage + 1, 0, 0}), std::nullopt) << "another message";
  EXPECT_EQ(DialogRequested({0x8000, 1, 0}), std::nullopt);
}

}  // namespace
}  // namespace orra
