#include "testing/simulated_excel.h"

#include <gtest/gtest.h>

#include "testing/xloper_values.h"
#include "xll/caller_address.h"

namespace orra::testing {
namespace {

class SimulatedExcelTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(excel_.outstanding(), 0u);
    EXPECT_EQ(excel_.bad_frees(), 0);
  }
  // A number answer of `function` for one argument.
  std::optional<double> NumberOf(int32_t function, const XLOPER12& argument) {
    const ExcelResult result(excel_, function, {&argument});
    if (!result.succeeded() || result.value().xltype != xltypeNum) return std::nullopt;
    return result.value().val.num;
  }
  std::optional<std::u16string> TextAnswer(int32_t function, std::initializer_list<const XLOPER12*> arguments) {
    const ExcelResult result(excel_, function, arguments);
    const auto text = TextOf(result.value());
    if (!result.succeeded() || !text) return std::nullopt;
    return std::u16string(*text);
  }

  SimulatedExcel excel_;
};

TEST_F(SimulatedExcelTest, DatePartsFollowTheSpreadsheetsCalendar) {
  struct Case {
    double serial;
    double year, month, day;
  };
  for (const Case& c : {Case{1, 1900, 1, 1}, Case{59, 1900, 2, 28}, Case{60, 1900, 2, 29}, Case{61, 1900, 3, 1},
                        Case{0, 1900, 1, 0}, Case{43831.75, 2020, 1, 1}, Case{45351, 2024, 2, 29},
                        Case{2958465, 9999, 12, 31}}) {
    const XLOPER12 serial = XlNumber(c.serial);
    EXPECT_EQ(NumberOf(xlfYear, serial), c.year) << c.serial;
    EXPECT_EQ(NumberOf(xlfMonth, serial), c.month) << c.serial;
    EXPECT_EQ(NumberOf(xlfDay, serial), c.day) << c.serial;
  }
  EXPECT_EQ(NumberOf(xlfYear, XlInteger(43831)), 2020);
  for (const XLOPER12& beyond : {XlNumber(-1), XlNumber(2958466)}) {
    const ExcelResult year(excel_, xlfYear, {&beyond});
    EXPECT_TRUE(year.succeeded());
    EXPECT_EQ(year.value().xltype, xltypeErr);
  }
}

TEST_F(SimulatedExcelTest, TheCallerIsAReferenceOfExcelsMemoryNamedByItsSheet) {
  const ExcelResult none(excel_, xlfCaller, {});
  EXPECT_EQ(none.value().xltype, xltypeErr);
  excel_.AddSheet(7, u"[Prices.xlsx]Daily");
  excel_.SetCaller(7, XLREF12{2, 6, 1, 3});
  EXPECT_EQ(CallerAddress(excel_), u"'[Prices.xlsx]Daily'!B3:D7");
  EXPECT_EQ(excel_.functions_called(), (std::vector<int32_t>{xlfCaller, xlfCaller, xlSheetNm, xlFree, xlFree}));
}

TEST(SimulatedExcelFreeTest, MemoryNotHandedOutOrHandedBackTwiceIsABadFree) {
  SimulatedExcel excel;
  const XlText foreign(u"x");
  { const ExcelResult freed(excel, xlFree, {foreign.get()}); }
  EXPECT_EQ(excel.bad_frees(), 1);
  XLOPER12 name{};
  const int32_t code = excel.Call(xlGetName, name, {});
  ASSERT_EQ(code, xlretSuccess);
  EXPECT_EQ(excel.outstanding(), 1u);
  const XLOPER12* const twice[] = {&name, &name};
  XLOPER12 unused{};
  excel.Call(xlFree, unused, twice);
  EXPECT_EQ(excel.outstanding(), 0u);
  EXPECT_EQ(excel.bad_frees(), 2);
}

