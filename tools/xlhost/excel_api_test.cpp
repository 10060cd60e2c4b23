#include "tools/xlhost/excel_api.h"

#include <gtest/gtest.h>

#include "testing/xloper_values.h"
#include "tools/xlhost/rtd_client.h"
#include "tools/xlhost/rtd_test_doubles.h"
#include "xll/caller_address.h"
#include "xll/date_argument.h"

namespace orra::xlhost {
namespace {

class ExcelApiTest : public ::testing::Test {
 protected:
  int32_t Call(int32_t function, XLOPER12& result, std::initializer_list<const XLOPER12*> args) {
    return api_.Call(function, result, std::span<const XLOPER12* const>(args.begin(), args.size()));
  }
  // Calls and gives back what the result holds, as an XLL does once it has read it.
  GridValue Value(int32_t function, std::initializer_list<const XLOPER12*> args,
                  int32_t expected_code = xlretSuccess) {
    XLOPER12 result{};
    EXPECT_EQ(Call(function, result, args), expected_code);
    GridValue value = GridValueOfResult(result);
    memory_.Free(result);
    return value;
  }
  static GridValue GridValueOfResult(const XLOPER12& result) {
    if (BaseType(result) == xltypeStr) {
      return std::u16string(result.val.str + 1, static_cast<size_t>(result.val.str[0]));
    }
    if (BaseType(result) == xltypeNum) return result.val.num;
    if (BaseType(result) == xltypeBool) return result.val.xbool != 0;
    if (BaseType(result) == xltypeErr) return ErrorValue{result.val.err};
    if (BaseType(result) == xltypeInt) return static_cast<double>(result.val.w);
    return GridValue();
  }

