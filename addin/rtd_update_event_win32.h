#pragma once
// ComRtdUpdateEvent: Excel's IRTDUpdateEvent callback as the RTD logic's RtdUpdateEvent. It holds
// one reference to the callback while the timer window keeps it; its identity is the callback
// object's IUnknown, so that ServerStart with the same object seen through another interface
// pointer keeps the one held.
//
// The thread that received the callback in ServerStart (Excel's main thread): UpdateNotify is
// called through the vtable, never from another apartment.

#include <windows.h>

#include <memory>

#include "addin/com_ptr_win32.h"
#include "addin/office_interfaces.h"
#include "request/rtd_server.h"

namespace orra {

class ComRtdUpdateEvent final : public RtdUpdateEvent {
 public:
  // The callback's IRTDUpdateEvent and identity, or the failure of asking it for them.
  static HRESULT Wrap(IUnknown* callback, std::shared_ptr<RtdUpdateEvent>& wrapped);

  void UpdateNotify() override { event_->UpdateNotify(); }
  const void* Identity() const override { return identity_; }

 private:
  ComRtdUpdateEvent(ComPtr<IRTDUpdateEvent> event, const void* identity)
      : event_(std::move(event)), identity_(identity) {}

  ComPtr<IRTDUpdateEvent> event_;
  const void* identity_;
};

}  // namespace orra
