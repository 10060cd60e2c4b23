#include "addin/dispatch_of_win32.h"

#include <oleauto.h>

#include <new>
#include <string>
#include <vector>

namespace orra {
namespace {

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The path LoadTypeLibEx reads resource `library` from: the DLL's own path for the first
// TYPELIB resource, the path followed by "\<number>" for another.
std::wstring TypeLibraryPath(TypeLibraryResource library) {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  if (library != TypeLibraryResource::kOwn) path += L"\\" + std::to_wstring(static_cast<int>(library));
  return path;
}

// The function description of `member` called as `flags`, released with the holder.
class FunctionDescription {
 public:
  FunctionDescription(ITypeInfo* info, DISPID member, WORD flags) : info_(info) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes))) return;
    const UINT functions = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < functions && description_ == nullptr; ++i) {
      FUNCDESC* candidate = nullptr;
      if (FAILED(info->GetFuncDesc(i, &candidate))) continue;
      if (candidate->memid == member && (candidate->invkind & flags) != 0) {
        description_ = candidate;
      } else {
        info->ReleaseFuncDesc(candidate);
      }
    }
  }
  ~FunctionDescription() {
    if (description_ != nullptr) info_->ReleaseFuncDesc(description_);
  }
  FunctionDescription(const FunctionDescription&) = delete;
  FunctionDescription& operator=(const FunctionDescription&) = delete;

  const FUNCDESC* get() const { return description_; }

 private:
  ITypeInfo* info_;
  FUNCDESC* description_ = nullptr;
};

// Whether `value`, passed by value, is what a parameter declared as pointer to `pointee` wants.
bool MatchesPointee(VARTYPE value, const TYPEDESC& pointee) {
  if (pointee.vt == VT_SAFEARRAY) return (value & VT_ARRAY) != 0;
  return value == pointee.vt;
}

// Points a by-reference form at the value of each positional argument that came by value where
// the description declares a pointer. The forms share the callers' storage, so what the method
// writes through them lands in the callers' arguments.
void ReferenceByValueArguments(const FUNCDESC& description, DISPPARAMS& params, std::vector<VARIANTARG>& forms) {
  for (UINT i = 0; i < params.cArgs; ++i) {
    const UINT position = params.cArgs - 1 - i;  // rgvarg holds the last argument first
    if (position >= static_cast<UINT>(description.cParams)) continue;
    const TYPEDESC& declared = description.lprgelemdescParam[position].tdesc;
    VARIANTARG& form = forms[i];
    if (declared.vt != VT_PTR || declared.lptdesc == nullptr || (form.vt & VT_BYREF) != 0) continue;
    const TYPEDESC& pointee = *declared.lptdesc;
    if (pointee.vt == VT_USERDEFINED) continue;  // an interface pointer comes as VT_DISPATCH or VT_UNKNOWN
    if (pointee.vt == VT_VARIANT) {
      form.vt = VT_VARIANT | VT_BYREF;
      form.pvarVal = &params.rgvarg[i];
    } else if (MatchesPointee(form.vt, pointee)) {
      form.vt = static_cast<VARTYPE>(form.vt | VT_BYREF);
      form.byref = &params.rgvarg[i].llVal;  // every member of the value union starts there
    }
  }
}

}  // namespace

HRESULT LoadInterfaceTypeInfo(TypeLibraryResource library, REFIID interface_id, InterfaceTypeInfo& info) noexcept {
  try {
    const std::wstring path = TypeLibraryPath(library);
    if (path.empty()) return TYPE_E_CANTLOADLIBRARY;
    ComPtr<ITypeLib> type_library;
    HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, type_library.Put());
    if (FAILED(result)) return result;
    ComPtr<ITypeInfo> dispatch;
    result = type_library->GetTypeInfoOfGuid(interface_id, dispatch.Put());
    if (FAILED(result)) return result;

    // A dual interface is described twice; the vtable half is the one to call through.
    ComPtr<ITypeInfo> vtable;
    TYPEATTR* attributes = nullptr;
    result = dispatch->GetTypeAttr(&attributes);
    if (FAILED(result)) return result;
    const bool dual = attributes->typekind == TKIND_DISPATCH && (attributes->wTypeFlags & TYPEFLAG_FDUAL) != 0;
    dispatch->ReleaseTypeAttr(attributes);
    if (dual) {
      HREFTYPE reference = 0;
      result = dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference);
      if (SUCCEEDED(result)) result = dispatch->GetRefTypeInfo(reference, vtable.Put());
      if (FAILED(result)) return result;
    } else {
      vtable = ComPtr<ITypeInfo>::Share(dispatch.Get());
    }
    info.dispatch = std::move(dispatch);
    info.vtable = std::move(vtable);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT GetIdsOfNamesByTypeInfo(ITypeInfo* info, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) noexcept {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr) return E_POINTER;
  return DispGetIDsOfNames(info, names, count, ids);
}

HRESULT InvokeByTypeInfo(ITypeInfo* info, void* self, DISPID member, REFIID riid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argument_error) noexcept {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (params == nullptr) return E_INVALIDARG;
  if (params->cArgs > 0 && params->rgvarg == nullptr) return E_INVALIDARG;
  try {
    if (params->cArgs == 0 || params->cNamedArgs != 0) {
      return DispInvoke(self, info, member, flags, params, result, exception, argument_error);
    }
    const FunctionDescription description(info, member, flags);
    if (description.get() == nullptr) {
      return DispInvoke(self, info, member, flags, params, result, exception, argument_error);
    }
    std::vector<VARIANTARG> forms(params->rgvarg, params->rgvarg + params->cArgs);
    DISPPARAMS referenced = *params;
    referenced.rgvarg = forms.data();
    ReferenceByValueArguments(*description.get(), *params, forms);
    return DispInvoke(self, info, member, flags, &referenced, result, exception, argument_error);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace orra
