#include <windows.h>

#include <atomic>

#include "tools/orra-terminal/stop_request.h"

namespace orra::terminal {
namespace {
std::atomic<bool> g_stop{false};

BOOL WINAPI OnConsoleControl(DWORD) {
  g_stop.store(true);
  return TRUE;
}
}  // namespace

void WatchForStopRequest() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool WaitAWhile() {
  if (g_stop.load()) return false;
  ::Sleep(100);
  return !g_stop.load();
}

}  // namespace orra::terminal
