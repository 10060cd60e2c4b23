#include "tools/xlhost/excel_api.h"

#include <cmath>

#include "xll/xl_constants.h"
#include "tools/xlhost/xloper_conversion.h"

namespace orra::xlhost {
namespace {

constexpr size_t kMaxCallArguments = 255;
// xlfRtd: the ProgID, the server and 1 to 253 topics.
constexpr size_t kMinRtdArguments = 3;
// Excel's register ids are numbers of its own choosing; these stay clear of small numbers a
// careless XLL might confuse with a count or an index.
constexpr double kFirstRegisterId = 1000;
// xlfRegister: the module and the procedure at least; Form 2 (the module alone) is not offered.
constexpr size_t kMinRegisterArguments = 2;
constexpr int kWorkspacePlatform = 1;
constexpr int kWorkspaceVersion = 2;
constexpr std::u16string_view kPlatform = u"Windows (64-bit) NT 10.00";
constexpr int32_t kLastWorksheetFunction = 0x0FFF;
constexpr int32_t kLastSpecialFunction = xlSpecial | 0x13;
constexpr int32_t kLastCommand = xlCommand | 0x0FFF;

bool IsExcelFunctionNumber(int32_t function) {
  return (function >= 0 && function <= kLastWorksheetFunction) ||
         (function >= xlSpecial && function <= kLastSpecialFunction) ||
         (function >= xlCommand && function <= kLastCommand);
}

void PutError(int32_t code, XLOPER12& result) {
  result = XLOPER12{};
  result.xltype = xltypeErr;
  result.val.err = code;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  const auto upper = [](char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

// Half away from zero, as Excel rounds a number it passes where an integer is wanted.
std::optional<int32_t> RoundToInt32(double number) {
  const double rounded = std::round(number);
  if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) return std::nullopt;
  return static_cast<int32_t>(rounded);
}

}  // namespace

std::u16string Registration::Text(size_t index) const {
  if (index >= arguments.size()) return {};
  const auto* text = std::get_if<std::u16string>(&arguments[index]);
  return text == nullptr ? std::u16string() : *text;
}

ExcelApi::ExcelApi(const Sheet& sheet, HostMemory& memory, RtdLink& rtd)
    : sheet_(sheet), memory_(memory), rtd_(rtd), next_register_id_(kFirstRegisterId) {}

void ExcelApi::BeginCell(CellAddress cell) {
  caller_ = cell;
  rtd_calls_.erase(cell);
}

const Registration* ExcelApi::FindRegistration(std::u16string_view name) const {
  for (const Registration& registration : registrations_) {
    if (EqualsIgnoringAsciiCase(registration.function_name(), name)) return &registration;
  }
  return nullptr;
}

const std::vector<RtdCall>& ExcelApi::RtdCallsOf(CellAddress cell) const {
  static const std::vector<RtdCall> kNone;
  const auto found = rtd_calls_.find(cell);
  return found == rtd_calls_.end() ? kNone : found->second;
}

int32_t ExcelApi::Call(int32_t function, XLOPER12& result,
                       std::span<const XLOPER12* const> arguments) noexcept {
  int32_t code = xlretFailed;
  try {
    if (arguments.size() > kMaxCallArguments) {
      code = xlretInvCount;
    } else {
      bool all_present = true;
      for (const XLOPER12* argument : arguments) all_present = all_present && argument != nullptr;
      code = all_present ? Dispatch(function & ~xlIntl, result, arguments) : xlretInvXloper;
    }
  } catch (...) {
    code = xlretFailed;
  }
  if (code != xlretSuccess) PutError(xlerrValue, result);
  return code;
}

int32_t ExcelApi::Dispatch(int32_t function, XLOPER12& result,
                           std::span<const XLOPER12* const> arguments) {
  switch (function) {
    case xlFree: return Free(arguments);
    case xlfCaller: return Caller(result, arguments.size());
    case xlSheetNm: return SheetName(result, arguments);
    case xlfYear:
    case xlfMonth:
    case xlfDay: return DatePart(function, result, arguments);
    case xlCoerce: return Coerce(result, arguments);
    case xlfRtd: return Rtd(result, arguments);
    case xlfRegister: return Register(result, arguments);
    case xlfUnregister: return Unregister(result, arguments);
    case xlfSetName: return SetName(result, arguments);
    case xlGetName: return GetName(result, arguments.size());
    case xlfGetWorkspace: return GetWorkspace(result, arguments);
    case xlcMessage: return Message(result, arguments);
    default: return IsExcelFunctionNumber(function) ? xlretFailed : xlretInvXlfn;
  }
}

int32_t ExcelApi::Free(std::span<const XLOPER12* const> arguments) {
  for (const XLOPER12* argument : arguments) memory_.Free(*argument);
  return xlretSuccess;
}

int32_t ExcelApi::Caller(XLOPER12& result, size_t count) {
  if (count != 0) return xlretInvCount;
  if (!caller_) return xlretFailed;
  result = XLOPER12{};
  result.xltype = xltypeRef;
  result.val.mref.lpmref = memory_.NewReference(
      XLREF12{caller_->row, caller_->row, caller_->column, caller_->column});
  result.val.mref.idSheet = sheet_.id();
  return xlretSuccess;
}

int32_t ExcelApi::SheetName(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  if (arguments.size() != 1) return xlretInvCount;
  const XLOPER12& reference = *arguments[0];
  const uint32_t type = BaseType(reference);
  const bool on_this_sheet =
      type == xltypeSRef || (type == xltypeRef && reference.val.mref.idSheet == sheet_.id());
  if (!on_this_sheet) return xlretInvXloper;
  Put(sheet_.QualifiedName(), result);
  return xlretSuccess;
}

int32_t ExcelApi::DatePart(int32_t function, XLOPER12& result,
                           std::span<const XLOPER12* const> arguments) {
  if (arguments.size() != 1) return xlretInvCount;
  const std::optional<GridValue> value = Dereference(*arguments[0]);
  if (value && std::holds_alternative<ErrorValue>(*value)) {
    Put(*value, result);
    return xlretSuccess;
  }
  const std::optional<double> serial = value ? AsNumber(*value) : std::nullopt;
  if (!serial) {
    PutError(xlerrValue, result);
    return xlretSuccess;
  }
  const std::optional<SerialDate> date = DateOfSerial(*serial);
  if (!date) {
    PutError(xlerrNum, result);
    return xlretSuccess;
  }
  const int32_t part = function == xlfYear ? date->year : function == xlfMonth ? date->month : date->day;
  Put(static_cast<double>(part), result);
  return xlretSuccess;
}

int32_t ExcelApi::Coerce(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  if (arguments.empty() || arguments.size() > 2) return xlretInvCount;
  const XLOPER12& source = *arguments[0];
  const uint32_t source_type = BaseType(source);
  uint32_t wanted = 0;
  if (arguments.size() == 2 && BaseType(*arguments[1]) != xltypeMissing) {
    const std::optional<double> mask = AsNumber(GridValueOf(*arguments[1]));
    if (!mask) return xlretInvXloper;
    wanted = static_cast<uint32_t>(*mask);
  }
  const bool is_reference = source_type == xltypeRef || source_type == xltypeSRef;
  if (is_reference && (wanted & (xltypeRef | xltypeSRef)) != 0) {
    if (source_type == xltypeSRef) {
      result = source;
      return xlretSuccess;
    }
    if (source.val.mref.lpmref == nullptr || source.val.mref.lpmref->count != 1) return xlretFailed;
    result = XLOPER12{};
    result.xltype = xltypeRef;
    result.val.mref.lpmref = memory_.NewReference(source.val.mref.lpmref->reftbl[0]);
    result.val.mref.idSheet = source.val.mref.idSheet;
    return xlretSuccess;
  }
  if ((wanted & (xltypeRef | xltypeSRef)) != 0) return xlretFailed;  // a value is no reference
  if (source_type == xltypeMissing) return xlretFailed;
  const std::optional<GridValue> value = Dereference(source);
  if (!value) return xlretFailed;
  if (wanted == 0) {
    Put(*value, result);
    return xlretSuccess;
  }
  if (const auto* error = std::get_if<ErrorValue>(&*value)) {
    if ((wanted & xltypeErr) == 0) return xlretFailed;
    PutError(error->code, result);
    return xlretSuccess;
  }
  // The source's own type when it is wanted, else the first wanted type it converts to.
  const bool is_number = std::holds_alternative<double>(*value);
  const bool is_text = std::holds_alternative<std::u16string>(*value);
  const bool is_bool = std::holds_alternative<bool>(*value);
  const bool is_empty = std::holds_alternative<std::monostate>(*value);
  if ((is_number && (wanted & xltypeNum)) || (is_text && (wanted & xltypeStr)) ||
      (is_bool && (wanted & xltypeBool))) {
    Put(*value, result);
    return xlretSuccess;
  }
  if (is_empty && (wanted & xltypeNil)) {
    result = XLOPER12{};
    result.xltype = xltypeNil;
    return xlretSuccess;
  }
  if (wanted & xltypeNum) {
    if (const auto number = AsNumber(*value)) {
      Put(*number, result);
      return xlretSuccess;
    }
  }
  if (wanted & xltypeInt) {
    const auto number = AsNumber(*value);
    if (const auto whole = number ? RoundToInt32(*number) : std::nullopt) {
      result = XLOPER12{};
      result.xltype = xltypeInt;
      result.val.w = *whole;
      return xlretSuccess;
    }
  }
  if (wanted & xltypeStr) {
    if (const auto text = AsText(*value)) {
      Put(*text, result);
      return xlretSuccess;
    }
  }
  if (wanted & xltypeBool) {
    if (const auto flag = AsBool(*value)) {
      Put(*flag, result);
      return xlretSuccess;
    }
  }
  return xlretFailed;
}

int32_t ExcelApi::Rtd(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  if (arguments.size() < kMinRtdArguments) return xlretInvCount;
  std::vector<std::u16string> texts;
  for (const XLOPER12* argument : arguments) {
    const GridValue value =
        BaseType(*argument) == xltypeMissing ? GridValue(std::u16string()) : GridValueOf(*argument);
    if (std::holds_alternative<ErrorValue>(value)) {
      Put(value, result);  // RTD gives the first error among its arguments
      return xlretSuccess;
    }
    texts.push_back(*AsText(value));
  }
  RtdCall call{std::move(texts[0]), std::move(texts[1]),
               std::vector<std::u16string>(std::make_move_iterator(texts.begin() + 2),
                                           std::make_move_iterator(texts.end()))};
  const GridValue value = rtd_.Value(call);
  if (caller_) rtd_calls_[*caller_].push_back(std::move(call));
  Put(value, result);
  return xlretSuccess;
}

int32_t ExcelApi::Register(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  if (arguments.size() < kMinRegisterArguments) return xlretInvCount;
  Registration registration;
  for (const XLOPER12* argument : arguments) {
    registration.arguments.push_back(GridValueOf(*argument));
  }
  if (registration.procedure().empty()) return xlretInvXloper;
  // Registering a function name again replaces the earlier registration, as in Excel.
  std::erase_if(registrations_, [&](const Registration& earlier) {
    return !registration.function_name().empty() &&
           EqualsIgnoringAsciiCase(earlier.function_name(), registration.function_name());
  });
  registration.register_id = next_register_id_++;
  Put(registration.register_id, result);
  registrations_.push_back(std::move(registration));
  return xlretSuccess;
}

int32_t ExcelApi::Unregister(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  if (arguments.size() != 1) return xlretInvCount;
  const std::optional<double> id = AsNumber(GridValueOf(*arguments[0]));
  if (BaseType(*arguments[0]) != xltypeNum || !id) return xlretFailed;  // Form 2 not offered
  const size_t removed = std::erase_if(
      registrations_, [&](const Registration& registration) { return registration.register_id == *id; });
  Put(removed > 0, result);
  return xlretSuccess;
}

int32_t ExcelApi::SetName(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  if (arguments.empty() || arguments.size() > 2) return xlretInvCount;
  const auto name = TextOf(*arguments[0]);
  if (!name || name->empty()) return xlretInvXloper;
  const bool deletes = arguments.size() == 1 || BaseType(*arguments[1]) == xltypeMissing;
  if (deletes) {
    names_.erase(std::u16string(*name));
  } else {
    names_[std::u16string(*name)] = GridValueOf(*arguments[1]);
  }
  Put(true, result);
  return xlretSuccess;
}

int32_t ExcelApi::GetName(XLOPER12& result, size_t count) {
  if (count != 0) return xlretInvCount;
  if (!xll_path_) return xlretFailed;
  Put(*xll_path_, result);
  return xlretSuccess;
}

int32_t ExcelApi::GetWorkspace(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  if (arguments.size() != 1) return xlretInvCount;
  const std::optional<double> kind = AsNumber(GridValueOf(*arguments[0]));
  if (kind == kWorkspacePlatform) {
    Put(std::u16string(kPlatform), result);
  } else if (kind == kWorkspaceVersion) {
    Put(std::u16string(kVersion), result);
  } else {
    return xlretFailed;  // the other workspace facts are not kept
  }
  return xlretSuccess;
}

int32_t ExcelApi::Message(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  if (caller_) return xlretFailed;  // a command, and a worksheet function cannot run one
  if (arguments.empty() || arguments.size() > 2) return xlretInvCount;
  const std::optional<bool> show = AsBool(GridValueOf(*arguments[0]));
  if (!show) return xlretInvXloper;
  if (*show) {
    const std::optional<std::u16string> text =
        arguments.size() == 2 ? AsText(GridValueOf(*arguments[1])) : std::u16string();
    if (!text) return xlretInvXloper;
    status_texts_.push_back(*text);
    status_bar_ = *text;
  } else {
    status_bar_.reset();
  }
  Put(true, result);
  return xlretSuccess;
}

std::optional<GridValue> ExcelApi::Dereference(const XLOPER12& argument) const {
  const uint32_t type = BaseType(argument);
  std::optional<XLREF12> area;
  if (type == xltypeSRef) {
    area = argument.val.sref.ref;
  } else if (type == xltypeRef) {
    const XLMREF12* areas = argument.val.mref.lpmref;
    if (areas == nullptr || areas->count != 1 || argument.val.mref.idSheet != sheet_.id()) {
      return std::nullopt;
    }
    area = areas->reftbl[0];
  } else {
    return GridValueOf(argument);
  }
  if (area->rwFirst != area->rwLast || area->colFirst != area->colLast) return std::nullopt;
  return sheet_.ValueAt(CellAddress{area->rwFirst, area->colFirst});
}

void ExcelApi::Put(const GridValue& value, XLOPER12& result) {
  result = XLOPER12{};
  if (std::holds_alternative<std::monostate>(value)) {
    result.xltype = xltypeNil;
  } else if (const auto* number = std::get_if<double>(&value)) {
    result.xltype = xltypeNum;
    result.val.num = *number;
  } else if (const auto* text = std::get_if<std::u16string>(&value)) {
    result.xltype = xltypeStr;
    result.val.str = memory_.NewText(*text);
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    result.xltype = xltypeBool;
    result.val.xbool = *flag ? 1 : 0;
  } else {
    result.xltype = xltypeErr;
    result.val.err = std::get<ErrorValue>(value).code;
  }
}

}  // namespace orra::xlhost
