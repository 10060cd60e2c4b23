#pragma once
// The session Office holds with a COM add-in, driven through the add-in's real interfaces the
// way Office drives them: registration by the DLL's own DllRegisterServer (as regsvr32 does;
// under Wine the classes must land in the machine hive to be found), creation by ProgID,
// _IDTExtensibility2::OnConnection with the Application object, IRibbonExtensibility::
// GetCustomUI, and then every callback the XML names called by name through the object's
// IDispatch (GetIDsOfNames, Invoke) with an IRibbonUI and IRibbonControls of the host's own.
//
// Excel's main thread only, inside an initialised single-threaded apartment.

#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <string>

#include "addin/office_interfaces.h"
#include "tools/xlhost/addin_host.h"
#include "tools/xlhost/apartment_gate.h"
#include "tools/xlhost/dispatch_object_win32.h"
#include "tools/xlhost/ribbon_objects_win32.h"

namespace orra::xlhost {

class AddinSession final : public AddinHost {
 public:
  // A Connect without a ProgID creates `prog_id`; the add-in receives `application` (which
  // must stay valid until Shutdown) in OnConnection.
  AddinSession(std::u16string prog_id, IDispatch* application, const ApartmentGate& gate);
  ~AddinSession() override;
  AddinSession(const AddinSession&) = delete;
  AddinSession& operator=(const AddinSession&) = delete;

  bool Register(const std::string& path, std::string& error) override;
  bool Unregister(std::string& error) override;
  bool Connect(const std::string& prog_id, std::string& error) override;
  bool Disconnect(std::string& error) override;
  bool Click(const std::string& control, std::string& error) override;
  bool Invoke(const std::string& callback, std::string& error) override;
  const LoadedRibbon* ribbon() const override { return ribbon_ ? &*ribbon_ : nullptr; }
  void Shutdown() override;

 private:
  bool DisconnectAs(ext_DisconnectMode mode, std::string& error);
  bool LoadRibbon(std::string& error);
  // Calls the ribbon callback `name` with `argument` (may be null: no argument); `result` may
  // be null when the callback answers nothing.
  HRESULT Callback(const std::string& name, IDispatch* argument, VARIANT* result);

  const std::u16string prog_id_;
  IDispatch* const application_;
  const ApartmentGate& gate_;
  std::optional<std::wstring> registered_;
  ComPtr<_IDTExtensibility2> extensibility_;
  ComPtr<IDispatch> callbacks_;  // the add-in object's IDispatch
  ComPtr<IRibbonUI> ribbon_ui_;
  RibbonRedraws redraws_;
  std::optional<LoadedRibbon> ribbon_;
};

}  // namespace orra::xlhost
