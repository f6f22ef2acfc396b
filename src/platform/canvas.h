// The drawing surface the viewer paints on. Each primitive is one call in
// QPainter and one in GDI; a recording canvas in fake/ makes every drawing
// rule testable without a display.
//
// Colours arrive resolved: every TColor a canvas receives is plain 0x00BBGGRR.
// The core turns system colours (0xFF0000nn) into RGB through IDisplay before
// it draws, so a canvas never looks a colour up and the recording canvas sees
// exactly what the screen shows.
//
// A canvas only draws. Text is measured through IDisplay (TextWidth,
// BoldTextWidth, TextHeight) and nowhere else: the core measures outside a
// paint as well (layout, column widths, status panels), and one service keeps
// one set of metrics and one font cache per toolkit, shared with the canvas.
#pragma once

#include <cstdint>
#include <string>

#include "platform/geometry.h"
#include "platform/icons.h"
#include "platform/platform.h"

namespace platform {

struct TFont {
  std::u16string Name;
  int Size = 8;  // points
  bool Bold = false;
  bool operator==(const TFont&) const = default;
};

// The first pixel a dotted line lights at or after from, on a line at across
// (y for a horizontal line, x for a vertical one); it lights every second one
// from there. Lit pixels have an even x + y on every line, so a row's lines
// meet their neighbours' whatever the parity of where each starts.
constexpr int FirstDot(int from, int across) { return from + ((from + across) & 1); }

class ICanvas {
 public:
  virtual ~ICanvas() = default;
  virtual void FillRect(const TRect& rect, TColor color) = 0;
  // A one-pixel frame just inside rect.
  virtual void FrameRect(const TRect& rect, TColor color) = 0;
  // From x1 to x2 exclusive at y; dotted lines light every other pixel,
  // those at an even x + y (FirstDot), so lines in a column join up.
  virtual void HorzLine(int x1, int x2, int y, TColor color, bool dotted) = 0;
  virtual void VertLine(int x, int y1, int y2, TColor color, bool dotted) = 0;
  // Text with its top-left corner at (x, y), clipped to clip as well as to the
  // clip stack.
  virtual void DrawText(int x, int y, const std::u16string& text, const TFont& font, TColor color,
                        const TRect& clip) = 0;
  // One of the 16 by 16 icons with its top-left corner at (x, y).
  virtual void DrawIcon(int x, int y, TIcon icon) = 0;
  // Drawing is confined to the intersection of every pushed rectangle.
  virtual void PushClip(const TRect& rect) = 0;
  virtual void PopClip() = 0;
};

}  // namespace platform
