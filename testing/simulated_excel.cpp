#include "testing/simulated_excel.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace orra::testing {

struct SimulatedExcel::Allocation {
  std::u16string units;  // a text: its length unit, then its characters
  XLMREF12 reference{};  // a reference's one area
};

namespace {

constexpr IDSHEET kNoSheet = 0;
// Excel's last date, 31 December 9999.
constexpr int32_t kLastSerial = 2958465;
// The day Excel counts as 29 February 1900, which the calendar never had.
constexpr int32_t kPhantomLeapDay = 60;
constexpr double kFirstRegisterId = 1000;
constexpr int32_t kMaxArguments = 255;

const void* MemoryOf(const XLOPER12& value) {
  switch (BaseType(value)) {
    case xltypeStr:
      return value.val.str;
    case xltypeRef:
      return value.val.mref.lpmref;
    case xltypeMulti:
      return value.val.array.lparray;
    default:
      return nullptr;
  }
}

void SetError(XLOPER12& result, int32_t code) {
  result = XLOPER12{};
  result.xltype = xltypeErr;
  result.val.err = code;
}

void SetNumber(XLOPER12& result, double number) {
  result = XLOPER12{};
  result.xltype = xltypeNum;
  result.val.num = number;
}

void SetBool(XLOPER12& result, bool value) {
  result = XLOPER12{};
  result.xltype = xltypeBool;
  result.val.xbool = value ? 1 : 0;
}

const XLOPER12* ArgumentAt(std::span<const XLOPER12* const> arguments, size_t i) {
  return i < arguments.size() ? arguments[i] : nullptr;
}

bool IsAbsent(const XLOPER12* value) { return value == nullptr || BaseType(*value) == xltypeMissing; }

std::optional<double> NumberOf(const XLOPER12* value) {
  if (value == nullptr) return std::nullopt;
  if (BaseType(*value) == xltypeNum) return value->val.num;
  if (BaseType(*value) == xltypeInt) return value->val.w;
  return std::nullopt;
}

// Days from 1970-01-01 to a Gregorian date, and back (Howard Hinnant's civil calendar).
struct Ymd {
  int32_t year, month, day;
};
Ymd CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int32_t>(yoe + era * 400 + (m <= 2)), static_cast<int32_t>(m), static_cast<int32_t>(d)};
}

// Excel's 1900 date system: serial 1 is 1 January 1900, 60 the phantom 29 February 1900, 0
// "January 0, 1900".
std::optional<Ymd> DateOfSerial(double number) {
  const double whole = std::trunc(number);
  if (!(whole >= 0 && whole <= kLastSerial)) return std::nullopt;
  const int32_t serial = static_cast<int32_t>(whole);
  if (serial == 0) return Ymd{1900, 1, 0};
  if (serial == kPhantomLeapDay) return Ymd{1900, 2, 29};
  // 1899-12-31 is day -25568 from 1970; from 1 March 1900 on, the phantom day shifts by one.
  constexpr int64_t kDayBeforeFirst = -25568;
  return CivilFromDays(kDayBeforeFirst + serial - (serial > kPhantomLeapDay ? 1 : 0));
}

std::optional<double> ParseNumber(std::u16string_view text) {
  std::string narrow;
  for (char16_t unit : text) {
    if (unit > 0x7f) return std::nullopt;
    narrow.push_back(static_cast<char>(unit));
  }
  const size_t first = narrow.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const size_t last = narrow.find_last_not_of(' ');
  const std::string trimmed = narrow.substr(first, last - first + 1);
  char* end = nullptr;
  const double number = std::strtod(trimmed.c_str(), &end);
  if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(number)) return std::nullopt;
  return number;
}

// The value a scalar coercion starts from: an array's top-left element, an empty cell for a
// reference (the simulation holds no cell values).
XLOPER12 ScalarOf(const XLOPER12& value) {
  switch (BaseType(value)) {
    case xltypeMulti:
      if (value.val.array.lparray != nullptr && value.val.array.rows > 0 && value.val.array.columns > 0) {
        return value.val.array.lparray[0];
      }
      break;
    case xltypeRef:
    case xltypeSRef:
      break;
    default:
      return value;
  }
  XLOPER12 nil{};
  nil.xltype = xltypeNil;
  return nil;
}

