#include "tools/xlhost/com_rtd_server.h"

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "addin/com_ptr_win32.h"
#include "addin/office_interfaces.h"
#include "xll/xl_constants.h"
#include "xll/xloper.h"

namespace orra::xlhost {
namespace {

// IRTDUpdateEvent's dispatch ids, as Excel's type library numbers them.
constexpr DISPID kUpdateNotifyId = 10;
constexpr DISPID kHeartbeatIntervalId = 11;
constexpr DISPID kDisconnectId = 12;
// Excel's heartbeat interval until a server sets one.
constexpr LONG kDefaultHeartbeatMs = 15000;
// VT_ERROR's scode of an Excel error: this base plus the error's code.
constexpr SCODE kExcelErrorBase = static_cast<SCODE>(0x800A07D0);
constexpr int32_t kExcelErrorCodes[] = {xlerrNull, xlerrDiv0, xlerrValue, xlerrRef,
                                        xlerrName, xlerrNum,  xlerrNA,    xlerrGettingData};
// RefreshData's array: a row of topic ids over a row of values.
constexpr LONG kReportRows = 2;

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }
  VARIANT* get() { return &value_; }
  const VARIANT& value() const { return value_; }

 private:
  VARIANT value_;
};

class SafeArray {
 public:
  explicit SafeArray(SAFEARRAY* array) : array_(array) {}
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  ~SafeArray() {
    if (array_ != nullptr) SafeArrayDestroy(array_);
  }
  SAFEARRAY* get() const { return array_; }
  // For a by-reference argument: the callee may replace the array, and this frees what is
  // there at the end.
  SAFEARRAY** address() { return &array_; }

 private:
  SAFEARRAY* array_;
};

bool IsNumber(VARTYPE type) {
  switch (type) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
    case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL: case VT_DATE:
      return true;
    default:
      return false;
  }
}

// A value a server answers, as the cell shows it. What a cell cannot hold shows #VALUE!.
GridValue ValueOf(const VARIANT& value) {
  const VARTYPE type = value.vt;
  if (type == VT_EMPTY) return std::monostate{};
  if (type == VT_BOOL) return value.boolVal != VARIANT_FALSE;
  if (type == VT_BSTR) {
    if (value.bstrVal == nullptr) return std::u16string();
    const size_t length = std::min<size_t>(SysStringLen(value.bstrVal), kMaxXlTextUnits);
    return std::u16string(reinterpret_cast<const char16_t*>(value.bstrVal), length);
  }
  if (type == VT_ERROR) {
    for (const int32_t code : kExcelErrorCodes) {
      if (value.scode == kExcelErrorBase + code) return ErrorValue{code};
    }
    return ErrorValue{xlerrValue};
  }
  if (IsNumber(type)) {
    Variant number;
    if (SUCCEEDED(VariantChangeType(number.get(), const_cast<VARIANT*>(&value), 0, VT_R8))) return number.value().dblVal;
  }
  return ErrorValue{xlerrValue};
}

// A topic id as a server reports it: a whole number that fits, of a number type.
std::optional<int32_t> TopicIdOf(const VARIANT& value) {
  if (!IsNumber(value.vt)) return std::nullopt;
  Variant number;
  if (FAILED(VariantChangeType(number.get(), const_cast<VARIANT*>(&value), 0, VT_R8))) return std::nullopt;
  const double id = number.value().dblVal;
  if (!(id >= INT32_MIN && id <= INT32_MAX) || id != static_cast<double>(static_cast<int32_t>(id))) {
    return std::nullopt;
  }
  return static_cast<int32_t>(id);
}

// RefreshData's answer: a two-dimensional array of VARIANT, 2 by n, with `count` <= n
// columns filled, (0, i) a topic id and (1, i) its value. None when it is not of that shape;
// a column whose id is no topic id is left out.
std::optional<std::vector<TopicUpdate>> ReadReport(const VARIANT& answer, LONG count) {
  if (answer.vt != (VT_ARRAY | VT_VARIANT) || answer.parray == nullptr) return std::nullopt;
  SAFEARRAY* array = answer.parray;
  VARTYPE element_type = VT_EMPTY;
  if (SafeArrayGetDim(array) != 2 || array->cbElements != sizeof(VARIANT) ||
      FAILED(SafeArrayGetVartype(array, &element_type)) || element_type != VT_VARIANT) {
    return std::nullopt;
  }
  LONG row_low = 0, row_high = 0, column_low = 0, column_high = 0;
  if (FAILED(SafeArrayGetLBound(array, 1, &row_low)) || FAILED(SafeArrayGetUBound(array, 1, &row_high)) ||
      FAILED(SafeArrayGetLBound(array, 2, &column_low)) || FAILED(SafeArrayGetUBound(array, 2, &column_high))) {
    return std::nullopt;
  }
  const int64_t rows = static_cast<int64_t>(row_high) - row_low + 1;
  const int64_t columns = static_cast<int64_t>(column_high) - column_low + 1;
  if (rows != kReportRows || count < 0 || count > columns) return std::nullopt;
  std::vector<TopicUpdate> updates;
  updates.reserve(static_cast<size_t>(count));
  for (LONG i = 0; i < count; ++i) {
    Variant id;
    Variant value;
    std::array<LONG, 2> id_index{row_low, column_low + i};
    std::array<LONG, 2> value_index{row_low + 1, column_low + i};
    if (FAILED(SafeArrayGetElement(array, id_index.data(), id.get())) ||
        FAILED(SafeArrayGetElement(array, value_index.data(), value.get()))) {
      return std::nullopt;
    }
    const std::optional<int32_t> topic_id = TopicIdOf(id.value());
    if (!topic_id) continue;
    updates.push_back(TopicUpdate{*topic_id, ValueOf(value.value())});
  }
  return updates;
}

