#include "addin/dispatch_excel_win32.h"

#include <oleauto.h>

#include <cstdio>
#include <span>
#include <utility>
#include <variant>
#include <vector>

#include "addin/invoke_by_name_win32.h"
#include "addin/variant_win32.h"

namespace orra {
namespace {

// XlReferenceStyle.xlA1, for Range.Address.
constexpr int32_t kReferenceStyleA1 = 1;

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
const char16_t* Narrowed(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

// One reference to an object Excel handed out, released when the holder goes.
class Object {
 public:
  explicit Object(IDispatch* taken) : pointer_(taken) {}
  ~Object() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  Object(Object&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  Object& operator=(Object&&) = delete;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  IDispatch* get() const { return pointer_; }

 private:
  IDispatch* pointer_;
};

// A SAFEARRAY owned until it is handed on.
class SafeArray {
 public:
  explicit SafeArray(SAFEARRAY* owned) : array_(owned) {}
  ~SafeArray() {
    if (array_ != nullptr) SafeArrayDestroy(array_);
  }
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;

  SAFEARRAY* get() const { return array_; }
  SAFEARRAY* Release() { return std::exchange(array_, nullptr); }

 private:
  SAFEARRAY* array_;
};

// The arguments of one call, in the order Excel's documentation lists them; each is freed
// when the list goes. A text or object that cannot be made leaves the list unusable.
class Arguments {
 public:
  Arguments() = default;
  ~Arguments() {
    for (VARIANT& value : values_) VariantClear(&value);
  }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  Arguments& Text(std::u16string_view text) {
    VARIANT& value = Add();
    value.bstrVal = SysAllocStringLen(Wide(text.data()), static_cast<UINT>(text.size()));
    if (value.bstrVal == nullptr) {
      complete_ = false;
      return *this;
    }
    value.vt = VT_BSTR;
    return *this;
  }
  Arguments& Integer(int32_t number) {
    VARIANT& value = Add();
    value.vt = VT_I4;
    value.lVal = number;
    return *this;
  }
  Arguments& Logical(bool flag) {
    VARIANT& value = Add();
    value.vt = VT_BOOL;
    value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return *this;
  }
  // A reference of its own to `object`.
  Arguments& Shared(IDispatch* object) {
    VARIANT& value = Add();
    value.vt = VT_DISPATCH;
    value.pdispVal = object;
    object->AddRef();
    return *this;
  }
  // A two-dimensional array of VARIANTs, taken over.
  Arguments& Array(SafeArray& array) {
    VARIANT& value = Add();
    value.vt = VT_ARRAY | VT_VARIANT;
    value.parray = array.Release();
    return *this;
  }

  bool complete() const { return complete_; }
  std::span<const VARIANT> values() const { return values_; }

 private:
  VARIANT& Add() {
    values_.emplace_back();
    VariantInit(&values_.back());
    return values_.back();
  }

  std::vector<VARIANT> values_;
  bool complete_ = true;
};

std::u16string HexCode(HRESULT code) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "0x%08lX", static_cast<unsigned long>(code));
  return std::u16string(digits, digits + std::char_traits<char>::length(digits));
}

std::u16string FromBstr(BSTR text) {
  return text == nullptr ? std::u16string() : std::u16string(Narrowed(text), SysStringLen(text));
}

// "Range: <Excel's description> (0x800A03EC)", or the member and the code alone.
std::u16string Describe(const wchar_t* member, HRESULT result, EXCEPINFO* exception) {
  std::u16string text = Narrowed(member);
  text += u": ";
  if (exception != nullptr) {
    if (exception->pfnDeferredFillIn != nullptr) exception->pfnDeferredFillIn(exception);
    const std::u16string description = FromBstr(exception->bstrDescription);
    if (!description.empty()) text += description + u" ";
    if (exception->scode != 0) result = exception->scode;
  }
  return text + u"(" + HexCode(result) + u")";
}

// object.member(arguments) by name, with `flags`. `result` may be null.
bool Call(IDispatch* object, const wchar_t* member, WORD flags, const Arguments& arguments, VARIANT* result,
          std::u16string& error) {
  if (object == nullptr) {
    error = std::u16string(Narrowed(member)) + u": Excel's application object is missing";
    return false;
  }
  if (!arguments.complete()) {
    error = std::u16string(Narrowed(member)) + u": out of memory for the arguments";
    return false;
  }
  EXCEPINFO exception{};
  const HRESULT code = InvokeByName(object, member, flags, arguments.values(), result, &exception);
  if (FAILED(code)) error = Describe(member, code, code == DISP_E_EXCEPTION ? &exception : nullptr);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return SUCCEEDED(code);
}

// A property whose value is an object; nullopt when the call fails or gives Nothing.
std::optional<Object> GetObject(IDispatch* object, const wchar_t* member, const Arguments& arguments,
                                std::u16string& error) {
  Variant value;
  if (!Call(object, member, DISPATCH_PROPERTYGET, arguments, value.get(), error)) return std::nullopt;
  if (value.get()->vt != VT_DISPATCH || value.get()->pdispVal == nullptr) {
    error = std::u16string(Narrowed(member)) + u": Excel gave no object";
    return std::nullopt;
  }
  return Object(std::exchange(value.get()->pdispVal, nullptr));
}

std::optional<Object> GetObject(IDispatch* object, const wchar_t* member, std::u16string& error) {
  return GetObject(object, member, Arguments(), error);
}

bool Put(IDispatch* object, const wchar_t* member, const Arguments& value, std::u16string& error) {
  return Call(object, member, DISPATCH_PROPERTYPUT, value, nullptr, error);
}

bool Method(IDispatch* object, const wchar_t* member, std::u16string& error) {
  return Call(object, member, DISPATCH_METHOD, Arguments(), nullptr, error);
}

// Application.Range(address).
std::optional<Object> RangeOf(IDispatch* application, std::u16string_view address, std::u16string& error) {
  Arguments arguments;
  arguments.Text(address);
  return GetObject(application, L"Range", arguments, error);
}

// The qualifier of the worksheet's external address: Range("A1").Address(True, True, xlA1,
// True) up to its last '!'.
std::optional<SheetKey> KeyOf(IDispatch* sheet, std::u16string& error) {
  Arguments corner_address;
  corner_address.Text(u"A1");
  const auto corner = GetObject(sheet, L"Range", corner_address, error);
  if (!corner) return std::nullopt;
  Arguments external;
  external.Logical(true).Logical(true).Integer(kReferenceStyleA1).Logical(true);
  Variant address;
  if (!Call(corner->get(), L"Address", DISPATCH_PROPERTYGET, external, address.get(), error)) return std::nullopt;
  const std::u16string text = address.get()->vt == VT_BSTR ? FromBstr(address.get()->bstrVal) : std::u16string();
  const size_t bang = text.rfind(u'!');
  if (bang == std::u16string::npos || bang == 0) {
    error = u"Address: Excel gave no external address";
    return std::nullopt;
  }
  return text.substr(0, bang);
}

// One cell's value as Value2 takes it; false when a text cannot be allocated.
bool PutValue(const SheetValue& value, VARIANT& cell) {
  VariantInit(&cell);
  if (const auto* number = std::get_if<double>(&value)) {
    cell.vt = VT_R8;
    cell.dblVal = *number;
  } else if (const auto* text = std::get_if<std::u16string>(&value)) {
    cell.bstrVal = SysAllocStringLen(Wide(text->data()), static_cast<UINT>(text->size()));
    if (cell.bstrVal == nullptr) return false;
    cell.vt = VT_BSTR;
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    cell.vt = VT_BOOL;
    cell.boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
  }
  return true;
}

// The table as a SAFEARRAY of VARIANTs, rows in dimension 1 and columns in dimension 2, both
// from 0. A SAFEARRAY keeps its first dimension fastest in memory, so value (r, c) goes to
// element r + c × rows.
std::optional<SafeArray> ArrayOf(const SheetTable& table, std::u16string& error) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(table.rows()), 0}, {static_cast<ULONG>(table.columns()), 0}};
  SafeArray array(SafeArrayCreate(VT_VARIANT, 2, bounds));
  void* data = nullptr;
  if (array.get() == nullptr || FAILED(SafeArrayAccessData(array.get(), &data))) {
    error = u"Value2: out of memory for the table";
    return std::nullopt;
  }
  auto* cells = static_cast<VARIANT*>(data);
  const auto values = table.Values();
  bool complete = true;
  for (size_t row = 0; row < table.rows() && complete; ++row) {
    for (size_t column = 0; column < table.columns() && complete; ++column) {
      complete = PutValue(values[row * table.columns() + column], cells[row + column * table.rows()]);
    }
  }
  SafeArrayUnaccessData(array.get());
  if (!complete) {
    error = u"Value2: out of memory for the table's texts";
    return std::nullopt;
  }
  return std::optional<SafeArray>(std::in_place, array.Release());
}

}  // namespace

