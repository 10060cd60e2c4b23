#include "tools/xlhost/host_process.h"

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <tlhelp32.h>

namespace orra::xlhost {
namespace {

// Messages dispatched before the clock is looked at again, so that a window that keeps
// posting to itself cannot hold a wait past its end.
constexpr int kMessagesPerRound = 1000;

class WindowsHostProcess final : public HostProcess {
 public:
  WindowsHostProcess() = default;
  WindowsHostProcess(const WindowsHostProcess&) = delete;
  WindowsHostProcess& operator=(const WindowsHostProcess&) = delete;
  ~WindowsHostProcess() override { OleUninitialize(); }

  void PumpMessages(int64_t duration_ms) override {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(duration_ms < 0 ? 0 : duration_ms);
    for (;;) {
      MSG message;
      for (int i = 0; i < kMessagesPerRound && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) return;
      MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
  }

  int64_t NowMs() const override { return static_cast<int64_t>(GetTickCount64()); }

  std::optional<size_t> ThreadCount() const override {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
    const DWORD process = GetCurrentProcessId();
    size_t count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID == process) ++count;
      entry.dwSize = sizeof(entry);
    }
    CloseHandle(snapshot);
    return count;
  }

  void ReleaseUnusedLibraries() override { CoFreeUnusedLibrariesEx(0, 0); }
};

}  // namespace

std::unique_ptr<HostProcess> StartHostProcess() {
  // Excel's main thread is a single-threaded apartment with OLE started, and so is this one.
  if (FAILED(OleInitialize(nullptr))) return nullptr;
  return std::make_unique<WindowsHostProcess>();
}

}  // namespace orra::xlhost
