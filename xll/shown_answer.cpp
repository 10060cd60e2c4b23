#include "xll/shown_answer.h"

#include <utility>

#include "xll/cell_format.h"

namespace orra {
namespace {

// Both name the same reply (or both none): the same control block, whatever it holds now.
bool SameReply(const std::weak_ptr<const PooledBlock>& kept, const SharedBlock& current) {
  return !kept.owner_before(current) && !current.owner_before(kept);
}

bool ApplyFormat(const ShownAnswer& shown, const tagRequest& request, ExcelObjectModel* excel, const Env& env) {
  return ApplyCellFormat(excel, request, shown.wanted.format == AnswerFormat::kDateOnly, env);
}

}  // namespace

CellFormatChoice CellFormatChoice::Of(const tagRequest& request, AnswerFormat format) {
  return {request.value_kind, request.alignment, request.date_style, request.decimals, format};
}

bool CellFormatChoice::MadeFor(const tagRequest& request) const {
  return value_kind == request.value_kind && alignment == request.alignment && date_style == request.date_style &&
         decimals == request.decimals;
}

bool ShownAnswer::Shows(const tagRequest& request, const CellMessageTable& table) const {
  return SameReply(source, request.result) && messages == &table &&
         developer_texts == table.UsingDeveloperTexts() && wanted.MadeFor(request);
}

bool ShownAsIs(const tagRequest& request, const CellMessageTable& messages, const ExcelObjectModel* excel) {
  const ShownAnswer* kept = request.shown.get();
  return kept != nullptr && kept->Shows(request, messages) && (kept->Formatted() || excel == nullptr);
}

std::shared_ptr<const ShownAnswer> ShowAnswer(const tagRequest& request, ExcelObjectModel* excel,
                                              const CellMessageTable& messages, const Env& env) {
  const ShownAnswer* kept = request.shown.get();
  std::shared_ptr<ShownAnswer> shown;
  if (kept != nullptr && kept->Shows(request, messages)) {
    if (kept->Formatted() || !ApplyFormat(*kept, request, excel, env)) return request.shown;
    shown = std::make_shared<ShownAnswer>(*kept);
    shown->formatted = shown->wanted;
    return shown;
  }
  RenderedAnswer rendered = RenderAnswer(&request, messages);
  const CellFormatChoice wanted = CellFormatChoice::Of(request, rendered.format);
  shown = std::make_shared<ShownAnswer>(ShownAnswer{request.result, &messages, messages.UsingDeveloperTexts(),
                                                    std::move(rendered), wanted,
                                                    kept != nullptr ? kept->formatted : std::nullopt});
  if (!shown->Formatted() && ApplyFormat(*shown, request, excel, env)) shown->formatted = shown->wanted;
  return shown;
}

}  // namespace orra
