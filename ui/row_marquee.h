#pragma once
// The marquee of a list row whose text is wider than the row: while the same entry stays
// highlighted, each tick starts the drawing one character further in, until what is left of the
// text fits the row with a margin to spare; moving the highlight starts it over from the first
// character. Widths come from the caller (the view measures in its font), so this stays portable.
//
// Not synchronised; the thread that owns the list uses it.

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace orra {

// The width in pixels the view would draw the text with.
using TextWidth = std::function<int(std::u16string_view text)>;

class RowMarquee {
 public:
  // Room kept free at the row's end once the marquee stops.
  static constexpr int kMarginPixels = 10;

  void Restart(std::optional<std::size_t> entry);

  // One tick with `highlighted` the entry highlighted now and `text` its text. True when the
  // drawing start moved, so the row needs drawing again.
  bool Tick(std::optional<std::size_t> highlighted, std::u16string_view text, int row_width, const TextWidth& width);

  // The code unit the entry's text is drawn from; 0 for every other entry.
  std::size_t OffsetFor(std::size_t entry) const { return entry_ == entry ? offset_ : 0; }

 private:
  std::optional<std::size_t> entry_;
  std::size_t offset_ = 0;
};

}  // namespace orra
