#include "platform/fake/recording_canvas.h"

#include <algorithm>

#include "platform/fake/fake_platform.h"

namespace platform::fake {

namespace {

TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (r.IsEmpty()) return {};
  return r;
}

bool Inside(const TRect& inner, const TRect& outer) {
  return inner.IsEmpty() || (inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
                             inner.Bottom <= outer.Bottom);
}

TDrawCall MakeCall(TDrawKind kind, const TRect& rect, TColor color) {
  TDrawCall call;
  call.Kind = kind;
  call.Rect = rect;
  call.Color = color;
  return call;
}

}  // namespace

TRect TDrawCall::Painted() const { return Clip ? Intersect(Rect, *Clip) : Rect; }

std::optional<TRect> TRecordingCanvas::CurrentClip() const {
  if (FClips.empty()) return std::nullopt;
  return FClips.back();
}

void TRecordingCanvas::Record(TDrawCall call) {
  if (std::optional<TRect> clip = CurrentClip()) call.Clip = call.Clip ? Intersect(*call.Clip, *clip) : *clip;
  Calls.push_back(std::move(call));
}

void TRecordingCanvas::FillRect(const TRect& rect, TColor color) {
  Record(MakeCall(TDrawKind::dkFill, rect, color));
}

void TRecordingCanvas::FrameRect(const TRect& rect, TColor color) {
  Record(MakeCall(TDrawKind::dkFrame, rect, color));
}

void TRecordingCanvas::HorzLine(int x1, int x2, int y, TColor color, bool dotted) {
  TDrawCall call = MakeCall(TDrawKind::dkHorzLine, {std::min(x1, x2), y, std::max(x1, x2), y + 1}, color);
  call.Dotted = dotted;
  Record(std::move(call));
}

void TRecordingCanvas::VertLine(int x, int y1, int y2, TColor color, bool dotted) {
  TDrawCall call = MakeCall(TDrawKind::dkVertLine, {x, std::min(y1, y2), x + 1, std::max(y1, y2)}, color);
  call.Dotted = dotted;
  Record(std::move(call));
}

void TRecordingCanvas::DrawText(int x, int y, const std::u16string& text, const TFont& font, TColor color,
                                const TRect& clip) {
  // The extent the fake display measures, so a record lines up with the layout.
  TDrawCall call = MakeCall(TDrawKind::dkText, {x, y, x + FakeTextWidth(text, font.Size), y + FakeTextHeight(font.Size)},
                            color);
  call.Text = text;
  call.Font = font;
  call.Clip = clip;
  Record(std::move(call));
}

void TRecordingCanvas::DrawIcon(int x, int y, TIcon icon) {
  TDrawCall call = MakeCall(TDrawKind::dkIcon, {x, y, x + IconSize, y + IconSize}, 0);
  call.Icon = icon;
  Record(std::move(call));
}

void TRecordingCanvas::PushClip(const TRect& rect) {
  FClips.push_back(FClips.empty() ? rect : Intersect(FClips.back(), rect));
}

void TRecordingCanvas::PopClip() {
  if (!FClips.empty()) FClips.pop_back();
}

void TRecordingCanvas::Clear() {
  Calls.clear();
  FClips.clear();
}

std::vector<const TDrawCall*> TRecordingCanvas::OfKind(TDrawKind kind) const {
  std::vector<const TDrawCall*> out;
  for (const TDrawCall& call : Calls)
    if (call.Kind == kind) out.push_back(&call);
  return out;
}

std::vector<const TDrawCall*> TRecordingCanvas::TextsEqual(const std::u16string& text) const {
  std::vector<const TDrawCall*> out;
  for (const TDrawCall& call : Calls)
    if (call.Kind == TDrawKind::dkText && call.Text == text) out.push_back(&call);
  return out;
}

std::optional<TColor> TRecordingCanvas::ColorAt(int x, int y, bool frames) const {
  std::optional<TColor> color;
  for (const TDrawCall& call : Calls) {
    TRect painted = call.Painted();
    if (!painted.Contains(x, y)) continue;
    if (call.Kind == TDrawKind::dkFill) {
      color = call.Color;
    } else if (call.Kind == TDrawKind::dkFrame && frames) {
      const TRect& r = call.Rect;
      if (x == r.Left || x == r.Right - 1 || y == r.Top || y == r.Bottom - 1) color = call.Color;
    }
  }
  return color;
}

std::vector<const TDrawCall*> TRecordingCanvas::At(TDrawKind kind, int x, int y) const {
  std::vector<const TDrawCall*> out;
  for (const TDrawCall& call : Calls)
    if (call.Kind == kind && call.Painted().Contains(x, y)) out.push_back(&call);
  return out;
}

const TDrawCall* TRecordingCanvas::FirstOutside(const TRect& bounds) const {
  for (const TDrawCall& call : Calls)
    if (!Inside(call.Painted(), bounds)) return &call;
  return nullptr;
}

const TDrawCall* TRecordingCanvas::FirstMissing(const TRect& bounds) const {
  for (const TDrawCall& call : Calls)
    if (!call.Rect.IsEmpty() && !call.Rect.Intersects(bounds)) return &call;
  return nullptr;
}

}  // namespace platform::fake
