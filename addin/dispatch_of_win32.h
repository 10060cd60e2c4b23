#pragma once
// DispatchOf<I, library>: IDispatch for one dual interface I of a COM class, driven by I's
// description in one of the DLL's type libraries. A class that implements several dual
// interfaces derives from one DispatchOf per interface, so that each answers its own names
// and dispatch ids (the ids of different interfaces collide: 1, 10 and 11 mean different
// methods on ITesselExcel, _IDTExtensibility2 and IRtdServer), and overrides only IUnknown.
//
// Invoke accepts an argument that the description passes by reference both in that form and by
// value: callers such as Excel's RTD client send VT_BYREF forms, others send plain values.
//
// The thread of the object's apartment (Excel's main thread).

#include <windows.h>
#include <oaidl.h>

#include "addin/com_ptr_win32.h"

namespace orra {

// The DLL's TYPELIB resources: its own interface (registered) and Office's and Excel's
// interfaces as the DLL declares them (read from the resource only, never registered).
enum class TypeLibraryResource { kOwn = 1, kOffice = 2 };

// The type descriptions of one interface: the dispatch one that GetTypeInfo hands out and the
// vtable one that Invoke calls through (the same for a pure dispatch interface).
struct InterfaceTypeInfo {
  ComPtr<ITypeInfo> dispatch;
  ComPtr<ITypeInfo> vtable;
};

// Reads the description of `interface_id` from the DLL's own resource `library`.
HRESULT LoadInterfaceTypeInfo(TypeLibraryResource library, REFIID interface_id, InterfaceTypeInfo& info) noexcept;

HRESULT GetIdsOfNamesByTypeInfo(ITypeInfo* info, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) noexcept;

// ITypeInfo::Invoke on `self` (the interface the description describes), by-value arguments
// first turned into the by-reference forms the description asks for.
HRESULT InvokeByTypeInfo(ITypeInfo* info, void* self, DISPID member, REFIID riid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argument_error) noexcept;

template <typename I, TypeLibraryResource kLibrary>
class DispatchOf : public I {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const HRESULT loaded = Load();
    if (FAILED(loaded)) return loaded;
    *info = ComPtr<ITypeInfo>::Share(info_.dispatch.Get()).Detach();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) noexcept override {
    const HRESULT loaded = Load();
    if (FAILED(loaded)) return loaded;
    return GetIdsOfNamesByTypeInfo(info_.vtable.Get(), riid, names, count, ids);
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argument_error) noexcept override {
    const HRESULT loaded = Load();
    if (FAILED(loaded)) return loaded;
    return InvokeByTypeInfo(info_.vtable.Get(), static_cast<I*>(this), member, riid, flags, params, result, exception,
                            argument_error);
  }

 private:
  HRESULT Load() noexcept {
    if (info_.vtable) return S_OK;
    return LoadInterfaceTypeInfo(kLibrary, __uuidof(I), info_);
  }

  InterfaceTypeInfo info_;
};

}  // namespace orra
