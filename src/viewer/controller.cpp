// The front-ends' view of the viewer: forwards to TMainForm, and turns its
// pixel scroll state into what a native scroll bar can hold.
#include "viewer/controller.h"

#include <algorithm>
#include <climits>

#include "viewer/main.h"

namespace viewer {

namespace {

// The view whose offset a bar shows and moves; the text grid's bar moves both
// grids, as the grids follow each other.
TView BarView(TScrollBar bar) {
  switch (bar) {
    case TScrollBar::sbTree: return TView::vwTree;
    case TScrollBar::sbHex: return TView::vwHex2;
  }
  return TView::vwTree;
}

// The largest offset of a view, in pixels.
std::int64_t ScrollRange(const TScrollInfo& info) { return std::max<std::int64_t>(0, info.Max - info.Page); }

// Pixels per scroll-bar unit: 1 unless the range does not fit an int.
std::int64_t ScrollUnit(std::int64_t range) { return range <= INT_MAX ? 1 : range / INT_MAX + 1; }

// The system colour of the hex panel's border.
constexpr int PanelBorderColorIndex = 16;  // button shadow

}  // namespace

void TViewerController::Attach(IViewEvents* events, settings::IDialogRunner* dialogs) {
  FForm.SetEvents(events);
  FForm.SetDialogRunner(dialogs);
  if (events != nullptr && FForm.HasIdleWork()) events->IdleWorkQueued();
}

void TViewerController::Detach(const IViewEvents* events, const settings::IDialogRunner* dialogs) {
  if (FForm.Events() == events) FForm.SetEvents(nullptr);
  if (FForm.DialogRunner() == dialogs) FForm.SetDialogRunner(nullptr);
}

platform::TPlatform& TViewerController::Platform() const { return FForm.Platform(); }

void TViewerController::Resize(int clientWidth, int clientHeight) { FForm.Resize(clientWidth, clientHeight); }

const TWindowLayout& TViewerController::Layout() const { return FForm.Layout(); }

const TRect& TViewerController::ViewBounds(TView view) const {
  const TWindowLayout& layout = FForm.Layout();
  switch (view) {
    case TView::vwTree: return layout.Tree;
    case TView::vwHex1: return layout.Hex1;
    case TView::vwHex2: return layout.Hex2;
    case TView::vwMainStatus: return layout.MainStatus;
    case TView::vwHexStatus: return layout.HexStatus;
  }
  return layout.Tree;
}

void TViewerController::Paint(TView view, platform::ICanvas& canvas, const TRect& update) {
  FForm.Paint(view, canvas, update);
}

void TViewerController::PaintWindow(platform::ICanvas& canvas, const TRect& update) {
  const TWindowLayout& layout = FForm.Layout();
  if (!layout.HexVisible || layout.HexPanel.IsEmpty() || !layout.HexPanel.Intersects(update)) return;
  canvas.PushClip(update);
  canvas.FrameRect(layout.HexPanel, FForm.Platform().Display.GetSysColor(PanelBorderColorIndex));
  canvas.PopClip();
}

bool TViewerController::TakesKeys(TView view) {
  switch (view) {
    case TView::vwTree:
    case TView::vwHex1:
    case TView::vwHex2: return true;
    case TView::vwMainStatus:
    case TView::vwHexStatus: return false;
  }
  return false;
}

std::optional<TViewerController::TRowSummary> TViewerController::FocusedRow() const {
  const TNodeId node = FForm.TreeVT().FocusedNode();
  if (node == NoNode) return std::nullopt;
  return TRowSummary{FForm.TreeVTGetText(FForm.TreeVT(), node, 0, TTextType::ttNormal) + u" " +
                         FForm.TreeVTGetText(FForm.TreeVT(), node, 0, TTextType::ttStatic),
                     FForm.GetTag(node).Offset()};
}

TView TViewerController::FocusedView() const {
  switch (FForm.ActiveControl()) {
    case TFocusedControl::fcTree: return TView::vwTree;
    case TFocusedControl::fcHex1: return TView::vwHex1;
    case TFocusedControl::fcHex2: return TView::vwHex2;
  }
  return TView::vwTree;
}

void TViewerController::FocusChanged(TView view, bool focused) {
  if (focused)
    FKeyFocus = view;
  else if (FKeyFocus == view)
    FKeyFocus.reset();
}

std::optional<TScrollBar> TViewerController::ScrollBarOf(TView view) {
  switch (view) {
    case TView::vwTree: return TScrollBar::sbTree;
    case TView::vwHex1:
    case TView::vwHex2: return TScrollBar::sbHex;
    case TView::vwMainStatus:
    case TView::vwHexStatus: return std::nullopt;
  }
  return std::nullopt;
}

TScrollBarState TViewerController::ScrollBarState(TScrollBar bar) const {
  const TScrollInfo info = FForm.ScrollInfo(BarView(bar));
  const std::int64_t range = ScrollRange(info);
  const std::int64_t unit = ScrollUnit(range);
  TScrollBarState state;
  state.Bounds = bar == TScrollBar::sbTree ? FForm.Layout().TreeScrollBar : FForm.Layout().HexScrollBar;
  state.Max = static_cast<int>(range / unit);
  state.Page = static_cast<int>(std::max<std::int64_t>(1, info.Page / unit));
  state.Position = static_cast<int>(std::clamp<std::int64_t>(info.Position / unit, 0, state.Max));
  state.LineStep = static_cast<int>(std::max<std::int64_t>(1, info.LineStep / unit));
  state.Visible = info.Visible && !state.Bounds.IsEmpty();
  return state;
}

void TViewerController::Scroll(TScrollBar bar, TScrollRequest request, int position) {
  const TView view = BarView(bar);
  const TScrollInfo info = FForm.ScrollInfo(view);
  const std::int64_t range = ScrollRange(info);
  std::int64_t target = info.Position;
  switch (request) {
    case TScrollRequest::srLineUp: target -= info.LineStep; break;
    case TScrollRequest::srLineDown: target += info.LineStep; break;
    case TScrollRequest::srPageUp: target -= info.Page; break;
    case TScrollRequest::srPageDown: target += info.Page; break;
    case TScrollRequest::srTop: target = 0; break;
    case TScrollRequest::srBottom: target = range; break;
    case TScrollRequest::srThumb: target = std::int64_t{position} * ScrollUnit(range); break;
  }
  FForm.ScrollTo(view, std::clamp<std::int64_t>(target, 0, range));
}

bool TViewerController::HasIdleWork() const { return FForm.HasIdleWork(); }

void TViewerController::RunIdleWork() {
  if (!FForm.HasIdleWork()) return;
  FForm.RunIdleWork();
  if (FForm.HasIdleWork() && FForm.Events() != nullptr) FForm.Events()->IdleWorkQueued();
}

bool TViewerController::HandlesKey(const platform::TKeyEvent& key) const { return FForm.HandlesKey(key); }

bool TViewerController::KeyDown(const platform::TKeyEvent& key) { return FForm.KeyDown(key); }

void TViewerController::MouseDown(TView view, const TMouseEvent& event) { FForm.MouseDown(view, event); }

void TViewerController::MouseUp(TView view, const TMouseEvent& event) { FForm.MouseUp(view, event); }

void TViewerController::MouseDoubleClick(TView view, const TMouseEvent& event) {
  FForm.MouseDoubleClick(view, event);
}

void TViewerController::MouseWheel(TView view, int delta, bool shift, bool ctrl) {
  FForm.MouseWheel(view, delta, shift, ctrl);
}

const std::vector<TMenuItem>& TViewerController::MenuItems() const { return FForm.MainMenu().Items(); }

void TViewerController::RunMenuItem(int tag) { FForm.MainMenuClick(tag); }

}  // namespace viewer
