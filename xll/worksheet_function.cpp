#include "xll/worksheet_function.h"

#include <algorithm>
#include <array>
#include <exception>
#include <memory>
#include <new>
#include <optional>

#include "common/text_conversion.h"
#include "xll/argument_classification.h"
#include "xll/argument_value.h"
#include "xll/caller_address.h"
#include "xll/date_argument.h"
#include "xll/shown_answer.h"
#include "xll/rtd_call.h"
#include "xll/temporary_memory.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

// What the RTD server answers for a topic it has just connected.
constexpr int32_t kNewTopicHandle = -1;

const CellMessageTable& StandardMessages() {
  static const CellMessageTable messages;
  return messages;
}

const Env& PlatformEnvironment() {
  static const PlatformEnv env;
  return env;
}

XLOPER12* Checked(XLOPER12* value) {
  if (value == nullptr) throw std::bad_alloc();
  return value;
}

XLOPER12* CellResult(TemporaryMemory& memory, const CellValue& value) {
  return Checked(value.IsNumber() ? memory.Number(value.number()) : memory.Text(value.text()));
}

// The parts of a record that rendering reads, copied under the dictionary's lock. The named
// parameters stay behind: rendering never reads them, and copying them would cost allocations.
tagRequest RenderingCopy(const tagRequest& record) {
  tagRequest copy(record.topic_id);
  copy.function_id = record.function_id;
  copy.status = record.status;
  std::copy(std::begin(record.caller_address), std::end(record.caller_address), copy.caller_address);
  copy.value_kind = record.value_kind;
  copy.alignment = record.alignment;
  copy.date_style = record.date_style;
  copy.decimals = record.decimals;
  copy.result = record.result;
  copy.shown = record.shown;
  return copy;
}

// What an evaluation takes from the request record under the dictionary's lock: its status,
// and then either what the cell already shows, when nothing is left to do for it, or a copy to
// render from.
struct Seen {
  uint8_t status = 0;
  std::shared_ptr<const ShownAnswer> shown;
  std::optional<tagRequest> record;
};

class Evaluation {
 public:
  Evaluation(const WorksheetFunction& row, std::span<const XLOPER12* const> arguments, const XllServices& services,
             TemporaryMemory& memory)
      : row_(row),
        arguments_(arguments),
        services_(services),
        memory_(memory),
        messages_(services.messages != nullptr ? *services.messages : StandardMessages()) {}

  XLOPER12* Run() {
    if (services_.excel == nullptr) return nullptr;
    ExcelCalls& excel = *services_.excel;
    if (AnyRequiredArgumentMissing()) return Message(CellMessage::kFixedParam);

    const std::optional<std::u16string> address = CallerAddress(excel);
    if (!address) return nullptr;
    size_t count = 0;
    topics_[count++] = Checked(memory_.Text(*address));
    topics_[count++] = Checked(memory_.Integer(row_.id));
    for (const TopicRun& run : row_.topic_runs()) {
      for (uint8_t n = run.first; n <= run.last; ++n) {
        const std::optional<const XLOPER12*> topic = Topic(n, run.conversion, excel);
        if (!topic) return nullptr;
        topics_[count++] = *topic;
      }
    }

    const std::optional<int32_t> handle = CallRtd(excel, std::span(topics_.data(), count));
    if (!handle) return nullptr;
    if (*handle == kNewTopicHandle || services_.requests == nullptr) return Message(CellMessage::kFetching);

    Seen seen;
    if (!services_.requests->Visit(*handle, [this, &seen](const tagRequest& found) { See(found, seen); })) {
      return Message(CellMessage::kFetching);
    }
    if (const std::optional<CellMessage> message = MessageForStatus(seen.status, row_.shape)) {
      return Message(*message);
    }
    if (seen.shown == nullptr) {
      const Env& env = services_.env != nullptr ? *services_.env : PlatformEnvironment();
      seen.shown = ShowAnswer(*seen.record, services_.object_model, messages_, env);
      if (seen.shown != seen.record->shown) services_.requests->KeepShown(*handle, seen.record->result, seen.shown);
    }
    return CellResult(memory_, seen.shown->rendered.value);
  }

