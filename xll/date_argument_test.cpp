#include "xll/date_argument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "testing/scripted_excel_calls.h"
#include "testing/xloper_values.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

class DateArgumentTest : public ::testing::Test {
 protected:
  void ScriptDate(double year, double month, double day) {
    excel_.ScriptNumber(xlfYear, year);
    excel_.ScriptNumber(xlfMonth, month);
    excel_.ScriptNumber(xlfDay, day);
  }
  // The day each of Excel's date functions was asked about.
  std::vector<int32_t> DaysAsked() const {
    std::vector<int32_t> days;
    for (const auto& call : excel_.calls()) {
      EXPECT_EQ(call.arguments.size(), 1u);
      EXPECT_EQ(call.arguments.at(0).xltype, xltypeInt);
      days.push_back(call.arguments.at(0).val.w);
    }
    return days;
  }

  ScriptedExcelCalls excel_;
};

TEST_F(DateArgumentTest, ASerialBecomesYyyymmddOfItsDayWithoutTheTime) {
  ScriptDate(2020, 1, 1);
  const XLOPER12 serial = XlNumber(43831.75);
  const std::optional<ArgumentValue> date = DateArgumentToNumber(&serial, excel_);
  ASSERT_TRUE(date);
  EXPECT_EQ(date->xloper().xltype, xltypeInt);
  EXPECT_EQ(date->xloper().val.w, 20200101);
  EXPECT_EQ(excel_.functions_called(), (std::vector<int32_t>{xlfYear, xlfMonth, xlfDay}));
  EXPECT_EQ(DaysAsked(), (std::vector<int32_t>{43831, 43831, 43831}));
}

TEST_F(DateArgumentTest, ASerialIsTruncatedTowardZero) {
  ScriptDate(1900, 1, 0);
  const XLOPER12 serial = XlNumber(-0.9);
  ASSERT_TRUE(DateArgumentToNumber(&serial, excel_));
  EXPECT_EQ(DaysAsked(), (std::vector<int32_t>{0, 0, 0}));
  EXPECT_EQ(DateArgumentToNumber(&serial, excel_)->xloper().val.w, 19000100);
}

TEST_F(DateArgumentTest, ATextGoesAsTypedInItsOwnCopy) {
  const XlText typed(u"20200101");
  const std::optional<ArgumentValue> date = DateArgumentToNumber(typed.get(), excel_);
  ASSERT_TRUE(date);
  EXPECT_EQ(TextOf(date->xloper()), std::u16string_view(u"20200101"));
  EXPECT_NE(date->xloper().val.str, typed.value().val.str);
  EXPECT_TRUE(excel_.calls().empty());

  const XlText empty(u"");
  EXPECT_EQ(TextOf(DateArgumentToNumber(empty.get(), excel_)->xloper()), std::u16string_view());
}

TEST_F(DateArgumentTest, EverythingElseIsDroppedWithoutAskingExcel) {
  XLOPER12 elements[1] = {XlNumber(43831)};
  const std::vector<XLOPER12> values = {
      XlBool(true),           XlBool(false),           XlError(xlerrNA),
      XlOfType(xltypeNil),    XlInteger(20200101),     XlArray(elements, 1, 1),
      XlSingleRef(0, 0, 0, 0), XlOfType(xltypeMissing), XlOfType(xltypeStr),  // null text
      XlOfType(xltypeBigData)};
  for (const XLOPER12& value : values) {
    const std::optional<ArgumentValue> date = DateArgumentToNumber(&value, excel_);
    ASSERT_TRUE(date) << "type " << value.xltype;
    EXPECT_EQ(date->xloper().xltype, xltypeMissing) << "type " << value.xltype;
  }
  EXPECT_EQ(DateArgumentToNumber(nullptr, excel_)->xloper().xltype, xltypeMissing);
  EXPECT_TRUE(excel_.calls().empty());
}

TEST_F(DateArgumentTest, NoValueWhenExcelAnswersAnError) {
  const XLOPER12 serial = XlNumber(-5);
  for (const int32_t failing : {xlfYear, xlfMonth, xlfDay}) {
    ScriptedExcelCalls excel;
    excel.ScriptNumber(xlfYear, 2020);
    excel.ScriptNumber(xlfMonth, 1);
    excel.ScriptNumber(xlfDay, 1);
    excel.Script(failing, xlretSuccess, XlError(xlerrNum));
    EXPECT_FALSE(DateArgumentToNumber(&serial, excel)) << "function " << failing;
    excel.Script(failing, xlretFailed, XlError(xlerrValue));
    EXPECT_FALSE(DateArgumentToNumber(&serial, excel)) << "function " << failing;
  }
}