DispatchExcel::DispatchExcel(IDispatch* application) : application_(application) {
  if (application_ != nullptr) application_->AddRef();
}

DispatchExcel::~DispatchExcel() {
  if (application_ != nullptr) application_->Release();
}

std::optional<SheetKey> DispatchExcel::ActiveSheet() {
  const auto sheet = GetObject(application_, L"ActiveSheet", last_error_);
  // A chart sheet has no cells: its Range fails, so it is no worksheet here either.
  return sheet ? KeyOf(sheet->get(), last_error_) : std::nullopt;
}

std::optional<SheetKey> DispatchExcel::SheetOf(std::u16string_view address) {
  const auto range = RangeOf(application_, address, last_error_);
  if (!range) return std::nullopt;
  const auto sheet = GetObject(range->get(), L"Worksheet", last_error_);
  return sheet ? KeyOf(sheet->get(), last_error_) : std::nullopt;
}

std::optional<bool> DispatchExcel::SelectionIntersects(std::u16string_view address) {
  const auto selection = GetObject(application_, L"Selection", last_error_);
  if (!selection) return std::nullopt;
  const auto range = RangeOf(application_, address, last_error_);
  if (!range) return std::nullopt;
  Arguments ranges;
  ranges.Shared(selection->get()).Shared(range->get());
  Variant overlap;
  if (!Call(application_, L"Intersect", DISPATCH_METHOD, ranges, overlap.get(), last_error_)) return std::nullopt;
  // No common cell comes back as Nothing: an empty object reference.
  return overlap.get()->vt == VT_DISPATCH && overlap.get()->pdispVal != nullptr;
}

