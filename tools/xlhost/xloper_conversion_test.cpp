#include "tools/xlhost/xloper_conversion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "testing/xloper_values.h"

namespace orra::xlhost {
namespace {

void ExpectDate(double serial, int32_t year, int32_t month, int32_t day) {
  const auto date = DateOfSerial(serial);
  ASSERT_TRUE(date) << serial;
  EXPECT_EQ(date->year, year) << serial;
  EXPECT_EQ(date->month, month) << serial;
  EXPECT_EQ(date->day, day) << serial;
}

TEST(DateOfSerialTest, FollowsExcels1900System) {
  ExpectDate(0, 1900, 1, 0);
  ExpectDate(1, 1900, 1, 1);
  ExpectDate(59, 1900, 2, 28);
  ExpectDate(60, 1900, 2, 29);  // the day Excel keeps for Lotus 1-2-3
  ExpectDate(61, 1900, 3, 1);
  ExpectDate(43831, 2020, 1, 1);
  ExpectDate(43831.99, 2020, 1, 1);  // the time of day does not move the date
  ExpectDate(43890, 2020, 2, 29);
  ExpectDate(2958465, 9999, 12, 31);
}

TEST(DateOfSerialTest, NoDateBeforeDayZeroOrAfter9999) {
  EXPECT_FALSE(DateOfSerial(-1));
  EXPECT_FALSE(DateOfSerial(-0.5));
  EXPECT_FALSE(DateOfSerial(2958466));
  EXPECT_FALSE(DateOfSerial(std::nan("")));
}

TEST(GridValueOfTest, ReadsScalarsAsACellHoldsThem) {
  EXPECT_EQ(GridValueOf(XlNumber(2.5)), GridValue(2.5));
  EXPECT_EQ(GridValueOf(XlInteger(-7)), GridValue(-7.0));
  EXPECT_EQ(GridValueOf(XlBool(true)), GridValue(true));
  EXPECT_EQ(GridValueOf(XlError(42)), GridValue(ErrorValue{42}));
  EXPECT_EQ(GridValueOf(XlOfType(xltypeNil)), GridValue());
  EXPECT_EQ(GridValueOf(XlOfType(xltypeMissing)), GridValue());
  const XlText text(u"Fetching...");
  EXPECT_EQ(GridValueOf(text.value()), GridValue(u"Fetching..."));
  XLOPER12 elements[2] = {XlNumber(1), XlNumber(2)};
  EXPECT_EQ(GridValueOf(XlArray(elements, 1, 2)), GridValue(1.0));
  EXPECT_EQ(GridValueOf(XlArray(elements, 0, 2)), GridValue(ErrorValue{xlerrValue}));
  EXPECT_EQ(GridValueOf(XlSingleRef(0, 0, 0, 0)), GridValue(ErrorValue{xlerrValue}));
}

TEST(GridValueOfTest, ATextWhoseCountIsBeyondACellIsAnError) {
  char16_t units[] = {0xFFFF, u'a'};
  XLOPER12 value{};
  value.xltype = xltypeStr;
  value.val.str = units;
  EXPECT_EQ(GridValueOf(value), GridValue(ErrorValue{xlerrValue}));
}

TEST(ConversionTest, ConvertsAsExcelDoes) {
  EXPECT_EQ(AsNumber(GridValue()), 0.0);
  EXPECT_EQ(AsNumber(GridValue(true)), 1.0);
  EXPECT_EQ(AsNumber(GridValue(u" 12.5 ")), 12.5);
  EXPECT_FALSE(AsNumber(GridValue(u"12a")));
  EXPECT_FALSE(AsNumber(GridValue(u"")));
  EXPECT_FALSE(AsNumber(GridValue(ErrorValue{xlerrNA})));
  EXPECT_EQ(AsText(GridValue(20200101.0)), u"20200101");
  EXPECT_EQ(AsText(GridValue(0.1)), u"0.1");
  EXPECT_EQ(AsText(GridValue(1e16)), u"1E+16");
  EXPECT_EQ(AsText(GridValue(false)), u"FALSE");
  EXPECT_EQ(AsText(GridValue()), u"");
  EXPECT_FALSE(AsText(GridValue(ErrorValue{xlerrNA})));
  EXPECT_EQ(AsBool(GridValue(u"true")), true);
  EXPECT_EQ(AsBool(GridValue(0.0)), false);
  EXPECT_FALSE(AsBool(GridValue(u"yes")));
}

}  // namespace
}  // namespace orra::xlhost
