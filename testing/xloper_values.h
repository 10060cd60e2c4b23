#pragma once
// XLOPER12 values as Excel hands them to a worksheet function, for tests.

#include <cstdint>
#include <string>
#include <string_view>

#include "xll/xl_constants.h"
#include "xll/xloper.h"

namespace orra {

inline XLOPER12 XlNumber(double number) {
  XLOPER12 value{};
  value.xltype = xltypeNum;
  value.val.num = number;
  return value;
}
inline XLOPER12 XlInteger(int32_t w) {
  XLOPER12 value{};
  value.xltype = xltypeInt;
  value.val.w = w;
  return value;
}
inline XLOPER12 XlBool(bool b) {
  XLOPER12 value{};
  value.xltype = xltypeBool;
  value.val.xbool = b ? 1 : 0;
  return value;
}
inline XLOPER12 XlError(int32_t code) {
  XLOPER12 value{};
  value.xltype = xltypeErr;
  value.val.err = code;
  return value;
}
inline XLOPER12 XlOfType(uint32_t type) {
  XLOPER12 value{};
  value.xltype = type;
  return value;
}
inline XLOPER12 XlSingleRef(int32_t first_row, int32_t last_row, int32_t first_column,
                            int32_t last_column) {
  XLOPER12 value{};
  value.xltype = xltypeSRef;
  value.val.sref.count = 1;
  value.val.sref.ref = XLREF12{first_row, last_row, first_column, last_column};
  return value;
}
inline XLOPER12 XlArray(XLOPER12* elements, int32_t rows, int32_t columns) {
  XLOPER12 value{};
  value.xltype = xltypeMulti;
  value.val.array.lparray = elements;
  value.val.array.rows = rows;
  value.val.array.columns = columns;
  return value;
}

// A text value with its own storage: the length unit, then the characters.
class XlText {
 public:
  explicit XlText(std::u16string_view text) {
    storage_.push_back(static_cast<char16_t>(text.size()));
    storage_.append(text);
    value_.xltype = xltypeStr;
    value_.val.str = storage_.data();
  }
  XlText(const XlText&) = delete;
  XlText& operator=(const XlText&) = delete;

  const XLOPER12& value() const { return value_; }
  const XLOPER12* get() const { return &value_; }

 private:
  std::u16string storage_;
  XLOPER12 value_{};
};

}  // namespace orra
