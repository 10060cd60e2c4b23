#include "xll/xloper.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/xloper_values.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

TEST(XloperText, ReadsTheCountedUnitsOnly) {
  const XlText empty(u"");
  EXPECT_EQ(TextOf(empty.value()), std::u16string_view());

  // The unit after the counted ones is not part of the text, even when it is readable.
  std::u16string storage = {3, u'a', u'b', u'c', u'd'};
  XLOPER12 value = XlOfType(xltypeStr);
  value.val.str = storage.data();
  EXPECT_EQ(TextOf(value), std::u16string_view(u"abc"));

  value.xltype = xltypeStr | xlbitXLFree;
  EXPECT_EQ(TextOf(value), std::u16string_view(u"abc"));
}

TEST(XloperText, TakesTheLongestCellTextAndRefusesLongerCounts) {
  const std::u16string longest(kMaxXlTextUnits, u'x');
  const XlText full(longest);
  ASSERT_TRUE(TextOf(full.value()));
  EXPECT_EQ(TextOf(full.value())->size(), 32767u);

  const XlText too_long(std::u16string(kMaxXlTextUnits + 1, u'x'));
  EXPECT_FALSE(TextOf(too_long.value()));

  // A count with the top bit set is read unsigned, not as a negative length.
  std::u16string storage = {char16_t{0xFFFF}, u'a'};
  XLOPER12 value = XlOfType(xltypeStr);
  value.val.str = storage.data();
  EXPECT_FALSE(TextOf(value));
}

TEST(XloperText, NoTextInANullPointerOrAnotherType) {
  XLOPER12 null_text = XlOfType(xltypeStr);
  EXPECT_FALSE(TextOf(null_text));
  EXPECT_FALSE(TextOf(XlNumber(1)));
  EXPECT_FALSE(TextOf(XlOfType(xltypeMissing)));
  XLOPER12 big_data = XlOfType(xltypeBigData);
  std::u16string storage = {1, u'a'};
  big_data.val.str = storage.data();  // Str is one of BigData's bits; it is still no text
  EXPECT_FALSE(TextOf(big_data));
}

TEST(XloperBaseType, DropsOnlyTheOwnershipBits) {
  EXPECT_EQ(BaseType(XlOfType(xltypeMulti | xlbitXLFree)), xltypeMulti);
  EXPECT_EQ(BaseType(XlOfType(xltypeStr | xlbitDLLFree)), xltypeStr);
  EXPECT_EQ(BaseType(XlOfType(xltypeBigData)), xltypeBigData);
}

}  // namespace
}  // namespace orra