TEST_F(DateArgumentTest, NoValueForAnswersNoDateHas) {
  const XLOPER12 serial = XlNumber(43831);
  const std::vector<std::vector<double>> answers = {
      {-1, 1, 1}, {10000, 1, 1}, {2020, 13, 1}, {2020, 1, 32}, {2020.5, 1, 1},
      {std::nan(""), 1, 1}, {2020, std::numeric_limits<double>::infinity(), 1}};
  for (const auto& answer : answers) {
    ScriptedExcelCalls excel;
    excel.ScriptNumber(xlfYear, answer[0]);
    excel.ScriptNumber(xlfMonth, answer[1]);
    excel.ScriptNumber(xlfDay, answer[2]);
    EXPECT_FALSE(DateArgumentToNumber(&serial, excel));
  }
  // An integer answer is a number too.
  ScriptedExcelCalls excel;
  excel.Script(xlfYear, xlretSuccess, XlInteger(9999));
  excel.Script(xlfMonth, xlretSuccess, XlInteger(12));
  excel.Script(xlfDay, xlretSuccess, XlInteger(31));
  EXPECT_EQ(DateArgumentToNumber(&serial, excel)->xloper().val.w, 99991231);
}

TEST_F(DateArgumentTest, NoValueForANumberThatIsNo32BitDay) {
  ScriptDate(2020, 1, 1);
  for (const double number : {std::nan(""), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 2147483648.0,
                              -2147483649.0, 1e300}) {
    const XLOPER12 serial = XlNumber(number);
    EXPECT_FALSE(DateArgumentToNumber(&serial, excel_)) << number;
  }
  EXPECT_TRUE(excel_.calls().empty());
  const XLOPER12 largest = XlNumber(2147483647.9);
  EXPECT_TRUE(DateArgumentToNumber(&largest, excel_));
  EXPECT_EQ(DaysAsked().at(0), 2147483647);
}

TEST_F(DateArgumentTest, TheTwoDateKeywordsConvertInAnyCaseAtExactlyTheirLength) {
  ScriptDate(2020, 1, 1);
  const XLOPER12 serial = XlNumber(43831);
  for (const char16_t* keyword : {u"STARTDATE", u"countdate", u"StartDate", u"COUNTdate"}) {
    const XlText key(keyword);
    const std::optional<ArgumentValue> date = KeywordDateArgument(&serial, key.get(), excel_);
    ASSERT_TRUE(date);
    EXPECT_EQ(date->xloper().xltype, xltypeInt);
    EXPECT_EQ(date->xloper().val.w, 20200101);
  }
}

TEST_F(DateArgumentTest, AnyOtherKeywordLeavesTheValueItself) {
  const XLOPER12 serial = XlNumber(43831);
  const XlText blank_first(u" STARTDATE");
  const XlText longer(u"STARTDATES");
  const XlText shorter(u"STARTDAT");
  const XlText other(u"ENDDATE");
  const XlText full_width(u"ＳTARTDATE");
  const XLOPER12 number = XlNumber(1);
  const XLOPER12 missing = XlOfType(xltypeMissing);
  for (const XLOPER12* keyword : {blank_first.get(), longer.get(), shorter.get(), other.get(),
                                  full_width.get(), &number, &missing,
                                  static_cast<const XLOPER12*>(nullptr)}) {
    const std::optional<ArgumentValue> value = KeywordDateArgument(&serial, keyword, excel_);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->xloper().xltype, xltypeNum);
    EXPECT_EQ(value->xloper().val.num, 43831);
  }
  EXPECT_TRUE(excel_.calls().empty());

  const XlText text(u"600000.SH");
  EXPECT_EQ(KeywordDateArgument(text.get(), other.get(), excel_)->xloper().val.str,
            text.value().val.str);
  EXPECT_EQ(KeywordDateArgument(nullptr, other.get(), excel_)->xloper().xltype, xltypeMissing);
}

TEST_F(DateArgumentTest, AKeywordIsTheArgumentAsGivenNotItsConversion) {
  ScriptDate(2020, 1, 1);
  const XlText start(u"STARTDATE");
  const XlText second_start(u"STARTDATE");
  const XLOPER12 serial = XlNumber(43831);
  // The run "STARTDATE", "STARTDATE", 43831: each value is judged by the one before it.
  const XLOPER12* arguments[] = {start.get(), second_start.get(), &serial};
  const std::optional<ArgumentValue> second = KeywordDateArgument(arguments[1], arguments[0], excel_);
  const std::optional<ArgumentValue> third = KeywordDateArgument(arguments[2], arguments[1], excel_);
  ASSERT_TRUE(second && third);
  EXPECT_EQ(TextOf(second->xloper()), std::u16string_view(u"STARTDATE"));
  EXPECT_EQ(third->xloper().val.w, 20200101);
}

TEST_F(DateArgumentTest, AKeywordDateThatExcelCannotReadGivesNoValue) {
  excel_.Script(xlfYear, xlretSuccess, XlError(xlerrNum));
  const XlText key(u"startdate");
  const XLOPER12 serial = XlNumber(-1);
  EXPECT_FALSE(KeywordDateArgument(&serial, key.get(), excel_));
}

}  // namespace
}  // namespace orra
