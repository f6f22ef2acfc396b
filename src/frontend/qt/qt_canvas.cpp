// Painting the core's primitives with QPainter.
#include "frontend/qt/qt_canvas.h"

#include <array>
#include <map>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

namespace frontend::qt {

QColor ToQColor(platform::TColor color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

platform::TColor FromQColor(const QColor& color) {
  return static_cast<platform::TColor>(color.red()) | static_cast<platform::TColor>(color.green()) << 8 |
         static_cast<platform::TColor>(color.blue()) << 16;
}

QRect ToQRect(const platform::TRect& rect) { return QRect(rect.Left, rect.Top, rect.Width(), rect.Height()); }

platform::TRect FromQRect(const QRect& rect) {
  return platform::TRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

namespace {

struct TFontEntry {
  QFont Font;
  QFontMetrics Metrics;
  explicit TFontEntry(const QFont& font) : Font(font), Metrics(font) {}
};

struct TFontKey {
  std::u16string Name;
  int Size;
  bool Bold;
  bool operator<(const TFontKey& other) const {
    if (Size != other.Size) return Size < other.Size;
    if (Bold != other.Bold) return Bold < other.Bold;
    return Name < other.Name;
  }
};

const TFontEntry& EntryFor(const platform::TFont& font) {
  static std::map<TFontKey, TFontEntry> cache;
  TFontKey key{font.Name, font.Size, font.Bold};
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  QFont qfont(QString::fromStdU16String(font.Name));
  qfont.setPointSize(font.Size > 0 ? font.Size : 1);
  qfont.setBold(font.Bold);
  // The viewer's grids line characters up by their advance: no kerning games.
  qfont.setKerning(false);
  return cache.emplace(key, TFontEntry(qfont)).first->second;
}

// The 16 by 16 icons as images, made once from their RGBA pixels.
const QImage& IconImage(platform::TIcon icon) {
  static std::array<QImage, platform::IconCount> images;
  QImage& image = images[static_cast<std::size_t>(icon)];
  if (!image.isNull()) return image;
  // 0xAARRGGBB with straight alpha is QImage's ARGB32 layout exactly.
  QImage source(reinterpret_cast<const uchar*>(IconPixels(icon)), platform::IconSize, platform::IconSize, platform::IconSize * 4,
                QImage::Format_ARGB32);
  image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  return image;
}

}  // namespace

const QFont& FontFor(const platform::TFont& font) { return EntryFor(font).Font; }
const QFontMetrics& MetricsFor(const platform::TFont& font) { return EntryFor(font).Metrics; }

TQtCanvas::TQtCanvas(QPainter& painter) : FPainter(painter) { FPainter.save(); }

TQtCanvas::~TQtCanvas() { FPainter.restore(); }

void TQtCanvas::FillRect(const platform::TRect& rect, platform::TColor color) {
  if (rect.IsEmpty()) return;
  FPainter.fillRect(ToQRect(rect), ToQColor(color));
}

void TQtCanvas::FrameRect(const platform::TRect& rect, platform::TColor color) {
  if (rect.IsEmpty()) return;
  const QColor qcolor = ToQColor(color);
  const int width = rect.Width();
  const int height = rect.Height();
  FPainter.fillRect(QRect(rect.Left, rect.Top, width, 1), qcolor);
  FPainter.fillRect(QRect(rect.Left, rect.Bottom - 1, width, 1), qcolor);
  FPainter.fillRect(QRect(rect.Left, rect.Top, 1, height), qcolor);
  FPainter.fillRect(QRect(rect.Right - 1, rect.Top, 1, height), qcolor);
}

void TQtCanvas::HorzLine(int x1, int x2, int y, platform::TColor color, bool dotted) {
  if (x2 <= x1) return;
  const QColor qcolor = ToQColor(color);
  if (!dotted) {
    FPainter.fillRect(QRect(x1, y, x2 - x1, 1), qcolor);
    return;
  }
  for (int x = platform::FirstDot(x1, y); x < x2; x += 2) FPainter.fillRect(QRect(x, y, 1, 1), qcolor);
}

void TQtCanvas::VertLine(int x, int y1, int y2, platform::TColor color, bool dotted) {
  if (y2 <= y1) return;
  const QColor qcolor = ToQColor(color);
  if (!dotted) {
    FPainter.fillRect(QRect(x, y1, 1, y2 - y1), qcolor);
    return;
  }
  for (int y = platform::FirstDot(y1, x); y < y2; y += 2) FPainter.fillRect(QRect(x, y, 1, 1), qcolor);
}

void TQtCanvas::DrawText(int x, int y, const std::u16string& text, const platform::TFont& font, platform::TColor color,
                         const platform::TRect& clip) {
  if (clip.IsEmpty() || text.empty()) return;
  const TFontEntry& entry = EntryFor(font);
  FPainter.save();
  FPainter.setClipRect(ToQRect(clip), FClips.empty() ? Qt::ReplaceClip : Qt::IntersectClip);
  FPainter.setFont(entry.Font);
  FPainter.setPen(ToQColor(color));
  FPainter.drawText(x, y + entry.Metrics.ascent(), QString::fromStdU16String(text));
  FPainter.restore();
}

void TQtCanvas::DrawIcon(int x, int y, platform::TIcon icon) { FPainter.drawImage(x, y, IconImage(icon)); }

void TQtCanvas::PushClip(const platform::TRect& rect) {
  const QRect qrect = ToQRect(rect);
  FClips.push_back(FClips.empty() ? qrect : FClips.back().intersected(qrect));
  ApplyClip();
}

void TQtCanvas::PopClip() {
  if (FClips.empty()) return;
  FClips.pop_back();
  ApplyClip();
}

void TQtCanvas::ApplyClip() {
  if (FClips.empty()) {
    FPainter.setClipping(false);
    return;
  }
  FPainter.setClipRect(FClips.back());
}

}  // namespace frontend::qt
