#pragma once
// The choice list of a parameter: items ended by "|", each "display#value#x#y". Only display
// and value are read by anyone; the other two subfields are kept as the terminal wrote them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orra {

struct ChoiceItem {
  static constexpr size_t kMaxChars = 63;
  std::array<std::u16string, 4> subfields;  // display, value, and two unread texts
  const std::u16string& display() const { return subfields[0]; }
  const std::u16string& value() const { return subfields[1]; }
};

using ChoiceList = std::vector<ChoiceItem>;

inline constexpr size_t kAllChoices = SIZE_MAX;

// Parses `text` (GBK), up to `max_items` items (a parameter's default needs only the first). A
// list shorter than 2 bytes has no items; text after the last "|" is not an item; an empty item
// ends the list.
ChoiceList ParseChoiceList(std::span<const uint8_t> text, size_t max_items = kAllChoices);

}  // namespace orra
