#pragma once
// RenderSingleValue: what the cell of an answered single-value request shows, read from the
// first value of the server's result table by the request's value kind, with the cell's
// number format and alignment set on the way (ApplyCellFormat).
//
// The worksheet function applies the status rule of the cell messages first and calls this
// for an answered request (or with null when the dictionary holds no record). It renders from
// its own copy of the record: the reply block is shared, so no lock is held meanwhile.
// Excel's main thread only.

#include <cstdint>

#include "common/env.h"
#include "request/cell_messages.h"
#include "request/excel_object_model.h"
#include "request/request.h"
#include "xll/cell_value.h"

namespace orra {

// The text of a value that is empty, absent, or of a kind that has no rendering.
inline constexpr std::u16string_view kNoValueText = u"--";

// Which format a rendered value gives its cell: none (a message or the server's error text
// leaves the cell's format alone), the one of the request's value kind, or the date-only
// table (a date or time without a time of day).
enum class AnswerFormat : uint8_t { kNone, kByKind, kDateOnly };

struct RenderedAnswer {
  CellValue value;
  AnswerFormat format;
};

// The value and its format, rendered from the record alone; messages come from `messages`.
// - no record or no reply block: the noData message;
// - the reply's error flag is set: the server's error text (GBK to UTF-16), no formatting;
// - a reply or table that cannot be read, or a table without a row or a column: nullValue;
// - otherwise, by value kind: text (empty gives "--"); date or time as a serial day with its
//   time of day as the fraction (an empty text gives "--"; a value without a time of day gets
//   the date-only format); number (a value that is no finite number gives "--", which Excel
//   could not hold); any other kind "--".
// Never throws: a failure inside gives the noData message.
RenderedAnswer RenderAnswer(const tagRequest* request, const CellMessageTable& messages) noexcept;

// RenderAnswer, with the format set on the request's calling cell. `excel` is null when the
// add-in holds no Excel application; only the formatting is skipped. A refused format goes to
// the Env's debugger output.
CellValue RenderSingleValue(const tagRequest* request, ExcelObjectModel* excel, const CellMessageTable& messages,
                            const Env& env) noexcept;

}  // namespace orra
