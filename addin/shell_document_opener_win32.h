#pragma once
// ShellDocumentOpener: opens a document with the shell's "open" verb in a normal window, as a
// double click would (a web address goes to the user's browser). The shell's answer is not
// looked at: a failure is the desktop's to report.
//
// Excel's main thread.

#include "addin/document_opener.h"

namespace orra {

class ShellDocumentOpener final : public DocumentOpener {
 public:
  void Open(std::u16string_view address) override;
};

}  // namespace orra
