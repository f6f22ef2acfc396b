// The GDI canvas drawing into a bitmap whose pixels the test reads back.
#include <gtest/gtest.h>

#include <functional>

#include "frontend/win32/gdi_canvas.h"
#include "frontend/win32/win32_services.h"

namespace frontend::win32 {
namespace {

constexpr int Width = 64;
constexpr int Height = 32;
constexpr std::uint32_t Paper = 0x00FFFFFF;  // 0x00BBGGRR

// A top-down 32-bit bitmap in a memory DC, cleared to white.
class TBitmap {
 public:
  TBitmap() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), Width, -Height, 1, 32, BI_RGB};
    FBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
    FDC = CreateCompatibleDC(nullptr);
    FOld = SelectObject(FDC, FBitmap);
    for (int i = 0; i < Width * Height; ++i) FBits[i] = 0x00FFFFFF;
  }
  ~TBitmap() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
    DeleteObject(FBitmap);
  }
  HDC DC() const { return FDC; }
  // As 0x00BBGGRR, the canvas's own colour order.
  std::uint32_t At(int x, int y) const {
    GdiFlush();
    std::uint32_t bgra = FBits[y * Width + x] & 0x00FFFFFF;
    return (bgra & 0xFF) << 16 | (bgra & 0xFF00) | (bgra >> 16 & 0xFF);
  }

 private:
  HBITMAP FBitmap = nullptr;
  std::uint32_t* FBits = nullptr;
  HDC FDC = nullptr;
  HGDIOBJ FOld = nullptr;
};

struct TProbe {
  int X, Y;
  std::uint32_t Color;
};

struct TDrawing {
  const char* Label;
  std::function<void(platform::ICanvas&)> Draw;
  std::vector<TProbe> Probes;
};

TEST(GdiCanvas, PrimitivesLightExactlyTheirPixels) {
  constexpr std::uint32_t Red = 0x000000FF, Blue = 0x00FF0000;
  const TDrawing drawings[] = {
      {"fill covers its rectangle, right and bottom exclusive",
       [](platform::ICanvas& c) { c.FillRect({2, 2, 6, 5}, Red); },
       {{2, 2, Red}, {5, 4, Red}, {6, 4, Paper}, {5, 5, Paper}, {1, 2, Paper}}},
      {"frame is one pixel inside the rectangle",
       [](platform::ICanvas& c) { c.FrameRect({2, 2, 8, 8}, Blue); },
       {{2, 2, Blue}, {7, 7, Blue}, {7, 2, Blue}, {4, 4, Paper}, {8, 8, Paper}}},
      {"solid horizontal line, x2 exclusive", [](platform::ICanvas& c) { c.HorzLine(3, 9, 4, Red, false); },
       {{3, 4, Red}, {8, 4, Red}, {9, 4, Paper}, {3, 5, Paper}}},
      {"dotted lines light pixels at even x + y",
       [](platform::ICanvas& c) {
         c.HorzLine(3, 9, 4, Red, true);
         c.VertLine(10, 1, 7, Blue, true);
       },
       {{3, 4, Paper}, {4, 4, Red}, {5, 4, Paper}, {8, 4, Red}, {10, 1, Paper}, {10, 2, Blue}, {10, 6, Blue}}},
      {"clips intersect and pop back",
       [](platform::ICanvas& c) {
         c.PushClip({0, 0, 10, 10});
         c.PushClip({5, 5, 20, 20});
         c.FillRect({0, 0, 30, 30}, Red);
         c.PopClip();
         c.FillRect({0, 0, 3, 3}, Blue);
         c.PopClip();
         c.FillRect({40, 0, 42, 2}, Blue);
       },
       {{5, 5, Red}, {9, 9, Red}, {10, 9, Paper}, {4, 5, Paper}, {0, 0, Blue}, {41, 1, Blue}}},
  };
  TFontCache fonts;
  TIconSheet icons;
  for (const TDrawing& drawing : drawings) {
    SCOPED_TRACE(drawing.Label);
    TBitmap bitmap;
    {
      TGdiCanvas canvas(bitmap.DC(), fonts, icons);
      drawing.Draw(canvas);
    }
    for (const TProbe& probe : drawing.Probes)
      EXPECT_EQ(bitmap.At(probe.X, probe.Y), probe.Color) << "at " << probe.X << "," << probe.Y;
  }
}

TEST(GdiCanvas, TextInksWhatTheDisplayMeasuresAndIsClippedToItsRectangle) {
  TIconSheet icons;
  TWin32Display display;
  platform::TFont font{u"Tahoma", 10, false};
  const int width = display.TextWidth(u"MMM", font.Name, font.Size);
  ASSERT_GT(width, display.TextWidth(u"MM", font.Name, font.Size));
  ASSERT_LT(width, Width - 4);
  ASSERT_GT(display.TextHeight(font.Name, font.Size), 8);
  struct {
    const char* Label;
    const char16_t* Text;
    platform::TRect Clip;
    int InkedFrom, InkedTo;  // some ink here
    int BlankFrom;           // none from here on
  } cases[] = {
      {"unclipped: the ink ends where the display's width does", u"MMM", {0, 0, Width, Height}, width / 2, width,
       width + 1},
      {"clipped at 10 pixels", u"MMMMMMMMMMMM", {0, 0, 10, Height}, 0, 10, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    TBitmap bitmap;
    TGdiCanvas canvas(bitmap.DC(), Fonts(), icons);
    canvas.DrawText(0, 0, c.Text, font, 0, c.Clip);
    auto inkIn = [&](int left, int right) {
      for (int x = left; x < right; ++x)
        for (int y = 0; y < Height; ++y)
          if (bitmap.At(x, y) != Paper) return true;
      return false;
    };
    EXPECT_TRUE(inkIn(c.InkedFrom, c.InkedTo));
    EXPECT_FALSE(inkIn(c.BlankFrom, Width));
  }
}

TEST(GdiCanvas, IconsBlendTheirAlphaOverTheBackground) {
  TFontCache fonts;
  TIconSheet icons;
  for (int index = 0; index < platform::IconCount; ++index) {
    SCOPED_TRACE(index);
    TBitmap bitmap;
    {
      TGdiCanvas canvas(bitmap.DC(), fonts, icons);
      canvas.DrawIcon(4, 4, static_cast<platform::TIcon>(index));
    }
    const std::uint32_t* pixels = IconPixels(static_cast<platform::TIcon>(index));
    for (int y = 0; y < platform::IconSize; ++y)
      for (int x = 0; x < platform::IconSize; ++x) {
        std::uint32_t argb = pixels[y * platform::IconSize + x];
        std::uint32_t a = argb >> 24;
        // Over white: c * a + 255 * (1 - a), within rounding.
        auto expected = [&](int shift) { return ((argb >> shift & 0xFF) * a + 255 * (255 - a)) / 255; };
        std::uint32_t got = bitmap.At(4 + x, 4 + y);
        int errors[] = {int(got & 0xFF) - int(expected(16)), int(got >> 8 & 0xFF) - int(expected(8)),
                        int(got >> 16 & 0xFF) - int(expected(0))};
        for (int error : errors) ASSERT_LE(std::abs(error), 2) << "pixel " << x << "," << y;
      }
    EXPECT_EQ(bitmap.At(3, 3), Paper);
    EXPECT_EQ(bitmap.At(20, 20), Paper);
  }
}

}  // namespace
}  // namespace frontend::win32
