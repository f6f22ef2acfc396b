// How the core shows a modal dialog: the front-end builds the widgets for a
// controller's controls, runs them modally and returns when the dialog closes.
#pragma once

#include "settings/controls.h"
#include "settings/dialog_controller.h"

namespace settings {

class IDialogRunner {
 public:
  virtual ~IDialogRunner() = default;
  // The screen position of the viewer's client origin and the viewer's size.
  virtual TScreenRect ViewerScreenRect() = 0;
  // Shows the dialog with its client area at bounds and returns once it has
  // closed: when the controller asks through OnCloseRequest, or by the window's
  // close box.
  virtual void RunDialog(TDialogController& controller, const TScreenRect& bounds) = 0;
};

// Runs controller centred over the viewer.
inline void RunCentred(IDialogRunner& runner, TDialogController& controller) {
  runner.RunDialog(controller,
                   CentreOver(runner.ViewerScreenRect(), controller.Look.ClientWidth, controller.Look.ClientHeight));
}

}  // namespace settings
