#include "addin/rtd_variants_win32.h"

#include <oleauto.h>

namespace orra {
namespace {

// The array locked from construction to the end of the scope, so that its descriptor and data
// stay where they are while they are read in place. Excel calls ConnectData once per cell:
// one lock and the descriptor's fields read directly cost a fraction of one oleaut32 call per
// field and a BSTR copied out per string.
class ArrayLock {
 public:
  explicit ArrayLock(SAFEARRAY* array) : array_(SUCCEEDED(SafeArrayLock(array)) ? array : nullptr) {}
  ~ArrayLock() {
    if (array_ != nullptr) SafeArrayUnlock(array_);
  }
  ArrayLock(const ArrayLock&) = delete;
  ArrayLock& operator=(const ArrayLock&) = delete;
  bool locked() const { return array_ != nullptr; }

 private:
  SAFEARRAY* array_;
};

void AssignText(BSTR text, std::u16string& into) {
  if (text == nullptr) {
    into.clear();
    return;
  }
  into.assign(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

// A VARIANT element as text into `into`, or false when it is no string.
bool AssignVariantText(const VARIANT& element, std::u16string& into) {
  if (element.vt == VT_BSTR) {
    AssignText(element.bstrVal, into);
    return true;
  }
  if (element.vt == (VT_BSTR | VT_BYREF) && element.pbstrVal != nullptr) {
    AssignText(*element.pbstrVal, into);
    return true;
  }
  return false;
}

}  // namespace

bool ReadTopicStrings(SAFEARRAY* strings, std::vector<std::u16string>& topics) {
  if (strings == nullptr) return false;
  const ArrayLock lock(strings);
  if (!lock.locked() || strings->cDims != 1) return false;
  // The feature flags say what the elements are, as SafeArrayGetVartype reads them for an
  // array of VARIANT or of BSTR; the element size is the caller's word too, so elements are
  // read in place only at their own size.
  const bool variants = (strings->fFeatures & FADF_VARIANT) != 0;
  const bool bstrs = (strings->fFeatures & FADF_BSTR) != 0;
  if (variants == bstrs || strings->cbElements != (variants ? sizeof(VARIANT) : sizeof(BSTR))) return false;
  const ULONG count = strings->rgsabound[0].cElements;
  if (count > kMaxTopicStrings || (count > 0 && strings->pvData == nullptr)) return false;

  topics.resize(count);
  for (size_t k = 0; k < count; ++k) {
    if (bstrs) {
      AssignText(static_cast<const BSTR*>(strings->pvData)[k], topics[k]);
    } else if (!AssignVariantText(static_cast<const VARIANT*>(strings->pvData)[k], topics[k])) {
      return false;
    }
  }
  return true;
}

SAFEARRAY* MakeRefreshArray(const std::vector<TopicId>& topics) {
  SAFEARRAY* array = nullptr;
  if (FAILED(SafeArrayAllocDescriptorEx(VT_VARIANT, 2, &array))) return nullptr;
  // The descriptor holds the last dimension first.
  array->rgsabound[0] = {static_cast<ULONG>(topics.size()), 0};
  array->rgsabound[1] = {2, 0};
  // Excel calls RefreshData on every tick of the server's timer, mostly with nothing changed:
  // an empty array goes without the data block that would double such a call's allocations.
  if (topics.empty()) return array;
  if (FAILED(SafeArrayAllocData(array))) {
    SafeArrayDestroyDescriptor(array);
    return nullptr;
  }
  // The array is nobody else's until it is returned, so its data is written without a lock.
  // The first index varies fastest: element (row, k) is at 2k + row, each topic's id beside
  // its value.
  VARIANT* elements = static_cast<VARIANT*>(array->pvData);
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
