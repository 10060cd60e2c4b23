#pragma once
// Port: the message boxes the add-in shows (login, permission, developer mode), owned by
// Excel's main window. MessageBoxW on Windows; a recording double in tests.

#include <string_view>

namespace orra {

enum class MessageKind {
  kOk,                     // one OK button
  kYesNoInformation,       // an information icon, Yes and No
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // True when the user chose OK or Yes.
  virtual bool Show(std::u16string_view text, std::u16string_view caption, MessageKind kind) = 0;
};

}  // namespace orra
