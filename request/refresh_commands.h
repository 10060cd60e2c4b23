#pragma once
// The refresh commands of the ribbon and the add-in object, and developer mode. They run on
// Excel's main thread: they ask Excel where each request's cell is, queue the affected
// requests again and make Excel recalculate, so the cells show "Fetching..." until the new
// answers arrive. No lock is held while Excel is asked anything.

#include <string>

#include "common/env.h"
#include "request/cell_messages.h"
#include "request/excel_object_model.h"
#include "request/login_check.h"
#include "request/message_boxes.h"
#include "request/requests_dictionary.h"

namespace orra {

// The login check as the ribbon's commands run it: on a failure the state's message is shown
// ("提示", OK) and the command goes no further.
bool PassLoginCheck(LoginChecker& login, MessageBoxes& boxes);

class RefreshCommands {
 public:
  RefreshCommands(RequestsDictionary& requests, ExcelObjectModel& excel, LoginChecker& login, MessageBoxes& boxes)
      : requests_(requests), excel_(excel), login_(login), boxes_(boxes) {}

  // "刷新当前Sheet"
  void OnClickDataRefreshEx();
  // "刷新当前区域"
  void OnClickFormatRefreshEx();
  // "刷新文件"
  void OnClickAllRefreshEx();
  // The active sheet, without the login check (no ribbon control calls it).
  void OnClickRefreshEx();

  // Counts of the last command, for the log and for tests.
  size_t LastRequeued() const { return last_requeued_; }

 private:
  void RefreshActiveSheet(const char16_t* command);
  void RefreshSelection();
  void RefreshEverything();
  void Log(const char16_t* command) const;

  RequestsDictionary& requests_;
  ExcelObjectModel& excel_;
  LoginChecker& login_;
  MessageBoxes& boxes_;
  size_t last_requeued_ = 0;
};

// The ribbon's developer-mode command: asks once, then starts the log thread writing into
// `module_directory`, by the process's environment, and switches its cell messages.
void SwitchOnDeveloperMode(MessageBoxes& boxes, const std::u16string& module_directory, Env& env,
                           CellMessageTable& messages);

}  // namespace orra
