#include "addin/invoke_by_name_win32.h"

#include <array>

namespace orra {

HRESULT InvokeByName(IDispatch* object, const wchar_t* member, WORD flags, std::span<const VARIANT> arguments,
                     VARIANT* result, EXCEPINFO* exception) noexcept {
  if (object == nullptr) return E_POINTER;
  if (arguments.size() > kMostInvokeArguments) return DISP_E_BADPARAMCOUNT;
  // GetIDsOfNames only reads the name; its signature is older than const.
  LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(found)) return found;
  // Shallow copies: the caller keeps what the arguments own.
  std::array<VARIANT, kMostInvokeArguments> reversed{};
  for (std::size_t i = 0; i < arguments.size(); ++i) reversed[arguments.size() - 1 - i] = arguments[i];
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{arguments.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(arguments.size()),
                        0};
  if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
    parameters.rgdispidNamedArgs = &put;
    parameters.cNamedArgs = 1;
  }
  UINT bad_argument = 0;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, exception, &bad_argument);
}

}  // namespace orra
