#pragma once
// RibbonCommands: what the ribbon's callbacks decide, with COM left to RibbonCallbacks. The
// image callbacks mark the user as logged in and look up an icon; getVisible shows the login
// control only to a user who is not logged in and the exit control only to one who is; the
// clicks run the login check (a failure shows the state's message and ends the command), then
// post to the dialogs' thread or refresh through Excel's object model; developer mode and the
// help page need no check.
//
// Excel's main thread only.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "addin/dialog_thread.h"
#include "addin/document_opener.h"
#include "addin/ribbon_images.h"
#include "common/env.h"
#include "request/cell_messages.h"
#include "request/excel_object_model.h"
#include "request/login_check.h"
#include "request/message_boxes.h"
#include "request/refresh_commands.h"
#include "request/requests_dictionary.h"

namespace orra {

// The dialogs' thread opens the dialog its wParam names.
constexpr uint32_t kOpenDialogMessage = 32771;
enum class RibbonDialog : uintptr_t {
  kIndicatorNavigator = 0,
  kInsertCode = 1,
};

// The help page is a file on the vendor's web server, fetched over plain HTTP.
constexpr char16_t kHelpHost[] = u"www.zodevuruza.com";
constexpr char16_t kHelpPagePath[] = u"/Login/public/ExcelHelp2.mht";
std::u16string HelpPageAddress();

// What the commands work through; every reference must outlive the commands.
struct RibbonPorts {
  LoginCheck& login;
  // The requests the refresh commands queue again.
  RequestsDictionary& requests;
  // Owned by Excel's main window.
  MessageBoxes& boxes;
  DocumentOpener& documents;
  // Null while no user-interface thread runs: the dialog buttons then stop after the check.
  DialogThread* dialogs;
  // Developer mode's log: the DLL's directory (with its separator), the clock that stamps its
  // lines, the cell messages it switches.
  const std::u16string& module_directory;
  Env& env;
  CellMessageTable& messages;
};

class RibbonCommands {
 public:
  explicit RibbonCommands(const RibbonPorts& ports) : ports_(ports) {}
  RibbonCommands(const RibbonCommands&) = delete;
  RibbonCommands& operator=(const RibbonCommands&) = delete;

  // From OnConnection: `excel` (null when Excel offered no object model) drives the refresh
  // commands until Disconnect; without it they stop after the login check. `dialogs` (null
  // when no user-interface thread could start) takes the dialog buttons' messages from now on,
  // in place of the ports' thread, until Disconnect.
  void Connect(ExcelObjectModel* excel, DialogThread* dialogs);
  void Disconnect();

  // GetImage and OnGetImage: both set the login state to logged in first, every time.
  std::optional<IconNumber> ImageForControl(std::u16string_view control_id);
  std::optional<IconNumber> ImageForName(std::u16string_view image_name);
  // getVisible: nullopt leaves the answer as Excel passed it.
  std::optional<bool> Visible(std::u16string_view control_id) const;

  void OnClickInsertFunctionEx();
  void OnClickInsertStock();
  void OnClickDataRefreshEx();
  void OnClickFormatRefreshEx();
  void OnClickAllRefreshEx();
  // The active sheet without the login check.
  void OnClickRefreshEx();
  void OnDevelopModeEx();
  void OnButtonHelpClick();

 private:
  void OpenDialog(RibbonDialog dialog);

  RibbonPorts ports_;
  std::optional<RefreshCommands> refresh_;
};

}  // namespace orra
