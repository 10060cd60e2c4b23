#include "addin/array_window_win32.h"

#include <utility>

namespace orra {
namespace {

constexpr wchar_t kWindowClass[] = L"OrraArrayWindow";
// Posted by the watcher thread: wParam the timer id, lParam its period in milliseconds.
constexpr UINT kArmTimerMessage = WM_APP + 0x21;

}  // namespace

// SetTimer on the window's own thread; from any other thread a message asks the window to.
class ArrayWindow::Timer final : public MainThreadTimer {
 public:
  explicit Timer(HWND window) : window_(window), owner_(GetCurrentThreadId()) {}

  bool Start(uint32_t id, uint32_t period_ms) override {
    if (GetCurrentThreadId() == owner_) return SetTimer(window_, id, period_ms, nullptr) != 0;
    return PostMessageW(window_, kArmTimerMessage, id, static_cast<LPARAM>(period_ms)) != FALSE;
  }
  void Stop(uint32_t id) override { KillTimer(window_, id); }

 private:
  const HWND window_;
  const DWORD owner_;
};

ArrayWindow::ArrayWindow(ExcelObjectModel& excel, RequestsDictionary& requests)
    : ArrayWindow(excel, requests, ProcessSheetWriteQueue()) {}

ArrayWindow::ArrayWindow(ExcelObjectModel& excel, RequestsDictionary& requests, SheetWriteQueue& queue) {
  static WindowClass window_class(kWindowClass, &ArrayWindow::WindowProcedure);
  class_hold_ = window_class.Take();
  if (!class_hold_) return;
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, nullptr, nullptr, window_class.module(), this);
  if (window_ == nullptr) return;
  timer_ = std::make_unique<Timer>(window_);
  writer_ = std::make_unique<ArrayWriter>(queue, excel, requests, *timer_);
}

ArrayWindow::~ArrayWindow() {
  // The watcher first: once it is joined nothing posts to the window any more.
  writer_.reset();
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    KillTimer(window_, ArrayWriter::kTimerId);
    DestroyWindow(window_);
  }
  timer_.reset();
  // The class goes with the last window, so a DLL unloaded and loaded again never finds a class
  // whose procedure points into its old image.
  class_hold_.reset();
}

void ArrayWindow::Enqueue(SheetTable table) { ProcessSheetWriteQueue().Enqueue(std::move(table)); }

LRESULT CALLBACK ArrayWindow::WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ArrayWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_TIMER) {
      // Whatever the id: the window has no other timer.
      if (self != nullptr && self->writer_ != nullptr) self->writer_->OnTimer();
      return 0;
    }
    if (message == kArmTimerMessage) {
      if (self != nullptr) SetTimer(window, static_cast<UINT_PTR>(wparam), static_cast<UINT>(lparam), nullptr);
      return 0;
    }
  } catch (...) {
    // OnTimer lets nothing out; this keeps it so for whatever a later change adds.
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace orra
