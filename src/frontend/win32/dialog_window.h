// The settings dialog and the About box on Win32: a modal window built in code
// with one native control per entry of the controller's control table, at its
// Bounds. The window shows what the table holds and reports each user action
// back by the control's name; the controller decides everything.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/about.h"
#include "settings/controls.h"
#include "settings/options.h"

namespace frontend::win32 {

// The actions a dialog controller takes; the About box takes only the button
// and the keys.
class IDialogController {
 public:
  virtual ~IDialogController() = default;
  virtual const std::u16string& Caption() = 0;
  virtual const settings::TFormLook& Look() = 0;
  virtual settings::TControls& Controls() = 0;
  virtual bool CloseRequested() = 0;
  virtual void ButtonClick(std::string_view name) = 0;
  virtual void CheckBoxClick(std::string_view, bool) {}
  virtual void RadioButtonClick(std::string_view) {}
  virtual void ComboBoxChange(std::string_view, int) {}
  virtual void SwatchClick(std::string_view) {}
  virtual void SpinEditStep(std::string_view, int) {}
  // True when the character may go into the field.
  virtual bool SpinEditKeyPress(std::string_view, char16_t) { return true; }
  virtual bool SpinEditKeyDown(std::string_view, std::uint16_t) { return false; }
  virtual bool KeyDown(std::uint16_t virtualKey) = 0;
};

// Runs the dialog modally over owner (an HWND, disabled meanwhile) with its
// client area at bounds; returns once the controller asks to close or the
// window's close box is used. Failures inside are reported through dialogs.
void RunDialog(IDialogController& controller, void* owner, const settings::TScreenRect& bounds,
               platform::IDialogs& dialogs);

// The two controllers as IDialogController.
class TSettingsController : public IDialogController {
 public:
  explicit TSettingsController(settings::TSettingsForm& form) : FForm(form) {}
  const std::u16string& Caption() override { return FForm.Caption; }
  const settings::TFormLook& Look() override { return FForm.Look; }
  settings::TControls& Controls() override { return FForm.Controls; }
  bool CloseRequested() override { return FForm.CloseRequested(); }
  void ButtonClick(std::string_view name) override { FForm.ButtonClick(name); }
  void CheckBoxClick(std::string_view name, bool checked) override { FForm.CheckBoxClick(name, checked); }
  void RadioButtonClick(std::string_view name) override { FForm.RadioButtonClick(name); }
  void ComboBoxChange(std::string_view name, int index) override { FForm.ComboBoxChange(name, index); }
  void SwatchClick(std::string_view name) override { FForm.SwatchClick(name); }
  void SpinEditStep(std::string_view name, int delta) override { FForm.SpinEditStep(name, delta); }
  bool SpinEditKeyPress(std::string_view name, char16_t c) override { return FForm.SpinEditKeyPress(name, c); }
  bool SpinEditKeyDown(std::string_view name, std::uint16_t key) override { return FForm.SpinEditKeyDown(name, key); }
  bool KeyDown(std::uint16_t key) override { return FForm.KeyDown(key); }

 private:
  settings::TSettingsForm& FForm;
};

class TAboutController : public IDialogController {
 public:
  explicit TAboutController(settings::TAboutForm& form) : FForm(form) {}
  const std::u16string& Caption() override { return FForm.Caption; }
  const settings::TFormLook& Look() override { return FForm.Look; }
  settings::TControls& Controls() override { return FForm.Controls; }
  bool CloseRequested() override { return FForm.CloseRequested(); }
  void ButtonClick(std::string_view name) override { FForm.ButtonClick(name); }
  bool KeyDown(std::uint16_t key) override { return FForm.KeyDown(key); }

 private:
  settings::TAboutForm& FForm;
};

// The class name of the dialogs' windows, for tests and test hosts.
inline constexpr wchar_t DialogClassName[] = L"BramletDialog";

}  // namespace frontend::win32
