#pragma once
// The autocomplete edit's windows: CACEdit takes over an existing Edit control (from a dialog
// template) by subclassing it, and its parent for the control's EN_CHANGE notification, and
// reports text changes, keys and focus to an AutocompleteEdit; CACListWnd is the drop-down list,
// a thin-bordered tool window under the edit that draws the model's rows and feeds it the mouse,
// the scroll bar and its two timers. On acceptance the edit posts kAutocompleteChoiceMessage to
// its notify window.
//
// The list is a top-level pop-up (its parent in the window tree is the desktop) owned by the
// edit's top-level window, so that it stays above the dialog and goes with it; it never takes
// the activation, so the edit keeps the focus while the list is clicked.
//
// Every window procedure here lets no exception out. The thread that owns the edit's window
// only. CACEdit owns its CACListWnd; after Init failed it does nothing.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/window_class_win32.h"
#include "ui/autocomplete_edit.h"

namespace orra {

// Posted with wParam 0 and lParam 0 to the notify window after an entry was accepted.
inline constexpr UINT kAutocompleteChoiceMessage = 0x1503;

class CACEdit;

class CACListWnd {
 public:
  // While shown: hide when the edit's parent window moved or changed size.
  static constexpr UINT_PTR kParentCheckTimer = 10;
  static constexpr UINT kParentCheckMs = 200;
  // While shown: advance the highlighted entry's marquee.
  static constexpr UINT_PTR kMarqueeTimer = 11;
  static constexpr UINT kMarqueeMs = 600;
  // Gliding to a highlighted entry draws each row step only for lists this short.
  static constexpr std::size_t kMostMatchesToGlide = 50;
  static constexpr DWORD kGlideStepMs = 10;

  explicit CACListWnd(CACEdit& edit) : edit_(edit) {}
  ~CACListWnd();
  CACListWnd(const CACListWnd&) = delete;
  CACListWnd& operator=(const CACListWnd&) = delete;

  // Makes the hidden window, owned by `owner`.
  bool Create(HWND owner);

  // Places the window under the edit sized for the model's rows and shows it, or hides it,
  // as the model says.
  void Follow();
  // Draws the list at each top index in turn, pausing between steps, then at the model's.
  void Glide(const std::vector<std::size_t>& tops);

  HWND window() const { return window_; }
  int row_height() const { return row_height_; }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  std::optional<LRESULT> Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Hide();
  void Redraw();
  void Paint();
  void OnScroll(WORD request);
  int RowsWidth() const;
  std::optional<std::size_t> RowAt(LPARAM point) const;

  CACEdit& edit_;
  std::optional<WindowClass::Hold> class_hold_;  // before the window, so it goes after it
  HWND window_ = nullptr;
  HWND scroll_bar_ = nullptr;
  int row_height_ = 0;
  // The top index drawn now; differs from the model's only while gliding.
  std::size_t drawn_top_ = 0;
};

class CACEdit {
 public:
  CACEdit() = default;
  ~CACEdit();
  CACEdit(const CACEdit&) = delete;
  CACEdit& operator=(const CACEdit&) = delete;

  // Takes over `edit`, an existing child window: subclasses it and its parent and makes the
  // hidden list. False when a window call failed.
  bool Init(HWND edit);

  bool AddCandidate(std::u16string_view name, std::size_t value) { return model_.AddCandidate(name, value); }
  void SetHint(bool on);
  void SetNotifyWindow(HWND window) { notify_ = window; }

  // The value of the entry last accepted (none when the list was empty).
  std::optional<std::size_t> accepted_value() const { return accepted_value_; }

  HWND window() const { return edit_; }
  HWND parent() const { return parent_; }
  const CACListWnd& list() const { return list_; }
  AutocompleteEdit& model() { return model_; }

  ScreenRect ParentRect() const;
  // Puts the accepted text in, hides the list and posts the choice message.
  void Carry(const Acceptance& accepted);

 private:
  static LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                        DWORD_PTR self);
  static LRESULT CALLBACK ParentProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                          DWORD_PTR self);
  std::optional<LRESULT> HandleEdit(UINT message, WPARAM wparam, LPARAM lparam);
  void OnTextChanged();
  bool OnKeyDown(WPARAM key);
  void PutText(const std::u16string& text);
  void Detach();

  AutocompleteEdit model_;
  CACListWnd list_{*this};
  HWND edit_ = nullptr;
  HWND parent_ = nullptr;
  HWND notify_ = nullptr;
  // Whether the control is the system's Edit class, whose selection this can set.
  bool is_edit_ = false;
  // The character message that follows an Enter or Esc this took is not the edit's either.
  bool swallow_char_ = false;
  std::optional<std::size_t> accepted_value_;
};

}  // namespace orra
