#pragma once
// A spin lock on one 32-bit word taken by atomic exchange, for the short critical sections of
// the pending list and the array writer's queue. SpinLockGuard holds it for a scope, so that
// the compiler's thread-safety analysis sees which members it guards.

#include <atomic>
#include <cstdint>
#include <thread>

#include "common/thread_annotations.h"

namespace orra {

class ORRA_CAPABILITY("spin lock") SpinLock {
 public:
  SpinLock() = default;
  SpinLock(const SpinLock&) = delete;
  SpinLock& operator=(const SpinLock&) = delete;

  void lock() ORRA_ACQUIRE() {
    for (unsigned spins = 0; word_.exchange(1, std::memory_order_acquire) != 0; ++spins) {
      // Give the holder the core when it is on this one (two-core machines are common).
      if (spins >= 64) std::this_thread::yield();
    }
  }
  bool try_lock() ORRA_TRY_ACQUIRE(true) { return word_.exchange(1, std::memory_order_acquire) == 0; }
  void unlock() ORRA_RELEASE() { word_.store(0, std::memory_order_release); }

 private:
  std::atomic<uint32_t> word_{0};
};

class ORRA_SCOPED_CAPABILITY SpinLockGuard {
 public:
  explicit SpinLockGuard(SpinLock& lock) ORRA_ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
  ~SpinLockGuard() ORRA_RELEASE() { lock_.unlock(); }
  SpinLockGuard(const SpinLockGuard&) = delete;
  SpinLockGuard& operator=(const SpinLockGuard&) = delete;

 private:
  SpinLock& lock_;
};

}  // namespace orra
