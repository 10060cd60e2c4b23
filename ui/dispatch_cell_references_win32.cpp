#include "ui/dispatch_cell_references_win32.h"

#include <oleauto.h>

#include <array>
#include <span>
#include <string>

#include "addin/invoke_by_name_win32.h"
#include "addin/variant_win32.h"

namespace orra {
namespace {

// XlReferenceStyle.xlA1, for Range.Address.
constexpr LONG kReferenceStyleA1 = 1;
// Excel takes no reference text longer than a formula's 8192 characters; a longer one is no
// range without asking.
constexpr size_t kLongestRangeText = 8192;

// A property get of `name` on `object`. DISPATCH_METHOD too, as VB clients call Excel's
// parameterised properties.
HRESULT GetProperty(IDispatch* object, const wchar_t* name, std::span<const VARIANT> arguments, Variant& result) {
  return InvokeByName(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, arguments, result.get(), nullptr);
}

VARIANT Omitted() {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_ERROR;
  value.scode = DISP_E_PARAMNOTFOUND;
  return value;
}

}  // namespace

std::optional<std::u16string> DispatchCellReferences::ActiveCellAddress() {
  Variant cell;
  if (FAILED(GetProperty(application_.Get(), L"ActiveCell", {}, cell))) return std::nullopt;
  if ((*cell).vt != VT_DISPATCH || (*cell).pdispVal == nullptr) return std::nullopt;
  // Address(RowAbsolute, ColumnAbsolute, ReferenceStyle, External): absolute by default.
  std::array<VARIANT, 4> arguments = {Omitted(), Omitted(), VARIANT{}, VARIANT{}};
  arguments[2].vt = VT_I4;
  arguments[2].lVal = kReferenceStyleA1;
  arguments[3].vt = VT_BOOL;
  arguments[3].boolVal = VARIANT_TRUE;
  Variant address;
  if (FAILED(GetProperty((*cell).pdispVal, L"Address", arguments, address))) return std::nullopt;
  if ((*address).vt != VT_BSTR || (*address).bstrVal == nullptr) return std::nullopt;
  const BSTR text = (*address).bstrVal;
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

bool DispatchCellReferences::IsRange(std::u16string_view text) {
  if (text.size() > kLongestRangeText) return false;
  std::array<VARIANT, 1> arguments{};
  arguments[0].vt = VT_BSTR;
  arguments[0].bstrVal =
      SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  if (arguments[0].bstrVal == nullptr) return false;
  Variant range;
  const HRESULT called = GetProperty(application_.Get(), L"Range", arguments, range);
  VariantClear(&arguments[0]);
  return SUCCEEDED(called) && (*range).vt == VT_DISPATCH && (*range).pdispVal != nullptr;
}

}  // namespace orra
