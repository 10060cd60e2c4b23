// The COM RTD client against an RTD server of the test: an object whose IDispatch is written
// by hand, so that every argument form the client sends is seen as it arrives, and whose
// answers (refresh arrays among them, well and badly formed) the test chooses.
#include "tools/xlhost/com_rtd_server.h"
#include "tools/xlhost/rtd_client.h"

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "addin/office_interfaces.h"
#include "testing/variant_values_win32.h"
#include "xll/xl_constants.h"

namespace orra::xlhost {
namespace {

using testing::VariantBool;
using testing::VariantLong;
using testing::VariantNumber;
using testing::VariantText;

struct Invocation {
  std::wstring method;
  std::vector<VARTYPE> forms;  // the arguments' types, first argument first
};

// An RTD server reached through IDispatch only. It keeps the callback of ServerStart until
// ServerTerminate, as a real server does.
class RecordingServer final : public IDispatch {
 public:
  std::vector<Invocation> calls;
  std::vector<std::wstring> topic_strings;  // of the latest ConnectData
  bool get_new_values_seen = false;
  LONG start_result = 1;
  VARTYPE connect_answer_type = VT_I4;
  // Fills RefreshData's topic count and answer.
  std::function<void(LONG& count, VARIANT& answer)> refresh = [](LONG& count, VARIANT&) { count = 0; };
  IDispatch* callback = nullptr;
  std::vector<LONG> disconnected;

  ~RecordingServer() {
    if (callback != nullptr) callback->Release();
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IRtdServer)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the test's stack; the count only proves the client lets go of what it took.
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    static const wchar_t* const kMethods[] = {L"ServerStart", L"ConnectData", L"RefreshData",
                                              L"DisconnectData", L"Heartbeat", L"ServerTerminate"};
    if (count != 1) return DISP_E_UNKNOWNNAME;
    for (DISPID i = 0; i < 6; ++i) {
      if (lstrcmpiW(names[0], kMethods[i]) == 0) {
        ids[0] = 10 + i;
        return S_OK;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    static const wchar_t* const kMethods[] = {L"ServerStart", L"ConnectData", L"RefreshData",
                                              L"DisconnectData", L"Heartbeat", L"ServerTerminate"};
    if (id < 10 || id > 15 || flags != DISPATCH_METHOD) return DISP_E_MEMBERNOTFOUND;
    Invocation call{kMethods[id - 10], {}};
    for (UINT i = parameters->cArgs; i > 0; --i) call.forms.push_back(parameters->rgvarg[i - 1].vt);
    calls.push_back(call);
    VARIANTARG* arguments = parameters->rgvarg;
    switch (id) {
      case 10:
        if (parameters->cArgs != 1 || arguments[0].vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
        callback = arguments[0].pdispVal;
        callback->AddRef();
        result->vt = VT_I4;
        result->lVal = start_result;
        return S_OK;
      case 11: {
        if (parameters->cArgs != 3 || arguments[1].vt != (VT_ARRAY | VT_VARIANT | VT_BYREF)) return DISP_E_TYPEMISMATCH;
        SAFEARRAY* strings = *arguments[1].pparray;
        LONG low = 0, high = -1;
        SafeArrayGetLBound(strings, 1, &low);
        SafeArrayGetUBound(strings, 1, &high);
        topic_strings.clear();
        for (LONG i = low; i <= high; ++i) {
          VARIANT text;
          VariantInit(&text);
          SafeArrayGetElement(strings, &i, &text);
          topic_strings.push_back(text.vt == VT_BSTR ? std::wstring(text.bstrVal, SysStringLen(text.bstrVal)) : L"?");
          VariantClear(&text);
        }
        get_new_values_seen = *arguments[0].pboolVal == VARIANT_TRUE;
        *arguments[0].pboolVal = VARIANT_FALSE;
        result->vt = connect_answer_type;
        if (connect_answer_type == VT_I4) result->lVal = -1;
        if (connect_answer_type == VT_BSTR) result->bstrVal = SysAllocString(L"初值");
        if (connect_answer_type == VT_ERROR) result->scode = static_cast<SCODE>(0x800A07FA);
        return S_OK;
      }
      case 12:
        if (parameters->cArgs != 1 || arguments[0].vt != (VT_I4 | VT_BYREF)) return DISP_E_TYPEMISMATCH;
        refresh(*arguments[0].plVal, *result);
        return S_OK;
      case 13:
        disconnected.push_back(arguments[0].lVal);
        return S_OK;
      case 15:
        if (callback != nullptr) std::exchange(callback, nullptr)->Release();
        return S_OK;
      default:
        return S_OK;
    }
  }

  // Calls the held callback by name, as a server written for Excel's type library would.
  HRESULT Notify() {
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"UpdateNotify")};
    DISPID id = 0;
    const HRESULT found = callback->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(found)) return found;
    DISPPARAMS none{};
    return callback->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
  }

