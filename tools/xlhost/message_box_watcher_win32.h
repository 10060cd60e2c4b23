#pragma once
// Sees every message box shown on the thread that makes the watcher (xlhost's main thread,
// where the add-in's ribbon handlers run), records its caption and text in the MessageLog and
// closes it at once with the button the log chooses, so a scenario never waits on a box. A
// WH_CBT hook on that thread catches the box's dialog window as it is activated.
//
// One watcher per thread; made, used and destroyed on that thread.

#include <windows.h>

#include "tools/xlhost/message_log.h"

namespace orra::xlhost {

class MessageBoxWatcher {
 public:
  // `log` must outlive the watcher. installed() tells whether the hook could be set.
  explicit MessageBoxWatcher(MessageLog& log);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  bool installed() const { return hook_ != nullptr; }

 private:
  static LRESULT CALLBACK HookProcedure(int code, WPARAM wparam, LPARAM lparam);
  void Answer(HWND box);

  MessageLog& log_;
  HHOOK hook_ = nullptr;
};

}  // namespace orra::xlhost
