#include "tools/xlhost/excel_objects_win32.h"

#include <vector>

#include "common/utf8.h"
#include "tools/xlhost/cell_range.h"

namespace orra::xlhost {
namespace {

// Excel's type library's dispatch ids.
constexpr DISPID kHwnd = 1950;
constexpr DISPID kActiveCell = 305;
constexpr DISPID kActiveSheet = 307;
constexpr DISPID kSelection = 147;
constexpr DISPID kRange = 197;
constexpr DISPID kIntersect = 766;
constexpr DISPID kCalculateFull = 1805;
constexpr DISPID kScreenUpdating = 382;
constexpr DISPID kResize = 256;
constexpr DISPID kValue2 = 1388;
constexpr DISPID kNumberFormatLocal = 1097;
constexpr DISPID kHorizontalAlignment = 136;
constexpr DISPID kDirty = 2014;
constexpr DISPID kWorksheet = 348;
constexpr DISPID kAddress = 236;
constexpr DISPID kEnableCalculation = 1424;
constexpr DISPID kName = 110;

constexpr DispatchMember kApplicationMembers[] = {
    {u"Hwnd", kHwnd},           {u"ActiveCell", kActiveCell},       {u"ActiveSheet", kActiveSheet},
    {u"Selection", kSelection}, {u"Range", kRange},                 {u"Intersect", kIntersect},
    {u"CalculateFull", kCalculateFull}, {u"ScreenUpdating", kScreenUpdating}};
constexpr DispatchMember kRangeMembers[] = {
    {u"Resize", kResize},   {u"Value2", kValue2},       {u"NumberFormatLocal", kNumberFormatLocal},
    {u"HorizontalAlignment", kHorizontalAlignment},     {u"Dirty", kDirty},
    {u"Worksheet", kWorksheet}, {u"Address", kAddress}};
constexpr DispatchMember kWorksheetMembers[] = {
    {u"EnableCalculation", kEnableCalculation}, {u"Name", kName}, {u"Range", kRange}};

// A private interface id that finds the Range object behind an IDispatch handed back to us
// (Application.Range(range), Intersect, RelativeTo).
constexpr IID kRangeObjectId = {0x5A0C7D35, 0x2B4E, 0x4E8A, {0x9C, 0x61, 0x0D, 0x3F, 0x72, 0x18, 0xA4, 0x5B}};

// xlA1, xlR1C1.
constexpr int64_t kStyleA1 = 1;
constexpr int64_t kStyleR1C1 = -4150;
// The first error code of Excel's CVErr values (xlErrNull = 2000), carried in the low word of
// a VT_ERROR's scode.
constexpr int32_t kCvErrBase = 2000;
constexpr uint16_t kControlFacility = 0xA;
constexpr int32_t kErrorNotAvailable = 42;  // #N/A, in the cells of a range beyond the array written
constexpr int32_t kErrorValue = 15;

// What every Excel object knows: the workbook and the apartment.
struct Context {
  Workbook& workbook;
  const ApartmentGate& gate;
  HWND main_window;
};

ComPtr<IDispatch> MakeRange(const Context& context, const CellRange& range);
ComPtr<IDispatch> MakeWorksheet(const Context& context);
std::optional<CellRange> RangeBehind(const VARIANT& variant);

HRESULT Put(VARIANT& result, ComPtr<IDispatch> object) {
  if (!object) return E_OUTOFMEMORY;
  PutDispatch(result, object.Detach());
  return S_OK;
}

HRESULT PutTextOrFail(VARIANT& result, std::u16string_view text) {
  return PutText(result, text) ? S_OK : E_OUTOFMEMORY;
}

bool PutValue(VARIANT& result, const GridValue& value) {
  if (const auto* number = std::get_if<double>(&value)) {
    V_VT(&result) = VT_R8;
    V_R8(&result) = *number;
  } else if (const auto* text = std::get_if<std::u16string>(&value)) {
    return PutText(result, *text);
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    PutBool(result, *flag);
  } else if (const auto* error = std::get_if<ErrorValue>(&value)) {
    V_VT(&result) = VT_ERROR;
    V_ERROR(&result) = MAKE_HRESULT(SEVERITY_ERROR, kControlFacility, kCvErrBase + error->code);
  }
  return true;
}

// A value of an array or a scalar put into Value2; none for a VARTYPE no cell can hold.
std::optional<GridValue> CellValueOf(const VARIANT& variant) {
  const VARIANT& value = Dereferenced(variant);
  switch (V_VT(&value)) {
    case VT_EMPTY:
    case VT_NULL: return GridValue{};
    case VT_R8: return GridValue{V_R8(&value)};
    case VT_R4: return GridValue{static_cast<double>(V_R4(&value))};
    case VT_DATE: return GridValue{V_DATE(&value)};
    case VT_BOOL: return GridValue{V_BOOL(&value) != VARIANT_FALSE};
    case VT_BSTR: return GridValue{*TextOf(value)};
    case VT_ERROR: {
      const int32_t code = static_cast<int32_t>(V_ERROR(&value) & 0xFFFF) - kCvErrBase;
      return GridValue{ErrorValue{code >= 0 && code <= kErrorNotAvailable ? code : kErrorValue}};
    }
    default:
      if (const auto integer = IntegerOf(value)) return GridValue{static_cast<double>(*integer)};
      return std::nullopt;
  }
}

// Application.Range and Worksheet.Range (Cell1, [Cell2]): each a text naming cells of the sheet or
// a Range.
HRESULT RangeOf(const Context& context, const Invocation& call, VARIANT& result) {
  if (call.count() < 1 || call.count() > 2) return DISP_E_BADPARAMCOUNT;
  if (call.Argument(0) == nullptr) return DISP_E_PARAMNOTOPTIONAL;
  std::optional<CellRange> range;
  for (size_t i = 0; i < call.count(); ++i) {
    const VARIANT* argument = call.Argument(i);
    if (argument == nullptr) continue;
    std::optional<CellRange> part;
    if (const auto text = TextOf(*argument)) {
      const auto reference = ParseRangeReference(*text);
      if (!reference || !context.workbook.Names(*reference)) return kExcelCallFailed;
      part = reference->range;
    } else if (V_VT(argument) == VT_DISPATCH) {
      part = RangeBehind(*argument);
      if (!part) return kExcelCallFailed;
    } else {
      return DISP_E_TYPEMISMATCH;
    }
    range = range ? Span(*range, *part) : *part;
  }
  return Put(result, MakeRange(context, *range));
}

class ApplicationObject final : public DispatchObject<IDispatch> {
 public:
  explicit ApplicationObject(const Context& context)
      : DispatchObject(kApplicationInterfaceId, kApplicationMembers, context.gate), context_(context) {}

