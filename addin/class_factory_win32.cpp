// The class factory of COrraExcel and the COM server's exports (OrraAddin64.def):
// DllGetClassObject hands out the one factory, whose every CreateInstance builds a new object;
// DllCanUnloadNow lets the DLL go only with no live object, factory reference or lock. Each
// export and method is a catch-all boundary.
#include <windows.h>
#include <unknwn.h>

#include <new>

#include "addin/class_factory_win32.h"
#include "addin/load_time_registration.h"
#include "addin/orra_excel_win32.h"

namespace orra {
namespace {

// A factory reference keeps the DLL as a lock does, so the factory itself is never freed: it
// lives as long as the DLL, and its count is the module's.
class OrraExcelFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override {
    ComServerLocks().Lock();
    return 2;
  }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    ComServerLocks().Unlock();
    return 1;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    try {
      const ComPtr<IUnknown> made = COrraExcel::Create();
      return made->QueryInterface(riid, object);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
    if (lock) {
      ComServerLocks().Lock();
    } else {
      ComServerLocks().Unlock();
    }
    return S_OK;
  }
};

OrraExcelFactory factory;

}  // namespace

ModuleLockCount& ComServerLocks() {
  static constinit ModuleLockCount locks;
  return locks;
}

}  // namespace orra

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID class_id, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  try {
    // Every load registers the DLL again at the first door Excel opens; the result is ignored.
    orra::RegisterAtLoad();
    if (!IsEqualCLSID(class_id, __uuidof(OrraExcel))) return CLASS_E_CLASSNOTAVAILABLE;
    return orra::factory.QueryInterface(riid, object);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

extern "C" HRESULT __stdcall DllCanUnloadNow() {
  return orra::ComServerLocks().CanUnload() ? S_OK : S_FALSE;
}
