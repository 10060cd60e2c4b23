// The bridge's Windows side: the test executable stands in for Excel by exporting the entry
// Excel exports, so the real lookup in the process's executable finds it.
#include <windows.h>

#include <gtest/gtest.h>

#include "testing/xloper_values.h"
#include "xll/host_excel_calls.h"
#include "xll/xl_constants.h"

namespace {

int32_t last_function = 0;
int32_t last_count = -1;

}  // namespace

extern "C" __declspec(dllexport) int MdCallBack12(int function, int count, orra::XLOPER12** arguments,
                                                   orra::XLOPER12* result) {
  last_function = function;
  last_count = count;
  *result = count > 0 ? *arguments[0] : orra::XlNumber(-1);
  return orra::xlretSuccess;
}

namespace orra {
namespace {

TEST(HostExcelCallsWin32Test, TheExecutablesEntryIsCalledWithTheInternationalFlag) {
  HostExcelCalls excel = ConnectToHostExcel();
  const XLOPER12 two = XlNumber(2);
  const XLOPER12* const arguments[] = {&two};
  XLOPER12 result{};
  EXPECT_EQ(excel.Call(xlfGetWorkspace, result, arguments), xlretSuccess);
  EXPECT_EQ(last_function, xlfGetWorkspace + 8192);
  EXPECT_EQ(last_count, 1);
  EXPECT_EQ(result.val.num, 2);
}

TEST(HostExcelCallsWin32Test, AModuleWithoutTheEntryAnswersCommandFailed) {
  last_function = 0;
  HostExcelCalls excel = ConnectToHostExcel(u"kernel32.dll");
  XLOPER12 result{};
  EXPECT_EQ(excel.Call(xlGetName, result, {}), xlretFailed);
  EXPECT_EQ(result.xltype, xltypeErr);
  EXPECT_EQ(last_function, 0);
  // A module that is not loaded at all is no Excel either.
  EXPECT_EQ(ConnectToHostExcel(u"orra-not-loaded.dll").Call(xlGetName, result, {}), xlretFailed);
}

}  // namespace
}  // namespace orra
