#include "ui/row_marquee.h"

namespace orra {
namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

void RowMarquee::Restart(std::optional<std::size_t> entry) {
  entry_ = entry;
  offset_ = 0;
}

bool RowMarquee::Tick(std::optional<std::size_t> highlighted, std::u16string_view text, int row_width,
                      const TextWidth& width) {
  if (highlighted != entry_) {
    Restart(highlighted);
    return false;
  }
  if (!entry_ || offset_ >= text.size() || width(text) <= row_width) return false;
  if (width(text.substr(offset_)) <= row_width - kMarginPixels) return false;
  // A character outside the basic plane is two units; drawing from its second half would show
  // a broken glyph.
  const bool pair = offset_ + 1 < text.size() && IsHighSurrogate(text[offset_]) && IsLowSurrogate(text[offset_ + 1]);
  offset_ += pair ? 2 : 1;
  return true;
}

}  // namespace orra
