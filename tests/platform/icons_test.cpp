// The generated tree icons: each is drawn, and no two are the same picture.
#include "platform/icons.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

constexpr int PixelCount = IconSize * IconSize;

std::uint32_t Alpha(std::uint32_t pixel) { return pixel >> 24; }

TEST(Icons, EachIconIsDrawnWithinItsSquareAndTheSeventeenDiffer) {
  std::vector<std::vector<std::uint32_t>> seen;
  for (int i = 0; i < IconCount; ++i) {
    SCOPED_TRACE(i);
    const std::uint32_t* pixels = IconPixels(static_cast<TIcon>(i));
    ASSERT_NE(pixels, nullptr);
    int opaque = static_cast<int>(std::count_if(pixels, pixels + PixelCount, [](auto p) { return Alpha(p) == 255; }));
    // A motif fills much of its square but leaves the corners clear.
    EXPECT_GT(opaque, PixelCount / 3);
    EXPECT_EQ(Alpha(pixels[0]), 0u);
    EXPECT_EQ(Alpha(pixels[PixelCount - 1]), 0u);
    // Straight alpha: a fully transparent pixel carries no colour.
    for (int p = 0; p < PixelCount; ++p) {
      if (Alpha(pixels[p]) == 0) {
        EXPECT_EQ(pixels[p], 0u) << p;
      }
    }
    std::vector<std::uint32_t> bitmap(pixels, pixels + PixelCount);
    EXPECT_EQ(std::find(seen.begin(), seen.end(), bitmap), seen.end()) << "same picture as an earlier icon";
    seen.push_back(std::move(bitmap));
  }
}

}  // namespace
}  // namespace platform
