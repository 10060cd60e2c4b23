#include "ui/dispatch_handoff_win32.h"

#include <utility>

namespace orra {

DispatchHandoff::DispatchHandoff(IDispatch* object) {
  if (object == nullptr) return;
  if (FAILED(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object, &stream_))) stream_ = nullptr;
}

DispatchHandoff::~DispatchHandoff() {
  if (stream_ == nullptr) return;
  // The marshal data holds a reference on the object; only releasing the data gives it back.
  const LARGE_INTEGER start = {};
  if (SUCCEEDED(stream_->Seek(start, STREAM_SEEK_SET, nullptr))) CoReleaseMarshalData(stream_);
  stream_->Release();
}

ComPtr<IDispatch> DispatchHandoff::Take() {
  ComPtr<IDispatch> proxy;
  IStream* stream = std::exchange(stream_, nullptr);
  if (stream == nullptr) return proxy;
  // Releases the stream and its marshal data whether or not the proxy is made.
  if (FAILED(CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, reinterpret_cast<void**>(proxy.Put())))) {
    proxy.Reset();
  }
  return proxy;
}

}  // namespace orra
