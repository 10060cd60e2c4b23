#include "tools/xlhost/scenario_runner.h"

#include <algorithm>
#include <array>
#include <functional>

#include "common/utf8.h"
#include "tools/xlhost/grid_print.h"
#include "tools/xlhost/xloper_conversion.h"
#include "xll/xl_constants.h"

namespace orra::xlhost {
namespace {

constexpr uint64_t kFirstSheetId = 1;
constexpr int kOpened = 1;
// A wait looks at the servers' notices this often, as Excel looks between its idle messages.
constexpr int64_t kPumpSliceMs = 20;

std::string Quoted(std::u16string_view text) { return '"' + ToUtf8(text) + '"'; }

std::string QuotedList(const std::vector<std::u16string>& texts) {
  std::string list;
  for (const std::u16string& text : texts) {
    if (!list.empty()) list += ' ';
    list += Quoted(text);
  }
  return list;
}

std::string Describe(const GridValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return "nothing (an empty cell)";
  if (const auto* text = std::get_if<std::u16string>(&value)) return "the text " + Quoted(*text);
  if (std::holds_alternative<double>(value)) return "the number " + ShownText(value);
  return ShownText(value);
}

// The argument as the XLL receives it, in `storage` (a counted text for a text).
XLOPER12 ArgumentValue(const GridValue& value, std::u16string& storage) {
  XLOPER12 argument{};
  if (std::holds_alternative<std::monostate>(value)) {
    argument.xltype = xltypeNil;
  } else if (const auto* number = std::get_if<double>(&value)) {
    argument.xltype = xltypeNum;
    argument.val.num = *number;
  } else if (const auto* text = std::get_if<std::u16string>(&value)) {
    storage.assign(1, static_cast<char16_t>(std::min<size_t>(text->size(), kMaxXlTextUnits)));
    storage.append(*text, 0, kMaxXlTextUnits);
    argument.xltype = xltypeStr;
    argument.val.str = storage.data();
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    argument.xltype = xltypeBool;
    argument.val.xbool = *flag ? 1 : 0;
  } else {
    argument.xltype = xltypeErr;
    argument.val.err = std::get<ErrorValue>(value).code;
  }
  return argument;
}

}  // namespace

ScenarioRunner::ScenarioRunner(XllLoader loader, std::string default_xll, std::string name,
                               std::ostream& out, RtdServerFactory& rtd_servers, HostProcess& host)
    : loader_(std::move(loader)),
      default_xll_(std::move(default_xll)),
      name_(std::move(name)),
      out_(out),
      sheet_(u"Book1.xlsx", u"Sheet1", kFirstSheetId),
      host_(host),
      rtd_(rtd_servers),
      api_(sheet_, memory_, rtd_),
      workbook_(sheet_, [this](CellAddress cell) { Evaluate(cell); }) {}

int ScenarioRunner::Run(const std::vector<Step>& steps) {
  // The rounds still to run of each repeat, by its index; ParseScenario paired the steps.
  std::vector<size_t> rounds_left(steps.size());
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    if (step.kind == StepKind::kRepeat) {
      rounds_left[i] = step.count;
      if (step.count == 0) i = step.partner;
      continue;
    }
    if (step.kind == StepKind::kEndRepeat) {
      if (--rounds_left[step.partner] > 0) i = step.partner;
      continue;
    }
    if (!RunStep(step)) break;
  }
  Finish();
  return failures_;
}

