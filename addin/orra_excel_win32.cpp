#include "addin/orra_excel_win32.h"

#include <oleauto.h>

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "addin/class_factory_win32.h"
#include "addin/process_runtime.h"
#include "addin/rtd_update_event_win32.h"
#include "addin/rtd_variants_win32.h"
#include "xll/xll_services.h"

namespace orra {
namespace {

// Excel's _Application dual interface.
constexpr GUID kApplicationInterfaceId = {0x000208D5, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The catch-all boundary of every COM method.
template <typename Call>
HRESULT Guarded(Call call) noexcept {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// Application.Hwnd, read by name: Excel's main window.
HRESULT ReadExcelWindow(IDispatch* application, HWND& window) {
  if (application == nullptr) return E_POINTER;
  wchar_t name[] = L"Hwnd";
  LPOLESTR names[] = {name};
  DISPID hwnd_id = DISPID_UNKNOWN;
  HRESULT result = application->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &hwnd_id);
  if (FAILED(result)) return result;
  DISPPARAMS no_arguments = {};
  VARIANT value;
  VariantInit(&value);
  result = application->Invoke(hwnd_id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &no_arguments, &value,
                               nullptr, nullptr);
  if (FAILED(result)) return result;
  VARIANT number;
  VariantInit(&number);
  result = VariantChangeType(&number, &value, 0, VT_I8);
  VariantClear(&value);
  if (FAILED(result)) return result;
  // Excel answers a Long: window handles carry 32 significant bits, sign-extended on 64 bits.
  window = reinterpret_cast<HWND>(static_cast<INT_PTR>(number.llVal));
  return S_OK;
}

void SetTopicValue(VARIANT& value, int32_t topic_value) {
  // Invoke hands over a result it has just made empty: only something else needs clearing.
  if (value.vt != VT_EMPTY) VariantClear(&value);
  value.vt = VT_I4;
  value.lVal = topic_value;
}

}  // namespace

COrraExcel::RuntimeHold::RuntimeHold() : runtime(AcquireRuntime()) {}
COrraExcel::RuntimeHold::~RuntimeHold() { ReleaseRuntime(); }

COrraExcel::COrraExcel()
    : timer_([this] { session_.timer_window().OnTimer(); }),
      session_(hold_.runtime.env(), hold_.runtime.service(), hold_.runtime.requests(), timer_),
      ribbon_(hold_.runtime) {
  ComServerLocks().ObjectMade();
}

COrraExcel::~COrraExcel() {
  DropExcelObjects();
  ComServerLocks().ObjectGone();
}

void COrraExcel::DropExcelObjects() {
  ribbon_.Disconnect();
  XllServices& services = InstalledXllServices();
  if (excel_ != nullptr && services.object_model == excel_.get()) services.object_model = nullptr;
  array_window_.reset();
  excel_.reset();
}

ComPtr<IUnknown> COrraExcel::Create() {
  ComPtr<IUnknown> object;
  *object.Put() = static_cast<ITesselExcel*>(new COrraExcel());
  return object;
}

HRESULT COrraExcel::QueryInterface(REFIID riid, void** object) noexcept {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, __uuidof(ITesselExcel))) {
    *object = static_cast<ITesselExcel*>(this);
  } else if (IsEqualIID(riid, __uuidof(_IDTExtensibility2))) {
    *object = static_cast<_IDTExtensibility2*>(this);
  } else if (IsEqualIID(riid, __uuidof(IRibbonExtensibility))) {
    *object = static_cast<IRibbonExtensibility*>(this);
  } else if (IsEqualIID(riid, __uuidof(IRtdServer))) {
    *object = static_cast<IRtdServer*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG COrraExcel::AddRef() noexcept { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG COrraExcel::Release() noexcept {
  const LONG left = InterlockedDecrement(&references_);
  // The last release stops the runtime's threads when no other door holds it: never under the
  // loader lock, since objects are released by Excel's calls, not from DllMain.
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

// The ribbon's callbacks go to RibbonCallbacks unchanged.
HRESULT COrraExcel::OnGetImage(BSTR image_name, IDispatch** picture) noexcept {
  return ribbon_.OnGetImage(image_name, picture);
}
HRESULT COrraExcel::OnButtonHelpClick(IDispatch* control) noexcept { return ribbon_.OnButtonHelpClick(control); }
HRESULT COrraExcel::GetImage(IDispatch* control, IDispatch** picture) noexcept {
  return ribbon_.GetImage(control, picture);
}
HRESULT COrraExcel::getEnabled(IDispatch* control, VARIANT_BOOL* enabled) noexcept {
  return ribbon_.getEnabled(control, enabled);
}
HRESULT COrraExcel::ribbonLoaded(IDispatch* ribbon) noexcept { return ribbon_.ribbonLoaded(ribbon); }
HRESULT COrraExcel::OnClickRefreshEx(IDispatch* control) noexcept { return ribbon_.OnClickRefreshEx(control); }
HRESULT COrraExcel::GetItemImage(IDispatch* control, LONG index, IDispatch** picture) noexcept {
  return ribbon_.GetItemImage(control, index, picture);
}
HRESULT COrraExcel::OnClickInsertFunctionEx(IDispatch* control) noexcept {
  return ribbon_.OnClickInsertFunctionEx(control);
}
HRESULT COrraExcel::OnClickInsertStock(IDispatch* control) noexcept { return ribbon_.OnClickInsertStock(control); }
HRESULT COrraExcel::OnClickFormatRefreshEx(IDispatch* control) noexcept {
  return ribbon_.OnClickFormatRefreshEx(control);
}
HRESULT COrraExcel::OnClickDataRefreshEx(IDispatch* control) noexcept {
  return ribbon_.OnClickDataRefreshEx(control);
}
HRESULT COrraExcel::OnDevelopModeEx(IDispatch* control) noexcept { return ribbon_.OnDevelopModeEx(control); }
HRESULT COrraExcel::OnClickAllRefreshEx(IDispatch* control) noexcept { return ribbon_.OnClickAllRefreshEx(control); }
HRESULT COrraExcel::getVisible(IDispatch* control, VARIANT_BOOL* visible) noexcept {
  return ribbon_.getVisible(control, visible);
}
HRESULT COrraExcel::GetCustomUI(BSTR ribbon_id, BSTR* ribbon_xml) noexcept {
  return ribbon_.GetCustomUI(ribbon_id, ribbon_xml);
}

HRESULT COrraExcel::OnConnection(IDispatch* application, ext_ConnectMode, IDispatch*, SAFEARRAY**) noexcept {
  return Guarded([&] { return Connect(application); });
}

HRESULT COrraExcel::Connect(IDispatch* application) {
  // Without _Application the add-in still connects: the server link, the RTD data and the
  // ribbon's login-checked commands need no object model, and failing here would make Office
  // unload the add-in with its whole ribbon. Only what drives Excel's object model (the
  // refresh commands, the array writer) is then left out.
  DropExcelObjects();
  ComPtr<IDispatch> excel;
  if (application != nullptr &&
      SUCCEEDED(application->QueryInterface(kApplicationInterfaceId, reinterpret_cast<void**>(excel.Put())))) {
    application_ = std::move(excel);
  } else {
    application_.Reset();
  }
  if (application_) {
    excel_ = std::make_unique<DispatchExcel>(application_.Get());
    array_window_ = std::make_unique<ArrayWindow>(*excel_, hold_.runtime.requests());
  }

  HWND window = nullptr;
  const HRESULT read = ReadExcelWindow(application_ ? application_.Get() : application, window);
  if (FAILED(read)) return read;
  excel_window_ = window;
  if (excel_ != nullptr) InstalledXllServices().object_model = excel_.get();
  // A thread that cannot start leaves the dialog buttons ending after their login check.
  if (ui_thread_ == nullptr) {
    // The thread's own share of the runtime: the store stays whole under a dialog request still
    // queued when OnDisconnection lets go of this object's.
    const std::shared_ptr<AddinRuntime> runtime = ShareRuntime();
    ui_thread_ = CAddinWinThread::Start(excel_window_, application_.Get(),
                                        std::shared_ptr<const COrraData>(runtime, &runtime->store()));
  }
  ribbon_.Connect(excel_window_, excel_.get(), ui_thread_.get());

  // A connection thread that cannot start leaves the add-in connected without a server: the
  // requests' jobs wait in the queue.
  std::string error;
  hold_.runtime.Connect(&error);
  return S_OK;
}

HRESULT COrraExcel::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) noexcept {
  return Guarded([&] {
    hold_.runtime.Disconnect();
    DropExcelObjects();
    return S_OK;
  });
}

HRESULT COrraExcel::OnAddInsUpdate(SAFEARRAY**) noexcept { return S_OK; }
HRESULT COrraExcel::OnStartupComplete(SAFEARRAY**) noexcept { return S_OK; }
HRESULT COrraExcel::OnBeginShutdown(SAFEARRAY**) noexcept { return S_OK; }

HRESULT COrraExcel::ServerStart(IRTDUpdateEvent* callback, LONG* result) noexcept {
  return Guarded([&] {
    if (callback == nullptr || result == nullptr) return E_POINTER;
    std::shared_ptr<RtdUpdateEvent> event;
    const HRESULT wrapped = ComRtdUpdateEvent::Wrap(callback, event);
    if (FAILED(wrapped)) return wrapped;
    *result = session_.rtd().ServerStart(std::move(event));
    return S_OK;
  });
}

HRESULT COrraExcel::ConnectData(LONG topic_id, SAFEARRAY** strings, VARIANT_BOOL* get_new_values,
                                VARIANT* value) noexcept {
  return Guarded([&] {
    if (get_new_values != nullptr) *get_new_values = VARIANT_TRUE;
    if (value == nullptr) return E_POINTER;
    const bool listed = strings != nullptr && ReadTopicStrings(*strings, topic_strings_);
    // Strings that are no topic list parse to nothing: the cell keeps the initial value.
    if (!listed && !hold_.runtime.requests().Contains(topic_id)) {
      SetTopicValue(*value, RtdServer::kInitialValue);
      return S_OK;
    }
    // A topic Excel connects again without a readable list keeps the request it has.
    if (!listed) topic_strings_.clear();
    const std::optional<int32_t> answer = session_.rtd().ConnectData(topic_id, topic_strings_);
    if (answer) SetTopicValue(*value, *answer);
    return S_OK;
  });
}

HRESULT COrraExcel::RefreshData(LONG* topic_count, SAFEARRAY** topics) noexcept {
  return Guarded([&] {
    if (topic_count == nullptr || topics == nullptr || *topics != nullptr) return E_POINTER;
    const std::vector<TopicId> changed = session_.rtd().RefreshData();
    SAFEARRAY* array = MakeRefreshArray(changed);
    if (array == nullptr) return E_OUTOFMEMORY;
    *topics = array;
    *topic_count = static_cast<LONG>(changed.size());
    return S_OK;
  });
}

HRESULT COrraExcel::DisconnectData(LONG topic_id) noexcept {
  return Guarded([&] {
    session_.rtd().DisconnectData(topic_id);
    return S_OK;
  });
}

HRESULT COrraExcel::Heartbeat(LONG* result) noexcept {
  if (result == nullptr) return E_POINTER;
  *result = session_.rtd().Heartbeat();
  return S_OK;
}

HRESULT COrraExcel::ServerTerminate() noexcept {
  return Guarded([&] {
    session_.rtd().ServerTerminate();
    return S_OK;
  });
}

}  // namespace orra
