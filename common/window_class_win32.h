#pragma once
// WindowClass: a window class of this module, registered while some window of it needs it. The
// first hold taken registers the class and the last one given back unregisters it: Windows keeps
// a DLL's class after the DLL is unloaded, and a class left behind would point a reloaded DLL's
// windows at the old address of the procedure. A class found registered already serves as it is.
//
// Any thread. A WindowClass lives as long as the module (a function's static); each hold as long
// as the window it was taken for, and is given back after that window is destroyed.

#include <windows.h>

#include <optional>
#include <utility>

#include "common/mutex.h"

namespace orra {

class WindowClass {
 public:
  // Keeps this module's class registered while it lives; moves, never copies.
  class Hold {
   public:
    Hold(Hold&& other) noexcept : owner_(std::exchange(other.owner_, nullptr)) {}
    Hold& operator=(Hold&& other) noexcept {
      if (this != &other) {
        Reset();
        owner_ = std::exchange(other.owner_, nullptr);
      }
      return *this;
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    ~Hold() { Reset(); }

   private:
    friend class WindowClass;
    explicit Hold(WindowClass& owner) : owner_(&owner) {}
    void Reset() noexcept {
      if (owner_ != nullptr) std::exchange(owner_, nullptr)->GiveBack();
    }
    WindowClass* owner_;
  };

  // The class `name` (a constant: it must outlive this object) of this module, its windows handled
  // by `procedure`; `style` and `cursor` as WNDCLASSEXW takes them.
  WindowClass(const wchar_t* name, WNDPROC procedure, UINT style = 0, HCURSOR cursor = nullptr) noexcept;
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  // Registers the class if no hold has it; nullopt when it can be neither registered nor found.
  std::optional<Hold> Take();

  const wchar_t* name() const { return description_.lpszClassName; }
  HMODULE module() const { return description_.hInstance; }

 private:
  void GiveBack() noexcept;

  WNDCLASSEXW description_;
  Mutex mutex_;
  int holds_ ORRA_GUARDED_BY(mutex_) = 0;
};

}  // namespace orra
