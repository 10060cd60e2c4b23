// The ribbon callbacks through their COM signatures, with controls and a ribbon of the test's
// own, and the icons this test program carries as the DLL does.
#include "addin/ribbon_callbacks_win32.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "addin/addin_runtime.h"
#include "addin/office_interfaces.h"
#include "addin/ribbon_images.h"
#include "addin/ribbon_xml.h"
#include "common/env.h"
#include "common/module_directory.h"

namespace orra {
namespace {

// IDispatch's own methods are never called by the callbacks.
template <typename Interface>
class TestDispatch : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(Interface)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // The objects live on the test's stack; the count shows what the callbacks still hold.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  ULONG references = 1;
};

class TestControl final : public TestDispatch<IRibbonControl> {
 public:
  explicit TestControl(const wchar_t* id) : id_(id) {}
  HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override {
    *id = SysAllocString(id_.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) override {
    *context = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override {
    *tag = nullptr;
    return E_NOTIMPL;
  }

 private:
  std::wstring id_;
};

class TestRibbon final : public TestDispatch<IRibbonUI> {
 public:
  HRESULT STDMETHODCALLTYPE Invalidate() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InvalidateControl(BSTR) override { return E_NOTIMPL; }
};

// A dispatch object that is no ribbon control.
class PlainDispatch final : public TestDispatch<IDispatch> {};

struct FreeBstr {
  void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using Bstr = std::unique_ptr<OLECHAR, FreeBstr>;

class RibbonCallbacksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddinRuntime::Options options;
    options.module_directory = ModuleDirectory();
    // No terminal publishes this block: every login check fails.
    options.login_block_name = "OrraRibbonTest" + std::to_string(std::random_device{}());
    runtime_ = std::make_unique<AddinRuntime>(env_, options);
    callbacks_ = std::make_unique<RibbonCallbacks>(*runtime_);
  }
  void TearDown() override {
    callbacks_.reset();
    runtime_.reset();
  }

  // The icon handle inside the picture GetImage answers for `id`; the control is let go.
  std::optional<OLE_HANDLE> ImageHandle(const wchar_t* id) {
    TestControl control(id);
    IDispatch* picture = nullptr;
    EXPECT_EQ(callbacks_->GetImage(&control, &picture), S_OK);
    EXPECT_EQ(control.references, 1u) << "GetImage keeps no reference to the control";
    return HandleOf(picture);
  }
  static std::optional<OLE_HANDLE> HandleOf(IDispatch* picture) {
    if (picture == nullptr) return std::nullopt;
    IPicture* inner = nullptr;
    OLE_HANDLE handle = 0;
    SHORT type = PICTYPE_UNINITIALIZED;
    if (SUCCEEDED(picture->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&inner)))) {
      inner->get_Handle(&handle);
      inner->get_Type(&type);
      inner->Release();
    }
    picture->Release();
    EXPECT_EQ(type, PICTYPE_ICON);
    return handle;
  }
  static OLE_HANDLE SharedIcon(IconNumber number) {
    return static_cast<OLE_HANDLE>(reinterpret_cast<uintptr_t>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(number), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED)));
  }
  VARIANT_BOOL Visible(const wchar_t* id, VARIANT_BOOL passed) {
    TestControl control(id);
    EXPECT_EQ(callbacks_->getVisible(&control, &passed), S_OK);
    EXPECT_EQ(control.references, 1u);
    return passed;
  }

  PlatformEnv env_;
  std::unique_ptr<AddinRuntime> runtime_;
  std::unique_ptr<RibbonCallbacks> callbacks_;
};

TEST_F(RibbonCallbacksTest, GetImageWrapsTheIconOfTheControlsIdInAPicture) {
  const std::optional<OLE_HANDLE> function = ImageHandle(L"id_insert_function");
  ASSERT_TRUE(function);
  EXPECT_NE(*function, 0u);
  EXPECT_EQ(*function, SharedIcon(1016));
  EXPECT_EQ(ImageHandle(L"id_private_product"), SharedIcon(1050));
  EXPECT_EQ(ImageHandle(L"id_private_product_report"), SharedIcon(1048));
  EXPECT_NE(SharedIcon(1050), SharedIcon(1048));
  EXPECT_EQ(ImageHandle(L"id_sheet_refresh"), 0u) << "a picture without an icon";
  EXPECT_EQ(ImageHandle(L"no_such_control"), 0u);

  PlainDispatch plain;
  IDispatch* picture = nullptr;
  EXPECT_EQ(callbacks_->GetImage(&plain, &picture), S_OK);
  EXPECT_EQ(HandleOf(picture), 0u) << "no IRibbonControl, no id";
  EXPECT_EQ(callbacks_->GetImage(nullptr, &picture), S_OK);
  EXPECT_EQ(HandleOf(picture), 0u);
  EXPECT_EQ(callbacks_->GetImage(&plain, nullptr), E_POINTER);
}

