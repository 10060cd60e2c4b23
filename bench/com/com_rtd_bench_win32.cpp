// What IRtdServer's COM shell adds to the RTD logic on Excel's main thread. The real DLL beside
// this program is loaded with LoadLibrary and its class made through DllGetClassObject, then
// driven as Excel drives it: by name through IDispatch::Invoke, ConnectData's topics as a
// by-reference SAFEARRAY of BSTR. Each COM case has a baseline measured in the same process:
// the portable RtdServer of an RtdSession over an AddinRuntime of this program's own, given the
// same topics as the strings the shell hands it. Both runtimes read the same terminal files and
// login block and ask the same in-process stand-in server on loopback.
//
//   ConnectData   1000 XDP topics a round, the server not yet connected (the queries wait in
//                 the queue), each topic disconnected again untimed after the round and the
//                 query worker let finish with them before the next; also
//                 through IRtdServer's vtable, which tells the shell's IDispatch::Invoke apart
//                 from the rest of the shell, and the portable logic after the shell's reading
//                 of the array (ReadTopicStrings) in this process;
//   ConnectData   the same at the pace of Excel's recalculation: each call timed alone, the
//                 next after some untimed work, as Excel evaluates the next cell's formula;
//   the shell's own cost, without the query worker: ConnectData of lists that are no topic
//                 (the RTD logic answers at once, queuing nothing), through COM and portably;
//                 then the portable logic made slower per call by exactly that cost, spinning,
//                 which tells what the worker thread beside a slower main thread adds;
//   sub-steps     of the shell in this process: the array read against copying the strings,
//                 BSTRs allocated and freed (what reading in place saves), the RefreshData
//                 array made and destroyed as Excel destroys it, with and without topics;
//   RefreshData   1000 topics connected and answered, then RefreshData until it has reported
//                 them all, only the calls timed; and RefreshData with nothing changed, as
//                 Excel calls it on every tick of the server's timer.
//
// The DLL registers itself at its first DllGetClassObject; the registration is taken back at
// the end when it was not there before, so that the prefix's COM sees what it saw.
#include <winsock2.h>
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "addin/addin_runtime.h"
#include "addin/com_ids.h"
#include "addin/com_ptr_win32.h"
#include "addin/office_interfaces.h"
#include "addin/orra_excel.h"
#include "addin/rtd_variants_win32.h"
#include "addin/variant_win32.h"
#include "bench/com/timed_rounds.h"
#include "bench/reporting_main.h"
#include "common/text_conversion.h"
#include "common/utf8.h"
#include "request/login_block.h"
#include "request/rtd_session.h"
#include "testing/login_block_publisher.h"
#include "testing/scratch_folder.h"
#include "tools/orra-server/stand_in_server.h"
#include "tools/orra-server/terminal_answers.h"

namespace orra::bench {
namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;
using GetClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
using RegisterServer = HRESULT(__stdcall*)();

constexpr int kTopicsPerRound = 1000;
constexpr int kEmptyRefreshesPerRound = 10000;
constexpr size_t kAnsweredSecurities = 50;
constexpr auto kAnswerWait = std::chrono::seconds(30);
constexpr auto kSettle = std::chrono::milliseconds(20);
constexpr auto kWorkerPause = std::chrono::milliseconds(100);
// Excel's own work between two cells' ConnectData calls: long enough for the query worker to
// take the topic just queued and wait again.
constexpr auto kCellWork = std::chrono::microseconds(20);
constexpr GUID kApplicationInterfaceId = {0x000208D5, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

std::wstring DirectoryOfThisProgram() {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

bool ClassRegistered() {
  const std::u16string id(kOrraExcelClassId);
  const std::wstring path = L"CLSID\\" + std::wstring(id.begin(), id.end());
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Excel's main thread between calls: the DLL's hidden windows get their messages.
void PumpFor(std::chrono::milliseconds pause) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  Sleep(static_cast<DWORD>(pause.count()));
}

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) {
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(result));
    throw std::runtime_error(std::string(what) + " failed: " + code);
  }
}

