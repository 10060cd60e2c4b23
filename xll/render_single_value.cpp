#include "xll/render_single_value.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "common/text_conversion.h"
#include "transport/query_reply.h"
#include "transport/result_set.h"
#include "xll/cell_format.h"
#include "xll/date_text.h"

namespace orra {
namespace {

constexpr int kValueColumn = 0;
constexpr double kSecondsPerDay = 86400;

CellValue Message(const CellMessageTable& messages, CellMessage message) {
  return CellValue::Text(messages.Text(message));
}

CellValue TextOrNoValue(std::u16string text) {
  return CellValue::Text(text.empty() ? std::u16string(kNoValueText) : std::move(text));
}

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// A date-or-time text as a serial day plus the time of day as a fraction of it.
RenderedAnswer RenderDateTime(const std::u16string& text) {
  if (text.empty()) return {CellValue::Text(kNoValueText), AnswerFormat::kByKind};
  const DateTimeParts parts = ReadDateTimeText(text);
  const int64_t seconds = int64_t{parts.hour} * 3600 + int64_t{parts.minute} * 60 + parts.second;
  const int64_t yyyymmdd = int64_t{parts.year} * 10000 + int64_t{parts.month} * 100 + parts.day;
  const double serial = static_cast<double>(seconds) / kSecondsPerDay + SerialDayFromYmd(ClampToInt32(yyyymmdd));
  return {CellValue::Number(serial), seconds == 0 ? AnswerFormat::kDateOnly : AnswerFormat::kByKind};
}

CellValue RenderNumber(double number) {
  // Excel has no cell value for NaN or an infinity (a text "nan" or "1e999" reads as one).
  return std::isfinite(number) ? CellValue::Number(number) : CellValue::Text(kNoValueText);
}

RenderedAnswer RenderFirstValue(const ResultSet& table, const tagRequest& request) {
  switch (static_cast<ValueKind>(request.value_kind)) {
    case ValueKind::kText:
      return {TextOrNoValue(table.Text(kValueColumn)), AnswerFormat::kByKind};
    case ValueKind::kDateTime:
      return RenderDateTime(table.Text(kValueColumn));
    case ValueKind::kNumber:
      return {RenderNumber(table.Number(kValueColumn)), AnswerFormat::kByKind};
  }
  return {CellValue::Text(kNoValueText), AnswerFormat::kByKind};
}

RenderedAnswer Unformatted(CellValue value) { return {std::move(value), AnswerFormat::kNone}; }

RenderedAnswer Render(const tagRequest* request, const CellMessageTable& messages) {
  if (request == nullptr || request->result == nullptr) return Unformatted(Message(messages, CellMessage::kNoData));
  const auto reply = ReadQueryReply(request->result->bytes());
  if (!reply) return Unformatted(Message(messages, CellMessage::kNullValue));
  if (reply->failed) return Unformatted(CellValue::Text(ToWideString(reply->error_text)));
  ResultSet table;
  if (!table.Open(reply->table) || table.RowCount() < 1 || table.ColumnCount() < 1) {
    return Unformatted(Message(messages, CellMessage::kNullValue));
  }
  table.First();
  return RenderFirstValue(table, *request);
}

CellValue NoDataOrZero(const CellMessageTable& messages) noexcept {
  try {
    return Message(messages, CellMessage::kNoData);
  } catch (...) {
    return CellValue::Number(0);
  }
}

}  // namespace

RenderedAnswer RenderAnswer(const tagRequest* request, const CellMessageTable& messages) noexcept {
  try {
    return Render(request, messages);
  } catch (...) {
    return {NoDataOrZero(messages), AnswerFormat::kNone};
  }
}

CellValue RenderSingleValue(const tagRequest* request, ExcelObjectModel* excel, const CellMessageTable& messages,
                            const Env& env) noexcept {
  RenderedAnswer answer = RenderAnswer(request, messages);
  if (request != nullptr && answer.format != AnswerFormat::kNone) {
    ApplyCellFormat(excel, *request, answer.format == AnswerFormat::kDateOnly, env);
  }
  return std::move(answer.value);
}

}  // namespace orra
