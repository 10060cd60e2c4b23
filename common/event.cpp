#include "common/event.h"

namespace orra {

void Event::Set() {
  {
    MutexLock lock(mutex_);
    set_ = true;
  }
  if (auto_reset_) {
    changed_.notify_one();
  } else {
    changed_.notify_all();
  }
}

void Event::Reset() {
  MutexLock lock(mutex_);
  set_ = false;
}

bool Event::Wait(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  MutexLock lock(mutex_);
  while (!set_) {
    if (lock.WaitUntil(changed_, deadline) == std::cv_status::timeout && !set_) return false;
  }
  if (auto_reset_) set_ = false;
  return true;
}

void Event::Wait() {
  MutexLock lock(mutex_);
  while (!set_) lock.Wait(changed_);
  if (auto_reset_) set_ = false;
}

bool Event::IsSet() const {
  MutexLock lock(mutex_);
  return set_;
}

}  // namespace orra