class ComInitialized {
 public:
  ComInitialized() { Check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx"); }
  ~ComInitialized() { CoUninitialize(); }
  ComInitialized(const ComInitialized&) = delete;
  ComInitialized& operator=(const ComInitialized&) = delete;
};

class Library {
 public:
  explicit Library(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {
    if (module_ == nullptr) throw std::runtime_error("cannot load OrraAddin64.xll: error " + std::to_string(GetLastError()));
  }
  ~Library() { FreeLibrary(module_); }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  template <typename Function>
  Function Export(const char* name) const {
    auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    if (function == nullptr) throw std::runtime_error(std::string("OrraAddin64.xll exports no ") + name);
    return function;
  }

 private:
  HMODULE module_;
};

class SafeArray {
 public:
  explicit SafeArray(const std::vector<std::u16string>& strings)
      : array_(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(strings.size()))) {
    if (array_ == nullptr) throw std::bad_alloc();
    for (LONG i = 0; i < static_cast<LONG>(strings.size()); ++i) {
      const std::u16string& text = strings[static_cast<size_t>(i)];
      VARIANT element;
      VariantInit(&element);
      element.vt = VT_BSTR;
      element.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
      const HRESULT put = element.bstrVal == nullptr ? E_OUTOFMEMORY : SafeArrayPutElement(array_, &i, &element);
      VariantClear(&element);
      if (FAILED(put)) {
        SafeArrayDestroy(array_);
        throw std::bad_alloc();
      }
    }
  }
  ~SafeArray() {
    if (array_ != nullptr) SafeArrayDestroy(array_);
  }
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  // By reference, as Excel passes Strings: the callee may replace it.
  SAFEARRAY** address() { return &array_; }
  SAFEARRAY* get() const { return array_; }