TEST_F(SimulatedExcelTest, CoercionAsExcelDoesIt) {
  const XLOPER12 to_number = XlInteger(xltypeNum), to_integer = XlInteger(xltypeInt), to_text = XlInteger(xltypeStr);
  const XlText digits(u" 42.5 "), word(u"abc");
  EXPECT_EQ(NumberOf(xlCoerce, digits.value()), std::nullopt) << "no type given: the value itself, a text";
  {
    const ExcelResult number(excel_, xlCoerce, {digits.get(), &to_number});
    EXPECT_EQ(number.value().val.num, 42.5);
    const ExcelResult integer(excel_, xlCoerce, {digits.get(), &to_integer});
    EXPECT_EQ(integer.value().xltype, xltypeInt);
    EXPECT_EQ(integer.value().val.w, 43);
    const ExcelResult not_number(excel_, xlCoerce, {word.get(), &to_number});
    EXPECT_EQ(not_number.value().xltype, xltypeErr);
    const XLOPER12 yes = XlBool(true);
    const ExcelResult one(excel_, xlCoerce, {&yes, &to_number});
    EXPECT_EQ(one.value().val.num, 1);
  }
  const XLOPER12 serial = XlNumber(43831), yes = XlBool(true);
  EXPECT_EQ(TextAnswer(xlCoerce, {&serial, &to_text}), u"43831");
  EXPECT_EQ(TextAnswer(xlCoerce, {&yes, &to_text}), u"TRUE");
}

TEST_F(SimulatedExcelTest, RtdAnswersMinusOneUntilToldAndRecordsTheTopicsAsText) {
  const XlText prog_id(u"Prog.Id"), server(u""), topic(u"a");
  const XLOPER12 id = XlInteger(3), date = XlNumber(20200101.0);
  EXPECT_EQ(NumberOf(xlfRtd, prog_id.value()), std::nullopt) << "no topic";
  {
    const ExcelResult fresh(excel_, xlfRtd, {prog_id.get(), server.get(), topic.get(), &id, &date});
    EXPECT_EQ(fresh.value().val.num, SimulatedExcel::kNewTopicValue);
  }
  excel_.SetRtdAnswer({u"a", u"3", u"20200101"}, 9);
  {
    const ExcelResult known(excel_, xlfRtd, {prog_id.get(), server.get(), topic.get(), &id, &date});
    EXPECT_EQ(known.value().val.num, 9);
    const XLOPER12 error = XlError(xlerrNA);
    const ExcelResult unreadable(excel_, xlfRtd, {prog_id.get(), server.get(), &error});
    EXPECT_EQ(unreadable.value().xltype, xltypeErr);
  }
  EXPECT_EQ(excel_.rtd_calls().size(), 4u);
  EXPECT_EQ(excel_.rtd_calls()[1], (std::vector<std::u16string>{u"a", u"3", u"20200101"}));
}

TEST_F(SimulatedExcelTest, RegistrationNamesWorkspaceAndStatusBar) {
  const XlText module(u"C:\\x.xll"), procedure(u"XDP"), type(u"QQQ"), name(u"XDP");
  double id = 0;
  {
    const ExcelResult registered(excel_, xlfRegister, {module.get(), procedure.get(), type.get(), name.get()});
    ASSERT_EQ(registered.value().xltype, xltypeNum);
    id = registered.value().val.num;
  }
  EXPECT_EQ(excel_.registered().count(id), 1u);
  const XLOPER12 register_id = XlNumber(id);
  {
    const ExcelResult gone(excel_, xlfUnregister, {&register_id});
    EXPECT_EQ(gone.value().val.xbool, 1);
    const ExcelResult again(excel_, xlfUnregister, {&register_id});
    EXPECT_EQ(again.value().val.xbool, 0);
  }
  const XlText definition(u"=1");
  { const ExcelResult set(excel_, xlfSetName, {name.get(), definition.get()}); }
  EXPECT_EQ(excel_.names().count(u"XDP"), 1u);
  { const ExcelResult cleared(excel_, xlfSetName, {name.get()}); }
  EXPECT_TRUE(excel_.names().empty());

  EXPECT_EQ(TextAnswer(xlGetName, {}), SimulatedExcel::kDefaultDllPath);
  const XLOPER12 version = XlNumber(2);
  EXPECT_EQ(TextAnswer(xlfGetWorkspace, {&version}), u"16.0");
  const XLOPER12 show = XlBool(true), restore = XlBool(false);
  const XlText message(u"Registering library...");
  { const ExcelResult shown(excel_, xlcMessage, {&show, message.get()}); }
  EXPECT_EQ(excel_.status_bar(), u"Registering library...");
  { const ExcelResult cleared(excel_, xlcMessage, {&restore}); }
  EXPECT_EQ(excel_.status_bar(), std::nullopt);

  excel_.FailNext(xlfRegister, xlretFailed);
  const ExcelResult failed(excel_, xlfRegister, {module.get(), procedure.get(), type.get()});
  EXPECT_EQ(failed.return_code(), xlretFailed);
  EXPECT_EQ(excel_.calls().back().return_code, xlretFailed);
}

}  // namespace
}  // namespace orra::testing
