#pragma once
// The identifiers of the add-in's COM class, its dispatch interface, its type library and its
// application id: one definition, read both by the interface description (orra_excel.idl, which
// widl compiles into the type library and a C++ header) and by the C++ code that writes them
// into the registry. Every part of every identifier starts with a digit, so that no part can
// ever be taken for a macro name when the identifier is turned into text.

#define ORRA_EXCEL_CLASS_ID 59088B1A-0577-4013-834F-7C79733A0FD0
#define ORRA_TESSEL_EXCEL_INTERFACE_ID 3106C449-4E17-486A-820F-60162E5C017B
#define ORRA_TYPE_LIBRARY_ID 8914E0E5-9036-4268-874C-293720AD6D48
#define ORRA_APPLICATION_ID 68845D3B-9A4E-4258-90D0-89A482503FEE

#if !defined(__WIDL__)
#include <string_view>

#define ORRA_COM_ID_TEXT_(id) u"{" #id "}"
#define ORRA_COM_ID_TEXT(id) ORRA_COM_ID_TEXT_(id)

namespace orra {

// The registry's spelling: braces around the upper-case digits.
inline constexpr std::u16string_view kOrraExcelClassId = ORRA_COM_ID_TEXT(ORRA_EXCEL_CLASS_ID);
inline constexpr std::u16string_view kTesselExcelInterfaceId = ORRA_COM_ID_TEXT(ORRA_TESSEL_EXCEL_INTERFACE_ID);
inline constexpr std::u16string_view kTypeLibraryId = ORRA_COM_ID_TEXT(ORRA_TYPE_LIBRARY_ID);
inline constexpr std::u16string_view kApplicationId = ORRA_COM_ID_TEXT(ORRA_APPLICATION_ID);

}  // namespace orra

#undef ORRA_COM_ID_TEXT
#undef ORRA_COM_ID_TEXT_
#endif
