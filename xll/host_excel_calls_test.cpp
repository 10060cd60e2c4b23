#include "xll/host_excel_calls.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/xloper_values.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

// What Excel's entry was last called with. An entry is a plain function, so it reports
// through a variable of the test's.
struct EntryCall {
  int calls = 0;
  int32_t function = 0;
  int32_t count = 0;
  std::vector<XLOPER12*> arguments;
  XLOPER12* result = nullptr;
};
EntryCall last_call;

int32_t RecordingEntry(int32_t function, int32_t count, XLOPER12** arguments, XLOPER12* result) {
  ++last_call.calls;
  last_call.function = function;
  last_call.count = count;
  last_call.arguments.assign(arguments, arguments + count);
  last_call.result = result;
  *result = XlNumber(16);
  return xlretSuccess;
}

class HostExcelCallsTest : public ::testing::Test {
 protected:
  void SetUp() override { last_call = EntryCall{}; }
};

TEST_F(HostExcelCallsTest, EveryCallCarriesTheInternationalFlagAndPutsTheResultLast) {
  HostExcelCalls excel(&RecordingEntry);
  const XLOPER12 first = XlNumber(2);
  const XlText second(u"XDP");
  const XLOPER12* const arguments[] = {&first, second.get()};
  XLOPER12 result{};
  EXPECT_EQ(excel.Call(xlfGetWorkspace, result, arguments), xlretSuccess);
  EXPECT_EQ(last_call.function, xlfGetWorkspace + 8192);
  ASSERT_EQ(last_call.count, 2);
  EXPECT_EQ(last_call.arguments[0], &first);
  EXPECT_EQ(last_call.arguments[1], second.get());
  EXPECT_EQ(last_call.result, &result);
  EXPECT_EQ(result.val.num, 16);

  // The C API's own functions and commands are flagged alike.
  excel.Call(xlFree, result, {});
  EXPECT_EQ(last_call.function, xlFree + 8192);
  EXPECT_EQ(last_call.count, 0);
  excel.Call(xlcMessage, result, arguments);
  EXPECT_EQ(last_call.function, xlcMessage + 8192);
}

TEST_F(HostExcelCallsTest, WithoutExcelsEntryEveryCallFailsAsACommandThatFailed) {
  HostExcelCalls excel(nullptr);
  XLOPER12 result = XlNumber(1);
  EXPECT_EQ(excel.Call(xlGetName, result, {}), xlretFailed);
  EXPECT_EQ(result.xltype, xltypeErr);
  EXPECT_EQ(result.val.err, xlerrValue);
}

TEST_F(HostExcelCallsTest, MoreArgumentsThanExcelTakesNeverReachIt) {
  HostExcelCalls excel(&RecordingEntry);
  const XLOPER12 value = XlNumber(1);
  std::vector<const XLOPER12*> arguments(HostExcelCalls::kMaxArguments, &value);
  XLOPER12 result{};
  EXPECT_EQ(excel.Call(xlfRegister, result, arguments), xlretSuccess);
  EXPECT_EQ(last_call.count, 255);
  arguments.push_back(&value);
  EXPECT_EQ(excel.Call(xlfRegister, result, arguments), xlretInvCount);
  EXPECT_EQ(last_call.calls, 1);
  EXPECT_EQ(result.xltype, xltypeErr);
}

}  // namespace
}  // namespace orra