TEST_F(RibbonCallbacksTest, EveryIconTheLookupsAnswerIsAResourceInBothSizes) {
  for (const IconNumber number : RibbonIconNumbers()) {
    for (const int size : {16, 32}) {
      HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(number), IMAGE_ICON, size, size, 0);
      EXPECT_NE(icon, nullptr) << number << " at " << size;
      if (icon == nullptr) continue;
      ICONINFO info = {};
      BITMAP colour = {};
      ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
      GetObjectW(info.hbmColor, sizeof(colour), &colour);
      EXPECT_EQ(colour.bmWidth, size) << number;
      EXPECT_EQ(colour.bmBitsPixel, 32) << number << ": with alpha";
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(static_cast<HICON>(icon));
    }
  }
}

TEST_F(RibbonCallbacksTest, OnGetImageLooksNamesUpOverTheirLeadingBytes) {
  IDispatch* picture = nullptr;
  const Bstr series(SysAllocString(L"时间序列"));
  ASSERT_EQ(callbacks_->OnGetImage(series.get(), &picture), S_OK);
  EXPECT_EQ(HandleOf(picture), SharedIcon(1023));
  const Bstr longer(SysAllocString(L"登录后"));
  ASSERT_EQ(callbacks_->OnGetImage(longer.get(), &picture), S_OK);
  EXPECT_EQ(HandleOf(picture), 0u);
  ASSERT_EQ(callbacks_->OnGetImage(nullptr, &picture), S_OK);
  EXPECT_EQ(HandleOf(picture), 0u);
}

TEST_F(RibbonCallbacksTest, GetVisibleFollowsTheLoginStateTheImagesSet) {
  EXPECT_EQ(Visible(L"id_login", VARIANT_FALSE), VARIANT_TRUE) << "not checked yet";
  EXPECT_EQ(Visible(L"id_exit", VARIANT_TRUE), VARIANT_FALSE);
  ImageHandle(L"id_insert_stock");
  EXPECT_EQ(Visible(L"id_login", VARIANT_TRUE), VARIANT_FALSE) << "an image marked the user logged in";
  EXPECT_EQ(Visible(L"id_exit", VARIANT_FALSE), VARIANT_TRUE);
  EXPECT_EQ(Visible(L"id_insert_stock", VARIANT_FALSE), VARIANT_FALSE) << "left as passed";
  EXPECT_EQ(Visible(L"id_insert_stock", VARIANT_TRUE), VARIANT_TRUE);
  VARIANT_BOOL passed = VARIANT_TRUE;
  EXPECT_EQ(callbacks_->getVisible(nullptr, &passed), S_OK);
  EXPECT_EQ(passed, VARIANT_TRUE);
}

TEST_F(RibbonCallbacksTest, GetCustomUIAnswersTheXmlForAnyRibbon) {
  const std::u16string& xml = RibbonXml();
  for (const wchar_t* id : {L"Microsoft.Excel.Workbook", L"", L"anything"}) {
    const Bstr ribbon_id(SysAllocString(id));
    BSTR answer = nullptr;
    ASSERT_EQ(callbacks_->GetCustomUI(ribbon_id.get(), &answer), S_OK);
    const Bstr owned(answer);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(answer), SysStringLen(answer)), xml);
  }
  BSTR answer = nullptr;
  ASSERT_EQ(callbacks_->GetCustomUI(nullptr, &answer), S_OK);
  EXPECT_EQ(SysStringLen(answer), xml.size());
  SysFreeString(answer);
  EXPECT_EQ(callbacks_->GetCustomUI(nullptr, nullptr), E_POINTER);
}

TEST_F(RibbonCallbacksTest, GetEnabledEnablesEveryControl) {
  TestControl unknown(L"no_such_control");
  VARIANT_BOOL enabled = VARIANT_FALSE;
  EXPECT_EQ(callbacks_->getEnabled(&unknown, &enabled), S_OK);
  EXPECT_EQ(enabled, VARIANT_TRUE);
  enabled = VARIANT_FALSE;
  EXPECT_EQ(callbacks_->getEnabled(nullptr, &enabled), S_OK);
  EXPECT_EQ(enabled, VARIANT_TRUE);
  EXPECT_EQ(callbacks_->getEnabled(&unknown, nullptr), E_POINTER);
}

TEST_F(RibbonCallbacksTest, RibbonLoadedHoldsOneRibbonAtATime) {
  TestRibbon first;
  TestRibbon second;
  PlainDispatch plain;
  ASSERT_EQ(callbacks_->ribbonLoaded(&first), S_OK);
  EXPECT_EQ(first.references, 2u);
  ASSERT_EQ(callbacks_->ribbonLoaded(&first), S_OK);
  EXPECT_EQ(first.references, 2u) << "the same ribbon again is held once";
  ASSERT_EQ(callbacks_->ribbonLoaded(&plain), S_OK);
  EXPECT_EQ(first.references, 2u) << "no IRibbonUI: the held one stays";
  EXPECT_EQ(plain.references, 1u);
  ASSERT_EQ(callbacks_->ribbonLoaded(&second), S_OK);
  EXPECT_EQ(first.references, 1u) << "released when replaced";
  EXPECT_EQ(second.references, 2u);
  callbacks_.reset();
  EXPECT_EQ(second.references, 1u) << "released with the callbacks";
}

}  // namespace
}  // namespace orra
