#include "tools/xlhost/excel_objects_win32.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "testing/variant_values_win32.h"

namespace orra::xlhost {
namespace {

using testing::VariantBool;
using testing::VariantLong;
using testing::VariantNumber;
using testing::VariantObject;
using testing::VariantOmitted;
using testing::VariantText;

constexpr DISPID kHwnd = 1950, kActiveCell = 305, kActiveSheet = 307, kSelection = 147, kRange = 197,
                 kIntersect = 766, kCalculateFull = 1805, kScreenUpdating = 382, kResize = 256, kValue2 = 1388,
                 kNumberFormatLocal = 1097, kHorizontalAlignment = 136, kDirty = 2014, kWorksheet = 348,
                 kAddress = 236, kEnableCalculation = 1424, kName = 110;
constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;  // as VB clients call

// A VARIANT the test owns.
struct Variant {
  Variant() { VariantInit(&value); }
  ~Variant() { VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT value;
};

std::u16string TextOfResult(const Variant& result) {
  if (V_VT(&result.value) != VT_BSTR) return u"<not a text>";
  return std::u16string(reinterpret_cast<const char16_t*>(V_BSTR(&result.value)), SysStringLen(V_BSTR(&result.value)));
}

class ExcelObjectsTest : public ::testing::Test {
 protected:
  // Arguments in their logical order; they are given back (BSTRs freed) after the call.
  HRESULT Invoke(IDispatch* object, DISPID member, WORD flags, std::vector<VARIANT> arguments, Variant* result) {
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    const HRESULT hr = object->Invoke(member, IID_NULL, 0, flags, &params, result ? &result->value : nullptr, nullptr, nullptr);
    for (VARIANT& argument : arguments) {
      if (V_VT(&argument) == VT_BSTR) VariantClear(&argument);
    }
    return hr;
  }
  HRESULT PutProperty(IDispatch* object, DISPID member, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    const HRESULT hr = object->Invoke(member, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    VariantClear(&value);
    return hr;
  }
  // The object a call answers, owned by the test.
  ComPtr<IDispatch> Get(IDispatch* object, DISPID member, std::vector<VARIANT> arguments = {}) {
    Variant result;
    EXPECT_EQ(Invoke(object, member, kGet, std::move(arguments), &result), S_OK);
    if (V_VT(&result.value) != VT_DISPATCH || V_DISPATCH(&result.value) == nullptr) return ComPtr<IDispatch>();
    V_DISPATCH(&result.value)->AddRef();
    return ComPtr<IDispatch>(V_DISPATCH(&result.value));
  }
  ComPtr<IDispatch> Range(const wchar_t* text) { return Get(application_.get(), kRange, {VariantText(text)}); }
  std::u16string Address(IDispatch* range, std::vector<VARIANT> arguments = {}) {
    Variant result;
    EXPECT_EQ(Invoke(range, kAddress, DISPATCH_PROPERTYGET, std::move(arguments), &result), S_OK);
    return TextOfResult(result);
  }

  Sheet sheet_{u"Book1.xlsx", u"Sheet1", 1};
  std::vector<CellAddress> evaluated_;
  Workbook workbook_{sheet_, [this](CellAddress cell) {
                       evaluated_.push_back(cell);
                       sheet_.SetResult(cell, 7.0);
                     }};
  ApartmentGate gate_;
  HWND window_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234));
  ComPtr<IDispatch> application_ = MakeApplication(workbook_, gate_, window_);
};

TEST_F(ExcelObjectsTest, NamesAreFoundWithoutRegardToCaseWithExcelsDispatchIds) {
  struct Case {
    const wchar_t* name;
    DISPID id;
  };
  for (const Case& c : {Case{L"hwnd", kHwnd}, Case{L"ACTIVECELL", kActiveCell}, Case{L"Range", kRange},
                        Case{L"intersect", kIntersect}, Case{L"CalculateFull", kCalculateFull}}) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(c.name)};
    DISPID id = 0;
    EXPECT_EQ(application_->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, c.id);
  }
  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Value2")};
  DISPID id = 0;
  EXPECT_EQ(application_->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME) << "a Range member";
  EXPECT_EQ(id, DISPID_UNKNOWN);
  auto cell = Range(L"A1");
  ASSERT_TRUE(cell);
  LPOLESTR value2[] = {const_cast<LPOLESTR>(L"value2")};
  EXPECT_EQ(cell->GetIDsOfNames(IID_NULL, value2, 1, 0, &id), S_OK);
  EXPECT_EQ(id, kValue2);

