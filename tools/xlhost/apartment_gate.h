#pragma once
// Whether Excel's objects take a call now. Excel's object model lives in its main thread's
// apartment: a call on an interface pointer from another thread, not marshalled, is refused
// with RPC_E_WRONG_THREAD; and while the user edits a cell Excel rejects every call with
// RPC_E_CALL_REJECTED, which is how an add-in finds out that it has to try again later.
//
// Made on the main thread, whose id it keeps. CheckCall may be called from any thread; the
// editing switch is set and read on the main thread only.

#include <thread>

namespace orra::xlhost {

enum class CallRefusal { kNone, kWrongThread, kEditing };

class ApartmentGate {
 public:
  ApartmentGate() : owner_(std::this_thread::get_id()) {}

  CallRefusal CheckCall() const {
    if (std::this_thread::get_id() != owner_) return CallRefusal::kWrongThread;
    return editing_ ? CallRefusal::kEditing : CallRefusal::kNone;
  }

  bool editing() const { return editing_; }
  void set_editing(bool editing) { editing_ = editing; }

 private:
  const std::thread::id owner_;
  bool editing_ = false;
};

}  // namespace orra::xlhost
