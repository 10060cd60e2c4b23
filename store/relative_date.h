#pragma once
// The relative-date codes of a date parameter's default ("-1010" is ten days before the day of
// loading): resolved once, when the store loads, into a yyyymmdd text.

#include <string>
#include <string_view>

#include "common/clock.h"

namespace orra {

// The default's value on the day `now`: a code becomes the local date now + offset days as
// eight digits; any other text stays as it is.
std::u16string ResolveRelativeDate(std::u16string_view default_text, const LocalDateTime& now);

}  // namespace orra
