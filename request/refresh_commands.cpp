#include "request/refresh_commands.h"

#include <string>

#include "common/ascii_text.h"
#include "request/develop_log.h"

namespace orra {

bool PassLoginCheck(LoginChecker& login, MessageBoxes& boxes) {
  if (login.Check()) return true;
  const std::u16string_view message = LoginMessage(login.State());
  if (!message.empty()) boxes.Show(message, kLoginMessageCaption, MessageKind::kOk);
  return false;
}

void RefreshCommands::OnClickDataRefreshEx() {
  if (PassLoginCheck(login_, boxes_)) RefreshActiveSheet(u"sheet");
}

void RefreshCommands::OnClickFormatRefreshEx() {
  if (PassLoginCheck(login_, boxes_)) RefreshSelection();
}

void RefreshCommands::OnClickAllRefreshEx() {
  if (PassLoginCheck(login_, boxes_)) RefreshEverything();
}

void RefreshCommands::OnClickRefreshEx() { RefreshActiveSheet(u"sheet (no login check)"); }

void RefreshCommands::RefreshActiveSheet(const char16_t* command) {
  last_requeued_ = 0;
  const std::optional<SheetKey> active = excel_.ActiveSheet();
  if (!active) return;
  for (const auto& [topic, address] : requests_.Callers()) {
    // Excel's refusal for one address (a deleted sheet) skips that request only.
    const std::optional<SheetKey> sheet = excel_.SheetOf(address);
    if (sheet && *sheet == *active && requests_.Requeue(topic)) ++last_requeued_;
  }
  excel_.SetEnableCalculation(*active, false);
  excel_.SetEnableCalculation(*active, true);
  Log(command);
}

void RefreshCommands::RefreshSelection() {
  last_requeued_ = 0;
  const std::optional<SheetKey> active = excel_.ActiveSheet();
  for (const auto& [topic, address] : requests_.Callers()) {
    const std::optional<SheetKey> sheet = excel_.SheetOf(address);
    if (!sheet || !active || *sheet != *active) continue;
    const std::optional<bool> inside = excel_.SelectionIntersects(address);
    if (inside.value_or(false) && requests_.Requeue(topic)) ++last_requeued_;
  }
  excel_.DirtySelection();
  Log(u"selection");
}

void RefreshCommands::RefreshEverything() {
  last_requeued_ = 0;
  for (const auto& [topic, address] : requests_.Callers()) {
    excel_.SheetOf(address);  // asked as Excel would be; a refusal does not keep the request back
    if (requests_.Requeue(topic)) ++last_requeued_;
  }
  excel_.CalculateFull();
  Log(u"all");
}

void RefreshCommands::Log(const char16_t* command) const {
  if (!CLogThread::Enabled()) return;
  CLogThread::Instance().Write(std::u16string(u"refresh ") + command + u" requeued=" +
                               WidenAscii(std::to_string(last_requeued_)));
}

void SwitchOnDeveloperMode(MessageBoxes& boxes, const std::u16string& module_directory, Env& env,
                           CellMessageTable& messages) {
  CLogThread& log = CLogThread::Instance();
  if (log.Started()) {
    boxes.Show(u"已开启开发者模式！", u"信息", MessageKind::kOk);
    return;
  }
  if (!boxes.Show(u"是否开启开发者模式，开启此模式插件性能将降低！", u"开发者模式", MessageKind::kYesNoInformation)) {
    return;
  }
  log.Start(module_directory, env, messages);
}

}  // namespace orra
