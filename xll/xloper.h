#pragma once
// The Excel C API's value structures as Excel 2007 and later lay them out on 64-bit Windows,
// declared by the add-in itself so that everything that reads or builds them is portable and
// tested natively. The layouts are Excel's contract, not ours: every size and offset is
// asserted below, and a change that moves one fails the build on every platform.
//
// Text is `char16_t` (UTF-16 on both platforms): the first unit holds the length, the
// characters follow, and there is no terminator.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orra {

using XCHAR = char16_t;
using RW = int32_t;   // row, counted from 0
using COL = int32_t;  // column, counted from 0
using IDSHEET = uint64_t;

struct XLREF12 {
  RW rwFirst;
  RW rwLast;
  COL colFirst;
  COL colLast;
};

// Variable size: Excel allocates `count` references; the declaration shows the first.
struct XLMREF12 {
  uint16_t count;
  XLREF12 reftbl[1];
};

struct XLOPER12 {
  union {
    double num;
    XCHAR* str;
    int32_t xbool;
    int32_t err;
    int32_t w;
    struct {
      uint16_t count;
      XLREF12 ref;
    } sref;
    struct {
      XLMREF12* lpmref;
      IDSHEET idSheet;
    } mref;
    struct {
      XLOPER12* lparray;
      RW rows;
      COL columns;
    } array;
    struct {
      union {
        int32_t level;
        int32_t tbctrl;
        IDSHEET idSheet;
      } valflow;
      RW rw;
      COL col;
      uint8_t xlflow;
    } flow;
    struct {
      union {
        uint8_t* lpbData;
        void* hdata;
      } h;
      int32_t cbData;
    } bigdata;
  } val;
  uint32_t xltype;
};

static_assert(sizeof(XLREF12) == 16 && alignof(XLREF12) == 4);
static_assert(offsetof(XLREF12, rwLast) == 4 && offsetof(XLREF12, colFirst) == 8 &&
              offsetof(XLREF12, colLast) == 12);
static_assert(offsetof(XLMREF12, reftbl) == 4 && sizeof(XLMREF12) == 20);
static_assert(sizeof(XLOPER12) == 32 && alignof(XLOPER12) == 8);
static_assert(offsetof(XLOPER12, xltype) == 24 && sizeof(XLOPER12::val) == 24);
static_assert(offsetof(XLOPER12, val.sref.ref) == 4 && sizeof(XLOPER12::val.sref) == 20);
static_assert(offsetof(XLOPER12, val.mref.idSheet) == 8 && sizeof(XLOPER12::val.mref) == 16);
static_assert(offsetof(XLOPER12, val.array.rows) == 8 &&
              offsetof(XLOPER12, val.array.columns) == 12 && sizeof(XLOPER12::val.array) == 16);
static_assert(offsetof(XLOPER12, val.flow.rw) == 8 && offsetof(XLOPER12, val.flow.col) == 12 &&
              offsetof(XLOPER12, val.flow.xlflow) == 16 && sizeof(XLOPER12::val.flow) == 24);
static_assert(offsetof(XLOPER12, val.bigdata.cbData) == 8 && sizeof(XLOPER12::val.bigdata) == 16);

// The longest text a cell or an argument holds, in UTF-16 units.
inline constexpr uint16_t kMaxXlTextUnits = 32767;

// The value's type without the two memory-ownership bits.
uint32_t BaseType(const XLOPER12& value) noexcept;

// The characters of a text value. None when the value is not text, its pointer is null, or
// its length count is beyond what a cell holds: such a value did not come from Excel, and
// reading its count of units could run past what was allocated.
std::optional<std::u16string_view> TextOf(const XLOPER12& value) noexcept;

}  // namespace orra
