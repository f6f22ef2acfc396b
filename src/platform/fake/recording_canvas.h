// A canvas that draws nothing and records every call, so tests can ask what a
// painter drew, where, in which font and colour, and under which clip.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace platform::fake {

enum class TDrawKind : std::uint8_t { dkFill, dkFrame, dkHorzLine, dkVertLine, dkText, dkIcon };

struct TDrawCall {
  TDrawKind Kind = TDrawKind::dkFill;
  TRect Rect;              // the call's own extent: a line is one pixel thick, text is measured
  std::u16string Text;     // dkText
  TFont Font;              // dkText
  TColor Color = 0;        // all but dkIcon
  TIcon Icon = TIcon::icAttribute;  // dkIcon
  bool Dotted = false;     // lines
  std::optional<TRect> Clip;  // the clip in force (the stack's intersection and a text's own)
  // What the call can actually touch: Rect cut by Clip.
  TRect Painted() const;
};

class TRecordingCanvas : public ICanvas {
 public:
  std::vector<TDrawCall> Calls;

  void FillRect(const TRect& rect, TColor color) override;
  void FrameRect(const TRect& rect, TColor color) override;
  void HorzLine(int x1, int x2, int y, TColor color, bool dotted) override;
  void VertLine(int x, int y1, int y2, TColor color, bool dotted) override;
  void DrawText(int x, int y, const std::u16string& text, const TFont& font, TColor color,
                const TRect& clip) override;
  void DrawIcon(int x, int y, TIcon icon) override;
  void PushClip(const TRect& rect) override;
  void PopClip() override;
  // As the fake display measures: 7 pixels per UTF-16 unit at 10 points, bold the same.

  void Clear();
  int ClipDepth() const { return static_cast<int>(FClips.size()); }

  // Queries for tests.
  std::vector<const TDrawCall*> OfKind(TDrawKind kind) const;
  // Text calls whose text is exactly text, in drawing order.
  std::vector<const TDrawCall*> TextsEqual(const std::u16string& text) const;
  // The last fill (or frame pixel, with frames true) painted over the point:
  // the colour the point ends up in among fills; none when nothing covers it.
  std::optional<TColor> ColorAt(int x, int y, bool frames = true) const;
  // The calls of a kind whose painted extent contains the point.
  std::vector<const TDrawCall*> At(TDrawKind kind, int x, int y) const;
  // A call that could touch a pixel outside bounds (the clip taken into account).
  const TDrawCall* FirstOutside(const TRect& bounds) const;
  // A call that touches nothing inside bounds at all: wasted work, such as a
  // row drawn that the update rectangle does not meet.
  const TDrawCall* FirstMissing(const TRect& bounds) const;

 private:
  std::vector<TRect> FClips;  // intersections so far, innermost last
  std::optional<TRect> CurrentClip() const;
  void Record(TDrawCall call);
};

}  // namespace platform::fake
