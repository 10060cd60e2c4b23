#pragma once
// ComPtr<I>: one counted reference to a COM interface, released when the holder goes. Filled
// either by taking over a reference a call handed out (Put) or by adding one to a pointer it
// was given (Share).
//
// The thread rules are those of the interface it holds.

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace orra {

template <typename I>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }

  // A new reference to `pointer` (which may be null).
  static ComPtr Share(I* pointer) {
    ComPtr held;
    held.pointer_ = pointer;
    if (pointer != nullptr) pointer->AddRef();
    return held;
  }

  void Reset() {
    if (I* released = std::exchange(pointer_, nullptr)) released->Release();
  }
  // Where a call that hands out a reference writes it; what was held is released first.
  I** Put() {
    Reset();
    return &pointer_;
  }
  // Gives the reference to the caller (for an out parameter).
  I* Detach() { return std::exchange(pointer_, nullptr); }

  I* Get() const { return pointer_; }
  I* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  I* pointer_ = nullptr;
};

}  // namespace orra