  ComPtr<IUnknown> excel_interface;
  EXPECT_EQ(cell->QueryInterface(kRangeInterfaceId, reinterpret_cast<void**>(excel_interface.Receive())), S_OK);
  EXPECT_EQ(cell->QueryInterface(kApplicationInterfaceId, reinterpret_cast<void**>(excel_interface.Receive())),
            E_NOINTERFACE);
}

TEST_F(ExcelObjectsTest, Value2WritesATableOfRowsAndColumnsWithFormulas) {
  workbook_.Activate({1, 1});
  auto active = Get(application_.get(), kActiveCell);
  ASSERT_TRUE(active);
  auto block = Get(active.get(), kResize, {VariantLong(2), VariantLong(3)});
  ASSERT_TRUE(block);
  EXPECT_EQ(Address(block.get()), u"$B$2:$D$3");

  SAFEARRAYBOUND bounds[2] = {{2, 0}, {3, 0}};
  SAFEARRAY* table = SafeArrayCreate(VT_VARIANT, 2, bounds);
  ASSERT_NE(table, nullptr);
  const VARIANT cells[2][3] = {{VariantText(L"600000.SH"), VariantNumber(1.5), VariantText(L"=F(B2)")},
                               {VariantBool(true), VARIANT{}, VariantLong(4)}};
  for (LONG row = 0; row < 2; ++row) {
    for (LONG column = 0; column < 3; ++column) {
      LONG index[2] = {row, column};
      VARIANT cell = cells[row][column];
      ASSERT_EQ(SafeArrayPutElement(table, index, &cell), S_OK);
      VariantClear(&cell);
    }
  }
  VARIANT value;
  V_VT(&value) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&value) = table;
  ASSERT_EQ(PutProperty(block.get(), kValue2, value), S_OK);

  EXPECT_EQ(sheet_.ValueAt({1, 1}), GridValue(u"600000.SH"));
  EXPECT_EQ(sheet_.ValueAt({1, 2}), GridValue(1.5));
  ASSERT_TRUE(sheet_.Find({1, 3}) && sheet_.Find({1, 3})->formula);
  EXPECT_EQ(sheet_.Find({1, 3})->formula->name, "F");
  EXPECT_EQ(evaluated_, (std::vector<CellAddress>{{1, 3}})) << "a formula is calculated as it is written";
  EXPECT_EQ(sheet_.ValueAt({2, 1}), GridValue(true));
  EXPECT_EQ(sheet_.Find({2, 2}), nullptr);
  EXPECT_EQ(sheet_.ValueAt({2, 3}), GridValue(4.0));

  Variant back;
  ASSERT_EQ(Invoke(block.get(), kValue2, kGet, {}, &back), S_OK);
  ASSERT_EQ(V_VT(&back.value), VT_ARRAY | VT_VARIANT);
  LONG lower = 0, upper = 0;
  SafeArrayGetLBound(V_ARRAY(&back.value), 1, &lower);
  SafeArrayGetUBound(V_ARRAY(&back.value), 2, &upper);
  EXPECT_EQ(lower, 1) << "Excel's arrays count from 1";
  EXPECT_EQ(upper, 3);
  Variant element;
  LONG index[2] = {1, 3};
  ASSERT_EQ(SafeArrayGetElement(V_ARRAY(&back.value), index, &element.value), S_OK);
  EXPECT_EQ(V_VT(&element.value), VT_R8);
  EXPECT_EQ(V_R8(&element.value), 7.0) << "the formula's result";
}

TEST_F(ExcelObjectsTest, Value2OfALargerRangeFillsTheRestWithNotAvailableAndAScalarFillsAll) {
  auto block = Range(L"A1:B2");
  ASSERT_TRUE(block);
  SAFEARRAY* row = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  LONG index = 0;
  VARIANT one = VariantNumber(1);
  ASSERT_EQ(SafeArrayPutElement(row, &index, &one), S_OK);
  VARIANT value;
  V_VT(&value) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&value) = row;
  ASSERT_EQ(PutProperty(block.get(), kValue2, value), S_OK);
  EXPECT_EQ(sheet_.ValueAt({0, 0}), GridValue(1.0));
  EXPECT_EQ(sheet_.ValueAt({1, 1}), GridValue(ErrorValue{42}));
  ASSERT_EQ(PutProperty(block.get(), kValue2, VariantText(L"x")), S_OK);
  EXPECT_EQ(sheet_.ValueAt({1, 1}), GridValue(u"x"));
}

