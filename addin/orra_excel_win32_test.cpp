// The real DLL's COM class under Wine: the class factory and the module's lock count, the
// QueryInterface table, each interface's own IDispatch, IRtdServer driven by name as Excel
// drives it, and OnConnection with a stand-in Application. The DLL registers itself at its
// first DllGetClassObject; each test unregisters it again when it was not registered before.
#include <winsock2.h>
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "addin/com_ids.h"
#include "addin/com_ptr_win32.h"
#include "addin/office_interfaces.h"
#include "addin/orra_excel.h"
#include "testing/message_pump_win32.h"
#include "testing/variant_values_win32.h"

namespace orra {
namespace {

using testing::VariantLong;
using testing::VariantReference;

using GetClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
using CanUnloadNow = HRESULT(__stdcall*)();
using RegisterServer = HRESULT(__stdcall*)();

constexpr GUID kApplicationInterfaceId = {0x000208D5, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr DISPID kHwndId = 0x0785;
constexpr LONG kExcelWindow = 0x50A0;

std::wstring DirectoryOfThisProgram() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, n);
  return text.substr(0, text.find_last_of(L'\\') + 1);
}

bool ClassRegistered() {
  HKEY key = nullptr;
  const std::u16string id(kOrraExcelClassId);
  const std::wstring path = L"CLSID\\" + std::wstring(id.begin(), id.end());
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A counted COM object whose IDispatch side the tests do not use.
template <typename I>
class TestObject : public I {
 public:
  virtual ~TestObject() = default;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  LONG references = 1;  // the test's own; the object lives on the test's stack
};

class TestUpdateEvent final : public TestObject<IRTDUpdateEvent> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
        !IsEqualIID(riid, __uuidof(IRTDUpdateEvent))) {
      return E_NOINTERFACE;
    }
    *object = static_cast<IRTDUpdateEvent*>(this);
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UpdateNotify() override {
    ++notifications;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_HeartbeatInterval(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_HeartbeatInterval(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Disconnect() override { return S_OK; }
  int notifications = 0;
};

// Excel's Application as OnConnection sees it: answers Hwnd by name, and _Application when
// `offers_application`.
class TestApplication final : public TestObject<IDispatch> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    const bool application = offers_application && IsEqualIID(riid, kApplicationInterfaceId);
    if (!application && !IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1 || _wcsicmp(names[0], L"Hwnd") != 0) return DISP_E_UNKNOWNNAME;
    ids[0] = kHwndId;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id != kHwndId || (flags & DISPATCH_PROPERTYGET) == 0 || result == nullptr) return DISP_E_MEMBERNOTFOUND;
    ++hwnd_reads;
    if (FAILED(hwnd_failure)) return hwnd_failure;
    result->vt = VT_I4;
    result->lVal = kExcelWindow;
    return S_OK;
  }
  bool offers_application = true;
  HRESULT hwnd_failure = S_OK;
  int hwnd_reads = 0;
};

// A loopback listener standing in for the data server: counts the connections the add-in's
// connection thread opens to it.
class LoopbackListener {
 public:
  LoopbackListener() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    int length = sizeof(address);
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(socket_, 4);
  }
  ~LoopbackListener() {
    for (SOCKET accepted : accepted_) closesocket(accepted);
    closesocket(socket_);
    WSACleanup();
  }
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  int port() const { return port_; }
  // Accepts one connection within `limit`.
  bool Accept(std::chrono::milliseconds limit) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(socket_, &ready);
    timeval wait = {static_cast<long>(limit.count() / 1000), static_cast<long>(limit.count() % 1000 * 1000)};
    if (select(0, &ready, nullptr, nullptr, &wait) != 1) return false;
    const SOCKET accepted = accept(socket_, nullptr, nullptr);
    if (accepted == INVALID_SOCKET) return false;
    accepted_.push_back(accepted);
    return true;
  }
  // Whether the last accepted connection is closed by its peer within `limit`.
  bool LastClosed(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    char bytes[256];
    while (std::chrono::steady_clock::now() < end) {
      fd_set ready;
      FD_ZERO(&ready);
      FD_SET(accepted_.back(), &ready);
      timeval wait = {0, 100 * 1000};
      if (select(0, &ready, nullptr, nullptr, &wait) != 1) continue;
      if (recv(accepted_.back(), bytes, sizeof(bytes), 0) <= 0) return true;
    }
    return false;
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  int port_ = 0;
  std::vector<SOCKET> accepted_;
};

class OrraExcelUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    // OnConnection connects to the server the environment names: the test's own listener.
    _putenv_s("ORRA_SERVER", ("127.0.0.1:" + std::to_string(server.port())).c_str());
    registered_before_ = ClassRegistered();
    dll_ = LoadLibraryW((DirectoryOfThisProgram() + L"OrraAddin64.xll").c_str());
    ASSERT_NE(dll_, nullptr) << GetLastError();
    get_class_object_ = Export<GetClassObject>("DllGetClassObject");
    can_unload_now_ = Export<CanUnloadNow>("DllCanUnloadNow");
    unregister_ = Export<RegisterServer>("DllUnregisterServer");
    ASSERT_TRUE(get_class_object_ != nullptr && can_unload_now_ != nullptr && unregister_ != nullptr);
  }

  void TearDown() override {
    if (dll_ == nullptr) return;
    if (!registered_before_ && unregister_ != nullptr) unregister_();
    EXPECT_EQ(can_unload_now_(), S_OK) << "a test left an object or a lock behind";
    FreeLibrary(dll_);
    _putenv_s("ORRA_SERVER", "");
  }

  template <typename Function>
  Function Export(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
  }

  ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(get_class_object_(__uuidof(OrraExcel), IID_IClassFactory, reinterpret_cast<void**>(factory.Put())), S_OK);
    return factory;
  }

  template <typename I>
  ComPtr<I> Create() {
    ComPtr<I> object;
    ComPtr<IClassFactory> factory = Factory();
    if (factory) {
      EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(I), reinterpret_cast<void**>(object.Put())), S_OK);
    }
    return object;
  }

  LoopbackListener server;
  HMODULE dll_ = nullptr;
  GetClassObject get_class_object_ = nullptr;
  CanUnloadNow can_unload_now_ = nullptr;
  RegisterServer unregister_ = nullptr;
  bool registered_before_ = false;
};

DISPID IdOf(IDispatch* dispatch, const wchar_t* name) {
  std::wstring text(name);
  LPOLESTR names[] = {text.data()};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT result = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return SUCCEEDED(result) ? id : static_cast<DISPID>(result);
}

TEST_F(OrraExcelUnderWine, TheFactoryMakesObjectsOfItsClassOnlyAndTheModuleCountsThem) {
  EXPECT_EQ(can_unload_now_(), S_OK);

  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(get_class_object_(IID_IDispatch, IID_IClassFactory, &other), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(other, nullptr);

  ComPtr<IClassFactory> factory = Factory();
  ASSERT_TRUE(factory);
  EXPECT_EQ(can_unload_now_(), S_FALSE) << "a factory reference keeps the DLL";

  void* aggregated = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_IUnknown, &aggregated), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(aggregated, nullptr);

  ComPtr<IUnknown> first;
  ComPtr<IUnknown> second;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(first.Put())), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(second.Put())), S_OK);
  EXPECT_NE(first.Get(), second.Get()) << "every CreateInstance builds a new object";

  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  first.Reset();
  second.Reset();
  EXPECT_EQ(can_unload_now_(), S_FALSE) << "a server lock keeps the DLL";
  ComPtr<IClassFactory> again = Factory();
  EXPECT_EQ(again->LockServer(FALSE), S_OK);
  again.Reset();
  EXPECT_EQ(can_unload_now_(), S_OK);

  ComPtr<IClassFactory> last = Factory();
  void* unknown = reinterpret_cast<void*>(1);
  EXPECT_EQ(last->CreateInstance(nullptr, IID_IClassFactory, &unknown), E_NOINTERFACE);
  EXPECT_EQ(unknown, nullptr);
  last.Reset();
  EXPECT_EQ(can_unload_now_(), S_OK) << "an object no interface was found for is gone";
}

