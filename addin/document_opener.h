#pragma once
// Port: hands a document's address to whatever the user's desktop opens it with (the shell's
// "open" verb on Windows, in a normal window). Whether that worked is not reported: the
// desktop tells the user itself. A recording double in tests.
//
// Excel's main thread.

#include <string_view>

namespace orra {

class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  virtual void Open(std::u16string_view address) = 0;
};

}  // namespace orra
