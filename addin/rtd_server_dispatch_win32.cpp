#include "addin/rtd_server_dispatch_win32.h"

#include <oleauto.h>

namespace orra {
namespace {

// Positional arguments only, for a method call, with the arguments' count: Invoke takes them
// last first.
bool IsMethodCall(REFIID riid, WORD flags, const DISPPARAMS* params, UINT arguments) {
  return IsEqualIID(riid, IID_NULL) && (flags & DISPATCH_METHOD) != 0 && params != nullptr &&
         params->cNamedArgs == 0 && params->cArgs == arguments && (arguments == 0 || params->rgvarg != nullptr);
}

std::optional<HRESULT> ConnectData(IRtdServer& server, const DISPPARAMS& params, VARIANT* result) {
  const VARIANTARG& topic_id = params.rgvarg[2];
  const VARIANTARG& strings = params.rgvarg[1];
  const VARIANTARG& get_new_values = params.rgvarg[0];
  if (result == nullptr || topic_id.vt != VT_I4 || strings.vt != (VT_ARRAY | VT_VARIANT | VT_BYREF) ||
      strings.pparray == nullptr || get_new_values.vt != (VT_BOOL | VT_BYREF) || get_new_values.pboolVal == nullptr) {
    return std::nullopt;
  }
  VariantInit(result);
  return server.ConnectData(topic_id.lVal, strings.pparray, get_new_values.pboolVal, result);
}

std::optional<HRESULT> RefreshData(IRtdServer& server, const DISPPARAMS& params, VARIANT* result) {
  const VARIANTARG& topic_count = params.rgvarg[0];
  if (result == nullptr || topic_count.vt != (VT_I4 | VT_BYREF) || topic_count.plVal == nullptr) return std::nullopt;
  SAFEARRAY* topics = nullptr;
  const HRESULT answer = server.RefreshData(topic_count.plVal, &topics);
  VariantInit(result);
  if (SUCCEEDED(answer)) {
    result->vt = VT_ARRAY | VT_VARIANT;
    result->parray = topics;
  }
  return answer;
}

std::optional<HRESULT> DisconnectData(IRtdServer& server, const DISPPARAMS& params, VARIANT* result) {
  const VARIANTARG& topic_id = params.rgvarg[0];
  if (topic_id.vt != VT_I4) return std::nullopt;
  if (result != nullptr) VariantInit(result);
  return server.DisconnectData(topic_id.lVal);
}

}  // namespace

std::optional<HRESULT> InvokeRtdDirectly(IRtdServer& server, DISPID member, REFIID riid, WORD flags,
                                         const DISPPARAMS* params, VARIANT* result) noexcept {
  switch (member) {
    case kConnectDataId:
      if (!IsMethodCall(riid, flags, params, 3)) return std::nullopt;
      return ConnectData(server, *params, result);
    case kRefreshDataId:
      if (!IsMethodCall(riid, flags, params, 1)) return std::nullopt;
      return RefreshData(server, *params, result);
    case kDisconnectDataId:
      if (!IsMethodCall(riid, flags, params, 1)) return std::nullopt;
      return DisconnectData(server, *params, result);
    default:
      return std::nullopt;
  }
}

}  // namespace orra