 private:
  HRESULT Call(DISPID member, const Invocation& call, VARIANT& result) override {
    Workbook& workbook = context_.workbook;
    if (member == kScreenUpdating && call.is_put()) {
      const auto on = BoolOf(*call.put_value());
      if (!on) return DISP_E_TYPEMISMATCH;
      workbook.set_screen_updating(*on);
      return S_OK;
    }
    if (member == kIntersect || member == kCalculateFull) {
      if (!call.is_method()) return DISP_E_MEMBERNOTFOUND;
      if (member == kCalculateFull) {
        if (call.count() != 0) return DISP_E_BADPARAMCOUNT;
        workbook.CalculateFull();
        return S_OK;
      }
      return Intersect(call, result);
    }
    if (!call.is_get() || call.is_put()) return DISP_E_MEMBERNOTFOUND;
    if (member == kRange) return RangeOf(context_, call, result);
    if (call.count() != 0) return DISP_E_BADPARAMCOUNT;
    switch (member) {
      case kHwnd:
        // Excel answers a window handle as a 32-bit integer; a client sign-extends it.
        V_VT(&result) = VT_I4;
        V_I4(&result) = static_cast<LONG>(reinterpret_cast<LONG_PTR>(context_.main_window));
        return S_OK;
      case kActiveCell: return Put(result, MakeRange(context_, CellRange::Of(workbook.active_cell())));
      case kSelection: return Put(result, MakeRange(context_, workbook.selection()));
      case kActiveSheet: return Put(result, MakeWorksheet(context_));
      case kScreenUpdating: PutBool(result, workbook.screen_updating()); return S_OK;
      default: return DISP_E_MEMBERNOTFOUND;
    }
  }


