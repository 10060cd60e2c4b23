#include "addin/rtd_variants_win32.h"

#include <oleauto.h>

namespace orra {
namespace {

// The array's elements in place from SafeArrayAccessData to the end of the scope: Excel calls
// ConnectData once per cell, and copying each element out (a BSTR allocated and freed per
// string) would cost more than the RTD logic that reads the strings.
class ArrayData {
 public:
  explicit ArrayData(SAFEARRAY* array) : array_(array) {
    if (FAILED(SafeArrayAccessData(array_, &data_))) data_ = nullptr;
  }
  ~ArrayData() {
    if (data_ != nullptr) SafeArrayUnaccessData(array_);
  }
  ArrayData(const ArrayData&) = delete;
  ArrayData& operator=(const ArrayData&) = delete;
  void* get() const { return data_; }

 private:
  SAFEARRAY* array_;
  void* data_ = nullptr;
};

std::u16string TextOf(BSTR text) {
  if (text == nullptr) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

// A VARIANT element as text, or nullopt when it is no string.
std::optional<std::u16string> VariantText(const VARIANT& element) {
  if (element.vt == VT_BSTR) return TextOf(element.bstrVal);
  if (element.vt == (VT_BSTR | VT_BYREF) && element.pbstrVal != nullptr) return TextOf(*element.pbstrVal);
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::u16string>> TopicStringsOf(SAFEARRAY* strings) {
  if (strings == nullptr || SafeArrayGetDim(strings) != 1) return std::nullopt;
  VARTYPE type = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(strings, &type)) || (type != VT_VARIANT && type != VT_BSTR)) return std::nullopt;
  // The element size is the caller's word too: elements are read in place only at their own size.
  if (SafeArrayGetElemsize(strings) != (type == VT_VARIANT ? sizeof(VARIANT) : sizeof(BSTR))) return std::nullopt;
  LONG lower = 0;
  LONG upper = 0;
  if (FAILED(SafeArrayGetLBound(strings, 1, &lower)) || FAILED(SafeArrayGetUBound(strings, 1, &upper))) {
    return std::nullopt;
  }
  const LONGLONG count = static_cast<LONGLONG>(upper) - lower + 1;
  if (count < 0 || count > static_cast<LONGLONG>(kMaxTopicStrings)) return std::nullopt;

  std::vector<std::u16string> topics;
  if (count == 0) return topics;
  const ArrayData data(strings);
  if (data.get() == nullptr) return std::nullopt;
  topics.reserve(static_cast<size_t>(count));
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    if (type == VT_BSTR) {
      topics.push_back(TextOf(static_cast<const BSTR*>(data.get())[k]));
      continue;
    }
    std::optional<std::u16string> text = VariantText(static_cast<const VARIANT*>(data.get())[k]);
    if (!text) return std::nullopt;
    topics.push_back(std::move(*text));
  }
  return topics;
}

SAFEARRAY* MakeRefreshArray(const std::vector<TopicId>& topics) {
  SAFEARRAYBOUND bounds[2] = {};
  bounds[0].cElements = 2;
  bounds[1].cElements = static_cast<ULONG>(topics.size());
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  if (array == nullptr || topics.empty()) return array;
  const ArrayData data(array);
  if (data.get() == nullptr) {
    SafeArrayDestroy(array);
    return nullptr;
  }
  // The first index varies fastest: element (row, k) is at 2k + row, each topic's id beside
  // its value. SafeArrayCreate left every element VT_EMPTY, so nothing is to be cleared.
  VARIANT* elements = static_cast<VARIANT*>(data.get());
  for (size_t k = 0; k < topics.size(); ++k) {
    for (size_t row = 0; row < 2; ++row) {
      VARIANT& element = elements[2 * k + row];
      element.vt = VT_I4;
      element.lVal = topics[k];
    }
  }
  return array;
}

}  // namespace orra
