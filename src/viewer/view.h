// What a front-end exchanges with the viewer: the views it shows, the input it
// forwards, the changes it is told about, and where each view stands.
#pragma once

#include <cstdint>

#include "platform/geometry.h"

namespace viewer {

using platform::TRect;

// The five surfaces a front-end shows, each one native window or widget.
enum class TView : std::uint8_t { vwTree, vwHex1, vwHex2, vwMainStatus, vwHexStatus };

enum class TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// Coordinates are the view's client coordinates.
struct TMouseEvent {
  int X = 0;
  int Y = 0;
  TMouseButton Button = TMouseButton::mbLeft;
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
};

// A vertical scroll bar's state in pixels: Position runs from 0 to
// Max - Page; Visible is false when the bar should not be shown.
struct TScrollInfo {
  std::int64_t Max = 0;
  int Page = 0;
  std::int64_t Position = 0;
  int LineStep = 1;
  bool Visible = false;
  bool operator==(const TScrollInfo&) const = default;
};

// The window's panes for a client size: each native child goes at its rectangle.
// Rectangles of a hidden hex panel are empty.
struct TWindowLayout {
  TRect Tree;            // the structure tree's client area
  TRect TreeScrollBar;   // its vertical scroll bar; empty when not needed
  TRect HexPanel;        // the panel with its one-pixel border
  TRect Hex1;            // bytes grid
  TRect Hex2;            // text grid
  TRect HexScrollBar;    // the one bar that moves both grids
  TRect MainStatus;
  TRect HexStatus;
  bool HexVisible = false;
  bool operator==(const TWindowLayout&) const = default;
};

// Told by the viewer whenever something a front-end shows has changed; a
// front-end never polls. All calls come on the user-interface thread.
class IViewEvents {
 public:
  virtual ~IViewEvents() = default;
  // Part of a view (in its client coordinates) or, with rect null, all of it
  // needs repainting.
  virtual void InvalidateView(TView view, const TRect* rect) = 0;
  // The view's scroll range or position moved; ask ScrollInfo again.
  virtual void ScrollChanged(TView view) = 0;
  // The keyboard focus inside the viewer moved to this view.
  virtual void ActiveViewChanged(TView view) = 0;
  // The hex panel was shown, hidden or changed width: ask for the layout again.
  virtual void LayoutChanged() = 0;
  // A status bar's texts changed.
  virtual void StatusChanged(TView bar) = 0;
  // Open the context menu (built from the command table) at this point of view.
  virtual void PopupMenu(TView view, int x, int y) = 0;
  // The viewer has work left for when the window is idle: once the events
  // pending now are handled, call TViewerController::RunIdleWork.
  virtual void IdleWorkQueued() = 0;
};

}  // namespace viewer