 private:
  SAFEARRAY* array_;
};

// A COM object that lives on this program's stack: its reference count is not its lifetime.
template <typename I>
class StackObject : public I {
 public:
  virtual ~StackObject() = default;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
};

class UpdateEvent final : public StackObject<IRTDUpdateEvent> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
        !IsEqualIID(riid, __uuidof(IRTDUpdateEvent))) {
      return E_NOINTERFACE;
    }
    *object = static_cast<IRTDUpdateEvent*>(this);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE UpdateNotify() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE get_HeartbeatInterval(LONG* interval) override {
    if (interval == nullptr) return E_POINTER;
    *interval = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_HeartbeatInterval(LONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Disconnect() override { return S_OK; }
};

// OnConnection's Application: only Hwnd, which the add-in reads; no _Application, so the
// add-in connects its server link without driving an object model.
class Application final : public StackObject<IDispatch> {
 public:
  static constexpr DISPID kHwndId = 0x0785;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    if (count != 1 || names[0] == nullptr || _wcsicmp(names[0], L"Hwnd") != 0) return DISP_E_UNKNOWNNAME;
    ids[0] = kHwndId;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id != kHwndId || (flags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
    if (result == nullptr) return E_POINTER;
    VariantInit(result);
    result->vt = VT_I4;
    result->lVal = 0;
    return S_OK;
  }
};

std::string FirstIndicator(const Json& nodes) {
  for (const Json& node : nodes) {
    if (!node.contains("children")) return node["name"].get<std::string>();
    const std::string inner = FirstIndicator(node["children"]);
    if (!inner.empty()) return inner;
  }
  return {};
}

// The sample terminal's files and login block (under the name the DLL reads), the stand-in
// server answering it, and the XDP topic lists Excel sends for a column of cells.
class SampleWorld {
 public:
  SampleWorld() {
    std::ifstream in(ORRA_SOURCE_DIR "/tools/orra-terminal/sample.json", std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " ORRA_SOURCE_DIR "/tools/orra-terminal/sample.json");
    const Json terminal = Json::parse(in);
    folder_.WriteTerminal(terminal);
    std::string error;
    if (!data_.Load(server::AnswersForTerminal(terminal, {kAnsweredSecurities}), &error)) throw std::runtime_error(error);
    server::ServerOptions options;
    options.port = 0;
    if (!server_.Start(options, &error)) throw std::runtime_error("stand-in server: " + error);
    login_block_ = PublishLoginBlock(
        kLoginBlockName, EncodeLoginBlock({"bench", ToNarrowString(folder_.directory()), kAccessGranted}), error);
    if (!login_block_) throw std::runtime_error("login block: " + error);

    const std::u16string indicator = FromUtf8(FirstIndicator(terminal["indicators"]["tree"]));
    std::vector<std::u16string> codes;
    for (const auto& [code, name] : server::AnsweredSecurities(terminal, {kAnsweredSecurities})) {
      codes.push_back(FromUtf8(code.substr(0, 6)));
    }
    if (indicator.empty() || codes.empty()) throw std::runtime_error("the sample terminal has no indicator or security");
    for (size_t i = 0; i < kTopicsPerRound; ++i) {
      topics_.push_back({u"'[Book1.xlsx]Sheet1'!B" + FromUtf8(std::to_string(i + 2)), u"0", codes[i % codes.size()],
                         indicator});
    }
    // The same lists with a caller address too short to be one: no topic, nothing queued.
    for (size_t i = 0; i < kTopicsPerRound; ++i) {
      std::vector<std::u16string> list = topics_[i];
      list[0] = u"B2";
      topics_.push_back(std::move(list));
    }
  }

  uint16_t port() const { return server_.port(); }
  int queries() const { return server_.stats().queries; }
  std::u16string directory() const { return folder_.directory(); }
  const std::vector<std::vector<std::u16string>>& topics() const { return topics_; }

 private:
  testing::ScratchFolder folder_{u"com-bench"};
  server::ServerData data_;
  server::StandInServer server_{data_};
  std::unique_ptr<LoginBlockPublisher> login_block_;
  std::vector<std::vector<std::u16string>> topics_;
};

// One way of reaching RtdServer: the calls a round makes, topic `index` of the world's lists.
class RtdPath {
 public:
  virtual ~RtdPath() = default;
  virtual void Connect(int32_t topic_id, size_t index) = 0;
  virtual size_t Refresh() = 0;
  virtual void Disconnect(int32_t topic_id) = 0;
};

class NoTimer final : public MainThreadTimer {
 public:
  bool Start(uint32_t, uint32_t) override { return true; }
  void Stop(uint32_t) override {}
};

class NoUpdates final : public RtdUpdateEvent {
 public:
  void UpdateNotify() override {}
  const void* Identity() const override { return this; }
};

class PortablePath final : public RtdPath {
 public:
  explicit PortablePath(const SampleWorld& world) : world_(world), runtime_(env_, Options(world)) {
    session_.rtd().ServerStart(std::make_shared<NoUpdates>());
  }
  ~PortablePath() override { session_.rtd().ServerTerminate(); }

  void ConnectServer() {
    std::string error;
    if (!runtime_.Connect(&error)) throw std::runtime_error("portable runtime: " + error);
  }
  size_t QueuedJobs() { return runtime_.jobs().Size(); }

  void Connect(int32_t topic_id, size_t index) override { ConnectStrings(topic_id, world_.topics()[index]); }
  void ConnectStrings(int32_t topic_id, const std::vector<std::u16string>& topics) {
    session_.rtd().ConnectData(topic_id, topics);
  }
  size_t Refresh() override { return session_.rtd().RefreshData().size(); }
  void Disconnect(int32_t topic_id) override { session_.rtd().DisconnectData(topic_id); }

 private:
  static AddinRuntime::Options Options(const SampleWorld& world) {
    AddinRuntime::Options options;
    options.module_directory = world.directory();
    const uint16_t port = world.port();
    options.profile = [port] {
      ConnectionProfile profile;
      profile.SetServer("127.0.0.1", port);
      return profile;
    };
    return options;
  }

  const SampleWorld& world_;
  PlatformEnv env_;
  AddinRuntime runtime_;
  NoTimer timer_;
  RtdSession session_{env_, runtime_.service(), runtime_.requests(), timer_};
};

class ComPath final : public RtdPath {
 public:
  ComPath(const SampleWorld& world, const Library& dll) {
    for (const auto& topics : world.topics()) arrays_.push_back(std::make_unique<SafeArray>(topics));
    const auto get_class_object = dll.Export<GetClassObject>("DllGetClassObject");
    ComPtr<IClassFactory> factory;
    Check(get_class_object(__uuidof(OrraExcel), IID_IClassFactory, reinterpret_cast<void**>(factory.Put())),
          "DllGetClassObject");
    ComPtr<IUnknown> object;
    Check(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object.Put())), "CreateInstance");
    Check(object->QueryInterface(__uuidof(IRtdServer), reinterpret_cast<void**>(rtd_.Put())), "IRtdServer");
    // Excel calls IRtdServer's own IDispatch; the object's IDispatch is another interface's.
    server_ = ComPtr<IDispatch>::Share(rtd_.Get());
    Check(object->QueryInterface(__uuidof(_IDTExtensibility2), reinterpret_cast<void**>(addin_.Put())),
          "_IDTExtensibility2");
    server_start_ = IdOf(L"ServerStart");
    connect_data_ = IdOf(L"ConnectData");
    refresh_data_ = IdOf(L"RefreshData");
    disconnect_data_ = IdOf(L"DisconnectData");
    server_terminate_ = IdOf(L"ServerTerminate");

    VARIANTARG callback;
    VariantInit(&callback);
    callback.vt = VT_DISPATCH;
    callback.pdispVal = &events_;
    Variant started;
    Check(Invoke(server_start_, {&callback, 1}, started.get()), "ServerStart");
  }
  ~ComPath() override {
    Variant ignored;
    Invoke(server_terminate_, {}, ignored.get());
    if (connected_) addin_->OnDisconnection(ext_dm_HostShutdown, nullptr);
  }

  // OnConnection opens the add-in's server link (ORRA_SERVER names the server).
  void ConnectServer() {
    Check(addin_->OnConnection(&application_, ext_cm_Startup, nullptr, nullptr), "OnConnection");
    connected_ = true;
  }

  void Connect(int32_t topic_id, size_t index) override {
    VARIANT_BOOL get_new_values = VARIANT_TRUE;
    // The last argument first, as Invoke takes them.
    VARIANTARG arguments[3];
    arguments[2].vt = VT_I4;
    arguments[2].lVal = topic_id;
    arguments[1].vt = VT_ARRAY | VT_VARIANT | VT_BYREF;
    arguments[1].pparray = arrays_[index]->address();
    arguments[0].vt = VT_BOOL | VT_BYREF;
    arguments[0].pboolVal = &get_new_values;
    Variant value;
    Check(Invoke(connect_data_, arguments, value.get()), "ConnectData");
  }

  // The same call straight through IRtdServer's vtable: what the shell costs without its
  // IDispatch::Invoke.
  void ConnectByVtable(int32_t topic_id, size_t index) {
    VARIANT_BOOL get_new_values = VARIANT_TRUE;
    Variant value;
    Check(rtd_->ConnectData(topic_id, arrays_[index]->address(), &get_new_values, value.get()), "ConnectData");
  }

  SAFEARRAY* Strings(size_t index) const { return arrays_[index]->get(); }

  size_t Refresh() override {
    LONG count = 0;
    VARIANTARG argument;
    argument.vt = VT_I4 | VT_BYREF;
    argument.plVal = &count;
    Variant report;
    Check(Invoke(refresh_data_, {&argument, 1}, report.get()), "RefreshData");
    return static_cast<size_t>(count);
  }

  void Disconnect(int32_t topic_id) override {
    VARIANTARG argument;
    argument.vt = VT_I4;
    argument.lVal = topic_id;
    Variant ignored;
    Check(Invoke(disconnect_data_, {&argument, 1}, ignored.get()), "DisconnectData");
  }

 private:
  DISPID IdOf(const wchar_t* name) {
    std::wstring text(name);
    LPOLESTR names[] = {text.data()};
    DISPID id = DISPID_UNKNOWN;
    Check(server_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), "GetIDsOfNames");
    return id;
  }
  HRESULT Invoke(DISPID id, std::span<VARIANTARG> arguments, VARIANT* result) {
    DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    return server_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result, nullptr, nullptr);
  }

  std::vector<std::unique_ptr<SafeArray>> arrays_;
  UpdateEvent events_;
  Application application_;
  ComPtr<IRtdServer> rtd_;
  ComPtr<IDispatch> server_;
  ComPtr<_IDTExtensibility2> addin_;
  bool connected_ = false;
  DISPID server_start_ = DISPID_UNKNOWN, connect_data_ = DISPID_UNKNOWN, refresh_data_ = DISPID_UNKNOWN,
         disconnect_data_ = DISPID_UNKNOWN, server_terminate_ = DISPID_UNKNOWN;
};

