#include "xll/caller_address.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/scripted_excel_calls.h"
#include "testing/xloper_values.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

class CallerAddressTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(excel_.outstanding(), 0u) << "Excel's memory not returned";
    EXPECT_EQ(excel_.bad_frees(), 0);
  }

  ScriptedExcelCalls excel_;
};

TEST_F(CallerAddressTest, QuotedSheetNameThenTheCallingCell) {
  excel_.Script(xlfCaller, xlretSuccess, XlSingleRef(2, 2, 1, 1));
  excel_.ScriptText(xlSheetNm, u"[Book1]Sheet1");
  EXPECT_EQ(CallerAddress(excel_), u"'[Book1]Sheet1'!B3");

  // The sheet name is asked of the caller's own reference.
  ASSERT_EQ(excel_.functions_called(), (std::vector<int32_t>{xlfCaller, xlSheetNm, xlFree}));
  const XLOPER12& asked = excel_.calls()[1].arguments.at(0);
  EXPECT_EQ(asked.xltype, xltypeSRef);
  EXPECT_EQ(asked.val.sref.ref.rwFirst, 2);
}

TEST_F(CallerAddressTest, AnArrayFormulaGivesItsWholeRange) {
  excel_.Script(xlfCaller, xlretSuccess, XlSingleRef(2, 6, 1, 3));
  excel_.ScriptText(xlSheetNm, u"[Book1]Sheet1");
  EXPECT_EQ(CallerAddress(excel_), u"'[Book1]Sheet1'!B3:D7");
}

TEST_F(CallerAddressTest, TheMultipleReferenceFormIsReadAndFreed) {
  XLMREF12 areas{1, {XLREF12{9, 9, 27, 27}}};
  XLOPER12 caller = XlOfType(xltypeRef);
  caller.val.mref.lpmref = &areas;
  caller.val.mref.idSheet = 77;
  excel_.Script(xlfCaller, xlretSuccess, caller);
  excel_.ScriptText(xlSheetNm, u"[a.xlsx]It's");
  EXPECT_EQ(CallerAddress(excel_), u"'[a.xlsx]It's'!AB10");
  EXPECT_EQ(excel_.functions_called(),
            (std::vector<int32_t>{xlfCaller, xlSheetNm, xlFree, xlFree}));
}

TEST_F(CallerAddressTest, NoAddressWhenNotCalledFromACell) {
  // From a macro or another DLL the caller is a register id, an error or nothing.
  XLMREF12 no_areas{0, {}};
  XLOPER12 empty_ref = XlOfType(xltypeRef);
  empty_ref.val.mref.lpmref = &no_areas;
  XLOPER12 null_ref = XlOfType(xltypeRef);
  const std::vector<XLOPER12> callers = {XlNumber(12345), XlError(xlerrRef), XlOfType(xltypeNil),
                                         XlOfType(xltypeMissing), empty_ref, null_ref};
  for (const XLOPER12& caller : callers) {
    ScriptedExcelCalls excel;
    excel.Script(xlfCaller, xlretSuccess, caller);
    excel.ScriptText(xlSheetNm, u"[Book1]Sheet1");
    EXPECT_FALSE(CallerAddress(excel)) << "type " << caller.xltype;
    EXPECT_EQ(excel.functions_called().at(0), xlfCaller);
    EXPECT_EQ(excel.calls().size(), BaseType(caller) == xltypeRef ? 2u : 1u)
        << "the sheet is never asked of a caller that is no cell";
    EXPECT_EQ(excel.outstanding(), 0u);
  }
}

TEST_F(CallerAddressTest, NoAddressForARectangleOutsideTheGrid) {
  const std::vector<XLOPER12> callers = {XlSingleRef(-1, 0, 0, 0), XlSingleRef(0, 1048576, 0, 0),
                                         XlSingleRef(0, 0, 0, 16384), XlSingleRef(5, 4, 0, 0),
                                         XlSingleRef(0, 0, 3, 2)};
  for (const XLOPER12& caller : callers) {
    ScriptedExcelCalls excel;
    excel.Script(xlfCaller, xlretSuccess, caller);
    excel.ScriptText(xlSheetNm, u"[Book1]Sheet1");
    EXPECT_FALSE(CallerAddress(excel));
  }
}

TEST_F(CallerAddressTest, NoAddressWhenExcelFails) {
  excel_.Script(xlfCaller, xlretAbort, XlError(xlerrValue));
  EXPECT_FALSE(CallerAddress(excel_));

  ScriptedExcelCalls no_sheet;
  no_sheet.Script(xlfCaller, xlretSuccess, XlSingleRef(0, 0, 0, 0));
  no_sheet.Script(xlSheetNm, xlretFailed, XlError(xlerrValue));
  EXPECT_FALSE(CallerAddress(no_sheet));

  ScriptedExcelCalls error_sheet;
  error_sheet.Script(xlfCaller, xlretSuccess, XlSingleRef(0, 0, 0, 0));
  error_sheet.Script(xlSheetNm, xlretSuccess, XlError(xlerrValue));
  EXPECT_FALSE(CallerAddress(error_sheet));
}

TEST_F(CallerAddressTest, ASheetNameThatIsNoCellTextGivesNoAddressAndIsStillFreed) {
  excel_.Script(xlfCaller, xlretSuccess, XlSingleRef(0, 0, 0, 0));
  excel_.ScriptText(xlSheetNm, std::u16string(kMaxXlTextUnits + 1, u's'));
  EXPECT_FALSE(CallerAddress(excel_));
  EXPECT_EQ(excel_.functions_called().back(), xlFree);
}

TEST_F(CallerAddressTest, TheLongestSheetNameIsCopiedWhole) {
  const std::u16string name(kMaxXlTextUnits, u'n');
  excel_.Script(xlfCaller, xlretSuccess, XlSingleRef(0, 0, 16383, 16383));
  excel_.ScriptText(xlSheetNm, name);
  EXPECT_EQ(CallerAddress(excel_), u"'" + name + u"'!XFD1");
}

}  // namespace
}  // namespace orra
