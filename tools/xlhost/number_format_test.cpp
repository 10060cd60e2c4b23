#include "tools/xlhost/number_format.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/utf8.h"
#include "xll/xl_constants.h"

namespace orra::xlhost {
namespace {

constexpr double kSecond = 1.0 / 86400;
constexpr std::u16string_view kChineseDate = u"[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\";@";
constexpr std::u16string_view kChineseDateTime =
    u"[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\" h\"时\"mm\"分\"ss\"秒\";@";

TEST(NumberFormatTest, DecimalsRoundHalfAwayFromZeroOnTheDigitsExcelKeeps) {
  EXPECT_EQ(FormatNumber(1234567.891, u"#,##0.00"), "1,234,567.89");
  EXPECT_EQ(FormatNumber(-1234.5, u"#,##0.00"), "-1,234.50");
  EXPECT_EQ(FormatNumber(0, u"#,##0.00"), "0.00");
  EXPECT_EQ(FormatNumber(123, u"#,##0.00"), "123.00");
  // 2.675 is 2.67499999... in binary; Excel works on its 15 digits and shows 2.68.
  EXPECT_EQ(FormatNumber(2.675, u"#,##0.00"), "2.68");
  EXPECT_EQ(FormatNumber(0.005, u"#,##0.00"), "0.01");
  EXPECT_EQ(FormatNumber(0.004, u"#,##0.00"), "0.00");
  EXPECT_EQ(FormatNumber(0.00001, u"#,##0.000"), "0.000");
  EXPECT_EQ(FormatNumber(999.995, u"#,##0.00"), "1,000.00") << "a carry through every digit";
  EXPECT_EQ(FormatNumber(999999.5, u"#,##0"), "1,000,000");
  EXPECT_EQ(FormatNumber(12.3456, u"#,##0.0000"), "12.3456");
  EXPECT_EQ(FormatNumber(1234567, u"0"), "1234567") << "no separators without a comma";
  EXPECT_EQ(FormatNumber(0.4, u"0"), "0");
  EXPECT_EQ(FormatNumber(-2.5, u"0"), "-3");
  EXPECT_EQ(FormatNumber(1e20, u"0"), "100000000000000000000");
  EXPECT_EQ(FormatNumber(0.5, u"#.00"), ".50") << "no zero placeholder before the point";
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity(), u"#,##0.00"), "#NUM!");
}

TEST(NumberFormatTest, GeneralAndTextFormatsWriteNumbersAsGeneral) {
  EXPECT_EQ(FormatNumber(35835, u"General"), "35835");
  EXPECT_EQ(FormatNumber(35835, u"general"), "35835");
  EXPECT_EQ(FormatNumber(0.1, u"G/通用格式"), "0.1");
  EXPECT_EQ(FormatNumber(1234.5, u"@"), "1234.5");
  EXPECT_EQ(FormattedText(GridValue(u"收盘价"), u"#,##0.00"), "收盘价");
  EXPECT_EQ(FormattedText(GridValue(u"600000.SH"), kChineseDate), "600000.SH");
  EXPECT_EQ(FormattedText(GridValue(true), u"0"), "TRUE");
  EXPECT_EQ(FormattedText(GridValue(ErrorValue{xlerrNA}), u"yyyy-MM-dd"), "#N/A");
  EXPECT_EQ(FormattedText(GridValue{}, u"0.00"), "");
  EXPECT_EQ(FormattedText(GridValue(35835.0), u"yyyy年MM月dd日"), "1998年02月09日");
}

TEST(NumberFormatTest, DatesAndTimesOfTheAddinsStyles) {
  const double one_pm = 43831 + (13 * 3600 + 5 * 60 + 9) * kSecond;  // 2020-01-01 13:05:09
  EXPECT_EQ(FormatNumber(one_pm, u"yyyy-MM-dd hh:mm:ss"), "2020-01-01 13:05:09");
  EXPECT_EQ(FormatNumber(one_pm, u"yyyy年MM月dd日 hh时mm分ss秒"), "2020年01月01日 13时05分09秒");
  EXPECT_EQ(FormatNumber(one_pm, u"yyyy/MM/dd hh:mm:ss"), "2020/01/01 13:05:09");
  EXPECT_EQ(FormatNumber(one_pm, u"yyyyMMdd hhmmss"), "20200101 130509") << "mm after hh is minutes";
  EXPECT_EQ(FormatNumber(one_pm, u"MM/dd/yyyy hh:mm:ss"), "01/01/2020 13:05:09");
  EXPECT_EQ(FormatNumber(one_pm, u"yyyy-MM-dd"), "2020-01-01") << "the time is not shown";
  EXPECT_EQ(FormatNumber(one_pm, u"mm:ss"), "05:09") << "mm before ss is minutes";
  EXPECT_EQ(FormatNumber(one_pm, u"M/d/yy h:m"), "1/1/20 13:5");
  EXPECT_EQ(FormatNumber(45000, u"dd\\.MM\\.yyyy"), "15.03.2023");
  EXPECT_EQ(FormatNumber(45000, u"\"day \"d\" of \"yyyy"), "day 15 of 2023");
}

TEST(NumberFormatTest, DatesFollowThe1900SystemAndRoundToTheSecond) {
  EXPECT_EQ(FormatNumber(60, u"yyyy-MM-dd"), "1900-02-29");
  EXPECT_EQ(FormatNumber(61, u"yyyy-MM-dd"), "1900-03-01");
  EXPECT_EQ(FormatNumber(0, u"yyyy-MM-dd"), "1900-01-00");
  EXPECT_EQ(FormatNumber(2958465, u"yyyy-MM-dd"), "9999-12-31");
  EXPECT_EQ(FormatNumber(43831 + 86399.6 * kSecond, u"yyyy-MM-dd hh:mm:ss"), "2020-01-02 00:00:00");
  EXPECT_EQ(FormatNumber(-1, u"yyyy-MM-dd"), "########");
  EXPECT_EQ(FormatNumber(2958466, u"yyyy-MM-dd"), "########");
}

TEST(NumberFormatTest, DbNum1WritesChineseNumerals) {
  EXPECT_EQ(FormatNumber(44196, kChineseDate), "二〇二〇年十二月三十一日");
  EXPECT_EQ(FormatNumber(43831, kChineseDate), "二〇二〇年一月一日");
  EXPECT_EQ(FormatNumber(45000, kChineseDate), "二〇二三年三月十五日");
  EXPECT_EQ(FormatNumber(43840, kChineseDate), "二〇二〇年一月十日");
  const double afternoon = 43831 + (14 * 3600 + 20 * 60 + 5) * kSecond;
  EXPECT_EQ(FormatNumber(afternoon, kChineseDateTime), "二〇二〇年一月一日 十四时二十分五秒");
  EXPECT_EQ(FormatNumber(43831, kChineseDateTime), "二〇二〇年一月一日 〇时〇分〇秒");
}

TEST(NumberFormatTest, FormatsItDoesNotWriteFallBackToGeneral) {
  for (std::u16string_view format :
       {u"0.00%", u"[Red]0.00", u"0,", u"#,##0.0#", u"0;-0", u"0.00;(0.00);0", u"yyyy-mm-dd AM/PM",
        u"dddd", u"mmm d", u"hh:mm:ss.000", u"[h]:mm", u"\"unterminated", u"yyyy\\", u"", u"abc"}) {
    EXPECT_EQ(FormatNumber(35835.25, format), "35835.25") << ToUtf8(format);
  }
}

}  // namespace
}  // namespace orra::xlhost
