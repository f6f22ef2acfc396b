// Painting and input of one view, forwarded to the viewer's core.
#include "frontend/qt/view_widget.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include "frontend/qt/key_event.h"
#include "frontend/qt/qt_canvas.h"
#include "frontend/qt/viewer_widget.h"

namespace frontend::qt {

namespace {

viewer::TMouseEvent CoreMouse(const QMouseEvent& event) {
  viewer::TMouseEvent mouse;
  mouse.X = event.pos().x();
  mouse.Y = event.pos().y();
  switch (event.button()) {
    case Qt::RightButton:
      mouse.Button = viewer::TMouseButton::mbRight;
      break;
    case Qt::MiddleButton:
      mouse.Button = viewer::TMouseButton::mbMiddle;
      break;
    default:
      mouse.Button = viewer::TMouseButton::mbLeft;
      break;
  }
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  mouse.Shift = modifiers.testFlag(Qt::ShiftModifier);
  mouse.Ctrl = modifiers.testFlag(Qt::ControlModifier);
  mouse.Alt = modifiers.testFlag(Qt::AltModifier);
  return mouse;
}

}  // namespace

TViewWidget::TViewWidget(TViewerWidget& owner, viewer::TView view)
    : QWidget(&owner), FOwner(owner), FView(view) {
  // The core paints every pixel of the view.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(viewer::TViewerController::TakesKeys(view) ? Qt::ClickFocus : Qt::NoFocus);
}

void TViewWidget::paintEvent(QPaintEvent* event) {
  const platform::TRect update = FromQRect(event->rect());
  QPainter painter(this);
  FOwner.Guard(
      [&] {
        TQtCanvas canvas(painter);
        FOwner.Controller().Paint(FView, canvas, update);
      },
      /*showMessage=*/false);
  FOwner.ViewPainted();
}

void TViewWidget::mousePressEvent(QMouseEvent* event) {
  const viewer::TMouseEvent mouse = CoreMouse(*event);
  FOwner.Guard([&] { FOwner.Controller().MouseDown(FView, mouse); });
}

void TViewWidget::mouseReleaseEvent(QMouseEvent* event) {
  const viewer::TMouseEvent mouse = CoreMouse(*event);
  FOwner.Guard([&] { FOwner.Controller().MouseUp(FView, mouse); });
}

void TViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  const viewer::TMouseEvent mouse = CoreMouse(*event);
  FOwner.Guard([&] { FOwner.Controller().MouseDoubleClick(FView, mouse); });
}

void TViewWidget::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  FOwner.Guard([&] {
    FOwner.Controller().MouseWheel(FView, delta, modifiers.testFlag(Qt::ShiftModifier),
                             modifiers.testFlag(Qt::ControlModifier));
  });
  event->accept();
}

// The core keeps where the focus is; a popup menu leaves it where it was, as
// QWidget::hasFocus has it.
void TViewWidget::focusInEvent(QFocusEvent* event) {
  FOwner.Controller().FocusChanged(FView, true);
  QWidget::focusInEvent(event);
}

void TViewWidget::focusOutEvent(QFocusEvent* event) {
  if (event->reason() != Qt::PopupFocusReason) FOwner.Controller().FocusChanged(FView, false);
  QWidget::focusOutEvent(event);
}

// The core decides what becomes of every key, also those it passes to the
// host, so none propagates further up the widget tree.
void TViewWidget::keyPressEvent(QKeyEvent* event) {
  const std::optional<platform::TKeyEvent> key = CoreKey(*event);
  if (key) FOwner.Guard([&] { FOwner.Controller().KeyDown(*key); });
  event->accept();
}

// Host shortcuts fire before the key press reaches a widget unless the widget
// claims the key here; it claims exactly the keys the viewer handles. Key
// presses skip Qt's own Tab focus chain: Tab is the core's key.
bool TViewWidget::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  if (event->type() != QEvent::ShortcutOverride) return QWidget::event(event);
  const std::optional<platform::TKeyEvent> key = CoreKey(*static_cast<QKeyEvent*>(event));
  bool handles = false;
  if (key) FOwner.Guard([&] { handles = FOwner.Controller().HandlesKey(*key); });
  if (handles) event->accept();
  return handles || QWidget::event(event);
}

}  // namespace frontend::qt
