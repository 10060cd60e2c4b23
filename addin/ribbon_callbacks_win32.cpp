#include "addin/ribbon_callbacks_win32.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "addin/message_boxes_win32.h"
#include "addin/office_interfaces.h"
#include "addin/ribbon_commands.h"
#include "addin/ribbon_xml.h"
#include "addin/shell_document_opener_win32.h"
#include "common/env.h"
#include "common/this_module_win32.h"

namespace orra {
namespace {

struct ReleaseInterface {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using InterfacePtr = std::unique_ptr<Interface, ReleaseInterface>;

struct FreeBstr {
  void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using BstrPtr = std::unique_ptr<OLECHAR, FreeBstr>;

std::u16string_view TextOf(BSTR text) {
  return {reinterpret_cast<const char16_t*>(text), SysStringLen(text)};
}

// The id of a ribbon control, or nothing when the caller passed no IRibbonControl.
std::optional<std::u16string> ControlId(IDispatch* control) {
  if (control == nullptr) return std::nullopt;
  IRibbonControl* ribbon_control = nullptr;
  if (FAILED(control->QueryInterface(__uuidof(IRibbonControl), reinterpret_cast<void**>(&ribbon_control))) ||
      ribbon_control == nullptr) {
    return std::nullopt;
  }
  const InterfacePtr<IRibbonControl> held(ribbon_control);
  BSTR id = nullptr;
  if (FAILED(held->get_Id(&id))) return std::nullopt;
  const BstrPtr owned(id);
  return std::u16string(TextOf(id));
}

// A picture of the icon type around the icon, or around no icon at all, which Excel draws as
// a control without an image. The icon is loaded shared, so the system keeps it for the life
// of the module and the picture must not own it.
HRESULT IconPicture(std::optional<IconNumber> number, IDispatch** picture) {
  HICON icon = nullptr;
  if (number) {
    // The module these callbacks are linked into holds the icons: the DLL, or a test program.
    icon = static_cast<HICON>(LoadImageW(ThisModule(), MAKEINTRESOURCEW(*number), IMAGE_ICON, 0, 0,
                                         LR_DEFAULTSIZE | LR_SHARED));
  }
  PICTDESC description = {};
  description.cbSizeofstruct = sizeof(description);
  description.picType = PICTYPE_ICON;
  description.icon.hicon = icon;
  return OleCreatePictureIndirect(&description, IID_IPictureDisp, FALSE, reinterpret_cast<void**>(picture));
}

// Every callback is a boundary Excel calls through COM: nothing may escape it.
template <typename Body>
HRESULT Guarded(const Env& env, const char16_t* callback, Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    env.Debug(u"Orra: the ribbon callback ");
    env.Debug(callback);
    env.Debug(u" failed\r\n");
    return E_UNEXPECTED;
  }
}

}  // namespace

struct RibbonCallbacks::State {
  explicit State(AddinRuntime& runtime)
      : env(runtime.env()),
        commands(RibbonPorts{runtime.service().login(), runtime.requests(), boxes, documents,
                             // Until OnConnection hands over the user-interface thread the
                             // dialog buttons end after their login check.
                             nullptr, runtime.module_directory(), runtime.env(), runtime.messages()}) {}

