#pragma once
// The port through which a scenario drives the windows of the stand-in Excel's own process as a
// user would: the add-in's modeless dialogs, which run on its user-interface thread. A window is
// addressed by its caption (a top-level window of this process), or by its window class as
// "class:NAME" when it has no caption (a drop-down list), a control by its dialog id inside it. The Windows adapter sends the controls the messages their input gives, each with a
// bounded wait, so that a dialog that stops answering fails a step instead of hanging the run;
// tests give one that records what it was asked.
//
// Excel's main thread only.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/xlhost/picture.h"

namespace orra::xlhost {

// kActive: visible and the foreground window, the one the keyboard types into.
enum class WindowPresence { kAbsent, kHidden, kVisible, kActive };

struct ControlAddress {
  std::u16string caption;  // of the top-level window
  int32_t id = 0;          // the control's dialog id, at any depth inside it
};

// A whole window as the screen shows it, frame included, and where its client area lies in it.
struct WindowPicture {
  Picture picture;
  PictureArea client;
};

class WindowDriver {
 public:
  virtual ~WindowDriver() = default;

  // Visible when one of this process's top-level windows with the caption is visible, hidden
  // when there are only hidden ones.
  virtual WindowPresence Presence(const std::u16string& caption) = 0;

  // Each action is false, with `error` saying why, when the window or control is not found,
  // the control refuses it, or its thread does not answer in time.
  // WM_SETTEXT, which an edit answers with EN_CHANGE to its parent.
  virtual bool SetText(const ControlAddress& control, const std::u16string& text, std::string& error) = 0;
  // One WM_CHAR a UTF-16 unit, as typing gives them.
  virtual bool Type(const ControlAddress& control, const std::u16string& text, std::string& error) = 0;
  // WM_KEYDOWN, the WM_CHAR the key translates to (if any), WM_KEYUP.
  virtual bool Key(const ControlAddress& control, uint16_t virtual_key, std::string& error) = 0;
  // A button's click (a check box or radio button changes its state as a click changes it).
  virtual bool Press(const ControlAddress& control, std::string& error) = 0;
  // Makes the combo box's item with exactly this text the selection, telling the parent.
  virtual bool Choose(const ControlAddress& control, const std::u16string& item, std::string& error) = 0;
  // Selects the tree view item reached from the roots through these texts; with
  // `double_click` the parent is then told of a double click as the tree tells it (NM_DBLCLK).
  virtual bool SelectTreeItem(const ControlAddress& control, const std::vector<std::u16string>& path,
                              bool double_click, std::string& error) = 0;
  // Selects exactly the list view rows whose first column holds one of these texts; the first
  // of them gets the focus.
  virtual bool SelectRows(const ControlAddress& control, const std::vector<std::u16string>& texts,
                          std::string& error) = 0;

  // The control's text (WM_GETTEXT).
  virtual std::optional<std::u16string> Text(const ControlAddress& control, std::string& error) = 0;
  // Whether a check box or radio button is checked.
  virtual std::optional<bool> Checked(const ControlAddress& control, std::string& error) = 0;
  // The texts of one column of a list view, row by row.
  virtual std::optional<std::vector<std::u16string>> ColumnTexts(const ControlAddress& control, int32_t column,
                                                                 std::string& error) = 0;
  // The visible window with the caption as drawn once every pending paint is done.
  virtual std::optional<WindowPicture> Capture(const std::u16string& caption, std::string& error) = 0;
};

}  // namespace orra::xlhost
