#pragma once
// ShownAnswer: what a single-value cell shows of its request's answer, kept with the request
// (tagRequest::shown) so that evaluating the cell again costs a copy of the value while the
// answer stays the same, and so that the cell's format is set when the answer's format
// changes, not on every evaluation. Recalculation evaluates every XDP cell of a workbook; in
// a real Excel each format call through the object model costs far more than the evaluation,
// and setting the format again would also undo a format the user gave the cell since.
//
// Immutable once built: a new answer or a newly set format makes a new one, which the
// worksheet function hands back to the dictionary. Excel's main thread only.

#include <cstdint>
#include <memory>
#include <optional>

#include "common/env.h"
#include "common/pooled_block.h"
#include "request/cell_messages.h"
#include "request/excel_object_model.h"
#include "request/request.h"
#include "xll/render_single_value.h"

namespace orra {

// What a cell's format is chosen by: the request's display attributes and the rendered
// value's format.
struct CellFormatChoice {
  uint8_t value_kind = 0;
  uint8_t alignment = 0;
  uint8_t date_style = 0;
  uint8_t decimals = 0;
  AnswerFormat format = AnswerFormat::kNone;

  static CellFormatChoice Of(const tagRequest& request, AnswerFormat format);
  // The request's display attributes are the ones this choice was made by.
  bool MadeFor(const tagRequest& request) const;
  friend bool operator==(const CellFormatChoice&, const CellFormatChoice&) = default;
};

struct ShownAnswer {
  // The reply rendered. Weak, so that a replaced reply goes back to the pool at once; its
  // control block stays, so no later reply can be mistaken for it.
  std::weak_ptr<const PooledBlock> source;
  const CellMessageTable* messages = nullptr;
  bool developer_texts = false;  // the table's texts when rendered
  RenderedAnswer rendered;
  CellFormatChoice wanted;
  // The format last set on the cell for this request, over all its answers.
  std::optional<CellFormatChoice> formatted;

  // `rendered` is what `request` shows now with `table`'s texts.
  bool Shows(const tagRequest& request, const CellMessageTable& table) const;
  // Nothing is left to set on the cell.
  bool Formatted() const { return wanted.format == AnswerFormat::kNone || formatted == wanted; }
};

// The request's kept answer is what its cell shows now, and nothing is left to set on the cell
// (or no object model to set it through): evaluating the cell only copies the kept value.
bool ShownAsIs(const tagRequest& request, const CellMessageTable& messages, const ExcelObjectModel* excel);

// What the cell of an answered `request` shows: its kept answer when that still Shows it,
// rendered anew otherwise (keeping what was formatted), with the format set on the cell when
// it differs from the one last set there and Excel's object model is held. Throws only what
// an allocation throws.
std::shared_ptr<const ShownAnswer> ShowAnswer(const tagRequest& request, ExcelObjectModel* excel,
                                              const CellMessageTable& messages, const Env& env);

}  // namespace orra
