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
  // A wait of no time only looks at the flag. Handed to the condition variable, an expired
  // deadline still costs a system call here and, with MinGW's threads under Wine, a timed
  // wait rounded up to milliseconds: the connection thread ends every busy pass so.
  if (timeout <= std::chrono::milliseconds::zero()) {
    MutexLock lock(mutex_);
    const bool was_set = set_;
    if (auto_reset_) set_ = false;
    return was_set;
  }
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
