#include "ui/autocomplete_edit.h"

namespace orra {
namespace {

ListKey ToListKey(EditKey key) {
  switch (key) {
    case EditKey::kUp:
      return ListKey::kUp;
    case EditKey::kDown:
      return ListKey::kDown;
    case EditKey::kPageUp:
      return ListKey::kPageUp;
    case EditKey::kPageDown:
      return ListKey::kPageDown;
    case EditKey::kHome:
      return ListKey::kHome;
    case EditKey::kEnd:
    case EditKey::kEscape:
    case EditKey::kEnter:
      break;
  }
  return ListKey::kEnd;
}

}  // namespace

std::optional<std::u16string> AutocompleteEdit::SetHint(bool on, bool focused) {
  hint_on_ = on;
  if (!on || focused || !text_.empty()) return std::nullopt;
  text_ = hint_;
  return text_;
}

void AutocompleteEdit::OnTextChanged(std::u16string_view text, ScreenRect parent) {
  if (text == text_) return;
  text_.assign(text);
  if (text_.empty()) {
    list_.Hide();
    return;
  }
  list_.Show(candidates_.Match(text_), parent);
}

KeyOutcome AutocompleteEdit::OnKey(EditKey key) {
  KeyOutcome outcome;
  if (!list_.shown()) return outcome;
  outcome.consumed = true;
  switch (key) {
    case EditKey::kEscape:
      list_.Hide();
      break;
    case EditKey::kEnter:
      outcome.accepted = Accept();
      break;
    default:
      outcome.tops = list_.Move(ToListKey(key));
      if (list_.highlight()) outcome.caret = list_.matches()[*list_.highlight()].name.size();
      break;
  }
  return outcome;
}

std::optional<Acceptance> AutocompleteEdit::OnRowClicked(std::size_t row) {
  if (!list_.shown()) return std::nullopt;
  const std::optional<std::size_t> entry = list_.EntryAtRow(row);
  if (!entry) return std::nullopt;
  list_.HoverRow(row);
  list_.BringIntoView(*entry);
  return Accept();
}

std::optional<std::u16string> AutocompleteEdit::OnFocusIn() {
  // Arranging 100 000 names takes longer than a frame; the user is about to type, not yet typing.
  candidates_.Arrange();
  if (!hint_on_ || text_ != hint_) return std::nullopt;
  text_.clear();
  return text_;
}

std::optional<std::u16string> AutocompleteEdit::OnFocusOut() {
  list_.Hide();
  if (!hint_on_ || !text_.empty()) return std::nullopt;
  text_ = hint_;
  return text_;
}

Acceptance AutocompleteEdit::Accept() {
  Acceptance accepted;
  const std::vector<AutocompleteMatch>& matches = list_.matches();
  if (!matches.empty()) {
    const AutocompleteMatch& chosen = matches[list_.highlight().value_or(0)];
    accepted.text.assign(chosen.name);
    accepted.value = chosen.value;
  }
  text_ = accepted.text;
  list_.Hide();
  return accepted;
}

}  // namespace orra
