#include "tools/xlhost/grid_value.h"

#include <cmath>
#include <cstdio>

#include "common/utf8.h"
#include "xll/xl_constants.h"

namespace orra::xlhost {
namespace {

constexpr int kSignificantDigits = 15;
constexpr size_t kNumberTextSize = 40;

struct ShownVisitor {
  std::string operator()(std::monostate) const { return {}; }
  std::string operator()(double number) const { return GeneralNumberText(number); }
  std::string operator()(const std::u16string& text) const { return ToUtf8(text); }
  std::string operator()(bool flag) const { return flag ? "TRUE" : "FALSE"; }
  std::string operator()(ErrorValue error) const { return ErrorText(error.code); }
};

}  // namespace

std::string ErrorText(int32_t code) {
  switch (code) {
    case xlerrNull: return "#NULL!";
    case xlerrDiv0: return "#DIV/0!";
    case xlerrValue: return "#VALUE!";
    case xlerrRef: return "#REF!";
    case xlerrName: return "#NAME?";
    case xlerrNum: return "#NUM!";
    case xlerrNA: return "#N/A";
    case xlerrGettingData: return "#GETTING_DATA";
    default: return "#ERR" + std::to_string(code);
  }
}

std::string GeneralNumberText(double number) {
  if (!std::isfinite(number)) return ErrorText(xlerrNum);
  if (number == 0) return "0";  // also -0, which Excel never shows with a sign
  char text[kNumberTextSize];
  std::snprintf(text, sizeof text, "%.*G", kSignificantDigits, number);
  return text;
}

std::string ShownText(const GridValue& value) { return std::visit(ShownVisitor{}, value); }

}  // namespace orra::xlhost
