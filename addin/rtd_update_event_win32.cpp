#include "addin/rtd_update_event_win32.h"

namespace orra {

HRESULT ComRtdUpdateEvent::Wrap(IUnknown* callback, std::shared_ptr<RtdUpdateEvent>& wrapped) {
  if (callback == nullptr) return E_POINTER;
  ComPtr<IRTDUpdateEvent> event;
  HRESULT result = callback->QueryInterface(__uuidof(IRTDUpdateEvent), reinterpret_cast<void**>(event.Put()));
  if (FAILED(result)) return result;
  // The identity is compared, never called: the held event keeps the object, and with it this
  // pointer, alive.
  ComPtr<IUnknown> identity;
  result = callback->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.Put()));
  if (FAILED(result)) return result;
  wrapped.reset(new ComRtdUpdateEvent(std::move(event), identity.Get()));
  return S_OK;
}

}  // namespace orra
