#pragma once
// RtdServerDispatch: IRtdServer's IDispatch. Excel calls ConnectData once per cell and
// RefreshData and DisconnectData in bursts, by dispatch id through Invoke; under the type
// library's Invoke each call would have its arguments copied (the topic array element by
// element) and its result converted, costing more than the RTD logic behind it. Invoke
// therefore hands Excel's own forms of these three calls straight to the methods, the
// caller's array by its own pointer; every other call and form (arguments by value, named
// arguments, a property access, another method) goes to the type library as before.
//
// The thread of the object's apartment (Excel's main thread).

#include <windows.h>
#include <oaidl.h>

#include <optional>

#include "addin/dispatch_of_win32.h"
#include "addin/office_interfaces.h"

namespace orra {

// IRtdServer's dispatch ids, as Office's type library numbers them.
constexpr DISPID kConnectDataId = 11;
constexpr DISPID kRefreshDataId = 12;
constexpr DISPID kDisconnectDataId = 13;

// The call on `server` when it is one of Excel's forms of ConnectData, RefreshData or
// DisconnectData: its HRESULT, the result written to `result`. Nullopt for any other call,
// which is left untouched for the type library.
std::optional<HRESULT> InvokeRtdDirectly(IRtdServer& server, DISPID member, REFIID riid, WORD flags,
                                         const DISPPARAMS* params, VARIANT* result) noexcept;

class RtdServerDispatch : public DispatchOf<IRtdServer, TypeLibraryResource::kOffice> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argument_error) noexcept override {
    if (const std::optional<HRESULT> direct = InvokeRtdDirectly(*this, member, riid, flags, params, result)) {
      return *direct;
    }
    return DispatchOf::Invoke(member, riid, locale, flags, params, result, exception, argument_error);
  }
};

}  // namespace orra