// The strings as the elements of a new vector of VARIANT, each BSTR made in its place: a
// sheet connects one topic per cell, and SafeArrayPutElement would copy every string again.
bool FillStrings(SAFEARRAY* array, const std::vector<std::u16string>& strings) {
  if (strings.empty()) return true;
  VARIANT* elements = nullptr;
  if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&elements)))) return false;
  bool filled = true;
  for (size_t i = 0; i < strings.size() && filled; ++i) {
    const std::u16string& string = strings[i];
    elements[i].bstrVal =
        SysAllocStringLen(reinterpret_cast<const OLECHAR*>(string.data()), static_cast<UINT>(string.size()));
    // A string left out leaves its element VT_EMPTY, which destroying the array skips.
    if (elements[i].bstrVal != nullptr) elements[i].vt = VT_BSTR;
    filled = elements[i].bstrVal != nullptr;
  }
  SafeArrayUnaccessData(array);
  return filled;
}

// Excel's side of the callback a server is started with. Reference counted; its notice is
// read on the thread that started the server.
class UpdateEvent final : public IRTDUpdateEvent {
 public:
  bool TakeNotice() { return notified_.exchange(false); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IRTDUpdateEvent)) {
      *object = static_cast<IRTDUpdateEvent*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    static constexpr std::pair<const wchar_t*, DISPID> kMembers[] = {
        {L"UpdateNotify", kUpdateNotifyId}, {L"HeartbeatInterval", kHeartbeatIntervalId}, {L"Disconnect", kDisconnectId}};
    HRESULT answer = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      // The members take no named arguments, so only the first name can be known.
      for (const auto& [name, id] : kMembers) {
        if (i == 0 && names[i] != nullptr && lstrcmpiW(names[i], name) == 0) ids[i] = id;
      }
      if (ids[i] == DISPID_UNKNOWN) answer = DISP_E_UNKNOWNNAME;
    }
    return answer;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    const UINT arguments = parameters == nullptr ? 0 : parameters->cArgs;
    switch (id) {
      case kUpdateNotifyId:
      case kDisconnectId:
        if ((flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
        if (arguments != 0) return DISP_E_BADPARAMCOUNT;
        return id == kUpdateNotifyId ? UpdateNotify() : Disconnect();
      case kHeartbeatIntervalId:
        if ((flags & DISPATCH_PROPERTYPUT) != 0) {
          if (arguments != 1 || parameters->rgvarg == nullptr) return DISP_E_BADPARAMCOUNT;
          Variant interval;
          if (FAILED(VariantChangeType(interval.get(), &parameters->rgvarg[0], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
          return put_HeartbeatInterval(interval.value().lVal);
        }
        if ((flags & DISPATCH_PROPERTYGET) != 0) {
          if (result == nullptr) return E_POINTER;
          VariantInit(result);
          result->vt = VT_I4;
          return get_HeartbeatInterval(&result->lVal);
        }
        return DISP_E_MEMBERNOTFOUND;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  HRESULT STDMETHODCALLTYPE UpdateNotify() override {
    notified_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_HeartbeatInterval(LONG* interval_ms) override {
    if (interval_ms == nullptr) return E_POINTER;
    *interval_ms = heartbeat_ms_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_HeartbeatInterval(LONG interval_ms) override {
    heartbeat_ms_ = interval_ms;
    return S_OK;
  }
  // A server that says it has gone away: its topics stay until the host terminates it, which
  // is what the host does with a server that answers nothing.
  HRESULT STDMETHODCALLTYPE Disconnect() override { return S_OK; }

 private:
  ~UpdateEvent() = default;

  LONG references_ = 1;
  std::atomic<bool> notified_{false};
  LONG heartbeat_ms_ = kDefaultHeartbeatMs;
};

class ComRtdServer final : public RtdServerPort {
 public:
  ComRtdServer(IDispatch& server, ComPtr<UpdateEvent> events)
      : server_(ComPtr<IDispatch>::Share(&server)), events_(std::move(events)) {}

  // ServerStart with this host's callback; whether the server answered a positive result.
  bool Start() {
    std::array<VARIANTARG, 1> arguments{};
    arguments[0].vt = VT_DISPATCH;
    arguments[0].pdispVal = events_.Get();
    Variant result;
    if (FAILED(Call(L"ServerStart", arguments, result.get()))) return false;
    Variant started;
    return SUCCEEDED(VariantChangeType(started.get(), result.get(), 0, VT_I4)) && started.value().lVal > 0;
  }

  std::optional<GridValue> ConnectData(int32_t topic_id, const std::vector<std::u16string>& strings) override {
    SafeArray topics(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(strings.size())));
    if (topics.get() == nullptr || !FillStrings(topics.get(), strings)) return std::nullopt;
    VARIANT_BOOL get_new_values = VARIANT_TRUE;
    // The last argument first, as IDispatch::Invoke takes them.
    std::array<VARIANTARG, 3> arguments{};
    arguments[2].vt = VT_I4;
    arguments[2].lVal = topic_id;
    arguments[1].vt = VT_ARRAY | VT_VARIANT | VT_BYREF;
    arguments[1].pparray = topics.address();
    arguments[0].vt = VT_BOOL | VT_BYREF;
    arguments[0].pboolVal = &get_new_values;
    Variant value;
    if (FAILED(Call(L"ConnectData", arguments, value.get()))) return std::nullopt;
    return ValueOf(value.value());
  }

  std::optional<std::vector<TopicUpdate>> RefreshData() override {
    LONG count = 0;
    std::array<VARIANTARG, 1> arguments{};
    arguments[0].vt = VT_I4 | VT_BYREF;
    arguments[0].plVal = &count;
    Variant report;
    if (FAILED(Call(L"RefreshData", arguments, report.get()))) return std::nullopt;
    return ReadReport(report.value(), count);
  }

  void DisconnectData(int32_t topic_id) override {
    std::array<VARIANTARG, 1> arguments{};
    arguments[0].vt = VT_I4;
    arguments[0].lVal = topic_id;
    Variant ignored;
    Call(L"DisconnectData", arguments, ignored.get());
  }

  void Terminate() override {
    Variant ignored;
    Call(L"ServerTerminate", {}, ignored.get());
    server_.Reset();
  }

  bool TakeUpdateNotice() override { return events_->TakeNotice(); }

 private:
  // Invokes the method `name` as a method; the dispatch id is asked once and kept.
  HRESULT Call(const wchar_t* name, std::span<VARIANTARG> arguments, VARIANT* result) {
    if (!server_) return E_UNEXPECTED;
    auto known = dispatch_ids_.find(std::wstring_view(name));
    if (known == dispatch_ids_.end()) {
      DISPID id = DISPID_UNKNOWN;
      LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
      const HRESULT found = server_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
      if (FAILED(found)) return found;
      known = dispatch_ids_.emplace(name, id).first;
    }
    DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    EXCEPINFO exception{};
    UINT argument_error = 0;
    const HRESULT answer = server_->Invoke(known->second, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                           &parameters, result, &exception, &argument_error);
    if (answer == DISP_E_EXCEPTION) {
      SysFreeString(exception.bstrSource);
      SysFreeString(exception.bstrDescription);
      SysFreeString(exception.bstrHelpFile);
    }
    return answer;
  }

  ComPtr<IDispatch> server_;
  ComPtr<UpdateEvent> events_;
  std::map<std::wstring, DISPID, std::less<>> dispatch_ids_;  // found by the name's view, not a copy
};

class ComRtdServerFactory final : public RtdServerFactory {
 public:
  std::unique_ptr<RtdServerPort> Start(std::u16string_view prog_id) override {
    const std::wstring name(prog_id.begin(), prog_id.end());
    CLSID class_id{};
    if (FAILED(CLSIDFromProgID(name.c_str(), &class_id))) return nullptr;
    ComPtr<IDispatch> server;
    if (FAILED(CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                __uuidof(IRtdServer), reinterpret_cast<void**>(server.Put())))) {
      return nullptr;
    }
    return StartComRtdServer(*server.Get());
  }
};

}  // namespace

std::unique_ptr<RtdServerFactory> MakeComRtdServerFactory() { return std::make_unique<ComRtdServerFactory>(); }

std::unique_ptr<RtdServerPort> StartComRtdServer(IDispatch& server) {
  // A new event object starts with the one reference the server port takes over.
  ComPtr<UpdateEvent> events;
  *events.Put() = new UpdateEvent;
  auto port = std::make_unique<ComRtdServer>(server, std::move(events));
  if (!port->Start()) return nullptr;
  return port;
}

}  // namespace orra::xlhost
