#include "tools/xlhost/picture.h"

#include <gtest/gtest.h>

namespace orra::xlhost {
namespace {

constexpr uint32_t kGrey = 0xF0F0F0;
constexpr uint32_t kWhite = 0xFFFFFF;

Picture Filled(int32_t width, int32_t height, uint32_t colour) {
  return Picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), colour)};
}

TEST(PictureTest, DrawnShareCountsWhatDiffersFromTheMostFrequentColour) {
  Picture picture = Filled(10, 10, kGrey);
  EXPECT_EQ(DrawnShare(picture, {0, 0, 10, 10}), 0) << "an empty dialog";
  // A white box of 4 by 5 on grey, and one black pixel.
  for (int y = 2; y < 7; ++y) {
    for (int x = 3; x < 7; ++x) picture.pixels[static_cast<size_t>(y * 10 + x)] = kWhite;
  }
  picture.pixels[0] = 0;
  EXPECT_DOUBLE_EQ(DrawnShare(picture, {0, 0, 10, 10}), 0.21);
  // The dominant colour is whichever covers most, white inside the box.
  EXPECT_DOUBLE_EQ(DrawnShare(picture, {3, 2, 4, 5}), 0);
  EXPECT_DOUBLE_EQ(DrawnShare(picture, {2, 2, 5, 5}), 5.0 / 25.0);
}

TEST(PictureTest, TheAreaIsClippedAndABadPictureReadsAsNothingDrawn) {
  Picture picture = Filled(4, 4, kGrey);
  picture.pixels[15] = kWhite;
  EXPECT_DOUBLE_EQ(DrawnShare(picture, {2, 2, 100, 100}), 0.25) << "clipped to the 2 by 2 corner";
  EXPECT_EQ(DrawnShare(picture, {-10, -10, 5, 5}), 0) << "wholly outside";
  EXPECT_EQ(DrawnShare(picture, {0, 0, 0, 0}), 0);
  picture.pixels.resize(10);
  EXPECT_EQ(DrawnShare(picture, {0, 0, 4, 4}), 0) << "fewer pixels than the size claims";
  EXPECT_EQ(DrawnShare(Picture{-3, 4, {}}, {0, 0, 4, 4}), 0);
}

}  // namespace
}  // namespace orra::xlhost
