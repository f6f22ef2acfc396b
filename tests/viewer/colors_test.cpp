// The HLS model against values the shell's colour functions give, and the
// direction and limits of the shading built on it.
#include "viewer/colors.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "settings/settings.h"

namespace viewer {
namespace {

using settings::RGB;

TEST(Colors, RGBToHLSMatchesTheShellScale) {
  struct {
    const char* Label;
    TColor Rgb;
    THLS Hls;
    TColor Back;  // the shell truncates greys on the way back
  } cases[] = {
      {"red", RGB(255, 0, 0), {0, 120, 240}, RGB(255, 0, 0)},
      {"green", RGB(0, 255, 0), {80, 120, 240}, RGB(0, 255, 0)},
      {"blue", RGB(0, 0, 255), {160, 120, 240}, RGB(0, 0, 255)},
      {"white", RGB(255, 255, 255), {160, 240, 0}, RGB(255, 255, 255)},
      {"black", RGB(0, 0, 0), {160, 0, 0}, RGB(0, 0, 0)},
      {"mid grey", RGB(128, 128, 128), {160, 120, 0}, RGB(127, 127, 127)},
      {"pale yellow", RGB(255, 255, 128), {40, 180, 240}, RGB(255, 255, 128)},
      {"navy", RGB(0, 0, 128), {160, 60, 240}, RGB(0, 0, 128)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(ColorRGBToHLS(c.Rgb), c.Hls);
    EXPECT_EQ(ColorHLSToRGB(c.Hls.Hue, c.Hls.Luminance, c.Hls.Saturation), c.Back);
  }
}

TEST(Colors, BrightnessSplitsAtHalfLuma) {
  platform::fake::TFakeDisplay display;
  struct {
    TColor Color;
    TColor Contrast;
  } cases[] = {
      {RGB(127, 127, 127), RGB(255, 255, 255)},  // luma 127: dark
      {RGB(128, 128, 128), RGB(0, 0, 0)},        // luma 128: bright
      {RGB(255, 255, 0), RGB(0, 0, 0)},
      {RGB(0, 0, 255), RGB(255, 255, 255)},
      {settings::SysColor(13), RGB(255, 255, 255)},  // the fake's highlight, 0xD77800, is dark
      {settings::SysColor(5), RGB(0, 0, 0)},         // its window colour is white
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Color);
    EXPECT_EQ(GetWhiteOrBlackColor(c.Color, display), c.Contrast);
  }
}

TEST(Colors, SimilarColorDarkensBrightAndLightensDark) {
  platform::fake::TFakeDisplay display;
  struct {
    const char* Label;
    TColor Color;
    int Depth;
    TColor Expected;
  } cases[] = {
      {"white window background, faint", settings::SysColor(5), 14, RGB(240, 240, 240)},
      {"pale yellow selection, strong", RGB(255, 255, 128), 90, RGB(191, 191, 0)},
      {"black gets lighter", RGB(0, 0, 0), 14, RGB(14, 14, 14)},
      {"navy gets lighter", RGB(0, 0, 128), 90, RGB(64, 64, 255)},
      // A bright colour darker than the depth stops at black instead of wrapping.
      {"luminance cannot go below 0", RGB(180, 180, 0), 90, RGB(0, 0, 0)},
      {"luminance cannot go above 240", RGB(100, 100, 100), 200, RGB(255, 255, 255)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(GetSimilarColor(c.Color, c.Depth, display), c.Expected);
  }
}

TEST(Colors, SystemColoursAreLookedUpAtEachCall) {
  platform::fake::TFakeDisplay display;
  EXPECT_EQ(ResolveColor(settings::SysColor(16), display), 0xA0A0A0u);
  display.SysColors[16] = 0x123456;
  EXPECT_EQ(ResolveColor(settings::SysColor(16), display), 0x123456u);
  EXPECT_EQ(ResolveColor(RGB(1, 2, 3), display), RGB(1, 2, 3));
}

}  // namespace
}  // namespace viewer
