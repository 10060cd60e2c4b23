#include "ui/parameter_panel.h"

#include <algorithm>
#include <utility>

#include "common/decimal_text.h"
#include "common/text_conversion.h"
#include "store/gbk_text.h"
#include "store/store_records.h"

namespace orra {
namespace {

// Row geometry in pixels: every made row lies kRowPitch below the one before it.
constexpr int kRowTop = 4;
constexpr int kRowBottom = 25;
constexpr int kRowPitch = 30;
constexpr int kLabelLeft = 2;
constexpr int kLabelRight = 120;
constexpr int kInputLeft = 130;
constexpr int kInputRight = 340;
constexpr int kChoiceDropPixels = 100;  // the drop-down list opens inside the box's rectangle
constexpr int kReferenceLeft = 342;
constexpr int kReferenceWidth = 21;
constexpr int kReferenceHeight = 19;

constexpr std::u16string_view kCodeLabel = u"证券代码：";
constexpr std::u16string_view kLabelEnd = u"：";
constexpr std::u16string_view kFormulaStart = u"=XDP(";

bool IsWhiteSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' || c == u'\u3000';
}

std::u16string Trimmed(std::u16string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return std::u16string(text);
}

std::u16string Quoted(std::u16string_view text) {
  std::u16string quoted;
  quoted.reserve(text.size() + 3);
  quoted += u'"';
  quoted += text;
  quoted += u"\",";
  return quoted;
}

void PlaceRow(PanelRow& row, size_t made) {
  const int offset = static_cast<int>(made) * kRowPitch;
  row.label_rect = {kLabelLeft, kRowTop + offset, kLabelRight, kRowBottom + offset};
  row.input_rect = {kInputLeft, kRowTop + offset, kInputRight, kRowBottom + offset};
  if (row.input == RowInput::kChoice) row.input_rect.bottom += kChoiceDropPixels;
  row.input_id = ParameterPanel::kInputIdBase + static_cast<int>(row.number);
  row.label_id = ParameterPanel::kLabelIdBase + static_cast<int>(row.number);
}

std::u16string LabelOf(std::string_view caption) {
  std::u16string label = ToWideString(caption) + std::u16string(kLabelEnd);
  std::erase(label, u':');
  return label;
}

bool SameRecord(const std::optional<RecordRef>& a, const std::optional<RecordRef>& b) {
  if (!a || !b) return !a && !b;
  return a->file == b->file && a->index == b->index;
}

}  // namespace

bool ParameterPanel::Show(std::optional<RecordRef> descriptor, bool first_selection) {
  if (descriptor && (!descriptor->file || descriptor->index >= descriptor->file->count())) descriptor.reset();
  if (SameRecord(descriptor, descriptor_)) return false;
  descriptor_ = std::move(descriptor);
  rows_.clear();
  if (!descriptor_) return true;
  const RecordView record = descriptor_->view();
  if (record.is_folder) return true;

  PanelRow code;
  code.label = std::u16string(kCodeLabel);
  code.initial_text = remembered_code_;
  PlaceRow(code, rows_.size());
  rows_.push_back(std::move(code));

  // The list as the panel's buffer holds it; each row takes the text up to the next "|".
  std::string_view list = CutGbk(FieldText(record.fields[0]), kParameterListBytes - 1);
  for (size_t number = 1; number < kMaxRows; ++number) {
    const size_t bar = list.find('|');
    const std::string_view token = list.substr(0, bar);
    list.remove_prefix(bar == std::string_view::npos ? list.size() : bar + 1);
    std::optional<PanelRow> row = MakeParameterRow(number, token, first_selection);
    if (!row) continue;
    PlaceRow(*row, rows_.size());
    rows_.push_back(std::move(*row));
  }
  return true;
}

std::optional<PanelRow> ParameterPanel::MakeParameterRow(size_t number, std::string_view token,
                                                         bool first_selection) const {
  const int32_t id = ReadLeadingDecimal(token);
  if (token.empty() && id == 0) return std::nullopt;
  std::optional<RecordRef> parameter = store_.FindParameter(token, id);
  if (!parameter) return std::nullopt;
  const RecordView record = parameter->view();
  PanelRow row;
  row.number = number;
  switch (ParameterControlType(record)) {
    case static_cast<int32_t>(ControlType::kDate):
      row.input = RowInput::kDate;
      row.initial_date = first_selection ? ReadDefaultDate(ParameterDefaultText(record)) : last_date_read_;
      break;
    case static_cast<int32_t>(ControlType::kFreeText):
      row.input = RowInput::kEdit;
      break;
    default:
      row.input = RowInput::kChoice;
      row.choices = COrraData::ParseChoiceList(record);
      break;
  }
  row.label = LabelOf(ParameterCaption(record));
  row.parameter = std::move(parameter);
  return row;
}

PanelRect ParameterPanel::ReferenceButtonRect() {
  return {kReferenceLeft, kRowTop, kReferenceLeft + kReferenceWidth, kRowTop + kReferenceHeight};
}

int ParameterPanel::ScrollRangeUnits() const {
  if (rows_.empty()) return 0;
  const int bottom = kRowBottom + static_cast<int>(rows_.size() - 1) * kRowPitch;
  return (bottom + kScrollUnitPixels - 1) / kScrollUnitPixels;
}

std::optional<std::u16string> ParameterPanel::BuildFormula(std::span<const RowReading> readings,
                                                           CellReferenceProbe& excel) {
  if (!descriptor_) return std::nullopt;
  std::u16string formula(kFormulaStart);
  bool named = false;
  const auto append_name = [&] {
    if (named) return;
    named = true;
    formula += Quoted(WideOfGbk(descriptor_->view().name, kMaxIndicatorNameChars));
  };
  for (size_t i = 0; i < rows_.size(); ++i) {
    const PanelRow& row = rows_[i];
    if (row.number >= 1) append_name();
    if (i >= readings.size()) continue;
    const RowReading& reading = readings[i];
    std::u16string value;
    if (row.number == 0 || row.input == RowInput::kEdit) {
      const auto* text = std::get_if<std::u16string>(&reading);
      if (text == nullptr) continue;
      value = Trimmed(*text);
    } else if (row.input == RowInput::kChoice) {
      const auto* chosen = std::get_if<ChosenItem>(&reading);
      if (chosen == nullptr) continue;
      // A box showing no item, or an item the list does not have, writes an empty value rather
      // than reading past the list.
      if (chosen->index && *chosen->index < row.choices.size()) value = Trimmed(row.choices[*chosen->index].value());
    } else {
      const auto* date = std::get_if<CalendarDate>(&reading);
      if (date == nullptr) continue;
      last_date_read_ = *date;
      value = FormatYyyymmdd(*date);
    }
    if (row.number == 0) {
      // An empty text or one beginning with "=" is never a reference; Excel need not be asked.
      const bool reference = !value.empty() && value.front() != u'=' && excel.IsRange(value);
      formula += reference ? value + u"," : Quoted(value);
      remembered_code_ = std::move(value);
      continue;
    }
    formula += Quoted(ToWideString(row.parameter->view().name) + u"=" + value);
  }
  append_name();
  formula.back() = u')';
  return formula;
}

std::optional<std::u16string> ParameterPanel::ReferenceText(CellReferenceProbe& excel) {
  std::optional<std::u16string> address = excel.ActiveCellAddress();
  if (address) std::erase(*address, u'$');
  return address;
}

}  // namespace orra
