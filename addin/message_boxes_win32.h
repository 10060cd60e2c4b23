#pragma once
// WindowMessageBoxes: the add-in's message boxes as MessageBoxW, owned by Excel's main window
// once the add-in is connected (no owner before), so that they stay in front of Excel and
// block only its input. OK alone, or Yes and No with the information icon.
//
// Excel's main thread.

#include <windows.h>

#include "request/message_boxes.h"

namespace orra {

class WindowMessageBoxes final : public MessageBoxes {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  bool Show(std::u16string_view text, std::u16string_view caption, MessageKind kind) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace orra