  const Env& env;
  WindowMessageBoxes boxes;
  ShellDocumentOpener documents;
  RibbonCommands commands;
  // Kept from onLoad until the add-in goes; the add-in never asks the ribbon to redraw.
  InterfacePtr<IRibbonUI> ribbon;
};

RibbonCallbacks::RibbonCallbacks(AddinRuntime& runtime) : state_(std::make_unique<State>(runtime)) {}

RibbonCallbacks::~RibbonCallbacks() = default;

void RibbonCallbacks::Connect(HWND excel_window, ExcelObjectModel* excel, DialogThread* dialogs) {
  state_->boxes.SetOwner(excel_window);
  state_->commands.Connect(excel, dialogs);
}

void RibbonCallbacks::Disconnect() {
  state_->commands.Disconnect();
  state_->boxes.SetOwner(nullptr);
}

HRESULT RibbonCallbacks::GetCustomUI(BSTR, BSTR* ribbon_xml) noexcept {
  return Guarded(state_->env, u"GetCustomUI", [&]() -> HRESULT {
    if (ribbon_xml == nullptr) return E_POINTER;
    const std::u16string& xml = RibbonXml();
    *ribbon_xml = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(xml.data()), static_cast<UINT>(xml.size()));
    return *ribbon_xml != nullptr ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT RibbonCallbacks::OnGetImage(BSTR image_name, IDispatch** picture) noexcept {
  return Guarded(state_->env, u"OnGetImage", [&]() -> HRESULT {
    if (picture == nullptr) return E_POINTER;
    *picture = nullptr;
    return IconPicture(state_->commands.ImageForName(TextOf(image_name)), picture);
  });
}

HRESULT RibbonCallbacks::OnButtonHelpClick(IDispatch*) noexcept {
  return Guarded(state_->env, u"OnButtonHelpClick", [&]() -> HRESULT {
    state_->commands.OnButtonHelpClick();
    return S_OK;
  });
}

HRESULT RibbonCallbacks::GetImage(IDispatch* control, IDispatch** picture) noexcept {
  return Guarded(state_->env, u"GetImage", [&]() -> HRESULT {
    if (picture == nullptr) return E_POINTER;
    *picture = nullptr;
    const std::optional<std::u16string> id = ControlId(control);
    // The login state is marked even for a control without an id.
    const std::optional<IconNumber> icon = state_->commands.ImageForControl(id.value_or(std::u16string()));
    return IconPicture(icon, picture);
  });
}

// Whether the user may use a control is decided when it is clicked, never when it is drawn.
// The answer is the automation truth value, VARIANT_TRUE, which every caller reads as enabled.
HRESULT RibbonCallbacks::getEnabled(IDispatch*, VARIANT_BOOL* enabled) noexcept {
  if (enabled == nullptr) return E_POINTER;
  *enabled = VARIANT_TRUE;
  return S_OK;
}

HRESULT RibbonCallbacks::ribbonLoaded(IDispatch* ribbon) noexcept {
  return Guarded(state_->env, u"ribbonLoaded", [&]() -> HRESULT {
    if (ribbon == nullptr) return S_OK;
    IRibbonUI* ui = nullptr;
    if (FAILED(ribbon->QueryInterface(__uuidof(IRibbonUI), reinterpret_cast<void**>(&ui))) || ui == nullptr) {
      return S_OK;
    }
    InterfacePtr<IRibbonUI> fresh(ui);
    // The same ribbon loaded again keeps the reference held already.
    if (fresh.get() != state_->ribbon.get()) state_->ribbon = std::move(fresh);
    return S_OK;
  });
}

HRESULT RibbonCallbacks::OnClickRefreshEx(IDispatch*) noexcept {
  return Guarded(state_->env, u"OnClickRefreshEx", [&]() -> HRESULT {
    state_->commands.OnClickRefreshEx();
    return S_OK;
  });
}

HRESULT RibbonCallbacks::GetItemImage(IDispatch*, long, IDispatch** picture) noexcept {
  // No gallery item has an image of its own.
  if (picture != nullptr) *picture = nullptr;
  return S_OK;
}

HRESULT RibbonCallbacks::OnClickInsertFunctionEx(IDispatch*) noexcept {
  return Guarded(state_->env, u"OnClickInsertFunctionEx", [&]() -> HRESULT {
    state_->commands.OnClickInsertFunctionEx();
    return S_OK;
  });
}

HRESULT RibbonCallbacks::OnClickInsertStock(IDispatch*) noexcept {
  return Guarded(state_->env, u"OnClickInsertStock", [&]() -> HRESULT {
    state_->commands.OnClickInsertStock();
    return S_OK;
  });
}

HRESULT RibbonCallbacks::OnClickFormatRefreshEx(IDispatch*) noexcept {
  return Guarded(state_->env, u"OnClickFormatRefreshEx", [&]() -> HRESULT {
    state_->commands.OnClickFormatRefreshEx();
    return S_OK;
  });
}

HRESULT RibbonCallbacks::OnClickDataRefreshEx(IDispatch*) noexcept {
  return Guarded(state_->env, u"OnClickDataRefreshEx", [&]() -> HRESULT {
    state_->commands.OnClickDataRefreshEx();
    return S_OK;
  });
}

HRESULT RibbonCallbacks::OnDevelopModeEx(IDispatch*) noexcept {
  return Guarded(state_->env, u"OnDevelopModeEx", [&]() -> HRESULT {
    state_->commands.OnDevelopModeEx();
    return S_OK;
  });
}

HRESULT RibbonCallbacks::OnClickAllRefreshEx(IDispatch*) noexcept {
  return Guarded(state_->env, u"OnClickAllRefreshEx", [&]() -> HRESULT {
    state_->commands.OnClickAllRefreshEx();
    return S_OK;
  });
}

HRESULT RibbonCallbacks::getVisible(IDispatch* control, VARIANT_BOOL* visible) noexcept {
  return Guarded(state_->env, u"getVisible", [&]() -> HRESULT {
    if (visible == nullptr) return E_POINTER;
    const std::optional<std::u16string> id = ControlId(control);
    if (!id) return S_OK;
    const std::optional<bool> shown = state_->commands.Visible(*id);
    if (shown) *visible = *shown ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

}  // namespace orra
