// The viewer's window on Win32: a borderless child of the host's window with
// one child window per view and the two scroll bars. It only draws what the
// core paints and forwards input; every entry into the core goes through Guard.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "frontend/win32/gdi_canvas.h"
#include "frontend/win32/win32_api.h"
#include "viewer/controller.h"

namespace frontend::win32 {

// The viewer window the current entry from Win32 came through, so the shared
// services (dialogs, host window, clipboard) act for it; null outside entries.
HWND CurrentViewerWindow();

// Built around a viewer that outlives it (the plug-in destroys the window
// before the viewer). Create attaches it to the controller for the change
// events and dialogs; Destroy detaches it.
class TViewerWindow : public viewer::IViewEvents, public settings::IDialogRunner {
 public:
  explicit TViewerWindow(viewer::TViewerController& controller);
  ~TViewerWindow() override;
  TViewerWindow(const TViewerWindow&) = delete;
  TViewerWindow& operator=(const TViewerWindow&) = delete;

  viewer::TViewerController& Controller() { return FController; }
  // The child window that shows view; for tests and focus.
  HWND ViewWindow(viewer::TView view) const { return FViews[static_cast<int>(view)]; }

  // Runs body, an entry from Win32 into the core, as the current viewer.
  // Nothing it throws leaves: showMessage true reports a failure in a message
  // box (input, commands); false drops it (painting). False when body threw.
  bool Guard(const std::function<void()>& body, bool showMessage = true) noexcept;

  // Creates the borderless child window of parent with its views and scroll
  // bars. Throws on failure.
  void Create(HWND parent);
  // Makes the window visible and gives the focused view the keyboard focus.
  void Show();
  // The window Create made; null before that.
  HWND Handle() const { return FWindow; }
  // Destroys the window and its children; safe after a failed or missing Create.
  void Destroy() noexcept;

  // viewer::IViewEvents
  void InvalidateView(viewer::TView view, const viewer::TRect* rect) override;
  void ScrollChanged(viewer::TView view) override;
  void ActiveViewChanged(viewer::TView view) override;
  void LayoutChanged() override;
  void StatusChanged(viewer::TView bar) override;
  void PopupMenu(viewer::TView view, int x, int y) override;
  // Runs the work through a timer, once the messages pending now and the paint are handled.
  void IdleWorkQueued() override;

  // settings::IDialogRunner
  settings::TScreenRect ViewerScreenRect() override;
  void RunDialog(settings::TDialogController& controller, const settings::TScreenRect& bounds) override;

 private:
  static constexpr int ViewCount = std::size(viewer::AllViews);
  viewer::TViewerController& FController;
  HWND FWindow = nullptr;
  std::array<HWND, ViewCount> FViews{};
  std::array<HWND, std::size(viewer::AllScrollBars)> FBars{};
  HMENU FOpenMenu = nullptr;
  TIconSheet FIcons;

  static LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ViewerMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ViewMessage(viewer::TView view, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Paints window through the core's paint, double-buffered.
  void PaintWindow(HWND window, const std::function<void(platform::ICanvas&, const viewer::TRect&)>& paint);
  void PlaceChildren();
  void SyncScrollBar(viewer::TScrollBar bar);
  void Scroll(HWND bar, int request);
  void FocusActiveView();
  void RunIdleWork();
};

}  // namespace frontend::win32
