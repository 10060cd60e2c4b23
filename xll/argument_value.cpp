#include "xll/argument_value.h"

#include <algorithm>

#include "xll/xl_constants.h"

namespace orra {

ArgumentValue ArgumentValue::Missing() {
  ArgumentValue result;
  result.value_.xltype = xltypeMissing;
  return result;
}

ArgumentValue ArgumentValue::Integer(int32_t value) {
  ArgumentValue result;
  result.value_.xltype = xltypeInt;
  result.value_.val.w = value;
  return result;
}

ArgumentValue ArgumentValue::Text(std::u16string_view text) {
  ArgumentValue result;
  const size_t length = std::min<size_t>(text.size(), kMaxXlTextUnits);
  result.text_.reserve(length + 1);
  result.text_.push_back(static_cast<char16_t>(length));
  result.text_.insert(result.text_.end(), text.begin(), text.begin() + length);
  result.value_.xltype = xltypeStr;
  result.value_.val.str = result.text_.data();
  return result;
}

ArgumentValue ArgumentValue::Borrowed(const XLOPER12& value) {
  ArgumentValue result;
  result.value_ = value;
  // The caller's memory stays the caller's: whoever gets this value must not free it.
  result.value_.xltype = BaseType(value);
  return result;
}

}  // namespace orra
