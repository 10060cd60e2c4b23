#include "ui/dlg_param_info_win32.h"

#include "ui/dialog_resources.h"

namespace orra {

CDlgParamInfo::~CDlgParamInfo() {
  // The window (and the button that shows the picture) goes before the picture does.
  if (window() != nullptr) DestroyWindow(window());
  if (reference_picture_ != nullptr) DeleteObject(reference_picture_);
}

bool CDlgParamInfo::Create(HWND navigator) { return DialogHost::Create(kParamInfoTemplate, navigator); }

void CDlgParamInfo::ShowRows(const ParameterPanel& panel) {
  if (rows_) rows_->Show(panel);
}

std::vector<RowReading> CDlgParamInfo::ReadRows() const { return rows_ ? rows_->Read() : std::vector<RowReading>{}; }

bool CDlgParamInfo::OnInitDialog() {
  reference_picture_ = static_cast<HBITMAP>(
      LoadImageW(ResourceModule(), MAKEINTRESOURCEW(kReferenceBitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  if (reference_picture_ != nullptr) {
    SendDlgItemMessageW(window(), kParamReferenceButton, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(reference_picture_));
  }
  rows_.emplace(window());
  return false;
}

bool CDlgParamInfo::OnCommand(uint16_t id, uint16_t notification) {
  if (id != kParamReferenceButton || notification != BN_CLICKED || !rows_) return false;
  rows_->OnReferenceButton(excel_);
  return true;
}

std::optional<INT_PTR> CDlgParamInfo::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_DESTROY) {
    // The rows' controls are children of this window: they go with the view, before it.
    rows_.reset();
    return std::nullopt;
  }
  if (!rows_) return std::nullopt;
  switch (message) {
    case WM_VSCROLL:
      rows_->OnVScroll(wparam);
      return TRUE;
    case WM_MOUSEWHEEL:
      rows_->OnMouseWheel(wparam);
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      rows_->OnLeftButton();
      return TRUE;
    default:
      return std::nullopt;
  }
}

}  // namespace orra
