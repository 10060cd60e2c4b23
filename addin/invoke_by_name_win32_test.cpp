#include "addin/invoke_by_name_win32.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "addin/variant_win32.h"
#include "testing/recording_dispatch_win32.h"
#include "testing/variant_values_win32.h"

namespace orra {
namespace {
using testing::RecordingDispatch;
using testing::RecordingExcel;
using testing::VariantLong;
using Texts = std::vector<std::wstring>;

class InvokeByNameTest : public ::testing::Test {
 protected:
  InvokeByNameTest() : object_(new RecordingDispatch(recorded_, L"Application")) {}
  ~InvokeByNameTest() override {
    object_->Release();
    EXPECT_EQ(recorded_.live_objects, 0) << "every object a call answered was let go";
  }

  RecordingExcel recorded_;
  RecordingDispatch* object_;
};

TEST_F(InvokeByNameTest, ArgumentsGoLastFirstAndOnlyPutsNameTheirValue) {
  const std::array<VARIANT, 2> size = {VariantLong(5), VariantLong(2)};
  {
    Variant block;
    ASSERT_EQ(InvokeByName(object_, L"Resize", DISPATCH_PROPERTYGET, size, block.get(), nullptr), S_OK);
    EXPECT_EQ((*block).vt, VT_DISPATCH) << "the answer lands in the caller's VARIANT";
  }
  ASSERT_EQ(recorded_.calls.size(), 1u);
  EXPECT_EQ(recorded_.calls[0].arguments, (Texts{L"I4:2", L"I4:5"}));
  EXPECT_TRUE(recorded_.calls[0].named.empty());

  const std::array<VARIANT, 1> alignment = {VariantLong(-4152)};
  ASSERT_EQ(InvokeByName(object_, L"HorizontalAlignment", DISPATCH_PROPERTYPUT, alignment, nullptr, nullptr), S_OK);
  EXPECT_EQ(recorded_.calls.back().named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
  EXPECT_EQ(recorded_.calls.back().flags, DISPATCH_PROPERTYPUT);
}

TEST_F(InvokeByNameTest, RefusesWithoutCallingWhatCannotBeCalled) {
  EXPECT_EQ(InvokeByName(nullptr, L"Range", DISPATCH_PROPERTYGET, {}, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(InvokeByName(object_, L"NoSuchMember", DISPATCH_METHOD, {}, nullptr, nullptr), DISP_E_UNKNOWNNAME);
  std::array<VARIANT, kMostInvokeArguments + 1> too_many{};
  for (VARIANT& value : too_many) value = VariantLong(1);
  EXPECT_EQ(InvokeByName(object_, L"Range", DISPATCH_PROPERTYGET, too_many, nullptr, nullptr), DISP_E_BADPARAMCOUNT);
  EXPECT_TRUE(recorded_.calls.empty());
}

TEST_F(InvokeByNameTest, AFailedCallLeavesTheServersDescriptionForTheCaller) {
  recorded_.failing.insert(L"CalculateFull");
  EXCEPINFO exception{};
  EXPECT_EQ(InvokeByName(object_, L"CalculateFull", DISPATCH_METHOD, {}, nullptr, &exception), DISP_E_EXCEPTION);
  ASSERT_NE(exception.bstrDescription, nullptr);
  EXPECT_EQ(std::wstring(exception.bstrDescription), L"Excel is busy.");
  SysFreeString(exception.bstrDescription);
}

}  // namespace
}  // namespace orra
