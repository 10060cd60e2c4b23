#pragma once
// What the autocomplete edit's drop-down list shows: the matches, which one is highlighted, the
// first visible row, and whether it is shown at all. It answers the list's keys, the mouse and
// the scroll bar; the Win32 view draws it and turns the answers into window calls.
//
// At most kPageRows rows are visible; with more matches than that the view adds a scroll bar,
// whose top position stays within 0..count-kPageRows. Moving the highlight out of view scrolls
// row by row, and the caller gets every top index on the way so that it can draw each step.
//
// Not synchronised; the thread that owns the edit uses it.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "ui/autocomplete_candidates.h"
#include "ui/row_marquee.h"

namespace orra {

// A window's rectangle in screen coordinates, as the view reads it.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;

  bool operator==(const ScreenRect&) const = default;
};

enum class ListKey { kUp, kDown, kPageUp, kPageDown, kHome, kEnd };

enum class ScrollAction { kLineUp, kLineDown, kPageUp, kPageDown, kTop, kBottom, kThumb };

class AutocompleteList {
 public:
  static constexpr std::size_t kPageRows = 6;

  // Shows `matches` from the first, nothing highlighted; an empty list stays hidden. `parent` is
  // where the edit's parent window is now: the list hides once it is elsewhere.
  void Show(std::vector<AutocompleteMatch> matches, ScreenRect parent);
  // Hiding forgets the highlight; the matches stay until the next Show.
  void Hide();

  bool shown() const { return shown_; }
  const std::vector<AutocompleteMatch>& matches() const { return matches_; }
  std::optional<std::size_t> highlight() const { return highlight_; }
  std::size_t top() const { return top_; }
  std::size_t VisibleRows() const { return std::min(matches_.size(), kPageRows); }
  bool ScrollBarShown() const { return matches_.size() > kPageRows; }
  std::size_t LastTop() const { return matches_.size() > kPageRows ? matches_.size() - kPageRows : 0; }

  // Moves the highlight (Up and Down wrap; from no highlight Down goes to the first entry, Up
  // to the last, Page Down to the sixth and Page Up to the first), restarts the marquee, and
  // answers the top indices the list passes through to bring the entry into view. Nothing
  // happens while the list is hidden or empty.
  std::vector<std::size_t> Move(ListKey key);

  // Scrolls row by row until `entry` is visible; answers each top index on the way.
  std::vector<std::size_t> BringIntoView(std::size_t entry);

  // The entry drawn in visible row `row` (0 = the top row), if any.
  std::optional<std::size_t> EntryAtRow(std::size_t row) const;

  // Highlights the entry at `row` when there is one; true when the highlight changed.
  bool HoverRow(std::size_t row);

  // The scroll bar; `thumb` is the position for kThumb. True when the top index changed.
  bool Scroll(ScrollAction action, std::size_t thumb = 0);

  // One tick of the highlighted entry's marquee; true when its row needs drawing again.
  bool TickMarquee(int row_width, const TextWidth& width);
  std::size_t MarqueeOffset(std::size_t entry) const { return marquee_.OffsetFor(entry); }

  // Hides the list when the edit's parent window no longer has the rectangle it had when the
  // list was shown; true when that hid it.
  bool HideIfParentMoved(ScreenRect parent);

 private:
  std::vector<AutocompleteMatch> matches_;
  std::optional<std::size_t> highlight_;
  std::size_t top_ = 0;
  bool shown_ = false;
  RowMarquee marquee_;
  ScreenRect parent_;
};

}  // namespace orra
