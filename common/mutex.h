#pragma once
// A mutex the compiler's thread-safety analysis knows as a lock, and the scoped holder of it.
// std::mutex of the GNU library carries no such attributes, so members guarded by one could
// not be checked; this wraps it at no cost.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "common/thread_annotations.h"

namespace orra {

class ORRA_CAPABILITY("mutex") Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void lock() ORRA_ACQUIRE() { mutex_.lock(); }
  void unlock() ORRA_RELEASE() { mutex_.unlock(); }

 private:
  friend class MutexLock;
  std::mutex mutex_;
};

// Holds `mutex` from construction to destruction. The waits give the lock up while they wait
// for `condition` and hold it again when they return, as std::condition_variable does.
class ORRA_SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) ORRA_ACQUIRE(mutex) : lock_(mutex.mutex_) {}
  ~MutexLock() ORRA_RELEASE() {}
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

  void Wait(std::condition_variable& condition) { condition.wait(lock_); }
  std::cv_status WaitUntil(std::condition_variable& condition, std::chrono::steady_clock::time_point deadline) {
    return condition.wait_until(lock_, deadline);
  }

 private:
  std::unique_lock<std::mutex> lock_;
};

}  // namespace orra
