// The display options of one viewer window, with their factory defaults.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace settings {

using platform::TColor;

// A colour with the high byte 0xFF names a system colour by its low byte.
constexpr TColor SysColor(std::uint8_t index) { return 0xFF000000u | index; }
constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return r | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}

struct THexSettings {
  bool Show = true;
  std::uint8_t StringSize = 8;  // bytes per row: 8 or 16
  std::u16string FontName = u"Courier New";
  std::int32_t FontSize = 10;
  TColor Background = RGB(255, 251, 240);
  TColor FocusColor = RGB(0, 255, 255);
  TColor LineColor = RGB(128, 128, 128);
  TColor HexColor = RGB(0, 0, 0);
  TColor TagColor = RGB(255, 0, 0);
  TColor LenColor = RGB(0, 0, 255);
  TColor UBitsColor = RGB(255, 0, 255);
  TColor SelColor = RGB(255, 255, 128);
  // Background of the octets the DER checks find fault with.
  TColor DerColor = RGB(255, 192, 192);
  // Background of the octets of an element that differs from the compared file's.
  TColor ChangedColor = RGB(255, 222, 160);
  TColor OnlyHereColor = RGB(240, 204, 255);
  TColor TextColor = RGB(0, 96, 0);
  bool LineDotted = true;
  bool operator==(const THexSettings&) const = default;
};

struct TSettings {
  bool ShowAttributes = true;
  bool ShowIcons = true;
  std::u16string FontName = u"Tahoma";
  std::int32_t FontSize = 10;
  std::int32_t Indent = 18;
  TColor BackgroundColor = SysColor(5);
  TColor FocusColor = SysColor(13);
  TColor ConstructedColor = RGB(0, 0, 128);
  TColor PrimitiveColor = RGB(0, 0, 255);
  TColor AttribColor = RGB(128, 0, 0);
  TColor ValueColor = RGB(128, 0, 128);
  TColor HexColor = RGB(128, 128, 128);
  TColor LineColor = SysColor(16);
  bool LineDotted = true;
  bool SpaceInHex = true;
  // Field names from the standards' schemas before the tag names, in NameColor.
  bool FieldNames = true;
  TColor NameColor = RGB(0, 128, 128);
  // The DER checks, and the caption colour of the rows they find fault with.
  bool DerChecks = true;
  TColor DerColor = RGB(220, 0, 0);
  // Compared with another file: the captions of elements whose values changed,
  // of elements only here, and of the rows of elements only there.
  TColor ChangedColor = RGB(224, 112, 0);
  TColor OnlyHereColor = RGB(176, 0, 176);
  TColor OnlyThereColor = RGB(0, 144, 0);
  THexSettings Hex;
  bool operator==(const TSettings&) const = default;
};

// The factory defaults.
inline const TSettings DefaultSettings{};

constexpr bool IsSysColor(TColor color) { return (color >> 24) == 0xFF; }
constexpr int SysColorIndex(TColor color) { return static_cast<int>(color & 0xFF); }

// A colour as 0x00BBGGRR: a system colour (0xFFnnnnnn) becomes the display's
// current value for it; any other keeps its low 24 bits.
TColor ResolveColor(TColor color, platform::IDisplay& display);

// Fills settings from the INI file that GetIniFileName names, each field from its
// key or its default, then loads the language the file names (without force). A
// file that exists but cannot be read gives DefaultSettings and loads no language.
void LoadSettings(platform::TPlatform& platform, TSettings& settings);

// Writes the language file name and every field into that INI file, keeping the
// file's other sections and keys. A save that fails leaves the old file as it was
// and reports nothing.
void SaveSettings(platform::TPlatform& platform, const TSettings& settings);

}  // namespace settings
