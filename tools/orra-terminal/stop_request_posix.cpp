#include <unistd.h>

#include <atomic>
#include <csignal>

#include "tools/orra-terminal/stop_request.h"

namespace orra::terminal {
namespace {
std::atomic<bool> g_stop{false};
void OnStopSignal(int) { g_stop.store(true); }
}  // namespace

void WatchForStopRequest() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool WaitAWhile() {
  if (g_stop.load()) return false;
  ::usleep(100 * 1000);
  return !g_stop.load();
}

}  // namespace orra::terminal