TEST_F(OrraExcelUnderWine, QueryInterfaceAnswersEachInterfaceWithItsOwnPointer) {
  ComPtr<IUnknown> object = Create<IUnknown>();
  ASSERT_TRUE(object);
  auto Query = [&](REFIID riid) {
    void* pointer = reinterpret_cast<void*>(1);
    const HRESULT result = object->QueryInterface(riid, &pointer);
    if (SUCCEEDED(result)) static_cast<IUnknown*>(pointer)->Release();
    return SUCCEEDED(result) ? pointer : nullptr;
  };
  void* tessel = Query(__uuidof(ITesselExcel));
  ASSERT_NE(tessel, nullptr);
  EXPECT_EQ(Query(IID_IUnknown), tessel);
  EXPECT_EQ(Query(IID_IDispatch), tessel);
  void* extensibility = Query(__uuidof(_IDTExtensibility2));
  void* ribbon = Query(__uuidof(IRibbonExtensibility));
  void* rtd = Query(__uuidof(IRtdServer));
  for (void* pointer : {extensibility, ribbon, rtd}) {
    EXPECT_NE(pointer, nullptr);
    EXPECT_NE(pointer, tessel);
  }
  EXPECT_NE(extensibility, ribbon);
  EXPECT_NE(ribbon, rtd);

  // Every interface leads back to the same identity.
  ComPtr<IUnknown> identity;
  ASSERT_EQ(static_cast<IUnknown*>(rtd)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.Put())), S_OK);
  EXPECT_EQ(identity.Get(), tessel);

  for (REFIID refused :
       {IID_IClassFactory, __uuidof(IRTDUpdateEvent), __uuidof(IRibbonControl), kApplicationInterfaceId}) {
    void* pointer = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(refused, &pointer), E_NOINTERFACE);
    EXPECT_EQ(pointer, nullptr);
  }
  EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(OrraExcelUnderWine, EachInterfaceAnswersItsOwnNamesAndDispatchIds) {
  ComPtr<IUnknown> object = Create<IUnknown>();
  ASSERT_TRUE(object);
  auto Dispatch = [&](REFIID riid) {
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(object->QueryInterface(riid, reinterpret_cast<void**>(dispatch.Put())), S_OK);
    return dispatch;
  };
  const ComPtr<IDispatch> tessel = Dispatch(IID_IDispatch);
  const ComPtr<IDispatch> extensibility = Dispatch(__uuidof(_IDTExtensibility2));
  const ComPtr<IDispatch> ribbon = Dispatch(__uuidof(IRibbonExtensibility));
  const ComPtr<IDispatch> rtd = Dispatch(__uuidof(IRtdServer));

  EXPECT_EQ(IdOf(tessel.Get(), L"GetEnabled"), 4) << "names are found without regard to case";
  EXPECT_EQ(IdOf(tessel.Get(), L"OnClickInsertFunctionEx"), 10);
  EXPECT_EQ(IdOf(tessel.Get(), L"OnClickInsertStock"), 11);
  EXPECT_EQ(IdOf(tessel.Get(), L"getVisible"), 39);
  EXPECT_EQ(IdOf(tessel.Get(), L"ServerStart"), DISP_E_UNKNOWNNAME);

  EXPECT_EQ(IdOf(extensibility.Get(), L"OnConnection"), 1);
  EXPECT_EQ(IdOf(extensibility.Get(), L"OnBeginShutdown"), 5);
  EXPECT_EQ(IdOf(ribbon.Get(), L"GetCustomUI"), 1);
  EXPECT_EQ(IdOf(ribbon.Get(), L"OnConnection"), DISP_E_UNKNOWNNAME);

  const wchar_t* rtd_methods[] = {L"ServerStart", L"ConnectData", L"RefreshData",
                                  L"DisconnectData", L"Heartbeat", L"ServerTerminate"};
  for (DISPID k = 0; k < 6; ++k) EXPECT_EQ(IdOf(rtd.Get(), rtd_methods[k]), 10 + k) << rtd_methods[k];
  EXPECT_EQ(IdOf(rtd.Get(), L"OnClickInsertStock"), DISP_E_UNKNOWNNAME);

  // Each type description is that of its own interface.
  const std::pair<IDispatch*, GUID> described[] = {{tessel.Get(), __uuidof(ITesselExcel)},
                                                   {extensibility.Get(), __uuidof(_IDTExtensibility2)},
                                                   {ribbon.Get(), __uuidof(IRibbonExtensibility)},
                                                   {rtd.Get(), __uuidof(IRtdServer)}};
  for (const auto& [dispatch, guid] : described) {
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, guid));
    info->ReleaseTypeAttr(attributes);
    ComPtr<ITypeInfo> beyond;
    EXPECT_EQ(dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, beyond.Put()), DISP_E_BADINDEX);
  }
}

