// The HLS conversion follows the integer arithmetic of the shell's
// ColorRGBToHLS / ColorHLSToRGB so shades match what users know from Windows.
#include "viewer/colors.h"

#include <algorithm>

namespace viewer {

namespace {

constexpr int RGBMax = 255;
constexpr int UndefinedHue = HLSMax * 2 / 3;  // the hue of a grey

int Red(TColor c) { return static_cast<int>(c & 0xFF); }
int Green(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

TColor MakeRGB(int r, int g, int b) {
  auto channel = [](int v) { return static_cast<TColor>(std::clamp(v, 0, RGBMax)); };
  return channel(r) | (channel(g) << 8) | (channel(b) << 16);
}

// One channel of the hue wheel between the two magic values, on the 0-240 scale.
int HueToChannel(int low, int high, int hue) {
  if (hue < 0) hue += HLSMax;
  if (hue > HLSMax) hue -= HLSMax;
  if (hue < HLSMax / 6) return low + ((high - low) * hue + HLSMax / 12) / (HLSMax / 6);
  if (hue < HLSMax / 2) return high;
  if (hue < HLSMax * 2 / 3) return low + ((high - low) * (HLSMax * 2 / 3 - hue) + HLSMax / 12) / (HLSMax / 6);
  return low;
}

}  // namespace

THLS ColorRGBToHLS(TColor rgb) {
  int r = Red(rgb), g = Green(rgb), b = Blue(rgb);
  int high = std::max({r, g, b});
  int low = std::min({r, g, b});
  THLS hls;
  hls.Luminance = ((high + low) * HLSMax + RGBMax) / (2 * RGBMax);
  if (high == low) {
    hls.Hue = UndefinedHue;
    return hls;
  }
  int range = high - low;
  int sum = high + low;
  if (hls.Luminance <= HLSMax / 2)
    hls.Saturation = (range * HLSMax + sum / 2) / sum;
  else
    hls.Saturation = (range * HLSMax + (2 * RGBMax - sum) / 2) / (2 * RGBMax - sum);
  auto delta = [&](int c) { return ((high - c) * (HLSMax / 6) + range / 2) / range; };
  int rd = delta(r), gd = delta(g), bd = delta(b);
  int hue;
  if (r == high)
    hue = bd - gd;
  else if (g == high)
    hue = HLSMax / 3 + rd - bd;
  else
    hue = HLSMax * 2 / 3 + gd - rd;
  if (hue < 0) hue += HLSMax;
  if (hue > HLSMax) hue -= HLSMax;
  hls.Hue = hue;
  return hls;
}

TColor ColorHLSToRGB(int hue, int luminance, int saturation) {
  hue = std::clamp(hue, 0, HLSMax);
  luminance = std::clamp(luminance, 0, HLSMax);
  saturation = std::clamp(saturation, 0, HLSMax);
  if (saturation == 0) {
    int grey = luminance * RGBMax / HLSMax;
    return MakeRGB(grey, grey, grey);
  }
  int high = luminance <= HLSMax / 2 ? (luminance * (HLSMax + saturation) + HLSMax / 2) / HLSMax
                                     : luminance + saturation - (luminance * saturation + HLSMax / 2) / HLSMax;
  int low = 2 * luminance - high;
  auto channel = [&](int h) { return (HueToChannel(low, high, h) * RGBMax + HLSMax / 2) / HLSMax; };
  return MakeRGB(channel(hue + HLSMax / 3), channel(hue), channel(hue - HLSMax / 3));
}

bool IsBrightColor(TColor rgb) {
  double luma = 0.299 * Red(rgb) + 0.587 * Green(rgb) + 0.114 * Blue(rgb);
  return 1.0 - luma / 255.0 < 0.5;
}

TColor GetWhiteOrBlackColor(TColor color, platform::IDisplay& display) {
  return IsBrightColor(ResolveColor(color, display)) ? MakeRGB(0, 0, 0) : MakeRGB(255, 255, 255);
}

TColor GetSimilarColor(TColor color, int depth, platform::IDisplay& display) {
  TColor rgb = ResolveColor(color, display);
  THLS hls = ColorRGBToHLS(rgb);
  int luminance = IsBrightColor(rgb) ? hls.Luminance - depth : hls.Luminance + depth;
  return ColorHLSToRGB(hls.Hue, luminance, hls.Saturation);
}

}  // namespace viewer
