#include "xll/argument_classification.h"

#include <algorithm>
#include <string_view>

#include "common/ascii_text.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

// The option names are ASCII, so the search runs over the UTF-16 units themselves. Searching a
// narrow (GBK) copy instead would let the trail byte of a Chinese character stand in for an
// ASCII letter and find an option the user never wrote.
bool ContainsIgnoringAsciiCase(std::u16string_view text, std::u16string_view upper_name) {
  const auto equal = [](char16_t a, char16_t b) { return UpperAscii(a) == b; };
  return std::search(text.begin(), text.end(), upper_name.begin(), upper_name.end(), equal) !=
         text.end();
}

ArgumentClass ClassifyText(std::u16string_view text) {
  // Every option name ends in an equals sign: most arguments (codes, names, the caller's
  // address) have none and are told apart with one pass.
  if (text.find(u'=') == std::u16string_view::npos) return ArgumentClass::kPlain;
  if (ContainsIgnoringAsciiCase(text, u"ROW=") && ContainsIgnoringAsciiCase(text, u"COL=")) {
    return ArgumentClass::kPlacement;
  }
  if (ContainsIgnoringAsciiCase(text, u"DISPLAYMODE=")) return ArgumentClass::kDisplayMode;
  if (ContainsIgnoringAsciiCase(text, u"ISSHOWNULL=")) return ArgumentClass::kShowNull;
  if (ContainsIgnoringAsciiCase(text, u"ISEDATE=")) return ArgumentClass::kEDate;
  if (ContainsIgnoringAsciiCase(text, u"ORDER=")) return ArgumentClass::kOrder;
  return ArgumentClass::kPlain;
}

}  // namespace

ArgumentClass ClassifyArgument(const XLOPER12* value) noexcept {
  if (value == nullptr || BaseType(*value) == xltypeMissing) return ArgumentClass::kMissing;
  const std::optional<std::u16string_view> text = TextOf(*value);
  return text ? ClassifyText(*text) : ArgumentClass::kPlain;
}

bool AnyRequiredMissing(std::span<const XLOPER12* const> values) noexcept {
  return std::any_of(values.begin(), values.end(), [](const XLOPER12* value) {
    return ClassifyArgument(value) == ArgumentClass::kMissing;
  });
}

}  // namespace orra
