#pragma once
// PNG files of pictures: 8-bit RGB, no interlacing, every row filtered with None and the whole
// deflated at once, which is all a screenshot needs.
//
// Pure functions; any thread.

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/xlhost/picture.h"

namespace orra::xlhost {

// The PNG file of the picture; none when it is empty or its pixels do not match its size.
std::optional<std::vector<uint8_t>> EncodePng(const Picture& picture);

}  // namespace orra::xlhost