bool ScenarioRunner::RunStep(const Step& step) {
  switch (SideOf(step.kind)) {
    case StepSide::kExcel:
      if (IsExpectation(step.kind)) {
        CheckExcel(step);
      } else {
        RunExcelStep(step);
      }
      return true;
    case StepSide::kWindows:
      if (step.kind == StepKind::kScreenshot) {
        Screenshot(step);
      } else if (IsExpectation(step.kind)) {
        CheckWindow(step);
      } else {
        RunWindowStep(step);
      }
      return true;
    case StepSide::kWorkbook: break;
  }
  switch (step.kind) {
    case StepKind::kOpen: return Open(step);
    case StepKind::kAdd: RunAutoEntry(step, "xlAutoAdd"); return true;
    case StepKind::kRemove: RunAutoEntry(step, "xlAutoRemove"); return true;
    case StepKind::kClose:
      rtd_.TerminateAll();
      RunAutoEntry(step, "xlAutoClose");
      CloseModule();
      return true;
    case StepKind::kSet:
      rtd_.SetCellCalls(*step.cell, {});
      if (step.formula) {
        sheet_.SetFormula(*step.cell, *step.formula);
      } else if (std::holds_alternative<std::monostate>(step.value)) {
        sheet_.Clear(*step.cell);
      } else {
        sheet_.SetConstant(*step.cell, step.value);
      }
      return true;
    case StepKind::kCalc:
      if (step.cell) {
        Evaluate(*step.cell);
      } else {
        std::vector<CellAddress> formulas;
        for (const auto& [address, cell] : sheet_.cells()) {
          if (cell.formula) formulas.push_back(address);
        }
        for (CellAddress address : formulas) Evaluate(address);
      }
      return true;
    case StepKind::kPrint: out_ << PrintGrid(workbook_); return true;
    case StepKind::kWait: Wait(static_cast<int64_t>(step.count), nullptr); return true;
    case StepKind::kWaitUntil: {
      const std::string wanted = ShownText(step.value);
      const CellAddress cell = *step.cell;
      if (!Wait(static_cast<int64_t>(step.count), [&] { return ShownText(sheet_.ValueAt(cell)) == wanted; })) {
        Fail(step, "after " + std::to_string(step.count) + " ms the cell shows " + Describe(sheet_.ValueAt(cell)));
      }
      return true;
    }
    case StepKind::kThrottle: rtd_.set_throttle_ms(static_cast<int64_t>(step.count)); return true;
    case StepKind::kFill: Fill(step); return true;
    case StepKind::kNoteThreads: noted_threads_ = host_.ThreadCount(); return true;
    case StepKind::kExpectTopics:
    case StepKind::kExpectRtdValue:
    case StepKind::kExpectThreads: CheckRtd(step); return true;
    default: Check(step); return true;
  }
}

bool ScenarioRunner::Open(const Step& step) {
  if (module_) {
    Fail(step, "an XLL is open already; close it first");
    return false;
  }
  const std::string path = step.word.empty() ? default_xll_ : step.word;
  std::string error;
  module_ = loader_(path, error);
  if (!module_) {
    Fail(step, "cannot load " + path + ": " + error);
    return false;
  }
  api_.set_xll_path(FromUtf8(path));
  const std::optional<int> opened = module_->RunAutoEntry("xlAutoOpen");
  if (opened != kOpened) {
    Fail(step, opened ? "xlAutoOpen answered " + std::to_string(*opened) + ", not 1"
                      : "the XLL exports no xlAutoOpen");
    return false;
  }
  return true;
}

void ScenarioRunner::RunAutoEntry(const Step& step, const char* entry) {
  if (!module_) {
    Fail(step, "no XLL is open");
    return;
  }
  const std::optional<int> answer = module_->RunAutoEntry(entry);
  if (answer != kOpened) {
    Fail(step, std::string(entry) +
                   (answer ? " answered " + std::to_string(*answer) + ", not 1" : " is not exported"));
  }
}

void ScenarioRunner::CloseModule() {
  module_.reset();
  api_.set_xll_path(std::nullopt);
  // The RTD server's reference to the DLL goes too, so that closing unloads it as in Excel.
  host_.ReleaseUnusedLibraries();
}