class ComVtablePath final : public RtdPath {
 public:
  explicit ComVtablePath(ComPath& com) : com_(com) {}
  void Connect(int32_t topic_id, size_t index) override { com_.ConnectByVtable(topic_id, index); }
  size_t Refresh() override { return com_.Refresh(); }
  void Disconnect(int32_t topic_id) override { com_.Disconnect(topic_id); }

 private:
  ComPath& com_;
};

// The portable logic given the strings as the shell reads them out of Excel's array, into
// storage reused from call to call as the shell reads them, in this process: the shell's
// conversion without the DLL.
class ConvertingPath final : public RtdPath {
 public:
  ConvertingPath(PortablePath& portable, const ComPath& com) : portable_(portable), com_(com) {}
  void Connect(int32_t topic_id, size_t index) override {
    if (!ReadTopicStrings(com_.Strings(index), topics_)) throw std::runtime_error("ReadTopicStrings refused the array");
    portable_.ConnectStrings(topic_id, topics_);
  }
  size_t Refresh() override { return portable_.Refresh(); }
  void Disconnect(int32_t topic_id) override { portable_.Disconnect(topic_id); }

 private:
  PortablePath& portable_;
  const ComPath& com_;
  std::vector<std::u16string> topics_;
};

// The portable logic with each ConnectData made `extra` slower by spinning: a main thread as
// slow as the shell's own cost makes it, so that what the query worker does beside a slower
// caller shows apart from what the shell itself costs.
class SpinningPath final : public RtdPath {
 public:
  SpinningPath(PortablePath& portable, Nanoseconds extra) : portable_(portable), extra_(extra) {}
  void Connect(int32_t topic_id, size_t index) override {
    portable_.Connect(topic_id, index);
    for (const auto start = Clock::now(); Clock::now() - start < extra_;) {
    }
  }
  size_t Refresh() override { return portable_.Refresh(); }
  void Disconnect(int32_t topic_id) override { portable_.Disconnect(topic_id); }

