#include "xll/rtd_call.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "xll/argument_classification.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

// A text value in static storage, for the arguments every RTD call repeats.
template <size_t Length>
class ConstantText {
 public:
  explicit ConstantText(std::u16string_view text) {
    units_[0] = static_cast<XCHAR>(Length);
    std::copy_n(text.begin(), std::min(Length, text.size()), units_.begin() + 1);
    value_.xltype = xltypeStr;
    value_.val.str = units_.data();
  }
  const XLOPER12& value() const { return value_; }

 private:
  std::array<XCHAR, Length + 1> units_{};
  XLOPER12 value_{};
};

const XLOPER12& ProgIdValue() {
  static const ConstantText<kRtdProgId.size()> prog_id(kRtdProgId);
  return prog_id.value();
}

const XLOPER12& LocalServerValue() {
  static const ConstantText<0> server(u"");
  return server.value();
}

std::optional<int32_t> TruncatedToInt32(double number) {
  const double whole = std::trunc(number);
  if (!(whole >= std::numeric_limits<int32_t>::min() && whole <= std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<int32_t>(whole);
}

}  // namespace

std::optional<int32_t> ReadRtdHandle(ExcelCalls& excel, const XLOPER12& value) {
  switch (BaseType(value)) {
    case xltypeNum:
      return TruncatedToInt32(value.val.num);
    case xltypeBool:
      return value.val.xbool != 0 ? 1 : 0;
    case xltypeInt:
      return value.val.w;
    case xltypeErr:
    case xltypeNil:
    case xltypeMissing:
      return std::nullopt;
    default:
      break;
  }
  XLOPER12 number_type{};
  number_type.xltype = xltypeInt;
  number_type.val.w = static_cast<int32_t>(xltypeNum);
  const ExcelResult number(excel, xlCoerce, {&value, &number_type});
  if (!number.succeeded() || BaseType(number.value()) != xltypeNum) return std::nullopt;
  return TruncatedToInt32(number.value().val.num);
}

std::optional<int32_t> CallRtd(ExcelCalls& excel, std::span<const XLOPER12* const> topics) {
  if (topics.size() > kMaxTopics) return std::nullopt;
  std::array<const XLOPER12*, 2 + kMaxTopics> arguments{};
  size_t count = 0;
  arguments[count++] = &ProgIdValue();
  arguments[count++] = &LocalServerValue();
  for (const XLOPER12* topic : topics) {
    const ArgumentClass kind = ClassifyArgument(topic);
    if (kind == ArgumentClass::kMissing || kind == ArgumentClass::kPlacement) continue;
    arguments[count++] = topic;
  }
  const ExcelResult value(excel, xlfRtd, std::span<const XLOPER12* const>(arguments.data(), count));
  if (!value.succeeded()) return std::nullopt;
  return ReadRtdHandle(excel, value.value());
}

}  // namespace orra
