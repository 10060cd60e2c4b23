#pragma once
// COrraExcel: the DLL's one COM class, which Excel creates twice: once as the COM add-in
// (_IDTExtensibility2, the ribbon through IRibbonExtensibility and ITesselExcel) and once as the
// RTD server (IRtdServer). Each object holds the process's AddinRuntime from construction to
// destruction, its own hidden timer window and RTD session over the runtime, and the ribbon's
// callbacks, to which the ribbon methods forward unchanged.
//
// QueryInterface answers IUnknown, IDispatch and ITesselExcel with the ITesselExcel interface and
// the three Office interfaces each with its own; every interface has its own IDispatch over its
// own type description, IRtdServer's with Excel's frequent calls passed straight through. Every
// COM method is a catch-all boundary that answers an HRESULT.
//
// Apartment threaded: every call comes on the thread that created the object (Excel's main
// thread), and the timer window belongs to it.

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

#include "addin/addin_runtime.h"
#include "addin/array_window_win32.h"
#include "addin/com_ptr_win32.h"
#include "addin/dispatch_excel_win32.h"
#include "addin/dispatch_of_win32.h"
#include "addin/hidden_window_timer_win32.h"
#include "addin/office_interfaces.h"
#include "addin/orra_excel.h"
#include "addin/ribbon_callbacks_win32.h"
#include "addin/rtd_server_dispatch_win32.h"
#include "request/rtd_session.h"
#include "ui/addin_win_thread_win32.h"

namespace orra {

class COrraExcel final : public DispatchOf<ITesselExcel, TypeLibraryResource::kOwn>,
                         public DispatchOf<_IDTExtensibility2, TypeLibraryResource::kOffice>,
                         public DispatchOf<IRibbonExtensibility, TypeLibraryResource::kOffice>,
                         public RtdServerDispatch {
 public:
  // A new object with one reference, for IClassFactory::CreateInstance. Throws when the
  // runtime cannot be built.
  static ComPtr<IUnknown> Create();

  // IUnknown, for all four interfaces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override;
  ULONG STDMETHODCALLTYPE AddRef() noexcept override;
  ULONG STDMETHODCALLTYPE Release() noexcept override;

  // ITesselExcel: the ribbon's callbacks.
  HRESULT STDMETHODCALLTYPE OnGetImage(BSTR image_name, IDispatch** picture) noexcept override;
  HRESULT STDMETHODCALLTYPE OnButtonHelpClick(IDispatch* control) noexcept override;
  HRESULT STDMETHODCALLTYPE GetImage(IDispatch* control, IDispatch** picture) noexcept override;
  HRESULT STDMETHODCALLTYPE getEnabled(IDispatch* control, VARIANT_BOOL* enabled) noexcept override;
  HRESULT STDMETHODCALLTYPE ribbonLoaded(IDispatch* ribbon) noexcept override;
  HRESULT STDMETHODCALLTYPE OnClickRefreshEx(IDispatch* control) noexcept override;
  HRESULT STDMETHODCALLTYPE GetItemImage(IDispatch* control, LONG index, IDispatch** picture) noexcept override;
  HRESULT STDMETHODCALLTYPE OnClickInsertFunctionEx(IDispatch* control) noexcept override;
  HRESULT STDMETHODCALLTYPE OnClickInsertStock(IDispatch* control) noexcept override;
  HRESULT STDMETHODCALLTYPE OnClickFormatRefreshEx(IDispatch* control) noexcept override;
  HRESULT STDMETHODCALLTYPE OnClickDataRefreshEx(IDispatch* control) noexcept override;
  HRESULT STDMETHODCALLTYPE OnDevelopModeEx(IDispatch* control) noexcept override;
  HRESULT STDMETHODCALLTYPE OnClickAllRefreshEx(IDispatch* control) noexcept override;
  HRESULT STDMETHODCALLTYPE getVisible(IDispatch* control, VARIANT_BOOL* visible) noexcept override;

  // _IDTExtensibility2.
  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* add_in,
                                         SAFEARRAY** custom) noexcept override;
  HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode, SAFEARRAY** custom) noexcept override;
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) noexcept override;
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) noexcept override;
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) noexcept override;

  // IRibbonExtensibility.
  HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbon_id, BSTR* ribbon_xml) noexcept override;

  // IRtdServer.
  HRESULT STDMETHODCALLTYPE ServerStart(IRTDUpdateEvent* callback, LONG* result) noexcept override;
  HRESULT STDMETHODCALLTYPE ConnectData(LONG topic_id, SAFEARRAY** strings, VARIANT_BOOL* get_new_values,
                                        VARIANT* value) noexcept override;
  HRESULT STDMETHODCALLTYPE RefreshData(LONG* topic_count, SAFEARRAY** topics) noexcept override;
  HRESULT STDMETHODCALLTYPE DisconnectData(LONG topic_id) noexcept override;
  HRESULT STDMETHODCALLTYPE Heartbeat(LONG* result) noexcept override;
  HRESULT STDMETHODCALLTYPE ServerTerminate() noexcept override;

 private:
  // Holds the runtime until the destructor releases it.
  struct RuntimeHold {
    RuntimeHold();
    ~RuntimeHold();
    RuntimeHold(const RuntimeHold&) = delete;
    RuntimeHold& operator=(const RuntimeHold&) = delete;
    AddinRuntime& runtime;
  };

  COrraExcel();
  ~COrraExcel();
  COrraExcel(const COrraExcel&) = delete;
  COrraExcel& operator=(const COrraExcel&) = delete;

  HRESULT Connect(IDispatch* application);
  // What a connection built over Excel's objects goes, in the order that keeps each user of the
  // object model ahead of it: the ribbon's commands, the cell formats, the array writer.
  void DropExcelObjects();

  LONG references_ = 1;
  RuntimeHold hold_;
  HiddenWindowTimer timer_;  // its ticks reach the session, which starts it only once made
  RtdSession session_;
  // ConnectData's topic strings, read into the same storage for every cell: Excel's lists for
  // a column of cells have one shape, so after the first cell reading one allocates nothing.
  // The RTD logic copies what it keeps; the strings are never read again after the call.
  std::vector<std::u16string> topic_strings_;
  RibbonCallbacks ribbon_;
  // Excel's _Application from OnConnection until the object goes: the object model's adapter
  // and the array writer are built over it. Null when Excel offered none.
  ComPtr<IDispatch> application_;
  // Application.Hwnd, the owner of the ribbon's message boxes; null before OnConnection.
  HWND excel_window_ = nullptr;
  // From OnConnection to OnDisconnection, while Excel offers _Application: its object model by
  // name (the refresh commands, the answered cells' formats) and the array writer over it.
  std::unique_ptr<DispatchExcel> excel_;
  std::unique_ptr<ArrayWindow> array_window_;
  // The user-interface thread, from the first OnConnection until the object goes. It outlives
  // a disconnection with its dialogs, and a later connection of this object (the same Excel,
  // the same main window) posts to it again rather than leaving it behind unreachable. The
  // object's end is the last door it may be reached through, so the destructor lets it end:
  // its dialogs hand their tables to this object's array writer, which goes too.
  std::unique_ptr<CAddinWinThread> ui_thread_;
};

}  // namespace orra