 private:
  PortablePath& portable_;
  const Nanoseconds extra_;
};

void DisconnectAll(RtdPath& path) {
  for (int32_t id = 1; id <= kTopicsPerRound; ++id) path.Disconnect(id);
}

// Lists that are no topic: the RTD logic answers at once and nothing reaches the worker, so
// no pause is needed between rounds.
RoundTime NoTopicRound(RtdPath& path) {
  const auto start = Clock::now();
  for (int32_t id = 1; id <= kTopicsPerRound; ++id) {
    path.Connect(id, static_cast<size_t>(kTopicsPerRound + id - 1));
  }
  return {Clock::now() - start, kTopicsPerRound};
}

RoundTime ConnectRound(RtdPath& path) {
  const auto start = Clock::now();
  for (int32_t id = 1; id <= kTopicsPerRound; ++id) path.Connect(id, static_cast<size_t>(id - 1));
  const auto end = Clock::now();
  DisconnectAll(path);
  // The query worker has the round's requests to go through; the next round starts when it
  // is done, so that no round pays for its predecessor's.
  PumpFor(kWorkerPause);
  return {end - start, kTopicsPerRound};
}

// ConnectData at Excel's pace: each call timed alone, kCellWork spun untimed after it.
// Back to back, a caller whose calls take about as long as the worker's per topic finds the
// worker asleep more or less often as its own time per call varies, and the wake-ups that
// follow magnify a small difference between two paths; at Excel's pace each path wakes it
// for every topic alike. The clock read around each call weighs on both paths alike.
RoundTime PacedConnectRound(RtdPath& path) {
  RoundTime time;
  for (int32_t id = 1; id <= kTopicsPerRound; ++id) {
    const auto start = Clock::now();
    path.Connect(id, static_cast<size_t>(id - 1));
    const auto end = Clock::now();
    time.measured += end - start;
    ++time.calls;
    while (Clock::now() - end < kCellWork) {
    }
  }
  DisconnectAll(path);
  PumpFor(kWorkerPause);
  return time;
}

