#include "tools/xlhost/message_log.h"

#include <algorithm>

namespace orra::xlhost {

MessageButton ChooseButton(MessageAnswer answer, std::span<const MessageButton> offered) {
  static constexpr MessageButton kForYes[] = {MessageButton::kYes, MessageButton::kOk};
  static constexpr MessageButton kForNo[] = {MessageButton::kNo, MessageButton::kCancel, MessageButton::kOk};
  const std::span<const MessageButton> preference =
      answer == MessageAnswer::kYes ? std::span<const MessageButton>(kForYes) : std::span<const MessageButton>(kForNo);
  for (MessageButton wanted : preference) {
    if (std::find(offered.begin(), offered.end(), wanted) != offered.end()) return wanted;
  }
  return offered.empty() ? MessageButton::kOk : offered.front();
}

MessageButton MessageLog::Answer(std::u16string caption, std::u16string text,
                                 std::span<const MessageButton> offered) {
  const MessageButton button = ChooseButton(answer_, offered);
  shown_.push_back(ShownMessage{std::move(caption), std::move(text), button});
  return button;
}

}  // namespace orra::xlhost