TEST_F(ExcelObjectsTest, RefusesArgumentsOfTheWrongTypeOrCount) {
  auto cell = Range(L"B2");
  ASSERT_TRUE(cell);
  EXPECT_EQ(Invoke(cell.get(), kResize, kGet, {VariantText(L"2")}, nullptr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Invoke(cell.get(), kResize, kGet, {VariantLong(0)}, nullptr), kExcelCallFailed);
  EXPECT_EQ(Invoke(cell.get(), kResize, kGet, {VariantLong(1), VariantLong(1), VariantLong(1)}, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Invoke(cell.get(), kResize, kGet, {VariantLong(1), VariantLong(16384)}, nullptr), kExcelCallFailed)
      << "past the last column";
  VARIANT unknown;
  V_VT(&unknown) = VT_UNKNOWN;
  V_UNKNOWN(&unknown) = nullptr;
  EXPECT_EQ(PutProperty(cell.get(), kValue2, unknown), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(PutProperty(cell.get(), kValue2, VariantText(L"=NOT A FORMULA(")), kExcelCallFailed);
  EXPECT_EQ(PutProperty(cell.get(), kHorizontalAlignment, VariantLong(2)), kExcelCallFailed) << "no XlHAlign";
  EXPECT_EQ(PutProperty(cell.get(), kNumberFormatLocal, VariantLong(2)), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Invoke(cell.get(), kValue2, DISPATCH_METHOD, {}, nullptr), DISP_E_MEMBERNOTFOUND)
      << "a property is no method";
  EXPECT_EQ(Invoke(cell.get(), kDirty, DISPATCH_PROPERTYGET, {}, nullptr), DISP_E_MEMBERNOTFOUND)
      << "a method is no property";
  EXPECT_EQ(Invoke(cell.get(), 9999, kGet, {}, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(application_.get(), kRange, kGet, {VariantNumber(1)}, nullptr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Invoke(application_.get(), kRange, kGet, {}, nullptr), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Invoke(application_.get(), kIntersect, DISPATCH_METHOD, {VariantObject(cell.get())}, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Invoke(cell.get(), kAddress, kGet, {VariantOmitted(), VariantOmitted(), VariantLong(7)}, nullptr),
            kExcelCallFailed)
      << "no reference style";
  DISPPARAMS no_arguments{nullptr, nullptr, 0, 0};
  EXPECT_EQ(cell->Invoke(kValue2, IID_NULL, 0, DISPATCH_PROPERTYPUT, &no_arguments, nullptr, nullptr, nullptr),
            DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(cell->Invoke(kValue2, IID_NULL, 0, kGet, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
}

TEST_F(ExcelObjectsTest, ApplicationNamesRangesOfItsSheetOnly) {
  EXPECT_EQ(Address(Range(L"'[Book1.xlsx]Sheet1'!B2").get()), u"$B$2");
  EXPECT_EQ(Address(Range(L"sheet1!$c$3:b2").get()), u"$B$2:$C$3");
  EXPECT_EQ(Invoke(application_.get(), kRange, kGet, {VariantText(L"[Book2.xlsx]Sheet1!B2")}, nullptr),
            kExcelCallFailed);
  EXPECT_EQ(Invoke(application_.get(), kRange, kGet, {VariantText(L"B2:")}, nullptr), kExcelCallFailed);
  auto b2 = Range(L"B2");
  auto spanned = Get(application_.get(), kRange, {VariantObject(b2.get()), VariantText(L"D4")});
  EXPECT_EQ(Address(spanned.get()), u"$B$2:$D$4");

  EXPECT_EQ(Address(b2.get(), {VariantBool(false), VariantOmitted(), VariantOmitted(), VariantBool(true)}),
            u"[Book1.xlsx]Sheet1!$B2");
  EXPECT_EQ(Address(spanned.get(), {VariantBool(false), VariantBool(false), VariantLong(-4150), VariantOmitted(),
                                    VariantObject(b2.get())}),
            u"RC:R[2]C[2]");
}

TEST_F(ExcelObjectsTest, IntersectAnswersTheSharedCellsOrNothing) {
  auto a = Range(L"A1:C3");
  auto b = Range(L"B2:D9");
  auto distant = Range(L"Z9");
  auto meet = Get(application_.get(), kIntersect, {VariantObject(a.get()), VariantObject(b.get())});
  EXPECT_EQ(Address(meet.get()), u"$B$2:$C$3");
  Variant nothing;
  ASSERT_EQ(Invoke(application_.get(), kIntersect, DISPATCH_METHOD,
                   {VariantObject(a.get()), VariantObject(b.get()), VariantObject(distant.get())}, &nothing),
            S_OK);
  EXPECT_EQ(V_VT(&nothing.value), VT_DISPATCH);
  EXPECT_EQ(V_DISPATCH(&nothing.value), nullptr);
  EXPECT_EQ(Invoke(application_.get(), kIntersect, DISPATCH_METHOD,
                   {VariantObject(a.get()), VariantObject(application_.get())}, nullptr),
            DISP_E_TYPEMISMATCH)
      << "the Application is no Range";
}

TEST_F(ExcelObjectsTest, FormatsSelectionHwndScreenUpdatingAndTheWorksheet) {
  workbook_.Select(CellRange{{0, 0}, {1, 1}});
  auto selection = Get(application_.get(), kSelection);
  EXPECT_EQ(Address(selection.get()), u"$A$1:$B$2");
  ASSERT_EQ(PutProperty(selection.get(), kNumberFormatLocal, VariantText(L"yyyy-mm-dd")), S_OK);
  ASSERT_EQ(PutProperty(Range(L"A1").get(), kHorizontalAlignment, VariantLong(-4152)), S_OK);
  EXPECT_EQ(workbook_.NumberFormat(CellRange{{0, 0}, {1, 1}}), u"yyyy-mm-dd");
  EXPECT_EQ(workbook_.HorizontalAlignment(CellRange::Of({0, 0})), kAlignRight);
  Variant mixed;
  ASSERT_EQ(Invoke(selection.get(), kHorizontalAlignment, kGet, {}, &mixed), S_OK);
  EXPECT_EQ(V_VT(&mixed.value), VT_NULL) << "cells aligned differently";

  Variant hwnd;
  ASSERT_EQ(Invoke(application_.get(), kHwnd, DISPATCH_PROPERTYGET, {}, &hwnd), S_OK);
  EXPECT_EQ(V_VT(&hwnd.value), VT_I4);
  EXPECT_EQ(V_I4(&hwnd.value), 0x1234);

  ASSERT_EQ(PutProperty(application_.get(), kScreenUpdating, VariantBool(false)), S_OK);
  EXPECT_FALSE(workbook_.screen_updating());
  EXPECT_EQ(PutProperty(application_.get(), kScreenUpdating, VariantLong(1)), DISP_E_TYPEMISMATCH);

  std::string error;
  ASSERT_TRUE(workbook_.Write({4, 4}, u"=G()", error)) << error;
  evaluated_.clear();
  auto sheet = Get(application_.get(), kActiveSheet);
  ASSERT_TRUE(sheet);
  Variant name;
  ASSERT_EQ(Invoke(sheet.get(), kName, kGet, {}, &name), S_OK);
  EXPECT_EQ(TextOfResult(name), u"Sheet1");
  ASSERT_EQ(PutProperty(sheet.get(), kEnableCalculation, VariantBool(false)), S_OK);
  EXPECT_EQ(Invoke(application_.get(), kCalculateFull, DISPATCH_METHOD, {}, nullptr), S_OK);
  EXPECT_EQ(Invoke(Range(L"E5").get(), kDirty, DISPATCH_METHOD, {}, nullptr), S_OK);
  EXPECT_TRUE(evaluated_.empty());
  auto worksheet = Get(Range(L"E5").get(), kWorksheet);
  ASSERT_EQ(PutProperty(worksheet.get(), kEnableCalculation, VariantBool(true)), S_OK);
  EXPECT_EQ(evaluated_, (std::vector<CellAddress>{{4, 4}})) << "switched back on, the sheet recalculates";
  EXPECT_EQ(Invoke(Range(L"E5").get(), kDirty, DISPATCH_METHOD, {}, nullptr), S_OK);
  EXPECT_EQ(evaluated_.size(), 2u);
}

TEST_F(ExcelObjectsTest, RefusesCallsFromAnotherThreadAndWhileEditing) {
  auto cell = Range(L"A1");
  ASSERT_TRUE(cell);
  HRESULT from_thread = S_OK;
  HRESULT names_from_thread = S_OK;
  std::thread other([&] {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    from_thread = cell->Invoke(kValue2, IID_NULL, 0, kGet, &none, &result, nullptr, nullptr);
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Value2")};
    DISPID id = 0;
    names_from_thread = cell->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
  });
  other.join();
  EXPECT_EQ(from_thread, RPC_E_WRONG_THREAD);
  EXPECT_EQ(names_from_thread, RPC_E_WRONG_THREAD);

  gate_.set_editing(true);
  EXPECT_EQ(PutProperty(application_.get(), kScreenUpdating, VariantBool(false)), RPC_E_CALL_REJECTED);
  EXPECT_EQ(Invoke(cell.get(), kValue2, kGet, {}, nullptr), RPC_E_CALL_REJECTED);
  EXPECT_TRUE(workbook_.screen_updating());
  gate_.set_editing(false);
  EXPECT_EQ(PutProperty(application_.get(), kScreenUpdating, VariantBool(false)), S_OK);
}

}  // namespace
}  // namespace orra::xlhost