// The topics connected and answered, then reported: only the RefreshData calls are timed.
RoundTime RefreshRound(RtdPath& path, const SampleWorld& world) {
  const int asked_before = world.queries();
  for (int32_t id = 1; id <= kTopicsPerRound; ++id) path.Connect(id, static_cast<size_t>(id - 1));
  for (const auto give_up = Clock::now() + kAnswerWait;
       world.queries() < asked_before + kTopicsPerRound && Clock::now() < give_up;) {
    PumpFor(std::chrono::milliseconds(1));
  }
  PumpFor(kSettle);
  RoundTime time;
  for (const auto give_up = Clock::now() + kAnswerWait; time.calls < kTopicsPerRound && Clock::now() < give_up;) {
    const auto start = Clock::now();
    const size_t reported = path.Refresh();
    time.measured += Clock::now() - start;
    time.calls += static_cast<int64_t>(reported);
    if (time.calls < kTopicsPerRound) PumpFor(std::chrono::milliseconds(1));
  }
  DisconnectAll(path);
  if (time.calls < kTopicsPerRound) throw std::runtime_error("RefreshData did not report every topic in time");
  return time;
}

// The shell's reading of Excel's array alone, into storage reused as the shell reuses it,
// against copying the same strings: no RTD logic and no worker thread allocating beside it.
RoundTime ReadStringsRound(const ComPath& com) {
  size_t characters = 0;
  std::vector<std::u16string> topics;
  const auto start = Clock::now();
  for (size_t i = 0; i < kTopicsPerRound; ++i) {
    if (!ReadTopicStrings(com.Strings(i), topics)) throw std::runtime_error("ReadTopicStrings refused the array");
    characters += topics.front().size();
  }
  const auto end = Clock::now();
  if (characters == 0) throw std::runtime_error("the topic arrays were read empty");
  return {end - start, kTopicsPerRound};
}

RoundTime CopyStringsRound(const SampleWorld& world) {
  size_t characters = 0;
  const auto start = Clock::now();
  for (size_t i = 0; i < kTopicsPerRound; ++i) {
    const std::vector<std::u16string> topics = world.topics()[i];
    characters += topics.front().size();
  }
  const auto end = Clock::now();
  if (characters == 0) throw std::runtime_error("the topic strings were copied empty");
  return {end - start, kTopicsPerRound};
}

// What reading in place saves: each string of each list allocated as a BSTR and freed, as a
// copy out of the array (VariantCopy, SafeArrayGetElement) would do.
RoundTime BstrRound(const SampleWorld& world) {
  size_t characters = 0;
  const auto start = Clock::now();
  for (size_t i = 0; i < kTopicsPerRound; ++i) {
    for (const std::u16string& text : world.topics()[i]) {
      BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
      if (copy == nullptr) throw std::bad_alloc();
      characters += SysStringLen(copy);
      SysFreeString(copy);
    }
  }
  const auto end = Clock::now();
  if (characters == 0) throw std::runtime_error("the topic strings were allocated empty");
  return {end - start, kTopicsPerRound};
}

