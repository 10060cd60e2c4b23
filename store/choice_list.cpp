#include "store/choice_list.h"

#include <string_view>

#include "store/gbk_text.h"

namespace orra {

ChoiceList ParseChoiceList(std::span<const uint8_t> bytes, size_t max_items) {
  ChoiceList items;
  if (bytes.size() < 2) return items;
  std::string_view rest(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  for (size_t bar = rest.find('|'); bar != std::string_view::npos && items.size() < max_items; bar = rest.find('|')) {
    const std::string_view item = rest.substr(0, bar);
    rest.remove_prefix(bar + 1);
    if (item.empty()) break;
    ChoiceItem parsed;
    std::string_view subfields = item;
    for (size_t k = 0; k < parsed.subfields.size() && !subfields.empty(); ++k) {
      const size_t hash = subfields.find('#');
      const std::string_view part = subfields.substr(0, hash);
      parsed.subfields[k] = WideOfGbk(FieldText(part.data(), part.size()), ChoiceItem::kMaxChars);
      subfields = hash == std::string_view::npos ? std::string_view() : subfields.substr(hash + 1);
    }
    items.push_back(std::move(parsed));
  }
  return items;
}

}  // namespace orra