  Sheet sheet_{u"Book1.xlsx", u"Sheet1", 1};
  HostMemory memory_;
  FakeRtdServerFactory rtd_servers_;
  RtdClient topics_{rtd_servers_};
  ExcelApi api_{sheet_, memory_, topics_};
};

TEST_F(ExcelApiTest, TheCallerIsTheCellBeingEvaluatedAsTheAddInReadsIt) {
  api_.BeginCell(CellAddress{2, 1});
  EXPECT_EQ(CallerAddress(api_), u"'[Book1.xlsx]Sheet1'!B3");
  api_.EndCell();
  EXPECT_EQ(memory_.outstanding(), 0u) << "ExcelResult gives back the reference and the name";
  EXPECT_FALSE(CallerAddress(api_)) << "no caller outside a cell";
  XLOPER12 result{};
  EXPECT_EQ(Call(xlfCaller, result, {}), xlretFailed);
  EXPECT_EQ(result.xltype, xltypeErr);
  EXPECT_EQ(result.val.err, xlerrValue);
}

TEST_F(ExcelApiTest, TheInternationalFlagIsTheSameFunction) {
  const XLOPER12 two = XlNumber(2);
  EXPECT_EQ(Value(xlfGetWorkspace | xlIntl, {&two}), GridValue(u"16.0"));
  EXPECT_EQ(Value(xlfGetWorkspace, {&two}), GridValue(u"16.0"));
}

TEST_F(ExcelApiTest, DatePartsFollowThe1900SystemThroughTheAddInsDateArgument) {
  const XLOPER12 serial = XlNumber(43831);
  const auto date = DateArgumentToNumber(&serial, api_);
  ASSERT_TRUE(date);
  EXPECT_EQ(date->xloper().val.w, 20200101);
  const XLOPER12 leap_day = XlNumber(60), negative = XlNumber(-1);
  EXPECT_EQ(Value(xlfMonth, {&leap_day}), GridValue(2.0));
  EXPECT_EQ(Value(xlfDay, {&leap_day}), GridValue(29.0));
  EXPECT_EQ(Value(xlfYear, {&negative}), GridValue(ErrorValue{xlerrNum}));
  const XlText not_a_number(u"soon");
  EXPECT_EQ(Value(xlfYear, {not_a_number.get()}), GridValue(ErrorValue{xlerrValue}));
  const XLOPER12 error = XlError(xlerrNA);
  EXPECT_EQ(Value(xlfYear, {&error}), GridValue(ErrorValue{xlerrNA}));
  EXPECT_EQ(Value(xlfYear, {}, xlretInvCount), GridValue(ErrorValue{xlerrValue}));
}

TEST_F(ExcelApiTest, CoerceConvertsToTheWantedTypeOrFails) {
  const XlText digits(u"42.5");
  const XLOPER12 to_number = XlInteger(xltypeNum), to_int = XlInteger(xltypeInt),
                 to_text = XlInteger(xltypeStr), to_bool = XlInteger(xltypeBool),
                 to_ref = XlInteger(xltypeRef), number = XlNumber(2.5), zero = XlNumber(0);
  EXPECT_EQ(Value(xlCoerce, {digits.get(), &to_number}), GridValue(42.5));
  EXPECT_EQ(Value(xlCoerce, {&number, &to_int}), GridValue(3.0));
  EXPECT_EQ(Value(xlCoerce, {&number, &to_text}), GridValue(u"2.5"));
  EXPECT_EQ(Value(xlCoerce, {&zero, &to_bool}), GridValue(false));
  const XlText word(u"close");
  EXPECT_EQ(Value(xlCoerce, {word.get(), &to_number}, xlretFailed), GridValue(ErrorValue{xlerrValue}));
  EXPECT_EQ(Value(xlCoerce, {&number, &to_ref}, xlretFailed), GridValue(ErrorValue{xlerrValue}));
  const XLOPER12 missing = XlOfType(xltypeMissing);
  EXPECT_EQ(Value(xlCoerce, {&missing, &to_int}, xlretFailed), GridValue(ErrorValue{xlerrValue}));
}

TEST_F(ExcelApiTest, CoerceWithoutATypeReadsTheReferencedCell) {
  sheet_.SetConstant(CellAddress{0, 0}, u"600000.SH");
  const XLOPER12 a1 = XlSingleRef(0, 0, 0, 0), empty = XlSingleRef(5, 5, 5, 5),
                 range = XlSingleRef(0, 1, 0, 0), to_number = XlInteger(xltypeNum);
  EXPECT_EQ(Value(xlCoerce, {&a1}), GridValue(u"600000.SH"));
  EXPECT_EQ(Value(xlCoerce, {&empty}), GridValue());
  EXPECT_EQ(Value(xlCoerce, {&empty, &to_number}), GridValue(0.0));
  EXPECT_EQ(Value(xlCoerce, {&range}, xlretFailed), GridValue(ErrorValue{xlerrValue}));
}

TEST_F(ExcelApiTest, RtdAnswersTheValueOfTheTopicItsTextsName) {
  FakeRtdServerState& rtd_server = rtd_servers_.servers[u"ZodevUruza.OrraExcel"];
  const XlText prog_id(u"ZodevUruza.OrraExcel"), server(u""), code(u"600000.SH");
  const XLOPER12 id = XlInteger(0), other = XlInteger(1);
  api_.BeginCell(CellAddress{2, 1});
  rtd_server.connect_value = -1.0;
  EXPECT_EQ(Value(xlfRtd, {prog_id.get(), server.get(), &id, code.get()}), GridValue(-1.0));
  rtd_server.connect_value = std::u16string(u"second");
  EXPECT_EQ(Value(xlfRtd, {prog_id.get(), server.get(), &other, code.get()}), GridValue(u"second"));
  EXPECT_EQ(Value(xlfRtd, {prog_id.get(), server.get(), &id, code.get()}), GridValue(-1.0))
      << "a known topic keeps its value";
  EXPECT_EQ(rtd_server.connected.size(), 2u);
  api_.EndCell();
  const auto& calls = api_.RtdCallsOf(CellAddress{2, 1});
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], (RtdCall{u"ZodevUruza.OrraExcel", u"", {u"0", u"600000.SH"}}))
      << "an integer topic goes as its digits";
  api_.BeginCell(CellAddress{2, 1});
  EXPECT_TRUE(api_.RtdCallsOf(CellAddress{2, 1}).empty()) << "a new evaluation starts afresh";
  EXPECT_EQ(Value(xlfRtd, {prog_id.get(), server.get()}, xlretInvCount), GridValue(ErrorValue{xlerrValue}));
}