// RefreshData's array for `topics`, made and then destroyed as Excel destroys the answer
// (VariantClear, which clears each element), `calls` times; per topic when there are topics.
RoundTime RefreshArrayRound(const std::vector<TopicId>& topics, int calls) {
  const auto start = Clock::now();
  for (int i = 0; i < calls; ++i) {
    Variant answer;
    answer.get()->parray = MakeRefreshArray(topics);
    if (answer.get()->parray == nullptr) throw std::bad_alloc();
    answer.get()->vt = VT_ARRAY | VT_VARIANT;
  }
  return {Clock::now() - start, calls * std::max<int64_t>(1, static_cast<int64_t>(topics.size()))};
}

// The portable logic's answer in place of the array: the changed topics' vector handed over
// and freed, per topic.
RoundTime TopicVectorRound(const std::vector<TopicId>& topics, int calls) {
  size_t reported = 0;
  const auto start = Clock::now();
  for (int i = 0; i < calls; ++i) {
    const std::vector<TopicId> answer = topics;
    reported += answer.size();
  }
  const auto end = Clock::now();
  if (reported == 0) throw std::runtime_error("the topic vectors were copied empty");
  return {end - start, calls * static_cast<int64_t>(topics.size())};
}

// SafeArrayCreate's array for no topic (a descriptor and an empty data block), made and
// destroyed: what MakeRefreshArray's array without data is measured against.
RoundTime CreatedEmptyArrayRound(int calls) {
  const auto start = Clock::now();
  for (int i = 0; i < calls; ++i) {
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {0, 0}};
    Variant answer;
    answer.get()->parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (answer.get()->parray == nullptr) throw std::bad_alloc();
    answer.get()->vt = VT_ARRAY | VT_VARIANT;
  }
  return {Clock::now() - start, calls};
}

RoundTime EmptyRefreshRound(RtdPath& path) {
  const auto start = Clock::now();
  for (int i = 0; i < kEmptyRefreshesPerRound; ++i) path.Refresh();
  return {Clock::now() - start, kEmptyRefreshesPerRound};
}

