#include "xll/cell_format.h"

#include <algorithm>
#include <array>


namespace orra {
namespace {

constexpr std::array<int32_t, 3> kAlignments = {kAlignLeft, kAlignCenter, kAlignRight};

constexpr std::array<std::u16string_view, 6> kDateTimeFormats = {
    u"yyyy-MM-dd hh:mm:ss",
    u"yyyy年MM月dd日 hh时mm分ss秒",
    u"yyyy/MM/dd hh:mm:ss",
    u"yyyyMMdd hhmmss",
    u"MM/dd/yyyy hh:mm:ss",
    u"[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\" h\"时\"mm\"分\"ss\"秒\";@",
};

constexpr std::array<std::u16string_view, 6> kDateOnlyFormats = {
    u"yyyy-MM-dd",
    u"yyyy年MM月dd日",
    u"yyyy/MM/dd",
    u"yyyyMMdd",
    u"MM/dd/yyyy",
    u"[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\";@",
};

template <typename Table>
std::optional<typename Table::value_type> Entry(const Table& table, uint8_t index) {
  if (index >= table.size()) return std::nullopt;
  return table[index];
}

// The caller address up to its terminator, never past the field.
std::u16string_view CallerAddressOf(const tagRequest& request) {
  const char16_t* begin = request.caller_address;
  return {begin, static_cast<size_t>(std::find(begin, begin + kCallerAddressUnits, u'\0') - begin)};
}

std::optional<std::u16string> NumberFormatFor(const tagRequest& request, bool date_only) {
  switch (static_cast<ValueKind>(request.value_kind)) {
    case ValueKind::kDateTime: {
      const auto format = Entry(date_only ? kDateOnlyFormats : kDateTimeFormats, request.date_style);
      return format ? std::optional<std::u16string>(*format) : std::nullopt;
    }
    case ValueKind::kNumber:
      return DecimalNumberFormat(request.decimals);
    case ValueKind::kText:
      break;
  }
  return std::nullopt;
}

bool ReportRefusal(ExcelObjectModel& excel, const Env& env) {
  std::u16string line = u"[ApplyCellFormat] ";
  line += excel.LastError();
  line += u"\r\n";
  env.Debug(line);
  return false;
}

}  // namespace

std::optional<int32_t> HorizontalAlignmentFor(uint8_t alignment) { return Entry(kAlignments, alignment); }

std::optional<std::u16string_view> DateTimeNumberFormat(uint8_t date_style) {
  return Entry(kDateTimeFormats, date_style);
}

std::optional<std::u16string_view> DateOnlyNumberFormat(uint8_t date_style) {
  return Entry(kDateOnlyFormats, date_style);
}

std::optional<std::u16string> DecimalNumberFormat(uint8_t decimals) {
  if (decimals > kMaxDecimals) return std::nullopt;
  std::u16string format = u"#,##0";
  if (decimals > 0) format.append(u".").append(decimals, u'0');
  return format;
}

bool ApplyCellFormat(ExcelObjectModel* excel, const tagRequest& request, bool date_only, const Env& env) noexcept {
  try {
    const std::u16string_view address = CallerAddressOf(request);
    if (excel == nullptr || address.empty()) return false;
    if (const auto format = NumberFormatFor(request, date_only)) {
      if (!excel->SetNumberFormatLocal(address, *format)) return ReportRefusal(*excel, env);
    }
    if (const auto alignment = HorizontalAlignmentFor(request.alignment)) {
      if (!excel->SetHorizontalAlignment(address, *alignment)) return ReportRefusal(*excel, env);
    }
    return true;
  } catch (...) {
    // Formatting never changes what the cell shows; a failure here only leaves the format.
    return false;
  }
}

}  // namespace orra