  LONG references = 1;
};

// A 2 by `columns` array of VARIANT filled with `pairs` (id, value) from column 0, as the
// add-in's server makes it; `low` moves both lower bounds.
SAFEARRAY* Report(LONG columns, const std::vector<std::pair<VARIANT, VARIANT>>& pairs, LONG low = 0) {
  SAFEARRAYBOUND bounds[2] = {{2, low}, {static_cast<ULONG>(columns), low}};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  for (LONG i = 0; i < static_cast<LONG>(pairs.size()); ++i) {
    LONG id_index[2] = {low, low + i};
    LONG value_index[2] = {low + 1, low + i};
    SafeArrayPutElement(array, id_index, const_cast<VARIANT*>(&pairs[i].first));
    SafeArrayPutElement(array, value_index, const_cast<VARIANT*>(&pairs[i].second));
  }
  return array;
}

class ComRtdServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }

  std::unique_ptr<RtdServerPort> Started() {
    auto port = StartComRtdServer(server_);
    EXPECT_NE(port, nullptr);
    return port;
  }
  // Answers the next RefreshData with `array` and `count`.
  void AnswerRefresh(SAFEARRAY* array, LONG count) {
    server_.refresh = [array, count](LONG& topic_count, VARIANT& answer) {
      topic_count = count;
      answer.vt = VT_ARRAY | VT_VARIANT;
      answer.parray = array;
    };
  }

  RecordingServer server_;
};

