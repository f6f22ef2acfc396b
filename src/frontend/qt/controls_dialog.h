// A modal dialog of native widgets built from a controller's controls: each
// control becomes one widget at its bounds, each user action goes to the
// controller by the control's name, and every widget is shown again from the
// registry after each action.
#pragma once

#include <functional>
#include <vector>

#include <QDialog>

#include "settings/dialog_controller.h"

namespace frontend::qt {

class TControlsDialog : public QDialog {
 public:
  // guard runs every call into the controller behind the viewer's fence. The
  // controller outlives the dialog.
  TControlsDialog(settings::TDialogController& controller, std::function<void(const std::function<void()>&)> guard,
                  QWidget* parent);

  // Shows every control's state, caption and the title again.
  void Refresh();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  settings::TDialogController& FController;
  std::function<void(const std::function<void()>&)> FGuard;
  std::vector<std::pair<const settings::TControl*, QWidget*>> FWidgets;

  QWidget* MakeWidget(const settings::TControl& control, QWidget* parent);
  // Runs a controller call behind the fence, then refreshes.
  void Act(const std::function<void()>& call);
  friend class TSpinBox;
};

}  // namespace frontend::qt
