#pragma once
// The IDispatch that xlhost's COM objects (Excel's Application, Range and Worksheet, and the
// ribbon's control and IRibbonUI) share, written by hand as Excel's own objects behave towards a
// late-bound client: names found without regard to case, the dispatch ids of Excel's type
// library, DISPATCH_METHOD | DISPATCH_PROPERTYGET accepted as VB clients send them, the
// DISP_E_* errors, and every argument's VARTYPE checked before use. The objects live in the
// main thread's apartment: a call from another thread fails with RPC_E_WRONG_THREAD, and while
// a cell is being edited every call fails with RPC_E_CALL_REJECTED.
//
// AddRef and Release may be called from any thread; the rest on the main thread.

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <new>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/xlhost/apartment_gate.h"

namespace orra::xlhost {

// Excel's answer to a call it cannot carry out (a bad range, a value out of bounds): the
// automation error a VB client sees as run-time error 1004.
inline constexpr HRESULT kExcelCallFailed = static_cast<HRESULT>(0x800A03EC);
// The most arguments a member takes (Application.Intersect's 30).
inline constexpr UINT kMaxDispatchArguments = 30;

struct DispatchMember {
  std::u16string_view name;
  DISPID id;
};

// The arguments of one Invoke in their logical order (Invoke receives them reversed) and the
// value of a property put, each followed through VT_BYREF | VT_VARIANT.
class Invocation {
 public:
  Invocation(WORD flags, const DISPPARAMS& params) : flags_(flags), params_(params) {}

  bool is_get() const { return (flags_ & DISPATCH_PROPERTYGET) != 0; }
  bool is_method() const { return (flags_ & DISPATCH_METHOD) != 0; }
  bool is_put() const { return (flags_ & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
  // The positional arguments.
  size_t count() const { return params_.cArgs - params_.cNamedArgs; }
  // Argument `index`; null when absent or omitted (VT_ERROR DISP_E_PARAMNOTFOUND).
  const VARIANT* Argument(size_t index) const;
  // The value a property put assigns (the named DISPID_PROPERTYPUT argument).
  const VARIANT* put_value() const;

 private:
  WORD flags_;
  const DISPPARAMS& params_;
};

// `variant` followed through VT_BYREF | VT_VARIANT.
const VARIANT& Dereferenced(const VARIANT& variant);
// The argument as a type, converting only where Excel's own dispatcher would (an integer from
// any integral VT_I*/VT_UI*/VT_R8 value, a boolean from VT_BOOL); none for any other VARTYPE.
std::optional<bool> BoolOf(const VARIANT& variant);
std::optional<int64_t> IntegerOf(const VARIANT& variant);
std::optional<std::u16string> TextOf(const VARIANT& variant);

// Put into `result`, which holds VT_EMPTY; false when a string cannot be allocated.
bool PutText(VARIANT& result, std::u16string_view text);
void PutBool(VARIANT& result, bool value);
// Takes over one reference of `object`, which may be null (Nothing).
void PutDispatch(VARIANT& result, IDispatch* object);

// Runs one member's call, catching everything (E_OUTOFMEMORY, E_UNEXPECTED).
template <typename Call>
HRESULT Guarded(Call call) noexcept {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// The apartment's answer to a call now: S_OK, RPC_E_WRONG_THREAD or RPC_E_CALL_REJECTED.
HRESULT Admitted(const ApartmentGate& gate);

// The common checks of Invoke: the apartment, the parameter block, named arguments only as the
// value of a property put, the argument count. S_OK when the call may go on.
HRESULT CheckInvoke(const ApartmentGate& gate, DISPID member, std::span<const DispatchMember> members,
                    WORD flags, const DISPPARAMS* params);
// GetIDsOfNames over a member table; unknown names get DISPID_UNKNOWN and DISP_E_UNKNOWNNAME.
HRESULT FindDispatchIds(const ApartmentGate& gate, std::span<const DispatchMember> members,
                        LPOLESTR* names, UINT count, DISPID* ids);

// Reference counting, QueryInterface and IDispatch for an object implementing `Interface`
// (IDispatch itself or a dual interface of Office's), whose interface id is `own`.
template <typename Interface>
class DispatchObject : public Interface {
 public:
  DispatchObject(const IID& own, std::span<const DispatchMember> members, const ApartmentGate& gate)
      : own_(own), members_(members), gate_(gate) {}
  virtual ~DispatchObject() = default;
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, own_)) {
      *object = static_cast<Interface*>(this);
    } else {
      *object = OtherInterface(iid);
    }
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;  // no type information: names are found through GetIDsOfNames alone
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return FindDispatchIds(gate_, members_, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    const HRESULT checked = CheckInvoke(gate_, member, members_, flags, params);
    if (FAILED(checked)) return checked;
    return Guarded([&] {
      VARIANT ignored;
      VariantInit(&ignored);
      VARIANT& answer = result != nullptr ? *result : ignored;
      if (result != nullptr) VariantInit(result);
      const HRESULT called = Call(member, Invocation(flags, *params), answer);
      if (FAILED(called) || result == nullptr) VariantClear(&answer);
      return called;
    });
  }

 protected:
  // One member's call after the common checks; DISP_E_MEMBERNOTFOUND for a form of call the
  // member does not take. `result` holds VT_EMPTY.
  virtual HRESULT Call(DISPID member, const Invocation& call, VARIANT& result) = 0;
  // An interface beyond IUnknown, IDispatch and `own`, without a reference added; null for none.
  virtual void* OtherInterface(REFIID) { return nullptr; }

  const ApartmentGate& gate() const { return gate_; }

 private:
  const IID own_;
  const std::span<const DispatchMember> members_;
  const ApartmentGate& gate_;
  std::atomic<ULONG> references_{1};
};

// One reference to a COM object, released when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller holds.
  explicit ComPtr(T* adopted) : pointer_(adopted) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = other.pointer_;
      other.pointer_ = nullptr;
    }
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // Where a call puts a new reference; what was held is released first.
  T** Receive() {
    Reset();
    return &pointer_;
  }
  // Hands the reference to the caller.
  T* Detach() {
    T* pointer = pointer_;
    pointer_ = nullptr;
    return pointer;
  }
  void Reset() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace orra::xlhost
