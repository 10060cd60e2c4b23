#include "addin/dispatch_of_win32.h"

#include <oleauto.h>

#include <new>
#include <string>

#include "common/this_module_win32.h"

namespace orra {
namespace {

// The path LoadTypeLibEx reads resource `library` from: the DLL's own path for the first
// TYPELIB resource, the path followed by "\<number>" for another.
std::wstring TypeLibraryPath(TypeLibraryResource library) {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  if (library != TypeLibraryResource::kOwn) path += L"\\" + std::to_wstring(static_cast<int>(library));
  return path;
}

}  // namespace

HRESULT LoadInterfaceTypeInfo(TypeLibraryResource library, REFIID interface_id, ComPtr<ITypeInfo>& info) noexcept {
  try {
    const std::wstring path = TypeLibraryPath(library);
    if (path.empty()) return TYPE_E_CANTLOADLIBRARY;
    ComPtr<ITypeLib> type_library;
    const HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, type_library.Put());
    if (FAILED(result)) return result;
    return type_library->GetTypeInfoOfGuid(interface_id, info.Put());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT GetIdsOfNamesByTypeInfo(ITypeInfo* info, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) noexcept {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr) return E_POINTER;
  return DispGetIDsOfNames(info, names, count, ids);
}

HRESULT InvokeByTypeInfo(ITypeInfo* info, void* self, DISPID member, REFIID riid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argument_error) noexcept {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (params == nullptr) return E_INVALIDARG;
  if (params->cArgs > 0 && params->rgvarg == nullptr) return E_INVALIDARG;
  return DispInvoke(self, info, member, flags, params, result, exception, argument_error);
}

}  // namespace orra
