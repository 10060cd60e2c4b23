#include "addin/ribbon_commands.h"

namespace orra {

std::u16string HelpPageAddress() { return std::u16string(u"http://") + kHelpHost + kHelpPagePath; }

void RibbonCommands::Connect(ExcelObjectModel* excel, DialogThread* dialogs) {
  refresh_.reset();
  if (excel != nullptr) refresh_.emplace(ports_.requests, *excel, ports_.login, ports_.boxes);
  ports_.dialogs = dialogs;
}

void RibbonCommands::Disconnect() {
  refresh_.reset();
  ports_.dialogs = nullptr;
}

std::optional<IconNumber> RibbonCommands::ImageForControl(std::u16string_view control_id) {
  ports_.login.SetState(LoginState::kLoggedIn);
  return IconForControl(control_id);
}

std::optional<IconNumber> RibbonCommands::ImageForName(std::u16string_view image_name) {
  ports_.login.SetState(LoginState::kLoggedIn);
  return IconForImageName(image_name);
}

std::optional<bool> RibbonCommands::Visible(std::u16string_view control_id) const {
  const bool logged_in = ports_.login.State() == LoginState::kLoggedIn;
  if (control_id == u"id_login") return !logged_in;
  if (control_id == u"id_exit") return logged_in;
  return std::nullopt;
}

void RibbonCommands::OnClickInsertFunctionEx() { OpenDialog(RibbonDialog::kIndicatorNavigator); }

void RibbonCommands::OnClickInsertStock() { OpenDialog(RibbonDialog::kInsertCode); }

void RibbonCommands::OpenDialog(RibbonDialog dialog) {
  if (!PassLoginCheck(ports_.login, ports_.boxes) || ports_.dialogs == nullptr) return;
  ports_.dialogs->Post({kOpenDialogMessage, static_cast<uintptr_t>(dialog), 0});
}

void RibbonCommands::OnClickDataRefreshEx() {
  if (refresh_) {
    refresh_->OnClickDataRefreshEx();
  } else {
    PassLoginCheck(ports_.login, ports_.boxes);
  }
}

void RibbonCommands::OnClickFormatRefreshEx() {
  if (refresh_) {
    refresh_->OnClickFormatRefreshEx();
  } else {
    PassLoginCheck(ports_.login, ports_.boxes);
  }
}

void RibbonCommands::OnClickAllRefreshEx() {
  if (refresh_) {
    refresh_->OnClickAllRefreshEx();
  } else {
    PassLoginCheck(ports_.login, ports_.boxes);
  }
}

void RibbonCommands::OnClickRefreshEx() {
  if (refresh_) refresh_->OnClickRefreshEx();
}

void RibbonCommands::OnDevelopModeEx() {
  SwitchOnDeveloperMode(ports_.boxes, ports_.module_directory, ports_.env, ports_.messages);
}

void RibbonCommands::OnButtonHelpClick() { ports_.documents.Open(HelpPageAddress()); }

}  // namespace orra