TEST_F(ExcelApiTest, RegistersUnregistersAndNamesAsExcelDoes) {
  api_.set_xll_path(u"C:\\addin\\OrraAddin64.xll");
  XLOPER12 name{};
  ASSERT_EQ(Call(xlGetName, name, {}), xlretSuccess);
  const XlText procedure(u"XDP"), type(u"QQQ"), function(u"XDP"), arguments(u"a, b");
  XLOPER12 id{};
  ASSERT_EQ(Call(xlfRegister, id, {&name, procedure.get(), type.get(), function.get(), arguments.get()}),
            xlretSuccess);
  memory_.Free(name);
  ASSERT_EQ(id.xltype, xltypeNum);
  const Registration* registration = api_.FindRegistration(u"xdp");
  ASSERT_NE(registration, nullptr);
  EXPECT_EQ(registration->Text(0), u"C:\\addin\\OrraAddin64.xll");
  EXPECT_EQ(registration->type_text(), u"QQQ");
  EXPECT_EQ(registration->argument_text(), u"a, b");
  const XLOPER12 value = XlNumber(1);
  EXPECT_EQ(Value(xlfSetName, {function.get(), &value}), GridValue(true));
  EXPECT_EQ(api_.names().size(), 1u);
  EXPECT_EQ(Value(xlfSetName, {function.get()}), GridValue(true));
  EXPECT_TRUE(api_.names().empty());
  EXPECT_EQ(Value(xlfUnregister, {&id}), GridValue(true));
  EXPECT_EQ(Value(xlfUnregister, {&id}), GridValue(false));
  EXPECT_EQ(api_.FindRegistration(u"XDP"), nullptr);
}

TEST_F(ExcelApiTest, TheStatusBarTakesTextsOutsideCellsOnly) {
  const XLOPER12 show = XlBool(true), restore = XlBool(false);
  const XlText text(u"Registering library...");
  EXPECT_EQ(Value(xlcMessage | xlIntl, {&show, text.get()}), GridValue(true));
  EXPECT_EQ(api_.status_bar(), u"Registering library...");
  EXPECT_EQ(Value(xlcMessage, {&restore}), GridValue(true));
  EXPECT_FALSE(api_.status_bar());
  api_.BeginCell(CellAddress{0, 0});
  EXPECT_EQ(Value(xlcMessage, {&show, text.get()}, xlretFailed), GridValue(ErrorValue{xlerrValue}));
  api_.EndCell();
  EXPECT_EQ(api_.status_texts(), std::vector<std::u16string>{u"Registering library..."});
}

TEST_F(ExcelApiTest, UnknownFunctionsAndBadArgumentsAnswerExcelsCodes) {
  XLOPER12 result{};
  EXPECT_EQ(Call(0x1234, result, {}), xlretInvXlfn);
  EXPECT_EQ(Call(1 /* SUM */, result, {}), xlretFailed);
  EXPECT_EQ(Call(xlGetName, result, {}), xlretFailed) << "no XLL open";
  EXPECT_EQ(Call(xlfGetWorkspace, result, {nullptr}), xlretInvXloper);
  std::vector<const XLOPER12*> too_many(256, &result);
  EXPECT_EQ(api_.Call(xlFree, result, too_many), xlretInvCount);
}

TEST_F(ExcelApiTest, CountsWhatIsNotGivenBackAndWhatIsGivenBackTwice) {
  api_.BeginCell(CellAddress{0, 0});
  XLOPER12 caller{};
  ASSERT_EQ(Call(xlfCaller, caller, {}), xlretSuccess);
  EXPECT_EQ(memory_.outstanding(), 1u);
  XLOPER12 ignored{};
  EXPECT_EQ(Call(xlFree, ignored, {&caller}), xlretSuccess);
  EXPECT_EQ(memory_.outstanding(), 0u);
  EXPECT_EQ(Call(xlFree, ignored, {&caller}), xlretSuccess);
  EXPECT_EQ(memory_.bad_frees(), 1u);
  const XLOPER12 number = XlNumber(1);
  EXPECT_EQ(Call(xlFree, ignored, {&number}), xlretSuccess);
  EXPECT_EQ(memory_.bad_frees(), 1u) << "a value without memory is fine to give back";
  XLOPER12 elements[1] = {XlNumber(1)};
  const XLOPER12 own_array = XlArray(elements, 1, 1);
  EXPECT_EQ(Call(xlFree, ignored, {&own_array}), xlretSuccess);
  EXPECT_EQ(memory_.bad_frees(), 2u) << "the host hands out no arrays";
}

}  // namespace
}  // namespace orra::xlhost
