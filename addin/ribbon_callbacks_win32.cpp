// Placeholder until the ribbon's callbacks are merged: every callback answers E_NOTIMPL, so
// that the DLL links and its COM class can be driven meanwhile.
#include "addin/ribbon_callbacks_win32.h"

namespace orra {

struct RibbonCallbacks::State {};

RibbonCallbacks::RibbonCallbacks(AddinRuntime&) : state_(std::make_unique<State>()) {}
RibbonCallbacks::~RibbonCallbacks() = default;
void RibbonCallbacks::Connect(HWND, ExcelObjectModel*) {}
void RibbonCallbacks::Disconnect() {}
HRESULT RibbonCallbacks::GetCustomUI(BSTR, BSTR*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::OnGetImage(BSTR, IDispatch**) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::OnButtonHelpClick(IDispatch*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::GetImage(IDispatch*, IDispatch**) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::getEnabled(IDispatch*, VARIANT_BOOL*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::ribbonLoaded(IDispatch*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::OnClickRefreshEx(IDispatch*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::GetItemImage(IDispatch*, long, IDispatch**) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::OnClickInsertFunctionEx(IDispatch*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::OnClickInsertStock(IDispatch*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::OnClickFormatRefreshEx(IDispatch*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::OnClickDataRefreshEx(IDispatch*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::OnDevelopModeEx(IDispatch*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::OnClickAllRefreshEx(IDispatch*) noexcept { return E_NOTIMPL; }
HRESULT RibbonCallbacks::getVisible(IDispatch*, VARIANT_BOOL*) noexcept { return E_NOTIMPL; }

}  // namespace orra