std::optional<double> CoercedNumber(const XLOPER12& value) {
  switch (BaseType(value)) {
    case xltypeNum:
      return value.val.num;
    case xltypeInt:
      return value.val.w;
    case xltypeBool:
      return value.val.xbool != 0 ? 1 : 0;
    case xltypeNil:
    case xltypeMissing:
      return 0;
    case xltypeStr:
      if (const auto text = TextOf(value)) return ParseNumber(*text);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<std::u16string> ExcelText(const XLOPER12& value) {
  switch (BaseType(value)) {
    case xltypeStr:
      if (const auto text = TextOf(value)) return std::u16string(*text);
      return std::nullopt;
    case xltypeBool:
      return value.val.xbool != 0 ? u"TRUE" : u"FALSE";
    case xltypeInt:
    case xltypeNum: {
      const double number = BaseType(value) == xltypeInt ? value.val.w : value.val.num;
      char digits[32];
      const auto written = std::to_chars(digits, digits + sizeof digits, number);
      return std::u16string(digits, written.ptr);
    }
    case xltypeNil:
      return u"";
    default:
      return std::nullopt;
  }
}

SimulatedExcel::SimulatedExcel() { AddSheet(kFirstSheet, u"[Book1.xlsx]Sheet1"); }

SimulatedExcel::~SimulatedExcel() = default;

void SimulatedExcel::AddSheet(IDSHEET id, std::u16string name) { sheets_[id] = std::move(name); }

void SimulatedExcel::SetRtdAnswer(const std::vector<std::u16string>& topics, double value) {
  rtd_answers_[topics] = {value, std::nullopt};
}

void SimulatedExcel::SetRtdTextAnswer(const std::vector<std::u16string>& topics, std::u16string text) {
  rtd_answers_[topics] = {0, std::move(text)};
}

std::vector<int32_t> SimulatedExcel::functions_called() const {
  std::vector<int32_t> functions;
  for (const RecordedCall& call : calls_) functions.push_back(call.function);
  return functions;
}

size_t SimulatedExcel::CountOf(int32_t function) const {
  size_t count = 0;
  for (const RecordedCall& call : calls_) count += call.function == function;
  return count;
}

std::vector<std::vector<std::u16string>> SimulatedExcel::rtd_calls() const {
  std::vector<std::vector<std::u16string>> lists;
  for (const RecordedCall& call : calls_) {
    if (call.function != xlfRtd) continue;
    std::vector<std::u16string>& topics = lists.emplace_back();
    for (size_t i = 2; i < call.arguments.size(); ++i) {
      topics.push_back(BaseType(call.arguments[i]) == xltypeStr ? call.texts[i]
                                                                 : ExcelText(call.arguments[i]).value_or(u"?"));
    }
  }
  return lists;
}

int32_t SimulatedExcel::Call(int32_t function, XLOPER12& result, std::span<const XLOPER12* const> arguments) noexcept {
  try {
    RecordedCall& call = calls_.emplace_back();
    call.function = function & ~xlIntl;
    for (const XLOPER12* argument : arguments) {
      XLOPER12 copy{};
      if (argument != nullptr) copy = *argument;
      call.arguments.push_back(copy);
      call.texts.push_back(argument != nullptr ? std::u16string(TextOf(*argument).value_or(u"")) : u"");
    }
    int32_t code = xlretSuccess;
    if (const auto failure = failures_.find(call.function); failure != failures_.end()) {
      code = failure->second;
      failures_.erase(failure);
      SetError(result, xlerrValue);
    } else {
      code = Answer(call.function, result, arguments);
    }
    calls_.back().return_code = code;
    return code;
  } catch (...) {
    SetError(result, xlerrValue);
    return xlretFailed;
  }
}

int32_t SimulatedExcel::Answer(int32_t function, XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  if (arguments.size() > static_cast<size_t>(kMaxArguments)) {
    SetError(result, xlerrValue);
    return xlretInvCount;
  }
  switch (function) {
    case xlFree:
      return Free(arguments);
    case xlfCaller:
      return CallerReference(result);
    case xlSheetNm:
      return SheetName(result, arguments);
    case xlfYear:
    case xlfMonth:
    case xlfDay:
      return DatePart(function, result, arguments);
    case xlCoerce:
      return Coerce(result, arguments);
    case xlfRtd:
      return Rtd(result, arguments);
    case xlfRegister:
      return Register(result, arguments);
    case xlfUnregister: {
      const std::optional<double> id = NumberOf(ArgumentAt(arguments, 0));
      SetBool(result, id && registered_.erase(*id) == 1);
      return xlretSuccess;
    }
    case xlfSetName: {
      const XLOPER12* name = ArgumentAt(arguments, 0);
      const std::optional<std::u16string_view> text = name != nullptr ? TextOf(*name) : std::nullopt;
      if (!text) break;
      const XLOPER12* definition = ArgumentAt(arguments, 1);
      if (IsAbsent(definition)) {
        names_.erase(std::u16string(*text));
      } else {
        names_[std::u16string(*text)] = ExcelText(*definition).value_or(u"");
      }
      SetBool(result, true);
      return xlretSuccess;
    }
    case xlGetName:
      Text(result, dll_path_);
      return xlretSuccess;
    case xlfGetWorkspace: {
      const std::optional<double> type = NumberOf(ArgumentAt(arguments, 0));
      if (type == 1.0) {
        Text(result, u"Windows (64-bit) NT 10.00");
      } else if (type == 2.0) {
        Text(result, version_);
      } else {
        break;
      }
      return xlretSuccess;
    }
    case xlcMessage: {
      const XLOPER12* show = ArgumentAt(arguments, 0);
      if (show == nullptr || BaseType(*show) != xltypeBool) break;
      const XLOPER12* text = ArgumentAt(arguments, 1);
      if (show->val.xbool != 0 && text != nullptr && TextOf(*text)) {
        status_bar_ = std::u16string(*TextOf(*text));
      } else {
        status_bar_.reset();
      }
      SetBool(result, true);
      return xlretSuccess;
    }
    default:
      SetError(result, xlerrValue);
      return xlretInvXlfn;
  }
  SetError(result, xlerrValue);
  return xlretSuccess;
}

int32_t SimulatedExcel::Free(std::span<const XLOPER12* const> arguments) {
  for (const XLOPER12* argument : arguments) {
    if (argument == nullptr) continue;
    const void* memory = MemoryOf(*argument);
    if (memory == nullptr) continue;
    if (allocations_.erase(memory) == 0) ++bad_frees_;
  }
  return xlretSuccess;
}

int32_t SimulatedExcel::CallerReference(XLOPER12& result) {
  if (!caller_) {
    // From a macro or a command there is no calling cell.
    SetError(result, xlerrRef);
    return xlretSuccess;
  }
  Reference(result, caller_->sheet, caller_->cells);
  return xlretSuccess;
}

int32_t SimulatedExcel::SheetName(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  const XLOPER12* reference = ArgumentAt(arguments, 0);
  IDSHEET sheet = kNoSheet;
  if (reference != nullptr && BaseType(*reference) == xltypeRef) {
    sheet = reference->val.mref.idSheet;
  } else if (reference != nullptr && BaseType(*reference) == xltypeSRef && caller_) {
    sheet = caller_->sheet;  // a single reference is on the current sheet
  }
  const auto name = sheets_.find(sheet);
  if (name == sheets_.end()) {
    SetError(result, xlerrRef);
    return xlretSuccess;
  }
  Text(result, name->second);
  return xlretSuccess;
}

int32_t SimulatedExcel::DatePart(int32_t function, XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  const std::optional<double> serial = NumberOf(ArgumentAt(arguments, 0));
  if (!serial) {
    SetError(result, xlerrValue);
    return xlretSuccess;
  }
  const std::optional<Ymd> date = DateOfSerial(*serial);
  if (!date) {
    SetError(result, xlerrNum);
    return xlretSuccess;
  }
  SetNumber(result, function == xlfYear ? date->year : function == xlfMonth ? date->month : date->day);
  return xlretSuccess;
}

int32_t SimulatedExcel::Coerce(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  const XLOPER12* source = ArgumentAt(arguments, 0);
  if (source == nullptr) {
    SetError(result, xlerrValue);
    return xlretInvXloper;
  }
  const std::optional<double> mask = NumberOf(ArgumentAt(arguments, 1));
  const uint32_t types = mask ? static_cast<uint32_t>(*mask) : ~uint32_t{0} & ~(xltypeRef | xltypeSRef);
  const uint32_t type = BaseType(*source);
  if ((type == xltypeRef || type == xltypeSRef) && (types & (xltypeRef | xltypeSRef)) != 0) {
    if (type == xltypeSRef) {
      result = *source;
    } else if (source->val.mref.lpmref != nullptr && source->val.mref.lpmref->count >= 1) {
      Reference(result, source->val.mref.idSheet, source->val.mref.lpmref->reftbl[0]);
    } else {
      SetError(result, xlerrRef);
    }
    return xlretSuccess;
  }
  const XLOPER12 scalar = ScalarOf(*source);
  const uint32_t scalar_type = BaseType(scalar);
  if (scalar_type == xltypeErr) {
    result = scalar;
    return xlretSuccess;
  }
  if ((types & scalar_type) != 0 && scalar_type != xltypeStr) {
    result = scalar;
    result.xltype = scalar_type;
    return xlretSuccess;
  }
  if ((types & xltypeStr) != 0 && scalar_type == xltypeStr) {
    Text(result, TextOf(scalar).value_or(u""));
    return xlretSuccess;
  }
  if ((types & xltypeNum) != 0) {
    if (const std::optional<double> number = CoercedNumber(scalar)) {
      SetNumber(result, *number);
      return xlretSuccess;
    }
  }
  if ((types & xltypeInt) != 0) {
    // Excel rounds to the nearest integer.
    if (const std::optional<double> number = CoercedNumber(scalar);
        number && std::round(*number) >= std::numeric_limits<int32_t>::min() &&
        std::round(*number) <= std::numeric_limits<int32_t>::max()) {
      result = XLOPER12{};
      result.xltype = xltypeInt;
      result.val.w = static_cast<int32_t>(std::round(*number));
      return xlretSuccess;
    }
  }
  if ((types & xltypeStr) != 0) {
    if (const std::optional<std::u16string> text = ExcelText(scalar)) {
      Text(result, *text);
      return xlretSuccess;
    }
  }
  if ((types & xltypeBool) != 0) {
    if (const std::optional<double> number = CoercedNumber(scalar); number && scalar_type != xltypeStr) {
      SetBool(result, *number != 0);
      return xlretSuccess;
    }
  }
  // What cannot be converted comes back as #VALUE!, the call itself succeeding.
  SetError(result, xlerrValue);
  return xlretSuccess;
}

int32_t SimulatedExcel::Rtd(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  const XLOPER12* prog_id = ArgumentAt(arguments, 0);
  const XLOPER12* server = ArgumentAt(arguments, 1);
  if (arguments.size() < 3 || prog_id == nullptr || !TextOf(*prog_id) || server == nullptr || !TextOf(*server)) {
    SetError(result, xlerrValue);
    return xlretSuccess;
  }
  std::vector<std::u16string> topics;
  for (size_t i = 2; i < arguments.size(); ++i) {
    const std::optional<std::u16string> topic = arguments[i] != nullptr ? ExcelText(*arguments[i]) : std::nullopt;
    if (!topic) {
      SetError(result, xlerrValue);
      return xlretSuccess;
    }
    topics.push_back(*topic);
  }
  const auto answer = rtd_answers_.find(topics);
  if (answer == rtd_answers_.end()) {
    SetNumber(result, default_rtd_answer_);
  } else if (answer->second.second) {
    Text(result, *answer->second.second);
  } else {
    SetNumber(result, answer->second.first);
  }
  return xlretSuccess;
}

int32_t SimulatedExcel::Register(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  for (size_t i = 0; i < 3; ++i) {
    const XLOPER12* text = ArgumentAt(arguments, i);
    if (text == nullptr || !TextOf(*text)) {
      SetError(result, xlerrValue);
      return xlretSuccess;
    }
  }
  const double id = kFirstRegisterId + next_register_id_++;
  registered_.insert(id);
  SetNumber(result, id);
  return xlretSuccess;
}

void SimulatedExcel::Text(XLOPER12& result, std::u16string_view text) {
  auto allocation = std::make_unique<Allocation>();
  const size_t length = std::min<size_t>(text.size(), kMaxXlTextUnits);
  allocation->units.push_back(static_cast<char16_t>(length));
  allocation->units.append(text.substr(0, length));
  result = XLOPER12{};
  result.xltype = xltypeStr;
  result.val.str = allocation->units.data();
  allocations_[result.val.str] = std::move(allocation);
}

void SimulatedExcel::Reference(XLOPER12& result, IDSHEET sheet, const XLREF12& cells) {
  auto allocation = std::make_unique<Allocation>();
  allocation->reference.count = 1;
  allocation->reference.reftbl[0] = cells;
  result = XLOPER12{};
  result.xltype = xltypeRef;
  result.val.mref.lpmref = &allocation->reference;
  result.val.mref.idSheet = sheet;
  allocations_[result.val.mref.lpmref] = std::move(allocation);
}

}  // namespace orra::testing
