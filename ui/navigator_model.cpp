#include "ui/navigator_model.h"

#include <utility>

#include "store/gbk_text.h"

namespace orra {

std::u16string_view RefusalMessage(NavigatorRefusal refusal) {
  switch (refusal) {
    case NavigatorRefusal::kNoIndicator:
      return u"没有选择指标，请从左边树或者通过检索框检索后选择指标再试。";
    case NavigatorRefusal::kParametersWrong:
      return u"参数填写有误，请检查后再试吧。";
  }
  return {};
}

NavigatorModel::NavigatorModel(const COrraData& store) : tree_(store.IndicatorFile()), panel_(store) {}

bool NavigatorModel::Select(std::optional<size_t> node) {
  if (node && *node >= tree_.nodes().size()) node.reset();
  selected_ = node;
  const bool changed = panel_.Show(node ? tree_.Record(*node) : std::nullopt, first_selection_);
  first_selection_ = false;
  return changed;
}

std::optional<size_t> NavigatorModel::ChooseSearchText(std::u16string_view box_text) {
  search_text_ = std::u16string(box_text);
  return tree_.FindCandidate(search_text_);
}

bool NavigatorModel::Tick(std::span<const RowReading> readings, CellReferenceProbe& excel) {
  std::u16string formula = panel_.BuildFormula(readings, excel).value_or(std::u16string());
  if (formula == formula_) return false;
  formula_ = std::move(formula);
  return true;
}

std::variant<SheetTable, NavigatorRefusal> NavigatorModel::Ok() const {
  if (!selected_ || tree_.nodes()[*selected_].is_folder) return NavigatorRefusal::kNoIndicator;
  if (formula_.size() < kMinFormulaChars || formula_.find(u"\"\"") != std::u16string::npos) {
    return NavigatorRefusal::kParametersWrong;
  }
  std::optional<SheetTable> table = SheetTable::FromRows(1, 1, {SheetValue(formula_)});
  if (!table) return NavigatorRefusal::kParametersWrong;
  return std::move(*table);
}

bool NavigatorModel::ShowsHint(std::u16string_view box_text) { return EqualsFoldingAsciiCase(box_text, kSearchHint); }

}  // namespace orra
