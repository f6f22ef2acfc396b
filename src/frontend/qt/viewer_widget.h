// The viewer's top widget on Qt: one child widget per view, the scroll bars,
// the context menu and the dialogs. It only draws what the core paints and
// forwards input; every entry into the core goes through Guard.
#pragma once

#include <array>
#include <functional>

#include <QWidget>

#include "viewer/controller.h"

class QMenu;
class QScrollBar;

namespace frontend::qt {

class TViewWidget;

// Built around a viewer that outlives it (the plug-in destroys the widget
// before the viewer). It attaches itself to the controller for the change
// events and dialogs, and detaches when destroyed. The host moves and resizes it; focus given
// to it goes to the structure tree.
class TViewerWidget : public QWidget, public viewer::IViewEvents, public settings::IDialogRunner {
  Q_OBJECT
  // Whether the core still has idle work; readable by name, so that a host
  // holding only the widget (a benchmark over the module's exports) can wait for it.
  Q_PROPERTY(bool idleWork READ HasIdleWork)

 public:
  TViewerWidget(viewer::TViewerController& controller, QWidget* parent);
  ~TViewerWidget() override;

  viewer::TViewerController& Controller() { return FController; }
  // The child widget that shows view; for tests and the plug-in's focus rules.
  QWidget* ViewWidget(viewer::TView view) const;
  // The context menu while it is open (or the last one built); for tests.
  QMenu* ContextMenu() const { return FMenu; }

  // Runs body, an entry from Qt into the core, behind Fence with the window
  // services acting for this viewer. showMessage true reports a failure in a
  // message box (input, commands); false drops it (painting, where a box would
  // only bring the next paint). Returns false when body threw.
  bool Guard(const std::function<void()>& body, bool showMessage = true) noexcept;

  bool HasIdleWork() const { return FController.HasIdleWork(); }
  // A view has painted: idle work queued before runs now, by a queued call,
  // so that the screen shows before the work starts.
  void ViewPainted();

  // viewer::IViewEvents
  void InvalidateView(viewer::TView view, const viewer::TRect* rect) override;
  void ScrollChanged(viewer::TView view) override;
  void ActiveViewChanged(viewer::TView view) override;
  void LayoutChanged() override;
  void StatusChanged(viewer::TView bar) override;
  void PopupMenu(viewer::TView view, int x, int y) override;
  void IdleWorkQueued() override;

  // settings::IDialogRunner
  settings::TScreenRect ViewerScreenRect() override;
  void RunDialog(settings::TDialogController& controller, const settings::TScreenRect& bounds) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  viewer::TViewerController& FController;
  std::array<TViewWidget*, std::size(viewer::AllViews)> FViews{};
  std::array<QScrollBar*, std::size(viewer::AllScrollBars)> FBars{};
  QMenu* FMenu = nullptr;
  bool FSyncingBars = false;
  // The core queued idle work that no call is scheduled for yet.
  bool FIdleWorkQueued = false;

  void PlaceChildren();
  QScrollBar* Bar(viewer::TScrollBar bar) const { return FBars[static_cast<std::size_t>(bar)]; }
  // The bar from the core's scroll state.
  void SyncScrollBar(viewer::TScrollBar bar);
  void RunIdleWork();
};

}  // namespace frontend::qt
