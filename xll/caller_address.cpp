#include "xll/caller_address.h"

#include "xll/cell_reference.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

bool InsideGrid(const XLREF12& r) {
  return 0 <= r.rwFirst && r.rwFirst <= r.rwLast && r.rwLast <= kLastRow && 0 <= r.colFirst &&
         r.colFirst <= r.colLast && r.colLast <= kLastColumn;
}

// The calling rectangle from the caller value. xlfCaller answers a cell's caller with a
// reference already (single or multiple form), and anything else (a register id, an error) is
// a call that did not come from a cell; xlCoerce has no reference as a destination type, so
// reading the type here is the coercion.
std::optional<XLREF12> CallerRectangle(const XLOPER12& caller) {
  std::optional<XLREF12> rectangle;
  if (BaseType(caller) == xltypeSRef) {
    rectangle = caller.val.sref.ref;
  } else if (BaseType(caller) == xltypeRef && caller.val.mref.lpmref != nullptr &&
             caller.val.mref.lpmref->count >= 1) {
    // A caller is one area; a formula cannot be entered into several.
    rectangle = caller.val.mref.lpmref->reftbl[0];
  }
  if (rectangle && !InsideGrid(*rectangle)) return std::nullopt;
  return rectangle;
}

}  // namespace

std::optional<std::u16string> CallerAddress(ExcelCalls& excel) {
  const ExcelResult caller(excel, xlfCaller, {});
  if (!caller.succeeded()) return std::nullopt;
  const std::optional<XLREF12> rectangle = CallerRectangle(caller.value());
  if (!rectangle) return std::nullopt;

  const ExcelResult sheet(excel, xlSheetNm, {&caller.value()});
  if (!sheet.succeeded()) return std::nullopt;
  const std::optional<std::u16string_view> sheet_name = TextOf(sheet.value());
  if (!sheet_name) return std::nullopt;

  std::u16string address;
  address.reserve(sheet_name->size() + 16);
  address.push_back(u'\'');
  address.append(*sheet_name);
  address += u"'!";
  address += CellReferenceA1(*rectangle);
  return address;
}

}  // namespace orra
