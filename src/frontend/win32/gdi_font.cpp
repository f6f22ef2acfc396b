// The font cache and text measurement shared by the canvas and the display.
#include "frontend/win32/gdi_font.h"

#include <algorithm>

namespace frontend::win32 {

TFontCache::~TFontCache() {
  for (auto& [key, font] : FFonts) DeleteObject(font);
}

HFONT TFontCache::Get(const platform::TFont& font) {
  auto key = std::make_tuple(font.Name, font.Size, font.Bold);
  if (auto found = FFonts.find(key); found != FFonts.end()) return found->second;
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  LOGFONTW logical{};
  // Negative: the character height without internal leading, as point sizes mean.
  logical.lfHeight = -MulDiv(font.Size, dpi, 72);
  logical.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
  logical.lfCharSet = DEFAULT_CHARSET;
  std::size_t length = std::min<std::size_t>(font.Name.size(), LF_FACESIZE - 1);
  std::copy_n(font.Name.begin(), length, logical.lfFaceName);
  HFONT handle = CreateFontIndirectW(&logical);
  if (handle != nullptr) FFonts.emplace(std::move(key), handle);
  return handle;
}

TFontCache& Fonts() {
  static TFontCache cache;
  return cache;
}

SIZE MeasureOn(HDC dc, HFONT font, const std::u16string& text) {
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, Wide(text), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  size.cy = metrics.tmHeight;
  SelectObject(dc, old);
  return size;
}

}  // namespace frontend::win32
