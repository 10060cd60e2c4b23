#pragma once
// The worksheet functions the add-in registers with Excel, by their names in Excel, each with
// the register id Excel answered. Filled before Excel opens the add-in; the ids are set at
// opening and cleared when the functions are unregistered.
//
// Excel's main thread only.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "xll/function_registration.h"

namespace orra {

struct RegisteredFunction {
  FunctionRegistration record;
  std::optional<double> register_id;  // none until Excel registered the function
};

class FunctionRegistry {
 public:
  using Functions = std::map<std::u16string, RegisteredFunction, std::less<>>;

  // What the add-in registers: XDP alone.
  static FunctionRegistry AddinFunctions();

  // A record of a name already present replaces it.
  void Add(FunctionRegistration record);
  const RegisteredFunction* Find(std::u16string_view name_in_excel) const;

  // In the order of their names, which is the order they are registered in.
  Functions& functions() { return functions_; }
  const Functions& functions() const { return functions_; }

 private:
  Functions functions_;
};

}  // namespace orra