void ScenarioRunner::Evaluate(CellAddress cell) {
  const Cell* found = sheet_.Find(cell);
  if (found == nullptr || !found->formula) return;
  const Formula formula = *found->formula;
  std::string procedure = formula.name;
  if (const Registration* registration = api_.FindRegistration(FromUtf8(formula.name))) {
    procedure = ToUtf8(registration->procedure());
  }
  // Excel's own answers for a function it cannot call: an unknown name, too many arguments.
  if (!module_ || !module_->ExportsFunction(procedure)) {
    sheet_.SetResult(cell, ErrorValue{xlerrName});
    return;
  }
  if (formula.arguments.size() > kMaxFunctionArguments) {
    sheet_.SetResult(cell, ErrorValue{xlerrValue});
    return;
  }
  std::array<XLOPER12, kMaxFunctionArguments> values{};
  std::array<std::u16string, kMaxFunctionArguments> texts;
  std::array<XLOPER12*, kMaxFunctionArguments> pointers{};
  for (size_t i = 0; i < kMaxFunctionArguments; ++i) {
    values[i].xltype = xltypeMissing;
    pointers[i] = &values[i];
    if (i >= formula.arguments.size()) continue;
    const FormulaArgument& argument = formula.arguments[i];
    if (const auto* constant = std::get_if<GridValue>(&argument)) {
      values[i] = ArgumentValue(*constant, texts[i]);
    } else if (const auto* reference = std::get_if<CellAddress>(&argument)) {
      values[i] = ArgumentValue(sheet_.ValueAt(*reference), texts[i]);
    }
  }
  api_.BeginCell(cell);
  XLOPER12* result = module_->CallFunction(procedure, pointers);
  api_.EndCell();
  rtd_.SetCellCalls(cell, api_.RtdCallsOf(cell));
  // No result pointer is what a function answers when it has no value to give; Excel shows
  // #NUM! for it. A result of no value (missing, empty) is read as 0.
  if (result == nullptr) {
    sheet_.SetResult(cell, ErrorValue{xlerrNum});
    return;
  }
  GridValue value = GridValueOf(*result);
  if (std::holds_alternative<std::monostate>(value)) value = 0.0;
  sheet_.SetResult(cell, std::move(value));
  const uint32_t type = result->xltype;
  if ((type & xlbitXLFree) != 0) memory_.Free(*result);
  if ((type & xlbitDLLFree) != 0 && !module_->AutoFree(result)) {
    out_ << name_ << ": " << A1Text(cell)
         << ": the result asks for xlAutoFree12, which the XLL does not export\n";
    ++failures_;
  }
}

void ScenarioRunner::Check(const Step& step) {
  switch (step.kind) {
    case StepKind::kExpect: {
      const GridValue seen = sheet_.ValueAt(*step.cell);
      const bool met = std::holds_alternative<double>(step.value)
                           ? seen == step.value
                           : std::holds_alternative<std::monostate>(step.value)
                                 ? std::holds_alternative<std::monostate>(seen)
                                 : ShownText(seen) == ShownText(step.value);
      if (!met) Fail(step, "the cell shows " + Describe(seen));
      return;
    }
    case StepKind::kExpectRtd:
    case StepKind::kExpectNoRtd: {
      const std::vector<RtdCall>& calls = api_.RtdCallsOf(*step.cell);
      if (step.kind == StepKind::kExpectNoRtd) {
        if (!calls.empty()) Fail(step, "the cell called xlfRtd with " + QuotedList(calls.back().topics));
        return;
      }
      if (calls.empty()) {
        Fail(step, "the cell called no xlfRtd");
        return;
      }
      std::vector<std::u16string> seen{calls.back().prog_id, calls.back().server};
      seen.insert(seen.end(), calls.back().topics.begin(), calls.back().topics.end());
      if (seen != step.texts) Fail(step, "the cell called xlfRtd with " + QuotedList(seen));
      return;
    }
    case StepKind::kExpectRegistered:
    case StepKind::kExpectNotRegistered: {
      const Registration* registration = api_.FindRegistration(FromUtf8(step.word));
      if (step.kind == StepKind::kExpectNotRegistered) {
        if (registration != nullptr) Fail(step, "it is registered");
        return;
      }
      if (registration == nullptr) {
        Fail(step, "it is not registered");
        return;
      }
      if (registration->type_text() != step.texts[0] || registration->argument_text() != step.texts[1]) {
        Fail(step, "registered with type text " + Quoted(registration->type_text()) +
                       " and argument text " + Quoted(registration->argument_text()));
      }
      return;
    }
    case StepKind::kExpectStatus: {
      const auto& shown = api_.status_texts();
      if (std::find(shown.begin(), shown.end(), step.texts[0]) == shown.end()) {
        Fail(step, "the status bar showed " + (shown.empty() ? "nothing" : QuotedList(shown)));
      }
      return;
    }
    case StepKind::kExpectStatusCleared:
      if (api_.status_bar()) Fail(step, "the status bar shows " + Quoted(*api_.status_bar()));
      return;
    case StepKind::kExpectAllocations:
      if (memory_.outstanding() != step.count) {
        Fail(step, std::to_string(memory_.outstanding()) + " allocations are outstanding");
      }
      return;
    default:
      return;
  }
}

