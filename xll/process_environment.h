#pragma once
// Port: what the add-in reads and changes of the process Excel loaded it into: the process's
// environment variables (which libraries loaded later inherit) and the file name of the
// add-in's own module.
//
// Excel's main thread only.

#include <optional>
#include <string>
#include <string_view>

namespace orra {

class ProcessEnvironment {
 public:
  // None when the variable is not set; an empty text when it is set and empty.
  virtual std::optional<std::u16string> Variable(std::u16string_view name) = 0;
  // False when the process refuses the new value.
  virtual bool SetVariable(std::u16string_view name, std::u16string_view value) = 0;
  // The full path of the module this code is linked into; none when it cannot be found.
  virtual std::optional<std::u16string> AddinModulePath() = 0;

 protected:
  ~ProcessEnvironment() = default;
};

// The process's own environment (Windows only); it holds no state.
ProcessEnvironment& PlatformProcessEnvironment();

}  // namespace orra
