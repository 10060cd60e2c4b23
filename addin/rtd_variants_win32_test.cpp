#include "addin/rtd_variants_win32.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orra {
namespace {

struct DestroyArray {
  void operator()(SAFEARRAY* array) const { SafeArrayDestroy(array); }
};
using Array = std::unique_ptr<SAFEARRAY, DestroyArray>;

// A one-dimensional array of VARIANT from `lower`, each element made by `fill`.
template <typename Fill>
Array VariantArray(LONG lower, ULONG count, Fill fill) {
  SAFEARRAYBOUND bound = {count, lower};
  Array array(SafeArrayCreate(VT_VARIANT, 1, &bound));
  for (ULONG k = 0; k < count; ++k) {
    VARIANT element;
    VariantInit(&element);
    fill(k, element);
    LONG index = lower + static_cast<LONG>(k);
    EXPECT_EQ(SafeArrayPutElement(array.get(), &index, &element), S_OK);
    VariantClear(&element);
  }
  return array;
}

Array StringArray(LONG lower, const std::vector<std::wstring>& texts) {
  return VariantArray(lower, static_cast<ULONG>(texts.size()), [&](ULONG k, VARIANT& element) {
    element.vt = VT_BSTR;
    element.bstrVal = SysAllocString(texts[k].c_str());
  });
}

// The strings read into fresh storage, or nullopt when they are refused.
std::optional<std::vector<std::u16string>> TopicStringsOf(SAFEARRAY* array) {
  std::vector<std::u16string> topics;
  if (!ReadTopicStrings(array, topics)) return std::nullopt;
  return topics;
}

TEST(ReadTopicStringsTest, ReadsStringsInIndexOrderFromAnyLowerBound) {
  const Array from_zero = StringArray(0, {L"'[Book1.xlsx]Sheet1'!B2", L"0", L"close"});
  EXPECT_EQ(TopicStringsOf(from_zero.get()),
            (std::vector<std::u16string>{u"'[Book1.xlsx]Sheet1'!B2", u"0", u"close"}));
  const Array from_five = StringArray(5, {L"a", L"b"});
  EXPECT_EQ(TopicStringsOf(from_five.get()), (std::vector<std::u16string>{u"a", u"b"}));
  const Array none = StringArray(0, {});
  EXPECT_EQ(TopicStringsOf(none.get()), std::vector<std::u16string>{});
}

// The shell reads every cell's list into the same storage: what a longer list left there, or a
// string held before, must not show through.
TEST(ReadTopicStringsTest, WritesOverTheListReadBefore) {
  std::vector<std::u16string> topics = {u"a much longer string than any below", u"1", u"2", u"3", u"4"};
  const Array shorter = StringArray(0, {L"ab", L""});
  ASSERT_TRUE(ReadTopicStrings(shorter.get(), topics));
  EXPECT_EQ(topics, (std::vector<std::u16string>{u"ab", u""}));
  const Array longer = StringArray(0, {L"x", L"yz", L"w"});
  ASSERT_TRUE(ReadTopicStrings(longer.get(), topics));
  EXPECT_EQ(topics, (std::vector<std::u16string>{u"x", u"yz", u"w"}));
  const Array null_string = VariantArray(0, 1, [](ULONG, VARIANT& element) {
    element.vt = VT_BSTR;
    element.bstrVal = nullptr;
  });
  ASSERT_TRUE(ReadTopicStrings(null_string.get(), topics));
  EXPECT_EQ(topics, std::vector<std::u16string>{u""});
}

TEST(ReadTopicStringsTest, KeepsEmbeddedNulsAndReadsANullStringAsEmpty) {
  const Array array = VariantArray(0, 2, [](ULONG k, VARIANT& element) {
    element.vt = VT_BSTR;
    element.bstrVal = k == 0 ? SysAllocStringLen(L"a\0b", 3) : nullptr;
  });
  EXPECT_EQ(TopicStringsOf(array.get()), (std::vector<std::u16string>{std::u16string(u"a\0b", 3), u""}));
}

TEST(ReadTopicStringsTest, ReadsAnArrayOfBstr) {
  SAFEARRAYBOUND bound = {2, 0};
  const Array array(SafeArrayCreate(VT_BSTR, 1, &bound));
  for (LONG index = 0; index < 2; ++index) {
    BSTR text = SysAllocString(index == 0 ? L"x" : L"y");
    ASSERT_EQ(SafeArrayPutElement(array.get(), &index, text), S_OK);
    SysFreeString(text);
  }
  EXPECT_EQ(TopicStringsOf(array.get()), (std::vector<std::u16string>{u"x", u"y"}));
}

TEST(ReadTopicStringsTest, RefusesWhatIsNoListOfStrings) {
  EXPECT_EQ(TopicStringsOf(nullptr), std::nullopt);

  const Array with_number = VariantArray(0, 2, [](ULONG k, VARIANT& element) {
    if (k == 0) {
      element.vt = VT_BSTR;
      element.bstrVal = SysAllocString(L"a");
    } else {
      element.vt = VT_I4;
      element.lVal = 7;
    }
  });
  EXPECT_EQ(TopicStringsOf(with_number.get()), std::nullopt);

  const Array with_empty = VariantArray(0, 1, [](ULONG, VARIANT&) {});
  EXPECT_EQ(TopicStringsOf(with_empty.get()), std::nullopt);

  SAFEARRAYBOUND bound = {3, 0};
  const Array numbers(SafeArrayCreate(VT_I4, 1, &bound));
  EXPECT_EQ(TopicStringsOf(numbers.get()), std::nullopt);

  SAFEARRAYBOUND square[2] = {{2, 0}, {2, 0}};
  const Array two_dimensions(SafeArrayCreate(VT_VARIANT, 2, square));
  EXPECT_EQ(TopicStringsOf(two_dimensions.get()), std::nullopt);

  const Array too_many = StringArray(0, std::vector<std::wstring>(kMaxTopicStrings + 1, L"t"));
  EXPECT_EQ(TopicStringsOf(too_many.get()), std::nullopt);
  const Array most = StringArray(0, std::vector<std::wstring>(kMaxTopicStrings, L"t"));
  ASSERT_TRUE(TopicStringsOf(most.get()).has_value());
}

TEST(ReadTopicStringsTest, ReadsAStringHeldByReference) {
  BSTR held = SysAllocString(L"by reference");
  const Array array = VariantArray(0, 1, [&](ULONG, VARIANT& element) {
    element.vt = VT_BSTR | VT_BYREF;
    element.pbstrVal = &held;
  });
  EXPECT_EQ(TopicStringsOf(array.get()), (std::vector<std::u16string>{u"by reference"}));
  SysFreeString(held);
}

// An array whose descriptor claims elements narrower than its type would be read past its
// data if taken at its word.
TEST(ReadTopicStringsTest, RefusesAnArrayWhoseElementSizeIsNotItsType) {
  SAFEARRAY* raw = nullptr;
  ASSERT_EQ(SafeArrayAllocDescriptorEx(VT_VARIANT, 1, &raw), S_OK);
  const Array array(raw);
  array->rgsabound[0] = {2, 0};
  ASSERT_EQ(SafeArrayAllocData(array.get()), S_OK);
  array->cbElements = sizeof(LONG);
  EXPECT_EQ(TopicStringsOf(array.get()), std::nullopt);
  array->cbElements = sizeof(VARIANT);  // as it was made, so that it is destroyed as made
}

TEST(ReadTopicStringsTest, LeavesTheArrayUnlocked) {
  const Array array = StringArray(0, {L"a", L"b"});
  ASSERT_TRUE(TopicStringsOf(array.get()).has_value());
  EXPECT_EQ(array->cLocks, 0u);
  const Array refused = VariantArray(0, 1, [](ULONG, VARIANT& element) {
    element.vt = VT_I4;
    element.lVal = 1;
  });
  ASSERT_EQ(TopicStringsOf(refused.get()), std::nullopt);
  EXPECT_EQ(refused->cLocks, 0u) << "a refused array is unlocked too";
  EXPECT_EQ(SafeArrayDestroyData(array.get()), S_OK) << "a locked array cannot be destroyed";
}

LONG Element(SAFEARRAY* array, LONG row, LONG column) {
  LONG index[2] = {row, column};
  VARIANT value;
  VariantInit(&value);
  EXPECT_EQ(SafeArrayGetElement(array, index, &value), S_OK);
  EXPECT_EQ(value.vt, VT_I4);
  const LONG number = value.lVal;
  VariantClear(&value);
  return number;
}

TEST(MakeRefreshArrayTest, IsTwoByTopicsWithEachTopicAsItsOwnValue) {
  const Array array(MakeRefreshArray({7, 9, 12}));
  ASSERT_NE(array, nullptr);
  ASSERT_EQ(SafeArrayGetDim(array.get()), 2u);
  VARTYPE type = VT_EMPTY;
  ASSERT_EQ(SafeArrayGetVartype(array.get(), &type), S_OK);
  EXPECT_EQ(type, VT_VARIANT);
  LONG lower = -1;
  LONG upper = -1;
  SafeArrayGetLBound(array.get(), 1, &lower);
  SafeArrayGetUBound(array.get(), 1, &upper);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 1);
  SafeArrayGetLBound(array.get(), 2, &lower);
  SafeArrayGetUBound(array.get(), 2, &upper);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 2);
  const LONG topics[] = {7, 9, 12};
  for (LONG k = 0; k < 3; ++k) {
    EXPECT_EQ(Element(array.get(), 0, k), topics[k]);
    EXPECT_EQ(Element(array.get(), 1, k), topics[k]);
  }
  // Excel reads each topic's id and value as one pair in memory.
  VARIANT* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array.get(), reinterpret_cast<void**>(&data)), S_OK);
  EXPECT_EQ(data[2].lVal, 9);
  EXPECT_EQ(data[3].lVal, 9);
  SafeArrayUnaccessData(array.get());
}

TEST(MakeRefreshArrayTest, NoTopicGivesAnArrayWithoutColumns) {
  const Array array(MakeRefreshArray({}));
  ASSERT_NE(array, nullptr);
  ASSERT_EQ(SafeArrayGetDim(array.get()), 2u);
  EXPECT_EQ(array->rgsabound[0].cElements, 0u) << "the last dimension is stored first";
  EXPECT_EQ(array->rgsabound[1].cElements, 2u);
  VARTYPE type = VT_EMPTY;
  ASSERT_EQ(SafeArrayGetVartype(array.get(), &type), S_OK);
  EXPECT_EQ(type, VT_VARIANT);
  // Excel destroys what it is given; the array without data must go as one with data goes.
  VARIANT answer;
  VariantInit(&answer);
  answer.vt = VT_ARRAY | VT_VARIANT;
  answer.parray = MakeRefreshArray({});
  ASSERT_NE(answer.parray, nullptr);
  EXPECT_EQ(VariantClear(&answer), S_OK);
}

}  // namespace
}  // namespace orra
