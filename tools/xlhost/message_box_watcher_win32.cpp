#include "tools/xlhost/message_box_watcher_win32.h"

#include <string>
#include <vector>

namespace orra::xlhost {
namespace {

// The dialog class of every message box, and the id of its text control, on Windows and Wine.
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageTextId = 0xFFFF;
// Set on a box once answered: a box may be activated again before it has closed.
constexpr wchar_t kAnsweredProperty[] = L"xlhost.answered";
// Longer texts than a message box shows are cut here.
constexpr int kMaxTextUnits = 4096;

// The watcher of this thread; the hook procedure has no other way to find it.
thread_local MessageBoxWatcher* t_watcher = nullptr;

std::u16string WindowText(HWND window) {
  if (window == nullptr) return {};
  std::vector<wchar_t> text(kMaxTextUnits + 1);
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), length > 0 ? static_cast<size_t>(length) : 0);
}

struct ButtonId {
  MessageButton button;
  int id;
};

constexpr ButtonId kButtons[] = {
    {MessageButton::kOk, IDOK}, {MessageButton::kCancel, IDCANCEL}, {MessageButton::kYes, IDYES}, {MessageButton::kNo, IDNO}};

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(MessageLog& log) : log_(log) {
  if (t_watcher != nullptr) return;
  hook_ = SetWindowsHookExW(WH_CBT, HookProcedure, nullptr, GetCurrentThreadId());
  if (hook_ != nullptr) t_watcher = this;
}

MessageBoxWatcher::~MessageBoxWatcher() {
  if (hook_ == nullptr) return;
  UnhookWindowsHookEx(hook_);
  t_watcher = nullptr;
}

LRESULT CALLBACK MessageBoxWatcher::HookProcedure(int code, WPARAM wparam, LPARAM lparam) {
  try {
    if (code == HCBT_ACTIVATE && t_watcher != nullptr) t_watcher->Answer(reinterpret_cast<HWND>(wparam));
    if (code == HCBT_DESTROYWND) RemovePropW(reinterpret_cast<HWND>(wparam), kAnsweredProperty);
  } catch (...) {
    // Recording is lost; the box is still shown and the scenario's expectation will say so.
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

void MessageBoxWatcher::Answer(HWND box) {
  wchar_t class_name[16] = {};
  if (GetClassNameW(box, class_name, 16) == 0 || lstrcmpW(class_name, kDialogClass) != 0) return;
  const HWND text = GetDlgItem(box, kMessageTextId);
  if (text == nullptr || GetPropW(box, kAnsweredProperty) != nullptr) return;
  SetPropW(box, kAnsweredProperty, box);
  std::vector<MessageButton> offered;
  for (const ButtonId& button : kButtons) {
    if (GetDlgItem(box, button.id) != nullptr) offered.push_back(button.button);
  }
  const MessageButton chosen = log_.Answer(WindowText(box), WindowText(text), offered);
  for (const ButtonId& button : kButtons) {
    // Posted: the box's own loop takes it once the box is up, as it takes a click.
    if (button.button == chosen) {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, button.id)));
    }
  }
}

}  // namespace orra::xlhost
