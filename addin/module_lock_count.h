#pragma once
// ModuleLockCount: what DllCanUnloadNow asks before COM may unload the DLL. It counts the live
// objects of the DLL's COM class and the locks callers hold on the server (the class factory's
// references and IClassFactory::LockServer). The DLL may go only when both are zero.
//
// Any thread: COM may release an object or a lock on another thread than the one that made it.

#include <atomic>
#include <cstdint>

namespace orra {

class ModuleLockCount {
 public:
  constexpr ModuleLockCount() = default;
  ModuleLockCount(const ModuleLockCount&) = delete;
  ModuleLockCount& operator=(const ModuleLockCount&) = delete;

  void ObjectMade() { objects_.fetch_add(1, std::memory_order_acq_rel); }
  void ObjectGone() { DecrementAboveZero(objects_); }
  void Lock() { locks_.fetch_add(1, std::memory_order_acq_rel); }
  // An unlock without a lock is ignored: a caller's extra LockServer(FALSE) must not let the
  // DLL go while an object still lives.
  void Unlock() { DecrementAboveZero(locks_); }

  bool CanUnload() const {
    return objects_.load(std::memory_order_acquire) == 0 && locks_.load(std::memory_order_acquire) == 0;
  }
  int64_t Objects() const { return objects_.load(std::memory_order_acquire); }
  int64_t Locks() const { return locks_.load(std::memory_order_acquire); }

 private:
  static void DecrementAboveZero(std::atomic<int64_t>& count);

  std::atomic<int64_t> objects_{0};
  std::atomic<int64_t> locks_{0};
};

}  // namespace orra
