#pragma once
// A waitable event, manual or auto reset, as the worker threads use it.
// Any thread may Set, Reset or Wait.

#include <chrono>
#include <condition_variable>

#include "common/mutex.h"

namespace orra {

class Event {
 public:
  enum class Reset { kManual, kAuto };

  explicit Event(Reset mode, bool initially_set = false) : auto_reset_(mode == Reset::kAuto), set_(initially_set) {}
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  // True when the event was set within `timeout`; an auto-reset event is then cleared again,
  // releasing exactly one waiter.
  bool Wait(std::chrono::milliseconds timeout);
  // Waits without a time limit.
  void Wait();
  bool IsSet() const;

 private:
  const bool auto_reset_;
  mutable Mutex mutex_;
  std::condition_variable changed_;
  bool set_ ORRA_GUARDED_BY(mutex_);
};

}  // namespace orra
