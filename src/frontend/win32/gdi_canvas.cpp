// GDI drawing primitives, the icon sheet and the double buffer.
#include "frontend/win32/gdi_canvas.h"

#include <algorithm>

namespace frontend::win32 {

TIconSheet::TIconSheet() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = platform::IconSize * platform::IconCount;
  info.bmiHeader.biHeight = -platform::IconSize;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  FBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (FBitmap == nullptr) return;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  const int stride = platform::IconSize * platform::IconCount;
  for (int index = 0; index < platform::IconCount; ++index) {
    const std::uint32_t* source = IconPixels(static_cast<platform::TIcon>(index));
    for (int y = 0; y < platform::IconSize; ++y)
      for (int x = 0; x < platform::IconSize; ++x) {
        // AlphaBlend wants premultiplied BGRA; the artwork is straight ARGB.
        std::uint32_t argb = source[y * platform::IconSize + x];
        std::uint32_t a = argb >> 24;
        auto channel = [&](int shift) { return (((argb >> shift) & 0xFFu) * a + 127) / 255; };
        pixels[y * stride + index * platform::IconSize + x] = a << 24 | channel(16) << 16 | channel(8) << 8 | channel(0);
      }
  }
  FDC = CreateCompatibleDC(nullptr);
  FOldBitmap = SelectObject(FDC, FBitmap);
}

TIconSheet::~TIconSheet() {
  if (FDC != nullptr) {
    SelectObject(FDC, FOldBitmap);
    DeleteDC(FDC);
  }
  if (FBitmap != nullptr) DeleteObject(FBitmap);
}

void TIconSheet::Draw(HDC dc, int x, int y, platform::TIcon icon) const {
  if (FDC == nullptr) return;
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, x, y, platform::IconSize, platform::IconSize, FDC, static_cast<int>(icon) * platform::IconSize, 0, platform::IconSize, platform::IconSize, blend);
}

TGdiCanvas::TGdiCanvas(HDC dc, TFontCache& fonts, const TIconSheet& icons)
    : FDC(dc), FFonts(fonts), FIcons(icons), FSavedState(SaveDC(dc)) {
  SetBkMode(FDC, TRANSPARENT);
  SetTextAlign(FDC, TA_LEFT | TA_TOP | TA_NOUPDATECP);
}

TGdiCanvas::~TGdiCanvas() { RestoreDC(FDC, FSavedState); }

void TGdiCanvas::FillRect(const platform::TRect& rect, platform::TColor color) {
  if (rect.IsEmpty()) return;
  // ExtTextOut with an opaque rectangle fills without making a brush.
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  SetBkColor(FDC, ToColorRef(color));
  ExtTextOutW(FDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void TGdiCanvas::FrameRect(const platform::TRect& rect, platform::TColor color) {
  if (rect.IsEmpty()) return;
  FillRect({rect.Left, rect.Top, rect.Right, rect.Top + 1}, color);
  FillRect({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, color);
  FillRect({rect.Left, rect.Top, rect.Left + 1, rect.Bottom}, color);
  FillRect({rect.Right - 1, rect.Top, rect.Right, rect.Bottom}, color);
}

void TGdiCanvas::HorzLine(int x1, int x2, int y, platform::TColor color, bool dotted) {
  if (!dotted) return FillRect({x1, y, x2, y + 1}, color);
  COLORREF c = ToColorRef(color);
  for (int x = platform::FirstDot(x1, y); x < x2; x += 2) SetPixelV(FDC, x, y, c);
}

void TGdiCanvas::VertLine(int x, int y1, int y2, platform::TColor color, bool dotted) {
  if (!dotted) return FillRect({x, y1, x + 1, y2}, color);
  COLORREF c = ToColorRef(color);
  for (int y = platform::FirstDot(y1, x); y < y2; y += 2) SetPixelV(FDC, x, y, c);
}

void TGdiCanvas::DrawText(int x, int y, const std::u16string& text, const platform::TFont& font, platform::TColor color,
                          const platform::TRect& clip) {
  if (text.empty() || clip.IsEmpty()) return;
  HGDIOBJ old = SelectObject(FDC, FFonts.Get(font));
  SetTextColor(FDC, ToColorRef(color));
  RECT r{clip.Left, clip.Top, clip.Right, clip.Bottom};
  ExtTextOutW(FDC, x, y, ETO_CLIPPED, &r, Wide(text), static_cast<UINT>(text.size()), nullptr);
  SelectObject(FDC, old);
}

void TGdiCanvas::DrawIcon(int x, int y, platform::TIcon icon) { FIcons.Draw(FDC, x, y, icon); }

void TGdiCanvas::PushClip(const platform::TRect& rect) {
  FClipStates.push_back(SaveDC(FDC));
  IntersectClipRect(FDC, rect.Left, rect.Top, std::max(rect.Left, rect.Right), std::max(rect.Top, rect.Bottom));
}

void TGdiCanvas::PopClip() {
  if (FClipStates.empty()) return;
  RestoreDC(FDC, FClipStates.back());
  FClipStates.pop_back();
}

TDoubleBuffer::TDoubleBuffer(HDC target, const RECT& update) : FTarget(target), FUpdate(update) {
  int width = std::max<LONG>(1, update.right - update.left);
  int height = std::max<LONG>(1, update.bottom - update.top);
  FDC = CreateCompatibleDC(target);
  FBitmap = CreateCompatibleBitmap(target, width, height);
  FOldBitmap = SelectObject(FDC, FBitmap);
  SetViewportOrgEx(FDC, -update.left, -update.top, nullptr);
}

TDoubleBuffer::~TDoubleBuffer() {
  SetViewportOrgEx(FDC, 0, 0, nullptr);
  BitBlt(FTarget, FUpdate.left, FUpdate.top, FUpdate.right - FUpdate.left, FUpdate.bottom - FUpdate.top, FDC, 0, 0,
         SRCCOPY);
  SelectObject(FDC, FOldBitmap);
  DeleteObject(FBitmap);
  DeleteDC(FDC);
}

}  // namespace frontend::win32
