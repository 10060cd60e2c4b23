#pragma once
// RibbonCallbacks: what the add-in object answers when Excel's ribbon calls it back, through
// IRibbonExtensibility (GetCustomUI) and by name through ITesselExcel (the callbacks the ribbon
// XML names, and the others a caller may reach by name). The add-in object owns one and
// forwards each COM method to it unchanged. Each method is a catch-all boundary: it answers
// an HRESULT and lets no exception out.
//
// Excel's main thread only.

#include <windows.h>
#include <oaidl.h>

#include <memory>

#include "addin/addin_runtime.h"
#include "addin/dialog_thread.h"
#include "request/excel_object_model.h"

namespace orra {

class RibbonCallbacks {
 public:
  // `runtime` (the login check, the requests, developer mode's environment and cell messages)
  // must outlive this object.
  explicit RibbonCallbacks(AddinRuntime& runtime);
  ~RibbonCallbacks();
  RibbonCallbacks(const RibbonCallbacks&) = delete;
  RibbonCallbacks& operator=(const RibbonCallbacks&) = delete;

  // OnConnection: Excel's main window owns the message boxes from now on; `excel` (null when
  // Excel offered no object model) drives the refresh commands; `dialogs` (null when no
  // user-interface thread runs) opens the dialogs. All stay valid until Disconnect.
  void Connect(HWND excel_window, ExcelObjectModel* excel, DialogThread* dialogs);
  // OnDisconnection: no refresh command runs from now on.
  void Disconnect();

  HRESULT GetCustomUI(BSTR ribbon_id, BSTR* ribbon_xml) noexcept;

  HRESULT OnGetImage(BSTR image_name, IDispatch** picture) noexcept;
  HRESULT OnButtonHelpClick(IDispatch* control) noexcept;
  HRESULT GetImage(IDispatch* control, IDispatch** picture) noexcept;
  HRESULT getEnabled(IDispatch* control, VARIANT_BOOL* enabled) noexcept;
  HRESULT ribbonLoaded(IDispatch* ribbon) noexcept;
  HRESULT OnClickRefreshEx(IDispatch* control) noexcept;
  HRESULT GetItemImage(IDispatch* control, long index, IDispatch** picture) noexcept;
  HRESULT OnClickInsertFunctionEx(IDispatch* control) noexcept;
  HRESULT OnClickInsertStock(IDispatch* control) noexcept;
  HRESULT OnClickFormatRefreshEx(IDispatch* control) noexcept;
  HRESULT OnClickDataRefreshEx(IDispatch* control) noexcept;
  HRESULT OnDevelopModeEx(IDispatch* control) noexcept;
  HRESULT OnClickAllRefreshEx(IDispatch* control) noexcept;
  HRESULT getVisible(IDispatch* control, VARIANT_BOOL* visible) noexcept;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orra
