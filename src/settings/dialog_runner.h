// How the core shows a modal dialog: the front-end builds the widgets for a
// controller's controls, runs them modally and returns when the dialog closes.
#pragma once

#include "settings/controls.h"

namespace settings {

class TSettingsForm;
class TAboutForm;

class IDialogRunner {
 public:
  virtual ~IDialogRunner() = default;
  // The screen position of the viewer's client origin and the viewer's size.
  virtual TScreenRect ViewerScreenRect() = 0;
  // Shows the dialog at bounds and returns once it has closed. The controller
  // asks to be closed through its OnCloseRequest.
  virtual void RunSettingsForm(TSettingsForm& form, const TScreenRect& bounds) = 0;
  virtual void RunAboutForm(TAboutForm& form, const TScreenRect& bounds) = 0;
};

}  // namespace settings
