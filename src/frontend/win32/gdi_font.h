// GDI fonts by face, point size and weight, made once at the screen's density
// and kept until the cache goes.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "platform/canvas.h"
#include "frontend/win32/win32_api.h"

namespace frontend::win32 {

class TFontCache {
 public:
  TFontCache() = default;
  ~TFontCache();
  TFontCache(const TFontCache&) = delete;
  TFontCache& operator=(const TFontCache&) = delete;

  // Never null while the system can make fonts; owned by the cache.
  HFONT Get(const platform::TFont& font);

 private:
  std::map<std::tuple<std::u16string, int, bool>, HFONT> FFonts;
};

// The module's one font cache: the display measures, and the canvases and
// dialogs draw, with the same fonts.
TFontCache& Fonts();

// The font's text width and cell height on dc, which the call leaves as it was.
SIZE MeasureOn(HDC dc, HFONT font, const std::u16string& text);

}  // namespace frontend::win32
