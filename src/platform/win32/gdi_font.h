// A GDI font made from a face name and a point size at the screen's density,
// deleted when it goes.
#pragma once

#include <string>

#include "platform/win32/win32_api.h"

namespace platform::win32 {

class TScreenFont {
 public:
  TScreenFont(HDC dc, const std::u16string& name, int pointSize, bool bold) {
    LOGFONTW font{};
    // Negative: the character height without internal leading, as point sizes mean.
    font.lfHeight = -MulDiv(pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    std::size_t length = std::min<std::size_t>(name.size(), LF_FACESIZE - 1);
    for (std::size_t i = 0; i < length; ++i) font.lfFaceName[i] = static_cast<wchar_t>(name[i]);
    FHandle = CreateFontIndirectW(&font);
  }
  ~TScreenFont() {
    if (FHandle != nullptr) DeleteObject(FHandle);
  }
  TScreenFont(const TScreenFont&) = delete;
  TScreenFont& operator=(const TScreenFont&) = delete;
  HFONT Handle() const { return FHandle; }

 private:
  HFONT FHandle = nullptr;
};

}  // namespace platform::win32
