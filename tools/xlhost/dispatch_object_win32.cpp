#include "tools/xlhost/dispatch_object_win32.h"

#include <cmath>

#include "common/ascii_text.h"

namespace orra::xlhost {
namespace {

const DispatchMember* FindMember(std::span<const DispatchMember> members, DISPID id) {
  for (const DispatchMember& member : members) {
    if (member.id == id) return &member;
  }
  return nullptr;
}

bool IsOmitted(const VARIANT& variant) { return V_VT(&variant) == VT_ERROR && V_ERROR(&variant) == DISP_E_PARAMNOTFOUND; }

}  // namespace

const VARIANT& Dereferenced(const VARIANT& variant) {
  if (V_VT(&variant) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&variant) != nullptr) {
    return *V_VARIANTREF(&variant);
  }
  return variant;
}

const VARIANT* Invocation::Argument(size_t index) const {
  if (index >= count()) return nullptr;
  // The positional arguments follow the named ones in rgvarg, last argument first.
  const VARIANT& argument = Dereferenced(params_.rgvarg[params_.cArgs - 1 - index]);
  return IsOmitted(argument) ? nullptr : &argument;
}

const VARIANT* Invocation::put_value() const {
  for (UINT i = 0; i < params_.cNamedArgs; ++i) {
    if (params_.rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) return &Dereferenced(params_.rgvarg[i]);
  }
  return nullptr;
}

std::optional<bool> BoolOf(const VARIANT& variant) {
  const VARIANT& value = Dereferenced(variant);
  if (V_VT(&value) == VT_BOOL) return V_BOOL(&value) != VARIANT_FALSE;
  if (V_VT(&value) == (VT_BYREF | VT_BOOL) && V_BOOLREF(&value) != nullptr) return *V_BOOLREF(&value) != VARIANT_FALSE;
  return std::nullopt;
}

std::optional<int64_t> IntegerOf(const VARIANT& variant) {
  const VARIANT& value = Dereferenced(variant);
  switch (V_VT(&value)) {
    case VT_I1: return V_I1(&value);
    case VT_UI1: return V_UI1(&value);
    case VT_I2: return V_I2(&value);
    case VT_UI2: return V_UI2(&value);
    case VT_I4: return V_I4(&value);
    case VT_UI4: return V_UI4(&value);
    case VT_INT: return V_INT(&value);
    case VT_I8: return V_I8(&value);
    case VT_R8: {
      // A whole number in the range any count or constant of Excel's can take.
      const double number = V_R8(&value);
      if (std::trunc(number) != number || std::fabs(number) > 1e15) return std::nullopt;
      return static_cast<int64_t>(number);
    }
    case VT_BYREF | VT_I4:
      if (V_I4REF(&value) != nullptr) return *V_I4REF(&value);
      return std::nullopt;
    default: return std::nullopt;
  }
}

std::optional<std::u16string> TextOf(const VARIANT& variant) {
  const VARIANT& value = Dereferenced(variant);
  const BSTR* text = nullptr;
  if (V_VT(&value) == VT_BSTR) text = &V_BSTR(&value);
  if (V_VT(&value) == (VT_BYREF | VT_BSTR)) text = V_BSTRREF(&value);
  if (text == nullptr) return std::nullopt;
  // A null BSTR is the empty string; the length is the one the string carries.
  if (*text == nullptr) return std::u16string();
  return std::u16string(reinterpret_cast<const char16_t*>(*text), SysStringLen(*text));
}

bool PutText(VARIANT& result, std::u16string_view text) {
  const BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  if (copy == nullptr) return false;
  V_VT(&result) = VT_BSTR;
  V_BSTR(&result) = copy;
  return true;
}

void PutBool(VARIANT& result, bool value) {
  V_VT(&result) = VT_BOOL;
  V_BOOL(&result) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void PutDispatch(VARIANT& result, IDispatch* object) {
  V_VT(&result) = VT_DISPATCH;
  V_DISPATCH(&result) = object;
}

HRESULT Admitted(const ApartmentGate& gate) {
  switch (gate.CheckCall()) {
    case CallRefusal::kWrongThread: return RPC_E_WRONG_THREAD;
    case CallRefusal::kEditing: return RPC_E_CALL_REJECTED;
    case CallRefusal::kNone: return S_OK;
  }
  return E_UNEXPECTED;
}

HRESULT CheckInvoke(const ApartmentGate& gate, DISPID member, std::span<const DispatchMember> members,
                    WORD flags, const DISPPARAMS* params) {
  if (const HRESULT admitted = Admitted(gate); FAILED(admitted)) return admitted;
  if (params == nullptr) return E_INVALIDARG;
  if (FindMember(members, member) == nullptr) return DISP_E_MEMBERNOTFOUND;
  if ((params->cArgs > 0 && params->rgvarg == nullptr) || params->cNamedArgs > params->cArgs ||
      (params->cNamedArgs > 0 && params->rgdispidNamedArgs == nullptr)) {
    return E_INVALIDARG;
  }
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  if (put != (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT)) {
    return put ? DISP_E_PARAMNOTOPTIONAL : DISP_E_NONAMEDARGS;
  }
  if (params->cArgs - params->cNamedArgs > kMaxDispatchArguments) return DISP_E_BADPARAMCOUNT;
  return S_OK;
}

HRESULT FindDispatchIds(const ApartmentGate& gate, std::span<const DispatchMember> members,
                        LPOLESTR* names, UINT count, DISPID* ids) {
  if (const HRESULT admitted = Admitted(gate); FAILED(admitted)) return admitted;
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (names[0] == nullptr) return DISP_E_UNKNOWNNAME;
  const std::u16string_view name(reinterpret_cast<const char16_t*>(names[0]));
  for (const DispatchMember& member : members) {
    if (EqualsIgnoringAsciiCase(member.name, name)) {
      ids[0] = member.id;
      // Our members take their arguments by position: no argument name is known.
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

}  // namespace orra::xlhost
