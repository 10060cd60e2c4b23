#include "ui/autocomplete_list.h"

namespace orra {

void AutocompleteList::Show(std::vector<AutocompleteMatch> matches, ScreenRect parent) {
  matches_ = std::move(matches);
  highlight_.reset();
  marquee_.Restart(std::nullopt);
  // A new search starts at its first match; keeping the previous search's scroll position
  // would open the list in the middle of unrelated names.
  top_ = 0;
  shown_ = !matches_.empty();
  parent_ = parent;
}

void AutocompleteList::Hide() {
  shown_ = false;
  highlight_.reset();
  marquee_.Restart(std::nullopt);
}

std::vector<std::size_t> AutocompleteList::Move(ListKey key) {
  if (!shown_ || matches_.empty()) return {};
  const std::size_t last = matches_.size() - 1;
  std::size_t target = 0;
  switch (key) {
    case ListKey::kUp:
      target = !highlight_ || *highlight_ == 0 ? last : *highlight_ - 1;
      break;
    case ListKey::kDown:
      target = !highlight_ || *highlight_ == last ? 0 : *highlight_ + 1;
      break;
    case ListKey::kPageUp:
      target = highlight_ && *highlight_ > kPageRows ? *highlight_ - kPageRows : 0;
      break;
    case ListKey::kPageDown:
      target = std::min(highlight_ ? *highlight_ + kPageRows : kPageRows - 1, last);
      break;
    case ListKey::kHome:
      target = 0;
      break;
    case ListKey::kEnd:
      target = last;
      break;
  }
  highlight_ = target;
  marquee_.Restart(highlight_);
  return BringIntoView(target);
}

std::vector<std::size_t> AutocompleteList::BringIntoView(std::size_t entry) {
  std::vector<std::size_t> tops;
  if (entry >= matches_.size()) return tops;
  while (entry >= top_ + kPageRows && top_ < LastTop()) tops.push_back(++top_);
  while (entry < top_) tops.push_back(--top_);
  return tops;
}

std::optional<std::size_t> AutocompleteList::EntryAtRow(std::size_t row) const {
  if (row >= kPageRows || top_ + row >= matches_.size()) return std::nullopt;
  return top_ + row;
}

bool AutocompleteList::HoverRow(std::size_t row) {
  const std::optional<std::size_t> entry = EntryAtRow(row);
  if (!entry || entry == highlight_) return false;
  highlight_ = entry;
  marquee_.Restart(highlight_);
  return true;
}

bool AutocompleteList::Scroll(ScrollAction action, std::size_t thumb) {
  const std::size_t before = top_;
  switch (action) {
    case ScrollAction::kLineUp:
      top_ = top_ > 0 ? top_ - 1 : 0;
      break;
    case ScrollAction::kLineDown:
      top_ = top_ + 1;
      break;
    case ScrollAction::kPageUp:
      top_ = top_ > kPageRows ? top_ - kPageRows : 0;
      break;
    case ScrollAction::kPageDown:
      top_ = top_ + kPageRows;
      break;
    case ScrollAction::kTop:
      top_ = 0;
      break;
    case ScrollAction::kBottom:
      top_ = LastTop();
      break;
    case ScrollAction::kThumb:
      top_ = thumb;
      break;
  }
  top_ = std::min(top_, LastTop());
  return top_ != before;
}

bool AutocompleteList::TickMarquee(int row_width, const TextWidth& width) {
  if (!shown_) return false;
  const std::u16string_view text = highlight_ ? matches_[*highlight_].name : std::u16string_view();
  return marquee_.Tick(highlight_, text, row_width, width);
}

bool AutocompleteList::HideIfParentMoved(ScreenRect parent) {
  if (!shown_ || parent == parent_) return false;
  Hide();
  return true;
}

}  // namespace orra
