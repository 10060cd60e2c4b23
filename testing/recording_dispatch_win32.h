#pragma once
// RecordingDispatch: a stand-in for Excel's objects behind IDispatch, for the tests of the
// late-bound Excel adapter. Every object answers the member names of Excel's object model the
// add-in uses (GetIDsOfNames gives each its own id, unknown names DISP_E_UNKNOWNNAME) and
// records each Invoke: the object, the member, the flags, the named arguments and the
// arguments as Invoke received them (rgvarg[0] first), written out as text. A property get
// of an object (ActiveCell, Range, Resize, ...) answers a new recording object named for the
// member; Range.Address answers an external address. Any member can be made to fail as Excel
// fails while a cell is being edited: DISP_E_EXCEPTION with a description.
//
// One thread, as Excel's objects are used; it counts the objects alive so a test can prove
// every reference was given back.

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>

#include <array>
#include <set>
#include <string>
#include <vector>

namespace orra::testing {

struct RecordedCall {
  std::wstring object;  // "Application", or the member that handed the object out
  std::wstring member;
  WORD flags = 0;
  std::vector<DISPID> named;
  std::vector<std::wstring> arguments;  // as received: the last logical argument first
};

struct RecordingExcel {
  std::vector<RecordedCall> calls;
  std::set<std::wstring> failing;       // members that fail with DISP_E_EXCEPTION
  std::wstring failure_description = L"Excel is busy.";
  bool intersect_is_nothing = false;
  std::wstring external_address = L"'[Book1.xlsx]Sheet1'!$A$1";
  int live_objects = 0;

  // The calls of one member, in order.
  std::vector<RecordedCall> CallsOf(const std::wstring& member) const {
    std::vector<RecordedCall> found;
    for (const RecordedCall& call : calls) {
      if (call.member == member) found.push_back(call);
    }
    return found;
  }
};

// A VARIANT as text: "I4:5", "BOOL:true", "BSTR:B2", "R8:1.5", "EMPTY", "DISPATCH", or for a
// two-dimensional array "ARRAY[rows x columns]" with dimension 1's bounds first, then every
// element as SafeArrayGetElement reads it at (row, column), row after row.
inline std::wstring Describe(const VARIANT& value) {
  switch (value.vt) {
    case VT_EMPTY:
      return L"EMPTY";
    case VT_I4:
      return L"I4:" + std::to_wstring(value.lVal);
    case VT_R8: {
      wchar_t digits[32];
      swprintf(digits, 32, L"%g", value.dblVal);
      return std::wstring(L"R8:") + digits;
    }
    case VT_BOOL:
      return value.boolVal == VARIANT_TRUE ? L"BOOL:true" : (value.boolVal == VARIANT_FALSE ? L"BOOL:false" : L"BOOL:?");
    case VT_BSTR:
      return L"BSTR:" + std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
    case VT_DISPATCH:
      return value.pdispVal == nullptr ? L"NOTHING" : L"DISPATCH";
    case VT_ARRAY | VT_VARIANT: {
      SAFEARRAY* array = value.parray;
      if (array == nullptr || SafeArrayGetDim(array) != 2) return L"ARRAY?";
      LONG low[2], high[2];
      for (UINT d = 0; d < 2; ++d) {
        SafeArrayGetLBound(array, d + 1, &low[d]);
        SafeArrayGetUBound(array, d + 1, &high[d]);
      }
      std::wstring text = L"ARRAY[" + std::to_wstring(low[0]) + L".." + std::to_wstring(high[0]) + L" x " +
                          std::to_wstring(low[1]) + L".." + std::to_wstring(high[1]) + L"]";
      for (LONG r = low[0]; r <= high[0]; ++r) {
        for (LONG c = low[1]; c <= high[1]; ++c) {
          LONG index[2] = {r, c};
          VARIANT element;
          VariantInit(&element);
          if (FAILED(SafeArrayGetElement(array, index, &element))) return text + L" unreadable";
          text += L" " + Describe(element);
          VariantClear(&element);
        }
      }
      return text;
    }
    default:
      return L"VT:" + std::to_wstring(value.vt);
  }
}

class RecordingDispatch final : public IDispatch {
 public:
  // The members the adapter may ask for; each answers id = index + 1.
  static constexpr std::array<const wchar_t*, 17> kMembers = {
      L"ActiveSheet", L"ActiveCell", L"Selection", L"Range", L"Intersect", L"CalculateFull",
      L"ScreenUpdating", L"Resize", L"Value2", L"NumberFormatLocal", L"HorizontalAlignment",
      L"Dirty", L"Worksheet", L"Address", L"EnableCalculation", L"Name", L"Hwnd"};

  // With one reference, the caller's.
  RecordingDispatch(RecordingExcel& excel, std::wstring name) : excel_(excel), name_(std::move(name)) {
    ++excel_.live_objects;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1) return E_INVALIDARG;
    for (size_t i = 0; i < kMembers.size(); ++i) {
      if (_wcsicmp(names[0], kMembers[i]) == 0) {
        ids[0] = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    if (id < 1 || static_cast<size_t>(id) > kMembers.size()) return DISP_E_MEMBERNOTFOUND;
    RecordedCall call{name_, kMembers[id - 1], flags, {}, {}};
    for (UINT i = 0; i < parameters->cNamedArgs; ++i) call.named.push_back(parameters->rgdispidNamedArgs[i]);
    for (UINT i = 0; i < parameters->cArgs; ++i) call.arguments.push_back(Describe(parameters->rgvarg[i]));
    excel_.calls.push_back(call);
    if (excel_.failing.count(call.member) != 0) {
      if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->bstrDescription = SysAllocString(excel_.failure_description.c_str());
        exception->scode = static_cast<SCODE>(0x800AC472);  // Excel's "busy" code
      }
      return DISP_E_EXCEPTION;
    }
    if (result == nullptr) return S_OK;
    VariantInit(result);
    if (call.member == L"Address") {
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString(excel_.external_address.c_str());
    } else if (call.member == L"Intersect" && excel_.intersect_is_nothing) {
      result->vt = VT_DISPATCH;
      result->pdispVal = nullptr;
    } else if ((flags & DISPATCH_PROPERTYPUT) == 0 && HandsOutObject(call.member)) {
      result->vt = VT_DISPATCH;
      result->pdispVal = new RecordingDispatch(excel_, call.member);
    }
    return S_OK;
  }

 private:
  ~RecordingDispatch() { --excel_.live_objects; }

  static bool HandsOutObject(const std::wstring& member) {
    return member == L"ActiveSheet" || member == L"ActiveCell" || member == L"Selection" || member == L"Range" ||
           member == L"Intersect" || member == L"Resize" || member == L"Worksheet";
  }

  RecordingExcel& excel_;
  const std::wstring name_;
  ULONG references_ = 1;
};

}  // namespace orra::testing
