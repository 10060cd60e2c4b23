#pragma once
// VARIANT values as a COM client passes them to IDispatch::Invoke, for tests. Each answers a
// plain VARIANT: a test puts them in argument arrays and SAFEARRAYs, which copy what they hold.
// Only VariantText allocates (a BSTR the test frees with VariantClear); VariantObject lends the
// object without a reference, and VariantReference points at storage the test keeps alive.

#include <windows.h>
#include <oleauto.h>

namespace orra::testing {

inline VARIANT VariantLong(LONG number) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_I4;
  V_I4(&value) = number;
  return value;
}

inline VARIANT VariantNumber(double number) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_R8;
  V_R8(&value) = number;
  return value;
}

inline VARIANT VariantText(const wchar_t* text) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocString(text);
  return value;
}

inline VARIANT VariantBool(bool flag) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_BOOL;
  V_BOOL(&value) = flag ? VARIANT_TRUE : VARIANT_FALSE;
  return value;
}

inline VARIANT VariantObject(IDispatch* object) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_DISPATCH;
  V_DISPATCH(&value) = object;
  return value;
}

// An optional argument left out, as VB clients send it.
inline VARIANT VariantOmitted() {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_ERROR;
  V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
  return value;
}

// `type` | VT_BYREF, pointing at `storage`.
inline VARIANT VariantReference(VARTYPE type, void* storage) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = static_cast<VARTYPE>(type | VT_BYREF);
  V_BYREF(&value) = storage;
  return value;
}

}  // namespace orra::testing
