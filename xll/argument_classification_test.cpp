#include "xll/argument_classification.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/xloper_values.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

ArgumentClass ClassOfText(std::u16string_view text) {
  const XlText value(text);
  return ClassifyArgument(value.get());
}

TEST(ClassifyArgument, NoValueOrAMissingOneIsMissing) {
  EXPECT_EQ(ClassifyArgument(nullptr), ArgumentClass::kMissing);
  const XLOPER12 missing = XlOfType(xltypeMissing);
  EXPECT_EQ(ClassifyArgument(&missing), ArgumentClass::kMissing);
  const XLOPER12 flagged = XlOfType(xltypeMissing | xlbitXLFree);
  EXPECT_EQ(ClassifyArgument(&flagged), ArgumentClass::kMissing);
}

TEST(ClassifyArgument, EveryValueThatIsNoTextIsPlain) {
  XLOPER12 elements[1] = {XlNumber(1)};
  const std::vector<XLOPER12> values = {
      XlNumber(0),          XlNumber(-1.5),          XlInteger(0),
      XlBool(false),        XlBool(true),            XlError(xlerrNull),
      XlError(xlerrNA),     XlOfType(xltypeNil),     XlSingleRef(0, 0, 0, 0),
      XlOfType(xltypeRef),  XlArray(elements, 1, 1), XlOfType(xltypeFlow),
      XlOfType(xltypeBigData), XlOfType(0),          XlOfType(0xFFFF'FFFF)};
  for (const XLOPER12& value : values) {
    EXPECT_EQ(ClassifyArgument(&value), ArgumentClass::kPlain) << "type " << value.xltype;
  }
}

TEST(ClassifyArgument, PlacementNeedsBothNamesAnywhereInAnyCase) {
  EXPECT_EQ(ClassOfText(u"x;row=3 and then COL=4"), ArgumentClass::kPlacement);
  EXPECT_EQ(ClassOfText(u"Col=1Row=2"), ArgumentClass::kPlacement);
  EXPECT_EQ(ClassOfText(u"行ROW=1,列COL=2"), ArgumentClass::kPlacement);
  EXPECT_EQ(ClassOfText(u"ROW=1"), ArgumentClass::kPlain);
  EXPECT_EQ(ClassOfText(u"COL=1"), ArgumentClass::kPlain);
  EXPECT_EQ(ClassOfText(u"ROW =1,COL=1"), ArgumentClass::kPlain);
  // Letters that only look like ASCII ones (full width) name no option.
  EXPECT_EQ(ClassOfText(u"ＲＯＷ=1,COL=1"), ArgumentClass::kPlain);
}

TEST(ClassifyArgument, TheDisplayOptionsByTheirNames) {
  EXPECT_EQ(ClassOfText(u"displaymode=1"), ArgumentClass::kDisplayMode);
  EXPECT_EQ(ClassOfText(u"IsShowNull=0"), ArgumentClass::kShowNull);
  EXPECT_EQ(ClassOfText(u"ISEDATE=1"), ArgumentClass::kEDate);
  EXPECT_EQ(ClassOfText(u"SORTORDER=desc"), ArgumentClass::kOrder);
  EXPECT_EQ(ClassOfText(u"ORDER"), ArgumentClass::kPlain);
  EXPECT_EQ(ClassOfText(u""), ArgumentClass::kPlain);
  EXPECT_EQ(ClassOfText(u"600000.SH"), ArgumentClass::kPlain);
}

TEST(ClassifyArgument, TheFirstNameInTheOrderWinsWhenATextHasSeveral) {
  EXPECT_EQ(ClassOfText(u"ORDER=1;DISPLAYMODE=2;ROW=1;COL=1"), ArgumentClass::kPlacement);
  EXPECT_EQ(ClassOfText(u"ORDER=1;ISEDATE=1;ISSHOWNULL=1;DISPLAYMODE=2"),
            ArgumentClass::kDisplayMode);
  EXPECT_EQ(ClassOfText(u"ORDER=1;ISEDATE=1;ISSHOWNULL=1"), ArgumentClass::kShowNull);
  EXPECT_EQ(ClassOfText(u"ORDER=1;ISEDATE=1"), ArgumentClass::kEDate);
}

TEST(ClassifyArgument, LeavesTheArgumentAsItWas) {
  const XlText value(u"row=1,col=2");
  EXPECT_EQ(ClassifyArgument(value.get()), ArgumentClass::kPlacement);
  EXPECT_EQ(TextOf(value.value()), std::u16string_view(u"row=1,col=2"));
}

TEST(ClassifyArgument, ReadsTheWholeOfTheLongestTextAndNothingBeyondACount) {
  std::u16string longest(kMaxXlTextUnits - 5, u'x');
  longest += u"COL=1";
  longest.replace(0, 4, u"ROW=");
  EXPECT_EQ(ClassOfText(longest), ArgumentClass::kPlacement);

  // The option lies just past the counted units: not part of the text.
  std::u16string storage = {4, u'R', u'O', u'W', u'=', u'C', u'O', u'L', u'='};
  XLOPER12 value = XlOfType(xltypeStr);
  value.val.str = storage.data();
  EXPECT_EQ(ClassifyArgument(&value), ArgumentClass::kPlain);

  // A count beyond a cell's, or no characters at all, is no text Excel gave.
  EXPECT_EQ(ClassOfText(std::u16string(kMaxXlTextUnits + 1, u'x') + u"ROW=1,COL=1"),
            ArgumentClass::kPlain);
  const XLOPER12 null_text = XlOfType(xltypeStr);
  EXPECT_EQ(ClassifyArgument(&null_text), ArgumentClass::kPlain);
}

TEST(AnyRequiredMissing, TrueOnlyWhenOneIsMissing) {
  EXPECT_FALSE(AnyRequiredMissing({}));

  const XlText empty_text(u"");
  const XLOPER12 empty_cell = XlOfType(xltypeNil);
  const XLOPER12 zero = XlNumber(0);
  const XLOPER12 error = XlError(xlerrDiv0);
  const XLOPER12 missing = XlOfType(xltypeMissing);
  const std::vector<const XLOPER12*> present = {empty_text.get(), &empty_cell, &zero, &error};
  EXPECT_FALSE(AnyRequiredMissing(present));

  for (size_t at = 0; at <= present.size(); ++at) {
    std::vector<const XLOPER12*> values = present;
    values.insert(values.begin() + static_cast<std::ptrdiff_t>(at), &missing);
    EXPECT_TRUE(AnyRequiredMissing(values)) << "missing at " << at;
    values[at] = nullptr;
    EXPECT_TRUE(AnyRequiredMissing(values)) << "no value at " << at;
  }
}

}  // namespace
}  // namespace orra
