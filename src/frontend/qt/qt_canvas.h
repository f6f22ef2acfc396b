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

namespace frontend::qt {

QColor ToQColor(platform::TColor color);
platform::TColor FromQColor(const QColor& color);
QRect ToQRect(const platform::TRect& rect);
platform::TRect FromQRect(const QRect& rect);

// The QFont for a face, point size and weight, and its metrics: the one cache
// the canvas draws with and the display measures with, as painting asks for
// the same few fonts on every row.
const QFont& FontFor(const platform::TFont& font);
const QFontMetrics& MetricsFor(const platform::TFont& font);

class TQtCanvas : public platform::ICanvas {
 public:
  // Paints with painter, which stays owned by the caller and outlives the canvas.
  explicit TQtCanvas(QPainter& painter);
  ~TQtCanvas() override;

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
  QPainter& FPainter;
  // Intersections of the pushed rectangles, innermost last.
  std::vector<QRect> FClips;
  void ApplyClip();
};

}  // namespace frontend::qt
