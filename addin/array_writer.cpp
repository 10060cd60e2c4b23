#include "addin/array_writer.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

#include "common/text_conversion.h"
#include "xll/date_text.h"

namespace orra {
namespace {

// NumberFormatLocal of a written block, by the form of its first value's text; a text in none
// of the date forms leaves the block's format alone.
std::optional<std::u16string_view> BlockNumberFormat(DateTextClass form) {
  switch (form) {
    case DateTextClass::kDash:
      return u"yyyy-mm-dd";
    case DateTextClass::kDigits:
      // Eight digits stay text: as a number they would lose the shape of a date.
      return u"@";
    case DateTextClass::kChinese:
      return u"yyyy年mm月dd日";
    case DateTextClass::kSlash:
      return u"yyyy/mm/dd";
    case DateTextClass::kNone:
      break;
  }
  return std::nullopt;
}

// A value as Excel turns it into text, in code page 936. A number gets up to 15 significant
// digits, as a VARIANT's conversion to text gives it, so 20170220 reads as the digits of a date.
std::string GbkTextOf(const SheetValue& value) {
  return std::visit(
      [](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return {};
        } else if constexpr (std::is_same_v<T, double>) {
          char digits[32];
          const int length = std::snprintf(digits, sizeof digits, "%.15G", v);
          return length > 0 ? std::string(digits, static_cast<size_t>(length)) : std::string();
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          return ToNarrowString(v);
        } else {
          return v ? "TRUE" : "FALSE";
        }
      },
      value);
}

}  // namespace

ArrayWriter::ArrayWriter(SheetWriteQueue& queue, ExcelObjectModel& excel, RequestsDictionary& requests,
                         MainThreadTimer& timer)
    : queue_(queue), excel_(excel), requests_(requests), timer_(timer) {
  try {
    watcher_ = std::thread([this] { Watch(); });
  } catch (const std::system_error&) {
    running_ = false;
    return;
  }
  queue_.Attach(wake_);
}

ArrayWriter::~ArrayWriter() {
  // A writer whose watcher never started never attached: the queue's event is not its own.
  if (watcher_.joinable()) {
    queue_.Detach();
    running_ = false;
    wake_.Set();
    watcher_.join();
  }
  queue_.ReturnUnwritten(std::move(retry_));
  // Excel is not left without drawing when the add-in goes; a refusal now has no later tick.
  if (screen_updating_owed_) {
    try {
      excel_.SetScreenUpdating(true);
    } catch (...) {
      // A destructor lets nothing out.
    }
  }
}

void ArrayWriter::Watch() noexcept {
  while (running_) {
    try {
      wake_.Wait();
      if (!running_) break;
      if (!timer_armed_ && queue_.HasUntaken()) ArmTimer();
      queue_.CompactIfAllTaken();
    } catch (...) {
      // Nothing here throws in practice; the loop stays bounded by the running flag.
    }
  }
}

void ArrayWriter::OnTimer() noexcept {
  timer_.Stop(kTimerId);
  try {
    RunPass();
  } catch (...) {
    // A batch that could not even be taken or copied is lost; the next tick goes on.
  }
  timer_armed_ = false;
  wake_.Set();
}

void ArrayWriter::RunPass() {
  // Screen updating left off after a batch went in is switched back on before anything else is
  // written; while Excel still refuses, everything waits.
  if (screen_updating_owed_) {
    if (!excel_.SetScreenUpdating(true)) {
      ArmTimer();
      return;
    }
    screen_updating_owed_ = false;
  }
  if (!retry_.empty()) {
    WriteBatch(retry_);
    return;
  }
  std::vector<SheetTable> batch = queue_.TakeBatch(kMaxTablesPerPass);
  // Nothing taken, nothing to switch screen updating off for.
  if (!batch.empty()) WriteBatch(batch);
}

void ArrayWriter::WriteBatch(std::vector<SheetTable>& batch) {
  // A refusal to switch screen updating off means Excel takes no calls now: the tables are not
  // even tried, so none is dropped for a reason that has nothing to do with it.
  if (!excel_.SetScreenUpdating(false)) {
    if (&batch != &retry_) retry_ = std::move(batch);
    ArmTimer();
    return;
  }
  for (const SheetTable& table : batch) WriteTable(table);
  batch.clear();
  // The tables are in: a refusal now (an edit begun meanwhile) must not have them written a
  // second time, at whatever cell is active by then. Only the switch is tried again.
  if (!excel_.SetScreenUpdating(true)) {
    screen_updating_owed_ = true;
    ArmTimer();
  }
}

void ArrayWriter::WriteTable(const SheetTable& table) noexcept {
  try {
    const std::optional<SheetValue> first = table.At(0, 0);
    if (!first) return;  // an empty table: there is nothing to write
    const auto format = BlockNumberFormat(ClassifyDateText(GbkTextOf(*first)));
    if (!excel_.WriteAtActiveCell(table)) return;
    if (format && !excel_.SetActiveBlockNumberFormatLocal(table.rows(), table.columns(), *format)) return;
    requests_.ClearDeliveredFlags();
  } catch (...) {
    // As any other failure of one table: it is dropped and the batch goes on.
  }
}

void ArrayWriter::ArmTimer() {
  // The flag goes up before the timer starts: a tick that comes at once and clears it must not
  // be followed by a late set that would keep the watcher from ever arming again.
  timer_armed_ = true;
  if (!timer_.Start(kTimerId, kPeriodMs)) timer_armed_ = false;
}

}  // namespace orra