  // Intersect(Arg1, Arg2, [Arg3] ...): the cells all of them hold, or Nothing.
  HRESULT Intersect(const Invocation& call, VARIANT& result) {
    if (call.count() < 2) return DISP_E_BADPARAMCOUNT;
    std::optional<CellRange> meet;
    for (size_t i = 0; i < call.count(); ++i) {
      const VARIANT* argument = call.Argument(i);
      if (argument == nullptr) {
        if (i < 2) return DISP_E_PARAMNOTOPTIONAL;
        continue;
      }
      if (V_VT(argument) != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
      const auto range = RangeBehind(*argument);
      if (!range) return DISP_E_TYPEMISMATCH;
      if (i == 0) {
        meet = range;
      } else if (meet) {
        meet = Intersection(*meet, *range);
      }
    }
    if (!meet) {
      PutDispatch(result, nullptr);
      return S_OK;
    }
    return Put(result, MakeRange(context_, *meet));
  }

  Context context_;
};

class RangeObject final : public DispatchObject<IDispatch> {
 public:
  RangeObject(const Context& context, const CellRange& range)
      : DispatchObject(kRangeInterfaceId, kRangeMembers, context.gate), context_(context), range_(range) {}

  const CellRange& range() const { return range_; }

 private:
  void* OtherInterface(REFIID iid) override {
    return IsEqualIID(iid, kRangeObjectId) ? static_cast<IDispatch*>(this) : nullptr;
  }

  HRESULT Call(DISPID member, const Invocation& call, VARIANT& result) override {
    Workbook& workbook = context_.workbook;
    if (call.is_put()) {
      if (call.count() != 0) return DISP_E_BADPARAMCOUNT;
      const VARIANT& value = *call.put_value();
      switch (member) {
        case kValue2: return PutValues(value);
        case kNumberFormatLocal: {
          const auto format = TextOf(value);
          if (!format) return DISP_E_TYPEMISMATCH;
          return workbook.SetNumberFormat(range_, *format) ? S_OK : kExcelCallFailed;
        }
        case kHorizontalAlignment: {
          const auto alignment = IntegerOf(value);
          if (!alignment) return DISP_E_TYPEMISMATCH;
          if (*alignment < INT32_MIN || *alignment > INT32_MAX) return kExcelCallFailed;
          return workbook.SetHorizontalAlignment(range_, static_cast<int32_t>(*alignment)) ? S_OK : kExcelCallFailed;
        }
        default: return DISP_E_MEMBERNOTFOUND;
      }
    }
    if (member == kDirty) {
      if (!call.is_method()) return DISP_E_MEMBERNOTFOUND;
      if (call.count() != 0) return DISP_E_BADPARAMCOUNT;
      workbook.Dirty(range_);
      return S_OK;
    }
    if (!call.is_get()) return DISP_E_MEMBERNOTFOUND;
    if (member == kResize) return Resize(call, result);
    if (member == kAddress) return Address(call, result);
    if (call.count() != 0) return DISP_E_BADPARAMCOUNT;
    switch (member) {
      case kValue2: return GetValues(result);
      case kNumberFormatLocal: {
        const auto format = workbook.NumberFormat(range_);
        if (!format) {
          V_VT(&result) = VT_NULL;  // the cells differ
          return S_OK;
        }
        return PutTextOrFail(result, *format);
      }
      case kHorizontalAlignment: {
        const auto alignment = workbook.HorizontalAlignment(range_);
        if (alignment) {
          V_VT(&result) = VT_I4;
          V_I4(&result) = *alignment;
        } else {
          V_VT(&result) = VT_NULL;
        }
        return S_OK;
      }
      case kWorksheet: return Put(result, MakeWorksheet(context_));
      default: return DISP_E_MEMBERNOTFOUND;
    }
  }

  // Resize([RowSize], [ColumnSize]): an omitted size stays.
  HRESULT Resize(const Invocation& call, VARIANT& result) {
    if (call.count() > 2) return DISP_E_BADPARAMCOUNT;
    int64_t sizes[2] = {range_.rows(), range_.columns()};
    for (size_t i = 0; i < call.count(); ++i) {
      if (call.Argument(i) == nullptr) continue;
      const auto size = IntegerOf(*call.Argument(i));
      if (!size) return DISP_E_TYPEMISMATCH;
      sizes[i] = *size;
    }
    const auto resized = Resized(range_, sizes[0], sizes[1]);
    if (!resized) return kExcelCallFailed;
    return Put(result, MakeRange(context_, *resized));
  }

