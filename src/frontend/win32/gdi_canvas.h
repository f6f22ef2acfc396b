// ICanvas over a GDI device context, and the double buffer a window paints
// through: the core draws into a memory bitmap of the update rectangle, which
// is copied to the screen in one go, so a repaint never flickers.
#pragma once

#include <vector>

#include "platform/canvas.h"
#include "frontend/win32/gdi_font.h"
#include "frontend/win32/win32_api.h"

namespace frontend::win32 {

// The 17 icons as premultiplied 32-bit bitmaps in a memory DC, made once.
class TIconSheet {
 public:
  TIconSheet();
  ~TIconSheet();
  TIconSheet(const TIconSheet&) = delete;
  TIconSheet& operator=(const TIconSheet&) = delete;
  // Blends the icon onto dc with its top-left corner at (x, y).
  void Draw(HDC dc, int x, int y, platform::TIcon icon) const;

 private:
  HDC FDC = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
};

// Draws in client coordinates onto dc, in the resolved colours the core hands
// it (see ICanvas).
class TGdiCanvas : public platform::ICanvas {
 public:
  TGdiCanvas(HDC dc, TFontCache& fonts, const TIconSheet& icons);
  ~TGdiCanvas() override;

  void FillRect(const platform::TRect& rect, platform::TColor color) override;
  void FrameRect(const platform::TRect& rect, platform::TColor color) override;
  void HorzLine(int x1, int x2, int y, platform::TColor color, bool dotted) override;
  void VertLine(int x, int y1, int y2, platform::TColor color, bool dotted) override;
  void DrawText(int x, int y, const std::u16string& text, const platform::TFont& font, platform::TColor color,
                const platform::TRect& clip) override;
  void DrawIcon(int x, int y, platform::TIcon icon) override;
  void PushClip(const platform::TRect& rect) override;
  void PopClip() override;

 private:
  HDC FDC;
  TFontCache& FFonts;
  const TIconSheet& FIcons;
  int FSavedState;
  std::vector<int> FClipStates;  // SaveDC levels, innermost last
};

// A memory bitmap over update of window's client area, its origin moved so the
// canvas draws in client coordinates; the destructor copies it to target.
class TDoubleBuffer {
 public:
  TDoubleBuffer(HDC target, const RECT& update);
  ~TDoubleBuffer();
  TDoubleBuffer(const TDoubleBuffer&) = delete;
  TDoubleBuffer& operator=(const TDoubleBuffer&) = delete;
  HDC DC() const { return FDC; }

 private:
  HDC FTarget;
  RECT FUpdate;
  HDC FDC = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
};

}  // namespace frontend::win32
