#pragma once
// The objects Office hands an add-in's ribbon callbacks: the IRibbonControl of the control a
// callback is about (its Id, its Context, an empty Tag) and the IRibbonUI onLoad receives
// (Invalidate and InvalidateControl, counted). Each is both the vtable interface and its
// IDispatch by name.
//
// Made and called on the main thread.

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "addin/office_interfaces.h"
#include "tools/xlhost/apartment_gate.h"
#include "tools/xlhost/dispatch_object_win32.h"

namespace orra::xlhost {

// The control `id`; `context` (the window the ribbon belongs to: here the Application) may be
// null and is referenced while the control lives.
ComPtr<IRibbonControl> MakeRibbonControl(std::u16string id, IDispatch* context, const ApartmentGate& gate);

// How often the add-in asked the ribbon to redraw.
struct RibbonRedraws {
  int all = 0;       // Invalidate
  int controls = 0;  // InvalidateControl
};

// `redraws` must outlive every call made on the object.
ComPtr<IRibbonUI> MakeRibbonUi(RibbonRedraws& redraws, const ApartmentGate& gate);

}  // namespace orra::xlhost