TEST_F(OrraExcelUnderWine, TheRibbonIsServedThroughItsInterfaceAndByName) {
  ComPtr<IRibbonExtensibility> ribbon = Create<IRibbonExtensibility>();
  ASSERT_TRUE(ribbon);
  BSTR xml = nullptr;
  ASSERT_EQ(ribbon->GetCustomUI(nullptr, &xml), S_OK);
  ASSERT_NE(xml, nullptr);
  EXPECT_NE(std::wstring(xml, SysStringLen(xml)).find(L"id=\"OrraTab\""), std::wstring::npos);
  SysFreeString(xml);

  // The XML's "GetEnabled" reaches getEnabled (4) through the object's IDispatch.
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(ribbon->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Put())), S_OK);
  DISPPARAMS params = {};
  VARIANT control;
  control.vt = VT_DISPATCH;
  control.pdispVal = nullptr;
  params.rgvarg = &control;
  params.cArgs = 1;
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(dispatch->Invoke(IdOf(dispatch.Get(), L"GetEnabled"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                             &params, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
}

// Arguments as Invoke wants them: the last one first.
HRESULT InvokeByName(IDispatch* dispatch, const wchar_t* name, std::vector<VARIANT> arguments, VARIANT* result) {
  const DISPID id = IdOf(dispatch, name);
  DISPPARAMS params = {};
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(reversed.size());
  VariantInit(result);
  UINT argument_error = 0;
  return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr,
                          &argument_error);
}

struct DestroyArray {
  void operator()(SAFEARRAY* array) const { SafeArrayDestroy(array); }
};
using Array = std::unique_ptr<SAFEARRAY, DestroyArray>;

Array Topics(const std::vector<std::wstring>& texts) {
  SAFEARRAYBOUND bound = {static_cast<ULONG>(texts.size()), 0};
  Array array(SafeArrayCreate(VT_VARIANT, 1, &bound));
  for (LONG k = 0; k < static_cast<LONG>(texts.size()); ++k) {
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(texts[k].c_str());
    SafeArrayPutElement(array.get(), &k, &text);
    VariantClear(&text);
  }
  return array;
}

const std::vector<std::wstring> kClose = {L"'[Book1.xlsx]Sheet1'!B2", L"0", L"600000", L"close"};

TEST_F(OrraExcelUnderWine, ExcelDrivesTheRtdServerByNameWithReferenceAndValueArguments) {
  ComPtr<IRtdServer> server = Create<IRtdServer>();
  ASSERT_TRUE(server);
  IDispatch* rtd = server.Get();
  TestUpdateEvent callback;
  VARIANT result;

  VARIANT event;
  event.vt = VT_DISPATCH;
  event.pdispVal = &callback;
  ASSERT_EQ(InvokeByName(rtd, L"ServerStart", {event}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 1);
  EXPECT_GT(callback.references, 1) << "the server keeps the callback";

  // No terminal is logged in here: each topic that parses is stored as refused, for the next
  // RefreshData to report.
  Array first = Topics(kClose);
  SAFEARRAY* first_array = first.get();
  VARIANT_BOOL get_new = VARIANT_FALSE;
  ASSERT_EQ(InvokeByName(rtd, L"ConnectData",
                         {VariantLong(5), VariantReference(VT_ARRAY | VT_VARIANT, &first_array),
                          VariantReference(VT_BOOL, &get_new)},
                         &result),
            S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, -1);
  EXPECT_EQ(get_new, VARIANT_TRUE);

  Array second = Topics(kClose);
  VARIANT by_value_array;
  by_value_array.vt = VT_ARRAY | VT_VARIANT;
  by_value_array.parray = second.get();
  VARIANT by_value_bool;
  by_value_bool.vt = VT_BOOL;
  by_value_bool.boolVal = VARIANT_FALSE;
  ASSERT_EQ(InvokeByName(rtd, L"ConnectData", {VariantLong(3), by_value_array, by_value_bool}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, -1);

  // A function id of 40 parses to nothing, and a list of numbers is no topic list.
  Array nothing = Topics({L"'[Book1.xlsx]Sheet1'!B2", L"40"});
  SAFEARRAY* nothing_array = nothing.get();
  ASSERT_EQ(InvokeByName(rtd, L"ConnectData",
                         {VariantLong(9), VariantReference(VT_ARRAY | VT_VARIANT, &nothing_array),
                          VariantReference(VT_BOOL, &get_new)},
                         &result),
            S_OK);
  EXPECT_EQ(result.lVal, -1);
  SAFEARRAYBOUND bound = {2, 0};
  Array numbers(SafeArrayCreate(VT_VARIANT, 1, &bound));
  SAFEARRAY* numbers_array = numbers.get();
  ASSERT_EQ(InvokeByName(rtd, L"ConnectData",
                         {VariantLong(11), VariantReference(VT_ARRAY | VT_VARIANT, &numbers_array),
                          VariantReference(VT_BOOL, &get_new)},
                         &result),
            S_OK);
  EXPECT_EQ(result.lVal, -1);

  LONG count = -1;
  ASSERT_EQ(InvokeByName(rtd, L"RefreshData", {VariantReference(VT_I4, &count)}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(count, 2) << "the two refused topics; nothing of the ones that did not parse";
  Array refreshed(result.parray);
  ASSERT_EQ(SafeArrayGetDim(refreshed.get()), 2u);
  LONG upper = -1;
  SafeArrayGetUBound(refreshed.get(), 1, &upper);
  EXPECT_EQ(upper, 1);
  SafeArrayGetUBound(refreshed.get(), 2, &upper);
  EXPECT_EQ(upper, 1);
  const LONG expected[] = {3, 5};  // in topic-id order
  for (LONG column = 0; column < 2; ++column) {
    for (LONG row = 0; row < 2; ++row) {
      LONG index[2] = {row, column};
      VARIANT element;
      VariantInit(&element);
      ASSERT_EQ(SafeArrayGetElement(refreshed.get(), index, &element), S_OK);
      EXPECT_EQ(element.vt, VT_I4);
      EXPECT_EQ(element.lVal, expected[column]) << row << "," << column;
    }
  }

  // Reported once: a second RefreshData, with the count by value, reports nothing.
  ASSERT_EQ(InvokeByName(rtd, L"RefreshData", {VariantLong(-1)}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_ARRAY | VT_VARIANT);
  Array empty(result.parray);
  EXPECT_EQ(empty->rgsabound[0].cElements, 0u);

  // A connected topic is known again: its value stays as it is while nobody is logged in.
  ASSERT_EQ(InvokeByName(rtd, L"ConnectData",
                         {VariantLong(5), VariantReference(VT_ARRAY | VT_VARIANT, &first_array),
                          VariantReference(VT_BOOL, &get_new)},
                         &result),
            S_OK);
  EXPECT_EQ(result.vt, VT_EMPTY);

  EXPECT_EQ(InvokeByName(rtd, L"DisconnectData", {VariantLong(5)}, &result), S_OK);
  EXPECT_EQ(InvokeByName(rtd, L"DisconnectData", {VariantLong(404)}, &result), S_OK);
  ASSERT_EQ(InvokeByName(rtd, L"Heartbeat", {}, &result), S_OK);
  EXPECT_EQ(result.lVal, 1);

  // The timer window tells Excel every two seconds to come for new values.
  EXPECT_TRUE(testing::PumpMessagesUntil([&] { return callback.notifications > 0; }, std::chrono::seconds(6)));

  ASSERT_EQ(InvokeByName(rtd, L"ServerTerminate", {}, &result), S_OK);
  EXPECT_EQ(callback.references, 1) << "ServerTerminate lets the callback go";
  const int notified = callback.notifications;
  testing::PumpMessagesUntil([] { return false; }, std::chrono::milliseconds(2500));
  EXPECT_EQ(callback.notifications, notified) << "the timer stops with the server";
}

TEST_F(OrraExcelUnderWine, RtdServerRefusesMissingPointers) {
  ComPtr<IRtdServer> server = Create<IRtdServer>();
  ASSERT_TRUE(server);
  LONG result = 0;
  TestUpdateEvent callback;
  EXPECT_EQ(server->ServerStart(nullptr, &result), E_POINTER);
  EXPECT_EQ(server->ServerStart(&callback, nullptr), E_POINTER);
  VARIANT_BOOL get_new = VARIANT_FALSE;
  EXPECT_EQ(server->ConnectData(1, nullptr, &get_new, nullptr), E_POINTER);
  EXPECT_EQ(get_new, VARIANT_TRUE) << "set before anything else";
  LONG count = 0;
  SAFEARRAY* array = nullptr;
  EXPECT_EQ(server->RefreshData(nullptr, &array), E_POINTER);
  EXPECT_EQ(server->RefreshData(&count, nullptr), E_POINTER);
  SAFEARRAYBOUND bound = {1, 0};
  Array held(SafeArrayCreate(VT_VARIANT, 1, &bound));
  SAFEARRAY* already = held.get();
  EXPECT_EQ(server->RefreshData(&count, &already), E_POINTER) << "an array already there is not overwritten";
  EXPECT_EQ(server->Heartbeat(nullptr), E_POINTER);
  EXPECT_EQ(callback.references, 1);
}

TEST_F(OrraExcelUnderWine, OnConnectionHoldsExcelReadsItsWindowAndConnectsEachTime) {
  ComPtr<_IDTExtensibility2> add_in = Create<_IDTExtensibility2>();
  ASSERT_TRUE(add_in);
  TestApplication excel;

  ASSERT_EQ(add_in->OnConnection(&excel, ext_cm_Startup, nullptr, nullptr), S_OK);
  EXPECT_EQ(excel.hwnd_reads, 1);
  EXPECT_EQ(excel.references, 3) << "the add-in holds Excel's _Application, and its object model over it";
  EXPECT_TRUE(server.Accept(std::chrono::seconds(10))) << "OnConnection starts the connection thread";
  EXPECT_EQ(add_in->OnStartupComplete(nullptr), S_OK);
  EXPECT_EQ(add_in->OnAddInsUpdate(nullptr), S_OK);
  EXPECT_EQ(add_in->OnBeginShutdown(nullptr), S_OK);

  ASSERT_EQ(add_in->OnDisconnection(ext_dm_UserClosed, nullptr), S_OK);
  EXPECT_TRUE(server.LastClosed(std::chrono::seconds(10))) << "OnDisconnection stops the connection";
  EXPECT_EQ(excel.references, 2) << "the object model goes with the connection";

  // Connected again after a disconnection, the add-in builds a fresh connection.
  ASSERT_EQ(add_in->OnConnection(&excel, ext_cm_AfterStartup, nullptr, nullptr), S_OK);
  EXPECT_EQ(excel.hwnd_reads, 2);
  EXPECT_EQ(excel.references, 3) << "a second connection holds no more than the first";
  EXPECT_TRUE(server.Accept(std::chrono::seconds(10)));
  ASSERT_EQ(add_in->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);

  add_in.Reset();
  EXPECT_EQ(excel.references, 1) << "the object lets Excel go when it goes";
}

TEST_F(OrraExcelUnderWine, OnConnectionWithoutApplicationInterfaceStillConnects) {
  ComPtr<IDispatch> object = Create<IDispatch>();
  ASSERT_TRUE(object);
  ComPtr<_IDTExtensibility2> add_in;
  ASSERT_EQ(object->QueryInterface(__uuidof(_IDTExtensibility2), reinterpret_cast<void**>(add_in.Put())), S_OK);
  TestApplication excel;
  excel.offers_application = false;

  // Called by name, as through the add-in's dispatch interface.
  VARIANT application;
  application.vt = VT_DISPATCH;
  application.pdispVal = &excel;
  SAFEARRAY* custom = nullptr;
  VARIANT result;
  ASSERT_EQ(InvokeByName(add_in.Get(), L"OnConnection",
                         {application, VariantLong(ext_cm_Startup), application,
                          VariantReference(VT_ARRAY | VT_VARIANT, &custom)},
                         &result),
            S_OK);
  EXPECT_EQ(excel.hwnd_reads, 1) << "Hwnd is read from the Application argument itself";
  EXPECT_EQ(excel.references, 1) << "nothing is held";
  EXPECT_TRUE(server.Accept(std::chrono::seconds(10)));
  ASSERT_EQ(add_in->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
}

TEST_F(OrraExcelUnderWine, OnConnectionEndsWithTheFailureOfReadingTheWindow) {
  ComPtr<_IDTExtensibility2> add_in = Create<_IDTExtensibility2>();
  ASSERT_TRUE(add_in);
  TestApplication excel;
  excel.hwnd_failure = DISP_E_EXCEPTION;
  EXPECT_EQ(add_in->OnConnection(&excel, ext_cm_Startup, nullptr, nullptr), DISP_E_EXCEPTION);
  EXPECT_FALSE(server.Accept(std::chrono::milliseconds(500))) << "no connection is started";
  EXPECT_EQ(add_in->OnConnection(nullptr, ext_cm_Startup, nullptr, nullptr), E_POINTER);
}

}  // namespace
}  // namespace orra
