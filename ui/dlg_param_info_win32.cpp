#include "ui/dlg_param_info_win32.h"

#include "ui/dialog_resources.h"

namespace orra {

CDlgParamInfo::~CDlgParamInfo() {
  // The window (and the button that shows the picture) goes before the picture does.
  if (window() != nullptr) DestroyWindow(window());
  if (reference_picture_ != nullptr) DeleteObject(reference_picture_);
}

bool CDlgParamInfo::Create(HWND navigator) { return DialogHost::Create(kParamInfoTemplate, navigator); }

bool CDlgParamInfo::OnInitDialog() {
  reference_picture_ = static_cast<HBITMAP>(
      LoadImageW(ResourceModule(), MAKEINTRESOURCEW(kReferenceBitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  if (reference_picture_ != nullptr) {
    SendDlgItemMessageW(window(), kParamReferenceButton, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(reference_picture_));
  }
  return false;
}

}  // namespace orra
