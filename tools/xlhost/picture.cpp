#include "tools/xlhost/picture.h"

#include <algorithm>
#include <unordered_map>

namespace orra::xlhost {

double DrawnShare(const Picture& picture, const PictureArea& area) {
  if (picture.width <= 0 || picture.height <= 0) return 0;
  const int64_t left = std::clamp<int64_t>(area.left, 0, picture.width);
  const int64_t top = std::clamp<int64_t>(area.top, 0, picture.height);
  const int64_t right = std::clamp<int64_t>(int64_t{area.left} + area.width, left, picture.width);
  const int64_t bottom = std::clamp<int64_t>(int64_t{area.top} + area.height, top, picture.height);
  // A picture whose pixel store is shorter than its size claims is read no further than it goes.
  if (static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) > picture.pixels.size()) return 0;
  const int64_t total = (right - left) * (bottom - top);
  if (total == 0) return 0;
  std::unordered_map<uint32_t, int64_t> counts;
  int64_t dominant = 0;
  for (int64_t y = top; y < bottom; ++y) {
    for (int64_t x = left; x < right; ++x) {
      dominant = std::max(dominant, ++counts[picture.pixels[static_cast<size_t>(y * picture.width + x)]]);
    }
  }
  return static_cast<double>(total - dominant) / static_cast<double>(total);
}

}  // namespace orra::xlhost
