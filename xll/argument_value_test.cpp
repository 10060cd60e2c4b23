#include "xll/argument_value.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "testing/xloper_values.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

TEST(ArgumentValue, ATextCopyIsItsOwnAndSurvivesAMove) {
  std::u16string source = u"20200101";
  ArgumentValue copy = ArgumentValue::Text(source);
  source[0] = u'9';
  ArgumentValue moved = std::move(copy);
  ArgumentValue assigned = ArgumentValue::Missing();
  assigned = std::move(moved);
  EXPECT_EQ(assigned.xloper().xltype, xltypeStr);
  EXPECT_EQ(TextOf(assigned.xloper()), std::u16string_view(u"20200101"));
}

TEST(ArgumentValue, ATextIsCutToWhatACellHolds) {
  const ArgumentValue longest = ArgumentValue::Text(std::u16string(kMaxXlTextUnits, u'x'));
  ASSERT_TRUE(TextOf(longest.xloper()));
  EXPECT_EQ(TextOf(longest.xloper())->size(), kMaxXlTextUnits);

  const ArgumentValue cut = ArgumentValue::Text(std::u16string(kMaxXlTextUnits + 5, u'y'));
  ASSERT_TRUE(TextOf(cut.xloper()));
  EXPECT_EQ(TextOf(cut.xloper())->size(), kMaxXlTextUnits);

  const ArgumentValue empty = ArgumentValue::Text(u"");
  EXPECT_EQ(TextOf(empty.xloper()), std::u16string_view());
}

TEST(ArgumentValue, ABorrowedValueRefersToTheCallersMemoryAndNeverFreesIt) {
  XLOPER12 elements[2] = {XlNumber(1), XlNumber(2)};
  XLOPER12 array = XlArray(elements, 1, 2);
  array.xltype |= xlbitXLFree;
  const ArgumentValue borrowed = ArgumentValue::Borrowed(array);
  EXPECT_EQ(borrowed.xloper().xltype, xltypeMulti);
  EXPECT_EQ(borrowed.xloper().val.array.lparray, elements);
  EXPECT_EQ(borrowed.xloper().val.array.columns, 2);
}

TEST(ArgumentValue, MissingAndInteger) {
  EXPECT_EQ(ArgumentValue::Missing().xloper().xltype, xltypeMissing);
  const ArgumentValue date = ArgumentValue::Integer(20200101);
  EXPECT_EQ(date.xloper().xltype, xltypeInt);
  EXPECT_EQ(date.xloper().val.w, 20200101);
}

}  // namespace
}  // namespace orra