bool DispatchExcel::SetEnableCalculation(const SheetKey& sheet, bool enabled) {
  const auto corner = RangeOf(application_, sheet + u"!A1", last_error_);
  if (!corner) return false;
  const auto worksheet = GetObject(corner->get(), L"Worksheet", last_error_);
  if (!worksheet) return false;
  Arguments value;
  value.Logical(enabled);
  return Put(worksheet->get(), L"EnableCalculation", value, last_error_);
}

bool DispatchExcel::DirtySelection() {
  const auto selection = GetObject(application_, L"Selection", last_error_);
  return selection && Method(selection->get(), L"Dirty", last_error_);
}

bool DispatchExcel::CalculateFull() { return Method(application_, L"CalculateFull", last_error_); }

bool DispatchExcel::SetNumberFormatLocal(std::u16string_view address, std::u16string_view format) {
  const auto range = RangeOf(application_, address, last_error_);
  if (!range) return false;
  Arguments value;
  value.Text(format);
  return Put(range->get(), L"NumberFormatLocal", value, last_error_);
}

bool DispatchExcel::SetHorizontalAlignment(std::u16string_view address, int32_t alignment) {
  const auto range = RangeOf(application_, address, last_error_);
  if (!range) return false;
  Arguments value;
  value.Integer(alignment);
  return Put(range->get(), L"HorizontalAlignment", value, last_error_);
}

bool DispatchExcel::SetScreenUpdating(bool enabled) {
  Arguments value;
  value.Logical(enabled);
  return Put(application_, L"ScreenUpdating", value, last_error_);
}

bool DispatchExcel::WriteAtActiveCell(const SheetTable& table) {
  if (table.empty()) {
    last_error_ = u"Value2: the table has no values";
    return false;
  }
  auto array = ArrayOf(table, last_error_);
  if (!array) return false;
  const auto cell = GetObject(application_, L"ActiveCell", last_error_);
  if (!cell) return false;
  Arguments size;
  size.Integer(static_cast<int32_t>(table.rows())).Integer(static_cast<int32_t>(table.columns()));
  const auto block = GetObject(cell->get(), L"Resize", size, last_error_);
  if (!block) return false;
  Arguments value;
  value.Array(*array);
  return Put(block->get(), L"Value2", value, last_error_);
}

bool DispatchExcel::SetActiveBlockNumberFormatLocal(size_t rows, size_t columns, std::u16string_view format) {
  if (rows == 0 || columns == 0 || rows > SheetTable::kMaxRows || columns > SheetTable::kMaxColumns) {
    last_error_ = u"Resize: the block does not fit a worksheet";
    return false;
  }
  const auto cell = GetObject(application_, L"ActiveCell", last_error_);
  if (!cell) return false;
  Arguments size;
  size.Integer(static_cast<int32_t>(rows)).Integer(static_cast<int32_t>(columns));
  const auto block = GetObject(cell->get(), L"Resize", size, last_error_);
  if (!block) return false;
  Arguments value;
  value.Text(format);
  return Put(block->get(), L"NumberFormatLocal", value, last_error_);
}

}  // namespace orra
