#include "addin/rtd_server_dispatch_win32.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <optional>

namespace orra {
namespace {

// IRtdServer that records what reached it; its IDispatch is never asked for.
class RecordingServer final : public IRtdServer {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ServerStart(IRTDUpdateEvent*, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ConnectData(LONG topic_id, SAFEARRAY** strings, VARIANT_BOOL* get_new_values,
                                        VARIANT* value) override {
    connected = topic_id;
    strings_seen = strings;
    *get_new_values = VARIANT_FALSE;
    value->vt = VT_I4;
    value->lVal = -1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RefreshData(LONG* topic_count, SAFEARRAY** topics) override {
    if (refresh_fails) return E_OUTOFMEMORY;
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {1, 0}};
    *topics = SafeArrayCreate(VT_VARIANT, 2, bounds);
    *topic_count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DisconnectData(LONG topic_id) override {
    disconnected = topic_id;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Heartbeat(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ServerTerminate() override { return E_NOTIMPL; }

  std::optional<LONG> connected;
  SAFEARRAY** strings_seen = nullptr;
  std::optional<LONG> disconnected;
  bool refresh_fails = false;
};

class InvokeRtdDirectlyTest : public testing::Test {
 protected:
  InvokeRtdDirectlyTest() {
    VariantInit(&result_);
    SAFEARRAYBOUND bound = {1, 0};
    strings_ = SafeArrayCreate(VT_VARIANT, 1, &bound);
  }
  ~InvokeRtdDirectlyTest() override {
    VariantClear(&result_);
    SafeArrayDestroy(strings_);
  }

  // ConnectData's arguments as Excel passes them, last first.
  DISPPARAMS ConnectArguments() {
    arguments_[2].vt = VT_I4;
    arguments_[2].lVal = 42;
    arguments_[1].vt = VT_ARRAY | VT_VARIANT | VT_BYREF;
    arguments_[1].pparray = &strings_;
    arguments_[0].vt = VT_BOOL | VT_BYREF;
    arguments_[0].pboolVal = &get_new_values_;
    return {arguments_, nullptr, 3, 0};
  }
  std::optional<HRESULT> Invoke(DISPID member, DISPPARAMS* params, WORD flags = DISPATCH_METHOD) {
    return InvokeRtdDirectly(server_, member, IID_NULL, flags, params, &result_);
  }

  RecordingServer server_;
  VARIANT result_;
  SAFEARRAY* strings_ = nullptr;
  VARIANT_BOOL get_new_values_ = VARIANT_TRUE;
  VARIANTARG arguments_[3] = {};
};

TEST_F(InvokeRtdDirectlyTest, ExcelsConnectDataReachesTheMethodWithTheCallersOwnArray) {
  DISPPARAMS params = ConnectArguments();
  EXPECT_EQ(Invoke(kConnectDataId, &params), S_OK);
  EXPECT_EQ(server_.connected, 42);
  EXPECT_EQ(server_.strings_seen, &strings_) << "the array is lent, not copied";
  EXPECT_EQ(get_new_values_, VARIANT_FALSE) << "the flag is written back through the caller's pointer";
  EXPECT_EQ(result_.vt, VT_I4);
  EXPECT_EQ(result_.lVal, -1);
}

TEST_F(InvokeRtdDirectlyTest, RefreshDataAnswersItsArrayAsTheResult) {
  LONG count = 0;
  VARIANTARG argument;
  argument.vt = VT_I4 | VT_BYREF;
  argument.plVal = &count;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  EXPECT_EQ(Invoke(kRefreshDataId, &params), S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(result_.vt, VT_ARRAY | VT_VARIANT);
  ASSERT_NE(result_.parray, nullptr);
  EXPECT_EQ(SafeArrayGetDim(result_.parray), 2u);

  VariantClear(&result_);
  server_.refresh_fails = true;
  EXPECT_EQ(Invoke(kRefreshDataId, &params), E_OUTOFMEMORY);
  EXPECT_EQ(result_.vt, VT_EMPTY) << "a failed call answers no array";
}

TEST_F(InvokeRtdDirectlyTest, DisconnectDataTakesTheTopicAndAnswersNothing) {
  VARIANTARG argument;
  argument.vt = VT_I4;
  argument.lVal = 7;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  result_.vt = VT_I4;
  EXPECT_EQ(Invoke(kDisconnectDataId, &params), S_OK);
  EXPECT_EQ(server_.disconnected, 7);
  EXPECT_EQ(result_.vt, VT_EMPTY);
  EXPECT_EQ(InvokeRtdDirectly(server_, kDisconnectDataId, IID_NULL, DISPATCH_METHOD, &params, nullptr), S_OK)
      << "no result wanted";
}

// Whatever is not Excel's form of the three calls is the type library's to read: nothing
// reaches the server and the result is untouched.
TEST_F(InvokeRtdDirectlyTest, LeavesEveryOtherFormToTheTypeLibrary) {
  DISPPARAMS params = ConnectArguments();
  EXPECT_EQ(Invoke(kConnectDataId, &params, DISPATCH_PROPERTYGET), std::nullopt);
  EXPECT_EQ(InvokeRtdDirectly(server_, kConnectDataId, IID_IDispatch, DISPATCH_METHOD, &params, &result_),
            std::nullopt);
  EXPECT_EQ(InvokeRtdDirectly(server_, kConnectDataId, IID_NULL, DISPATCH_METHOD, &params, nullptr), std::nullopt);
  EXPECT_EQ(Invoke(kConnectDataId, nullptr), std::nullopt);

  DISPID named = 0;
  DISPPARAMS with_name{arguments_, &named, 3, 1};
  EXPECT_EQ(Invoke(kConnectDataId, &with_name), std::nullopt);
  DISPPARAMS too_few{arguments_, nullptr, 2, 0};
  EXPECT_EQ(Invoke(kConnectDataId, &too_few), std::nullopt);
  DISPPARAMS no_arguments{nullptr, nullptr, 3, 0};
  EXPECT_EQ(Invoke(kConnectDataId, &no_arguments), std::nullopt);

  // The array by value and the flag by value, as a script might pass them.
  arguments_[1].vt = VT_ARRAY | VT_VARIANT;
  arguments_[1].parray = strings_;
  EXPECT_EQ(Invoke(kConnectDataId, &params), std::nullopt);
  params = ConnectArguments();
  arguments_[1].pparray = nullptr;
  EXPECT_EQ(Invoke(kConnectDataId, &params), std::nullopt);
  params = ConnectArguments();
  arguments_[0].vt = VT_BOOL;
  EXPECT_EQ(Invoke(kConnectDataId, &params), std::nullopt);
  params = ConnectArguments();
  arguments_[2].vt = VT_R8;
  EXPECT_EQ(Invoke(kConnectDataId, &params), std::nullopt);

  VARIANTARG by_value;
  by_value.vt = VT_I4;
  by_value.lVal = 3;
  DISPPARAMS count_by_value{&by_value, nullptr, 1, 0};
  EXPECT_EQ(Invoke(kRefreshDataId, &count_by_value), std::nullopt);
  by_value.vt = VT_BSTR;
  by_value.bstrVal = nullptr;
  EXPECT_EQ(Invoke(kDisconnectDataId, &count_by_value), std::nullopt);

  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(Invoke(10, &none), std::nullopt) << "ServerStart";
  EXPECT_EQ(Invoke(15, &none), std::nullopt) << "ServerTerminate";

  EXPECT_FALSE(server_.connected.has_value());
  EXPECT_FALSE(server_.disconnected.has_value());
  EXPECT_EQ(result_.vt, VT_EMPTY);
}

}  // namespace
}  // namespace orra