void ScenarioRunner::Fail(const Step& step, const std::string& what) {
  out_ << name_ << ":" << step.line << ": " << step.source << "\n    failed: " << what << "\n";
  ++failures_;
}

void ScenarioRunner::Finish() {
  rtd_.TerminateAll();
  if (addin_host_ != nullptr) addin_host_->Shutdown();
  if (module_) {
    module_->RunAutoEntry("xlAutoClose");
    CloseModule();
  }
  if (memory_.outstanding() != 0) {
    out_ << name_ << ": leak: " << memory_.outstanding()
         << " blocks of C API results were never given back with xlFree\n";
    ++failures_;
  }
  if (memory_.bad_frees() != 0) {
    out_ << name_ << ": " << memory_.bad_frees()
         << " xlFree calls gave back memory this host had not handed out or had back already\n";
    ++failures_;
  }
}

bool ScenarioRunner::Wait(int64_t duration_ms, const std::function<bool()>& done) {
  const int64_t deadline = host_.NowMs() + duration_ms;
  for (;;) {
    for (const CellAddress cell : rtd_.Refresh(host_.NowMs())) Evaluate(cell);
    if (done && done()) return true;
    const int64_t left = deadline - host_.NowMs();
    if (left <= 0) return done == nullptr;
    host_.PumpMessages(std::min(left, kPumpSliceMs));
  }
}

void ScenarioRunner::Fill(const Step& step) {
  for (int32_t row = step.cell->row; row <= step.last_cell->row; ++row) {
    for (int32_t column = step.cell->column; column <= step.last_cell->column; ++column) {
      const CellAddress cell{row, column};
      rtd_.SetCellCalls(cell, {});
      sheet_.SetFormula(cell, *step.formula);
    }
  }
}

void ScenarioRunner::CheckRtd(const Step& step) {
  switch (step.kind) {
    case StepKind::kExpectTopics:
      if (rtd_.topic_count() != step.count) {
        Fail(step, std::to_string(rtd_.topic_count()) + " topics are connected");
      }
      return;
    case StepKind::kExpectRtdValue: {
      const std::vector<RtdCall>& calls = api_.RtdCallsOf(*step.cell);
      if (calls.empty()) {
        Fail(step, "the cell called no xlfRtd");
        return;
      }
      const std::optional<GridValue> value = rtd_.TopicValue(calls.back());
      if (!value) {
        Fail(step, "the topic of the cell's xlfRtd is not connected");
      } else if (ShownText(*value) != ShownText(step.value) || value->index() != step.value.index()) {
        Fail(step, "the topic holds " + Describe(*value));
      }
      return;
    }
    case StepKind::kExpectThreads: {
      const std::optional<size_t> threads = host_.ThreadCount();
      if (!noted_threads_ || !threads) {
        Fail(step, "the thread count is not known (note-threads first)");
      } else if (*threads > *noted_threads_ + step.count) {
        Fail(step, std::to_string(*threads) + " threads run, " + std::to_string(*noted_threads_) +
                       " did at note-threads");
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace orra::xlhost
