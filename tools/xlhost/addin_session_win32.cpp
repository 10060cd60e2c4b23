#include "tools/xlhost/addin_session_win32.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <span>

#include "addin/invoke_by_name_win32.h"
#include "addin/variant_win32.h"
#include "common/utf8.h"

namespace orra::xlhost {
namespace {

// The ribbon Excel asks an add-in for when a workbook window opens.
constexpr wchar_t kWorkbookRibbonId[] = L"Microsoft.Excel.Workbook";

std::string Hex(HRESULT code) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(code));
  return text;
}

bool Failed(HRESULT code, const std::string& what, std::string& error) {
  if (SUCCEEDED(code)) return false;
  error = what + " failed with " + Hex(code);
  return true;
}

// A DLL loaded for one call, as regsvr32 loads it.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}
  ~LoadedLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

bool RunRegistrationExport(const std::wstring& path, const char* export_name, std::string& error) {
  LoadedLibrary library(path);
  if (library.get() == nullptr) {
    error = "cannot load the DLL (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  using Export = HRESULT(__stdcall*)();
  const auto entry = reinterpret_cast<Export>(reinterpret_cast<void (*)()>(GetProcAddress(library.get(), export_name)));
  if (entry == nullptr) {
    error = std::string("the DLL exports no ") + export_name;
    return false;
  }
  return !Failed(entry(), export_name, error);
}

// The empty custom array of the extensibility calls, owned.
class EmptyCustomArray {
 public:
  EmptyCustomArray() : array_(SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
  ~EmptyCustomArray() {
    if (array_ != nullptr) SafeArrayDestroy(array_);
  }
  EmptyCustomArray(const EmptyCustomArray&) = delete;
  EmptyCustomArray& operator=(const EmptyCustomArray&) = delete;
  SAFEARRAY** get() { return &array_; }

 private:
  SAFEARRAY* array_;
};

// A picture answered by getImage holds an image when its handle is not null.
bool HoldsImage(const VARIANT& picture) {
  if (V_VT(&picture) != VT_DISPATCH || V_DISPATCH(&picture) == nullptr) return false;
  ComPtr<IPicture> image;
  if (FAILED(V_DISPATCH(&picture)->QueryInterface(IID_IPicture, reinterpret_cast<void**>(image.Receive())))) {
    return false;
  }
  OLE_HANDLE handle = 0;
  return SUCCEEDED(image->get_Handle(&handle)) && handle != 0;
}

}  // namespace

AddinSession::AddinSession(std::u16string prog_id, IDispatch* application, const ApartmentGate& gate)
    : prog_id_(std::move(prog_id)), application_(application), gate_(gate) {}

AddinSession::~AddinSession() { Shutdown(); }

bool AddinSession::Register(const std::string& path, std::string& error) {
  const std::u16string wide = FromUtf8(path);
  const std::wstring given(wide.begin(), wide.end());
  // The full path, as regsvr32 registers it and as unregister finds the DLL again.
  std::wstring dll(MAX_PATH, L'\0');
  const DWORD length = GetFullPathNameW(given.c_str(), static_cast<DWORD>(dll.size()), dll.data(), nullptr);
  if (length == 0 || length >= dll.size()) {
    error = "cannot make a full path of " + path;
    return false;
  }
  dll.resize(length);
  if (!RunRegistrationExport(dll, "DllRegisterServer", error)) return false;
  registered_ = dll;
  return true;
}

bool AddinSession::Unregister(std::string& error) {
  if (!registered_) {
    error = "nothing was registered";
    return false;
  }
  const std::wstring dll = *registered_;
  registered_.reset();
  return RunRegistrationExport(dll, "DllUnregisterServer", error);
}

bool AddinSession::Connect(const std::string& wanted, std::string& error) {
  if (extensibility_) {
    error = "the add-in is connected already";
    return false;
  }
  CLSID class_id;
  const std::u16string name = wanted.empty() ? prog_id_ : FromUtf8(wanted);
  const std::wstring prog_id(name.begin(), name.end());
  if (Failed(CLSIDFromProgID(prog_id.c_str(), &class_id), "CLSIDFromProgID(" + ToUtf8(name) + ")", error)) {
    return false;
  }
  ComPtr<IUnknown> object;
  if (Failed(CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(object.Receive())),
             "CoCreateInstance", error)) {
    return false;
  }
  ComPtr<_IDTExtensibility2> extensibility;
  if (Failed(object->QueryInterface(__uuidof(_IDTExtensibility2), reinterpret_cast<void**>(extensibility.Receive())),
             "QueryInterface(_IDTExtensibility2)", error)) {
    return false;
  }
  EmptyCustomArray custom;
  // Office lets the object go at once when OnConnection fails.
  if (Failed(extensibility->OnConnection(application_, ext_cm_Startup, nullptr, custom.get()), "OnConnection", error)) {
    return false;
  }
  extensibility_ = std::move(extensibility);
  return LoadRibbon(error);
}

