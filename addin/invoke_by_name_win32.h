#pragma once
// InvokeByName: one late-bound call on an object of Excel's (or of any automation server): the
// member is looked up by name (GetIDsOfNames), then called through IDispatch::Invoke with the
// flags the object model gives it. Nothing depends on a type library, so any Excel version and
// the stand-in Excel serve.
//
// The thread whose apartment `object` belongs to. No call throws.

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <span>

namespace orra {

// The most arguments one call passes; Excel's members the add-in calls take at most four.
constexpr std::size_t kMostInvokeArguments = 8;

// object.member(arguments) with `flags`. `arguments` come in the order Excel's documentation
// lists them (Invoke receives them last first); a property put passes its one value as the
// named argument DISPID_PROPERTYPUT. The arguments stay the caller's. `result` and `exception`
// may be null; a filled `exception` is the caller's to free. E_POINTER without an object,
// DISP_E_BADPARAMCOUNT for more than kMostInvokeArguments arguments, otherwise what
// GetIDsOfNames or Invoke answered.
HRESULT InvokeByName(IDispatch* object, const wchar_t* member, WORD flags, std::span<const VARIANT> arguments,
                     VARIANT* result, EXCEPINFO* exception) noexcept;

}  // namespace orra
