#include "addin/dispatch_excel_win32.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "testing/recording_dispatch_win32.h"

namespace orra {
namespace {
using testing::RecordedCall;
using testing::RecordingDispatch;
using testing::RecordingExcel;
using Texts = std::vector<std::wstring>;

class DispatchExcelTest : public ::testing::Test {
 protected:
  DispatchExcelTest() : application_(new RecordingDispatch(recorded_, L"Application")) {
    excel_ = std::make_unique<DispatchExcel>(application_);
  }
  ~DispatchExcelTest() override {
    excel_.reset();
    application_->Release();
    // Every object Excel handed out, and the application itself, was let go.
    EXPECT_EQ(recorded_.live_objects, 0);
  }

  RecordedCall Only(const std::wstring& member) const {
    const auto calls = recorded_.CallsOf(member);
    EXPECT_EQ(calls.size(), 1u) << std::string(member.begin(), member.end());
    return calls.empty() ? RecordedCall{} : calls.front();
  }

  RecordingExcel recorded_;
  RecordingDispatch* application_;
  std::unique_ptr<DispatchExcel> excel_;
};

TEST_F(DispatchExcelTest, PropertyPutsPassTheValueAsTheOneNamedPropertyPutArgument) {
  ASSERT_TRUE(excel_->SetScreenUpdating(false));
  RecordedCall call = Only(L"ScreenUpdating");
  EXPECT_EQ(call.object, L"Application");
  EXPECT_EQ(call.flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(call.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
  EXPECT_EQ(call.arguments, (Texts{L"BOOL:false"}));

  ASSERT_TRUE(excel_->SetHorizontalAlignment(u"'[Book1.xlsx]Sheet1'!B2", kAlignRight));
  call = Only(L"Range");
  EXPECT_EQ(call.object, L"Application");
  EXPECT_EQ(call.flags, DISPATCH_PROPERTYGET);
  EXPECT_TRUE(call.named.empty()) << "a get names no argument";
  EXPECT_EQ(call.arguments, (Texts{L"BSTR:'[Book1.xlsx]Sheet1'!B2"}));
  call = Only(L"HorizontalAlignment");
  EXPECT_EQ(call.object, L"Range") << "set on the range the address named";
  EXPECT_EQ(call.flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(call.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
  EXPECT_EQ(call.arguments, (Texts{L"I4:-4152"}));

  ASSERT_TRUE(excel_->SetNumberFormatLocal(u"B2", u"yyyy年MM月dd日"));
  EXPECT_EQ(recorded_.calls.back().member, L"NumberFormatLocal");
  EXPECT_EQ(recorded_.calls.back().arguments, (Texts{L"BSTR:yyyy年MM月dd日"}));
}

TEST_F(DispatchExcelTest, ArgumentsArriveLastFirst) {
  ASSERT_TRUE(excel_->SetActiveBlockNumberFormatLocal(5, 2, u"@"));
  EXPECT_EQ(Only(L"ActiveCell").flags, DISPATCH_PROPERTYGET);
  const RecordedCall resize = Only(L"Resize");
  EXPECT_EQ(resize.object, L"ActiveCell");
  EXPECT_EQ(resize.flags, DISPATCH_PROPERTYGET);
  EXPECT_EQ(resize.arguments, (Texts{L"I4:2", L"I4:5"})) << "RowSize 5, ColumnSize 2, in Invoke's order";
  EXPECT_EQ(Only(L"NumberFormatLocal").object, L"Resize");

  // Address(RowAbsolute, ColumnAbsolute, ReferenceStyle, External) gives the sheet's key.
  EXPECT_EQ(excel_->ActiveSheet(), u"'[Book1.xlsx]Sheet1'");
  EXPECT_EQ(Only(L"Address").arguments, (Texts{L"BOOL:true", L"I4:1", L"BOOL:true", L"BOOL:true"}));
  EXPECT_EQ(Only(L"Range").object, L"ActiveSheet");

  recorded_.calls.clear();
  ASSERT_EQ(excel_->SelectionIntersects(u"Sheet1!C3"), true);
  // Intersect(Selection, Range): the range comes first in Invoke's order.
  const RecordedCall intersect = Only(L"Intersect");
  EXPECT_EQ(intersect.flags, DISPATCH_METHOD);
  EXPECT_EQ(intersect.arguments, (Texts{L"DISPATCH", L"DISPATCH"}));
  recorded_.intersect_is_nothing = true;
  EXPECT_EQ(excel_->SelectionIntersects(u"Sheet1!Z99"), false) << "Nothing means no common cell";
}

TEST_F(DispatchExcelTest, ATableGoesAsOneArrayWithRowsInDimensionOne) {
  const auto column = SheetTable::Column({u"600000.SH", u"000001.SZ", 3.5, true, SheetValue()});
  ASSERT_TRUE(excel_->WriteAtActiveCell(*column));
  EXPECT_EQ(Only(L"Resize").arguments, (Texts{L"I4:1", L"I4:5"}));
  RecordedCall value2 = Only(L"Value2");
  EXPECT_EQ(value2.object, L"Resize");
  EXPECT_EQ(value2.flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(value2.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
  EXPECT_EQ(value2.arguments,
            (Texts{L"ARRAY[0..4 x 0..0] BSTR:600000.SH BSTR:000001.SZ R8:3.5 BOOL:true EMPTY"}));

  recorded_.calls.clear();
  const auto table = SheetTable::FromRows(2, 3, {1.0, 2.0, 3.0, u"a", u"b", u"=XDP(\"600000.SH\",\"收盘价\")"});
  ASSERT_TRUE(excel_->WriteAtActiveCell(*table));
  EXPECT_EQ(Only(L"Value2").arguments,
            (Texts{L"ARRAY[0..1 x 0..2] R8:1 R8:2 R8:3 BSTR:a BSTR:b BSTR:=XDP(\"600000.SH\",\"收盘价\")"}));

  recorded_.calls.clear();
  EXPECT_FALSE(excel_->WriteAtActiveCell(SheetTable()));
  EXPECT_TRUE(recorded_.calls.empty()) << "an empty table never reaches Excel";
}

TEST_F(DispatchExcelTest, AFailedCallLeavesExcelsDescription) {
  recorded_.failing.insert(L"ScreenUpdating");
  EXPECT_FALSE(excel_->SetScreenUpdating(true));
  EXPECT_NE(excel_->LastError().find(u"ScreenUpdating"), std::u16string::npos);
  EXPECT_NE(excel_->LastError().find(u"Excel is busy."), std::u16string::npos);
  EXPECT_NE(excel_->LastError().find(u"0x800AC472"), std::u16string::npos);

  // A failure on the way to the block stops there.
  recorded_.failing.insert(L"ActiveCell");
  const auto table = SheetTable::FromRows(1, 1, {1.0});
  EXPECT_FALSE(excel_->WriteAtActiveCell(*table));
  EXPECT_TRUE(recorded_.CallsOf(L"Value2").empty());
  EXPECT_NE(excel_->LastError().find(u"ActiveCell"), std::u16string::npos);
}

TEST_F(DispatchExcelTest, SheetsAreNamedAgainByTheirKeys) {
  const auto key = excel_->SheetOf(u"'[Book1.xlsx]Sheet1'!B2");
  ASSERT_EQ(key, u"'[Book1.xlsx]Sheet1'");
  EXPECT_EQ(Only(L"Worksheet").object, L"Range");

  recorded_.calls.clear();
  ASSERT_TRUE(excel_->SetEnableCalculation(*key, false));
  EXPECT_EQ(Only(L"Range").arguments, (Texts{L"BSTR:'[Book1.xlsx]Sheet1'!A1"}));
  const RecordedCall put = Only(L"EnableCalculation");
  EXPECT_EQ(put.object, L"Worksheet");
  EXPECT_EQ(put.arguments, (Texts{L"BOOL:false"}));

  // Methods take no arguments and name none.
  ASSERT_TRUE(excel_->DirtySelection());
  EXPECT_EQ(Only(L"Dirty").object, L"Selection");
  EXPECT_EQ(Only(L"Dirty").flags, DISPATCH_METHOD);
  ASSERT_TRUE(excel_->CalculateFull());
  EXPECT_EQ(Only(L"CalculateFull").flags, DISPATCH_METHOD);

  // An address Excel gives without a '!' yields no key.
  recorded_.external_address = L"$A$1";
  EXPECT_FALSE(excel_->ActiveSheet());
}

TEST(DispatchExcelWithoutExcelTest, EveryCallFailsWithoutAnApplication) {
  DispatchExcel excel(nullptr);
  EXPECT_FALSE(excel.SetScreenUpdating(false));
  EXPECT_FALSE(excel.ActiveSheet());
  EXPECT_FALSE(excel.CalculateFull());
  EXPECT_FALSE(excel.LastError().empty());
}

}  // namespace
}  // namespace orra
