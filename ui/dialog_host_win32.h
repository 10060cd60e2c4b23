#pragma once
// DialogHost: one modeless dialog made from a DIALOGEX template in the add-in module's own
// resources (the module this code is linked into: the DLL in Excel, never Excel's executable).
// A static dialog procedure stores `this` at WM_INITDIALOG and forwards the messages a dialog
// class handles to its virtual members; everything else goes to the default dialog handling.
// The procedure is a catch-all boundary: a member that throws counts as unhandled.
//
// The thread that calls Create only, and its message loop must give each message to
// IsDialogMessage first for Tab, Enter and Esc to work. The window goes with the object.

#include <windows.h>

#include <cstdint>
#include <optional>

namespace orra {

// The module whose resources hold the dialogs' templates and bitmaps.
HINSTANCE ResourceModule();

class DialogHost {
 public:
  virtual ~DialogHost();
  DialogHost(const DialogHost&) = delete;
  DialogHost& operator=(const DialogHost&) = delete;

  // Makes the window from template `template_id` with `parent` (null for none); false when it
  // cannot be made, and the object then holds no window.
  bool Create(uint16_t template_id, HWND parent);
  HWND window() const { return window_; }

 protected:
  DialogHost() = default;

  // WM_INITDIALOG; true lets the dialog give the focus to its first control.
  virtual bool OnInitDialog() { return true; }
  // WM_COMMAND from control `id`; true when handled.
  virtual bool OnCommand(uint16_t id, uint16_t notification);
  // Every other message but WM_NCDESTROY: the procedure's answer, or none for the default
  // handling. The answer is the procedure's return value as is: a brush for WM_CTLCOLOR*,
  // TRUE for a message handled otherwise.
  virtual std::optional<INT_PTR> OnMessage(UINT message, WPARAM wparam, LPARAM lparam);

  // Centres the window over its parent, or over the screen's work area without one.
  void CentreOverParent();
  // Shows the window in front as the one the keyboard types into. The dialogs live on their own
  // thread, not on the one whose window the user just clicked, and activation within a thread
  // brings a window to the front only while that thread's application has the foreground.
  // Excel's process is the foreground one, so it may hand the foreground to its own dialog.
  void ShowInFront();

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND window_ = nullptr;
};

}  // namespace orra
