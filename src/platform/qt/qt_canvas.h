// ICanvas over a QPainter, and the one font and colour conversion that both
// the canvas and the display's text measurement use, so that what the core
// measures is what the canvas draws.
#pragma once

#include <vector>

#include <QColor>
#include <QFont>
#include <QRect>

#include "platform/canvas.h"

class QPainter;
class QFontMetrics;

namespace platform::qt {

QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
QRect ToQRect(const TRect& rect);
TRect FromQRect(const QRect& rect);

// The QFont for a face, point size and weight; cached, as painting asks for the
// same few fonts on every row.
const QFont& FontFor(const TFont& font);
const QFontMetrics& MetricsFor(const TFont& font);

class TQtCanvas : public ICanvas {
 public:
  // Paints with painter, which stays owned by the caller and outlives the canvas.
  explicit TQtCanvas(QPainter& painter);
  ~TQtCanvas() override;

  void FillRect(const TRect& rect, TColor color) override;
  void FrameRect(const TRect& rect, TColor color) override;
  void HorzLine(int x1, int x2, int y, TColor color, bool dotted) override;
  void VertLine(int x, int y1, int y2, TColor color, bool dotted) override;
  void DrawText(int x, int y, const std::u16string& text, const TFont& font, TColor color,
                const TRect& clip) override;
  void DrawIcon(int x, int y, TIcon icon) override;
  void PushClip(const TRect& rect) override;
  void PopClip() override;
  int TextWidth(const std::u16string& text, const TFont& font) override;
  int TextHeight(const TFont& font) override;

 private:
  QPainter& FPainter;
  // Intersections of the pushed rectangles, innermost last.
  std::vector<QRect> FClips;
  void ApplyClip();
};

}  // namespace platform::qt