TEST_F(ComRtdServerTest, StartsWithAnUpdateEventOfItsOwnThatTakesNoticesByNameAndByVtable) {
  auto port = Started();
  ASSERT_EQ(server_.calls.size(), 1u);
  EXPECT_EQ(server_.calls[0].method, L"ServerStart");
  EXPECT_EQ(server_.calls[0].forms, std::vector<VARTYPE>{VT_DISPATCH});
  ASSERT_NE(server_.callback, nullptr);
  IRTDUpdateEvent* events = nullptr;
  ASSERT_EQ(server_.callback->QueryInterface(__uuidof(IRTDUpdateEvent), reinterpret_cast<void**>(&events)), S_OK);

  EXPECT_FALSE(port->TakeUpdateNotice());
  EXPECT_EQ(server_.Notify(), S_OK);
  EXPECT_EQ(events->UpdateNotify(), S_OK);
  EXPECT_TRUE(port->TakeUpdateNotice()) << "two notices, one refresh";
  EXPECT_FALSE(port->TakeUpdateNotice());

  LONG interval = 0;
  EXPECT_EQ(events->get_HeartbeatInterval(&interval), S_OK);
  EXPECT_EQ(interval, 15000);
  VARIANT value = VariantLong(20000);
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS put_parameters{&value, &put, 1, 1};
  EXPECT_EQ(events->Invoke(11, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put_parameters, nullptr, nullptr, nullptr), S_OK);
  VARIANT read;
  DISPPARAMS none{};
  EXPECT_EQ(events->Invoke(11, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &read, nullptr, nullptr), S_OK);
  EXPECT_EQ(read.vt, VT_I4);
  EXPECT_EQ(read.lVal, 20000);
  EXPECT_EQ(events->Invoke(99, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
  events->Release();
}

TEST_F(ComRtdServerTest, AServerThatDoesNotStartIsNotKept) {
  server_.start_result = 0;
  EXPECT_EQ(StartComRtdServer(server_), nullptr);
  EXPECT_EQ(server_.references, 1) << "released";
}

TEST_F(ComRtdServerTest, ConnectDataSendsTheTopicStringsAndFlagByReferenceAndReadsTheValue) {
  auto port = Started();
  EXPECT_EQ(port->ConnectData(7, {u"'[Book1.xlsx]Sheet1'!B3", u"0", u"浦发银行"}), GridValue(-1.0));
  ASSERT_EQ(server_.calls.size(), 2u);
  EXPECT_EQ(server_.calls[1].forms,
            (std::vector<VARTYPE>{VT_I4, VT_ARRAY | VT_VARIANT | VT_BYREF, VT_BOOL | VT_BYREF}));
  EXPECT_EQ(server_.topic_strings, (std::vector<std::wstring>{L"'[Book1.xlsx]Sheet1'!B3", L"0", L"浦发银行"}));
  EXPECT_TRUE(server_.get_new_values_seen);

  server_.connect_answer_type = VT_BSTR;
  EXPECT_EQ(port->ConnectData(8, {u"x"}), GridValue(u"初值"));
  server_.connect_answer_type = VT_ERROR;
  EXPECT_EQ(port->ConnectData(9, {u"x"}), GridValue(ErrorValue{xlerrNA}));
  server_.connect_answer_type = VT_UNKNOWN;  // no value a cell can hold
  EXPECT_EQ(port->ConnectData(10, {u"x"}), GridValue(ErrorValue{xlerrValue}));
}

TEST_F(ComRtdServerTest, RefreshDataReadsTheReportedColumnsOnly) {
  auto port = Started();
  VARIANT text = VariantText(L"浦发银行");
  const VARIANT flag = VariantBool(true);
  // Five columns, three filled, two reported: the add-in's server sizes the array by its
  // records and reports fewer.
  AnswerRefresh(
      Report(5, {{VariantLong(4), VariantNumber(10.5)}, {VariantNumber(6), text}, {VariantLong(9), flag}}), 2);
  const auto updates = port->RefreshData();
  VariantClear(&text);
  ASSERT_TRUE(updates);
  EXPECT_EQ(*updates, (std::vector<TopicUpdate>{{4, 10.5}, {6, std::u16string(u"浦发银行")}}));
  EXPECT_EQ(server_.calls.back().forms, std::vector<VARTYPE>{VT_I4 | VT_BYREF});

  AnswerRefresh(Report(1, {{VariantLong(3), VariantLong(3)}}, 1), 1);
  EXPECT_EQ(port->RefreshData(), (std::vector<TopicUpdate>{{3, 3.0}})) << "lower bounds other than 0";
  AnswerRefresh(Report(0, {}), 0);
  EXPECT_EQ(port->RefreshData(), std::vector<TopicUpdate>{}) << "nothing changed";
}

TEST_F(ComRtdServerTest, ABadlyFormedReportIsRejectedWhole) {
  auto port = Started();
  AnswerRefresh(Report(2, {{VariantLong(1), VariantLong(1)}}), 3);
  EXPECT_FALSE(port->RefreshData()) << "more topics than columns";
  AnswerRefresh(Report(2, {{VariantLong(1), VariantLong(1)}}), -1);
  EXPECT_FALSE(port->RefreshData()) << "a negative count";

  SAFEARRAYBOUND three_rows[2] = {{3, 0}, {1, 0}};
  AnswerRefresh(SafeArrayCreate(VT_VARIANT, 2, three_rows), 1);
  EXPECT_FALSE(port->RefreshData()) << "three rows";
  AnswerRefresh(SafeArrayCreateVector(VT_VARIANT, 0, 2), 1);
  EXPECT_FALSE(port->RefreshData()) << "one dimension";
  SAFEARRAYBOUND numbers[2] = {{2, 0}, {1, 0}};
  SAFEARRAY* of_numbers = SafeArrayCreate(VT_I4, 2, numbers);
  server_.refresh = [of_numbers](LONG& count, VARIANT& answer) {
    count = 1;
    answer.vt = VT_ARRAY | VT_VARIANT;  // claims VARIANT elements, holds 4-byte ones
    answer.parray = of_numbers;
  };
  EXPECT_FALSE(port->RefreshData()) << "elements that are no VARIANT";
  server_.refresh = [](LONG& count, VARIANT& answer) {
    count = 1;
    answer.vt = VT_I4;
    answer.lVal = 1;
  };
  EXPECT_FALSE(port->RefreshData()) << "no array at all";
  server_.refresh = [](LONG& count, VARIANT& answer) {
    count = 1;
    answer.vt = VT_ARRAY | VT_VARIANT;
    answer.parray = nullptr;
  };
  EXPECT_FALSE(port->RefreshData()) << "a null array";
}

TEST_F(ComRtdServerTest, AColumnWhoseIdIsNoTopicIdIsLeftOut) {
  auto port = Started();
  VARIANT text = VariantText(L"4");
  VARIANT empty;
  VariantInit(&empty);
  AnswerRefresh(Report(5, {{text, VariantLong(1)},
                           {VariantNumber(2.5), VariantLong(1)},
                           {VariantNumber(1e12), VariantLong(1)},
                           {empty, VariantLong(1)},
                           {VariantLong(5), VariantLong(50)}}),
                5);
  VariantClear(&text);
  EXPECT_EQ(port->RefreshData(), (std::vector<TopicUpdate>{{5, 50.0}}));
}

TEST_F(ComRtdServerTest, DisconnectAndTerminateReachTheServerWhichLetsTheCallbackGo) {
  auto port = Started();
  port->DisconnectData(12);
  EXPECT_EQ(server_.disconnected, std::vector<LONG>{12});
  EXPECT_EQ(server_.calls.back().forms, std::vector<VARTYPE>{VT_I4});
  port->Terminate();
  EXPECT_EQ(server_.calls.back().method, L"ServerTerminate");
  EXPECT_TRUE(server_.calls.back().forms.empty());
  EXPECT_EQ(server_.callback, nullptr);
  EXPECT_EQ(server_.references, 1) << "the client let the server go at once";
  port->DisconnectData(13);
  EXPECT_EQ(server_.disconnected.size(), 1u) << "nothing reaches a terminated server";
}

// Hands out the test's server as the class object of a CLSID registered for this process.
class ServerClassObject final : public IClassFactory {
 public:
  explicit ServerClassObject(RecordingServer& server) : server_(server) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    ++created;
    return outer != nullptr ? CLASS_E_NOAGGREGATION : server_.QueryInterface(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  int created = 0;

 private:
  RecordingServer& server_;
};

// The ProgID of the test's server, in the machine's classes (where Wine's COM looks), and
// its class object registered for this process; both taken back at the end.
class ComRtdServerFactoryTest : public ComRtdServerTest {
 protected:
  static constexpr wchar_t kProgId[] = L"Orra.XlhostTestRtdServer";
  static constexpr wchar_t kProgIdKey[] = L"Software\\Classes\\Orra.XlhostTestRtdServer\\CLSID";
  static constexpr wchar_t kClassId[] = L"{5B0C7B8E-2F5A-4C55-9E3D-6D1B0A7C9F21}";

  void SetUp() override {
    ComRtdServerTest::SetUp();
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProgIdKey, nullptr, REG_SZ, kClassId,
                              static_cast<DWORD>(sizeof(kClassId))),
              ERROR_SUCCESS);
    CLSID class_id{};
    ASSERT_EQ(CLSIDFromString(kClassId, &class_id), S_OK);
    ASSERT_EQ(CoRegisterClassObject(class_id, &class_object_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_), S_OK);
  }
  void TearDown() override {
    CoRevokeClassObject(cookie_);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Orra.XlhostTestRtdServer");
    ComRtdServerTest::TearDown();
  }

  ServerClassObject class_object_{server_};
  DWORD cookie_ = 0;
};

TEST_F(ComRtdServerFactoryTest, AProgIdThatIsNotRegisteredStartsNothing) {
  EXPECT_EQ(MakeComRtdServerFactory()->Start(u"Orra.NoSuchServer.1"), nullptr);
  EXPECT_EQ(class_object_.created, 0);
}

// The whole client as xlhost runs it: a topic connected through the ProgID, a notice by name,
// a refresh naming the cell, the cell's topic let go, the server terminated and released.
TEST_F(ComRtdServerFactoryTest, TheClientDrivesARegisteredServerFromConnectToTerminate) {
  const std::unique_ptr<RtdServerFactory> factory = MakeComRtdServerFactory();
  RtdClient client(*factory);
  const RtdCall call{u"Orra.XlhostTestRtdServer", u"", {u"600000.SH", u"close"}};
  const CellAddress cell{2, 1};
  EXPECT_EQ(client.Value(call), GridValue(-1.0));
  client.SetCellCalls(cell, {call});
  EXPECT_EQ(class_object_.created, 1);
  EXPECT_EQ(server_.topic_strings, (std::vector<std::wstring>{L"600000.SH", L"close"}));

  client.set_throttle_ms(0);
  EXPECT_TRUE(client.Refresh(0).empty()) << "the server has not asked";
  ASSERT_EQ(server_.Notify(), S_OK);
  AnswerRefresh(Report(1, {{VariantLong(0), VariantNumber(5321.4)}}), 1);
  EXPECT_EQ(client.Refresh(0), std::vector<CellAddress>{cell});
  EXPECT_EQ(client.Value(call), GridValue(5321.4));

  client.SetCellCalls(cell, {});
  EXPECT_EQ(server_.disconnected, std::vector<LONG>{0});
  EXPECT_EQ(server_.calls.back().method, L"ServerTerminate");
  EXPECT_EQ(server_.callback, nullptr);
  EXPECT_EQ(server_.references, 1) << "xlhost holds nothing of the server any more";
}

}  // namespace
}  // namespace orra::xlhost
