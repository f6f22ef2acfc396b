// The viewer's top widget: children placed from the core's layout, scroll bars
// and focus kept as the core says, the context menu from its menu items.
#include "frontend/qt/viewer_widget.h"

#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>

#include "frontend/qt/qt_canvas.h"
#include "frontend/qt/qt_platform.h"
#include "frontend/qt/view_widget.h"
#include "platform/fence.h"

namespace frontend::qt {

using viewer::TScrollBar;
using viewer::TView;

namespace {

std::size_t ViewIndex(TView view) { return static_cast<std::size_t>(view); }

void Place(QWidget& widget, const platform::TRect& rect) {
  widget.setGeometry(ToQRect(rect));
  widget.setVisible(!rect.IsEmpty());
}

}  // namespace

TViewerWidget::TViewerWidget(viewer::TViewerController& controller, QWidget* parent)
    : QWidget(parent), FController(controller) {
  for (TView view : viewer::AllViews) {
    FViews[ViewIndex(view)] = new TViewWidget(*this, view);
    FViews[ViewIndex(view)]->hide();
  }
  for (TScrollBar bar : viewer::AllScrollBars) {
    QScrollBar* native = new QScrollBar(Qt::Vertical, this);
    native->hide();
    connect(native, &QScrollBar::valueChanged, this, [this, bar](int value) {
      if (!FSyncingBars) Guard([&] { FController.Scroll(bar, viewer::TScrollRequest::srThumb, value); });
    });
    FBars[static_cast<std::size_t>(bar)] = native;
  }
  setFocusPolicy(Qt::StrongFocus);
  setFocusProxy(FViews[ViewIndex(FController.FocusedView())]);
  FController.Attach(this, this);
}

TViewerWidget::~TViewerWidget() {
  // The views tell the controller of their focus through this widget, so they
  // go while it is whole: QWidget's own destructor would take the focus from
  // them when this is no longer a TViewerWidget.
  setFocusProxy(nullptr);
  for (TViewWidget*& view : FViews) {
    delete view;
    view = nullptr;
  }
  FController.Detach(this, this);
}

QWidget* TViewerWidget::ViewWidget(TView view) const { return FViews[ViewIndex(view)]; }

bool TViewerWidget::Guard(const std::function<void()>& body, bool showMessage) noexcept {
  // The scope outlives the body, so a failure's message box sits over this viewer.
  TViewerScope scope(this);
  return platform::ReportingFence(body, showMessage ? &FController.Platform().Dialogs : nullptr);
}

void TViewerWidget::InvalidateView(TView view, const platform::TRect* rect) {
  QWidget* widget = FViews[ViewIndex(view)];
  if (rect)
    widget->update(ToQRect(*rect));
  else
    widget->update();
}

void TViewerWidget::ScrollChanged(TView view) {
  if (std::optional<TScrollBar> bar = FController.ScrollBarOf(view)) SyncScrollBar(*bar);
}

void TViewerWidget::ActiveViewChanged(TView view) {
  QWidget* widget = FViews[ViewIndex(view)];
  // Focus the host gives the viewer goes where the core's focus is.
  setFocusProxy(widget);
  if (FController.FocusFollowsActiveView()) widget->setFocus();
}

void TViewerWidget::LayoutChanged() { PlaceChildren(); }

void TViewerWidget::StatusChanged(TView bar) { FViews[ViewIndex(bar)]->update(); }

void TViewerWidget::PopupMenu(TView view, int x, int y) {
  // The last menu may still be delivering its signal.
  if (FMenu) FMenu->deleteLater();
  FMenu = new QMenu(this);
  for (const viewer::TMenuItem& item : FController.MenuItems()) {
    if (item.IsSeparator()) {
      FMenu->addSeparator();
      continue;
    }
    // A tab in the caption puts the shortcut text in the menu's shortcut column.
    QAction* action = FMenu->addAction(QString::fromStdU16String(item.Caption));
    action->setEnabled(item.Enabled);
    action->setCheckable(item.Checked);
    action->setChecked(item.Checked);
    const int tag = item.Tag;
    connect(action, &QAction::triggered, this, [this, tag] { Guard([&] { FController.RunMenuItem(tag); }); });
  }
  FMenu->popup(FViews[ViewIndex(view)]->mapToGlobal(QPoint(x, y)));
}

void TViewerWidget::IdleWorkQueued() {
  // Runs after the next paint of a view; this one asks for it, and a widget
  // not shown yet paints when it is.
  FIdleWorkQueued = true;
  FViews[ViewIndex(TView::vwMainStatus)]->update();
}

void TViewerWidget::ViewPainted() {
  if (!FIdleWorkQueued) return;
  FIdleWorkQueued = false;
  // Queued behind what is pending now; it dies with the widget.
  QTimer::singleShot(0, this, [this] { RunIdleWork(); });
}

void TViewerWidget::RunIdleWork() {
  Guard([&] { FController.RunIdleWork(); });
}

settings::TScreenRect TViewerWidget::ViewerScreenRect() {
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  return {origin.x(), origin.y(), width(), height()};
}

void TViewerWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QSize size = event->size();
  Guard([&] { FController.Resize(size.width(), size.height()); });
  PlaceChildren();
}

void TViewerWidget::paintEvent(QPaintEvent* event) {
  const platform::TRect update = FromQRect(event->rect());
  QPainter painter(this);
  Guard(
      [&] {
        TQtCanvas canvas(painter);
        FController.PaintWindow(canvas, update);
      },
      /*showMessage=*/false);
}

void TViewerWidget::PlaceChildren() {
  for (TView view : viewer::AllViews) Place(*FViews[ViewIndex(view)], FController.ViewBounds(view));
  for (TScrollBar bar : viewer::AllScrollBars) SyncScrollBar(bar);
  update();
}

void TViewerWidget::SyncScrollBar(TScrollBar bar) {
  QScrollBar* native = Bar(bar);
  viewer::TScrollBarState state;
  if (!Guard([&] { state = FController.ScrollBarState(bar); }, /*showMessage=*/false)) return;
  FSyncingBars = true;
  native->setGeometry(ToQRect(state.Bounds));
  native->setRange(0, state.Max);
  native->setPageStep(state.Page);
  native->setSingleStep(state.LineStep);
  native->setValue(state.Position);
  FSyncingBars = false;
  native->setVisible(state.Visible);
}

}  // namespace frontend::qt
