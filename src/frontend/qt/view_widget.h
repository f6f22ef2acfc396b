// One view of the viewer (the structure tree, either hex grid, either status
// bar) as a widget that hands its painting and input to the core.
#pragma once

#include <QWidget>

#include "viewer/controller.h"

namespace frontend::qt {

class TViewerWidget;

class TViewWidget : public QWidget {
 public:
  TViewWidget(TViewerWidget& owner, viewer::TView view);
  viewer::TView View() const { return FView; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  TViewerWidget& FOwner;
  viewer::TView FView;
};

}  // namespace frontend::qt