 private:
  // Argument n (counted from 1) as Excel passed it; null beyond what it passed.
  const XLOPER12* Argument(size_t n) const { return n >= 1 && n <= arguments_.size() ? arguments_[n - 1] : nullptr; }

  bool AnyRequiredArgumentMissing() const {
    if (arguments_.size() < row_.required_count) return true;
    return AnyRequiredMissing(arguments_.first(row_.required_count));
  }

  // The topic for argument n (null when it is missing), or none when Excel could not convert it.
  std::optional<const XLOPER12*> Topic(uint8_t n, TopicConversion conversion, ExcelCalls& excel) {
    // A missing argument stays missing through either conversion, and CallRtd drops it.
    if (ClassifyArgument(Argument(n)) == ArgumentClass::kMissing) return std::optional<const XLOPER12*>(nullptr);
    std::optional<ArgumentValue>& converted = converted_[n - 1];
    switch (conversion) {
      case TopicConversion::kPlain:
        return Argument(n);
      case TopicConversion::kDate:
        converted = DateArgumentToNumber(Argument(n), excel);
        break;
      case TopicConversion::kKeyed:
        // The keyword is the argument before, as the user gave it, never its converted form.
        converted = KeywordDateArgument(Argument(n), Argument(n - 1u), excel);
        break;
    }
    if (!converted) return std::nullopt;
    return &converted->xloper();
  }

  // Under the dictionary's lock: the least this evaluation needs of the record.
  void See(const tagRequest& found, Seen& seen) const {
    seen.status = found.status;
    if (MessageForStatus(found.status, row_.shape)) return;
    if (ShownAsIs(found, messages_, services_.object_model)) {
      seen.shown = found.shown;
    } else {
      seen.record = RenderingCopy(found);
    }
  }

  XLOPER12* Message(CellMessage message) { return Checked(memory_.Text(messages_.Text(message))); }

  const WorksheetFunction& row_;
  const std::span<const XLOPER12* const> arguments_;
  const XllServices& services_;
  TemporaryMemory& memory_;
  const CellMessageTable& messages_;
  std::array<const XLOPER12*, kMaxTopics> topics_{};
  std::array<std::optional<ArgumentValue>, kMaxWorksheetArguments> converted_;
};

// #VALUE! without memory of the pool, for when the pool has none to give.
XLOPER12* LastResortValueError() noexcept {
  thread_local XLOPER12 value{};
  value.xltype = xltypeErr;
  value.val.err = xlerrValue;
  return &value;
}

XLOPER12* ValueError(TemporaryMemory& memory) noexcept {
  XLOPER12* value = memory.Error(xlerrValue);
  return value != nullptr ? value : LastResortValueError();
}

XLOPER12* ExceptionText(TemporaryMemory& memory, const char* what) noexcept {
  try {
    XLOPER12* text = memory.Text(ToWideString(what != nullptr ? what : ""));
    return text != nullptr ? text : ValueError(memory);
  } catch (...) {
    return ValueError(memory);
  }
}

}  // namespace

XLOPER12* EvaluateWorksheetFunction(const WorksheetFunction& row, std::span<const XLOPER12* const> arguments,
                                    const XllServices& services) noexcept {
  TemporaryMemory* memory = nullptr;
  try {
    memory = &TemporaryMemory::OfThisThread();
    memory->Reset();
    return Evaluation(row, arguments, services, *memory).Run();
  } catch (const std::exception& error) {
    return memory != nullptr ? ExceptionText(*memory, error.what()) : LastResortValueError();
  } catch (...) {
    return memory != nullptr ? ValueError(*memory) : LastResortValueError();
  }
}

}  // namespace orra
