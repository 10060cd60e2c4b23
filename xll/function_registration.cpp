#include "xll/function_registration.h"

#include <algorithm>

#include "xll/xl_constants.h"

namespace orra {
namespace {

constexpr std::u16string_view kGeneralValueType = u"Q";
// The Function Wizard shows no more of an argument text than this.
constexpr size_t kMaxArgumentTextUnits = 255;
constexpr std::u16string_view kTooManyArguments = u"Too many arguments for Function Wizard";
// xlfRegister's macro type of a worksheet function listed in the Function Wizard.
constexpr double kWorksheetFunction = 1;
// Excel may cut the last argument's help short; a trailing ". " is what it cuts.
constexpr std::u16string_view kLastHelpEnding = u". ";

constexpr const char16_t* kXdpArgumentNames[] = {
    u"stock_code", u"indicator_name", u"arg1", u"arg2",  u"arg3",  u"arg4",  u"arg5",  u"arg6",
    u"arg7",       u"arg8",           u"arg9", u"arg10", u"arg11", u"arg12", u"arg13", u"arg14"};

std::u16string Counted(std::u16string_view text) {
  const std::u16string_view kept = text.substr(0, kMaxXlTextUnits);
  std::u16string counted(1, static_cast<char16_t>(kept.size()));
  counted.append(kept);
  return counted;
}

}  // namespace

FunctionRegistration XdpRegistration() {
  FunctionRegistration record;
  record.procedure = u"XDP";
  record.name_in_excel = u"XDP";
  record.function_help = u"XDP";
  record.category = u"ORRA FUNCTION";
  for (const char16_t* name : kXdpArgumentNames) {
    record.arguments.push_back(FunctionArgument{name, name, std::u16string(kGeneralValueType)});
  }
  return record;
}

std::u16string TypeText(const FunctionRegistration& record) {
  std::u16string text = record.result_type.empty() ? std::u16string(kGeneralValueType) : record.result_type;
  for (const FunctionArgument& argument : record.arguments) text += argument.type_code;
  if (record.is_volatile) text += u'!';
  if (record.thread_safe) text += u'$';
  return text;
}

std::u16string ArgumentText(const FunctionRegistration& record) {
  std::u16string text;
  for (const FunctionArgument& argument : record.arguments) {
    if (!text.empty()) text += u", ";
    text += argument.name;
  }
  return text.size() > kMaxArgumentTextUnits ? std::u16string(kTooManyArguments) : text;
}

RegisterArguments::RegisterArguments(const FunctionRegistration& record, std::u16string_view module,
                                     std::u16string_view help_topic) {
  // Texts first, values after: a value points into its text, which must no longer move.
  texts_.push_back(Counted(module));
  texts_.push_back(Counted(record.procedure));
  texts_.push_back(Counted(TypeText(record)));
  texts_.push_back(Counted(record.name_in_excel));
  texts_.push_back(Counted(ArgumentText(record)));
  const size_t macro_type_position = texts_.size();
  texts_.push_back(Counted(record.category));
  texts_.push_back(Counted(u""));  // no shortcut: worksheet functions have none
  texts_.push_back(Counted(help_topic));
  texts_.push_back(Counted(record.function_help));
  for (size_t i = 0; i < record.arguments.size(); ++i) {
    std::u16string help = record.arguments[i].help;
    if (i + 1 == record.arguments.size()) help += kLastHelpEnding;
    texts_.push_back(Counted(help));
  }

  values_.reserve(texts_.size() + 1);
  for (size_t i = 0; i < texts_.size(); ++i) {
    if (i == macro_type_position) {
      XLOPER12& macro_type = values_.emplace_back();
      macro_type.xltype = xltypeNum;
      macro_type.val.num = kWorksheetFunction;
    }
    XLOPER12& text = values_.emplace_back();
    text.xltype = xltypeStr;
    text.val.str = texts_[i].data();
  }
  for (const XLOPER12& value : values_) pointers_.push_back(&value);
}

}  // namespace orra
