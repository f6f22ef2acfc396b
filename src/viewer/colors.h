// Colour helpers of the views: system colours resolved through the display,
// brightness, and shades in the hue/luminance/saturation model of the Windows
// shell (all three on a 0 to 240 scale).
#pragma once

#include "platform/platform.h"
#include "settings/settings.h"

namespace viewer {

using platform::TColor;

struct THLS {
  int Hue = 0;
  int Luminance = 0;
  int Saturation = 0;
  bool operator==(const THLS&) const = default;
};

inline constexpr int HLSMax = 240;

// RGB (0x00BBGGRR) to HLS and back, with the shell's integer rounding. A grey
// has saturation 0 and hue 160. Out-of-range inputs are clamped.
THLS ColorRGBToHLS(TColor rgb);
TColor ColorHLSToRGB(int hue, int luminance, int saturation);

using settings::ResolveColor;

// Bright when the luma 0.299 R + 0.587 G + 0.114 B exceeds half of 255.
bool IsBrightColor(TColor rgb);

// Black on a bright colour, white on a dark one.
TColor GetWhiteOrBlackColor(TColor color, platform::IDisplay& display);

// The colour with its luminance moved by depth: down for a bright colour, up
// for a dark one. The luminance stays within 0 to 240, so a large depth gives
// black or white rather than a wrapped-around value.
TColor GetSimilarColor(TColor color, int depth, platform::IDisplay& display);

}  // namespace viewer
