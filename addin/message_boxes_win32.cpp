#include "addin/message_boxes_win32.h"

#include <string>

namespace orra {

bool WindowMessageBoxes::Show(std::u16string_view text, std::u16string_view caption, MessageKind kind) {
  // MessageBoxW reads zero-terminated texts.
  const std::wstring wide_text(text.begin(), text.end());
  const std::wstring wide_caption(caption.begin(), caption.end());
  const UINT style = kind == MessageKind::kYesNoInformation ? MB_YESNO | MB_ICONINFORMATION : MB_OK;
  const int choice = MessageBoxW(owner_, wide_text.c_str(), wide_caption.c_str(), style);
  return choice == IDOK || choice == IDYES;
}

}  // namespace orra