  // Address([RowAbsolute], [ColumnAbsolute], [ReferenceStyle], [External], [RelativeTo]).
  HRESULT Address(const Invocation& call, VARIANT& result) {
    if (call.count() > 5) return DISP_E_BADPARAMCOUNT;
    AddressStyle style;
    style.relative_to = context_.workbook.active_cell();
    bool* const flags[] = {&style.row_absolute, &style.column_absolute, nullptr, &style.external};
    for (size_t i = 0; i < call.count(); ++i) {
      const VARIANT* argument = call.Argument(i);
      if (argument == nullptr) continue;
      if (i == 2) {
        const auto reference_style = IntegerOf(*argument);
        if (!reference_style) return DISP_E_TYPEMISMATCH;
        if (*reference_style != kStyleA1 && *reference_style != kStyleR1C1) return kExcelCallFailed;
        style.style = *reference_style == kStyleA1 ? ReferenceStyle::kA1 : ReferenceStyle::kR1C1;
      } else if (i == 4) {
        const auto relative_to = V_VT(argument) == VT_DISPATCH ? RangeBehind(*argument) : std::nullopt;
        if (!relative_to) return DISP_E_TYPEMISMATCH;
        style.relative_to = relative_to->first;
      } else {
        const auto flag = BoolOf(*argument);
        if (!flag) return DISP_E_TYPEMISMATCH;
        *flags[i] = *flag;
      }
    }
    const Sheet& sheet = context_.workbook.sheet();
    return PutTextOrFail(result, RangeAddress(range_, style, sheet.book_name(), sheet.name()));
  }

  // One cell's value, or a 2-D array of rows by columns from index 1, as Excel answers.
  HRESULT GetValues(VARIANT& result) {
    const auto values = context_.workbook.Values(range_);
    if (!values) return kExcelCallFailed;
    if (range_.cells() == 1) return PutValue(result, (*values)[0][0]) ? S_OK : E_OUTOFMEMORY;
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(range_.rows()), 1}, {static_cast<ULONG>(range_.columns()), 1}};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (array == nullptr) return E_OUTOFMEMORY;
    for (LONG row = 0; row < range_.rows(); ++row) {
      for (LONG column = 0; column < range_.columns(); ++column) {
        VARIANT cell;
        VariantInit(&cell);
        LONG index[2] = {row + 1, column + 1};
        const bool made = PutValue(cell, (*values)[row][column]);
        const HRESULT put = made ? SafeArrayPutElement(array, index, &cell) : E_OUTOFMEMORY;
        VariantClear(&cell);
        if (FAILED(put)) {
          SafeArrayDestroy(array);
          return put;
        }
      }
    }
    V_VT(&result) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&result) = array;
    return S_OK;
  }

  // A scalar fills every cell; an array (one row, or rows by columns) fills the cells it covers
  // from the top left, and the cells of the range beyond it get #N/A.
  HRESULT PutValues(const VARIANT& value) {
    if (range_.cells() > Workbook::kMaxCellsPerCall) return kExcelCallFailed;
    std::vector<std::vector<GridValue>> table;
    if ((V_VT(&value) & VT_ARRAY) != 0) {
      const HRESULT read = ReadArray(value, table);
      if (FAILED(read)) return read;
    } else {
      const auto scalar = CellValueOf(value);
      if (!scalar) return DISP_E_TYPEMISMATCH;
      table.assign(1, std::vector<GridValue>(1, *scalar));
    }
    const bool scalar = (V_VT(&value) & VT_ARRAY) == 0;
    for (int64_t row = 0; row < range_.rows(); ++row) {
      for (int64_t column = 0; column < range_.columns(); ++column) {
        GridValue cell = ErrorValue{kErrorNotAvailable};
        if (scalar) {
          cell = table[0][0];
        } else if (row < static_cast<int64_t>(table.size()) && column < static_cast<int64_t>(table[row].size())) {
          cell = table[row][column];
        }
        std::string error;
        const CellAddress address{range_.first.row + static_cast<int32_t>(row),
                                  range_.first.column + static_cast<int32_t>(column)};
        if (!context_.workbook.Write(address, cell, error)) return kExcelCallFailed;
      }
    }
    return S_OK;
  }

