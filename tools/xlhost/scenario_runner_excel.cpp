// The scenario runner's steps on Excel's COM side: the add-in session through the AddinHost
// port, the active cell and the selection, edit mode, message boxes, and the expectations on
// cell formats, the sheet's calculation switch and the ribbon.
#include <algorithm>

#include "common/utf8.h"
#include "tools/xlhost/scenario_runner.h"

namespace orra::xlhost {
namespace {

std::string Quoted(std::u16string_view text) { return '"' + ToUtf8(text) + '"'; }

std::string AlignmentName(int32_t alignment) {
  switch (alignment) {
    case kAlignGeneral: return "general";
    case kAlignLeft: return "left";
    case kAlignCenter: return "center";
    case kAlignRight: return "right";
    default: return "XlHAlign " + std::to_string(alignment);
  }
}

std::string Shown(const std::optional<bool>& answer, const char* yes, const char* no) {
  return answer ? (*answer ? yes : no) : "nothing (the control names no such callback)";
}

}  // namespace

void ScenarioRunner::RunExcelStep(const Step& step) {
  std::string error;
  switch (step.kind) {
    case StepKind::kSelect: workbook_.Select(*step.range); return;
    case StepKind::kActivate: workbook_.Activate(*step.cell); return;
    case StepKind::kEdit: gate_.set_editing(step.flag); return;
    case StepKind::kAnswerMessages:
      messages_.set_answer(step.flag ? MessageAnswer::kYes : MessageAnswer::kNo);
      return;
    default: break;
  }
  if (addin_host_ == nullptr) {
    Fail(step, "this build of xlhost has no COM side");
    return;
  }
  bool done = false;
  switch (step.kind) {
    case StepKind::kRegister: done = addin_host_->Register(step.word.empty() ? default_xll_ : step.word, error); break;
    case StepKind::kUnregister: done = addin_host_->Unregister(error); break;
    case StepKind::kConnect: done = addin_host_->Connect(step.word, error); break;
    case StepKind::kDisconnect: done = addin_host_->Disconnect(error); break;
    case StepKind::kClick: done = addin_host_->Click(step.word, error); break;
    case StepKind::kInvoke: done = addin_host_->Invoke(step.word, error); break;
    default: return;
  }
  if (!done) Fail(step, error);
}

void ScenarioRunner::CheckExcel(const Step& step) {
  switch (step.kind) {
    case StepKind::kExpectMessage: {
      const auto& shown = messages_.shown();
      const bool met = std::any_of(shown.begin(), shown.end(), [&](const ShownMessage& message) {
        return message.text == step.texts[0] && (step.texts.size() == 1 || message.caption == step.texts[1]);
      });
      if (met) return;
      std::string seen;
      for (const ShownMessage& message : shown) {
        seen += "\n      " + Quoted(message.text) + " captioned " + Quoted(message.caption);
      }
      Fail(step, shown.empty() ? "no message box was shown" : "the message boxes shown were" + seen);
      return;
    }
    case StepKind::kExpectMessages:
      if (messages_.shown().size() != step.count) {
        Fail(step, std::to_string(messages_.shown().size()) + " message boxes were shown");
      }
      return;
    case StepKind::kExpectFormat: {
      const auto format = workbook_.NumberFormat(CellRange::Of(*step.cell));
      if (format != step.texts[0]) Fail(step, "the cell's format is " + Quoted(format.value_or(u"")));
      return;
    }
    case StepKind::kExpectAlignment: {
      const auto alignment = workbook_.HorizontalAlignment(CellRange::Of(*step.cell));
      if (alignment != step.alignment) Fail(step, "the cell is aligned " + AlignmentName(alignment.value_or(0)));
      return;
    }
    case StepKind::kExpectCalculation:
      if (workbook_.calculation_enabled() != step.flag) {
        Fail(step, std::string("the sheet's calculation is ") + (workbook_.calculation_enabled() ? "on" : "off"));
      }
      return;
    default: break;
  }
  const LoadedRibbon* ribbon = addin_host_ != nullptr ? addin_host_->ribbon() : nullptr;
  if (ribbon == nullptr) {
    Fail(step, "no ribbon was loaded");
    return;
  }
  if (step.kind == StepKind::kExpectRibbonXmlBytes) {
    if (ribbon->xml_bytes != step.count) Fail(step, "the ribbon XML has " + std::to_string(ribbon->xml_bytes) + " bytes");
    return;
  }
  const auto found = ribbon->controls.find(step.word);
  if (found == ribbon->controls.end()) {
    Fail(step, "the ribbon has no control " + step.word);
    return;
  }
  if (step.kind == StepKind::kExpectRibbonImage && found->second.image_present != step.flag) {
    Fail(step, "its image is " + Shown(found->second.image_present, "present", "none"));
  } else if (step.kind == StepKind::kExpectRibbonEnabled && found->second.enabled != step.flag) {
    Fail(step, "it is " + Shown(found->second.enabled, "enabled", "disabled"));
  }
}

}  // namespace orra::xlhost
