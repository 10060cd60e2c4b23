#pragma once
// Port: the user-interface thread that hosts the add-in's modeless dialogs. Excel's main
// thread only posts it a message and returns at once, so Excel never waits on a dialog.
// Posting is safe from any thread.

#include <cstdint>

namespace orra {

// A thread message as Windows queues it: id, wParam, lParam.
struct ThreadMessage {
  uint32_t id = 0;
  uintptr_t wparam = 0;
  intptr_t lparam = 0;
};

class DialogThread {
 public:
  virtual ~DialogThread() = default;
  // False when the thread's queue did not take the message (the thread has ended).
  virtual bool Post(const ThreadMessage& message) = 0;
};

}  // namespace orra
