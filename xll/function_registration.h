#pragma once
// What Excel is told about a worksheet function when the add-in registers it: the record, the
// texts derived from it (type text, argument text, help topic), and the argument list of
// xlfRegister built from them.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "xll/xloper.h"

namespace orra {

struct FunctionArgument {
  std::u16string name;
  std::u16string help;
  std::u16string type_code;  // "Q": any value, references resolved to their values
};

struct FunctionRegistration {
  std::u16string procedure;      // the exported name
  std::u16string name_in_excel;
  std::u16string function_help;
  std::u16string category;
  std::vector<FunctionArgument> arguments;
  std::u16string result_type;  // empty: the general value type "Q"
  bool is_volatile = false;
  bool thread_safe = false;
};

// The only function the add-in registers; the others are exported and reached by name alone.
FunctionRegistration XdpRegistration();

// The result's code, one code per argument, then "!" when volatile and "$" when thread-safe.
std::u16string TypeText(const FunctionRegistration& record);
// The argument names joined by ", ", or a note in their place when the Function Wizard would
// not take that many characters.
std::u16string ArgumentText(const FunctionRegistration& record);

// The argument list of xlfRegister for one record, holding its texts for as long as the call
// needs them. `help_topic` is empty when there is no help file.
class RegisterArguments {
 public:
  RegisterArguments(const FunctionRegistration& record, std::u16string_view module,
                    std::u16string_view help_topic);
  RegisterArguments(const RegisterArguments&) = delete;
  RegisterArguments& operator=(const RegisterArguments&) = delete;

  std::span<const XLOPER12* const> values() const { return pointers_; }

 private:
  // Excel's counted texts: the length unit, then the characters.
  std::vector<std::u16string> texts_;
  std::vector<XLOPER12> values_;
  std::vector<const XLOPER12*> pointers_;
};

}  // namespace orra