  // The part of an array of VARIANTs that the range covers, by rows.
  HRESULT ReadArray(const VARIANT& value, std::vector<std::vector<GridValue>>& table) {
    if ((V_VT(&value) & ~(VT_ARRAY | VT_BYREF)) != VT_VARIANT) return DISP_E_TYPEMISMATCH;
    SAFEARRAY* array = (V_VT(&value) & VT_BYREF) != 0 ? (V_ARRAYREF(&value) ? *V_ARRAYREF(&value) : nullptr)
                                                      : V_ARRAY(&value);
    if (array == nullptr) return DISP_E_TYPEMISMATCH;
    const UINT dimensions = SafeArrayGetDim(array);
    if (dimensions != 1 && dimensions != 2) return DISP_E_TYPEMISMATCH;
    LONG lower[2] = {0, 0};
    LONG upper[2] = {0, 0};
    for (UINT d = 0; d < dimensions; ++d) {
      if (FAILED(SafeArrayGetLBound(array, d + 1, &lower[d])) || FAILED(SafeArrayGetUBound(array, d + 1, &upper[d]))) {
        return DISP_E_TYPEMISMATCH;
      }
    }
    // A one-dimensional array is one row.
    const int64_t rows = dimensions == 2 ? int64_t{upper[0]} - lower[0] + 1 : 1;
    const int64_t columns = dimensions == 2 ? int64_t{upper[1]} - lower[1] + 1 : int64_t{upper[0]} - lower[0] + 1;
    const int64_t used_rows = std::min(rows, range_.rows());
    const int64_t used_columns = std::min(columns, range_.columns());
    for (int64_t row = 0; row < used_rows; ++row) {
      std::vector<GridValue>& values = table.emplace_back();
      for (int64_t column = 0; column < used_columns; ++column) {
        LONG index[2];
        if (dimensions == 2) {
          index[0] = static_cast<LONG>(lower[0] + row);
          index[1] = static_cast<LONG>(lower[1] + column);
        } else {
          index[0] = static_cast<LONG>(lower[0] + column);
        }
        VARIANT element;
        VariantInit(&element);
        if (FAILED(SafeArrayGetElement(array, index, &element))) return DISP_E_TYPEMISMATCH;
        const auto cell = CellValueOf(element);
        VariantClear(&element);
        if (!cell) return DISP_E_TYPEMISMATCH;
        values.push_back(*cell);
      }
    }
    return S_OK;
  }

  Context context_;
  CellRange range_;
};

class WorksheetObject final : public DispatchObject<IDispatch> {
 public:
  explicit WorksheetObject(const Context& context)
      : DispatchObject(kWorksheetInterfaceId, kWorksheetMembers, context.gate), context_(context) {}

 private:
  HRESULT Call(DISPID member, const Invocation& call, VARIANT& result) override {
    if (member == kRange) return call.is_get() && !call.is_put() ? RangeOf(context_, call, result) : DISP_E_MEMBERNOTFOUND;
    if (call.count() != 0) return DISP_E_BADPARAMCOUNT;
    Workbook& workbook = context_.workbook;
    if (call.is_put()) {
      if (member != kEnableCalculation) return DISP_E_MEMBERNOTFOUND;
      const auto enabled = BoolOf(*call.put_value());
      if (!enabled) return DISP_E_TYPEMISMATCH;
      workbook.SetCalculationEnabled(*enabled);
      return S_OK;
    }
    if (!call.is_get()) return DISP_E_MEMBERNOTFOUND;
    if (member == kEnableCalculation) {
      PutBool(result, workbook.calculation_enabled());
      return S_OK;
    }
    return PutTextOrFail(result, workbook.sheet().name());
  }

  Context context_;
};

ComPtr<IDispatch> MakeRange(const Context& context, const CellRange& range) {
  return ComPtr<IDispatch>(new (std::nothrow) RangeObject(context, range));
}

ComPtr<IDispatch> MakeWorksheet(const Context& context) {
  return ComPtr<IDispatch>(new (std::nothrow) WorksheetObject(context));
}

std::optional<CellRange> RangeBehind(const VARIANT& variant) {
  IDispatch* object = V_DISPATCH(&variant);
  if (object == nullptr) return std::nullopt;
  ComPtr<IDispatch> found;
  if (FAILED(object->QueryInterface(kRangeObjectId, reinterpret_cast<void**>(found.Receive())))) return std::nullopt;
  return static_cast<RangeObject*>(found.get())->range();
}

}  // namespace

ComPtr<IDispatch> MakeApplication(Workbook& workbook, const ApartmentGate& gate, HWND main_window) {
  return ComPtr<IDispatch>(new (std::nothrow) ApplicationObject(Context{workbook, gate, main_window}));
}

}  // namespace orra::xlhost
