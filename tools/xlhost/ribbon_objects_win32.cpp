#include "tools/xlhost/ribbon_objects_win32.h"

#include <new>

namespace orra::xlhost {
namespace {

constexpr DISPID kId = 1;
constexpr DISPID kContext = 2;
constexpr DISPID kTag = 3;
constexpr DISPID kInvalidate = 1;
constexpr DISPID kInvalidateControl = 2;

constexpr DispatchMember kControlMembers[] = {{u"Id", kId}, {u"Context", kContext}, {u"Tag", kTag}};
constexpr DispatchMember kRibbonUiMembers[] = {{u"Invalidate", kInvalidate}, {u"InvalidateControl", kInvalidateControl}};

HRESULT CopyText(const std::u16string& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

class RibbonControlObject final : public DispatchObject<IRibbonControl> {
 public:
  RibbonControlObject(std::u16string id, IDispatch* context, const ApartmentGate& gate)
      : DispatchObject(__uuidof(IRibbonControl), kControlMembers, gate), id_(std::move(id)), context_(context) {
    if (context_ != nullptr) context_->AddRef();
  }
  ~RibbonControlObject() override {
    if (context_ != nullptr) context_->Release();
  }

  HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override {
    const HRESULT admitted = Admitted(gate());
    return FAILED(admitted) ? admitted : CopyText(id_, id);
  }
  HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) override {
    const HRESULT admitted = Admitted(gate());
    if (FAILED(admitted)) return admitted;
    if (context == nullptr) return E_POINTER;
    *context = context_;
    if (context_ != nullptr) context_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override {
    const HRESULT admitted = Admitted(gate());
    return FAILED(admitted) ? admitted : CopyText(std::u16string(), tag);
  }

 private:
  HRESULT Call(DISPID member, const Invocation& call, VARIANT& result) override {
    if (!call.is_get() || call.is_put()) return DISP_E_MEMBERNOTFOUND;
    if (call.count() != 0) return DISP_E_BADPARAMCOUNT;
    if (member == kContext) {
      if (context_ != nullptr) context_->AddRef();
      PutDispatch(result, context_);
      return S_OK;
    }
    return PutText(result, member == kId ? std::u16string_view(id_) : std::u16string_view()) ? S_OK : E_OUTOFMEMORY;
  }

  const std::u16string id_;
  IDispatch* const context_;
};

class RibbonUiObject final : public DispatchObject<IRibbonUI> {
 public:
  RibbonUiObject(RibbonRedraws& redraws, const ApartmentGate& gate)
      : DispatchObject(__uuidof(IRibbonUI), kRibbonUiMembers, gate), redraws_(redraws) {}

  HRESULT STDMETHODCALLTYPE Invalidate() override {
    const HRESULT admitted = Admitted(gate());
    if (SUCCEEDED(admitted)) ++redraws_.all;
    return admitted;
  }
  HRESULT STDMETHODCALLTYPE InvalidateControl(BSTR) override {
    const HRESULT admitted = Admitted(gate());
    if (SUCCEEDED(admitted)) ++redraws_.controls;
    return admitted;
  }

 private:
  HRESULT Call(DISPID member, const Invocation& call, VARIANT&) override {
    if (!call.is_method() || call.is_put()) return DISP_E_MEMBERNOTFOUND;
    if (member == kInvalidate) {
      if (call.count() != 0) return DISP_E_BADPARAMCOUNT;
      ++redraws_.all;
      return S_OK;
    }
    if (call.count() != 1) return DISP_E_BADPARAMCOUNT;
    if (call.Argument(0) == nullptr || !TextOf(*call.Argument(0))) return DISP_E_TYPEMISMATCH;
    ++redraws_.controls;
    return S_OK;
  }

  RibbonRedraws& redraws_;
};

}  // namespace

ComPtr<IRibbonControl> MakeRibbonControl(std::u16string id, IDispatch* context, const ApartmentGate& gate) {
  return ComPtr<IRibbonControl>(new (std::nothrow) RibbonControlObject(std::move(id), context, gate));
}

ComPtr<IRibbonUI> MakeRibbonUi(RibbonRedraws& redraws, const ApartmentGate& gate) {
  return ComPtr<IRibbonUI>(new (std::nothrow) RibbonUiObject(redraws, gate));
}

}  // namespace orra::xlhost
