#pragma once
// ParameterRowsView: the parameter panel's rows as Win32 controls inside the panel's window (the
// navigator's child dialog). It makes the controls ParameterPanel::rows() describes, reads them
// back into RowReadings for BuildFormula, places the panel's reference button, and scrolls the
// rows vertically. It decides nothing about what the rows are or what a formula holds.
//
// Lives on the user-interface thread with the panel's window; every entry point is called from
// that window's procedure and lets no exception out. The panel window must outlive the view.

#include <windows.h>

#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#include "ui/parameter_panel.h"

namespace orra {

class ParameterRowsView {
 public:
  // The line arrows move one unit of ParameterPanel::kScrollUnitPixels, the page areas this many.
  static constexpr int kPageUnits = 5;

  explicit ParameterRowsView(HWND panel_window) noexcept;
  ParameterRowsView(const ParameterRowsView&) = delete;
  ParameterRowsView& operator=(const ParameterRowsView&) = delete;

  // Destroys the controls of the rows shown before, scrolls back to the top and makes the
  // controls of `panel.rows()`; shows the reference button with the code row, hides it without.
  void Show(const ParameterPanel& panel) noexcept;

  // One reading per row shown, in the rows' order; a control that cannot be read gives a
  // reading of another kind, which BuildFormula turns into no argument.
  std::vector<RowReading> Read() const noexcept;

  // The reference button's click: the active cell's address goes into the code edit; Excel
  // refusing leaves the edit as it is.
  void OnReferenceButton(CellReferenceProbe& excel) noexcept;

  // WM_VSCROLL's and WM_MOUSEWHEEL's wParam.
  void OnVScroll(WPARAM request) noexcept;
  void OnMouseWheel(WPARAM wheel) noexcept;
  // A left button press or release on the panel's background: the panel takes the keyboard
  // focus, so that the wheel reaches it.
  void OnLeftButton() noexcept;

  // The scroll position in units.
  int scroll_position() const { return position_; }

 private:
  struct WindowDestroyer {
    void operator()(HWND window) const noexcept { DestroyWindow(window); }
  };
  struct FontDeleter {
    void operator()(HFONT font) const noexcept { DeleteObject(font); }
  };
  using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;
  using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

  struct RowControls {
    RowInput input = RowInput::kEdit;
    UniqueWindow label;
    UniqueWindow control;
  };

  void ShowRows(const ParameterPanel& panel);
  RowControls MakeRow(const PanelRow& row) const;
  HWND MakeControl(DWORD extended_style, const wchar_t* window_class, DWORD style, std::u16string_view text,
                   const PanelRect& rect, int id) const;
  void PlaceReferenceButton(bool visible) const;
  void ScrollTo(int position);
  int MaxPosition() const;

  HWND panel_;
  // Declared before the rows so that the controls go before the font they use.
  UniqueFont font_;
  std::vector<RowControls> rows_;
  int range_units_ = 0;
  int page_units_ = 0;
  int position_ = 0;
};

}  // namespace orra
