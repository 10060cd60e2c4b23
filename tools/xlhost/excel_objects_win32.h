#pragma once
// Excel's object model in the stand-in Excel, as COM objects an add-in reaches by late binding:
// Application (Hwnd, ActiveCell, ActiveSheet, Selection, Range, Intersect, CalculateFull,
// ScreenUpdating), Range (Resize, Value2, NumberFormatLocal, HorizontalAlignment, Dirty,
// Worksheet, Address) and Worksheet (EnableCalculation, Name), with the dispatch ids of Excel's
// type library. They read and change the scenario's Workbook; see DispatchObject for the
// apartment and the checks every call goes through.
//
// Made and called on the main thread.

#include <windows.h>
#include <oaidl.h>

#include "tools/xlhost/apartment_gate.h"
#include "tools/xlhost/dispatch_object_win32.h"
#include "tools/xlhost/workbook.h"

namespace orra::xlhost {

// Excel's interface ids.
inline constexpr IID kApplicationInterfaceId = {0x000208D5, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kRangeInterfaceId = {0x00020846, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kWorksheetInterfaceId = {0x000208D8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The Application object over `workbook`, whose Hwnd is `main_window`. `workbook` and `gate`
// must outlive every call made on it (a reference held past them may only be released).
ComPtr<IDispatch> MakeApplication(Workbook& workbook, const ApartmentGate& gate, HWND main_window);

}  // namespace orra::xlhost
