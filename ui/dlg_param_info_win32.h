#pragma once
// CDlgParamInfo: the navigator's parameter panel, a child dialog from template 1060 whose only
// control is the reference button (5208) showing bitmap 1064. The rows of the selected
// indicator's parameters are the panel model's, which comes later over this window.
//
// The user-interface thread only, like its navigator.

#include <windows.h>

#include "ui/dialog_host_win32.h"

namespace orra {

class CDlgParamInfo final : public DialogHost {
 public:
  CDlgParamInfo() = default;
  ~CDlgParamInfo() override;

  // Made hidden as a child of `navigator`, which places and shows it.
  bool Create(HWND navigator);

 private:
  bool OnInitDialog() override;

  // The reference button's picture, from the module's resources; the button does not own it.
  HBITMAP reference_picture_ = nullptr;
};

}  // namespace orra
