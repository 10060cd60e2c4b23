#pragma once
// A spin lock on one 32-bit word taken by atomic exchange, for the short critical sections of
// the pending list and the array writer's queue. Meets BasicLockable, so std::lock_guard works.

#include <atomic>
#include <cstdint>
#include <thread>

namespace orra {

class SpinLock {
 public:
  SpinLock() = default;
  SpinLock(const SpinLock&) = delete;
  SpinLock& operator=(const SpinLock&) = delete;

  void lock() {
    for (unsigned spins = 0; word_.exchange(1, std::memory_order_acquire) != 0; ++spins) {
      // Give the holder the core when it is on this one (two-core machines are common).
      if (spins >= 64) std::this_thread::yield();
    }
  }
  bool try_lock() { return word_.exchange(1, std::memory_order_acquire) == 0; }
  void unlock() { word_.store(0, std::memory_order_release); }

 private:
  std::atomic<uint32_t> word_{0};
};

}  // namespace orra
