#include "addin/rtd_variants_win32.h"

#include <oleauto.h>

namespace orra {
namespace {

std::u16string TextOf(BSTR text) {
  if (text == nullptr) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

// One element of a VARIANT array as text, or nullopt when it is no string.
std::optional<std::u16string> VariantElement(SAFEARRAY* strings, LONG index) {
  VARIANT element;
  VariantInit(&element);
  if (FAILED(SafeArrayGetElement(strings, &index, &element))) return std::nullopt;
  std::optional<std::u16string> text;
  if (element.vt == VT_BSTR) {
    text = TextOf(element.bstrVal);
  } else if (element.vt == (VT_BSTR | VT_BYREF) && element.pbstrVal != nullptr) {
    text = TextOf(*element.pbstrVal);
  }
  VariantClear(&element);
  return text;
}

std::optional<std::u16string> BstrElement(SAFEARRAY* strings, LONG index) {
  BSTR element = nullptr;
  if (FAILED(SafeArrayGetElement(strings, &index, &element))) return std::nullopt;
  std::u16string text = TextOf(element);
  SysFreeString(element);
  return text;
}

}  // namespace

std::optional<std::vector<std::u16string>> TopicStringsOf(SAFEARRAY* strings) {
  if (strings == nullptr || SafeArrayGetDim(strings) != 1) return std::nullopt;
  VARTYPE type = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(strings, &type)) || (type != VT_VARIANT && type != VT_BSTR)) return std::nullopt;
  LONG lower = 0;
  LONG upper = 0;
  if (FAILED(SafeArrayGetLBound(strings, 1, &lower)) || FAILED(SafeArrayGetUBound(strings, 1, &upper))) {
    return std::nullopt;
  }
  const LONGLONG count = static_cast<LONGLONG>(upper) - lower + 1;
  if (count < 0 || count > static_cast<LONGLONG>(kMaxTopicStrings)) return std::nullopt;

  std::vector<std::u16string> topics;
  topics.reserve(static_cast<size_t>(count));
  for (LONGLONG k = 0; k < count; ++k) {
    const LONG index = static_cast<LONG>(lower + k);
    std::optional<std::u16string> text = type == VT_VARIANT ? VariantElement(strings, index) : BstrElement(strings, index);
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
  if (array == nullptr) return nullptr;
  for (size_t k = 0; k < topics.size(); ++k) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = topics[k];
    for (LONG row = 0; row < 2; ++row) {
      LONG index[2] = {row, static_cast<LONG>(k)};
      if (FAILED(SafeArrayPutElement(array, index, &value))) {
        SafeArrayDestroy(array);
        return nullptr;
      }
    }
  }
  return array;
}

}  // namespace orra
