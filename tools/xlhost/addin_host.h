#pragma once
// The port to Excel's COM side in the stand-in Excel: the session Office holds with a COM
// add-in (registration as regsvr32 does it, creation by ProgID, OnConnection, the ribbon's
// start-up and clicks, OnDisconnection) and what the ribbon showed. The Windows adapter drives
// the add-in's real interfaces; the scenario runner only names the steps.
//
// Excel's main thread only.

#include <map>
#include <optional>
#include <string>

#include "tools/xlhost/ribbon_xml.h"

namespace orra::xlhost {

// What the ribbon's callbacks answered for one control when the ribbon was loaded; none where
// the control names no such callback.
struct RibbonControlState {
  std::optional<bool> image_present;  // a picture with an image in it
  std::optional<bool> enabled;
};

struct LoadedRibbon {
  size_t xml_bytes = 0;  // of GetCustomUI's string, as SysStringByteLen counts them
  RibbonDescription description;
  std::map<std::string, RibbonControlState> controls;  // by control id
};

class AddinHost {
 public:
  virtual ~AddinHost() = default;

  // DllRegisterServer / DllUnregisterServer of the DLL at `path` (unregister: of the one
  // registered last). False, with `error`, when the DLL or its export fails.
  virtual bool Register(const std::string& path, std::string& error) = 0;
  virtual bool Unregister(std::string& error) = 0;
  // Creates the add-in by its ProgID (empty: the product's), connects it as at Excel's
  // start-up and loads its ribbon.
  virtual bool Connect(const std::string& prog_id, std::string& error) = 0;
  // OnDisconnection as when the user switches the add-in off; the add-in object is released.
  virtual bool Disconnect(std::string& error) = 0;
  // The onAction callback of the control.
  virtual bool Click(const std::string& control, std::string& error) = 0;
  // A callback by its name, as a caller reaches those the ribbon XML does not name, with a
  // control of no id.
  virtual bool Invoke(const std::string& callback, std::string& error) = 0;
  // The ribbon the last Connect loaded; none before one.
  virtual const LoadedRibbon* ribbon() const = 0;
  // At the end of a run: OnDisconnection as at Excel's exit, when still connected.
  virtual void Shutdown() = 0;
};

}  // namespace orra::xlhost
