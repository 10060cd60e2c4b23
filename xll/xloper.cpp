#include "xll/xloper.h"

#include "xll/xl_constants.h"

namespace orra {

uint32_t BaseType(const XLOPER12& value) noexcept {
  return value.xltype & ~(xlbitXLFree | xlbitDLLFree);
}

std::optional<std::u16string_view> TextOf(const XLOPER12& value) noexcept {
  if (BaseType(value) != xltypeStr || value.val.str == nullptr) return std::nullopt;
  const uint16_t length = static_cast<uint16_t>(value.val.str[0]);
  if (length > kMaxXlTextUnits) return std::nullopt;
  return std::u16string_view(value.val.str + 1, length);
}

}  // namespace orra
