#pragma once
// DispatchHandoff: carries one IDispatch from the apartment that owns it (Excel's main thread,
// where OnConnection receives the Application object) to one other thread. Excel's objects
// refuse calls made on a raw pointer from another thread, so the receiving thread gets a
// proxy of its own, through CoMarshalInterThreadInterfaceInStream and
// CoGetInterfaceAndReleaseStream.
//
// Made on the owning thread; Take on the receiving thread after it joined an apartment.
// Destroyed on either: marshal data never taken is released with the stream.

#include <windows.h>
#include <objidl.h>
#include <oaidl.h>

#include "addin/com_ptr_win32.h"

namespace orra {

class DispatchHandoff {
 public:
  // Marshals `object`; a null object, or one that cannot be marshalled, hands over nothing.
  explicit DispatchHandoff(IDispatch* object);
  ~DispatchHandoff();
  DispatchHandoff(const DispatchHandoff&) = delete;
  DispatchHandoff& operator=(const DispatchHandoff&) = delete;

  // The calling thread's proxy of the object, once; null afterwards and when nothing was
  // handed over or the unmarshalling failed.
  ComPtr<IDispatch> Take();

 private:
  IStream* stream_ = nullptr;  // one reference, ours until Take
};

}  // namespace orra
