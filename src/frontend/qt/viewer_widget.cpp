// The viewer's top widget: children placed from the core's layout, scroll bars
// and focus kept as the core says, the context menu from its menu items.
#include "frontend/qt/viewer_widget.h"

#include <algorithm>
#include <climits>

#include <QApplication>
#include <QFrame>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>

#include "frontend/qt/fence.h"
#include "frontend/qt/qt_canvas.h"
#include "frontend/qt/qt_platform.h"
#include "frontend/qt/view_widget.h"

namespace frontend::qt {

namespace {

int ViewIndex(viewer::TView view) { return static_cast<int>(view); }

constexpr viewer::TView AllViews[] = {viewer::TView::vwTree, viewer::TView::vwHex1, viewer::TView::vwHex2,
                                      viewer::TView::vwMainStatus, viewer::TView::vwHexStatus};

int ClampToInt(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 0, INT_MAX)); }

void Place(QWidget& widget, const platform::TRect& rect) {
  widget.setGeometry(ToQRect(rect));
  widget.setVisible(!rect.IsEmpty());
}

}  // namespace

TViewerWidget::TViewerWidget(viewer::TMainForm& form, QWidget* parent) : QWidget(parent), FForm(form) {
  // The panel's one-pixel border, beneath the grids.
  FHexFrame = new QFrame(this);
  FHexFrame->setFrameShape(QFrame::Box);
  FHexFrame->setFrameShadow(QFrame::Plain);
  FHexFrame->setLineWidth(1);
  FHexFrame->hide();
  for (viewer::TView view : AllViews) {
    FViews[ViewIndex(view)] = new TViewWidget(*this, view);
    FViews[ViewIndex(view)]->hide();
  }
  FTreeBar = new QScrollBar(Qt::Vertical, this);
  FHexBar = new QScrollBar(Qt::Vertical, this);
  FTreeBar->hide();
  FHexBar->hide();
  connect(FTreeBar, &QScrollBar::valueChanged, this, [this](int value) { BarMoved(viewer::TView::vwTree, value); });
  connect(FHexBar, &QScrollBar::valueChanged, this, [this](int value) { BarMoved(viewer::TView::vwHex2, value); });
  setFocusPolicy(Qt::StrongFocus);
  setFocusProxy(FViews[ViewIndex(viewer::TView::vwTree)]);
  FForm.Events = this;
  FForm.DialogRunner = this;
}

TViewerWidget::~TViewerWidget() {
  if (FForm.Events == this) FForm.Events = nullptr;
  if (FForm.DialogRunner == this) FForm.DialogRunner = nullptr;
}

QWidget* TViewerWidget::ViewWidget(viewer::TView view) const { return FViews[ViewIndex(view)]; }

bool TViewerWidget::Guard(const std::function<void()>& body, bool showMessage) noexcept {
  return Fence(
      [&] {
        TViewerScope scope(this);
        body();
      },
      showMessage ? TFailureReport::frMessageBox : TFailureReport::frDrop, this);
}

void TViewerWidget::InvalidateView(viewer::TView view, const viewer::TRect* rect) {
  QWidget* widget = FViews[ViewIndex(view)];
  if (rect)
    widget->update(ToQRect(*rect));
  else
    widget->update();
}

void TViewerWidget::ScrollChanged(viewer::TView view) { SyncScrollBar(view); }

void TViewerWidget::ActiveViewChanged(viewer::TView view) {
  QWidget* widget = FViews[ViewIndex(view)];
  // Focus the host gives the viewer goes where the core's focus is.
  setFocusProxy(widget);
  if (hasFocus() || isAncestorOf(QApplication::focusWidget())) widget->setFocus();
}

void TViewerWidget::LayoutChanged() { PlaceChildren(); }

void TViewerWidget::StatusChanged(viewer::TView bar) { FViews[ViewIndex(bar)]->update(); }

void TViewerWidget::PopupMenu(viewer::TView view, int x, int y) {
  // The last menu may still be delivering its signal.
  if (FMenu) FMenu->deleteLater();
  FMenu = new QMenu(this);
  for (const viewer::TMenuItem& item : FForm.MainMenu.Items()) {
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
    connect(action, &QAction::triggered, this, [this, tag] { Guard([&] { FForm.MainMenuClick(tag); }); });
  }
  FMenu->popup(FViews[ViewIndex(view)]->mapToGlobal(QPoint(x, y)));
}

settings::TScreenRect TViewerWidget::ViewerScreenRect() {
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  return {origin.x(), origin.y(), width(), height()};
}

void TViewerWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QSize size = event->size();
  Guard([&] { FForm.Resize(size.width(), size.height()); });
  PlaceChildren();
}

void TViewerWidget::PlaceChildren() {
  const viewer::TWindowLayout& layout = FForm.Layout();
  Place(*FViews[ViewIndex(viewer::TView::vwTree)], layout.Tree);
  Place(*FViews[ViewIndex(viewer::TView::vwHex1)], layout.Hex1);
  Place(*FViews[ViewIndex(viewer::TView::vwHex2)], layout.Hex2);
  Place(*FViews[ViewIndex(viewer::TView::vwMainStatus)], layout.MainStatus);
  Place(*FViews[ViewIndex(viewer::TView::vwHexStatus)], layout.HexStatus);
  Place(*FHexFrame, layout.HexPanel);
  FHexFrame->lower();
  FTreeBar->setGeometry(ToQRect(layout.TreeScrollBar));
  FHexBar->setGeometry(ToQRect(layout.HexScrollBar));
  SyncScrollBar(viewer::TView::vwTree);
  SyncScrollBar(viewer::TView::vwHex2);
}

void TViewerWidget::SyncScrollBar(viewer::TView view) {
  // The text grid's bar moves both grids.
  const bool tree = view == viewer::TView::vwTree;
  QScrollBar* bar = tree ? FTreeBar : FHexBar;
  const platform::TRect& place = tree ? FForm.Layout().TreeScrollBar : FForm.Layout().HexScrollBar;
  viewer::TScrollInfo info;
  Guard([&] { info = FForm.ScrollInfo(tree ? viewer::TView::vwTree : viewer::TView::vwHex2); });
  FSyncingBars = true;
  bar->setRange(0, ClampToInt(info.Max - info.Page));
  bar->setPageStep(std::max(info.Page, 1));
  bar->setSingleStep(std::max(info.LineStep, 1));
  bar->setValue(ClampToInt(info.Position));
  FSyncingBars = false;
  bar->setVisible(info.Visible && !place.IsEmpty());
}

void TViewerWidget::BarMoved(viewer::TView view, int position) {
  if (FSyncingBars) return;
  Guard([&] { FForm.ScrollTo(view, position); });
}

}  // namespace frontend::qt