int Run() {
  ComInitialized com;
  SampleWorld world;
  const std::string server = "127.0.0.1:" + std::to_string(world.port());
  _putenv_s("ORRA_SERVER", server.c_str());
  const bool registered_before = ClassRegistered();
  Library dll(DirectoryOfThisProgram() + L"OrraAddin64.xll");
  std::printf("%-58s %10s\n", "case (on the main thread, under Wine)", "time");
  CasePair connect, paced, connect_vtable, connect_converting, read_strings, no_topic, spinning, bstrs, refresh_array,
      empty_array, refresh, empty;
  {
    // Unconnected: the queries these rounds make pile up in the queues, which go with the
    // runtimes at the end of the block (the DLL's with its last object).
    ComPath com_path(world, dll);
    PortablePath portable(world);
    connect = MeasurePair(
        "ConnectData, XDP topics, COM (IDispatch::Invoke)", [&] { return ConnectRound(com_path); },
        "ConnectData, XDP topics, portable RtdServer", [&] { return ConnectRound(portable); });
    paced = MeasurePair(
        "ConnectData at Excel's pace, COM (IDispatch::Invoke)", [&] { return PacedConnectRound(com_path); },
        "ConnectData at Excel's pace, portable RtdServer", [&] { return PacedConnectRound(portable); });
    ComVtablePath com_vtable(com_path);
    connect_vtable = MeasurePair(
        "ConnectData, XDP topics, COM by vtable", [&] { return ConnectRound(com_vtable); },
        "ConnectData, XDP topics, portable RtdServer", [&] { return ConnectRound(portable); });
    ConvertingPath converting(portable, com_path);
    connect_converting = MeasurePair(
        "ConnectData, XDP topics, TopicStringsOf + portable", [&] { return ConnectRound(converting); },
        "ConnectData, XDP topics, portable RtdServer", [&] { return ConnectRound(portable); });
    read_strings = MeasurePair(
        "the topic array read (ReadTopicStrings) alone", [&] { return ReadStringsRound(com_path); },
        "the topic strings copied alone", [&] { return CopyStringsRound(world); });
    no_topic = MeasurePair(
        "ConnectData, no topic, COM (IDispatch::Invoke)", [&] { return NoTopicRound(com_path); },
        "ConnectData, no topic, portable RtdServer", [&] { return NoTopicRound(portable); });
    const auto shell_cost = std::chrono::duration_cast<Nanoseconds>(
        std::chrono::duration<double, std::nano>(std::max(0.0, no_topic.subject.ns_per_call - no_topic.baseline.ns_per_call)));
    SpinningPath spinning_path(portable, shell_cost);
    spinning = MeasurePair(
        "ConnectData, XDP topics, portable + the shell's cost spun", [&] { return ConnectRound(spinning_path); },
        "ConnectData, XDP topics, portable RtdServer", [&] { return ConnectRound(portable); });
    bstrs = MeasurePair(
        "the topic strings as BSTRs allocated and freed", [&] { return BstrRound(world); },
        "the topic strings copied alone", [&] { return CopyStringsRound(world); });
  }
  {
    std::vector<TopicId> hundred(100);
    for (size_t k = 0; k < hundred.size(); ++k) hundred[k] = static_cast<TopicId>(k + 1);
    refresh_array = MeasurePair(
        "RefreshData's array per topic (100 a call), made, destroyed", [&] { return RefreshArrayRound(hundred, 100); },
        "the changed topics' vector per topic, copied, freed", [&] { return TopicVectorRound(hundred, 100); });
    empty_array = MeasurePair(
        "RefreshData's array, no topic, made and destroyed", [&] { return RefreshArrayRound({}, 1000); },
        "SafeArrayCreate 2 by 0, made and destroyed", [&] { return CreatedEmptyArrayRound(1000); });
  }
  {
    ComPath com_path(world, dll);
    PortablePath portable(world);
    com_path.ConnectServer();
    portable.ConnectServer();
    refresh = MeasurePair(
        "RefreshData per reported topic, COM", [&] { return RefreshRound(com_path, world); },
        "RefreshData per reported topic, portable", [&] { return RefreshRound(portable, world); });
    empty = MeasurePair(
        "RefreshData, nothing changed, COM", [&] { return EmptyRefreshRound(com_path); },
        "RefreshData, nothing changed, portable", [&] { return EmptyRefreshRound(portable); });
  }
  std::printf("\n%-58s %10s\n", "ratio (subject / baseline; the shell adds ratio - 1)", "ratio");
  PrintRatio("ConnectData, COM / portable", connect);
  PrintRatio("ConnectData at Excel's pace, COM / portable", paced);
  PrintRatio("ConnectData by vtable (the shell without IDispatch)", connect_vtable);
  PrintRatio("ConnectData, the array's strings read in this process", connect_converting);
  PrintRatio("ReadTopicStrings alone / copying the strings", read_strings);
  PrintRatio("ConnectData of no topic, COM / portable", no_topic);
  std::printf("%-58s %10.1f ns\n", "  the shell's own cost per ConnectData (difference)",
              no_topic.subject.ns_per_call - no_topic.baseline.ns_per_call);
  PrintRatio("ConnectData, portable + the shell's cost spun / portable", spinning);
  PrintRatio("BSTRs allocated and freed / copying the strings", bstrs);
  PrintRatio("RefreshData's array per topic / the topics' vector", refresh_array);
  PrintRatio("RefreshData's array, no topic / SafeArrayCreate's", empty_array);
  PrintRatio("RefreshData per reported topic, COM / portable", refresh);
  PrintRatio("RefreshData, nothing changed, COM / portable", empty);
  if (!registered_before) dll.Export<RegisterServer>("DllUnregisterServer")();
  return 0;
}

}  // namespace
}  // namespace orra::bench

int main() { return orra::bench::RunReportingFailure("bench_com_rtd", orra::bench::Run); }
