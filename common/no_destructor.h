#pragma once
// NoDestructor<T>: a T built in place whose destructor never runs. For the few process-wide
// objects of the DLL that own a thread or a lock: a static destructor runs under the loader
// lock at DLL_PROCESS_DETACH, where joining a thread or waiting hangs. Their owner stops them
// at a door Excel closes instead, and the memory goes with the process or the module.

#include <new>
#include <type_traits>
#include <utility>

namespace orra {

template <typename T>
class NoDestructor {
 public:
  template <typename... Args>
  explicit NoDestructor(Args&&... args) {
    new (storage_) T(std::forward<Args>(args)...);
  }
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  T* get() { return std::launder(reinterpret_cast<T*>(storage_)); }
  T& operator*() { return *get(); }
  T* operator->() { return get(); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace orra
