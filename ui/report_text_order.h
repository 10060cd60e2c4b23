#pragma once
// The order a report list sorts a column in. Texts shaped like numbers (digits with "," and
// "%", an optional leading "-", up to a "." or 26 characters) order by the length of that
// leading part first, so 9 comes before 10 and security codes of equal width order by their
// digits and then their suffix; every other pair orders as text with A-Z folded to a-z.
//
// A pure function; any thread.

#include <string_view>

namespace orra {

// Negative when `a` orders before `b`, 0 when they are equal, positive when after.
int CompareReportTexts(std::u16string_view a, std::u16string_view b);

}  // namespace orra
