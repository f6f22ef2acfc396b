// The viewer's dialogs, run modally over it.
#include <QApplication>

#include "frontend/qt/controls_dialog.h"
#include "frontend/qt/viewer_widget.h"

namespace frontend::qt {

void TViewerWidget::RunDialog(settings::TDialogController& controller, const settings::TScreenRect& bounds) {
  TControlsDialog dialog(controller, [this](const std::function<void()>& call) { Guard(call); }, this);
  controller.OnCloseRequest = [&dialog] { dialog.done(QDialog::Accepted); };
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.move(bounds.Left, bounds.Top);
  dialog.exec();
  controller.OnCloseRequest = nullptr;
}

}  // namespace frontend::qt