bool AddinSession::LoadRibbon(std::string& error) {
  ComPtr<IRibbonExtensibility> extensibility;
  if (FAILED(extensibility_->QueryInterface(__uuidof(IRibbonExtensibility),
                                            reinterpret_cast<void**>(extensibility.Receive())))) {
    return true;  // an add-in without a ribbon
  }
  const BSTR ribbon_id = SysAllocString(kWorkbookRibbonId);
  BSTR xml = nullptr;
  const HRESULT got = ribbon_id != nullptr ? extensibility->GetCustomUI(ribbon_id, &xml) : E_OUTOFMEMORY;
  SysFreeString(ribbon_id);
  if (Failed(got, "GetCustomUI", error)) return false;
  LoadedRibbon ribbon;
  ribbon.xml_bytes = SysStringByteLen(xml);
  const std::string text =
      xml == nullptr ? std::string() : ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(xml), SysStringLen(xml)));
  SysFreeString(xml);
  std::string problem;
  auto description = ParseRibbonXml(text, problem);
  if (!description) {
    error = "the ribbon XML cannot be read: " + problem;
    return false;
  }
  ribbon.description = std::move(*description);
  if (Failed(extensibility->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(callbacks_.Receive())),
             "QueryInterface(IDispatch)", error)) {
    return false;
  }
  bool all_answered = true;
  if (!ribbon.description.on_load.empty()) {
    ribbon_ui_ = MakeRibbonUi(redraws_, gate_);
    if (!ribbon_ui_) {
      error = "no memory for the IRibbonUI";
      return false;
    }
    const HRESULT loaded = Callback(ribbon.description.on_load, ribbon_ui_.get(), nullptr);
    all_answered = !Failed(loaded, "onLoad " + ribbon.description.on_load, error);
  }
  for (const RibbonControl& control : ribbon.description.controls) {
    RibbonControlState& state = ribbon.controls[control.id];
    ComPtr<IRibbonControl> argument = MakeRibbonControl(FromUtf8(control.id), application_, gate_);
    if (!argument) {
      error = "no memory for a ribbon control";
      return false;
    }
    if (!control.get_image.empty()) {
      Variant picture;
      const HRESULT answered = Callback(control.get_image, argument.get(), picture.get());
      if (Failed(answered, control.get_image + " for " + control.id, error)) all_answered = false;
      state.image_present = SUCCEEDED(answered) && HoldsImage(*picture.get());
    }
    if (!control.get_enabled.empty()) {
      Variant enabled;
      const HRESULT answered = Callback(control.get_enabled, argument.get(), enabled.get());
      if (Failed(answered, control.get_enabled + " for " + control.id, error)) all_answered = false;
      const auto flag = BoolOf(*enabled.get());
      if (SUCCEEDED(answered) && !flag) {
        error = control.get_enabled + " for " + control.id + " answered no VT_BOOL";
        all_answered = false;
      }
      state.enabled = flag.value_or(false);
    }
  }
  ribbon_ = std::move(ribbon);
  return all_answered;
}

HRESULT AddinSession::Callback(const std::string& name, IDispatch* argument, VARIANT* result) {
  if (!callbacks_) return E_POINTER;
  const std::u16string wide = FromUtf8(name);
  const std::wstring text(wide.begin(), wide.end());
  VARIANT lent;
  VariantInit(&lent);
  V_VT(&lent) = VT_DISPATCH;
  V_DISPATCH(&lent) = argument;  // lent for the call, as Office lends it
  const std::span<const VARIANT> arguments(&lent, argument != nullptr ? 1 : 0);
  EXCEPINFO exception{};
  const HRESULT called =
      InvokeByName(callbacks_.get(), text.c_str(), DISPATCH_METHOD, arguments, result, &exception);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return called;
}

bool AddinSession::Click(const std::string& control, std::string& error) {
  const RibbonControl* found = ribbon_ && callbacks_ ? ribbon_->description.Find(control) : nullptr;
  if (found == nullptr) {
    error = callbacks_ ? "the ribbon has no control " + control : "no ribbon is loaded";
    return false;
  }
  if (found->on_action.empty()) {
    error = control + " names no onAction";
    return false;
  }
  ComPtr<IRibbonControl> argument = MakeRibbonControl(FromUtf8(control), application_, gate_);
  if (!argument) {
    error = "no memory for a ribbon control";
    return false;
  }
  return !Failed(Callback(found->on_action, argument.get(), nullptr), found->on_action, error);
}

bool AddinSession::Invoke(const std::string& callback, std::string& error) {
  if (!callbacks_) {
    error = "no ribbon is loaded";
    return false;
  }
  ComPtr<IRibbonControl> argument = MakeRibbonControl(u"", application_, gate_);
  if (!argument) {
    error = "no memory for a ribbon control";
    return false;
  }
  return !Failed(Callback(callback, argument.get(), nullptr), callback, error);
}

bool AddinSession::Disconnect(std::string& error) { return DisconnectAs(ext_dm_UserClosed, error); }

bool AddinSession::DisconnectAs(ext_DisconnectMode mode, std::string& error) {
  if (!extensibility_) {
    error = "the add-in is not connected";
    return false;
  }
  EmptyCustomArray custom;
  const HRESULT disconnected = extensibility_->OnDisconnection(mode, custom.get());
  callbacks_.Reset();
  ribbon_ui_.Reset();
  extensibility_.Reset();
  return !Failed(disconnected, "OnDisconnection", error);
}

void AddinSession::Shutdown() {
  if (!extensibility_) return;
  std::string ignored;
  DisconnectAs(ext_dm_HostShutdown, ignored);
}

}  // namespace orra::xlhost
