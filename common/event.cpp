#include "common/event.h"

namespace orra {

void Event::Set() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    set_ = true;
  }
  if (auto_reset_) {
    changed_.notify_one();
  } else {
    changed_.notify_all();
  }
}

void Event::Reset() {
  std::lock_guard<std::mutex> guard(mutex_);
  set_ = false;
}

bool Event::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!changed_.wait_for(lock, timeout, [this] { return set_; })) return false;
  if (auto_reset_) set_ = false;
  return true;
}

void Event::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return set_; });
  if (auto_reset_) set_ = false;
}

bool Event::IsSet() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return set_;
}

}  // namespace orra
