// The viewer as a front-end sees it, and the only viewer header a front-end
// includes: what to paint, where each view goes, what the scroll bars show and
// what becomes of the user's input. Every rule behind these answers (which bar
// moves which view, which views take keys, how far a step scrolls) is the
// core's, so a front-end only draws, places and forwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "settings/dialog_runner.h"
#include "viewer/commands.h"
#include "viewer/view.h"

namespace viewer {

class TMainForm;

// The native vertical scroll bars of a viewer window.
enum class TScrollBar : std::uint8_t { sbTree, sbHex };
inline constexpr TScrollBar AllScrollBars[] = {TScrollBar::sbTree, TScrollBar::sbHex};
inline constexpr TView AllViews[] = {TView::vwTree, TView::vwHex1, TView::vwHex2, TView::vwMainStatus,
                                     TView::vwHexStatus};

// What the user did to a scroll bar.
enum class TScrollRequest : std::uint8_t { srLineUp, srLineDown, srPageUp, srPageDown, srTop, srBottom, srThumb };

// A scroll bar as a native one shows it, in units that fit an int however tall
// the view: positions run from 0 to Max, a page is Page units long. Page and
// LineStep are at least 1.
struct TScrollBarState {
  int Max = 0;
  int Page = 1;
  int Position = 0;
  int LineStep = 1;
  bool Visible = false;  // false: hide the bar
  TRect Bounds;          // where the bar goes in the window's client area
  bool operator==(const TScrollBarState&) const = default;
};

class TViewerController {
 public:
  explicit TViewerController(TMainForm& form) : FForm(form) {}
  TViewerController(const TViewerController&) = delete;
  TViewerController& operator=(const TViewerController&) = delete;

  // The front-end showing the viewer: told of every change, and the runner of
  // its dialogs. Detach forgets them again if they are still the attached ones.
  // Idle work already left is queued with the new events at once.
  void Attach(IViewEvents* events, settings::IDialogRunner* dialogs);
  void Detach(const IViewEvents* events, const settings::IDialogRunner* dialogs);
  // The services the viewer was made with (a front-end's error fence reports
  // through their dialogs).
  platform::TPlatform& Platform() const;

  // Views and layout.
  // The viewer's client area has this size now: lays out the panes.
  void Resize(int clientWidth, int clientHeight);
  const TWindowLayout& Layout() const;
  // Where view goes in the window's client area; empty when it is hidden.
  const TRect& ViewBounds(TView view) const;
  // Paints whatever of view meets update (the view's client coordinates).
  void Paint(TView view, platform::ICanvas& canvas, const TRect& update);
  // Paints the window's own surface, what no view covers (the hex panel's
  // border), for update in the window's client coordinates.
  void PaintWindow(platform::ICanvas& canvas, const TRect& update);
  // Whether view takes the keyboard focus when clicked.
  static bool TakesKeys(TView view);
  // The view that has the keyboard focus inside the viewer.
  TView FocusedView() const;
  // The toolkit's keyboard focus: the front-end reports each view gaining or
  // losing it, in whatever order the toolkit sends the two. A popup menu does
  // not take it.
  void FocusChanged(TView view, bool focused);
  // On ActiveViewChanged: whether the front-end moves the keyboard focus to the
  // new active view. Only while one of the viewer's views holds it, so a change
  // of view never takes the focus from the host or another window.
  bool FocusFollowsActiveView() const { return FKeyFocus.has_value(); }
  // The structure tree's focused row, for a host's log: its text with its
  // value, and its element's offset; nothing without a focused row.
  struct TRowSummary {
    std::u16string Text;
    std::int64_t Offset = 0;
  };
  std::optional<TRowSummary> FocusedRow() const;

  // Scroll bars.
  // The bar that shows view's position; none for a view without one.
  static std::optional<TScrollBar> ScrollBarOf(TView view);
  TScrollBarState ScrollBarState(TScrollBar bar) const;
  // Moves the bar's view as the request says, clamped to its range; for
  // srThumb, to position (in the bar's units).
  void Scroll(TScrollBar bar, TScrollRequest request, int position = 0);

  // Idle work: what the viewer left for when the window is idle. IdleWorkQueued
  // says when; the front-end answers each one with one call of RunIdleWork once
  // the events pending then are handled. RunIdleWork does a step, if any is
  // left, repaints what shows its results and queues itself again (another
  // IdleWorkQueued) while work remains.
  bool HasIdleWork() const;
  void RunIdleWork();

  // Input.
  // Whether the viewer takes this key itself; the front-end claims exactly
  // these before the host's shortcuts see them.
  bool HandlesKey(const platform::TKeyEvent& key) const;
  // True when someone took the key.
  bool KeyDown(const platform::TKeyEvent& key);
  void MouseDown(TView view, const TMouseEvent& event);
  void MouseUp(TView view, const TMouseEvent& event);
  void MouseDoubleClick(TView view, const TMouseEvent& event);
  // delta in wheel units, 120 per notch, positive away from the user.
  void MouseWheel(TView view, int delta, bool shift, bool ctrl);

  // The context menu, as the last PopupMenu event asked for it, and running
  // one of its items (by TMenuItem::Tag).
  const std::vector<TMenuItem>& MenuItems() const;
  void RunMenuItem(int tag);

 private:
  TMainForm& FForm;
  std::optional<TView> FKeyFocus;  // the view holding the toolkit's focus
};

}  // namespace viewer
