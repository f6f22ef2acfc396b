// The one protocol between a dialog's controller and the front-ends: the
// controller owns the dialog's controls, caption and look, takes the events its
// controls send by the control's name, and asks to be closed. A front-end builds
// one native control per entry, forwards every user action, shows the controls
// again after each call, and ends its modal run when asked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/controls.h"

namespace settings {

class TDialogController {
 public:
  explicit TDialogController(TFormLook look) : Look(std::move(look)) {}
  virtual ~TDialogController() = default;
  TDialogController(const TDialogController&) = delete;
  TDialogController& operator=(const TDialogController&) = delete;

  TFormLook Look;          // the client size already scaled
  std::u16string Caption;  // the title
  TControls Controls;
  // The control that has the keys when the dialog opens; empty for the last one.
  std::string FocusedControl;
  // The button shown as the dialog's default, the one Enter stands for (the
  // controller's KeyDown takes Enter itself); empty for none.
  std::string DefaultButton;

  // The user's actions. Each updates the controls it concerns; a controller
  // ignores the events of kinds it has no controls of.
  virtual void ButtonClick(std::string_view /*name*/) {}
  virtual void CheckBoxClick(std::string_view /*name*/, bool /*checked*/) {}
  virtual void RadioButtonClick(std::string_view /*name*/) {}
  virtual void ComboBoxChange(std::string_view /*name*/, int /*itemIndex*/) {}
  virtual void SwatchClick(std::string_view /*name*/) {}
  // The spin box's up (+1) or down (-1) button.
  virtual void SpinEditStep(std::string_view /*name*/, int /*delta*/) {}
  // A character typed into a spin box; false refuses it.
  virtual bool SpinEditKeyPress(std::string_view /*name*/, char16_t /*character*/) { return true; }
  // A key in a spin box; true when the controller took it.
  virtual bool SpinEditKeyDown(std::string_view /*name*/, std::uint16_t /*virtualKey*/) { return false; }
  // The whole text of an editable field after the user changed it.
  virtual void EditChange(std::string_view /*name*/, const std::u16string& /*text*/) {}
  // A key the dialog sees before its focused control passes it on (Enter and
  // Esc at least); true when taken.
  virtual bool KeyDown(std::uint16_t /*virtualKey*/) { return false; }

  // Set by the front-end while it runs the dialog: ends the modal run.
  std::function<void()> OnCloseRequest;
  bool CloseRequested() const { return FCloseRequested; }

 protected:
  // Asks the front-end to close the dialog.
  void Close() {
    FCloseRequested = true;
    if (OnCloseRequest) OnCloseRequest();
  }

 private:
  bool FCloseRequested = false;
};

// What in controller's description a front-end could not follow, one line
// each: a focused or default control that is not there, a default that is no
// button, a spin value outside its range or a limit longer than its length, a
// drop-down list without rows. Empty for a sound description.
std::vector<std::string> DescriptionFaults(const TDialogController& controller);

}  // namespace settings
