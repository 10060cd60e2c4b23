#pragma once
// A picture of a window in memory, and the test that tells a drawn window from an empty one.
//
// Pure values and functions; any thread.

#include <cstdint>
#include <vector>

namespace orra::xlhost {

// Pixels row by row from the top, each 0xRRGGBB.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // width * height of them
};

struct PictureArea {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// A window whose controls were drawn differs from its background colour in at least this share
// of its client area. An empty dialog differs in none: GDI fills a background with one solid
// colour, without noise. The smallest control a dialog of ours holds, a push button of 75 by 23
// pixels, is about 3 % of a 300 by 200 client area, and edits, trees and lists, white on the
// dialog's grey, are far more; a picture that failed (all black) or shows only the background
// stays below 1 %.
inline constexpr double kMinDrawnShare = 0.01;

// The share (0 to 1) of the area's pixels that differ from its most frequent colour; 0 for an
// empty area. The area is clipped to the picture.
double DrawnShare(const Picture& picture, const PictureArea& area);

}  // namespace orra::xlhost
